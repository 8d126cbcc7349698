#include "report/report.h"

#include <QFontMetricsF>
#include <QHash>
#include <QTextLayout>
#include <stdexcept>

#include "report/reportpaint.h"

namespace report {

Band::Band(BandKind kind, QString n, double heightMM) : name(std::move(n)), height(heightMM), kind_(kind) {}

Item& Band::addLabel(const QString& text, double left, double top, const Font& font, double width, Align align) {
    Item it;
    it.kind = Item::Kind::Label;
    it.text = text;
    it.left = left;
    it.top = top;
    it.width = width;
    it.font = font;
    it.align = align;
    items_.push_back(it);
    return items_.back();
}

Item& Band::addData(const QString& name, double left, double top, const Font& font, double width, Align align,
                    bool wordWrap) {
    Item& it = addLabel(QString(), left, top, font, width, align);
    it.kind = Item::Kind::Data;
    it.name = name;
    it.wordWrap = wordWrap;
    return it;
}

Item& Band::addLine(double left, double top, double width, double penWidth) {
    Item& it = addFrame(left, top, width, 0, penWidth);
    it.kind = Item::Kind::Line;
    return it;
}

Item& Band::addFrame(double left, double top, double width, double height, double penWidth) {
    Item it;
    it.kind = Item::Kind::Frame;
    it.left = left;
    it.top = top;
    it.width = width;
    it.height = height;
    it.penWidth = penWidth;
    items_.push_back(it);
    return items_.back();
}

Item& Band::addFill(double left, double top, double width, double height) {
    Item& it = addFrame(left, top, width, height, 0);
    it.kind = Item::Kind::Fill;
    return it;
}

Item& Band::item(const QString& n) {
    for (Item& it : items_)
        if (it.name == n) return it;
    throw std::invalid_argument(
        QStringLiteral("Berichtsband \"%1\" hat kein Element \"%2\"").arg(name, n).toStdString());
}

Band& Band::addChild(double heightMM, const QString& n) {
    children_.push_back(std::make_unique<Band>(BandKind::Child, n, heightMM));
    return *children_.back();
}

Band& Band::addSubDetail(double heightMM, std::function<bool()> need, const QString& n) {
    subDetails_.push_back(std::make_unique<Band>(BandKind::SubDetail, n, heightMM));
    subDetails_.back()->needData = std::move(need);
    return *subDetails_.back();
}

Report::Report() = default;
Report::~Report() = default;

Band& Report::setBand(BandKind kind, double heightMM, const QString& name) {
    const int k = int(kind);
    if (k > int(BandKind::PageFooter))
        throw std::invalid_argument("Kind- und Unterbänder hängen an ihrem Elternband");
    bands_[k] = std::make_unique<Band>(kind, name, heightMM);
    return *bands_[k];
}

Band* Report::band(BandKind kind) const {
    const int k = int(kind);
    return k <= int(BandKind::PageFooter) ? bands_[k].get() : nullptr;
}

namespace {

constexpr double U = kUnitsPerMM;

// A band measured for one print: its height and its items relative to the band.
struct Prepared {
    Band* band;
    double height;
    std::vector<PlacedItem> items;
};

QStringList wrapLines(const QString& text, const QFont& font, double widthMM) {
    QStringList out;
    QTextOption opt;
    opt.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QString t = text;
    t.remove(QLatin1Char('\r'));
    for (const QString& par : t.split(QLatin1Char('\n'))) {
        if (par.isEmpty()) {
            out << QString();
            continue;
        }
        QTextLayout tl(par, font);
        tl.setTextOption(opt);
        tl.beginLayout();
        for (QTextLine l = tl.createLine(); l.isValid(); l = tl.createLine()) {
            l.setLineWidth(widthMM * U);
            QString s = par.mid(l.textStart(), l.textLength());
            while (!s.isEmpty() && s.back().isSpace()) s.chop(1);
            out << s;
        }
        tl.endLayout();
    }
    return out;
}

// What the layout needs of a font, measured once per font for the run of
// the program (fonts outlive no application; the metrics are small).
struct FontInfo {
    QFont font;
    QFontMetricsF metrics;
    double lineHeight, lineSpacing;  // mm
    QHash<QString, double> labelWidths;  // mm, by text
};

// A report uses a handful of fonts; every text item asks for its font, so
// the look-up compares the fields instead of building a key text.
FontInfo& fontInfo(const Font& f) {
    static auto* cache = new std::vector<std::pair<Font, FontInfo*>>;
    for (const auto& e : *cache)
        if (e.first == f) return *e.second;
    const QFont q = toQFont(f);
    const QFontMetricsF fm(q);
    cache->emplace_back(f, new FontInfo{q, fm, fm.height() / U, fm.lineSpacing() / U, {}});
    return *cache->back().second;
}

// Width in mm of a fixed label, measured once per text and font.
double labelWidth(const QString& text, FontInfo& info) {
    auto& cache = info.labelWidths;
    auto it = cache.constFind(text);
    if (it != cache.constEnd()) return *it;
    // Labels are few; a program that made endless different ones would
    // only start measuring again.
    if (cache.size() > 4096) cache.clear();
    return *cache.insert(text, info.metrics.horizontalAdvance(text) / U);
}

// The shared style equal to `fresh`: the one kept in `cache` while nothing
// changed, else a new one that is kept from then on.
std::shared_ptr<const PlacedStyle> shared(std::shared_ptr<const PlacedStyle>& cache, const PlacedStyle& fresh) {
    if (!cache || !(*cache == fresh)) cache = std::make_shared<const PlacedStyle>(fresh);
    return cache;
}

Prepared prepare(Band& b) {
    Prepared p{&b, b.height, {}};
    p.items.reserve(b.items().size());
    for (const Item& it : b.items()) {
        if (!it.visible) continue;
        PlacedItem pi;
        PlacedStyle st;
        st.name = it.name;
        st.band = b.name;
        st.color = it.color;
        st.penWidth = it.penWidth;
        if (it.kind == Item::Kind::Line || it.kind == Item::Kind::Frame || it.kind == Item::Kind::Fill) {
            pi.kind = it.kind == Item::Kind::Line    ? PlacedItem::Kind::Line
                      : it.kind == Item::Kind::Frame ? PlacedItem::Kind::Frame
                                                     : PlacedItem::Kind::Fill;
            pi.rect = QRectF(it.left, it.top, it.width, it.kind == Item::Kind::Line ? 0 : it.height);
            pi.style = shared(it.placed, st);
            p.items.push_back(std::move(pi));
            continue;
        }
        if (it.text.isEmpty()) continue;  // nothing to see
        FontInfo& fi = fontInfo(it.font);
        pi.kind = PlacedItem::Kind::Text;
        pi.text = it.text;
        st.font = it.font;
        st.align = it.align;
        st.wordWrap = it.wordWrap && it.width > 0;
        st.clip = !st.wordWrap && it.width > 0;
        st.lineHeight = fi.lineHeight;
        st.lineSpacing = fi.lineSpacing;
        if (st.wordWrap) pi.lines = wrapLines(it.text, fi.font, it.width);
        const double w = it.width > 0                     ? it.width
                         : it.kind == Item::Kind::Label ? labelWidth(it.text, fi)
                                                          : fi.metrics.horizontalAdvance(it.text) / U;
        const double h = st.lineHeight + (qMax(1, int(pi.lines.size())) - 1) * st.lineSpacing;
        pi.rect = QRectF(it.left, it.top, w, h);
        if (st.wordWrap) {
            // The band grows by what the text needs beyond one line; the space
            // designed below the item stays.
            const double below = qMax(0.0, b.height - (it.top + st.lineHeight));
            p.height = qMax(p.height, it.top + h + below);
        }
        pi.style = shared(it.placed, st);
        p.items.push_back(std::move(pi));
    }
    return p;
}

}  // namespace

struct Report::Run {
    Report& r;
    ReportPages out;
    double y = 0, bottom = 0, contentTop = 0;

    void place(Prepared& p) {
        ReportPage& page = out.pages.back();
        PlacedItem band;
        band.kind = PlacedItem::Kind::Band;
        band.rect = QRectF(r.marginLeft, y, r.bandWidth(), p.height);
        PlacedStyle st;
        st.color = p.band->color;
        st.name = st.band = p.band->name;
        band.style = shared(p.band->placed, st);
        page.items.push_back(band);
        for (PlacedItem& it : p.items) {
            it.rect.translate(r.marginLeft, y);
            page.items.push_back(std::move(it));
        }
        y += p.height;
    }

    // A band that does not fit goes to a new page, unless the page is still
    // empty (a band taller than a page cannot be helped).
    void ensureRoom(double h) {
        if (y + h > bottom + 1e-6 && y > contentTop + 1e-6) {
            finishPage();
            startPage();
        }
    }

    void collect(Band& b, std::vector<Prepared>& group) {
        if (b.beforePrint) b.beforePrint(b);
        if (!b.visible) return;
        group.push_back(prepare(b));
        for (auto& c : b.children()) collect(*c, group);
    }

    // The bands that print(b) would place, in the same order, prepared but
    // not yet placed.
    void gather(Band& b, std::vector<Prepared>& out) {
        std::vector<Prepared> group;
        collect(b, group);
        std::vector<Band*> parents;
        for (auto& p : group) {
            parents.push_back(p.band);
            out.push_back(std::move(p));
        }
        for (Band* parent : parents)
            for (auto& sub : parent->subDetails())
                while (sub->needData && sub->needData()) gather(*sub, out);
    }

    // The band, then its child bands (each after its own parent), then the
    // sub-detail bands of all of them, each repeated while it needs data.
    void print(Band& b) {
        if (b.keepWithSubDetails) {
            std::vector<Prepared> all;
            gather(b, all);
            double total = 0;
            for (const auto& p : all) total += p.height;
            // A group taller than an empty page starts where it is.
            if (total <= bottom - contentTop + 1e-6) ensureRoom(total);
            for (auto& p : all) {
                ensureRoom(p.height);
                place(p);
            }
            return;
        }
        std::vector<Prepared> group;
        collect(b, group);
        if (group.empty()) return;
        if (b.keepTogether) {
            double total = 0;
            for (const auto& p : group) total += p.height;
            ensureRoom(total);
        }
        for (auto& p : group) {
            ensureRoom(p.height);
            place(p);
        }
        for (const auto& p : group)
            for (auto& sub : p.band->subDetails())
                while (sub->needData && sub->needData()) print(*sub);
    }

    void startPage() {
        // A page holds about as many items as the one before.
        const size_t expected = out.pages.empty() ? 0 : out.pages.back().items.size() + 16;
        out.pages.emplace_back();
        out.pages.back().items.reserve(expected);
        ++r.pageNumber_;
        y = contentTop = r.marginTop;
        const Band* footer = r.band(BandKind::PageFooter);
        bottom = r.pageSizeMM.height() - r.marginBottom - (footer ? footer->height : 0);
        if (Band* h = r.band(BandKind::PageHeader)) print(*h);
        if (Band* c = r.band(BandKind::ColumnHeader); c && r.pageNumber_ > 1 && r.columnHeaderOnEveryPage)
            print(*c);
        contentTop = y;
    }

    void finishPage() {
        placeFooter();
        trimPage();
    }

    void placeFooter() {
        Band* footer = r.band(BandKind::PageFooter);
        if (!footer) return;
        if (footer->beforePrint) footer->beforePrint(*footer);
        if (!footer->visible) return;
        Prepared p = prepare(*footer);
        y = r.pageSizeMM.height() - r.marginBottom - p.height;
        place(p);
    }

    // A finished page keeps no room for items it did not get.
    void trimPage() {
        auto& items = out.pages.back().items;
        if (items.capacity() > items.size() + items.size() / 8) items.shrink_to_fit();
    }
};

ReportPages Report::layout() {
    Run run{*this, {}};
    run.out.pageSizeMM = pageSizeMM;
    pageNumber_ = 0;
    run.startPage();
    if (Band* t = band(BandKind::Title)) run.print(*t);
    if (Band* c = band(BandKind::ColumnHeader)) run.print(*c);
    if (Band* d = band(BandKind::Detail); d && needData)
        while (needData()) run.print(*d);
    if (Band* s = band(BandKind::Summary)) run.print(*s);
    run.finishPage();
    return std::move(run.out);
}

}  // namespace report
