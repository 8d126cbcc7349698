#include "widgets/feldbau.h"

#include <QBoxLayout>
#include <QLabel>

#include "widgets/dbcheckbox.h"
#include "widgets/dbcombobox.h"
#include "widgets/dbedit.h"
#include "widgets/dbmemo.h"

namespace widgets {

DbEdit* boundEdit(QWidget* parent, const QString& name, db::DataSource* ds, const QString& field) {
    auto* e = new DbEdit(parent);
    e->setObjectName(name);
    e->setDataSource(ds);
    e->setDataField(field);
    return e;
}

DbMemo* boundMemo(QWidget* parent, const QString& name, db::DataSource* ds, const QString& field) {
    auto* m = new DbMemo(parent);
    m->setObjectName(name);
    m->setDataSource(ds);
    m->setDataField(field);
    return m;
}

DbComboBox* boundCombo(QWidget* parent, const QString& name, db::DataSource* ds, const QString& field,
                       const QStringList& items, bool dropDownOnTyping) {
    auto* c = new DbComboBox(parent);
    c->setObjectName(name);
    c->setItems(items);
    c->setDropDownOnTyping(dropDownOnTyping);
    c->setDataSource(ds);
    c->setDataField(field);
    return c;
}

DbCheckBox* boundCheck(QWidget* parent, const QString& name, const QString& text, db::DataSource* ds,
                       const QString& field, const QString& unchecked) {
    auto* c = new DbCheckBox(text, parent);
    c->setObjectName(name);
    c->setValueChecked(QStringLiteral("J"));
    c->setValueUnchecked(unchecked);
    c->setDataSource(ds);
    c->setDataField(field);
    return c;
}

QLabel* label(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, parent);
    if (buddy) l->setBuddy(buddy);
    return l;
}

QLabel* addLabeled(QBoxLayout* row, const QString& text, QWidget* control, int stretch) {
    QLabel* l = label(control->parentWidget(), text);
    row->addWidget(l);
    row->addWidget(control, stretch);
    return l;
}

QString boundName(const char* prefix, const QString& field) { return QString::fromLatin1(prefix) + field.toLower(); }

}  // namespace widgets
