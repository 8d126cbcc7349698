#pragma once
// Pieces shared by the customer window and the dog search window: the breed
// list file and the behaviour scale. (The builders of bound controls are
// widgets/feldbau.h.)
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace hundefelder {

// The four-step behaviour scale of the combo boxes.
QStringList verhaltensskala();

// The questionnaire's fields that the customer window and the dog search
// window both show. The windows lay them out differently; the columns,
// captions and lists come from here.

// The lists of the "Herkunft", "Kastration" and "Futterart" combo boxes.
QStringList herkunftListe();
QStringList kastrationListe();
QStringList futterListe();

// "bisherige Hundeerziehung": per row a check box (its text and column) and
// the edit beside it (where, or which club).
struct Erziehung {
    const char* text;
    const char* check;
    const char* bei;
};
extern const Erziehung erziehung[6];

// Behaviour towards others in four places ("Verhalten an der Leine
// gegenüber..."): a caption, the column part (VERHALTEN_<spalte>_...), the
// column suffix for children (KIND or KINDE), the column of the remarks and
// the caption of the small-animal combo.
struct Gegenueber {
    const char* ueberschrift;
    const char* spalte;
    const char* kind;
    const char* besonders;
    const char* kleintier;
};
extern const Gegenueber gegenueber[4];
// The five combo columns of a place, in the order male, female, small
// animal, person, child; and their captions.
QStringList gegenueberSpalten(const Gegenueber& g);
QStringList gegenueberKoepfe(const Gegenueber& g);

// The breed list file, read from the current directory.
inline constexpr char rassen_datei[] = "rassen.txt";
// Where the windows look for it, in this order: the current directory, the
// data directory, then the directories shipped with the program
// (platform::lookupPaths).
QStringList rassen_orte();
// Reads the breed list: Windows-1252 text, one breed per line, lines ending
// in CR LF, LF or CR, the last line with or without a line end; an empty line
// is an empty entry. False when the file cannot be read.
bool rassen_laden(QStringList* rassen, const QString& datei = QString::fromLatin1(rassen_datei));
// Splits the bytes of such a file into its lines.
QStringList rassen_zeilen(const QByteArray& inhalt);
// "Datei rassen.txt kann nicht geöffnet werden"
QString rassen_fehlertext(const QString& datei = QString::fromLatin1(rassen_datei));
// Sorted alphabetically, ignoring case (German order: Ö with O).
QStringList alphabetisch(QStringList liste);
// Loads the list (sorted or in file order) from the first of rassen_orte()
// that can be read; when none can, shows the error box with
// rassen_fehlertext() and gives an empty list.
QStringList rassen_fuer_fenster(bool sortiert);

}  // namespace hundefelder
