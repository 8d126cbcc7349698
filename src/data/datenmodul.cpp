#include "data/datenmodul.h"

#include <QDate>
#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>
#include <ibase.h>

#include "data/upgrade.h"
#include "db/error.h"
#include "db/statement.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/paths.h"

QPointer<Tdm> dm;

using namespace db;

namespace {

struct FieldProps {
    const char* name;
    const char* label = nullptr;
    const char* format = nullptr;
    bool readOnly = false;
    bool required = false;
};

void applyProps(Dataset* ds, std::initializer_list<FieldProps> props) {
    for (const FieldProps& p : props) {
        Field* f = ds->findField(QString::fromLatin1(p.name));
        if (!f) continue;
        if (p.label) f->setDisplayLabel(QString::fromUtf8(p.label));
        if (p.format) f->setDisplayFormat(QString::fromUtf8(p.format));
        if (p.readOnly) f->setReadOnly(true);
        if (p.required) f->setRequired(true);
    }
}

}  // namespace

Tdm::Tdm(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("dm"));
    idb = std::make_unique<Connection>();
    ibt = idb->defaultTransaction();
    // Read committed: a refresh or a reopened window shows what other
    // workstations saved, and the next number (largest + 1) counts their
    // saved rows.
    ibt->setIsolation(Transaction::Isolation::ReadCommitted);
    // Nothing the program keeps open pins the database's oldest snapshot:
    // the datasets read in a read-only transaction that Firebird starts
    // pre-committed, and what they write runs in a short write transaction
    // that ends with a real commit when the program next waits for the user
    // (see requestCommit).
    ibt->setSeparateReads(true);

    ibt_kunde = table("ibt_kunde", "KUNDEN", &ds_kunde, "ds_kunde");
    ibt_kunde_hunde = table("ibt_kunde_hunde", "HUNDE", &ds_kunde_hunde, "ds_kunde_hunde");
    ibt_kunde_hunde->setMasterSource(ds_kunde, "KNDNR", "KNDNR");
    ibt_kunde_hunde->setIndexFieldNames("KNDNR;HUNDNR");
    ibt_hundetagebuch = table("ibt_hundetagebuch", "HUNDE_TAGEBUCH", &ds_hunde_tagebuch, "ds_hunde_tagebuch");
    ibt_hundetagebuch->setMasterSource(ds_kunde_hunde, "HUNDNR", "HUNDNR");
    ibt_hundetagebuch->setIndexFieldNames("HUNDNR");
    ibt_hunde = table("ibt_hunde", "HUNDE", &ds_hunde, "ds_hunde");
    ibt_hunde->setExcludedFieldNames({QStringLiteral("GEBOREN_AM")});
    ibt_hundesuche_tagebuch =
        table("ibt_hundesuche_tagebuch", "HUNDE_TAGEBUCH", &ds_hundesuche_tagebuch, "ds_hundesuche_tagebuch");
    ibt_hundesuche_tagebuch->setMasterSource(ds_hunde, "HUNDNR", "HUNDNR");
    ibt_hundesuche_tagebuch->setIndexFieldNames("HUNDNR");
    ibt_systemdaten = table("ibt_systemdaten", "SYSTEMDATEN", &ds_systemdaten, "ds_systemdaten");
    ibt_trainer = table("ibt_trainer", "TRAINER", &ds_trainer, "ds_trainer");
    ibt_kurse = table("ibt_kurse", "KURSE", &ds_kurse, "ds_kurse");
    ibt_kurse->setFilter(QStringLiteral("kursnr>0"));
    ibt_kurse->setFiltered(true);
    ibt_kurse->addCalculatedField(QStringLiteral("KURSLEITER_ZEICHEN"), FieldType::String, 20)
        ->setDisplayLabel(QStringLiteral("Kursleiter"));
    ibt_kurstermine = table("ibt_kurstermine", "KURSTERMINE", &ds_kurstermine, "ds_kurstermine");
    ibt_kurstermine->setMasterSource(ds_kurse, "KURSNR", "KURSNR");
    ibt_kurstermine->setIndexFieldNames("KURSNR");
    ibq_teilnehmer = query("ibq_teilnehmer", &ds_teilnehmer, "ds_teilnehmer");
    ibq_teilnehmer->setSql(teilnehmerSql());
    ibq_teilnehmer->setDataSource(ds_kurse);
    ibt_teilnehmeredit = table("ibt_teilnehmeredit", "TEILNEHMER", &ds_teilnehmeredit, "ds_teilnehmeredit");
    ibt_teilnehmeredit->setMasterSource(ds_teilnehmer, "ID", "ID");
    ibt_teilnehmeredit->setIndexFieldNames("ID");
    ibq_aktive_kurse = query("ibq_aktive_kurse", &ds_aktive_kurse, "ds_aktive_kurse");
    ibq_aktive_kurse->setSql(aktiveKurseSql());
    ibq_aktive_kurse->setDataSource(ds_kunde);
    ibt_vorlagen_kurse = table("ibt_vorlagen_kurse", "VORLAGEN_KURSE", &ds_vorlagen_kurse, "ds_vorlagen_kurse");
    ibt_vorlagen_kurstermine = table("ibt_vorlagen_kurstermine", "VORLAGEN_KURSTERMINE",
                                     &ds_vorlagen_kurstermine, "ds_vorlagen_kurstermine");
    ibt_vorlagen_kurstermine->setMasterSource(ds_vorlagen_kurse, "VORLAGENNR", "VORLAGENNR");
    ibt_vorlagen_kurstermine->setIndexFieldNames("VORLAGENNR");
    ibt_notizblock = table("ibt_notizblock", "NOTIZBLOCK", &ds_notizblock, "ds_notizblock");
    ibq_kursedestages = query("ibq_kursedestages", &ds_kursedestages, "ds_kursedestages");
    ibq_kursedestages->setSql(kursedestagesSql());
    ibt_dokumente = table("ibt_dokumente", "DOKUMENTE", &ds_dokumente, "ds_dokumente");
    IBT_kursdokumente = table("IBT_kursdokumente", "KURS_DOKUMENTE", &ds_kursdokumente, "ds_kursdokumente");
    IBT_kursdokumente->setMasterSource(ds_kurse, "KURSNR", "KURSNR");
    IBT_kursdokumente->setIndexFieldNames("KURSNR;DOKNR");
    IBT_kursdokumente
        ->addLookupField(QStringLiteral("BEZEICHNUNG"), FieldType::String, 20, ibt_dokumente,
                         QStringLiteral("DOKNR"), QStringLiteral("DOKNR"), QStringLiteral("DOKUMENTNAME"))
        ->setDisplayLabel(QStringLiteral("Dokument"));
    IBT_kursdokumente->addLookupField(QStringLiteral("ART"), FieldType::String, 1, ibt_dokumente,
                                      QStringLiteral("DOKNR"), QStringLiteral("DOKNR"),
                                      QStringLiteral("DOKUMENTART"));
    IBT_kursdokumente->addCalculatedField(QStringLiteral("ART_ANZEIGE"), FieldType::String, 20)
        ->setDisplayLabel(QStringLiteral("Art"));

    setupFields();
    setupEvents();
    // Whatever a dataset saves, and whatever a statement writes, is
    // committed when the program next waits for the user.
    ibt->onWrite = [this] { requestCommit(); };
    // A lost server connection: the windows learn of it (the main window
    // offers to connect again); once it is back, datasets whose unread rows
    // went with it are read again.
    idb->onLost = [this] { emit verbindungGeaendert(true); };
    idb->onReconnected = [this] {
        emit verbindungGeaendert(false);
        if (m_readAgainQueued) return;
        m_readAgainQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_readAgainQueued = false;
                platform::guarded([this] { readLostDatasetsAgain(); });
            },
            Qt::QueuedConnection);
    };
}

Tdm::~Tdm() {
    // Closing the connection ends a running write transaction with its
    // default action, commit: every posted change is kept.
    // The prepared reads go while the connection is still attached.
    m_reads.clear();
    try {
        if (idb) idb->close();
    } catch (...) {
    }
    // The datasets' statements belong to the connection's transaction, which
    // goes with `idb`: they must go first (members are destroyed before the
    // QObject children).
    for (Dataset* d : findChildren<Dataset*>(Qt::FindDirectChildrenOnly)) delete d;
}

Table* Tdm::table(const char* name, const QString& tableName, DataSource** ds, const char* dsName) {
    auto* t = new Table(idb.get(), ibt, tableName, this);
    t->setObjectName(QString::fromLatin1(name));
    *ds = new DataSource(this);
    (*ds)->setObjectName(QString::fromLatin1(dsName));
    (*ds)->setDataset(t);
    return t;
}

Query* Tdm::query(const char* name, DataSource** ds, const char* dsName) {
    auto* q = new Query(idb.get(), ibt, this);
    q->setObjectName(QString::fromLatin1(name));
    *ds = new DataSource(this);
    (*ds)->setObjectName(QString::fromLatin1(dsName));
    (*ds)->setDataset(q);
    return q;
}

QStringList Tdm::teilnehmerSql() {
    return {QStringLiteral("select a.ID,a.kursnr, a.KNDNR, a.HUNDNR, a.BEZAHLT, a.KOMMENTAR, b.NAME, "
                           "b.VNAME, b.TEL, b.MOBIL, b.FAX, b.EMAIL, b.ANREDE,"),
            QStringLiteral("c.NAME hundname"), QStringLiteral("from TEILNEHMER a,  KUNDEN b, hunde c"),
            QStringLiteral("where a.kursnr=:kursnr"), QStringLiteral("and a.kndnr=b.kndnr"),
            QStringLiteral("and a.hundnr=c.hundnr"), QStringLiteral("order by name")};
}

QStringList Tdm::aktiveKurseSql() {
    return {QStringLiteral("select a.KURSNR, a.KURSNAME, a.KURSART,b.bezahlt"),
            QStringLiteral("from kurse a, teilnehmer b"), QStringLiteral("where b.KNDNR=:kndnr"),
            QStringLiteral("and a.kursnr=b.kursnr"), QString(), QString()};
}

QStringList Tdm::kursedestagesSql() {
    return {QStringLiteral("select b.KURSNR, b.kursart, a.THEMA, a.UHRZEIT,a.ort,a.kontakt "),
            QStringLiteral("from KURSTERMINE a, KURSE b"), QStringLiteral("where a.kursnr=b.kursnr")};
}

void Tdm::setupFields() {
    ibt_kunde->onFieldsCreated = [](Dataset* d) {
        applyProps(d, {{"KNDNR", nullptr, "0000"}, {"AUFGENOMMEN_AM", nullptr, "dd.mm.yyyy"}});
    };
    ibt_kunde_hunde->onFieldsCreated = [](Dataset* d) {
        applyProps(d, {{"HUNDNR", nullptr, "000"},
                       {"KNDNR", nullptr, "0000"},
                       {"ANAMESE_AUFGENOMMEN_AM", nullptr, "dd.mm.yyyy"}});
    };
    ibt_hunde->onFieldsCreated = [](Dataset* d) {
        applyProps(d, {{"HUNDNR", "Hund-Nr.", "00"},
                       {"KNDNR", "Knd-Nr.", "0000"},
                       {"NAME", "Name"},
                       {"RASSE", "Rasse"}});
    };
    // Both diaries show their columns alike.
    for (Table* tagebuch : {ibt_hundetagebuch, ibt_hundesuche_tagebuch})
        tagebuch->onFieldsCreated = [](Dataset* d) {
            applyProps(d, {{"HUNDNR", nullptr, "00"},
                           {"DATUM", "Datum"},
                           {"TERMINART", "Terminart"},
                           {"GEPLANT", "Geplant"},
                           {"DURCHGEFUEHRT", "Durchgeführt"},
                           {"BEURTEILUNG", "Beurteilung"},
                           {"VORAUSPLANUNG", "Vorausplanung"}});
        };
    ibt_trainer->onFieldsCreated = [](Dataset* d) {
        applyProps(d, {{"TRAINERNR", "Nr.", "00", true},
                       {"KURZZEICHEN", "Kurzzeichen"},
                       {"VNAME", "Vorname"},
                       {"NAME", "Name"},
                       {"STR", "Straße"},
                       {"PLZ", "Plz"},
                       {"ORT", "Ort"},
                       {"ANREDE", "Anrede"},
                       {"TEL", "Tel."},
                       {"MOBIL", "Mobiltel."},
                       {"FAX", "Fax"},
                       {"EMAIL", "E-Mail"},
                       {"KOMMENTAR", "Kommentar"}});
    };
    ibt_kurse->onFieldsCreated = [](Dataset* d) {
        applyProps(d, {{"KURSNR", "Kurs-Nr."},
                       {"KURSART", "Kursart"},
                       {"KURSNAME", "Kursname"},
                       {"BESCHREIBUNG", "Beschreibung"},
                       {"KURSLEITER", "Kursleiter"},
                       {"MAXTEILNEHMER", "max. Teilnehmer"},
                       {"ANZAHL_TEILNEHMER", "Anz. Teilnehmer"},
                       {"GEBUEHR", "Kursgebühr"},
                       {"STATUS", "Status"}});
        if (Field* f = d->findField(QStringLiteral("GEBUEHR"))) f->setCurrency(true);
    };
    ibt_kurstermine->onFieldsCreated = [](Dataset* d) {
        applyProps(d, {{"THEMA", "Thema / Treffpunkt"},
                       {"DATUM", "Datum", "dddd, dd.mm.yyyy"},
                       {"UHRZEIT", "Uhrzeit", "hh:nn"},
                       {"ORT", "Ort"},
                       {"KONTAKT", "Kontakt"}});
    };
    ibq_teilnehmer->onFieldsCreated = [](Dataset* d) {
        applyProps(d, {{"ID", nullptr, nullptr, false, true},
                       {"KURSNR", nullptr, "0000", false, true},
                       {"KNDNR", nullptr, "0000", false, true},
                       {"HUNDNR", nullptr, "00", false, true},
                       {"BEZAHLT", "Bezahlt"},
                       {"KOMMENTAR", "Kommentar"},
                       {"NAME", "Name"},
                       {"VNAME", "Vorname"},
                       {"TEL", "Tel."},
                       {"MOBIL", "Mobil"},
                       {"FAX", "Fax"},
                       {"EMAIL", "E-Mail"},
                       {"ANREDE", "Anrede"},
                       {"HUNDNAME", "Hund"}});
    };
    ibq_aktive_kurse->onFieldsCreated = [](Dataset* d) {
        applyProps(d, {{"KURSNR", "Kurs-Nr.", "0000", false, true},
                       {"KURSART", "Kursart"},
                       {"KURSNAME", "Kursname"},
                       {"BEZAHLT", "Bezahlt"}});
    };
    ibt_vorlagen_kurse->onFieldsCreated = [](Dataset* d) {
        applyProps(d, {{"VORLAGENNR", "Vorlagen-Nr.", "000", true},
                       {"BEZEICHNUNG", "Bezeichnung"},
                       {"RYTHMUS", "alle n Tage"}});
    };
    ibt_vorlagen_kurstermine->onFieldsCreated = [](Dataset* d) {
        applyProps(d, {{"VORLAGENNR", "Vorlagen-Nr.", "000", true},
                       {"TERMINNR", "Termin-Nr.", "00", true},
                       {"THEMA", "Thema/Ort/Treffpunkt"}});
    };
    ibt_notizblock->onFieldsCreated = [](Dataset* d) {
        applyProps(d, {{"DATUMZEIT", nullptr, "dd.mm.yyyy hh:nn"}});
    };
    ibq_kursedestages->onFieldsCreated = [](Dataset* d) {
        applyProps(d, {{"KURSNR", "Kurs"},
                       {"KURSART", "Art"},
                       {"THEMA", "Tagesthema"},
                       {"UHRZEIT", "um", "hh:nn"},
                       {"ORT", "Ort"},
                       {"KONTAKT", "Kontakt"}});
    };
    ibt_dokumente->onFieldsCreated = [](Dataset* d) {
        applyProps(d, {{"DOKNR", "Dok.-Nr.", nullptr, false, true},
                       {"DOKUMENTNAME", "Bezeichnung"},
                       {"DOKUMENTART", "Art"},
                       {"VERTEILUNGSART", "Verteiler"},
                       {"PFAD", "Pfad"}});
    };
    IBT_kursdokumente->onFieldsCreated = [](Dataset* d) {
        applyProps(d, {{"KURSNR", nullptr, nullptr, false, true},
                       {"DOKNR", "Dok.-Nr.", nullptr, false, true},
                       {"VERTEILER", "Verteiler"}});
    };
}

void Tdm::setupEvents() {
    ibt_kunde->afterInsert = [this](Dataset* d) { ibt_kundeAfterInsert(d); };
    ibt_kunde->afterOpen = [this](Dataset*) { request_count_kunden(); };
    ibt_kunde->afterPost = [this](Dataset*) { request_count_kunden(); };
    ibt_kunde->afterDelete = [this](Dataset*) { request_count_kunden(); };
    ibt_kunde->beforeDelete = [this](Dataset* d) { ibt_kundeBeforeDelete(d); };
    ibt_trainer->beforeDelete = [this](Dataset* d) { ibt_trainerBeforeDelete(d); };
    ibt_dokumente->beforeDelete = [this](Dataset* d) { ibt_dokumenteBeforeDelete(d); };
    ibt_dokumente->afterDelete = [this](Dataset* d) { ibt_dokumenteAfterDelete(d); };
    ibt_kunde_hunde->beforeInsert = [this](Dataset* d) { ibt_kunde_hundeBeforeInsert(d); };
    ibt_kunde_hunde->afterInsert = [this](Dataset* d) { ibt_kunde_hundeAfterInsert(d); };
    connect(ds_kunde_hunde, &DataSource::dataChange, this, [this](Field* f) { ds_kunde_hundeDataChange(f); });
    ibt_hundetagebuch->afterInsert = [this](Dataset* d) { ibt_hundetagebuchAfterInsert(d); };
    ibt_hundesuche_tagebuch->afterInsert = [this](Dataset* d) { ibt_hundesuche_tagebuchAfterInsert(d); };
    ibt_hunde->afterInsert = [this](Dataset* d) {
        // The dog search offers no command that inserts. A row inserted here
        // anyway gets what a new dog gets: its number and the intake date
        // (the customer's fields are not touched).
        d->fieldByName(QStringLiteral("HUNDNR"))->setAsInteger(nextKey(QStringLiteral("Select max(hundnr) from hunde")));
        d->fieldByName(QStringLiteral("ANAMESE_AUFGENOMMEN_AM"))->setAsDateTime(currentDateTime());
    };
    ibt_trainer->afterInsert = [this](Dataset* d) { ibt_trainerAfterInsert(d); };
    // A number another workstation saved meanwhile: the row takes the next
    // free one when it is saved. Rows the others have written but not yet
    // committed do not count in the largest number, so the number also
    // moves past the one just refused.
    const auto nextFree = [this](const char* field, const char* sql) {
        return [this, field, sql](Dataset* d) {
            Field* f = d->fieldByName(QString::fromLatin1(field));
            // A small random step besides: a workstation that lost the race
            // does not meet the winner's next row at the same number again
            // and again.
            const QString text = QString::fromLatin1(sql);
            // Counted numbers start again from the largest saved.
            if (m_countedKeys) m_countedKeys->remove(text);
            const int key = std::max(nextKey(text), f->asInteger() + 1) + int(QRandomGenerator::global()->bounded(3));
            f->setAsInteger(key);
            if (m_countedKeys) m_countedKeys->insert(text, key);
        };
    };
    ibt_kunde->onKeyTaken = nextFree("KNDNR", "Select max(kndnr) from kunden");
    ibt_kunde_hunde->onKeyTaken = nextFree("HUNDNR", "Select max(hundnr) from hunde");
    ibt_hunde->onKeyTaken = nextFree("HUNDNR", "Select max(hundnr) from hunde");
    ibt_trainer->onKeyTaken = nextFree("TRAINERNR", "Select max(trainernr) from trainer");
    ibt_kurse->onKeyTaken = nextFree("KURSNR", "Select max(kursnr) from kurse where kursnr>0");
    ibt_vorlagen_kurse->onKeyTaken = nextFree("VORLAGENNR", "Select max(vorlagennr) from vorlagen_kurse");
    ibt_dokumente->onKeyTaken = nextFree("DOKNR", "Select max(doknr) from dokumente");
    ibt_vorlagen_kurstermine->onKeyTaken = [this](Dataset* d) {
        Field* f = d->fieldByName(QStringLiteral("TERMINNR"));
        f->setAsInteger(std::max(
            nextKey(QStringLiteral("Select max(terminnr) from vorlagen_kurstermine where vorlagennr = ?"),
                    {d->fieldByName(QStringLiteral("VORLAGENNR"))->asInteger()}),
            f->asInteger() + 1));
    };
    ibt_kurse->afterInsert = [this](Dataset* d) { ibt_kurseAfterInsert(d); };
    ibt_kurse->onCalcFields = [this](Dataset* d) { ibt_kurseCalcFields(d); };
    ibt_kurstermine->beforePost = [this](Dataset* d) { ibt_kurstermineBeforePost(d); };
    ibt_kurstermine->afterScroll = [this](Dataset* d) { ibt_kurstermineAfterScroll(d); };
    ibt_vorlagen_kurse->afterInsert = [this](Dataset* d) { ibt_vorlagen_kurseAfterInsert(d); };
    ibt_vorlagen_kurse->beforePost = [this](Dataset* d) { ibt_vorlagen_kurseBeforePost(d); };
    ibt_vorlagen_kurstermine->afterInsert = [this](Dataset* d) { ibt_vorlagen_kurstermineAfterInsert(d); };
    ibt_notizblock->afterInsert = [this](Dataset* d) { ibt_notizblockAfterInsert(d); };
    ibt_dokumente->afterInsert = [this](Dataset* d) { ibt_dokumenteAfterInsert(d); };
    IBT_kursdokumente->afterInsert = [this](Dataset* d) { IBT_kursdokumenteAfterInsert(d); };
    IBT_kursdokumente->onCalcFields = [this](Dataset* d) { IBT_kursdokumenteCalcFields(d); };
}

bool Tdm::DataModuleCreate() {
    // Opening the database is the first thing; a database that cannot be
    // opened or brought up to date ends the program.
    if (!upgrade::openDatabase(*this, platform::databasePath())) return false;
    if (!upgrade::runUpgrade(*this)) return false;
    // The upgrade commits its steps itself; from here on every save is
    // committed.
    m_commitOnSave = true;
    return true;
}

QList<Dataset*> Tdm::datasetsDetailsFirst() {
    Dataset* const order[] = {ibt_hundetagebuch, ibt_kunde_hunde, ibt_kunde, ibt_hundesuche_tagebuch, ibt_hunde,
                              ibt_teilnehmeredit, ibq_teilnehmer, ibq_aktive_kurse, ibt_kurstermine,
                              IBT_kursdokumente, ibt_kurse, ibt_trainer, ibt_dokumente,
                              ibt_vorlagen_kurstermine, ibt_vorlagen_kurse, ibt_notizblock,
                              ibt_systemdaten, ibq_kursedestages};
    QList<Dataset*> all(std::begin(order), std::end(order));
    // Any dataset added to the module later, after the known ones.
    for (Dataset* d : findChildren<Dataset*>(Qt::FindDirectChildrenOnly))
        if (!all.contains(d)) all.append(d);
    return all;
}

bool Tdm::finishPendingEdits() {
    // Details before their masters, so that a master's post never meets a
    // pending detail row of another window.
    const QList<Dataset*> all = datasetsDetailsFirst();
    for (Dataset* d : all) {
        if (!d->isActive()) continue;
        try {
            d->checkBrowseMode();
        } catch (...) {
            platform::handleCurrentException();
            return false;
        }
    }
    return true;
}

void Tdm::connectTo(const QString& path) {
    idb->setDatabaseName(path);
    idb->open();
    m_commitOnSave = true;
}

// ---------------------------------------------------------------------------
// Commits

void Tdm::requestCommit() {
    if (!m_commitOnSave) return;
    m_commitWanted = true;
    if (m_commitQueued) return;
    m_commitQueued = true;
    // Queued: the rest of the running operation (the other rows of a date
    // generation, an enrolment) is written before the one commit.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_commitQueued = false;
            if (m_commitWanted && commitSaved() && !idb->lost())
                platform::guarded([this] { readLostDatasetsAgain(); });
        },
        Qt::QueuedConnection);
}

bool Tdm::verbindungVerloren() const { return idb && idb->lost(); }

bool Tdm::verbindungWiederherstellen() {
    try {
        idb->reconnect();
        return true;
    } catch (...) {
        platform::handleCurrentException();
        return false;
    }
}

void Tdm::verwerfeOffeneEingaben() {
    for (Dataset* d : datasetsDetailsFirst())
        if (d->isActive() && d->isEditing()) platform::guarded([d] { d->cancel(); });
}

void Tdm::readLostDatasetsAgain() {
    // Masters before their details. While an edit is in progress nothing is
    // read again (a master's refresh would save its details' edits): the
    // commit after the save comes back here.
    QList<Dataset*> all = datasetsDetailsFirst();
    for (Dataset* d : all)
        if (d->isActive() && d->isEditing()) return;
    std::reverse(all.begin(), all.end());
    for (Dataset* d : all)
        if (d->isActive() && d->restLost()) d->refresh();
}

void Tdm::commitNow() {
    if (m_commitsHeld) return;
    if (!idb || !idb->isOpen() || !ibt->inTransaction()) {
        m_commitWanted = false;
        return;
    }
    ibt->commitRetaining();
    m_commitWanted = false;
}

QString Tdm::commitFailedText(const QString& reason) {
    return QStringLiteral("Die gespeicherten Änderungen konnten nicht dauerhaft in die Datenbank geschrieben "
                          "werden. Sie bleiben vorerst erhalten; Kynovia versucht es beim nächsten Speichern "
                          "erneut.\r\rMeldung des Datenbankservers:\r") +
           reason;
}

bool Tdm::commitSaved() {
    try {
        commitNow();
        return true;
    } catch (...) {
        QString reason = platform::exceptionText(std::current_exception());
        if (reason.isEmpty()) reason = QStringLiteral("(keine Meldung)");
        platform::dialogs().messageBox(commitFailedText(reason), platform::Icon::Error);
        return false;
    }
}

void Tdm::holdCommits(bool hold) {
    m_commitsHeld = hold;
    // Should the program end while an import is undecided, the import is
    // not taken over.
    ibt->setDefaultAction(hold ? Transaction::DefaultAction::Rollback : Transaction::DefaultAction::Commit);
}

Tdm::OpenDatasets Tdm::openDatasets() {
    OpenDatasets out;
    const QList<Dataset*> all = datasetsDetailsFirst();
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        Dataset* d = *it;
        if (!d->isActive()) continue;
        OpenDatasets::Entry e;
        e.dataset = d;
        e.recNo = d->recNo();
        try {
            if (auto* t = qobject_cast<Table*>(d); t && !d->isEmpty()) {
                e.keyFields = t->primaryKey();
                for (const QString& k : e.keyFields) e.key << d->fieldByName(k)->value();
            }
        } catch (...) {
            e.keyFields.clear();
            e.key.clear();
        }
        out.entries << e;
    }
    return out;
}

void Tdm::reopen(const OpenDatasets& open) {
    for (const OpenDatasets::Entry& e : open.entries) {
        Dataset* d = e.dataset.data();
        if (!d) continue;
        if (!d->isActive()) d->open();
        if (!e.keyFields.isEmpty() && e.key.size() == e.keyFields.size()) {
            d->locate(e.keyFields.join(QLatin1Char(';')),
                      e.key.size() == 1 ? e.key.first() : QVariant(e.key));
        } else if (e.recNo > 0) {
            d->setRecNo(e.recNo);
        }
    }
}

void Tdm::teilnehmerEinfuegen(int kursnr, int kndnr, int hundnr) {
    int id = 0;
    for (int attempt = 1;; ++attempt) {
        // Past the ID just refused as well (see the key handlers above).
        id = std::max(nextKey(QStringLiteral("select max(id) from teilnehmer")), id + 1);
        try {
            Statement(idb.get(), ibt)
                .execute(QStringLiteral("insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) "
                                        "values (?, ?, ?, ?, 'N')"),
                         {id, kursnr, kndnr, hundnr});
            return;
        } catch (const Error& e) {
            // The ID was taken by another workstation since it was read.
            const bool taken = e.gdsCode() == isc_unique_key_violation || e.gdsCode() == isc_no_dup;
            if (!taken || attempt >= 50) throw;
        }
    }
}

int Tdm::nextKey(const QString& sql, const QVariantList& params) {
    if (!m_countedKeys || !params.isEmpty()) return scalar(sql, params).toInt() + 1;
    auto it = m_countedKeys->find(sql);
    if (it != m_countedKeys->end()) return ++*it;
    const int key = scalar(sql, params).toInt() + 1;
    m_countedKeys->insert(sql, key);
    return key;
}

QVariant Tdm::scalar(const QString& sql, const QVariantList& params) {
    // Texts are constants with parameters; a caller with ever new texts
    // (tests, tools) must not make the list grow without end.
    if (m_reads.size() >= 64 && !m_reads.count(sql)) m_reads.clear();
    std::unique_ptr<Statement>& st = m_reads[sql];
    if (!st) st = std::make_unique<Statement>(idb.get(), ibt);
    return st->scalar(sql, params);
}

void Tdm::request_count_kunden() {
    if (!m_countTimer) {
        m_countTimer = new QTimer(this);
        m_countTimer->setSingleShot(true);
        m_countTimer->setInterval(150);
        connect(m_countTimer, &QTimer::timeout, this, [this] {
            try {
                count_kunden();
            } catch (...) {
                platform::handleCurrentException();
            }
        });
    }
    m_countTimer->start();
}

void Tdm::flush_count_kunden() {
    if (m_countTimer && m_countTimer->isActive()) {
        m_countTimer->stop();
        count_kunden();
    }
}

void Tdm::count_kunden() {
    const int anzahl = scalar(QStringLiteral("select count(*) from kunden")).toInt();
    QString text = QString::number(anzahl) + (anzahl == 1 ? QStringLiteral(" Kunde") : QStringLiteral(" Kunden"));
    emit kundenCountChanged(text);
}

void Tdm::ibt_kundeAfterInsert(Dataset*) {
    ibt_kunde->fieldByName(QStringLiteral("KNDNR"))->setAsInteger(nextKey(QStringLiteral("Select max(kndnr) from kunden")));
    ibt_kunde->fieldByName(QStringLiteral("AUFGENOMMEN_AM"))->setAsDateTime(currentDateTime());
}

void Tdm::ibt_kunde_hundeBeforeInsert(Dataset*) {
    if (!ibt_kunde->isEditing()) return;
    // Any failure of the save counts, also a value a control could not
    // convert (the customer then need not be marked modified).
    bool failed = false;
    try {
        // A new customer nobody typed into is saved all the same: it has its
        // number and date, and the dog must belong to the customer on screen.
        // Dropping it would make the previous customer current again and the
        // dog would land there.
        if (ibt_kunde->state() == DatasetState::Insert) ibt_kunde->post();
        else ibt_kunde->checkBrowseMode();
    } catch (const Error&) {
        failed = true;
    } catch (const ConvertError&) {
        failed = true;
    }
    if (failed || ibt_kunde->isEditing()) {
        platform::dialogs().messageBox(
            QStringLiteral("Vor dem Anlegen eines Hundes, müssen die Kundendaten komplett sein und "
                           "gespeichert werden können. Das automatische Speichern der Kundendaten "
                           "schlug jedoch fehl. Überprüfen Sie bitte die Kundendaten bevor Sie einen "
                           "neuen Hund anlegen."),
            platform::Icon::Warning);
        throw Abort();
    }
}

void Tdm::ibt_kunde_hundeAfterInsert(Dataset* d) {
    d->fieldByName(QStringLiteral("HUNDNR"))->setAsInteger(nextKey(QStringLiteral("Select max(hundnr) from hunde")));
    d->fieldByName(QStringLiteral("KNDNR"))->setValue(ibt_kunde->fieldByName(QStringLiteral("KNDNR"))->value());
    d->fieldByName(QStringLiteral("ANAMESE_AUFGENOMMEN_AM"))->setAsDateTime(currentDateTime());
}

namespace {

// A new diary row belongs to the dog current in `hund` and is dated today.
void neuerTagebucheintrag(Dataset* d, Dataset* hund) {
    d->fieldByName(QStringLiteral("HUNDNR"))->setValue(hund->fieldByName(QStringLiteral("HUNDNR"))->value());
    d->fieldByName(QStringLiteral("DATUM"))
        ->setAsString(fmt::formatDateTime(currentDateTime(), QStringLiteral("dd.mm.yyyy")));
}

}  // namespace

void Tdm::ibt_hundetagebuchAfterInsert(Dataset* d) { neuerTagebucheintrag(d, ibt_kunde_hunde); }

void Tdm::ibt_hundesuche_tagebuchAfterInsert(Dataset* d) { neuerTagebucheintrag(d, ibt_hunde); }

void Tdm::ibt_trainerAfterInsert(Dataset* d) {
    d->fieldByName(QStringLiteral("TRAINERNR"))
        ->setAsInteger(nextKey(QStringLiteral("Select max(trainernr) from trainer")));
}

void Tdm::ibt_kurseAfterInsert(Dataset* d) {
    if (platform::dialogs().confirm(QStringLiteral("Neuen Kurs einfügen ?"), QStringLiteral("Bestätigung"),
                                    platform::Buttons::JaNein) != platform::Answer::Ja) {
        d->cancel();
        return;
    }
    d->fieldByName(QStringLiteral("KURSNR"))
        ->setAsInteger(nextKey(QStringLiteral("Select max(kursnr) from kurse where kursnr>0")));
    d->fieldByName(QStringLiteral("STATUS"))->setAsString(QStringLiteral("Aktiv"));
}

void Tdm::ibt_kurseCalcFields(Dataset* d) {
    Field* leiter = d->fieldByName(QStringLiteral("KURSLEITER"));
    if (leiter->isNull()) return;
    d->fieldByName(QStringLiteral("KURSLEITER_ZEICHEN"))
        ->setAsString(scalar(QStringLiteral("select kurzzeichen from trainer where trainernr = ?"),
                             {leiter->asInteger()})
                          .toString());
}

void Tdm::ibt_kurstermineAfterScroll(Dataset* d) {
    if (!kursterminCalendar) return;
    Field* datum = d->findField(QStringLiteral("DATUM"));
    if (!datum || datum->isNull()) return;
    kursterminCalendar(datum->asDateTime());
}

void Tdm::ibt_vorlagen_kurseAfterInsert(Dataset* d) {
    if (platform::dialogs().confirm(QStringLiteral("Neue Vorlage einfügen ?"), QStringLiteral("Bestätigung"),
                                    platform::Buttons::JaNein) != platform::Answer::Ja) {
        d->cancel();
        return;
    }
    d->fieldByName(QStringLiteral("VORLAGENNR"))
        ->setAsInteger(nextKey(QStringLiteral("Select max(vorlagennr) from vorlagen_kurse")));
}

void Tdm::ibt_vorlagen_kurstermineAfterInsert(Dataset* d) {
    int vorlage = ibt_vorlagen_kurse->fieldByName(QStringLiteral("VORLAGENNR"))->asInteger();
    d->fieldByName(QStringLiteral("TERMINNR"))
        ->setAsInteger(nextKey(QStringLiteral("Select max(terminnr) from vorlagen_kurstermine where vorlagennr = ?"),
                               {vorlage}));
    d->fieldByName(QStringLiteral("VORLAGENNR"))->setAsInteger(vorlage);
}

QList<QStringList> Tdm::rows(const QString& sql, const QVariant& param) {
    Statement st(idb.get(), ibt);
    st.prepare(sql);
    st.setParam(0, param);
    st.open();
    QList<QStringList> out;
    while (st.fetch()) {
        QStringList row;
        for (int i = 0; i < st.columnCount(); ++i) row << st.value(i).toString().trimmed();
        out << row;
    }
    return out;
}

namespace {

// "Bello, Luna".
QString namensliste(const QStringList& namen) { return namen.join(QStringLiteral(", ")); }

// A course as the lists name it: "Welpenkurs (Nr. 3)", or "Nr. 3".
QStringList kursnamen(const QList<QStringList>& zeilen) {
    QStringList out;
    for (const QStringList& z : zeilen)
        out << (z.value(1).isEmpty() ? QStringLiteral("Nr. ") + z.value(0)
                                     : z.value(1) + QStringLiteral(" (Nr. ") + z.value(0) + QLatin1Char(')'));
    return out;
}

}  // namespace

QString Tdm::meldungKundeHatHunde(const QStringList& hunde) {
    if (hunde.size() == 1)
        return QStringLiteral("Der Kunde hat noch einen Hund (%1). Bitte löschen Sie zuerst den Hund.")
            .arg(hunde.first());
    return QStringLiteral("Der Kunde hat noch %1 Hunde (%2). Bitte löschen Sie zuerst die Hunde.")
        .arg(hunde.size())
        .arg(namensliste(hunde));
}

QString Tdm::meldungTrainerLeitetKurse(const QStringList& kurse) {
    if (kurse.size() == 1)
        return QStringLiteral("Der Trainer leitet noch einen Kurs (%1) und kann deshalb nicht gelöscht werden. "
                              "Bitte tragen Sie bei diesem Kurs zuerst einen anderen Kursleiter ein.")
            .arg(kurse.first());
    return QStringLiteral("Der Trainer leitet noch %1 Kurse (%2) und kann deshalb nicht gelöscht werden. "
                          "Bitte tragen Sie bei diesen Kursen zuerst einen anderen Kursleiter ein.")
        .arg(kurse.size())
        .arg(namensliste(kurse));
}

QString Tdm::frageDokumentInKursen(const QStringList& kurse) {
    const QString wo = kurse.size() == 1 ? QStringLiteral("einem Kurs") : QString::number(kurse.size()) + QStringLiteral(" Kursen");
    return QStringLiteral("Das Dokument gehört noch zu %1 (%2). Soll es trotzdem gelöscht werden? Es wird dann "
                          "auch aus %3 entfernt.")
        .arg(wo, namensliste(kurse), kurse.size() == 1 ? QStringLiteral("diesem Kurs") : QStringLiteral("diesen Kursen"));
}

void Tdm::ibt_kundeBeforeDelete(Dataset* d) {
    const QVariant kndnr = d->fieldByName(QStringLiteral("KNDNR"))->value();
    if (kndnr.isNull() || !kndnr.isValid()) return;
    QStringList hunde;
    for (const QStringList& z : rows(QStringLiteral("select hundnr, name from hunde where kndnr = ? order by hundnr"), kndnr))
        hunde << (z.value(1).isEmpty() ? QStringLiteral("Nr. ") + z.value(0) : z.value(1));
    if (hunde.isEmpty()) return;
    platform::dialogs().messageBox(meldungKundeHatHunde(hunde), platform::Icon::Warning);
    throw Abort();
}

void Tdm::ibt_trainerBeforeDelete(Dataset* d) {
    const QVariant nr = d->fieldByName(QStringLiteral("TRAINERNR"))->value();
    if (nr.isNull() || !nr.isValid()) return;
    const QStringList kurse =
        kursnamen(rows(QStringLiteral("select kursnr, kursname from kurse where kursleiter = ? order by kursnr"), nr));
    if (!kurse.isEmpty()) {
        platform::dialogs().messageBox(meldungTrainerLeitetKurse(kurse), platform::Icon::Warning);
        throw Abort();
    }
    // Planner appointments of the trainer (from older databases; no window
    // shows them) belong to the trainer alone: after a question they go
    // with the trainer, where the server would refuse the delete.
    const QList<QStringList> termine = rows(QStringLiteral("select count(*) from tp_termin where personnr = ?"), nr);
    const int anzahl = termine.isEmpty() ? 0 : termine.first().value(0).toInt();
    if (anzahl == 0) return;
    if (platform::dialogs().confirm(frageTrainerMitTerminen(anzahl), QStringLiteral("Bestätigung"),
                                    platform::Buttons::JaNein) != platform::Answer::Ja)
        throw Abort();
    Statement(idb.get(), ibt).execute(QStringLiteral("delete from tp_termin where personnr = ?"), {nr});
}

QString Tdm::frageTrainerMitTerminen(int anzahl) {
    return QStringLiteral("Für den Trainer %1 im Terminplaner gespeichert. Soll er trotzdem gelöscht werden? "
                          "%2 dann ebenfalls gelöscht.")
        .arg(anzahl == 1 ? QStringLiteral("ist noch ein Termin")
                         : QStringLiteral("sind noch %1 Termine").arg(anzahl),
             anzahl == 1 ? QStringLiteral("Der Termin wird") : QStringLiteral("Die Termine werden"));
}

void Tdm::ibt_dokumenteBeforeDelete(Dataset* d) {
    m_geloeschtesDokument = QVariant();
    const QVariant nr = d->fieldByName(QStringLiteral("DOKNR"))->value();
    if (nr.isNull() || !nr.isValid()) return;
    // Links of courses that no longer exist count too: they go as well.
    const QStringList kurse = kursnamen(
        rows(QStringLiteral("select d.kursnr, k.kursname from kurs_dokumente d left join kurse k on k.kursnr = "
                            "d.kursnr where d.doknr = ? order by d.kursnr"),
             nr));
    if (!kurse.isEmpty() &&
        platform::dialogs().confirm(frageDokumentInKursen(kurse), QStringLiteral("Bestätigung"),
                                    platform::Buttons::JaNein) != platform::Answer::Ja)
        throw Abort();
    m_geloeschtesDokument = nr;
}

void Tdm::ibt_dokumenteAfterDelete(Dataset*) {
    const QVariant nr = m_geloeschtesDokument;
    m_geloeschtesDokument = QVariant();
    if (!nr.isValid()) return;
    // In the same transaction as the document row: the course and template
    // links of the number go with it, so that a new document under the
    // same number never shows up in an old course or template.
    for (const char* sql : {"delete from kurs_dokumente where doknr = ?", "delete from vorlagen_dokumente where doknr = ?"})
        Statement(idb.get(), ibt).execute(QString::fromLatin1(sql), {nr});
    // The course window's document list shows the links no more.
    if (IBT_kursdokumente->isActive() && !IBT_kursdokumente->isEditing()) IBT_kursdokumente->refresh();
}

QString Tdm::meldungTerminVorhanden(const QDateTime& wann) {
    return QStringLiteral("Für diesen Kurs gibt es am %1 um %2 bereits einen Termin.")
        .arg(fmt::formatDateTime(wann, QStringLiteral("dd.mm.yyyy")),
             fmt::formatDateTime(wann, QStringLiteral("hh:nn")));
}

void Tdm::ibt_kurstermineBeforePost(Dataset* d) {
    Field* kursnr = d->fieldByName(QStringLiteral("KURSNR"));
    Field* datum = d->fieldByName(QStringLiteral("DATUM"));
    // Missing values are the required-field check's to report.
    if (kursnr->isNull() || datum->isNull()) return;
    if (d->state() == DatasetState::Edit && kursnr->oldValue() == kursnr->value() &&
        datum->oldValue() == datum->value())
        return;  // the row keeps its key
    const bool vorhanden = scalar(QStringLiteral("select count(*) from kurstermine where kursnr = ? and datum = ?"),
                                  {kursnr->value(), datum->value()})
                               .toInt() > 0;
    if (vorhanden) throw Error(meldungTerminVorhanden(datum->asDateTime()));
}

QString Tdm::meldungRhythmus() {
    return QStringLiteral("Der Wert \"alle n Tage\" einer Vorlage muss 1 oder größer sein. Lassen Sie das Feld "
                          "leer, wenn beim Eintragen der Termine der Wert aus dem Kursfenster gelten soll.");
}

void Tdm::ibt_vorlagen_kurseBeforePost(Dataset* d) {
    // 0 or a negative number would put the dates of a course on one day or
    // walk them backwards from the first date.
    Field* rhythmus = d->findField(QStringLiteral("RYTHMUS"));
    if (rhythmus && !rhythmus->isNull() && rhythmus->asInteger() < 1) throw Error(meldungRhythmus());
}

void Tdm::ibt_notizblockAfterInsert(Dataset* d) {
    d->fieldByName(QStringLiteral("DATUMZEIT"))->setAsDateTime(currentDateTime());
}

void Tdm::ibt_dokumenteAfterInsert(Dataset* d) {
    d->fieldByName(QStringLiteral("DOKNR"))->setAsInteger(nextKey(QStringLiteral("Select max(doknr) from dokumente")));
}

void Tdm::IBT_kursdokumenteAfterInsert(Dataset* d) {
    if (!auswahl) return;
    QVariantList row;
    bool ok = auswahl(QStringLiteral("Dokument auswählen..."),
                      {QStringLiteral("select doknr,dokumentname,dokumentart,Verteilungsart"),
                       QStringLiteral(" from dokumente ")},
                      {QStringLiteral("Dok.-Nr."), QStringLiteral("Dokument"), QStringLiteral("Art"),
                       QStringLiteral("Verteiler")},
                      true, &row);
    if (!ok || row.size() < 4) return;
    d->fieldByName(QStringLiteral("DOKNR"))->setAsInteger(row[0].toInt());
    d->fieldByName(QStringLiteral("BEZEICHNUNG"))->setValue(row[1]);
    d->fieldByName(QStringLiteral("ART"))->setValue(row[2]);
    d->fieldByName(QStringLiteral("VERTEILER"))->setValue(row[3]);
    // The user chose a document: the row is theirs, not an untouched default.
    d->setModified(true);
}

void Tdm::IBT_kursdokumenteCalcFields(Dataset* d) {
    QString art = d->fieldByName(QStringLiteral("ART"))->asString();
    QString word;
    if (!art.isEmpty()) {
        switch (art.at(0).unicode()) {
        case 'A': word = QStringLiteral("Anmeldung"); break;
        case 'B': word = QStringLiteral("Brief"); break;
        case 'I': word = QStringLiteral("Infoblatt"); break;
        case 'K': word = QStringLiteral("Kursdokument"); break;
        case 'V': word = QStringLiteral("Vertrag"); break;
        default: break;
        }
    }
    d->fieldByName(QStringLiteral("ART_ANZEIGE"))->setAsString(word);
}

void Tdm::ds_kunde_hundeDataChange(Field*) { emit anamneseGeaendert(); }

QList<Textstueck> Tdm::anamnesebogen_zusammenfassung() const {
    auto text = [this](const char* col) -> QString {
        if (!ibt_kunde_hunde->isActive()) return QString();
        Field* f = ibt_kunde_hunde->findField(QString::fromLatin1(col));
        if (!f) return QString();
        QString s = f->displayText();
        s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        return s;
    };
    QList<Textstueck> out;
    constexpr Textstueck::Stil plain = Textstueck::Stil::Normal;
    constexpr Textstueck::Stil bold = Textstueck::Stil::Fett;
    constexpr Textstueck::Stil underlined = Textstueck::Stil::Unterstrichen;
    Textstueck::Stil style = plain;
    auto append = [&](const QString& s) { out.append({s, style}); };
    auto endLine = [&] { out.append({QStringLiteral("\n"), style}); };
    // Every "add line" below happens on an empty last line: it fills that
    // line and starts a new one.
    auto addLine = [&](const QString& s) {
        if (s.isEmpty()) {
            endLine();
            return;
        }
        append(s);
        endLine();
    };

    style = plain;
    append(QStringLiteral("Anamesebogen vom ") + text("ANAMESE_AUFGENOMMEN_AM") + QStringLiteral(" für den Hund "));
    style = bold;
    append(text("NAME"));
    endLine();
    endLine();
    style = plain;
    addLine(QStringLiteral("Probleme / Grund der Kontaktaufnahme:"));
    style = bold;
    append(text("PROBLEME"));
    endLine();
    endLine();
    style = underlined;
    addLine(QStringLiteral("Herkunft / Pflege:"));
    endLine();
    const std::pair<const char*, const char*> ident[] = {{"Chip-Nr.:", "CHIPNR"},
                                                         {"  Haftpflicht:", "HAFTPFLICHTNR"},
                                                         {"  Herkunft:", "HERKUNFT"},
                                                         {"  Zwingername:", "ZWINGERNAME"}};
    for (auto [label, col] : ident) {
        style = plain;
        append(QString::fromUtf8(label));
        style = bold;
        append(text(col));
    }
    endLine();
    if (!text("KASTRATION").isEmpty()) {
        style = plain;
        append(QStringLiteral("Kastration:"));
        style = bold;
        append(text("KASTRATION"));
        if (!text("KASTZEITPUNKT").isEmpty()) append(QStringLiteral("(am") + text("KASTZEITPUNKT") + QStringLiteral(")"));
    }
    if (!text("FUTTER").isEmpty() || !text("FUTTERMARKE").isEmpty()) {
        style = plain;
        append(QStringLiteral("  Futter:"));
        style = bold;
        append(text("FUTTER") + QStringLiteral(" (") + text("FUTTERMARKE") + QStringLiteral(" )"));
    }
    endLine();
    endLine();
    style = plain;
    addLine(QStringLiteral("Vorbesitzer:"));
    style = bold;
    append(text("VORBESITZER"));
    endLine();
    endLine();
    style = underlined;
    addLine(QStringLiteral("Tierarzt / Krankheiten / Impfung"));
    endLine();
    if (!text("HAUT_FELL").isEmpty()) {
        style = plain;
        append(QStringLiteral("Auffälligkeiten Haut/Fell:"));
        style = bold;
        append(text("HAUT_FELL"));
        endLine();
    }
    endLine();
    style = plain;
    addLine(QStringLiteral("Tierarzt:"));
    style = bold;
    append(text("TIERARZT"));
    endLine();
    return out;
}
