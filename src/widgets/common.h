#pragma once
// Pieces shared by the data-aware controls: key hooks in the manner of the
// windows' KeyDown/KeyPress handlers, the delete confirmation and reporting an
// error that arises inside Qt's own machinery.
#include <QChar>
#include <QString>
#include <Qt>
#include <exception>
#include <functional>
#include <memory>

class QKeyEvent;
class QWidget;

namespace widgets {

// Key handlers a window can attach to a control.
//   onKeyDown  runs when a key goes down, before the control sees it; set
//              `key` to 0 to swallow the key.
//   onKeyPress runs for a typed character (Enter is '\r', Esc 0x1b, Backspace
//              '\b'); replace the character, or set it to QChar() to swallow it.
struct KeyHooks {
    std::function<void(int& key, Qt::KeyboardModifiers modifiers)> onKeyDown;
    std::function<void(QChar& ch)> onKeyPress;

    // Runs both hooks on the event. Returns false when the key was swallowed
    // (the event is then accepted). When the character was replaced,
    // `replacement` holds the event to handle instead of `e`.
    bool applyKeyHooks(QKeyEvent* e, std::unique_ptr<QKeyEvent>& replacement) const;
};

// Whether the key changes the text of an edit control (characters, Backspace,
// Delete, cut, paste, undo, ...).
bool isTextChangingKey(const QKeyEvent* e);

// The question before a row is deleted ("Datensatz löschen?"). Returns true
// for "Ja". The program installs its own dialog here; without one a
// QMessageBox with "&Ja" and "&Nein" asks.
using ConfirmHandler = std::function<bool(const QString& text)>;
void setConfirmHandler(ConfirmHandler handler);
bool confirm(const QString& text, QWidget* parent = nullptr);

// The text of the standard delete confirmation.
inline QString deleteQuestion() { return QStringLiteral("Datensatz löschen?"); }

// Hands an exception that was caught inside Qt's own event machinery (item
// views, combo popups) to the application's error box: it is thrown again
// from a queued call, so that the application object's event handler catches
// it as it catches any exception that leaves an event handler.
void raiseLater(std::exception_ptr e);

// A window became active: the datasets its controls and grids show read
// again the rows that another dataset of the same table saved meanwhile
// (db::Dataset::resync). Errors propagate.
void resyncDatasets(QWidget* window);

}  // namespace widgets
