#include "widgets/dbedit.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include "db/dataset.h"
#include "db/field.h"

namespace widgets {

DbEdit::DbEdit(QWidget* parent) : QLineEdit(parent), m_link(new FieldDataLink(this)) {
    connect(m_link, &FieldDataLink::dataChanged, this, &DbEdit::showField);
    connect(m_link, &FieldDataLink::activeChanged, this, &DbEdit::updateEditable);
    connect(m_link, &FieldDataLink::editingChanged, this, &DbEdit::updateEditable);
    connect(m_link, &FieldDataLink::updateData, this, &DbEdit::writeField);
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (m_loading) return;
        // Changes that did not come through a key (context menu, drop).
        if (!m_link->editing()) {
            try {
                if (!ensureEditing()) return;
            } catch (...) {
                raiseLater(std::current_exception());
                return;
            }
        }
        m_link->setModified();
    });
    updateEditable();
}

void DbEdit::setReadOnly(bool r) {
    m_link->setReadOnly(r);
    updateEditable();
}

void DbEdit::updateEditable() {
    const bool ro = !m_link->canModify();
    if (QLineEdit::isReadOnly() != ro) QLineEdit::setReadOnly(ro);
    db::Field* f = m_link->field();
    int max = 32767;
    if (f && f->isText() && f->size() > 0) max = f->size();
    if (maxLength() != max) {
        m_loading = true;
        setMaxLength(max);
        m_loading = false;
    }
}

void DbEdit::showField() {
    updateEditable();
    db::Field* f = m_link->field();
    QString t;
    if (f) t = hasFocus() ? f->editText() : f->displayText();
    m_loading = true;
    if (text() != t) {
        setText(t);
        if (!hasFocus()) setCursorPosition(0);
    }
    m_loading = false;
}

bool DbEdit::ensureEditing() {
    if (m_link->editing()) return true;
    if (!m_link->canModify()) return false;
    // An empty dataset gets a new row, which shows the (empty) field again:
    // keep what the user has in the control.
    const QString keep = text();
    const int pos = cursorPosition();
    m_link->edit();
    if (text() != keep) {
        m_loading = true;
        setText(keep);
        setCursorPosition(pos);
        m_loading = false;
    }
    return m_link->editing();
}

void DbEdit::writeField() {
    db::Field* f = m_link->field();
    if (!f) return;
    if (!m_link->editing()) m_link->edit();
    f->setAsString(text());
}

void DbEdit::keyPressEvent(QKeyEvent* e) {
    std::unique_ptr<QKeyEvent> repl;
    if (!applyKeyHooks(e, repl)) return;
    QKeyEvent* ev = repl ? repl.get() : e;
    if (ev->key() == Qt::Key_Escape && ev->modifiers() == Qt::NoModifier && m_link->modified()) {
        m_link->reset();
        selectAll();
        ev->accept();
        return;
    }
    if (isTextChangingKey(ev)) {
        if (!m_link->canModify()) {
            ev->accept();
            return;
        }
        ensureEditing();
    }
    QLineEdit::keyPressEvent(ev);
    if (repl) e->setAccepted(ev->isAccepted());
}

void DbEdit::focusInEvent(QFocusEvent* e) {
    // The edit text first, so that focusing by Tab selects all of it.
    if (!m_link->modified()) showField();
    QLineEdit::focusInEvent(e);
}

void DbEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    // A menu or another window taking the focus is no leaving of the control.
    if (e->reason() == Qt::PopupFocusReason || e->reason() == Qt::ActiveWindowFocusReason) return;
    try {
        m_link->updateRecord();
    } catch (...) {
        // The text stays as typed and the user stays in the control.
        setFocus(Qt::OtherFocusReason);
        selectAll();
        throw;
    }
    if (!m_link->modified()) showField();
}

}  // namespace widgets
