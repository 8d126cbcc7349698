#pragma once
// The data module: the program's one connection `idb`, its transaction `ibt`
// (reads apart from short writes, see the commits below)
// and every dataset that more than one window uses, with their master links,
// orders, fields and insert handlers. One-shot reads and writes run through
// statements of their own (scalar, nextKey, db::Statement::execute), with
// their values as parameters.
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <QHash>

#include "db/connection.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/statement.h"
#include "db/transaction.h"

class QTimer;

// A piece of a summary text in its style; the pieces in order make the
// text, a piece "\n" ends a line (in the style of the text before it).
struct Textstueck {
    enum class Stil { Normal, Fett, Unterstrichen };
    QString text;
    Stil stil = Stil::Normal;
};

class Tdm : public QObject {
    Q_OBJECT
public:
    explicit Tdm(QObject* parent = nullptr);
    ~Tdm() override;  // closes the connection: a running write transaction commits

    // Opens the database (the fixed path mapped onto this machine) and brings
    // the schema up to date. Returns false when the program must end.
    bool DataModuleCreate();
    // Attaches to `path` without any upgrade (tools and tests).
    void connectTo(const QString& path);
    // Asks whether the upgrade step with this label ("Update-Nr. 9") may run
    // ("Ja"/"Abbrechen"); true for "Ja". Defined with the upgrade (upgrade.cpp).
    bool ask_for_doing_update(const QString& label);
    // Brings every open dataset back to browse state, details before their
    // masters: a modified edit or insert is posted, an untouched one dropped.
    // At the first failure the error is shown in the standard error box and
    // false is returned (the failing edit stays pending).
    bool finishPendingEdits();

    // --- commits ---
    // `ibt` reads in a read-only transaction and writes in a write
    // transaction of its own (db::Transaction::setSeparateReads). Every
    // successful post or delete of a dataset on `ibt`, and the start of the
    // write transaction, asks for a commit; it runs once when control is back
    // in the event loop (before the program next waits for the user), so an
    // operation of many rows commits once at its end. It is a real commit of
    // the write transaction; the datasets keep their rows and current rows.
    void requestCommit();
    // Commits what was saved, now. Nothing happens while commits are held.
    // Throws db::Error when the commit fails.
    void commitNow();
    // commitNow() for the places that wait for the user afterwards: a
    // failure is shown in a German message and false is returned; the work
    // stays saved in the running transaction and the next commit tries again.
    bool commitSaved();
    // While an import is neither taken over nor discarded its rows stay
    // uncommitted: every commit waits for the user's decision, and a
    // transaction that ends meanwhile (the program ends) is rolled back.
    // Releasing the hold commits nothing by itself.
    void holdCommits(bool hold);
    bool commitsHeld() const { return m_commitsHeld; }
    // Whether saved work waits for its commit.
    bool commitPending() const { return m_commitWanted; }
    // The text shown when a commit fails ("Meldung des Datenbankservers: ...").
    static QString commitFailedText(const QString& reason);

    // --- a lost connection (server databases) ---
    // Whether the connection to the database is lost; it attaches again on
    // the next action that reads or writes, or with verbindungWiederherstellen().
    bool verbindungVerloren() const;
    // Attaches again; shows the German message and returns false while the
    // database cannot be reached. The open datasets are then read again on
    // their rows (an edit in progress stays, to be saved).
    bool verbindungWiederherstellen();
    // Drops every edit in progress (the program ends without what could not
    // be saved).
    void verwerfeOffeneEingaben();

    // The datasets of the module that are open, with their current rows, and
    // the way back to them after a rollback or a full commit closed them.
    struct OpenDatasets {
        struct Entry {
            QPointer<db::Dataset> dataset;
            QStringList keyFields;  // empty: the row number is restored
            QVariantList key;
            int recNo = -1;
        };
        QList<Entry> entries;  // masters before their details
    };
    OpenDatasets openDatasets();
    void reopen(const OpenDatasets& open);

    // --- connection, transaction ---
    std::unique_ptr<db::Connection> idb;
    db::Transaction* ibt = nullptr;

    // --- datasets and their data sources ---
    db::Table* ibt_kunde = nullptr;
    db::DataSource* ds_kunde = nullptr;
    db::Table* ibt_kunde_hunde = nullptr;
    db::DataSource* ds_kunde_hunde = nullptr;
    db::Table* ibt_hundetagebuch = nullptr;
    db::DataSource* ds_hunde_tagebuch = nullptr;
    db::Table* ibt_hunde = nullptr;
    db::DataSource* ds_hunde = nullptr;
    // The diary of the dog current in the dog search (ibt_hunde), beside the
    // customer window's diary of its current dog (ibt_hundetagebuch).
    db::Table* ibt_hundesuche_tagebuch = nullptr;
    db::DataSource* ds_hundesuche_tagebuch = nullptr;
    db::Table* ibt_systemdaten = nullptr;
    db::DataSource* ds_systemdaten = nullptr;
    db::Table* ibt_trainer = nullptr;
    db::DataSource* ds_trainer = nullptr;
    db::Table* ibt_kurse = nullptr;
    db::DataSource* ds_kurse = nullptr;
    db::Table* ibt_kurstermine = nullptr;
    db::DataSource* ds_kurstermine = nullptr;
    db::Query* ibq_teilnehmer = nullptr;
    db::DataSource* ds_teilnehmer = nullptr;
    db::Table* ibt_teilnehmeredit = nullptr;
    db::DataSource* ds_teilnehmeredit = nullptr;
    db::Query* ibq_aktive_kurse = nullptr;
    db::DataSource* ds_aktive_kurse = nullptr;
    db::Table* ibt_vorlagen_kurse = nullptr;
    db::DataSource* ds_vorlagen_kurse = nullptr;
    db::Table* ibt_vorlagen_kurstermine = nullptr;
    db::DataSource* ds_vorlagen_kurstermine = nullptr;
    db::Table* ibt_notizblock = nullptr;
    db::DataSource* ds_notizblock = nullptr;
    db::Query* ibq_kursedestages = nullptr;
    db::DataSource* ds_kursedestages = nullptr;
    db::Table* ibt_dokumente = nullptr;
    db::DataSource* ds_dokumente = nullptr;
    db::Table* IBT_kursdokumente = nullptr;
    db::DataSource* ds_kursdokumente = nullptr;

    // The design texts of the queries.
    static QStringList teilnehmerSql();
    static QStringList aktiveKurseSql();
    static QStringList kursedestagesSql();

    // --- handlers ---
    void count_kunden();
    // Asks for a count soon: requests that follow each other closely (an
    // import posts thousands of customers) are answered by one count when
    // the program next waits for the user. A count is a full scan of
    // KUNDEN, so counting after every single post would make an import
    // grow quadratically.
    void request_count_kunden();
    // Runs a requested count now (tests and the end of long operations).
    void flush_count_kunden();
    void ibt_kundeAfterInsert(db::Dataset* ds);
    void ibt_kunde_hundeBeforeInsert(db::Dataset* ds);
    void ibt_kunde_hundeAfterInsert(db::Dataset* ds);
    void ibt_hundetagebuchAfterInsert(db::Dataset* ds);
    void ibt_hundesuche_tagebuchAfterInsert(db::Dataset* ds);
    void ibt_trainerAfterInsert(db::Dataset* ds);
    void ibt_kurseAfterInsert(db::Dataset* ds);
    void ibt_kurseCalcFields(db::Dataset* ds);
    void ibt_kurstermineAfterScroll(db::Dataset* ds);
    void ibt_vorlagen_kurseAfterInsert(db::Dataset* ds);
    void ibt_vorlagen_kurstermineAfterInsert(db::Dataset* ds);
    // A course (or the consultations, course -1) has one date per day and
    // time: a second one is refused with meldungTerminVorhanden before the
    // server's key refuses it in its own words.
    void ibt_kurstermineBeforePost(db::Dataset* ds);
    static QString meldungTerminVorhanden(const QDateTime& wann);
    // Deleting what other rows still refer to. Record numbers are the
    // largest stored number plus one, so a deleted number comes back and a
    // reference left behind would attach itself to the next new record.
    // A customer with dogs and a trainer who leads courses are not deleted
    // (message, db::Abort); a document used by courses is deleted after the
    // question, and its course links go with it.
    void ibt_kundeBeforeDelete(db::Dataset* ds);
    void ibt_trainerBeforeDelete(db::Dataset* ds);
    void ibt_dokumenteBeforeDelete(db::Dataset* ds);
    void ibt_dokumenteAfterDelete(db::Dataset* ds);
    static QString meldungKundeHatHunde(const QStringList& hunde);
    static QString meldungTrainerLeitetKurse(const QStringList& kurse);
    static QString frageTrainerMitTerminen(int anzahl);
    static QString frageDokumentInKursen(const QStringList& kurse);
    // A template's rhythm ("alle n Tage") is empty or at least 1.
    void ibt_vorlagen_kurseBeforePost(db::Dataset* ds);
    static QString meldungRhythmus();
    void ibt_notizblockAfterInsert(db::Dataset* ds);
    void ibt_dokumenteAfterInsert(db::Dataset* ds);
    void IBT_kursdokumenteAfterInsert(db::Dataset* ds);
    void IBT_kursdokumenteCalcFields(db::Dataset* ds);
    void ds_kunde_hundeDataChange(db::Field* field);
    // The summary of the current dog's questionnaire ("Anamesebogen vom
    // ... für den Hund ..."), empty values where no dog is open. The window
    // that shows it reads it again on anamneseGeaendert().
    QList<Textstueck> anamnesebogen_zusammenfassung() const;

    // The first column of the first row of `sql` with its "?" parameters in
    // order, read in the running transaction (invalid QVariant when there is
    // no row). Each text has a statement of its own that stays prepared: the
    // key reads run once per new row, thousands of times in an import.
    QVariant scalar(const QString& sql, const QVariantList& params = {});
    // Largest value of the statement's first column plus one (NULL reads 0).
    // While keys are counted (see KeysCounted) a text without parameters is
    // read once and then counted up.
    int nextKey(const QString& sql, const QVariantList& params = {});
    // While it lives, new rows of a run that writes only rows whose numbers
    // nextKey hands out (an import without number columns) get their numbers
    // counted up instead of read: the largest number cannot change but by the
    // run itself, except through another workstation, whose number is then
    // refused and passed over as always.
    class KeysCounted {
    public:
        KeysCounted(Tdm& dm, bool on) : m_dm(dm), m_on(on) {
            if (m_on) m_dm.m_countedKeys.emplace();
        }
        ~KeysCounted() {
            if (m_on) m_dm.m_countedKeys.reset();
        }
        KeysCounted(const KeysCounted&) = delete;
        KeysCounted& operator=(const KeysCounted&) = delete;
    private:
        Tdm& m_dm;
        bool m_on;
    };
    // Enrols a dog into a course as a new participant (largest ID + 1; an ID
    // another workstation took meanwhile is passed over). Not committed here.
    void teilnehmerEinfuegen(int kursnr, int kndnr, int hundnr);

    // --- links to the windows (the data layer knows no window) ---
    // The pick-list dialog: caption, query lines and column labels in, the
    // chosen row out; returns false when the user did not choose.
    std::function<bool(const QString& caption, const QStringList& sql, const QStringList& labels,
                       bool hideSearch, QVariantList* row)>
        auswahl;
    // The import window while an import is neither taken over nor
    // discarded: asks the user what becomes of it and does it; false when
    // the user wants to stay (or taking it over failed). Empty otherwise.
    std::function<bool()> importEntscheiden;
    // The course window's calendar, when that window exists.
    std::function<void(const QDateTime&)> kursterminCalendar;

signals:
    // The current dog or one of its values changed: a summary shown from
    // anamnesebogen_zusammenfassung() is out of date.
    void anamneseGeaendert();
    // The second panel of the main window's status bar ("57 Kunden", "1 Kunde").
    void kundenCountChanged(const QString& text);
    // The connection was lost (true) or is there again (false).
    void verbindungGeaendert(bool verloren);

private:
    QTimer* m_countTimer = nullptr;
    bool m_commitOnSave = false;   // from the end of the start on
    bool m_commitQueued = false;
    bool m_commitWanted = false;
    bool m_commitsHeld = false;
    QList<db::Dataset*> datasetsDetailsFirst();
    // After the connection came back: datasets whose unread rows were lost
    // are read again on their rows once they are not edited.
    void readLostDatasetsAgain();
    bool m_readAgainQueued = false;
    QVariant m_geloeschtesDokument;  // DOKNR between before and after delete
    // The statements of scalar(), by their text.
    std::map<QString, std::unique_ptr<db::Statement>> m_reads;
    // The last number handed out per key text while keys are counted.
    std::optional<QHash<QString, int>> m_countedKeys;
    // Rows of a one-column-key statement, each row's columns as text.
    QList<QStringList> rows(const QString& sql, const QVariant& param);
    db::Table* table(const char* name, const QString& tableName, db::DataSource** ds,
                     const char* dsName);
    db::Query* query(const char* name, db::DataSource** ds, const char* dsName);
    void setupFields();
    void setupEvents();
};

// The program-wide reference to the data module; empty until it exists.
extern QPointer<Tdm> dm;
