#pragma once
// Pieces shared by the customer window and the dog search window: the breed
// list file, the behaviour scale and the questionnaire's fields. (The
// builders of bound controls are widgets/feldbau.h.)
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <initializer_list>

class QGridLayout;
class QLabel;
class QWidget;
namespace db {
class DataSource;
}
namespace widgets {
class DbCheckBox;
class DbComboBox;
class DbEdit;
class DbMemo;
}  // namespace widgets

namespace hundefelder {

// The four-step behaviour scale of the combo boxes.
QStringList verhaltensskala();

// The questionnaire's fields that the customer window and the dog search
// window both show. The windows lay them out differently; the columns,
// captions and lists come from here.

// The lists of the "Herkunft", "Kastration" and "Futterart" combo boxes, and
// the manner of eating as the customer window offers it.
QStringList herkunftListe();
QStringList kastrationListe();
QStringList futterListe();
QStringList futteraufnahmeListe();

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

// The questionnaire's single fields, one row per column. The two windows lay
// them out differently (the layouts stay in the windows); what a field is,
// is written here once.
//
// The windows differ in a few fields, on purpose, and the table keeps each
// difference as that window's own value:
// - ANAMESE_AUFGENOMMEN_AM: "Anamnese vom:" in the customer window,
//   "Anamese vom:" in the dog window;
// - PROBLEME: a label "Probleme / Grund der Kontaktaufnahme:" in the customer
//   window, the title of its group "Probleme / Grund der Kontaktaufnahme" in
//   the dog window;
// - KOMMENTAR: "Kommentar / Letzter Stand:" against "Kommentar:";
// - FUTTERAUFNAHME offers "normal", "hastig", "makelig" in the customer
//   window and the behaviour scale in the dog window;
// - ANSPRINGEN_FREMDE stores "n" when unticked in the customer window, "N"
//   in the dog window;
// - the customer window keeps the old object names of ten controls
//   (DBEdit62, DBMemo2, DBEdit27, DBMemo5, DBMemo7, DBEdit50, DBEdit49,
//   DBCheckBox1, DBComboBox30, DBComboBox33) that its key handling and the
//   tests find them by; every other control is named by its kind and column
//   (widgets::boundName: "dbe_", "dbm_", "dbc_", "dbchk_").

enum class Fenster { Kunde, Hund };

// Edit, multi-line memo, combo box, check box ("J" when ticked), and the
// date edit (as wide as a date with time, as it shows while it has the focus).
enum class Art { Edit, Memo, Combo, Check, Datum };

using Liste = QStringList (*)();

// What one window has of its own for a field; an empty value takes the
// field's shared one.
struct Eigen {
    const char* name = nullptr;
    const char* text = nullptr;
    Liste liste = nullptr;
    const char* ungetickt = nullptr;
};

struct Feld {
    const char* spalte;
    Art art;
    // The caption: the text of the label beside or above the control, or the
    // check box's own text; null for a field without one.
    const char* text = nullptr;
    // A combo box's items; whether its list drops down while the user types.
    Liste liste = nullptr;
    bool tippen = true;
    // What a check box stores when unticked.
    const char* ungetickt = "N";
    Eigen kunde = {};
    Eigen hund = {};
};

extern const Feld anamnesefelder[];
extern const int anzahlAnamnesefelder;
// The row of a column; throws std::invalid_argument for a column not in the
// table.
const Feld& anamnesefeld(const char* spalte);

// A field's values as one window has them.
QString objektname(const Feld& f, Fenster fenster);
QString beschriftung(const Feld& f, Fenster fenster);
QStringList liste(const Feld& f, Fenster fenster);
QString ungetickt(const Feld& f, Fenster fenster);

// Makes the questionnaire's controls of one window, bound to `ds`, through
// widgets/feldbau.h's builders.
class Fragebogen {
public:
    Fragebogen(Fenster fenster, db::DataSource* ds) : m_fenster(fenster), m_ds(ds) {}

    // The control of a table field, and the label with its caption.
    QWidget* feld(QWidget* parent, const char* spalte) const;
    QLabel* text(QWidget* parent, const char* spalte) const;
    QString beschriftung(const char* spalte) const;
    // The same for the fields a window keeps a pointer to or sizes.
    widgets::DbEdit* edit(QWidget* parent, const char* spalte) const;
    widgets::DbMemo* memo(QWidget* parent, const char* spalte) const;
    // The caption at (row, column) of `grid`, the control right beside it.
    void paar(QGridLayout* grid, QWidget* parent, const char* spalte, int row, int column) const;
    // The controls (without captions) side by side in `row` from `column` on.
    void reihe(QGridLayout* grid, QWidget* parent, int row, int column, std::initializer_list<const char*> spalten) const;

    // The parts both windows lay out alike, into `grid` of `parent`:
    // "Futteraufnahme" in one row;
    void futteraufnahme(QGridLayout* grid, QWidget* parent) const;
    // "bisherige Hundeerziehung": the rows of `erziehung` (check box, where),
    // the last dog school beside them;
    void hundeerziehung(QGridLayout* grid, QWidget* parent) const;
    // one place of `gegenueber` from `row` on: the five captions, their combo
    // boxes below, then "Besonderheiten:" across. Gives the next free row.
    int verhaltenGegenueber(QGridLayout* grid, QWidget* parent, const Gegenueber& g, int row) const;

private:
    Fenster m_fenster;
    db::DataSource* m_ds;
};

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
