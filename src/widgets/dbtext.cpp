#include "widgets/dbtext.h"

#include "db/field.h"

namespace widgets {

DbText::DbText(QWidget* parent) : QLabel(parent), m_link(new FieldDataLink(this)) {
    setTextFormat(Qt::PlainText);
    connect(m_link, &FieldDataLink::dataChanged, this, &DbText::showField);
}

void DbText::showField() {
    db::Field* f = m_link->field();
    setText(f ? f->displayText() : QString());
}

}  // namespace widgets
