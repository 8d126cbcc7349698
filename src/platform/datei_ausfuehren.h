#pragma once
// The shell call on a document file: open it with the desktop's default
// program, or print it.
//
// Used by the document window ("Anzeigen", "Drucken") and by the course
// window's document list. The call goes through platform::shell(), which
// starts one program with the path as a single argument; the path never
// passes through a command interpreter, so spaces, ";", "$(...)" or a
// leading "-" in a file name are just part of the name.
#include <QString>

class QWidget;

// The show commands of the original call; the desktop shell decides how the
// started program shows itself, so the value is accepted and not used.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;

// Performs `verb` on the file `pfad`:
//   ""  or "open"  -> the file type's default action (normally: open it)
//   "print"        -> print it on the default printer when the print system
//                     can (platform::printSystemCanPrint: PDF, PostScript,
//                     plain text, pictures); any other file opens in its
//                     program with the message druckenImProgramm(pfad)
// Any other verb is not offered by the desktop: nothing happens, false.
// `parameter` and `verzeichnis` (arguments for the started program and its
// working directory) are accepted for the callers' sake; the desktop's
// default program takes neither, so they are not passed on. `owner` is the
// window the call is made for (may be nullptr).
// Returns true when the shell reports that the program was started.
// "Die Datei ... kann Kynovia nicht direkt zum Drucker schicken. ..."
QString druckenImProgramm(const QString& pfad);

bool datei_ausfuehren(QWidget* owner, const QString& verb, const QString& pfad,
                      const QString& parameter = QString(), const QString& verzeichnis = QString(),
                      int anzeige = SW_SHOWNORMAL);
