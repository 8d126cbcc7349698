#include "baseschema.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <stdexcept>

#include "db/connection.h"
#include "db/error.h"
#include "db/statement.h"
#include "db/transaction.h"

const char* const baseSchoolName = "Hundeschule Pfötchen";
const char* const baseSchoolStreet = "Lindenstraße 4";
const char* const baseSchoolPostcode = "22880";
const char* const baseSchoolTown = "Wedel";

namespace {

const char* const kBaseTables[] = {
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
  foreign key (kndnr) references kunden (kndnr)
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
    R"(create table kurse (
  kursnr integer not null,
  kursart varchar(2),
  kursname varchar(30),
  beschreibung varchar(500),
  kursleiter integer,
  maxteilnehmer integer,
  minteilnehmer integer,
  primary key (kursnr)
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
    R"(create table dokumente (
  doknr integer not null,
  dokumentname varchar(50),
  dokumentart varchar(1),
  verteilungsart varchar(10),
  pfad varchar(200),
  kursnr integer,
  primary key (doknr)
))",
    R"(create table notizblock (
  notiz varchar(500),
  datumzeit date
))",
    R"(create table systemdaten (
  hundeschule varchar(50),
  strasse varchar(50),
  plz varchar(10),
  ort varchar(50)
))",
    R"(create table tp_person (
  personnr integer not null,
  name varchar(50),
  funktion varchar(50),
  primary key (personnr)
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
  foreign key (personnr) references tp_person (personnr)
))",
};

// The statements of the upgrade steps, in the order the program runs them.
// The fixture commits after every statement, so DDL is visible to the next.
QStringList stepStatements(int step) {
    switch (step) {
    case 1:
        return {QStringLiteral("create table trainer (\n trainernr integer not null,\n"
                               " kurzzeichen varchar(20),\n vname varchar(20),\n name varchar(30),\n"
                               " str varchar(80),\n plz varchar(10),\n ort varchar(80),\n"
                               " anrede varchar(10),\n tel varchar(30),\n mobil varchar(30),\n"
                               " fax varchar(30),\n email varchar(30),\n kommentar varchar(500),\n"
                               " primary key (trainernr)\n);")};
    case 2:
        return {QStringLiteral("alter table kurse drop minteilnehmer, add anzahl_teilnehmer integer ;")};
    case 3:
        return {QStringLiteral("create table kurstermine (\n kursnr integer not null,\n"
                               " datum date not null,\n thema varchar(80),\n"
                               " primary key (kursnr,datum)\n);")};
    case 4:
        return {QStringLiteral("alter table kurse add gebuehr float;"),
                QStringLiteral("alter table systemdaten add last_update integer;")};
    case 5:
        return {QStringLiteral("update systemdaten set last_update=5;")};
    case 6:
        return {QStringLiteral("alter table kurstermine add uhrzeit date;"),
                QStringLiteral("create table vorlagen_kurse (\n vorlagennr integer not null,\n"
                               " bezeichnung varchar(80),\n primary key (vorlagennr)\n);"),
                QStringLiteral("create table vorlagen_kurstermine (\n vorlagennr integer not null,\n"
                               " terminnr integer not null,\n thema varchar(80),\n"
                               " primary key (vorlagennr,terminnr)\n);"),
                QStringLiteral("update systemdaten set last_update=6;")};
    case 7:
        return {QStringLiteral("alter table vorlagen_kurse add rythmus integer;"),
                QStringLiteral("update systemdaten set last_update=7;")};
    case 9:
        return {QStringLiteral("alter table systemdaten add erststarthilfe integer;"),
                QStringLiteral("update systemdaten set erststarthilfe=1;"),
                QStringLiteral("update systemdaten set last_update=9;")};
    case 10:
        return {QStringLiteral("alter table kurstermine add ort varchar(200), add kontakt varchar(200);"),
                QStringLiteral("insert into kurse (kursnr,kursart,beschreibung) "
                               "values (-1,\"EB\",\"Einzelstunde/Beratung\");"),
                QStringLiteral("update systemdaten set last_update=10;")};
    case 11:
        return {QStringLiteral("alter table dokumente drop kursnr;"),
                QStringLiteral("create table vorlagen_dokumente (\n vorlagennr integer not null,\n"
                               " doknr integer not null,\n verteiler varchar(10),\n"
                               " primary key (vorlagennr,doknr)\n);"),
                QStringLiteral("create table kurs_dokumente (\n kursnr integer not null,\n"
                               " doknr integer not null,\n verteiler varchar(10),\n"
                               " primary key (kursnr,doknr)\n);"),
                QStringLiteral("update systemdaten set last_update=11;")};
    case 12:
        return {QStringLiteral("alter table kurse add status char(1)"),
                QStringLiteral("update systemdaten set last_update=12;")};
    case 13:
        return {QStringLiteral("alter table hunde add geboren_am date"),
                QStringLiteral("update hunde set geboren_am=\"01.01.\"||geburtsjahr where geburtsjahr is not null"),
                QStringLiteral("update systemdaten set last_update=13;")};
    default:
        return {};
    }
}

void exec(db::Connection& c, db::Transaction& t, const QString& sql) {
    db::Statement s(&c, &t);
    s.prepare(sql);
    s.execute();
}

void createFile(db::Connection& connection, const QString& path) {
    const QFileInfo info(path);
    if (info.exists()) throw db::Error(QStringLiteral("Die Datei \"%1\" existiert bereits.").arg(path));
    QDir().mkpath(info.absolutePath());
    connection.setDatabaseName(path);
    connection.create();
}

void buildBase(db::Connection& connection) {
    {
        db::Transaction t(&connection);
        t.setDefaultAction(db::Transaction::DefaultAction::Rollback);
        for (const char* ddl : kBaseTables) exec(connection, t, QString::fromUtf8(ddl));
        t.commit();
    }
    db::Transaction t(&connection);
    t.setDefaultAction(db::Transaction::DefaultAction::Rollback);
    db::Statement s(&connection, &t);
    s.prepare(QStringLiteral("insert into systemdaten (hundeschule, strasse, plz, ort) values (?, ?, ?, ?)"));
    s.setParam(0, QString::fromUtf8(baseSchoolName));
    s.setParam(1, QString::fromUtf8(baseSchoolStreet));
    s.setParam(2, QString::fromUtf8(baseSchoolPostcode));
    s.setParam(3, QString::fromUtf8(baseSchoolTown));
    s.execute();
    t.commit();
}

}  // namespace

void createBaseSchemaDatabase(const QString& path) { createDatabaseAtVersion(path, 0); }

void createDatabaseAtVersion(const QString& path, int version) {
    if (version < 0 || version > 13 || version == 8)
        throw std::invalid_argument("createDatabaseAtVersion: no such schema version");
    db::Connection connection;
    createFile(connection, path);
    buildBase(connection);
    for (int step = 1; step <= version; ++step) {
        for (const QString& sql : stepStatements(step)) {
            // DDL becomes visible to the next statement only once committed.
            connection.executeImmediate(sql);
        }
    }
    connection.close();
}
