#pragma once
// A plain one-line edit with the windows' key handlers (KeyDown/KeyPress in
// the manner of widgets::KeyHooks) and a handler for the moment the focus
// leaves it for another control of the window (OnExit).
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <functional>
#include <memory>

#include "widgets/common.h"

class KeyLineEdit : public QLineEdit, public widgets::KeyHooks {
public:
    explicit KeyLineEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}

    // Runs when the focus moves to another control; not when the whole window
    // loses the focus or a popup menu opens.
    std::function<void()> onExit;

protected:
    void keyPressEvent(QKeyEvent* e) override {
        std::unique_ptr<QKeyEvent> replacement;
        if (!applyKeyHooks(e, replacement)) return;
        QLineEdit::keyPressEvent(replacement ? replacement.get() : e);
    }
    void focusOutEvent(QFocusEvent* e) override {
        QLineEdit::focusOutEvent(e);
        if (!onExit) return;
        if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason) return;
        onExit();
    }
};

// Whether the key is Enter (main keyboard or keypad).
inline bool istEingabetaste(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }
