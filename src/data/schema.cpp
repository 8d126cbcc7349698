#include "data/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <iterator>

#include "db/connection.h"
#include "db/error.h"
#include "db/statement.h"
#include "db/transaction.h"

namespace schema {

namespace {

// The complete schema, in creation order: TRAINER before TP_TERMIN, whose
// PERSONNR refers to it, and KUNDEN before HUNDE.
//
// Delete rules: the foreign keys have no action, so the database refuses to
// delete a customer who still has dogs (no window deletes the dogs first, and
// silently removing a dog together with its questionnaire would lose records)
// and a trainer who still has planner appointments. The constraints carry
// names, so that the server's refusal says which link stands in the way.
//
// TP_TERMIN.PERSONNR refers to TRAINER: the planner's datasets link an
// appointment to the trainer whose TRAINERNR equals PERSONNR. TP_PERSON is
// kept only because older databases have it.
//
// TEILNEHMER.ID and DOKUMENTE.DOKNR are declared primary keys, so the
// database guards the uniqueness that "largest + 1" numbering relies on.
// HUNDE_TAGEBUCH and NOTIZBLOCK have no key; their rows are addressed by
// RDB$DB_KEY.
const char* const kTables[] = {
    R"(create table kunden (
  kndnr integer not null,
  aufgenommen_am date,
  name varchar(30),
  vname varchar(20),
  plz varchar(10),
  ort varchar(50),
  str varchar(50),
  anrede varchar(50),
  tel varchar(30),
  mobil varchar(30),
  fax varchar(30),
  email varchar(30),
  kommentar varchar(500),
  primary key (kndnr)
))",
    R"(create table hunde (
  hundnr integer not null,
  kndnr integer not null,
  name varchar(30),
  rasse varchar(30),
  geschlecht varchar(10),
  geburtsjahr integer,
  geboren_am date,
  impfung varchar(1),
  impfung_text varchar(150),
  chipnr varchar(50),
  haftpflichtnr varchar(50),
  herkunft varchar(20),
  zwingername varchar(150),
  vorbesitzer varchar(320),
  futter varchar(20),
  futtermarke varchar(20),
  kastration varchar(20),
  kastzeitpunkt varchar(10),
  allergien varchar(1),
  allergien_text varchar(150),
  krankheiten varchar(150),
  haut_fell varchar(150),
  tierarzt varchar(320),
  letzte_hundeschule varchar(240),
  welpenschule varchar(1),
  welpenschule_bei varchar(150),
  junghundekurs varchar(1),
  junghundekurs_bei varchar(150),
  einzelstunden varchar(1),
  einzelstunden_bei varchar(150),
  pruefung varchar(100),
  pruefung_bei varchar(150),
  clicker varchar(1),
  clicker_bei varchar(150),
  verein varchar(1),
  verein_text varchar(320),
  vorherige_hundeschule varchar(320),
  verhalten_leine_ruede varchar(30),
  verhalten_leine_huendin varchar(30),
  verhalten_leine_mensch varchar(30),
  verhalten_leine_kind varchar(30),
  verhalten_leine_kleintier varchar(30),
  leine_besonderheiten varchar(500),
  verhalten_freilauf_ruede varchar(30),
  verhalten_freilauf_huendin varchar(30),
  verhalten_freilauf_mensch varchar(30),
  verhalten_freilauf_kind varchar(30),
  verhalten_freilauf_kleintier varchar(30),
  freilauf_besonderheiten varchar(500),
  verhalten_haus_ruede varchar(30),
  verhalten_haus_huendin varchar(30),
  verhalten_haus_mensch varchar(30),
  verhalten_haus_kinde varchar(30),
  verhalten_haus_kleintier varchar(30),
  haus_besonderheiten varchar(500),
  verhalten_garten_ruede varchar(30),
  verhalten_garten_huendin varchar(30),
  verhalten_garten_mensch varchar(30),
  verhalten_garten_kinde varchar(30),
  verhalten_garten_kleintier varchar(30),
  garten_besonderheiten varchar(500),
  jagd_bei_sicht varchar(1),
  jagd_auf_faehrte varchar(1),
  abrufbar varchar(1),
  jagd_besonderheiten varchar(500),
  anspringen_bekannte varchar(1),
  anspringen_fremde varchar(1),
  anspringen_besonderheiten varchar(100),
  anbellen_bekannte varchar(1),
  anbellen_fremde varchar(1),
  anbellen_besonderheiten varchar(100),
  verhalten_imhaus varchar(30),
  imhaus_besonderheiten varchar(150),
  verhalten_tierarzt varchar(30),
  autofahren_gerne varchar(1),
  futteraufnahme varchar(30),
  futterausderhand varchar(30),
  futterverteidigen varchar(1),
  kommentar varchar(500),
  probleme varchar(500),
  therapievorschlag varchar(500),
  anamese_aufgenommen_am date,
  primary key (hundnr),
  constraint fk_hunde_kunden foreign key (kndnr) references kunden (kndnr)
))",
    R"(create table hunde_tagebuch (
  hundnr integer,
  datum date,
  terminart varchar(20),
  geplant varchar(200),
  durchgefuehrt varchar(200),
  beurteilung varchar(200),
  vorausplanung varchar(200)
))",
    R"(create table trainer (
  trainernr integer not null,
  kurzzeichen varchar(20),
  vname varchar(20),
  name varchar(30),
  str varchar(80),
  plz varchar(10),
  ort varchar(80),
  anrede varchar(10),
  tel varchar(30),
  mobil varchar(30),
  fax varchar(30),
  email varchar(30),
  kommentar varchar(500),
  primary key (trainernr)
))",
    R"(create table kurse (
  kursnr integer not null,
  kursart varchar(2),
  kursname varchar(30),
  beschreibung varchar(500),
  kursleiter integer,
  maxteilnehmer integer,
  anzahl_teilnehmer integer,
  gebuehr float,
  status char(1),
  primary key (kursnr)
))",
    R"(create table kurstermine (
  kursnr integer not null,
  datum date not null,
  thema varchar(80),
  uhrzeit date,
  ort varchar(200),
  kontakt varchar(200),
  primary key (kursnr, datum)
))",
    R"(create table teilnehmer (
  id integer not null,
  kursnr integer not null,
  kndnr integer not null,
  hundnr integer not null,
  bezahlt varchar(1),
  kennzeichen varchar(10),
  kommentar varchar(100),
  primary key (id)
))",
    R"(create table vorlagen_kurse (
  vorlagennr integer not null,
  bezeichnung varchar(80),
  rythmus integer,
  primary key (vorlagennr)
))",
    R"(create table vorlagen_kurstermine (
  vorlagennr integer not null,
  terminnr integer not null,
  thema varchar(80),
  primary key (vorlagennr, terminnr)
))",
    R"(create table dokumente (
  doknr integer not null,
  dokumentname varchar(50),
  dokumentart varchar(1),
  verteilungsart varchar(10),
  pfad varchar(200),
  primary key (doknr)
))",
    R"(create table kurs_dokumente (
  kursnr integer not null,
  doknr integer not null,
  verteiler varchar(10),
  primary key (kursnr, doknr)
))",
    R"(create table vorlagen_dokumente (
  vorlagennr integer not null,
  doknr integer not null,
  verteiler varchar(10),
  primary key (vorlagennr, doknr)
))",
    R"(create table notizblock (
  notiz varchar(500),
  datumzeit date
))",
    R"(create table systemdaten (
  hundeschule varchar(50),
  strasse varchar(50),
  plz varchar(10),
  ort varchar(50),
  last_update integer,
  erststarthilfe integer
))",
    R"(create table tp_person (
  personnr integer,
  name varchar(50),
  funktion varchar(50)
))",
    R"(create table tp_termin (
  personnr integer not null,
  von date not null,
  bis date not null,
  beschreibung varchar(255),
  art integer,
  terminnr varchar(30),
  ort char(30),
  mahnzeit_vor_termin date,
  taetigkeit char(30),
  vorlaeufig varchar(1),
  constraint fk_tp_termin_trainer foreign key (personnr) references trainer (trainernr)
))",
};

// Invoicing. Amounts are NUMERIC(9,2): dialect 1 keeps them as scaled
// integers, so cents stay exact (wider NUMERICs would be doubles). An invoice
// is a draft (STATUS "E") until it is issued ("A"); issuing gives it its
// NUMMER from RECHNUNGSZAEHLER, whose row of the year is counted up in the
// issuing transaction: a failed issue rolls the count back with it, and two
// workstations wait for each other on that row, so the numbers have no gaps
// and no doubles. The recipient, the school's address and its tax and bank
// data are copied into the invoice when it is issued, so that it reads the
// same for ever. ART "S" is a cancellation invoice; STORNO_VON names the
// invoice it cancels. Generators number the internal keys (gaps there do
// not matter). Payments and reminders refer to the invoice by RENR; none of
// these tables refers to KUNDEN by a foreign key, because an erased
// customer's issued invoices must stay.
const char* const kBillingTables[] = {
    R"(create table rechnungsdaten (
  kleinunternehmer integer,
  ust_satz integer,
  steuernummer varchar(30),
  ust_idnr varchar(20),
  bank varchar(50),
  iban varchar(34),
  bic varchar(11),
  glaeubiger_id varchar(35),
  nummernmuster varchar(40),
  zahlungsziel integer,
  text_oben varchar(1000),
  text_unten varchar(1000),
  mahngebuehr numeric(9,2)
))",
    R"(create table rechnungszaehler (
  jahr integer not null,
  zaehler integer not null,
  primary key (jahr)
))",
    R"(create table rechnungen (
  renr integer not null,
  nummer varchar(40),
  art char(1) not null,
  status char(1) not null,
  kndnr integer,
  kursnr integer,
  storno_von integer,
  rechnungsdatum date,
  faellig_am date,
  leistung_von date,
  leistung_bis date,
  empfaenger varchar(400),
  absender varchar(400),
  kleinunternehmer integer,
  steuernummer varchar(30),
  ust_idnr varchar(20),
  bank varchar(50),
  iban varchar(34),
  bic varchar(11),
  text_oben varchar(1000),
  text_unten varchar(1000),
  netto numeric(9,2),
  ust numeric(9,2),
  brutto numeric(9,2),
  erstellt_am date,
  primary key (renr),
  constraint rechnungen_nummer unique (nummer)
))",
    R"(create table rechnungspositionen (
  renr integer not null,
  pos integer not null,
  teilnehmer_id integer,
  bezeichnung varchar(200),
  menge numeric(9,2),
  einzelpreis numeric(9,2),
  ust_satz integer,
  netto numeric(9,2),
  leistung_von date,
  leistung_bis date,
  primary key (renr, pos)
))",
    R"(create table zahlungen (
  zahlnr integer not null,
  renr integer not null,
  datum date,
  betrag numeric(9,2),
  zahlungsart varchar(20),
  primary key (zahlnr)
))",
    R"(create table mahnungen (
  renr integer not null,
  stufe integer not null,
  datum date,
  gebuehr numeric(9,2),
  faellig_am date,
  primary key (renr, stufe)
))",
    "create index rechnungen_kndnr on rechnungen (kndnr)",
    "create index rechnungen_storno_von on rechnungen (storno_von)",
    "create index rechnungspositionen_tn on rechnungspositionen (teilnehmer_id)",
    "create index zahlungen_renr on zahlungen (renr)",
    "create generator rechnungen_renr",
    "create generator zahlungen_zahlnr",
};

// The database itself refuses to change or delete an issued invoice or its
// lines, whoever asks (the program, isql, a report tool).
const char* const kBillingTriggers[] = {
    "create exception rechnung_unveraenderlich 'Eine ausgestellte Rechnung kann nicht "
    "geändert oder gelöscht werden. Korrigieren Sie sie mit einer Stornorechnung.'",
    R"(create trigger rechnungen_bu for rechnungen active before update position 0 as
begin
  if (old.status = 'A') then exception rechnung_unveraenderlich;
end)",
    R"(create trigger rechnungen_bd for rechnungen active before delete position 0 as
begin
  if (old.status = 'A') then exception rechnung_unveraenderlich;
end)",
    R"(create trigger rechnungspositionen_bi for rechnungspositionen active before insert position 0 as
begin
  if (exists(select 1 from rechnungen r where r.renr = new.renr and r.status = 'A')) then
    exception rechnung_unveraenderlich;
end)",
    R"(create trigger rechnungspositionen_bud for rechnungspositionen active before update or delete position 0 as
begin
  if (exists(select 1 from rechnungen r where r.renr = old.renr and r.status = 'A')) then
    exception rechnung_unveraenderlich;
  if (updating) then
    if (exists(select 1 from rechnungen r where r.renr = new.renr and r.status = 'A')) then
      exception rechnung_unveraenderlich;
end)",
};

struct IndexSpec {
    const char* table;
    QStringList columns;
    const char* name;
};

// Columns whose next key is read as MAX + 1. Firebird answers MAX only from
// a descending index; without one every new row scans the whole table.
// Course-template dates are numbered per template ("select max(terminnr)
// from vorlagen_kurstermine where vorlagennr=N"): the composite index
// (VORLAGENNR, TERMINNR) descending answers that by navigation within the
// one template, where an index on TERMINNR alone would walk the dates of
// every template.
const IndexSpec kDescending[] = {
    {"KUNDEN", {"KNDNR"}, "KUNDEN_KNDNR_DESC"},
    {"HUNDE", {"HUNDNR"}, "HUNDE_HUNDNR_DESC"},
    {"TRAINER", {"TRAINERNR"}, "TRAINER_TRAINERNR_DESC"},
    {"KURSE", {"KURSNR"}, "KURSE_KURSNR_DESC"},
    {"DOKUMENTE", {"DOKNR"}, "DOKUMENTE_DOKNR_DESC"},
    {"VORLAGEN_KURSE", {"VORLAGENNR"}, "VORLAGEN_KURSE_VORLAGENNR_DESC"},
    {"VORLAGEN_KURSTERMINE", {"VORLAGENNR", "TERMINNR"}, "VORLAGEN_KURSTERMINE_DESC"},
    {"TEILNEHMER", {"ID"}, "TEILNEHMER_ID_DESC"},
};

// Detail links that select by a column without a key index of their own:
// the dogs of a customer (served by the foreign key's index where the key
// is declared), the participants of a course, the courses of a customer and
// the diary of a dog.
const IndexSpec kLookup[] = {
    {"HUNDE", {"KNDNR"}, "HUNDE_KNDNR"},
    {"TEILNEHMER", {"KURSNR"}, "TEILNEHMER_KURSNR"},
    {"TEILNEHMER", {"KNDNR"}, "TEILNEHMER_KNDNR"},
    {"HUNDE_TAGEBUCH", {"HUNDNR"}, "HUNDE_TAGEBUCH_HUNDNR"},
};

void exec(db::Connection& c, db::Transaction& t, const QString& sql) {
    db::Statement s(&c, &t);
    s.prepare(sql);
    s.execute();
}

struct IndexInfo {
    QString name;
    bool descending = false;
    QStringList segments;
};

bool indexNameTaken(db::Connection& c, db::Transaction& t, const QString& name) {
    db::Statement s(&c, &t);
    s.prepare(QStringLiteral("select count(*) from rdb$indices where rdb$index_name = ?"));
    s.setParam(0, name);
    s.open();
    bool taken = s.fetch() && s.value(0).toInt() > 0;
    s.close();
    return taken;
}

// A free index name: the wanted one, or with a number appended when some
// other index of an older database already carries it.
QString freeIndexName(db::Connection& c, db::Transaction& t, const QString& wanted) {
    if (!indexNameTaken(c, t, wanted)) return wanted;
    for (int i = 2;; ++i) {
        QString suffix = QStringLiteral("_%1").arg(i);
        QString name = wanted.left(31 - suffix.size()) + suffix;
        if (!indexNameTaken(c, t, name)) return name;
    }
}

enum class Need { Descending, Lookup };

// The columns and indexes of the user tables, read with two statements (the
// start checks every index it needs; one statement per table and column
// made that a noticeable part of the start).
struct Catalog {
    QSet<QString> columns;                     // "TABLE.COLUMN"
    QHash<QString, QList<IndexInfo>> indexes;  // by table
    bool hasTable(const QString& table) const { return tables.contains(table); }
    QSet<QString> tables;
};

Catalog readCatalog(db::Connection& c, db::Transaction& t) {
    Catalog k;
    db::Statement s(&c, &t);
    s.prepare(QStringLiteral("select trim(rdb$relation_name), trim(rdb$field_name) from rdb$relation_fields "
                             "where coalesce(rdb$system_flag, 0) = 0"));
    s.open();
    while (s.fetch()) {
        const QString table = s.value(0).toString();
        k.tables.insert(table);
        k.columns.insert(table + QLatin1Char('.') + s.value(1).toString());
    }
    s.prepare(QStringLiteral(
        "select trim(i.rdb$relation_name), trim(i.rdb$index_name), i.rdb$index_type, trim(sg.rdb$field_name) "
        "from rdb$indices i join rdb$index_segments sg on sg.rdb$index_name = i.rdb$index_name "
        "where coalesce(i.rdb$system_flag, 0) = 0 "
        "order by i.rdb$relation_name, i.rdb$index_name, sg.rdb$field_position"));
    s.open();
    while (s.fetch()) {
        QList<IndexInfo>& list = k.indexes[s.value(0).toString()];
        const QString name = s.value(1).toString();
        if (list.isEmpty() || list.last().name != name) {
            IndexInfo info;
            info.name = name;
            info.descending = s.value(2).toInt() == 1;  // NULL or 0: ascending
            list.append(info);
        }
        list.last().segments.append(s.value(3).toString());
    }
    return k;
}

void ensureIndexes(db::Connection& connection, const IndexSpec* begin, const IndexSpec* end, Need need) {
    db::Transaction t(&connection);
    t.setDefaultAction(db::Transaction::DefaultAction::Rollback);
    const Catalog catalog = readCatalog(connection, t);
    bool created = false;
    for (const IndexSpec* spec = begin; spec != end; ++spec) {
        const QString table = QString::fromLatin1(spec->table);
        if (!catalog.hasTable(table)) continue;
        bool columnsPresent = true;
        for (const QString& col : spec->columns)
            columnsPresent = columnsPresent && catalog.columns.contains(table + QLatin1Char('.') + col);
        if (!columnsPresent) continue;

        bool present = false;
        for (const IndexInfo& ix : catalog.indexes.value(table)) {
            if (need == Need::Descending) {
                // Exactly these columns in this order, descending.
                present = ix.descending && ix.segments == spec->columns;
            } else {
                // Any index led by the column serves an equality lookup
                // (a foreign key's index included).
                present = !ix.segments.isEmpty() && ix.segments.first() == spec->columns.first();
            }
            if (present) break;
        }
        if (present) continue;

        const QString name = freeIndexName(connection, t, QString::fromLatin1(spec->name));
        const QString sql = QStringLiteral("create %1index %2 on %3 (%4)")
                                .arg(need == Need::Descending ? QStringLiteral("descending ") : QString(),
                                     name.toLower(), table.toLower(), spec->columns.join(QStringLiteral(", ")).toLower());
        exec(connection, t, sql);
        created = true;
    }
    if (created) t.commit();
    else t.rollback();
}

bool isServerPath(const QString& path) {
    // "host:/path" or "host:C:\..." reaches a server; a plain path is a file.
    const int colon = path.indexOf(QLatin1Char(':'));
    if (colon <= 0) return false;
    const int slash = path.indexOf(QLatin1Char('/'));
    return slash < 0 || colon < slash;
}

}  // namespace

void createDatabase(const QString& path) {
    const bool local = !isServerPath(path);
    if (local) {
        const QFileInfo info(path);
        if (info.exists())
            throw db::Error(QStringLiteral("Die Datei \"%1\" existiert bereits.").arg(path));
        QDir dir = info.absoluteDir();
        if (!dir.exists() && !QDir().mkpath(dir.absolutePath()))
            throw db::Error(QStringLiteral("Der Ordner \"%1\" konnte nicht angelegt werden.")
                                .arg(QDir::toNativeSeparators(dir.absolutePath())));
    }
    db::Connection connection;
    connection.setDatabaseName(path);
    connection.create();
    try {
        createComplete(connection);
        connection.close();
    } catch (...) {
        // A half-built database must not stay behind: it would look like a
        // valid one to the next start and block a new attempt.
        try {
            connection.close();
        } catch (...) {
        }
        if (local) QFile::remove(path);
        throw;
    }
}

void createComplete(db::Connection& connection) {
    {
        db::Transaction t(&connection);
        t.setDefaultAction(db::Transaction::DefaultAction::Rollback);
        for (const char* ddl : kTables) exec(connection, t, QString::fromUtf8(ddl));
        // The new tables are known to later statements only once committed.
        t.commit();
    }
    {
        db::Transaction t(&connection);
        t.setDefaultAction(db::Transaction::DefaultAction::Rollback);
        exec(connection, t,
             QStringLiteral("insert into systemdaten (last_update, erststarthilfe) values (%1, 1)")
                 .arg(currentVersion));
        exec(connection, t,
             QStringLiteral("insert into kurse (kursnr, kursart, beschreibung) "
                            "values (-1, \"EB\", \"Einzelstunde/Beratung\")"));
        t.commit();
    }
    for (const QStringList& stage : billingStages()) {
        db::Transaction t(&connection);
        t.setDefaultAction(db::Transaction::DefaultAction::Rollback);
        for (const QString& sql : stage) exec(connection, t, sql);
        t.commit();
    }
    ensureDescendingIndexes(connection);
    ensureLookupIndexes(connection);
}

QVector<QStringList> billingStages() {
    QStringList tables, triggers;
    for (const char* sql : kBillingTables) tables << QString::fromUtf8(sql);
    for (const char* sql : kBillingTriggers) triggers << QString::fromUtf8(sql);
    const QStringList row{QStringLiteral(
        "insert into rechnungsdaten (kleinunternehmer, ust_satz, nummernmuster, zahlungsziel, mahngebuehr) "
        "values (0, 19, 'RE-{JJJJ}-{NNNN}', 14, 0)")};
    return {tables, triggers, row};
}

void ensureDescendingIndexes(db::Connection& connection) {
    ensureIndexes(connection, std::begin(kDescending), std::end(kDescending), Need::Descending);
}

void ensureLookupIndexes(db::Connection& connection) {
    ensureIndexes(connection, std::begin(kLookup), std::end(kLookup), Need::Lookup);
}

}  // namespace schema
