#pragma once
// A combo box bound to a field: free typing besides the items (setItems).
//
// Shows the field's text, also when it is none of the items. Typing puts the
// dataset into edit state and drops the list down as soon as typing starts
// (the keyboard stays in the box; the list follows the typed text; a click
// elsewhere closes it and focuses what was clicked). Choosing
// an item writes its text into the field at once, where a text field cuts it
// to its size ("Aktiv" becomes "A" in a one-character column). Typed text is
// written when the focus leaves and when the dataset posts, as in DbEdit.
// The mouse wheel changes the value only while the box has the focus: over a
// box the user merely scrolls past, it scrolls the page (a long questionnaire)
// instead of choosing another item for the record.
#include <QComboBox>

#include "widgets/common.h"
#include "widgets/fielddatalink.h"

class QCompleter;

namespace widgets {

class DbComboBox : public QComboBox, public KeyHooks {
    Q_OBJECT
public:
    explicit DbComboBox(QWidget* parent = nullptr);

    void setDataSource(db::DataSource* ds) { m_link->setDataSource(ds); }
    db::DataSource* dataSource() const { return m_link->dataSource(); }
    void setDataField(const QString& name) { m_link->setFieldName(name); }
    QString dataField() const { return m_link->fieldName(); }
    db::Field* field() const { return m_link->field(); }
    FieldDataLink* dataLink() const { return m_link; }

    void setItems(const QStringList& items);
    QStringList items() const;

    void setReadOnly(bool r);
    bool isReadOnly() const { return m_link->readOnly(); }
    bool isModified() const { return m_link->modified(); }
    // Whether the list drops down when typing starts (default true).
    void setDropDownOnTyping(bool on) { m_dropDownOnTyping = on; }
    // The list shown while typing, for tests.
    QCompleter* typingList() const { return m_completer; }

    void updateRecord() { m_link->updateRecord(); }

    // Used by the box's own line edit.
    void lineEditKey(QKeyEvent* e, const std::function<void(QKeyEvent*)>& base);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    void showField();
    void updateEditable();
    bool ensureEditing();
    void writeField();
    void chosen(const QString& text);
    void dropDown();
    bool takeHighlighted(QKeyEvent* e);

    FieldDataLink* m_link;
    QCompleter* m_completer = nullptr;
    bool m_loading = false;
    bool m_inKey = false;
    bool m_dropDownOnTyping = true;
};

}  // namespace widgets
