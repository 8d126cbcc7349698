#pragma once
// A check box bound to a field that stores one value for ticked and one for
// not ticked (default "J" and "N").
//
// The field's text is compared with both values ignoring case (each value may
// list alternatives separated by ";", the first is the one written): equal to
// the checked value shows ticked, equal to the unchecked value not ticked,
// anything else (empty, another text) greyed. A click puts the dataset into
// edit state and writes the value of the new state; a click on a greyed box
// ticks it.
#include <QCheckBox>

#include "widgets/common.h"
#include "widgets/fielddatalink.h"

namespace widgets {

class DbCheckBox : public QCheckBox, public KeyHooks {
    Q_OBJECT
public:
    explicit DbCheckBox(QWidget* parent = nullptr);
    explicit DbCheckBox(const QString& text, QWidget* parent = nullptr);

    void setDataSource(db::DataSource* ds) { m_link->setDataSource(ds); }
    db::DataSource* dataSource() const { return m_link->dataSource(); }
    void setDataField(const QString& name) { m_link->setFieldName(name); }
    QString dataField() const { return m_link->fieldName(); }
    db::Field* field() const { return m_link->field(); }
    FieldDataLink* dataLink() const { return m_link; }

    void setValueChecked(const QString& v);
    QString valueChecked() const { return m_checked; }
    void setValueUnchecked(const QString& v);
    QString valueUnchecked() const { return m_unchecked; }

    void setReadOnly(bool r) { m_link->setReadOnly(r); }
    bool isReadOnly() const { return m_link->readOnly(); }

protected:
    void nextCheckState() override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void showField();
    static bool matches(const QString& values, const QString& text);
    static QString firstValue(const QString& values);

    FieldDataLink* m_link;
    QString m_checked = QStringLiteral("J");
    QString m_unchecked = QStringLiteral("N");
};

}  // namespace widgets
