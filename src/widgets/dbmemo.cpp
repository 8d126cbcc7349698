#include "widgets/dbmemo.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>

#include "db/dataset.h"
#include "db/field.h"

namespace widgets {

DbMemo::DbMemo(QWidget* parent) : QPlainTextEdit(parent), m_link(new FieldDataLink(this)) {
    setTabChangesFocus(true);
    connect(m_link, &FieldDataLink::dataChanged, this, &DbMemo::showField);
    connect(m_link, &FieldDataLink::activeChanged, this, &DbMemo::updateEditable);
    connect(m_link, &FieldDataLink::editingChanged, this, &DbMemo::updateEditable);
    connect(m_link, &FieldDataLink::updateData, this, &DbMemo::writeField);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (m_loading) return;
        enforceLimit();
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

void DbMemo::setReadOnly(bool r) {
    m_link->setReadOnly(r);
    updateEditable();
}

void DbMemo::setMaxLength(int n) {
    m_maxLength = n < 0 ? 0 : n;
    enforceLimit();
}

int DbMemo::effectiveMaxLength() const {
    if (m_maxLength > 0) return m_maxLength;
    db::Field* f = m_link->field();
    if (f && f->isText() && f->size() > 0) return f->size();
    return 0;
}

int DbMemo::room() const {
    const int max = effectiveMaxLength();
    if (max <= 0) return INT_MAX;
    const QTextCursor c = textCursor();
    const int selected = c.selectionEnd() - c.selectionStart();
    const int length = document()->characterCount() - 1;
    return std::max(0, max - (length - selected));
}

void DbMemo::enforceLimit() {
    const int max = effectiveMaxLength();
    if (max <= 0) return;
    const QString t = toPlainText();
    if (t.size() <= max) return;
    const bool loading = m_loading;
    m_loading = true;
    QTextCursor c(document());
    c.setPosition(max);
    c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    m_loading = loading;
}

void DbMemo::updateEditable() { QPlainTextEdit::setReadOnly(!m_link->canModify()); }

void DbMemo::showField() {
    updateEditable();
    db::Field* f = m_link->field();
    const QString t = f ? f->asString() : QString();
    if (toPlainText() == t) return;
    m_loading = true;
    setPlainText(t);
    m_loading = false;
}

bool DbMemo::ensureEditing() {
    if (m_link->editing()) return true;
    if (!m_link->canModify()) return false;
    const QString keep = toPlainText();
    const int pos = textCursor().position();
    m_link->edit();
    if (toPlainText() != keep) {
        m_loading = true;
        setPlainText(keep);
        QTextCursor c = textCursor();
        c.setPosition(std::min(pos, int(keep.size())));
        setTextCursor(c);
        m_loading = false;
    }
    return m_link->editing();
}

void DbMemo::writeField() {
    db::Field* f = m_link->field();
    if (!f) return;
    if (!m_link->editing()) m_link->edit();
    f->setAsString(toPlainText());
}

void DbMemo::keyPressEvent(QKeyEvent* e) {
    std::unique_ptr<QKeyEvent> repl;
    if (!applyKeyHooks(e, repl)) return;
    QKeyEvent* ev = repl ? repl.get() : e;
    if (ev->key() == Qt::Key_Escape && ev->modifiers() == Qt::NoModifier && m_link->modified()) {
        m_link->reset();
        ev->accept();
        return;
    }
    if (isTextChangingKey(ev) || ev->key() == Qt::Key_Return || ev->key() == Qt::Key_Enter ||
        (ev->key() == Qt::Key_Tab && !tabChangesFocus())) {
        if (!m_link->canModify()) {
            ev->accept();
            return;
        }
        // A new character where there is no room is refused.
        const bool inserts = ev->key() == Qt::Key_Return || ev->key() == Qt::Key_Enter ||
                             ev->key() == Qt::Key_Tab ||
                             (!ev->text().isEmpty() && ev->text().at(0).isPrint() &&
                              !(ev->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)));
        if (inserts && room() < 1) {
            ev->accept();
            return;
        }
        ensureEditing();
    }
    QPlainTextEdit::keyPressEvent(ev);
    if (repl) e->setAccepted(ev->isAccepted());
}

bool DbMemo::canInsertFromMimeData(const QMimeData* source) const {
    return m_link->canModify() && QPlainTextEdit::canInsertFromMimeData(source);
}

void DbMemo::insertFromMimeData(const QMimeData* source) {
    if (!source || !m_link->canModify()) return;
    QString t = source->text();
    const int r = room();
    if (t.size() > r) t.truncate(r);
    if (t.isEmpty()) return;
    ensureEditing();
    textCursor().insertText(t);
    ensureCursorVisible();
}

void DbMemo::focusOutEvent(QFocusEvent* e) {
    QPlainTextEdit::focusOutEvent(e);
    if (e->reason() == Qt::PopupFocusReason || e->reason() == Qt::ActiveWindowFocusReason) return;
    try {
        m_link->updateRecord();
    } catch (...) {
        setFocus(Qt::OtherFocusReason);
        throw;
    }
}

}  // namespace widgets
