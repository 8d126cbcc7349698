#pragma once
// A multi-line text bound to a field.
//
// Like DbEdit: typing puts the dataset into edit state, the text goes into
// the field when the focus leaves and when the dataset posts. setMaxLength(n)
// refuses typing and pasting beyond n characters; without it the size of a
// text field is the limit, so nothing typed is cut off unseen. The Tab key
// moves the focus unless setWantTabs(true).
#include <QPlainTextEdit>

#include "widgets/common.h"
#include "widgets/fielddatalink.h"

namespace widgets {

class DbMemo : public QPlainTextEdit, public KeyHooks {
    Q_OBJECT
public:
    explicit DbMemo(QWidget* parent = nullptr);

    void setDataSource(db::DataSource* ds) { m_link->setDataSource(ds); }
    db::DataSource* dataSource() const { return m_link->dataSource(); }
    void setDataField(const QString& name) { m_link->setFieldName(name); }
    QString dataField() const { return m_link->fieldName(); }
    db::Field* field() const { return m_link->field(); }
    FieldDataLink* dataLink() const { return m_link; }

    void setReadOnly(bool r);
    bool isReadOnly() const { return m_link->readOnly(); }
    bool isModified() const { return m_link->modified(); }

    // At most n characters (0: the field's size for text fields, else none).
    void setMaxLength(int n);
    int maxLength() const { return m_maxLength; }
    // The limit in force.
    int effectiveMaxLength() const;

    void setWantTabs(bool w) { setTabChangesFocus(!w); }
    bool wantTabs() const { return !tabChangesFocus(); }

    void updateRecord() { m_link->updateRecord(); }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void insertFromMimeData(const QMimeData* source) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;

private:
    void showField();
    void updateEditable();
    bool ensureEditing();
    void writeField();
    void enforceLimit();
    int room() const;

    FieldDataLink* m_link;
    int m_maxLength = 0;
    bool m_loading = false;
};

}  // namespace widgets
