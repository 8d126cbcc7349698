#pragma once
// Test double for the dialogs: answers each box from a queue and records
// every box in the order shown.
//
//   platform::ScopedScriptedDialogs d;         // installed until the end of the scope
//   d.answer(platform::Answer::Ja);            // the next confirmation box gets "Ja"
//   d.expectMessage();                         // then a message box, acknowledged with OK
//   ... drive the window ...
//   QCOMPARE(d.texts().last(), QString("..."));
//   KYN_VERIFY_DIALOGS(d);                     // no unexpected box, every answer used
//
// A box for which nothing (or something of another kind) is queued is an
// unexpected box: it is recorded, reported with qWarning (prefix
// "ScriptedDialogs: unexpected") and answered as if the user had closed it
// (declineAnswer, empty file name). KYN_VERIFY_DIALOGS fails the test then;
// a test can also make the warning itself fail it with
// QTest::failOnWarning(platform::ScriptedDialogs::unexpectedWarning()).
#include "dialogs.h"

#include <QList>
#include <QRegularExpression>
#include <QStringList>

namespace platform {

enum class BoxKind { Message, Error, Confirm, OpenFile, SaveFile };

// One box as shown.
struct ShownBox {
    BoxKind kind = BoxKind::Message;
    QString text;        // message or question; the caption of a file dialog
    QString title;       // window title (message, error, confirmation)
    Icon icon = Icon::Information;
    Buttons buttons = Buttons::JaNein;   // confirmation only
    Answer defaultButton = Answer::Ja;  // confirmation only
    QString dir, filter, acceptLabel, defaultSuffix;  // file dialogs only
    Answer answer = Answer::Ja;         // what a confirmation returned
    QString fileName;                   // what a file dialog returned
    bool expected = true;               // false: nothing suitable was queued
};

class ScriptedDialogs : public Dialogs {
public:
    ScriptedDialogs() = default;
    ~ScriptedDialogs() override;

    // --- the script (consumed in order) ---
    // A message box (any icon) or the error box; acknowledged with OK. With a
    // text, the box must show exactly that text.
    ScriptedDialogs& expectMessage(const QString& text = QString());
    // The standard error box only.
    ScriptedDialogs& expectError(const QString& text = QString());
    // A confirmation box answered with a (which the box must offer).
    ScriptedDialogs& expectConfirm(Answer a, const QString& text = QString());
    ScriptedDialogs& answer(Answer a) { return expectConfirm(a); }
    // A file dialog that returns path; an empty path is "cancelled".
    ScriptedDialogs& expectOpenFile(const QString& path);
    ScriptedDialogs& expectSaveFile(const QString& path);
    // Message and error boxes are acknowledged without being queued (they are
    // still recorded). Off by default.
    void setAcknowledgeMessages(bool on) { m_ackMessages = on; }

    // --- what happened ---
    const QList<ShownBox>& shown() const { return m_shown; }
    QStringList texts() const;
    QString lastText() const { return m_shown.isEmpty() ? QString() : m_shown.last().text; }
    int count() const { return int(m_shown.size()); }
    // A box came that was not queued, or a queued text/answer did not fit.
    bool unexpected() const { return !m_problems.isEmpty(); }
    // Queued answers not yet used.
    int pending() const { return int(m_queue.size()); }
    // No unexpected box and every queued answer used.
    bool ok() const { return !unexpected() && pending() == 0; }
    // Explanation for a failed ok(): problems, unused answers, boxes shown.
    QString report() const;
    // Forget the boxes, the problems and the queue.
    void clear();

    static QRegularExpression unexpectedWarning();

protected:
    void showMessage(const QString& text, Icon icon, const QString& title) override;
    Answer showConfirm(const QString& text, const QString& title, Buttons buttons, Icon icon,
                       Answer defaultButton) override;
    QString showOpenFile(const QString& caption, const QString& dir, const QString& filter,
                         const QString& acceptLabel, const QString& defaultSuffix) override;
    QString showSaveFile(const QString& caption, const QString& dir, const QString& filter,
                         const QString& acceptLabel, const QString& defaultSuffix) override;
    void showError(const QString& text) override;

private:
    struct Expected {
        BoxKind kind;
        QString text;    // required text, empty = any
        Answer answer = Answer::Ja;
        QString path;
    };
    // Takes the queued entry for a box of this kind, or records the box as
    // unexpected and returns false.
    bool take(ShownBox& box, Expected& out);
    void problem(const QString& what);
    void message(BoxKind kind, const QString& text, Icon icon, const QString& title);
    QString file(BoxKind kind, const QString& caption, const QString& dir, const QString& filter,
                 const QString& acceptLabel, const QString& defaultSuffix);

    QList<Expected> m_queue;
    QList<ShownBox> m_shown;
    QStringList m_problems;
    bool m_ackMessages = false;
};

// A ScriptedDialogs that installs itself for its lifetime.
class ScopedScriptedDialogs : public ScriptedDialogs {
public:
    ScopedScriptedDialogs() : m_guard(this) {}

private:
    DialogsGuard m_guard;
};

QString boxKindName(BoxKind kind);

} // namespace platform

// For Qt Test functions.
#define KYN_VERIFY_DIALOGS(d) QVERIFY2((d).ok(), qPrintable((d).report()))
