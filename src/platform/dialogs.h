#pragma once
// Message, confirmation and file dialogs.
//
// Every box of the program goes through platform::dialogs(), so that tests can
// put a ScriptedDialogs in its place (scripteddialogs.h) that answers each
// box and records its text.
//
//   platform::dialogs().messageBox("Import abgeschlossen.", platform::Icon::Information);
//   if (platform::dialogs().confirm(text, "Bestätigung", platform::Buttons::JaAbbrechen)
//           != platform::Answer::Ja) return;
#include <QString>
#include <memory>

class QMessageBox;
class QAbstractButton;
class QFileDialog;
class QWidget;

namespace platform {

enum class Icon { Information, Warning, Error, Question };
// The button sets of a confirmation box, captions "&Ja", "&Nein", "&Abbrechen".
enum class Buttons { JaNein, JaAbbrechen, JaNeinAbbrechen };
enum class Answer { Ja, Nein, Abbrechen };

// The answer that closing the box by Escape or its frame gives:
// "Nein" for Ja/Nein, "Abbrechen" where the box has that button.
Answer declineAnswer(Buttons buttons);
// Whether the box offers that answer as a button.
bool offers(Buttons buttons, Answer answer);

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A message with an OK button.
    void messageBox(const QString& text, Icon icon = Icon::Information,
                    const QString& title = QStringLiteral("Kynovia")) {
        showMessage(text, icon, title);
    }

    // A question; returns the button the user chose (closing the box counts
    // as declineAnswer(buttons)).
    Answer confirm(const QString& text, const QString& title = QStringLiteral("Bestätigung"),
                   Buttons buttons = Buttons::JaNein, Icon icon = Icon::Question,
                   Answer defaultButton = Answer::Ja) {
        return showConfirm(text, title, buttons, icon, defaultButton);
    }

    // Open-file dialog. filter: Qt style ("CSV-Dateien (*.csv *.txt)") or
    // "Beschreibung|*.csv;*.txt|..." pairs; empty = all files. acceptLabel:
    // caption of the confirm button (e.g. "Übernehmen"), empty = the
    // standard one. defaultSuffix ("doc" or "*.doc") is added to a typed name
    // without an extension. Returns the chosen file, empty when cancelled.
    QString openFileName(const QString& caption = QString(), const QString& dir = QString(),
                         const QString& filter = QString(), const QString& acceptLabel = QString(),
                         const QString& defaultSuffix = QString()) {
        return showOpenFile(caption, dir, filter, acceptLabel, defaultSuffix);
    }
    // Save-file dialog. `dir` is the folder it opens in, or a file path: the
    // dialog then opens in that file's folder with its name filled in.
    QString saveFileName(const QString& caption = QString(), const QString& dir = QString(),
                         const QString& filter = QString(), const QString& acceptLabel = QString(),
                         const QString& defaultSuffix = QString()) {
        return showSaveFile(caption, dir, filter, acceptLabel, defaultSuffix);
    }
    // The save dialog of a file the program proposes: it opens in `folder`
    // (made first when it is missing) with `name` filled in; the user may
    // change both. Returns the chosen file, empty when cancelled.
    //   dialogs().saveFileIn("Datensicherung erstellen", dataDirectory() + "/sicherungen",
    //                        "kynovia-2026-12-11.fbk", "Datensicherungen (*.fbk)", "Sichern", "fbk");
    QString saveFileIn(const QString& caption, const QString& folder, const QString& name,
                       const QString& filter = QString(), const QString& acceptLabel = QString(),
                       const QString& defaultSuffix = QString());

    // The application's standard error box: the error text, title "Kynovia",
    // error icon, OK.
    void errorBox(const QString& text) { showError(text); }

protected:
    virtual void showMessage(const QString& text, Icon icon, const QString& title) = 0;
    virtual Answer showConfirm(const QString& text, const QString& title, Buttons buttons,
                               Icon icon, Answer defaultButton) = 0;
    virtual QString showOpenFile(const QString& caption, const QString& dir,
                                 const QString& filter, const QString& acceptLabel,
                                 const QString& defaultSuffix) = 0;
    virtual QString showSaveFile(const QString& caption, const QString& dir,
                                 const QString& filter, const QString& acceptLabel,
                                 const QString& defaultSuffix) = 0;
    virtual void showError(const QString& text) = 0;
};

// The dialogs in use: the one installed with setDialogs(), else the real ones.
Dialogs& dialogs();
// Installs d (nullptr: the real dialogs again); returns the one installed before.
Dialogs* setDialogs(Dialogs* d);

// Installs a Dialogs for the guard's lifetime and then restores the previous one.
class DialogsGuard {
public:
    explicit DialogsGuard(Dialogs* d) : m_previous(setDialogs(d)) {}
    ~DialogsGuard() { setDialogs(m_previous); }
    DialogsGuard(const DialogsGuard&) = delete;
    DialogsGuard& operator=(const DialogsGuard&) = delete;

private:
    Dialogs* m_previous;
};

// The real dialogs on QMessageBox and QFileDialog, parented to the active
// window. Texts are shown as plain text ("<" in a file name stays "<"); a
// carriage return is a line break.
//
// On the "offscreen" platform nobody can answer a modal box, so there a box
// is not shown: it is reported with qWarning and answered as if closed
// (declineAnswer, empty file name).
class QtDialogs : public Dialogs {
public:
    // The boxes as they are shown, for inspection without running them.
    static std::unique_ptr<QMessageBox> buildMessageBox(const QString& text, Icon icon,
                                                        const QString& title,
                                                        QWidget* parent = nullptr);
    static std::unique_ptr<QMessageBox> buildConfirmBox(const QString& text,
                                                        const QString& title, Buttons buttons,
                                                        Icon icon, Answer defaultButton,
                                                        QWidget* parent = nullptr);
    // The answer a finished confirmation box stands for.
    static Answer answerOf(QMessageBox& box, Buttons buttons);
    static std::unique_ptr<QFileDialog> buildFileDialog(bool save, const QString& caption,
                                                        const QString& dir,
                                                        const QString& filter,
                                                        const QString& acceptLabel,
                                                        const QString& defaultSuffix,
                                                        QWidget* parent = nullptr);
    // "Text|*.txt;*.csv|Alle|*.*" -> "Text (*.txt *.csv);;Alle (*)"; a Qt
    // filter is returned unchanged.
    static QString qtFilter(const QString& filter);
    // Carriage returns as line breaks: "\r\n" and "\r" become "\n".
    static QString displayText(const QString& text);

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
    QString runFileDialog(bool save, const QString& caption, const QString& dir,
                          const QString& filter, const QString& acceptLabel,
                          const QString& defaultSuffix);
};

} // namespace platform
