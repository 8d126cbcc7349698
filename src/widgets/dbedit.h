#pragma once
// A one-line edit bound to a field.
//
// Shows the field's display text (display format) and, while it has the
// focus, the field's edit text. Typing puts the dataset into edit state (an
// empty dataset gets a new row). The text goes into the field when the focus
// leaves the control and whenever the dataset posts; a text the field cannot
// take (ConvertError) is reported through the application's error box, the
// focus stays in the control and the text stays as typed. Esc drops the
// change. The maximum length is the size of a text field.
#include <QLineEdit>

#include "widgets/common.h"
#include "widgets/fielddatalink.h"

namespace widgets {

class DbEdit : public QLineEdit, public KeyHooks {
    Q_OBJECT
public:
    explicit DbEdit(QWidget* parent = nullptr);

    void setDataSource(db::DataSource* ds) { m_link->setDataSource(ds); }
    db::DataSource* dataSource() const { return m_link->dataSource(); }
    void setDataField(const QString& name) { m_link->setFieldName(name); }
    QString dataField() const { return m_link->fieldName(); }
    db::Field* field() const { return m_link->field(); }
    FieldDataLink* dataLink() const { return m_link; }

    // A read-only control never changes its field (hides QLineEdit's).
    void setReadOnly(bool r);
    bool isReadOnly() const { return m_link->readOnly(); }
    // Whether the user's text is not yet in the field.
    bool isModified() const { return m_link->modified(); }

    // Writes a pending change into the field now; errors propagate.
    void updateRecord() { m_link->updateRecord(); }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void showField();
    void updateEditable();
    bool ensureEditing();
    void writeField();

    FieldDataLink* m_link;
    bool m_loading = false;
};

}  // namespace widgets
