#pragma once
// The import window: reads a semicolon-separated text file exported by
// another program, shows it, lets the user assign file columns to columns of
// the customer and the dog table, and creates one customer per data line
// inside the program's transaction, which the user then commits (retaining)
// or rolls back. The customer gets a dog when at least one cell of the line
// mapped to a dog column holds a value; a line whose mapped cells are all
// empty (or blank) creates nothing. The import starts by committing what was
// saved before, and holds every commit until the user decides, so that
// rolling back takes back exactly the import; closing the window (or the
// program) with an undecided import asks. A line that fails leaves nothing
// behind, and the message names its file line and column title.
//
// Assigning a column: click the mapping cell below the file column's title
// and pick a target from the popup menu ("kunde.NAME", "hund.RASSE", ... or
// "Löschen"). Several file columns may carry the same target; their non-empty
// values are joined with one blank, in file column order. An empty cell
// leaves its target as it is. A non-empty value for the two intake dates
// (kunde.AUFGENOMMEN_AM, hund.ANAMESE_AUFGENOMMEN_AM) replaces the date the
// data module gives a new row; any other target that the data module has
// already filled (the numbers) gets the value joined onto it, which the
// number refuses: the import stops at that line with the conversion message.
#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "import/csv/csvreader.h"
#include "platform/workingwindow.h"

class Tdm;

class QAction;
class QHBoxLayout;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTableWidget;

namespace widgets {
class CaptionPanel;
class DbGrid;
class DbNavigator;
}  // namespace widgets

namespace db {
class Dataset;
class Field;
}  // namespace db

// The lines of the loaded file for the file grid: the title line is the
// grid's (fixed) header, every further line one row. Before any file is
// loaded the grid shows two empty columns and one empty row.
class ImportFileModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ImportFileModel(QObject* parent = nullptr);

    // Shows exactly this table (rows[0] is the title line).
    void setTable(csv::Table table);
    const csv::Table& table() const { return m_table; }
    bool loaded() const { return m_loaded; }

    // The data lines of the loaded file (0 before a load).
    int dataLineCount() const;
    // The titles, one per column (empty where the title line is shorter).
    QStringList titles() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    csv::Table m_table;
    bool m_loaded = false;
    int m_columns = 2;
};

class Tfrm_datenimport : public QWidget, public WorkingWindow {
    Q_OBJECT
public:
    explicit Tfrm_datenimport(Tdm& data, QWidget* parent = nullptr);
    ~Tfrm_datenimport() override;

    // --- controls ---
    widgets::CaptionPanel* jcp_datei = nullptr;
    QLineEdit* jve_filename = nullptr;
    QPushButton* JvBitBtn1 = nullptr;  // "Datei auswählen"
    QPlainTextEdit* Memo1 = nullptr;
    widgets::CaptionPanel* jcp_importdatei = nullptr;
    QTableView* jvsg1 = nullptr;       // the file grid
    ImportFileModel* dateiModell = nullptr;
    widgets::CaptionPanel* jcp_zuordnung = nullptr;
    QTableWidget* jvsg2 = nullptr;     // the mapping grid (titles as header, one row of targets)
    QMenu* pm = nullptr;
    QMenu* Kunde1 = nullptr;
    QMenu* Hund1 = nullptr;
    QAction* Lschen1 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    widgets::CaptionPanel* jcp_kynovia = nullptr;
    widgets::DbGrid* dbg_kunde = nullptr;
    widgets::DbNavigator* DBNavigator1 = nullptr;
    widgets::DbGrid* DBGrid1 = nullptr;
    QPushButton* b_import = nullptr;
    QPushButton* b_commit = nullptr;
    QPushButton* b_rollback = nullptr;

    static QString memo1Text();
    static QString memo2Text();

    // --- handlers ---
    void FormShow();
    void JvBitBtn1Click();
    void feldnameinsert(QAction* entry);
    void Lschen1Click();
    void b_importClick();
    void b_commitClick();
    void b_rollbackClick();
    // An import neither taken over nor discarded: asks the user
    // (frageUnentschieden(), "Ja"/"Nein"/"Abbrechen") and takes it over on
    // "Ja", discards it on "Nein". False on "Abbrechen" or when that failed.
    // True at once when no import is undecided.
    bool importEntscheiden();
    bool importUnentschieden() const override { return m_unentschieden; }
    static QString frageUnentschieden();
    // Finishes the pending edits of the customer and dog datasets; false
    // (after the error box) when one cannot be saved: the window stays open.
    bool FormClose();

    // --- the steps behind the handlers ---
    // Loads the file into the file grid and the titles into the mapping grid
    // (the mapping cells of the columns that still exist keep their
    // targets). A file that cannot be read: the reader's message in the
    // error box, everything stays as it was; returns false.
    bool dateiLaden(const QString& path);
    // The mapping cell of a file column ("" = not imported).
    QString zuordnung(int column) const;
    void setZuordnung(int column, const QString& target);
    // The targets the popup menu offers ("kunde.KNDNR", ...), in menu order.
    QStringList kundeZiele() const;
    QStringList hundZiele() const;

    // The lines the last import ran through completely (customer and dog
    // posted).
    int importierteZeilen() const { return m_importiert; }
    // Whether the last import stopped before its end (error or cancel).
    bool importUnterbrochen() const { return m_unterbrochen; }

    // The progress dialog appears when an import runs longer than this
    // (milliseconds) and is brought up to date at most every
    // progressInterval milliseconds.
    int progressMinimumDuration = 500;
    int progressInterval = 40;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    struct Ziel {
        int column;
        db::Field* field;
        bool ersetztVorgabe;  // a value replaces the insert default
    };
    void buildUi();
    widgets::CaptionPanel* buildDateiwahl();
    widgets::CaptionPanel* buildDateiansicht(const QString& caption);
    widgets::CaptionPanel* buildZuordnung(const QString& caption);
    void buildZuordnungsmenue();
    widgets::CaptionPanel* buildKynovia();
    QHBoxLayout* buildKnoepfe();
    void buildMenus();
    void showMappingMenu(const QPoint& pos);
    void setReady(bool ready);
    void oeffneDatasets();
    QList<Ziel> zieleFuer(const QString& prefix, db::Dataset* ds);
    // Fills the targets from one line of the table; a value a target cannot
    // take throws its conversion error with the file line and the column
    // title in front ("Zeile 17, Spalte 'Geburtsjahr': ...").
    static void fuelle(const QList<Ziel>& ziele, const csv::Table& table, int line);
    // "Zeile 17": the file line row `line` begins on (the title line is line 1).
    static QString zeilenText(const csv::Table& table, int line);
    // Whether any of the targets gets a value (a cell that is not blank) from the line.
    static bool belegt(const QList<Ziel>& ziele, const csv::Table& table, int line);
    void importieren();

    int m_importiert = 0;
    bool m_unterbrochen = false;
    bool m_unentschieden = false;

    // The data module the window works on.
    Tdm& m_dm;
};

// The program-wide reference to the import window; empty while it does not
// exist.
extern QPointer<Tfrm_datenimport> frm_datenimport;
