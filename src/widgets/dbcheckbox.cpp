#include "widgets/dbcheckbox.h"

#include <QKeyEvent>

#include "db/dataset.h"
#include "db/field.h"

namespace widgets {

DbCheckBox::DbCheckBox(QWidget* parent) : DbCheckBox(QString(), parent) {}

DbCheckBox::DbCheckBox(const QString& text, QWidget* parent)
    : QCheckBox(text, parent), m_link(new FieldDataLink(this)) {
    setTristate(true);
    connect(m_link, &FieldDataLink::dataChanged, this, &DbCheckBox::showField);
    showField();
}

void DbCheckBox::setValueChecked(const QString& v) {
    m_checked = v;
    showField();
}

void DbCheckBox::setValueUnchecked(const QString& v) {
    m_unchecked = v;
    showField();
}

bool DbCheckBox::matches(const QString& values, const QString& text) {
    for (const QString& v : values.split(QLatin1Char(';')))
        if (v.compare(text, Qt::CaseInsensitive) == 0) return true;
    return false;
}

QString DbCheckBox::firstValue(const QString& values) {
    return values.section(QLatin1Char(';'), 0, 0);
}

void DbCheckBox::showField() {
    db::Field* f = m_link->field();
    Qt::CheckState s = Qt::PartiallyChecked;
    if (f && !f->isNull()) {
        QString t = f->asString();
        // Fixed-length columns come back padded with blanks.
        if (f->dataType() == db::FieldType::FixedChar) {
            while (t.endsWith(QLatin1Char(' '))) t.chop(1);
        }
        if (matches(m_checked, t)) s = Qt::Checked;
        else if (matches(m_unchecked, t)) s = Qt::Unchecked;
    }
    if (checkState() != s) setCheckState(s);
}

void DbCheckBox::nextCheckState() {
    if (!m_link->canModify()) return;
    const bool tick = checkState() != Qt::Checked;
    try {
        m_link->edit();
        db::Field* f = m_link->field();
        if (!f) return;
        f->setAsString(firstValue(tick ? m_checked : m_unchecked));
    } catch (...) {
        // Inside the button's click handling: reported from a queued call.
        raiseLater(std::current_exception());
    }
    showField();
}

void DbCheckBox::keyPressEvent(QKeyEvent* e) {
    std::unique_ptr<QKeyEvent> repl;
    if (!applyKeyHooks(e, repl)) return;
    QCheckBox::keyPressEvent(repl ? repl.get() : e);
}

}  // namespace widgets
