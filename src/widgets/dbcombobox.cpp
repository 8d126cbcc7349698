#include "widgets/dbcombobox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QWheelEvent>

#include "db/dataset.h"
#include "db/field.h"

namespace widgets {

namespace {

// The box's line edit: keys that reach it directly (the completer list hands
// typed keys straight to it) go through the box's key handling as well.
class ComboLineEdit : public QLineEdit {
public:
    ComboLineEdit(DbComboBox* owner) : QLineEdit(owner), m_owner(owner) {}

protected:
    void keyPressEvent(QKeyEvent* e) override {
        m_owner->lineEditKey(e, [this](QKeyEvent* ev) { QLineEdit::keyPressEvent(ev); });
    }

private:
    DbComboBox* m_owner;
};

}  // namespace

DbComboBox::DbComboBox(QWidget* parent) : QComboBox(parent), m_link(new FieldDataLink(this)) {
    setEditable(true);
    setLineEdit(new ComboLineEdit(this));
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(true);
    // The wheel does not take the focus (Qt's default for a combo box would):
    // see wheelEvent.
    setFocusPolicy(Qt::StrongFocus);
    m_completer = new QCompleter(model(), this);
    m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    setCompleter(m_completer);
    m_completer->popup()->installEventFilter(this);

    connect(m_link, &FieldDataLink::dataChanged, this, &DbComboBox::showField);
    connect(m_link, &FieldDataLink::activeChanged, this, &DbComboBox::updateEditable);
    connect(m_link, &FieldDataLink::editingChanged, this, &DbComboBox::updateEditable);
    connect(m_link, &FieldDataLink::updateData, this, &DbComboBox::writeField);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
        if (m_loading) return;
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
    // An item chosen from the list (the box's own or the one shown while
    // typing) goes into the field at once.
    connect(this, &QComboBox::textActivated, this, &DbComboBox::chosen);
    connect(m_completer, qOverload<const QString&>(&QCompleter::activated), this,
            &DbComboBox::chosen);
    updateEditable();
}

void DbComboBox::wheelEvent(QWheelEvent* e) {
    if (!hasFocus()) {
        // Handed on to the parent: the page scrolls.
        e->ignore();
        return;
    }
    QComboBox::wheelEvent(e);
}

void DbComboBox::setItems(const QStringList& items) {
    m_loading = true;
    const QString keep = lineEdit()->text();
    clear();
    addItems(items);
    int widest = 0;
    for (const QString& item : items) widest = std::max(widest, fontMetrics().horizontalAdvance(item));
    // Both lists (the box's own and the one shown while typing) are as wide
    // as the longest entry, also when the box itself is narrow.
    const int listWidth = widest + 30;
    view()->setMinimumWidth(listWidth);
    if (m_completer->popup()) m_completer->popup()->setMinimumWidth(listWidth);
    lineEdit()->setText(keep);
    m_loading = false;
    showField();
}

QStringList DbComboBox::items() const {
    QStringList out;
    for (int i = 0; i < count(); ++i) out << itemText(i);
    return out;
}

void DbComboBox::setReadOnly(bool r) {
    m_link->setReadOnly(r);
    updateEditable();
}

void DbComboBox::updateEditable() {
    const bool ro = !m_link->canModify();
    if (lineEdit()->isReadOnly() != ro) lineEdit()->setReadOnly(ro);
    db::Field* f = m_link->field();
    int max = 32767;
    if (f && f->isText() && f->size() > 0) max = f->size();
    // No more can be typed than the field holds; an item longer than that
    // shows cut, as the field stores it. (Setting it anew would drop the
    // selection.)
    if (lineEdit()->maxLength() != max) lineEdit()->setMaxLength(max);
}

void DbComboBox::showField() {
    if (m_link->modified()) return;
    updateEditable();
    db::Field* f = m_link->field();
    const QString t = f ? f->asString() : QString();
    m_loading = true;
    const int i = findText(t, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (currentIndex() != i) setCurrentIndex(i);
    if (lineEdit()->text() != t) {
        lineEdit()->setText(t);
        lineEdit()->setCursorPosition(0);
    }
    m_loading = false;
}

bool DbComboBox::ensureEditing() {
    if (m_link->editing()) return true;
    if (!m_link->canModify()) return false;
    const QString keep = lineEdit()->text();
    const int pos = lineEdit()->cursorPosition();
    m_link->edit();
    if (lineEdit()->text() != keep) {
        m_loading = true;
        lineEdit()->setText(keep);
        lineEdit()->setCursorPosition(pos);
        m_loading = false;
    }
    return m_link->editing();
}

void DbComboBox::writeField() {
    db::Field* f = m_link->field();
    if (!f) return;
    if (!m_link->editing()) m_link->edit();
    f->setAsString(lineEdit()->text());
}

void DbComboBox::chosen(const QString& text) {
    if (m_loading) return;
    try {
        if (!m_link->canModify()) {
            m_link->reset();
            return;
        }
        ensureEditing();
        m_loading = true;
        lineEdit()->setText(text);
        m_loading = false;
        m_link->setModified();
        m_link->updateRecord();
    } catch (...) {
        m_loading = false;
        // Raised inside the list's own event handling: reported from a
        // queued call; the chosen text stays in the box.
        raiseLater(std::current_exception());
    }
}

void DbComboBox::dropDown() {
    if (!m_dropDownOnTyping || count() == 0) return;
    QAbstractItemView* popup = m_completer->popup();
    if (popup && popup->isVisible()) return;
    // The list of the completer keeps the keyboard in the box; QComboBox's
    // own list would take it.
    m_completer->setCompletionPrefix(lineEdit()->text());
    m_completer->complete();
}

bool DbComboBox::takeHighlighted(QKeyEvent* e) {
    if (e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter) return false;
    QAbstractItemView* list = m_completer->popup();
    if (!list || !list->isVisible()) return false;
    const QModelIndex current = list->currentIndex();
    list->hide();
    if (!current.isValid()) return false;
    chosen(current.data(m_completer->completionRole()).toString());
    return true;
}

bool DbComboBox::eventFilter(QObject* watched, QEvent* e) {
    // The list shown while typing is placed below the box with the box's
    // width; a wider list that would leave the screen moves left instead.
    if ((e->type() == QEvent::Show || e->type() == QEvent::Move || e->type() == QEvent::Resize) &&
        watched == m_completer->popup() && static_cast<QWidget*>(watched)->isVisible()) {
        auto* list = static_cast<QWidget*>(watched);
        if (QScreen* s = screen()) {
            const QRect avail = s->availableGeometry();
            QRect g = list->geometry();
            if (g.right() > avail.right()) {
                g.moveRight(avail.right());
                if (g.left() < avail.left()) g.moveLeft(avail.left());
                list->setGeometry(g);
            }
        }
    }
    // A click outside the list shown while typing closes it, and the control
    // clicked gets the focus: the user who typed "Fr" and clicks the next
    // edit types on there. (A popup's closing click would otherwise be
    // swallowed, and the next keys would go on into this box.)
    if (e->type() == QEvent::MouseButtonPress && watched == m_completer->popup()) {
        auto* list = static_cast<QWidget*>(watched);
        const QPoint global = static_cast<QMouseEvent*>(e)->globalPosition().toPoint();
        if (!list->rect().contains(list->mapFromGlobal(global))) {
            list->hide();
            QWidget* ziel = QApplication::widgetAt(global);
            if (ziel && ziel != this && !isAncestorOf(ziel) && ziel->isEnabled() &&
                (ziel->focusPolicy() & Qt::ClickFocus) == Qt::ClickFocus)
                ziel->setFocus(Qt::MouseFocusReason);
            return true;
        }
    }
    return QComboBox::eventFilter(watched, e);
}

void DbComboBox::lineEditKey(QKeyEvent* e, const std::function<void(QKeyEvent*)>& base) {
    if (m_inKey) {
        base(e);
        return;
    }
    // Enter on the open list takes its highlighted entry whole ("Lab" becomes
    // "Labrador Retriever"); the window's own Enter handling follows.
    takeHighlighted(e);
    // A key handed over by the list shown while typing.
    std::unique_ptr<QKeyEvent> repl;
    if (!applyKeyHooks(e, repl)) return;
    QKeyEvent* ev = repl ? repl.get() : e;
    if (isTextChangingKey(ev)) {
        if (!m_link->canModify()) {
            ev->accept();
            return;
        }
        ensureEditing();
    }
    base(ev);
    if (repl) e->setAccepted(ev->isAccepted());
}

void DbComboBox::keyPressEvent(QKeyEvent* e) {
    takeHighlighted(e);
    std::unique_ptr<QKeyEvent> repl;
    if (!applyKeyHooks(e, repl)) return;
    QKeyEvent* ev = repl ? repl.get() : e;
    QAbstractItemView* list = m_completer->popup();
    if (ev->key() == Qt::Key_Escape && ev->modifiers() == Qt::NoModifier) {
        // Esc closes the list shown while typing (the list does that when
        // the key comes back unhandled); else it drops the typed change.
        if (list && list->isVisible()) {
            e->ignore();
            return;
        }
        if (m_link->modified()) {
            m_link->reset();
            lineEdit()->selectAll();
            e->accept();
            return;
        }
    }
    const bool typing = isTextChangingKey(ev);
    const bool stepping = (ev->key() == Qt::Key_Up || ev->key() == Qt::Key_Down ||
                           ev->key() == Qt::Key_PageUp || ev->key() == Qt::Key_PageDown) &&
                          !(ev->modifiers() & Qt::AltModifier);
    if (typing || stepping) {
        if (!m_link->canModify()) {
            ev->accept();
            return;
        }
        ensureEditing();
    }
    const QString before = lineEdit()->text();
    m_inKey = true;
    try {
        QComboBox::keyPressEvent(ev);
    } catch (...) {
        m_inKey = false;
        throw;
    }
    m_inKey = false;
    if (repl) e->setAccepted(ev->isAccepted());
    if (lineEdit()->text() != before && !m_loading) m_link->setModified();
    if (typing && !ev->text().isEmpty() && ev->text().at(0).isPrint()) dropDown();
}

void DbComboBox::focusOutEvent(QFocusEvent* e) {
    QComboBox::focusOutEvent(e);
    if (e->reason() == Qt::PopupFocusReason || e->reason() == Qt::ActiveWindowFocusReason) return;
    try {
        m_link->updateRecord();
    } catch (...) {
        setFocus(Qt::OtherFocusReason);
        throw;
    }
}

}  // namespace widgets
