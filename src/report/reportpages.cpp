#include "report/reportpages.h"

#include <algorithm>

namespace report {

QStringList ReportPage::texts() const {
    std::vector<const PlacedItem*> t;
    for (const auto& it : items)
        if (it.kind == PlacedItem::Kind::Text) t.push_back(&it);
    std::stable_sort(t.begin(), t.end(),
                     [](auto* a, auto* b) { return a->rect.top() < b->rect.top(); });
    QStringList out;
    for (size_t i = 0; i < t.size();) {
        size_t j = i + 1;
        while (j < t.size() && t[j]->rect.top() - t[i]->rect.top() < 1.5) ++j;
        std::stable_sort(t.begin() + i, t.begin() + j,
                         [](auto* a, auto* b) { return a->rect.left() < b->rect.left(); });
        for (size_t k = i; k < j; ++k) out << t[k]->text;
        i = j;
    }
    return out;
}

const PlacedItem* ReportPage::findText(const QString& text) const {
    for (const auto& it : items)
        if (it.kind == PlacedItem::Kind::Text && it.text == text) return &it;
    return nullptr;
}

std::vector<const PlacedItem*> ReportPage::findAll(const QString& text) const {
    std::vector<const PlacedItem*> out;
    for (const auto& it : items)
        if (it.kind == PlacedItem::Kind::Text && it.text == text) out.push_back(&it);
    return out;
}

std::vector<const PlacedItem*> ReportPage::byName(const QString& name) const {
    std::vector<const PlacedItem*> out;
    for (const auto& it : items)
        if (it.kind != PlacedItem::Kind::Band && it.name() == name) out.push_back(&it);
    return out;
}

std::vector<const PlacedItem*> ReportPage::bands(const QString& name) const {
    std::vector<const PlacedItem*> out;
    for (const auto& it : items)
        if (it.kind == PlacedItem::Kind::Band && (name.isEmpty() || it.name() == name))
            out.push_back(&it);
    return out;
}

QStringList ReportPages::texts(int page) const {
    if (page < 0 || page >= count()) return {};
    return pages[size_t(page)].texts();
}

QStringList ReportPages::allTexts() const {
    QStringList out;
    for (const auto& p : pages) out << p.texts();
    return out;
}

int ReportPages::pageOf(const QString& text) const {
    for (int i = 0; i < count(); ++i)
        if (pages[size_t(i)].findText(text)) return i;
    return -1;
}

int ReportPages::countText(const QString& text) const {
    int n = 0;
    for (const auto& p : pages) n += int(p.findAll(text).size());
    return n;
}

}  // namespace report
