// Faults around the whole program: a process killed in the middle of its
// work, a database held by another running instance, a database file that
// cannot be used, help pages and the breed list missing.
//
// Second processes are this test executable started again with
// KYN_CHILD=<name> (testregistry.h): the child runs the whole program
// (Programm) on the test's KYNOVIA_HOME and reports on its standard output,
// one line each: "BOX\t<kind>\t<icon>\t<text>" per box it showed,
// "START 1"/"START 0" for the result of the start, and markers
// ("UEBERNOMMEN", "BEREIT", ...) where the parent waits for it.
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <csignal>
#include <cstdio>
#include <grp.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "courses/dlg_teilnehmer_add.h"
#include "courses/keyedit.h"
#include "courses/kursetestutil.h"
#include "customers/hunde.h"
#include "customers/kundenstamm.h"
#include "data/datenmodul.h"
#include "data/startuptestutil.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/field.h"
#include "import/datenimport.h"
#include "platform/application.h"
#include "platform/scripteddialogs.h"
#include "shell/Main.h"
#include "shell/htmlbrowser.h"
#include "shell/programm.h"
#include "shell/shelltestutil.h"
#include "testenv.h"
#include "testregistry.h"
#include "widgets/captionpanel.h"
#include "widgets/dbcombobox.h"
#include "widgets/dbedit.h"
#include "widgets/dbnavigator.h"

using platform::Answer;
using widgets::DbNavigator;

namespace {

// ---------------------------------------------------------------------------
// Shared by parent and children

// The import files: a small one that is taken over, and a large one during
// whose import the program is killed.
const int kleineZeilen = 3;
const int grosseZeilen = 3000;
const int importAbbruchNach = 1500;  // customers posted when the kill comes
// The course template: as many dates, killed after this many.
const int vorlagenAnzahl = 400;
const int termineAbbruchNach = 150;

QString home() { return qEnvironmentVariable("KYNOVIA_HOME"); }

// One line on standard output, at once (the parent reads while the child runs).
void melde(const QByteArray& zeile) {
    std::fwrite(zeile.constData(), 1, size_t(zeile.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QByteArray einzeilig(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    t.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    t.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    t.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    return t.toUtf8();
}

QString mehrzeilig(const QByteArray& zeile) {
    const QString t = QString::fromUtf8(zeile);
    QString out;
    for (int i = 0; i < t.size(); ++i) {
        if (t.at(i) != QLatin1Char('\\') || i + 1 == t.size()) {
            out += t.at(i);
            continue;
        }
        const QChar c = t.at(++i);
        out += c == QLatin1Char('r') ? QChar('\r') : c == QLatin1Char('n') ? QChar('\n')
             : c == QLatin1Char('t') ? QChar('\t') : c;
    }
    return out;
}

int iconNummer(platform::Icon i) { return int(i); }

// Every box the child's dialogs showed, and what went wrong with the script.
void meldeBoxen(const platform::ScriptedDialogs& d) {
    for (const platform::ShownBox& b : d.shown())
        melde("BOX\t" + platform::boxKindName(b.kind).toUtf8() + "\t" + QByteArray::number(iconNummer(b.icon)) +
              "\t" + einzeilig(b.text));
    if (!d.ok()) melde("DIALOGE\t" + einzeilig(d.report()));
}

// The main window shown as the program shows it when its event loop starts.
Tfrm_main* zeigeHauptfenster(Programm& p) {
    Tfrm_main* w = p.hauptfenster();
    w->showMaximized();
    QApplication::setActiveWindow(w);
    if (!QTest::qWaitForWindowExposed(w)) qWarning("main window not exposed");
    return w;
}

// --- the import window, driven as the user drives it ---

Tfrm_datenimport* importfenster(Tfrm_main* w) {
    w->Dateiimportieren1->trigger();
    return frm_datenimport.data();
}

void dateiWaehlen(Tfrm_datenimport* f, platform::ScriptedDialogs& d, const QString& pfad) {
    d.expectOpenFile(pfad);
    QTest::mouseClick(f->JvBitBtn1, Qt::LeftButton);
}

// Click the mapping cell of each file column, pick the target from the
// popup menu.
bool zuordnen(Tfrm_datenimport* f, const QStringList& ziele) {
    for (int c = 0; c < ziele.size(); ++c) {
        f->jvsg2->setCurrentCell(0, c);
        QMenu* sub = ziele[c].startsWith(QLatin1String("kunde.")) ? f->Kunde1 : f->Hund1;
        bool gefunden = false;
        for (QAction* a : sub->actions())
            if (a->text() == ziele[c]) {
                a->trigger();
                gefunden = true;
                break;
            }
        if (!gefunden) return false;
    }
    return true;
}

const QStringList importZiele{QStringLiteral("kunde.NAME"), QStringLiteral("kunde.VNAME"), QStringLiteral("kunde.ORT"),
                              QStringLiteral("hund.NAME")};

// A small file and a committed import of it; false when something did not
// go as a user expects.
bool kleinenImportUebernehmen(Tfrm_main* w, platform::ScriptedDialogs& d) {
    Tfrm_datenimport* f = importfenster(w);
    if (!f) return false;
    dateiWaehlen(f, d, home() + QStringLiteral("/klein.csv"));
    if (!zuordnen(f, importZiele)) return false;
    QTest::mouseClick(f->b_import, Qt::LeftButton);
    if (f->importierteZeilen() != kleineZeilen || !f->b_commit->isEnabled()) return false;
    QTest::mouseClick(f->b_commit, Qt::LeftButton);
    return f->b_import->isEnabled() && d.ok();
}

// Wraps a dataset's after-post handler (the program's own stays in place):
// after `n` posts the process is killed as hard as it can be.
void killNachPosts(db::Dataset* ds, int n, const QByteArray& marke) {
    auto vorher = ds->afterPost;
    auto zaehler = std::make_shared<int>(0);
    ds->afterPost = [vorher, zaehler, n, marke](db::Dataset* d) {
        if (vorher) vorher(d);
        if (++*zaehler == n) {
            melde(marke);
            std::raise(SIGKILL);
        }
    };
}

// --- the course window ---

// Types a text into a bound edit as the user does.
void tippe(widgets::DbEdit* e, const QString& text) {
    e->setFocus();
    QTest::keyClicks(e, text);
}

void terminVorgaben(Tfrm_kurse* k) {
    k->e_erster_termin_am->setText(QStringLiteral("04.03.2024"));
    k->e_uhrzeit->setText(QStringLiteral("18:30"));
    k->e_alle_x_tage->setText(QString());
}

// ---------------------------------------------------------------------------
// Children

// The program is killed during a large import, after a small import has
// been taken over.
int kindImportAbbruch() {
    platform::ScopedScriptedDialogs d;
    Programm p;
    if (!p.starten()) {
        meldeBoxen(d);
        return 2;
    }
    Tfrm_main* w = zeigeHauptfenster(p);
    if (!kleinenImportUebernehmen(w, d)) {
        meldeBoxen(d);
        return 3;
    }
    melde("UEBERNOMMEN");

    Tfrm_datenimport* f = frm_datenimport.data();
    dateiWaehlen(f, d, home() + QStringLiteral("/gross.csv"));
    killNachPosts(dm->ibt_kunde, importAbbruchNach, "ABBRUCH");
    QTest::mouseClick(f->b_import, Qt::LeftButton);
    meldeBoxen(d);
    melde("NICHT ABGEBROCHEN");
    return 4;
}

// The program is killed while the course window writes the dates of a
// template, after a customer, a course with that customer as participant
// and the template have been committed with the participant.
int kindTermineAbbruch() {
    platform::ScopedScriptedDialogs d;
    Programm p;
    if (!p.starten()) {
        meldeBoxen(d);
        return 2;
    }
    Tfrm_main* w = zeigeHauptfenster(p);

    // A customer with a dog, typed into the customer window.
    w->kundenanzeigen(Fenstermodus::Neu);
    Tfrm_kunden* k = frm_kunden.data();
    if (!k) return 3;
    tippe(k->DBEdit3, QStringLiteral("Meier"));
    tippe(k->DBEdit2, QStringLiteral("Hans"));
    k->DBNavigator3->btnClick(DbNavigator::Insert);
    tippe(k->DBEdit14, QStringLiteral("Rex"));
    k->DBNavigator3->btnClick(DbNavigator::Post);
    if (!k->check_sichern()) return 3;

    // A course template with many dates (the template window's datasets).
    db::Table* vorlage = dm->ibt_vorlagen_kurse;
    db::Table* vorlagenTermine = dm->ibt_vorlagen_kurstermine;
    if (!vorlage->isActive()) vorlage->open();
    if (!vorlagenTermine->isActive()) vorlagenTermine->open();
    d.expectConfirm(Answer::Ja, QStringLiteral("Neue Vorlage einfügen ?"));
    vorlage->append();
    vorlage->fieldByName(QStringLiteral("BEZEICHNUNG"))->setAsString(QStringLiteral("Junghundekurs"));
    vorlage->fieldByName(QStringLiteral("RYTHMUS"))->setAsInteger(7);
    vorlage->post();
    for (int i = 1; i <= vorlagenAnzahl; ++i) {
        vorlagenTermine->append();
        vorlagenTermine->fieldByName(QStringLiteral("THEMA"))->setAsString(QStringLiteral("Stunde %1").arg(i));
        vorlagenTermine->post();
    }
    const int vorlagennr = vorlage->fieldByName(QStringLiteral("VORLAGENNR"))->asInteger();

    // A new course in the course window.
    w->kurseanzeigen(Fenstermodus::Uebersicht);
    d.expectConfirm(Answer::Ja, QStringLiteral("Neuen Kurs einfügen ?"));
    w->kurseanzeigen(Fenstermodus::Neu);
    Tfrm_kurse* kurse = frm_kurse.data();
    if (!kurse) return 3;
    dm->ibt_kurse->fieldByName(QStringLiteral("KURSNAME"))->setAsString(QStringLiteral("Junghunde Frühjahr"));
    if (!kurse->check_sichern()) return 3;

    // The customer with the dog as participant: the enrolment commits
    // (retaining) everything posted so far.
    kurstest::wennSichtbar([] { return static_cast<QDialog*>(frm_teilnehmer_add.data()); },
                           [](QDialog*) {
                               frm_teilnehmer_add->b_hinzufuegenClick();
                               frm_teilnehmer_add->b_closeClick();
                           });
    QTest::mouseClick(kurse->b_add_teilnehmer, Qt::LeftButton);
    if (!d.ok() || dm->ibq_teilnehmer->recordCount() != 1) {
        meldeBoxen(d);
        return 3;
    }
    melde("UEBERNOMMEN");

    // The dates from the template; killed in the middle.
    terminVorgaben(kurse);
    kurstest::waehleNaechste(vorlagennr);
    killNachPosts(dm->ibt_kurstermine, termineAbbruchNach, "ABBRUCH");
    kurse->erminlisteausVorlagenholen1->trigger();
    meldeBoxen(d);
    melde("NICHT ABGEBROCHEN");
    return 4;
}

// A whole program start; the start's boxes are acknowledged (a
// confirmation gets the answer in KYN_ANTWORT, "Ja" or "Nein"). A program
// that started shows its main window and ends again.
int kindProgrammstart() {
    platform::ScopedScriptedDialogs d;
    d.setAcknowledgeMessages(true);
    const QString antwort = qEnvironmentVariable("KYN_ANTWORT");
    if (antwort == QLatin1String("Ja")) d.expectConfirm(Answer::Ja);
    if (antwort == QLatin1String("Nein")) d.expectConfirm(Answer::Nein);
    bool gestartet = false;
    try {
        Programm p;
        gestartet = p.starten();
        if (gestartet) {
            zeigeHauptfenster(p);
            QCoreApplication::processEvents();
        }
    } catch (...) {
        platform::handleCurrentException();
    }
    meldeBoxen(d);
    melde(gestartet ? "START 1" : "START 0");
    return 0;
}

// A new customer typed into the customer window and saved with the
// navigator: posted, not committed.
bool neuerKunde(Tfrm_main* w, const QString& name) {
    w->kundenanzeigen(Fenstermodus::Neu);
    Tfrm_kunden* k = frm_kunden.data();
    if (!k) return false;
    tippe(k->DBEdit3, name);
    k->DBNavigator2->btnClick(DbNavigator::Post);
    return dm->ibt_kunde->state() == db::DatasetState::Browse;
}

// The first instance: the program runs its event loop with a posted but
// uncommitted customer. Commands on standard input: "NEU <name>" saves one
// more customer, "ENDE" closes the main window as the user does.
int kindErsteInstanz() {
    platform::ScopedScriptedDialogs d;
    int rc = 0;
    {
        Programm p;
        if (!p.starten()) {
            meldeBoxen(d);
            return 2;
        }
        Tfrm_main* w = zeigeHauptfenster(p);
        if (!neuerKunde(w, QStringLiteral("Erstinstanz"))) {
            meldeBoxen(d);
            return 3;
        }
        QByteArray eingabe;
        QSocketNotifier leser(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(&leser, &QSocketNotifier::activated, [&] {
            char puffer[256];
            const ssize_t n = ::read(STDIN_FILENO, puffer, sizeof puffer);
            if (n <= 0) {
                leser.setEnabled(false);
                return;
            }
            eingabe.append(puffer, n);
            int nl;
            while ((nl = eingabe.indexOf('\n')) >= 0) {
                const QByteArray befehl = eingabe.left(nl).trimmed();
                eingabe.remove(0, nl + 1);
                if (befehl.startsWith("NEU "))
                    melde(neuerKunde(w, QString::fromUtf8(befehl.mid(4))) ? "NEU OK" : "NEU FEHLER");
                else if (befehl == "ENDE")
                    w->close();
            }
        });
        QTimer::singleShot(0, [] { melde("BEREIT"); });
        rc = QApplication::exec();
    }
    meldeBoxen(d);
    melde("BEENDET");
    return d.ok() ? rc : 5;
}

// Saves as the user does, then waits in the event loop until the parent
// kills it: a new customer with the customer navigator's check mark, a dog
// and a diary row for it, and a payment in the course window (course 1 with
// one participant is in the database). "GESPEICHERT" comes once the program
// waits for the user again.
int kindSpeichernUndWarten() {
    platform::ScopedScriptedDialogs d;
    Programm p;
    if (!p.starten()) {
        meldeBoxen(d);
        return 2;
    }
    Tfrm_main* w = zeigeHauptfenster(p);
    bool ok = true;
    QTimer::singleShot(0, [&] {
        ok = neuerKunde(w, QStringLiteral("Gesichert"));
        Tfrm_kunden* k = frm_kunden.data();
        if (ok && k) {
            k->DBNavigator3->btnClick(DbNavigator::Insert);
            tippe(k->DBEdit14, QStringLiteral("Rex"));
            k->DBNavigator3->btnClick(DbNavigator::Post);
            db::Table* tagebuch = dm->ibt_hundetagebuch;
            if (!tagebuch->isActive()) tagebuch->open();
            tagebuch->append();
            tagebuch->fieldByName(QStringLiteral("GEPLANT"))->setAsString(QStringLiteral("Leinenführigkeit"));
            tagebuch->post();
        }
        w->kurseanzeigen(Fenstermodus::Uebersicht);
        Tfrm_kurse* kurse = frm_kurse.data();
        ok = ok && kurse && dm->ibq_teilnehmer->recordCount() == 1;
        if (ok) QTest::mouseClick(kurse->BitBtn4, Qt::LeftButton);
        ok = ok && d.ok();
        // After what the saves queued: the program waits for the user now.
        QTimer::singleShot(0, [&] {
            meldeBoxen(d);
            melde(ok ? "GESPEICHERT" : "FEHLER");
        });
    });
    return QApplication::exec();
}

// An exception that leaves a child is reported, not a crash.
int geschuetzt(int (*kind)()) {
    try {
        return kind();
    } catch (...) {
        melde("AUSNAHME\t" + einzeilig(platform::exceptionText(std::current_exception())));
        return 6;
    }
}

KYN_CHILD(import_abbruch, [] { return geschuetzt(kindImportAbbruch); })
KYN_CHILD(termine_abbruch, [] { return geschuetzt(kindTermineAbbruch); })
KYN_CHILD(programmstart, [] { return geschuetzt(kindProgrammstart); })
KYN_CHILD(erste_instanz, [] { return geschuetzt(kindErsteInstanz); })
KYN_CHILD(speichern_warten, [] { return geschuetzt(kindSpeichernUndWarten); })

// ---------------------------------------------------------------------------
// Parent side

// Waits generously: these bounds only keep a hanging child from hanging the
// test; they measure nothing.
const int langeWarten = 300000;

struct Box {
    QString kind;
    int icon = -1;
    QString text;
};

// A child process of this executable.
class Kind {
public:
    Kind(const char* name, const QString& home) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KYN_CHILD"), QString::fromLatin1(name));
        env.insert(QStringLiteral("KYNOVIA_HOME"), home);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.remove(QStringLiteral("KYNOVIA_DATABASE"));
        m_p.setProcessEnvironment(env);
        // The breed list is read from the current directory.
        m_p.setWorkingDirectory(home);
    }
    ~Kind() {
        if (m_p.state() != QProcess::NotRunning) {
            m_p.kill();
            m_p.waitForFinished(30000);
        }
    }
    QProcess& prozess() { return m_p; }
    void setze(const QString& name, const QString& wert) {
        QProcessEnvironment env = m_p.processEnvironment();
        env.insert(name, wert);
        m_p.setProcessEnvironment(env);
    }
    void entferne(const QString& name) {
        QProcessEnvironment env = m_p.processEnvironment();
        env.remove(name);
        m_p.setProcessEnvironment(env);
    }
    bool starte() {
        m_p.start(QCoreApplication::applicationFilePath(), {});
        return m_p.waitForStarted(60000);
    }
    // Reads the output until `marke` is a whole line of it; false when the
    // child ended (or stayed silent too long) before.
    bool warteAuf(const QByteArray& marke) {
        while (!hatZeile(marke)) {
            if (!m_p.waitForReadyRead(langeWarten)) {
                lies();
                return hatZeile(marke);
            }
            lies();
        }
        return true;
    }
    bool warteEnde() {
        const bool ok = m_p.waitForFinished(langeWarten);
        lies();
        return ok;
    }
    void schreibe(const QByteArray& zeile) {
        m_p.write(zeile + '\n');
        m_p.waitForBytesWritten(30000);
    }
    bool hatZeile(const QByteArray& zeile) const { return m_out.split('\n').contains(zeile); }
    QList<Box> boxen() const {
        QList<Box> out;
        for (const QByteArray& z : m_out.split('\n')) {
            if (!z.startsWith("BOX\t")) continue;
            const QList<QByteArray> teile = z.split('\t');
            if (teile.size() < 4) continue;
            out << Box{QString::fromUtf8(teile[1]), teile[2].toInt(), mehrzeilig(teile.mid(3).join('\t'))};
        }
        return out;
    }
    // For failure messages: what the child wrote.
    QByteArray bericht() const { return "stdout:\n" + m_out + "\nstderr:\n" + m_err.right(4000); }

private:
    void lies() {
        m_out += m_p.readAllStandardOutput();
        m_err += m_p.readAllStandardError();
    }
    QProcess m_p;
    QByteArray m_out, m_err;
};

QString sourceDir() { return shelltest::sourceDir(); }

void schreibeDatei(const QString& pfad, const QByteArray& inhalt) {
    QFile f(pfad);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(pfad));
    f.write(inhalt);
}

// A fresh database whose first-start assistant is switched off (the
// working windows are then visible), the breed list in the data directory
// (the children's current directory) and the two import files.
void vorbereiten(TestEnv& env) {
    shelltest::createDatabase(env);
    {
        auto c = env.connect();
        sqlutil::exec(*c, QStringLiteral("update systemdaten set erststarthilfe = -1"));
    }
    QVERIFY(QFile::copy(sourceDir() + QStringLiteral("/resources/rassen.txt"), env.home() + QStringLiteral("/rassen.txt")));
    // Windows code page, as exported by other programs.
    QByteArray klein = "Name;Vorname;Ort;Hund\r\n";
    klein += "M\xfcller;J\xfcrgen;K\xf6ln;Bello\r\n";
    klein += "Schr\xf6" "der;Anna;Husum;Frieda\r\n";
    klein += "Albers;Karl;Kiel;Rocky\r\n";
    schreibeDatei(env.home() + QStringLiteral("/klein.csv"), klein);
    QByteArray gross = "Name;Vorname;Ort;Hund\r\n";
    for (int i = 1; i <= grosseZeilen; ++i)
        gross += QStringLiteral("Gross%1;Vorname%1;Ort%1;Hund%1\r\n").arg(i).toLatin1();
    schreibeDatei(env.home() + QStringLiteral("/gross.csv"), gross);
}

QStringList spalte(db::Connection& c, const QString& sql) {
    QStringList out;
    db::Transaction t(&c);
    db::Statement s(&c, &t);
    s.prepare(sql);
    s.open();
    while (s.fetch()) out << s.value(0).toString();
    s.close();
    t.commit();
    return out;
}

int zahl(db::Connection& c, const QString& sql) { return sqlutil::value(c, sql).toInt(); }

// The current directory for a while (the breed list is read from it).
struct Arbeitsordner {
    QString vorher = QDir::currentPath();
    explicit Arbeitsordner(const QString& ordner) { QDir::setCurrent(ordner); }
    ~Arbeitsordner() { QDir::setCurrent(vorher); }
};

// --- unusable database files ---

// A user for whom file permissions count: root writes any file, so a child
// of root runs as "nobody".
const uid_t niemand = 65534;
const gid_t niemandGruppe = 65534;
bool alsRoot() { return ::geteuid() == 0; }

void gehoertDemKind(const QString& pfad) {
    if (alsRoot() && ::chown(QFile::encodeName(pfad).constData(), niemand, niemandGruppe) != 0)
        qWarning("chown %s failed", qPrintable(pfad));
}

void rechte(const QString& pfad, mode_t mode) { ::chmod(QFile::encodeName(pfad).constData(), mode); }

// The names and contents of every file below a folder.
QStringList inhalt(const QString& ordner) {
    QStringList out;
    QDirIterator it(ordner, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString pfad = it.next();
        QString zeile = QDir(ordner).relativeFilePath(pfad);
        QFile f(pfad);
        if (it.fileInfo().isFile() && f.open(QIODevice::ReadOnly))
            zeile += QLatin1Char(' ') +
                     QString::fromLatin1(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1).toHex());
        out << zeile;
    }
    out.sort();
    return out;
}

}  // namespace

class FaultsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("FIREBIRD_LOCK")) qputenv("FIREBIRD_LOCK", "/tmp/firebird");
        QDir().mkpath(qEnvironmentVariable("FIREBIRD_LOCK"));
    }

    // The program killed (SIGKILL) in the middle of a long piece of work:
    // the next start opens the database without a word, everything
    // committed before is there and nothing of the unfinished work; the
    // same work then runs through.
    void killedInTheMiddle_data() {
        QTest::addColumn<QByteArray>("kind");
        QTest::newRow("import") << QByteArray("import_abbruch");
        QTest::newRow("course dates from a template") << QByteArray("termine_abbruch");
    }
    void killedInTheMiddle() {
        QFETCH(QByteArray, kind);
        const bool import = kind == "import_abbruch";
        TestEnv env;
        vorbereiten(env);
        {
            Kind k(kind.constData(), env.home());
            QVERIFY(k.starte());
            QVERIFY2(k.warteEnde(), k.bericht().constData());
            QVERIFY2(k.hatZeile("UEBERNOMMEN"), k.bericht().constData());
            QVERIFY2(k.hatZeile("ABBRUCH"), k.bericht().constData());
            QVERIFY2(k.prozess().exitStatus() == QProcess::CrashExit, k.bericht().constData());
            // On Unix the exit code of a process ended by a signal is the signal.
            QCOMPARE(k.prozess().exitCode(), int(SIGKILL));
        }

        // The next start: no box at all; the same work again goes through.
        Arbeitsordner ordner(env.home());
        platform::ScopedScriptedDialogs d;
        {
            Programm p;
            QVERIFY(p.starten());
            Tfrm_main* w = zeigeHauptfenster(p);
            KYN_VERIFY_DIALOGS(d);
            if (import) {
                // The new customers get the numbers the killed import had
                // used: its rows are gone for good.
                QVERIFY(kleinenImportUebernehmen(w, d));
            } else {
                w->kurseanzeigen(Fenstermodus::Uebersicht);
                Tfrm_kurse* k = frm_kurse.data();
                QVERIFY(k);
                QCOMPARE(dm->ibt_kurse->recordCount(), 1);
                QCOMPARE(dm->ibt_kurstermine->recordCount(), 0);
                QCOMPARE(dm->ibq_teilnehmer->recordCount(), 1);
                terminVorgaben(k);
                kurstest::waehleNaechste(1);
                k->erminlisteausVorlagenholen1->trigger();
                QCOMPARE(dm->ibt_kurstermine->recordCount(), vorlagenAnzahl);
            }
            KYN_VERIFY_DIALOGS(d);
        }
        KYN_VERIFY_DIALOGS(d);

        auto c = env.connect();
        if (import) {
            // The small file twice (before the kill and after the restart),
            // nothing of the large one.
            QCOMPARE(spalte(*c, "select trim(name) || '|' || trim(vname) || '|' || trim(ort) from kunden order by kndnr"),
                     (QStringList{"Müller|Jürgen|Köln", "Schröder|Anna|Husum", "Albers|Karl|Kiel",
                                  "Müller|Jürgen|Köln", "Schröder|Anna|Husum", "Albers|Karl|Kiel"}));
            QCOMPARE(spalte(*c, "select kndnr from kunden order by kndnr"), (QStringList{"1", "2", "3", "4", "5", "6"}));
            QCOMPARE(spalte(*c, "select trim(h.name) from hunde h join kunden k on k.kndnr = h.kndnr order by h.hundnr"),
                     (QStringList{"Bello", "Frieda", "Rocky", "Bello", "Frieda", "Rocky"}));
            QCOMPARE(zahl(*c, "select count(*) from hunde"), 2 * kleineZeilen);
            QCOMPARE(zahl(*c, "select count(*) from kunden where name like '%Gross%'"), 0);
        } else {
            QCOMPARE(spalte(*c, "select kursname from kurse where kursnr > 0"), QStringList{"Junghunde Frühjahr"});
            QCOMPARE(spalte(*c, "select k.name || '|' || h.name from teilnehmer t join kunden k on k.kndnr = t.kndnr "
                                "join hunde h on h.hundnr = t.hundnr"),
                     QStringList{"Meier|Rex"});
            QCOMPARE(zahl(*c, "select count(*) from vorlagen_kurstermine"), vorlagenAnzahl);
            // Only the dates written after the restart, each once.
            QCOMPARE(zahl(*c, "select count(*) from kurstermine"), vorlagenAnzahl);
            QCOMPARE(zahl(*c, "select count(distinct datum) from kurstermine"), vorlagenAnzahl);
            QCOMPARE(sqlutil::value(*c, "select min(datum) from kurstermine").toDateTime(),
                     QDateTime(QDate(2024, 3, 4), QTime(18, 30)));
        }
    }

    // What the user saved is committed before the program waits for the
    // user again: a program killed (SIGKILL) right then loses none of it,
    // and the next start finds all of it.
    void savedWorkSurvivesAKill() {
        TestEnv env;
        vorbereiten(env);
        {
            auto c = env.connect();
            // Firebird writes every page at once (forced writes).
            QCOMPARE(zahl(*c, "select mon$forced_writes from mon$database"), 1);
            sqlutil::exec(*c, "insert into kunden (kndnr, name) values (1, 'Teilnehmer')");
            sqlutil::exec(*c, "insert into hunde (hundnr, kndnr, name) values (1, 1, 'Bello')");
            sqlutil::exec(*c, "insert into kurse (kursnr, kursart, kursname, status) values (1, 'Ju', 'Junghunde', 'A')");
            sqlutil::exec(*c, "insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (1, 1, 1, 1, 'N')");
        }
        {
            Kind k("speichern_warten", env.home());
            QVERIFY(k.starte());
            QVERIFY2(k.warteAuf("GESPEICHERT"), k.bericht().constData());
            QVERIFY2(k.boxen().isEmpty(), k.bericht().constData());
            k.prozess().kill();  // SIGKILL
            QVERIFY(k.warteEnde());
            QCOMPARE(k.prozess().exitStatus(), QProcess::CrashExit);
        }

        Arbeitsordner ordner(env.home());
        platform::ScopedScriptedDialogs d;
        {
            Programm p;
            QVERIFY(p.starten());
            KYN_VERIFY_DIALOGS(d);
            QCOMPARE(dm->scalar("select count(*) from kunden where name = 'Gesichert'").toInt(), 1);
            QCOMPARE(dm->scalar("select t.geplant from hunde_tagebuch t join hunde h on h.hundnr = t.hundnr "
                                "join kunden k on k.kndnr = h.kndnr where k.name = 'Gesichert' and h.name = 'Rex'")
                         .toString(),
                     QString("Leinenführigkeit"));
            QCOMPARE(dm->scalar("select bezahlt from teilnehmer where id = 1").toString(), QString("B"));
        }
        KYN_VERIFY_DIALOGS(d);
    }

    // A second instance started while the first runs: it ends its start with
    // a clear message and without waiting; the first goes on unaffected and
    // keeps what it saved. So it is with the lock folder named by
    // FIREBIRD_LOCK, with the program's own folder of the user (both
    // instances meet there), and with two sessions of the user whose runtime
    // directories differ (the engine's lock on the file itself holds).
    void databaseHeldByARunningInstance_data() {
        QTest::addColumn<QString>("sperren");
        QTest::newRow("FIREBIRD_LOCK") << "FIREBIRD_LOCK";
        QTest::newRow("the user's own lock folder") << "eigener";
        QTest::newRow("two sessions of the user") << "zwei Sitzungen";
    }
    void databaseHeldByARunningInstance() {
        QFETCH(QString, sperren);
        TestEnv env;
        vorbereiten(env);
        // The runtime directory of each instance's session.
        const QString laufzeit1 = env.home() + QStringLiteral("/laufzeit1");
        const QString laufzeit2 = sperren == QLatin1String("zwei Sitzungen") ? env.home() + QStringLiteral("/laufzeit2")
                                                                              : laufzeit1;
        auto sitzung = [&](Kind& k, const QString& laufzeit) {
            if (sperren == QLatin1String("FIREBIRD_LOCK")) return;
            QVERIFY(QDir().mkpath(laufzeit));
            QVERIFY(QFile::setPermissions(laufzeit, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
            k.entferne(QStringLiteral("FIREBIRD_LOCK"));
            k.setze(QStringLiteral("XDG_RUNTIME_DIR"), laufzeit);
        };
        Kind erste("erste_instanz", env.home());
        sitzung(erste, laufzeit1);
        QVERIFY(erste.starte());
        QVERIFY2(erste.warteAuf("BEREIT"), erste.bericht().constData());

        Kind zweite("programmstart", env.home());
        sitzung(zweite, laufzeit2);
        QVERIFY(zweite.starte());
        QVERIFY2(zweite.warteEnde(), zweite.bericht().constData());
        QCOMPARE(zweite.prozess().exitStatus(), QProcess::NormalExit);
        QCOMPARE(zweite.prozess().exitCode(), 0);
        QVERIFY2(zweite.hatZeile("START 0"), zweite.bericht().constData());
        const QList<Box> boxen = zweite.boxen();
        QCOMPARE(boxen.size(), 1);
        QCOMPARE(boxen[0].icon, iconNummer(platform::Icon::Error));
        QVERIFY2(boxen[0].text.startsWith("Die Datenbank \"" + env.databasePath() + "\" konnte nicht geöffnet werden."),
                 qPrintable(boxen[0].text));
        QVERIFY2(boxen[0].text.contains("bereits von einem anderen Programm verwendet"), qPrintable(boxen[0].text));

        // The first instance still works with its database, then ends as the
        // user ends it.
        erste.schreibe("NEU Nachher");
        QVERIFY2(erste.warteAuf("NEU OK"), erste.bericht().constData());
        erste.schreibe("ENDE");
        QVERIFY2(erste.warteEnde(), erste.bericht().constData());
        QCOMPARE(erste.prozess().exitStatus(), QProcess::NormalExit);
        QVERIFY2(erste.prozess().exitCode() == 0, erste.bericht().constData());
        QVERIFY2(erste.hatZeile("BEENDET"), erste.bericht().constData());
        QVERIFY2(erste.boxen().isEmpty(), erste.bericht().constData());

        auto c = env.connect();
        QCOMPARE(spalte(*c, "select name from kunden order by kndnr"), (QStringList{"Erstinstanz", "Nachher"}));
        // The instances made their lock folders themselves and the engine
        // used them.
        if (sperren != QLatin1String("FIREBIRD_LOCK")) {
            for (const QString& laufzeit : {laufzeit1, laufzeit2}) {
                const QString ordner = laufzeit + QStringLiteral("/kynovia-firebird");
                QVERIFY2(QFileInfo::exists(ordner + QStringLiteral("/fb_init")), qPrintable(ordner));
            }
        }
    }

    // A database file that cannot be used: the whole start ends with a
    // German message naming the file, the program does not crash, and
    // nothing is changed on disk.
    void unusableDatabaseFile_data() {
        QTest::addColumn<QString>("fall");
        QTest::addColumn<QString>("antwort");     // to the question whether to create the file
        QTest::addColumn<bool>("startet");
        QTest::addColumn<QStringList>("texte");  // in the box (none when the start goes on)
        QTest::newRow("file read-only") << "schreibgeschuetzt" << "" << false
                                        << QStringList{"konnte nicht geöffnet werden.", "schreibgeschützt"};
        QTest::newRow("folder read-only, file missing")
            << "ordner_schreibgeschuetzt_ohne_datei" << "Ja" << false
            << QStringList{"konnte nicht angelegt werden.", "Berechtigung"};
        QTest::newRow("folder read-only, file there") << "ordner_schreibgeschuetzt" << "" << true << QStringList{};
        QTest::newRow("a folder at the file's path") << "ordner_statt_datei" << "" << false
                                                      << QStringList{"konnte nicht geöffnet werden.", "Ordner"};
    }
    void unusableDatabaseFile() {
        QFETCH(QString, fall);
        QFETCH(QString, antwort);
        QFETCH(bool, startet);
        QFETCH(QStringList, texte);
        TestEnv env;
        const QString dbOrdner = env.home() + QStringLiteral("/db");
        const QString datei = env.databasePath();
        // The child must reach its data directory; as root it runs as
        // "nobody", with its own lock folder and home.
        rechte(env.home(), 0755);
        for (const QString& o : {QStringLiteral("/sperren"), QStringLiteral("/nutzer")}) {
            QVERIFY(QDir(env.home()).mkpath(env.home() + o));
            gehoertDemKind(env.home() + o);
        }
        if (fall != QLatin1String("ordner_schreibgeschuetzt_ohne_datei")) {
            if (fall == QLatin1String("ordner_statt_datei")) {
                QVERIFY(QDir().mkpath(datei));
            } else {
                shelltest::createDatabase(env);
                auto c = env.connect();
                sqlutil::exec(*c, QStringLiteral("update systemdaten set erststarthilfe = -1"));
            }
            gehoertDemKind(datei);
        }
        gehoertDemKind(dbOrdner);
        if (fall == QLatin1String("schreibgeschuetzt")) rechte(datei, 0444);
        if (fall.startsWith(QLatin1String("ordner_schreibgeschuetzt"))) rechte(dbOrdner, 0555);
        // Permissions back, so that the temporary folder can go.
        struct Zurueck {
            QString ordner, datei;
            ~Zurueck() {
                rechte(ordner, 0755);
                if (QFileInfo(datei).isFile()) rechte(datei, 0644);
            }
        } zurueck{dbOrdner, datei};
        const QStringList vorher = inhalt(dbOrdner);

        Kind k("programmstart", env.home());
        k.setze(QStringLiteral("KYN_ANTWORT"), antwort);
        k.setze(QStringLiteral("FIREBIRD_LOCK"), env.home() + QStringLiteral("/sperren"));
        k.setze(QStringLiteral("HOME"), env.home() + QStringLiteral("/nutzer"));
        k.setze(QStringLiteral("XDG_CONFIG_HOME"), env.home() + QStringLiteral("/nutzer"));
        k.setze(QStringLiteral("XDG_CACHE_HOME"), env.home() + QStringLiteral("/nutzer"));
        if (alsRoot()) {
            k.prozess().setChildProcessModifier([] {
                if (::setgroups(0, nullptr) != 0 || ::setgid(niemandGruppe) != 0 || ::setuid(niemand) != 0)
                    ::_exit(97);
            });
        }
        QVERIFY(k.starte());
        QVERIFY2(k.warteEnde(), k.bericht().constData());
        if (alsRoot() && k.prozess().exitCode() == 97)
            QSKIP("running as root, and the child cannot switch to the user nobody");
        // Never a crash.
        QCOMPARE(k.prozess().exitStatus(), QProcess::NormalExit);
        QVERIFY2(k.prozess().exitCode() == 0, k.bericht().constData());
        QVERIFY2(k.hatZeile(startet ? "START 1" : "START 0"), k.bericht().constData());

        QList<Box> boxen = k.boxen();
        if (!antwort.isEmpty()) {
            QVERIFY2(!boxen.isEmpty(), k.bericht().constData());
            QCOMPARE(boxen[0].text, "Die Datenbank \"" + datei + "\" ist nicht vorhanden.\r\r"
                                    "Soll dort eine neue, leere Datenbank angelegt werden?");
            boxen.removeFirst();
        }
        if (texte.isEmpty()) {
            QVERIFY2(boxen.isEmpty(), k.bericht().constData());
        } else {
            QCOMPARE(boxen.size(), 1);
            QCOMPARE(boxen[0].icon, iconNummer(platform::Icon::Error));
            QVERIFY2(boxen[0].text.contains("\"" + datei + "\""), qPrintable(boxen[0].text));
            for (const QString& t : texte) QVERIFY2(boxen[0].text.contains(t), qPrintable(boxen[0].text));
        }
        // Nothing added, removed or (unless the start went on) changed.
        const QStringList nachher = inhalt(dbOrdner);
        if (startet) {
            auto namen = [](QStringList l) {
                for (QString& s : l) s = s.section(QLatin1Char(' '), 0, 0);
                return l;
            };
            QCOMPARE(namen(nachher), namen(vorher));
        } else {
            QCOMPARE(nachher, vorher);
        }
    }

    // Help pages or the breed list missing: the program runs; the quick-help
    // panel shows an empty page, the breed list's absence is reported by one
    // box per window that reads it, and those windows open all the same.
    void missingHelpPagesAndBreedList_data() {
        QTest::addColumn<bool>("hilfe");
        QTest::addColumn<bool>("rassen");
        QTest::newRow("no help pages") << false << true;
        QTest::newRow("no rassen.txt") << true << false;
        QTest::newRow("neither") << false << false;
    }
    void missingHelpPagesAndBreedList() {
        QFETCH(bool, hilfe);
        QFETCH(bool, rassen);
        TestEnv env;
        shelltest::createDatabase(env);  // first start: the assistant is on
        const QString hilfeOrdner = env.home() + QStringLiteral("/help");
        if (hilfe) shelltest::installHelpPages(env.home());
        if (rassen)
            QVERIFY(QFile::copy(sourceDir() + QStringLiteral("/resources/rassen.txt"),
                                env.home() + QStringLiteral("/rassen.txt")));
        Arbeitsordner ordner(env.home());
        const QString fehlt = QStringLiteral("Datei rassen.txt kann nicht geöffnet werden");

        platform::ScopedScriptedDialogs d;
        {
            Programm p;
            QVERIFY(p.starten());
            Tfrm_main* w = zeigeHauptfenster(p);
            KYN_VERIFY_DIALOGS(d);
            // The first-start page fills the middle area, empty without the
            // help pages.
            QVERIFY(w->jcp_assistent->isVisible());
            QVERIFY(w->assistentFuelltMitte());
            QCOMPARE(w->wb_assistent->currentFile(), hilfeOrdner + "/ersterstart.htm");
            QCOMPARE(w->wb_assistent->pageLoaded(), hilfe);
            QCOMPARE(w->wb_assistent->toPlainText().trimmed().isEmpty(), !hilfe);
            // The user closes the panel with its caption button.
            QTest::mouseClick(w->jcp_assistent->button(widgets::CaptionPanel::CloseButton), Qt::LeftButton);
            QVERIFY(!w->jcp_assistent->isVisible());
            QVERIFY(w->ClientArea->isVisible());

            // The customer window.
            if (!rassen) d.expectError(fehlt);
            w->kundenanzeigen(Fenstermodus::Uebersicht);
            KYN_VERIFY_DIALOGS(d);
            QVERIFY(frm_kunden);
            QVERIFY(frm_kunden->isVisible());
            QVERIFY(w->subWindowOf(frm_kunden));
            QCOMPARE(frm_kunden->dbcb_rasse->items().isEmpty(), !rassen);
            QCOMPARE(w->wb_assistent->currentFile(), hilfeOrdner + "/kundenuebersicht.htm");
            QCOMPARE(w->wb_assistent->toPlainText().trimmed().isEmpty(), !hilfe);

            // The dog search window reads the list as well.
            if (!rassen) d.expectError(fehlt);
            w->hundeanzeigen(Fenstermodus::Suchen);
            KYN_VERIFY_DIALOGS(d);
            QVERIFY(frm_hunde);
            QVERIFY(frm_hunde->isVisible());

            // "Inhalt" shows the panel again, with the contents page.
            QTest::mouseClick(w->JvHTButton1, Qt::LeftButton);
            QVERIFY(w->jcp_assistent->isVisible());
            QCOMPARE(w->wb_assistent->currentFile(), hilfeOrdner + "/inhalt.htm");
            QCOMPARE(w->wb_assistent->toPlainText().trimmed().isEmpty(), !hilfe);

            // The program works as ever: a new customer is saved.
            QVERIFY(neuerKunde(w, QStringLiteral("Ohnedateien")));
            KYN_VERIFY_DIALOGS(d);
        }
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(d.count(), rassen ? 0 : 2);
        auto c = env.connect();
        QCOMPARE(spalte(*c, "select name from kunden"), QStringList{"Ohnedateien"});
    }
};

KYN_TEST(FaultsTest)
#include "faults_test.moc"
