// The database schema: a fresh database compared column by column with the
// documented tables, keys, initial rows and key indexes; the fixtures of
// older databases; the kynovia-admin tool.
#include <firebird/Interface.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>

#include "baseschema.h"
#include "data/schema.h"
#include "db/connection.h"
#include "db/error.h"
#include "db/statement.h"
#include "db/transaction.h"
#include "testenv.h"
#include "testregistry.h"

using namespace db;

namespace {

// Every table and column of the schema, in documented order. A table or
// column marked "+n" is added by upgrade step n; "-n" marks a column of the
// old tables that step n drops.
const char* const kSchema = R"(
KUNDEN
  KNDNR INTEGER NN
  AUFGENOMMEN_AM DATE
  NAME VARCHAR(30)
  VNAME VARCHAR(20)
  PLZ VARCHAR(10)
  ORT VARCHAR(50)
  STR VARCHAR(50)
  ANREDE VARCHAR(50)
  TEL VARCHAR(30)
  MOBIL VARCHAR(30)
  FAX VARCHAR(30)
  EMAIL VARCHAR(30)
  KOMMENTAR VARCHAR(500)
HUNDE
  HUNDNR INTEGER NN
  KNDNR INTEGER NN
  NAME VARCHAR(30)
  RASSE VARCHAR(30)
  GESCHLECHT VARCHAR(10)
  GEBURTSJAHR INTEGER
  GEBOREN_AM DATE +13
  IMPFUNG VARCHAR(1)
  IMPFUNG_TEXT VARCHAR(150)
  CHIPNR VARCHAR(50)
  HAFTPFLICHTNR VARCHAR(50)
  HERKUNFT VARCHAR(20)
  ZWINGERNAME VARCHAR(150)
  VORBESITZER VARCHAR(320)
  FUTTER VARCHAR(20)
  FUTTERMARKE VARCHAR(20)
  KASTRATION VARCHAR(20)
  KASTZEITPUNKT VARCHAR(10)
  ALLERGIEN VARCHAR(1)
  ALLERGIEN_TEXT VARCHAR(150)
  KRANKHEITEN VARCHAR(150)
  HAUT_FELL VARCHAR(150)
  TIERARZT VARCHAR(320)
  LETZTE_HUNDESCHULE VARCHAR(240)
  WELPENSCHULE VARCHAR(1)
  WELPENSCHULE_BEI VARCHAR(150)
  JUNGHUNDEKURS VARCHAR(1)
  JUNGHUNDEKURS_BEI VARCHAR(150)
  EINZELSTUNDEN VARCHAR(1)
  EINZELSTUNDEN_BEI VARCHAR(150)
  PRUEFUNG VARCHAR(100)
  PRUEFUNG_BEI VARCHAR(150)
  CLICKER VARCHAR(1)
  CLICKER_BEI VARCHAR(150)
  VEREIN VARCHAR(1)
  VEREIN_TEXT VARCHAR(320)
  VORHERIGE_HUNDESCHULE VARCHAR(320)
  VERHALTEN_LEINE_RUEDE VARCHAR(30)
  VERHALTEN_LEINE_HUENDIN VARCHAR(30)
  VERHALTEN_LEINE_MENSCH VARCHAR(30)
  VERHALTEN_LEINE_KIND VARCHAR(30)
  VERHALTEN_LEINE_KLEINTIER VARCHAR(30)
  LEINE_BESONDERHEITEN VARCHAR(500)
  VERHALTEN_FREILAUF_RUEDE VARCHAR(30)
  VERHALTEN_FREILAUF_HUENDIN VARCHAR(30)
  VERHALTEN_FREILAUF_MENSCH VARCHAR(30)
  VERHALTEN_FREILAUF_KIND VARCHAR(30)
  VERHALTEN_FREILAUF_KLEINTIER VARCHAR(30)
  FREILAUF_BESONDERHEITEN VARCHAR(500)
  VERHALTEN_HAUS_RUEDE VARCHAR(30)
  VERHALTEN_HAUS_HUENDIN VARCHAR(30)
  VERHALTEN_HAUS_MENSCH VARCHAR(30)
  VERHALTEN_HAUS_KINDE VARCHAR(30)
  VERHALTEN_HAUS_KLEINTIER VARCHAR(30)
  HAUS_BESONDERHEITEN VARCHAR(500)
  VERHALTEN_GARTEN_RUEDE VARCHAR(30)
  VERHALTEN_GARTEN_HUENDIN VARCHAR(30)
  VERHALTEN_GARTEN_MENSCH VARCHAR(30)
  VERHALTEN_GARTEN_KINDE VARCHAR(30)
  VERHALTEN_GARTEN_KLEINTIER VARCHAR(30)
  GARTEN_BESONDERHEITEN VARCHAR(500)
  JAGD_BEI_SICHT VARCHAR(1)
  JAGD_AUF_FAEHRTE VARCHAR(1)
  ABRUFBAR VARCHAR(1)
  JAGD_BESONDERHEITEN VARCHAR(500)
  ANSPRINGEN_BEKANNTE VARCHAR(1)
  ANSPRINGEN_FREMDE VARCHAR(1)
  ANSPRINGEN_BESONDERHEITEN VARCHAR(100)
  ANBELLEN_BEKANNTE VARCHAR(1)
  ANBELLEN_FREMDE VARCHAR(1)
  ANBELLEN_BESONDERHEITEN VARCHAR(100)
  VERHALTEN_IMHAUS VARCHAR(30)
  IMHAUS_BESONDERHEITEN VARCHAR(150)
  VERHALTEN_TIERARZT VARCHAR(30)
  AUTOFAHREN_GERNE VARCHAR(1)
  FUTTERAUFNAHME VARCHAR(30)
  FUTTERAUSDERHAND VARCHAR(30)
  FUTTERVERTEIDIGEN VARCHAR(1)
  KOMMENTAR VARCHAR(500)
  PROBLEME VARCHAR(500)
  THERAPIEVORSCHLAG VARCHAR(500)
  ANAMESE_AUFGENOMMEN_AM DATE
HUNDE_TAGEBUCH
  HUNDNR INTEGER
  DATUM DATE
  TERMINART VARCHAR(20)
  GEPLANT VARCHAR(200)
  DURCHGEFUEHRT VARCHAR(200)
  BEURTEILUNG VARCHAR(200)
  VORAUSPLANUNG VARCHAR(200)
TRAINER +1
  TRAINERNR INTEGER NN
  KURZZEICHEN VARCHAR(20)
  VNAME VARCHAR(20)
  NAME VARCHAR(30)
  STR VARCHAR(80)
  PLZ VARCHAR(10)
  ORT VARCHAR(80)
  ANREDE VARCHAR(10)
  TEL VARCHAR(30)
  MOBIL VARCHAR(30)
  FAX VARCHAR(30)
  EMAIL VARCHAR(30)
  KOMMENTAR VARCHAR(500)
KURSE
  KURSNR INTEGER NN
  KURSART VARCHAR(2)
  KURSNAME VARCHAR(30)
  BESCHREIBUNG VARCHAR(500)
  KURSLEITER INTEGER
  MAXTEILNEHMER INTEGER
  MINTEILNEHMER INTEGER -2
  ANZAHL_TEILNEHMER INTEGER +2
  GEBUEHR FLOAT +4
  STATUS CHAR(1) +12
KURSTERMINE +3
  KURSNR INTEGER NN
  DATUM DATE NN
  THEMA VARCHAR(80)
  UHRZEIT DATE +6
  ORT VARCHAR(200) +10
  KONTAKT VARCHAR(200) +10
TEILNEHMER
  ID INTEGER NN
  KURSNR INTEGER NN
  KNDNR INTEGER NN
  HUNDNR INTEGER NN
  BEZAHLT VARCHAR(1)
  KENNZEICHEN VARCHAR(10)
  KOMMENTAR VARCHAR(100)
VORLAGEN_KURSE +6
  VORLAGENNR INTEGER NN
  BEZEICHNUNG VARCHAR(80)
  RYTHMUS INTEGER +7
VORLAGEN_KURSTERMINE +6
  VORLAGENNR INTEGER NN
  TERMINNR INTEGER NN
  THEMA VARCHAR(80)
DOKUMENTE
  DOKNR INTEGER NN
  DOKUMENTNAME VARCHAR(50)
  DOKUMENTART VARCHAR(1)
  VERTEILUNGSART VARCHAR(10)
  PFAD VARCHAR(200)
  KURSNR INTEGER -11
KURS_DOKUMENTE +11
  KURSNR INTEGER NN
  DOKNR INTEGER NN
  VERTEILER VARCHAR(10)
VORLAGEN_DOKUMENTE +11
  VORLAGENNR INTEGER NN
  DOKNR INTEGER NN
  VERTEILER VARCHAR(10)
NOTIZBLOCK
  NOTIZ VARCHAR(500)
  DATUMZEIT DATE
SYSTEMDATEN
  HUNDESCHULE VARCHAR(50)
  STRASSE VARCHAR(50)
  PLZ VARCHAR(10)
  ORT VARCHAR(50)
  LAST_UPDATE INTEGER +4
  ERSTSTARTHILFE INTEGER +9
TP_TERMIN
  PERSONNR INTEGER NN
  VON DATE NN
  BIS DATE NN
  BESCHREIBUNG VARCHAR(255)
  ART INTEGER
  TERMINNR VARCHAR(30)
  ORT CHAR(30)
  MAHNZEIT_VOR_TERMIN DATE
  TAETIGKEIT CHAR(30)
  VORLAEUFIG VARCHAR(1)
RECHNUNGSDATEN +14
  KLEINUNTERNEHMER INTEGER
  UST_SATZ INTEGER
  STEUERNUMMER VARCHAR(30)
  UST_IDNR VARCHAR(20)
  BANK VARCHAR(50)
  IBAN VARCHAR(34)
  BIC VARCHAR(11)
  GLAEUBIGER_ID VARCHAR(35)
  NUMMERNMUSTER VARCHAR(40)
  ZAHLUNGSZIEL INTEGER
  TEXT_OBEN VARCHAR(1000)
  TEXT_UNTEN VARCHAR(1000)
  MAHNGEBUEHR NUMERIC(9,2)
RECHNUNGSZAEHLER +14
  JAHR INTEGER NN
  ZAEHLER INTEGER NN
RECHNUNGEN +14
  RENR INTEGER NN
  NUMMER VARCHAR(40)
  ART CHAR(1) NN
  STATUS CHAR(1) NN
  KNDNR INTEGER
  KURSNR INTEGER
  STORNO_VON INTEGER
  RECHNUNGSDATUM DATE
  FAELLIG_AM DATE
  LEISTUNG_VON DATE
  LEISTUNG_BIS DATE
  EMPFAENGER VARCHAR(400)
  ABSENDER VARCHAR(400)
  KLEINUNTERNEHMER INTEGER
  STEUERNUMMER VARCHAR(30)
  UST_IDNR VARCHAR(20)
  BANK VARCHAR(50)
  IBAN VARCHAR(34)
  BIC VARCHAR(11)
  TEXT_OBEN VARCHAR(1000)
  TEXT_UNTEN VARCHAR(1000)
  NETTO NUMERIC(9,2)
  UST NUMERIC(9,2)
  BRUTTO NUMERIC(9,2)
  ERSTELLT_AM DATE
RECHNUNGSPOSITIONEN +14
  RENR INTEGER NN
  POS INTEGER NN
  TEILNEHMER_ID INTEGER
  BEZEICHNUNG VARCHAR(200)
  MENGE NUMERIC(9,2)
  EINZELPREIS NUMERIC(9,2)
  UST_SATZ INTEGER
  NETTO NUMERIC(9,2)
  LEISTUNG_VON DATE
  LEISTUNG_BIS DATE
ZAHLUNGEN +14
  ZAHLNR INTEGER NN
  RENR INTEGER NN
  DATUM DATE
  BETRAG NUMERIC(9,2)
  ZAHLUNGSART VARCHAR(20)
MAHNUNGEN +14
  RENR INTEGER NN
  STUFE INTEGER NN
  DATUM DATE
  GEBUEHR NUMERIC(9,2)
  FAELLIG_AM DATE
TP_PERSON
  PERSONNR INTEGER
  NAME VARCHAR(50)
  FUNKTION VARCHAR(50)
)";

// Primary keys of the complete schema (tables without one are absent).
const QMap<QString, QString> kPrimaryKeys = {
    {"KUNDEN", "KNDNR"},
    {"HUNDE", "HUNDNR"},
    {"TRAINER", "TRAINERNR"},
    {"KURSE", "KURSNR"},
    {"KURSTERMINE", "KURSNR,DATUM"},
    {"TEILNEHMER", "ID"},
    {"VORLAGEN_KURSE", "VORLAGENNR"},
    {"VORLAGEN_KURSTERMINE", "VORLAGENNR,TERMINNR"},
    {"DOKUMENTE", "DOKNR"},
    {"KURS_DOKUMENTE", "KURSNR,DOKNR"},
    {"VORLAGEN_DOKUMENTE", "VORLAGENNR,DOKNR"},
    {"RECHNUNGSZAEHLER", "JAHR"},
    {"RECHNUNGEN", "RENR"},
    {"RECHNUNGSPOSITIONEN", "RENR,POS"},
    {"ZAHLUNGEN", "ZAHLNR"},
    {"MAHNUNGEN", "RENR,STUFE"},
};

// Descending indexes for MAX + 1 numbering: table -> columns.
const QStringList kDescending = {
    "DOKUMENTE(DOKNR)",
    "HUNDE(HUNDNR)",
    "KUNDEN(KNDNR)",
    "KURSE(KURSNR)",
    "TEILNEHMER(ID)",
    "TRAINER(TRAINERNR)",
    "VORLAGEN_KURSE(VORLAGENNR)",
    "VORLAGEN_KURSTERMINE(VORLAGENNR,TERMINNR)",
};

struct Column {
    QString name;
    QString type;  // as declared: INTEGER, DATE, FLOAT, VARCHAR(n), CHAR(n)
    bool notNull = false;
    int added = 0;    // upgrade step that adds it (0: in the old tables)
    int dropped = 0;  // upgrade step that drops it (0: never)
    int order = 0;
};

struct Table {
    QString name;
    int added = 0;
    QList<Column> columns;
};

QList<Table> documentedSchema() {
    QList<Table> tables;
    static const QRegularExpression stepRe(QStringLiteral("^([+-])(\\d+)$"));
    for (const QString& raw : QString::fromLatin1(kSchema).split(QLatin1Char('\n'))) {
        if (raw.trimmed().isEmpty()) continue;
        QStringList words = raw.trimmed().split(QLatin1Char(' '));
        int added = 0, dropped = 0;
        bool notNull = false;
        for (int i = words.size() - 1; i >= 1; --i) {
            auto m = stepRe.match(words[i]);
            if (m.hasMatch()) {
                (m.captured(1) == QLatin1String("+") ? added : dropped) = m.captured(2).toInt();
                words.removeAt(i);
            } else if (words[i] == QLatin1String("NN")) {
                notNull = true;
                words.removeAt(i);
            }
        }
        if (!raw.startsWith(QLatin1Char(' '))) {
            tables.append(Table{words[0], added, {}});
        } else {
            Column c;
            c.name = words[0];
            c.type = words[1];
            c.notNull = notNull;
            c.added = added;
            c.dropped = dropped;
            c.order = tables.last().columns.size();
            tables.last().columns.append(c);
        }
    }
    return tables;
}

QString describe(const Column& c) {
    return c.name + QLatin1Char(' ') + c.type + (c.notNull ? QStringLiteral(" NN") : QString());
}

// table -> its columns described, in their stored order.
//
// version 13 with fresh = true is a database made by the schema code; the
// others are databases brought to that version step by step: columns added
// later stand at the end, in the order of their steps. In those the planner
// person's number is the key that TP_TERMIN refers to.
QMap<QString, QStringList> expectedColumns(int version, bool fresh) {
    QMap<QString, QStringList> out;
    for (const Table& t : documentedSchema()) {
        if (t.added > version) continue;
        QList<Column> cols;
        for (const Column& c : t.columns) {
            if (c.added > version) continue;
            if (c.dropped != 0 && c.dropped <= version) continue;
            if (fresh && c.dropped != 0) continue;
            cols.append(c);
        }
        if (!fresh) {
            std::stable_sort(cols.begin(), cols.end(), [&](const Column& a, const Column& b) {
                return std::max(a.added, t.added) < std::max(b.added, t.added);
            });
        }
        QStringList described;
        for (Column c : cols) {
            if (!fresh && t.name == QLatin1String("TP_PERSON") && c.name == QLatin1String("PERSONNR"))
                c.notNull = true;
            described << describe(c);
        }
        out.insert(t.name, described);
    }
    return out;
}

QVariant scalar(Connection& c, const QString& sql) {
    Transaction t(&c);
    Statement s(&c, &t);
    QVariant v = s.scalar(sql);
    t.commit();
    return v;
}

QList<QVector<QVariant>> rows(Connection& c, const QString& sql) {
    Transaction t(&c);
    Statement s(&c, &t);
    s.prepare(sql);
    s.open();
    QList<QVector<QVariant>> out;
    while (s.fetch()) out.append(s.row());
    t.commit();
    return out;
}

void exec(Connection& c, const QString& sql) { c.executeImmediate(sql); }

QString typeText(int fieldType, int length, int scale = 0, int precision = 0) {
    if (scale < 0) return QStringLiteral("NUMERIC(%1,%2)").arg(precision).arg(-scale);
    switch (fieldType) {
    case 8: return QStringLiteral("INTEGER");
    case 10: return QStringLiteral("FLOAT");
    case 35: return QStringLiteral("DATE");  // dialect 1: date and time
    case 37: return QStringLiteral("VARCHAR(%1)").arg(length);
    case 14: return QStringLiteral("CHAR(%1)").arg(length);
    default: return QStringLiteral("TYPE%1(%2)").arg(fieldType).arg(length);
    }
}

// table -> its columns described as the system tables store them.
QMap<QString, QStringList> actualColumns(Connection& c) {
    QMap<QString, QStringList> out;
    const auto r = rows(c, QStringLiteral(
        "select trim(rf.rdb$relation_name), trim(rf.rdb$field_name), f.rdb$field_type, "
        "f.rdb$character_length, coalesce(rf.rdb$null_flag, f.rdb$null_flag, 0), f.rdb$field_scale, "
        "f.rdb$field_precision "
        "from rdb$relation_fields rf "
        "join rdb$relations r on r.rdb$relation_name = rf.rdb$relation_name "
        "join rdb$fields f on f.rdb$field_name = rf.rdb$field_source "
        "where coalesce(r.rdb$system_flag, 0) = 0 and r.rdb$view_blr is null "
        "order by rf.rdb$relation_name, rf.rdb$field_position"));
    for (const auto& row : r) {
        QString d = row[1].toString() + QLatin1Char(' ') +
                    typeText(row[2].toInt(), row[3].toInt(), row[5].toInt(), row[6].toInt());
        if (row[4].toInt() == 1) d += QStringLiteral(" NN");
        out[row[0].toString()].append(d);
    }
    return out;
}

QMap<QString, QString> primaryKeys(Connection& c) {
    QMap<QString, QString> out;
    const auto r = rows(c, QStringLiteral(
        "select trim(rc.rdb$relation_name), trim(sg.rdb$field_name) "
        "from rdb$relation_constraints rc "
        "join rdb$index_segments sg on sg.rdb$index_name = rc.rdb$index_name "
        "where rc.rdb$constraint_type = \"PRIMARY KEY\" "
        "order by rc.rdb$relation_name, sg.rdb$field_position"));
    for (const auto& row : r) {
        QString& k = out[row[0].toString()];
        if (!k.isEmpty()) k += QLatin1Char(',');
        k += row[1].toString();
    }
    return out;
}

// "HUNDE(KNDNR) -> KUNDEN(KNDNR) on delete RESTRICT"
QStringList foreignKeys(Connection& c) {
    QStringList out;
    const auto r = rows(c, QStringLiteral(
        "select trim(fk.rdb$relation_name), trim(fs.rdb$field_name), trim(pk.rdb$relation_name), "
        "trim(ps.rdb$field_name), trim(ref.rdb$delete_rule) "
        "from rdb$relation_constraints fk "
        "join rdb$ref_constraints ref on ref.rdb$constraint_name = fk.rdb$constraint_name "
        "join rdb$relation_constraints pk on pk.rdb$constraint_name = ref.rdb$const_name_uq "
        "join rdb$index_segments fs on fs.rdb$index_name = fk.rdb$index_name "
        "join rdb$index_segments ps on ps.rdb$index_name = pk.rdb$index_name "
        "and ps.rdb$field_position = fs.rdb$field_position "
        "where fk.rdb$constraint_type = \"FOREIGN KEY\" order by 1"));
    for (const auto& row : r)
        out << QStringLiteral("%1(%2) -> %3(%4) on delete %5")
                   .arg(row[0].toString(), row[1].toString(), row[2].toString(), row[3].toString(),
                        row[4].toString());
    return out;
}

// "TABLE(COL1,COL2)" of every descending index, sorted.
QStringList descendingIndexes(Connection& c) {
    QMap<QString, QString> byName;
    QMap<QString, QString> tableOf;
    const auto r = rows(c, QStringLiteral(
        "select trim(i.rdb$index_name), trim(i.rdb$relation_name), trim(sg.rdb$field_name) "
        "from rdb$indices i join rdb$index_segments sg on sg.rdb$index_name = i.rdb$index_name "
        "where i.rdb$index_type = 1 and coalesce(i.rdb$system_flag, 0) = 0 order by i.rdb$index_name, sg.rdb$field_position"));
    for (const auto& row : r) {
        QString& cols = byName[row[0].toString()];
        if (!cols.isEmpty()) cols += QLatin1Char(',');
        cols += row[2].toString();
        tableOf[row[0].toString()] = row[1].toString();
    }
    QStringList out;
    for (auto it = byName.begin(); it != byName.end(); ++it)
        out << tableOf[it.key()] + QLatin1Char('(') + it.value() + QLatin1Char(')');
    out.sort();
    return out;
}

// Name list of all indexes of user tables, sorted (to see that nothing is added).
QStringList allIndexNames(Connection& c) {
    QStringList out;
    for (const auto& row : rows(c, QStringLiteral("select trim(rdb$index_name) from rdb$indices "
                                                  "where coalesce(rdb$system_flag, 0) = 0")))
        out << row[0].toString();
    out.sort();
    return out;
}

// The optimizer's plan of a statement, e.g. "PLAN (KUNDEN ORDER KUNDEN_KNDNR_DESC)".
QString planOf(Connection& c, const QString& sql) {
    Firebird::IStatus* status = Connection::master()->getStatus();
    Firebird::CheckStatusWrapper st(status);
    Transaction t(&c);
    const QByteArray text = sql.toUtf8();
    Firebird::IStatement* stmt = c.attachment()->prepare(&st, t.handle(), 0, text.constData(), 1,
                                                         Firebird::IStatement::PREPARE_PREFETCH_LEGACY_PLAN);
    QString plan;
    if (!(st.getState() & Firebird::IStatus::STATE_ERRORS)) {
        const char* p = stmt->getPlan(&st, false);
        plan = QString::fromUtf8(p ? p : "").simplified();
        stmt->free(&st);
    } else {
        plan = QStringLiteral("ERROR");
    }
    status->dispose();
    t.rollback();
    return plan;
}

std::unique_ptr<Connection> open(const QString& path) {
    auto c = std::make_unique<Connection>();
    c->setDatabaseName(path);
    c->open();
    return c;
}

QString adminPath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../src/kynovia-admin");
}

struct AdminResult {
    int exitCode = -1;
    QString out, err;
};

AdminResult runAdmin(const QStringList& args, const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(adminPath(), args);
    AdminResult r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("no end");
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QByteArray fileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

}  // namespace

class SchemaTest : public QObject {
    Q_OBJECT
private slots:
    void completeSchemaHasEveryDocumentedColumn() {
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        const auto expected = expectedColumns(schema::currentVersion, true);
        const auto actual = actualColumns(*c);
        QCOMPARE(actual.keys(), expected.keys());
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            const QString table = it.key();
            QVERIFY2(actual.value(table) == it.value(),
                     qPrintable(table + ":\n  got      " + actual.value(table).join(", ")
                                + "\n  expected " + it.value().join(", ")));
        }
        QCOMPARE(actual.value("HUNDE").size(), 82);
        // Dialect 1, and every text column in the database's WIN1252.
        QCOMPARE(scalar(*c, "select mon$sql_dialect from mon$database").toInt(), 1);
        QCOMPARE(scalar(*c, "select trim(rdb$character_set_name) from rdb$database").toString(),
                 QString("WIN1252"));
        QCOMPARE(scalar(*c, "select count(*) from rdb$relation_fields rf "
                            "join rdb$relations r on r.rdb$relation_name = rf.rdb$relation_name "
                            "join rdb$fields f on f.rdb$field_name = rf.rdb$field_source "
                            "join rdb$character_sets cs on cs.rdb$character_set_id = f.rdb$character_set_id "
                            "where coalesce(r.rdb$system_flag, 0) = 0 and f.rdb$field_type in (14, 37) "
                            "and cs.rdb$character_set_name <> \"WIN1252\"")
                     .toInt(),
                 0);
        // "Ü" is one character: a one-character code column takes it.
        exec(*c, "insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (1, 1, 1, 1, \"Ü\")");
        QCOMPARE(scalar(*c, "select bezahlt from teilnehmer").toString(), QString("Ü"));
    }

    void keysAndForeignKeys() {
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        QCOMPARE(primaryKeys(*c), kPrimaryKeys);
        QCOMPARE(foreignKeys(*c), (QStringList{"HUNDE(KNDNR) -> KUNDEN(KNDNR) on delete RESTRICT",
                                               "TP_TERMIN(PERSONNR) -> TRAINER(TRAINERNR) on delete RESTRICT"}));

        // A customer who still has dogs cannot be deleted; without dogs he can.
        exec(*c, "insert into kunden (kndnr, name) values (1, \"Berger\")");
        exec(*c, "insert into kunden (kndnr, name) values (2, \"Adam\")");
        exec(*c, "insert into hunde (hundnr, kndnr, name) values (1, 1, \"Rex\")");
        QVERIFY_THROWS_EXCEPTION(db::Error, exec(*c, "delete from kunden where kndnr = 1"));
        QCOMPARE(scalar(*c, "select count(*) from hunde").toInt(), 1);
        exec(*c, "delete from kunden where kndnr = 2");
        // A dog needs an existing owner; a course date's key refuses a twin.
        QVERIFY_THROWS_EXCEPTION(db::Error, exec(*c, "insert into hunde (hundnr, kndnr) values (2, 99)"));
        exec(*c, "insert into kurstermine (kursnr, datum) values (-1, \"05.03.2024 10:00:00\")");
        QVERIFY_THROWS_EXCEPTION(db::Error,
                                 exec(*c, "insert into kurstermine (kursnr, datum) values (-1, \"05.03.2024 10:00:00\")"));
        exec(*c, "insert into kurstermine (kursnr, datum) values (-1, \"05.03.2024 11:00:00\")");
        // An appointment needs an existing trainer.
        QVERIFY_THROWS_EXCEPTION(db::Error, exec(*c, "insert into tp_termin (personnr, von, bis) "
                                                     "values (7, \"01.01.2024\", \"01.01.2024\")"));
        exec(*c, "insert into trainer (trainernr) values (7)");
        exec(*c, "insert into tp_termin (personnr, von, bis) values (7, \"01.01.2024\", \"01.01.2024\")");
    }

    void initialRows() {
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        auto sys = rows(*c, "select hundeschule, strasse, plz, ort, last_update, erststarthilfe from systemdaten");
        QCOMPARE(sys.size(), 1);
        for (int i = 0; i < 4; ++i) QVERIFY(sys[0][i].isNull());
        QCOMPARE(sys[0][4].toInt(), 14);
        QCOMPARE(sys[0][5].toInt(), 1);
        QCOMPARE(schema::currentVersion, 14);

        auto kurse = rows(*c, "select kursnr, kursart, kursname, beschreibung, kursleiter, maxteilnehmer, "
                              "anzahl_teilnehmer, gebuehr, status from kurse");
        QCOMPARE(kurse.size(), 1);
        QCOMPARE(kurse[0][0].toInt(), -1);
        QCOMPARE(kurse[0][1].toString(), QString("EB"));
        QVERIFY(kurse[0][2].isNull());
        QCOMPARE(kurse[0][3].toString(), QString("Einzelstunde/Beratung"));
        for (int i = 4; i < 9; ++i) QVERIFY2(kurse[0][i].isNull(), qPrintable(QString::number(i)));

        for (const QString& table : expectedColumns(schema::currentVersion, true).keys()) {
            if (table == "SYSTEMDATEN" || table == "KURSE" || table == "RECHNUNGSDATEN") continue;
            QCOMPARE(scalar(*c, "select count(*) from " + table).toInt(), 0);
        }
        // The billing data's one row with its defaults.
        auto billing = rows(*c, "select kleinunternehmer, ust_satz, nummernmuster, zahlungsziel, mahngebuehr "
                                "from rechnungsdaten");
        QCOMPARE(billing.size(), 1);
        QCOMPARE(billing[0][0].toInt(), 0);
        QCOMPARE(billing[0][1].toInt(), 19);
        QCOMPARE(billing[0][2].toString(), QString("RE-{JJJJ}-{NNNN}"));
        QCOMPARE(billing[0][3].toInt(), 14);
        QCOMPARE(billing[0][4].toDouble(), 0.0);
    }

    void descendingIndexesServeMax_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("plan");
        QTest::newRow("kunden") << "select max(kndnr) from kunden" << "PLAN (KUNDEN ORDER KUNDEN_KNDNR_DESC)";
        QTest::newRow("hunde") << "select max(hundnr) from hunde" << "PLAN (HUNDE ORDER HUNDE_HUNDNR_DESC)";
        QTest::newRow("trainer") << "select max(trainernr) from trainer"
                                 << "PLAN (TRAINER ORDER TRAINER_TRAINERNR_DESC)";
        QTest::newRow("kurse") << "select max(kursnr) from kurse where kursnr > 0"
                               << "PLAN (KURSE ORDER KURSE_KURSNR_DESC)";
        QTest::newRow("dokumente") << "select max(doknr) from dokumente"
                                   << "PLAN (DOKUMENTE ORDER DOKUMENTE_DOKNR_DESC)";
        QTest::newRow("vorlagen") << "select max(vorlagennr) from vorlagen_kurse"
                                  << "PLAN (VORLAGEN_KURSE ORDER VORLAGEN_KURSE_VORLAGENNR_DESC)";
        QTest::newRow("vorlagentermine") << "select max(terminnr) from vorlagen_kurstermine where vorlagennr=3"
                                         << "PLAN (VORLAGEN_KURSTERMINE ORDER VORLAGEN_KURSTERMINE_DESC)";
        QTest::newRow("teilnehmer") << "select max(id) from teilnehmer"
                                    << "PLAN (TEILNEHMER ORDER TEILNEHMER_ID_DESC)";
        // Detail links: the foreign key's index serves a customer's dogs.
        QTest::newRow("hunde eines kunden") << "select * from hunde where kndnr = 1"
                                            << "PLAN (HUNDE INDEX (FK_HUNDE_KUNDEN))";
        QTest::newRow("teilnehmer eines kurses") << "select * from teilnehmer where kursnr = 1"
                                                 << "PLAN (TEILNEHMER INDEX (TEILNEHMER_KURSNR))";
        QTest::newRow("kurse eines kunden") << "select * from teilnehmer where kndnr = 1"
                                            << "PLAN (TEILNEHMER INDEX (TEILNEHMER_KNDNR))";
        QTest::newRow("tagebuch") << "select * from hunde_tagebuch where hundnr = 1"
                                  << "PLAN (HUNDE_TAGEBUCH INDEX (HUNDE_TAGEBUCH_HUNDNR))";
    }
    void descendingIndexesServeMax() {
        QFETCH(QString, sql);
        QFETCH(QString, plan);
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        QCOMPARE(planOf(*c, sql), plan);
    }

    void indexSetOfFreshDatabase() {
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        QCOMPARE(descendingIndexes(*c), kDescending);
        // The foreign key's index already serves HUNDE.KNDNR: no second one.
        QCOMPARE(scalar(*c, "select count(*) from rdb$index_segments sg join rdb$indices i "
                            "on i.rdb$index_name = sg.rdb$index_name "
                            "where i.rdb$relation_name = \"HUNDE\" and sg.rdb$field_name = \"KNDNR\"")
                     .toInt(),
                 1);
        const QStringList before = allIndexNames(*c);
        schema::ensureDescendingIndexes(*c);
        schema::ensureLookupIndexes(*c);
        QCOMPARE(allIndexNames(*c), before);
    }

    void ensureIndexesOnOlderDatabases_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<QStringList>("expected");
        const QStringList base{"DOKUMENTE(DOKNR)", "HUNDE(HUNDNR)", "KUNDEN(KNDNR)", "KURSE(KURSNR)",
                               "TEILNEHMER(ID)"};
        QTest::newRow("base") << 0 << base;
        QTest::newRow("1") << 1 << (QStringList(base) << "TRAINER(TRAINERNR)");
        QTest::newRow("10") << 10 << kDescending;
        QTest::newRow("12") << 12 << kDescending;
    }
    void ensureIndexesOnOlderDatabases() {
        QFETCH(int, version);
        QFETCH(QStringList, expected);
        TestEnv env;
        createDatabaseAtVersion(env.databasePath(), version);
        auto c = env.connect();
        QCOMPARE(descendingIndexes(*c), QStringList());
        schema::ensureDescendingIndexes(*c);
        QStringList want = expected;
        want.sort();
        QCOMPARE(descendingIndexes(*c), want);
        schema::ensureLookupIndexes(*c);
        const QStringList names = allIndexNames(*c);
        schema::ensureDescendingIndexes(*c);
        schema::ensureLookupIndexes(*c);
        QCOMPARE(allIndexNames(*c), names);
        QCOMPARE(planOf(*c, "select max(kndnr) from kunden"), QString("PLAN (KUNDEN ORDER KUNDEN_KNDNR_DESC)"));
    }

    void ensureIndexesRespectsExistingOnes() {
        TestEnv env;
        createBaseSchemaDatabase(env.databasePath());
        auto c = env.connect();
        // A descending index under another name is used as it is; an
        // unrelated index holding the wanted name makes the new one take a
        // numbered name.
        exec(*c, "create descending index alt_hunde on hunde (hundnr)");
        exec(*c, "create index kunden_kndnr_desc on kunden (name)");
        exec(*c, "create index teilnehmer_kurs_kunde on teilnehmer (kursnr, kndnr)");
        schema::ensureDescendingIndexes(*c);
        schema::ensureLookupIndexes(*c);
        QCOMPARE(scalar(*c, "select count(*) from rdb$indices where rdb$relation_name = \"HUNDE\" "
                            "and rdb$index_type = 1")
                     .toInt(),
                 1);
        QCOMPARE(planOf(*c, "select max(kndnr) from kunden"), QString("PLAN (KUNDEN ORDER KUNDEN_KNDNR_DESC_2)"));
        QCOMPARE(planOf(*c, "select max(hundnr) from hunde"), QString("PLAN (HUNDE ORDER ALT_HUNDE)"));
        // The course's participants are served by the two-column index;
        // the customer's courses get their own.
        const QStringList names = allIndexNames(*c);
        QVERIFY(!names.contains("TEILNEHMER_KURSNR"));
        QVERIFY(names.contains("TEILNEHMER_KNDNR"));
        QVERIFY(names.contains("HUNDE_TAGEBUCH_HUNDNR"));
    }

    void ensureIndexesWhileTheProgramReads() {
        // After the upgrade the program's own transaction may still hold a
        // read of the tables; the indexes are created beside it.
        TestEnv env;
        createDatabaseAtVersion(env.databasePath(), 12);
        auto c = env.connect();
        exec(*c, "insert into kunden (kndnr) values (1)");
        Statement read(c.get(), c->defaultTransaction());
        read.prepare("select kndnr from kunden");
        read.open();
        QVERIFY(read.fetch());
        schema::ensureDescendingIndexes(*c);
        schema::ensureLookupIndexes(*c);
        QCOMPARE(descendingIndexes(*c), kDescending);
        read.close();
        c->defaultTransaction()->commit();
    }

    void fixturesAtEveryVersion_data() {
        QTest::addColumn<int>("version");
        for (int v = 0; v <= 13; ++v)
            if (v != 8) QTest::newRow(qPrintable(QString::number(v))) << v;
    }
    void fixturesAtEveryVersion() {
        QFETCH(int, version);
        TestEnv env;
        const QString path = env.home() + "/alt/db/kynoviadb";  // folders are made
        createDatabaseAtVersion(path, version);
        auto c = open(path);
        const auto expected = expectedColumns(version, false);
        const auto actual = actualColumns(*c);
        QCOMPARE(actual.keys(), expected.keys());
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QVERIFY2(actual.value(it.key()) == it.value(),
                     qPrintable(it.key() + ":\n  got      " + actual.value(it.key()).join(", ")
                                + "\n  expected " + it.value().join(", ")));

        // The school's row of the old database is kept through the steps.
        auto sys = rows(*c, "select hundeschule, strasse, plz, ort from systemdaten");
        QCOMPARE(sys.size(), 1);
        QCOMPARE(sys[0][0].toString(), QString::fromUtf8(baseSchoolName));
        QCOMPARE(sys[0][1].toString(), QString::fromUtf8(baseSchoolStreet));
        QCOMPARE(sys[0][2].toString(), QString::fromUtf8(baseSchoolPostcode));
        QCOMPARE(sys[0][3].toString(), QString::fromUtf8(baseSchoolTown));
        if (version >= 4) {
            QVariant last = scalar(*c, "select last_update from systemdaten");
            if (version == 4) QVERIFY(last.isNull());
            else QCOMPARE(last.toInt(), version);
        }
        if (version >= 9) QCOMPARE(scalar(*c, "select erststarthilfe from systemdaten").toInt(), 1);
        QCOMPARE(scalar(*c, "select count(*) from kurse where kursnr = -1 and kursart = \"EB\" "
                            "and beschreibung = \"Einzelstunde/Beratung\"")
                     .toInt(),
                 version >= 10 ? 1 : 0);
        QCOMPARE(descendingIndexes(*c), QStringList());
        QStringList fks = foreignKeys(*c);
        QCOMPARE(fks, (QStringList{"HUNDE(KNDNR) -> KUNDEN(KNDNR) on delete RESTRICT",
                                   "TP_TERMIN(PERSONNR) -> TP_PERSON(PERSONNR) on delete RESTRICT"}));
        auto pks = primaryKeys(*c);
        QCOMPARE(pks.value("TP_PERSON"), QString("PERSONNR"));
        pks.remove("TP_PERSON");
        for (auto it = pks.begin(); it != pks.end(); ++it) QCOMPARE(it.value(), kPrimaryKeys.value(it.key()));
        QVERIFY_THROWS_EXCEPTION(db::Error, createDatabaseAtVersion(path, version));
    }

    void createDatabaseMakesFoldersAndRefusesExistingFile() {
        TestEnv env;
        const QString path = env.home() + "/neu/tief/kynoviadb";
        schema::createDatabase(path);
        QVERIFY(QFileInfo::exists(path));
        const QByteArray hash = fileHash(path);
        QVERIFY_THROWS_EXCEPTION(db::Error, schema::createDatabase(path));
        QCOMPARE(fileHash(path), hash);
        auto c = open(path);
        QCOMPARE(scalar(*c, "select last_update from systemdaten").toInt(), 14);
    }

    void adminTool_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("prepare");  // "", "exists", "base", "v12"
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("stdoutHas");
        QTest::addColumn<QString>("stderrHas");
        QTest::addColumn<QString>("versionAfter");  // version of @db afterwards, "" = no file
        QTest::newRow("create") << QStringList{"create", "@db"} << "" << 0 << "wurde angelegt" << "" << "14";
        QTest::newRow("create existing") << QStringList{"create", "@db"} << "exists" << 1 << ""
                                         << "existiert bereits" << "0";
        QTest::newRow("create from KYNOVIA_HOME") << QStringList{"create"} << "" << 0 << "wurde angelegt" << ""
                                                  << "14";
        QTest::newRow("version 14") << QStringList{"version", "@db"} << "v14" << 0 << "14\n" << "" << "14";
        QTest::newRow("version 12") << QStringList{"version", "@db"} << "v12" << 0 << "12\n" << "" << "12";
        QTest::newRow("version base") << QStringList{"version", "@db"} << "base" << 0 << "0\n" << "" << "0";
        QTest::newRow("version missing") << QStringList{"version", "@db"} << "" << 1 << "" << "gibt es nicht"
                                         << "";
        QTest::newRow("no command") << QStringList{} << "" << 1 << "" << "Aufruf: kynovia-admin" << "";
        QTest::newRow("unknown command") << QStringList{"kaputt", "@db"} << "" << 1 << ""
                                         << "Unbekannter Befehl \"kaputt\"" << "";
    }
    void adminTool() {
        QFETCH(QStringList, args);
        QFETCH(QString, prepare);
        QFETCH(int, exitCode);
        QFETCH(QString, stdoutHas);
        QFETCH(QString, stderrHas);
        QFETCH(QString, versionAfter);
        if (!QFileInfo::exists(adminPath())) QSKIP("kynovia-admin is not built");
        TestEnv env;
        // Without a path the tool takes $KYNOVIA_HOME/db/kynoviadb; its
        // folders do not exist yet.
        const QString home = env.home() + "/home";
        const QString dbPath = home + "/db/kynoviadb";
        QByteArray hash;
        if (prepare == "exists") {
            QDir().mkpath(home + "/db");
            QFile f(dbPath);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("keine Datenbank");
            f.close();
            hash = fileHash(dbPath);
        } else if (prepare == "base") {
            createBaseSchemaDatabase(dbPath);
        } else if (prepare == "v12") {
            createDatabaseAtVersion(dbPath, 12);
        } else if (prepare == "v14") {
            schema::createDatabase(dbPath);
        }
        for (QString& a : args) a.replace("@db", dbPath);
        QProcessEnvironment pe = QProcessEnvironment::systemEnvironment();
        pe.insert("KYNOVIA_HOME", home);
        pe.remove("KYNOVIA_DATABASE");
        const AdminResult r = runAdmin(args, pe);
        QVERIFY2(r.exitCode == exitCode, qPrintable(QString("exit %1\n%2%3").arg(r.exitCode).arg(r.out, r.err)));
        if (!stdoutHas.isEmpty()) QVERIFY2(r.out.contains(stdoutHas), qPrintable(r.out));
        if (!stderrHas.isEmpty()) QVERIFY2(r.err.contains(stderrHas), qPrintable(r.err));
        if (exitCode != 0) QVERIFY(r.out.isEmpty());
        if (prepare == "exists") {
            QCOMPARE(fileHash(dbPath), hash);
        } else if (versionAfter.isEmpty()) {
            QVERIFY(!QFileInfo::exists(dbPath));
        } else {
            auto c = open(dbPath);
            QVariant v;
            if (versionAfter != "0") v = scalar(*c, "select last_update from systemdaten");
            QCOMPARE(v.toInt(), versionAfter.toInt());
        }
    }

    void adminToolPrefersKynoviaDatabase() {
        if (!QFileInfo::exists(adminPath())) QSKIP("kynovia-admin is not built");
        TestEnv env;
        const QString other = env.home() + "/anders/schule.fdb";
        QProcessEnvironment pe = QProcessEnvironment::systemEnvironment();
        pe.insert("KYNOVIA_HOME", env.home() + "/home");
        pe.insert("KYNOVIA_DATABASE", other);
        AdminResult r = runAdmin({"create"}, pe);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY(QFileInfo::exists(other));
        QVERIFY(!QFileInfo::exists(env.home() + "/home/db/kynoviadb"));
        r = runAdmin({"version"}, pe);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QString("14\n"));
    }
};

KYN_TEST(SchemaTest)

#include "schema_test.moc"
