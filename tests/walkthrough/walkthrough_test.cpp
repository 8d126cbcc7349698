// The walkthrough: a new dog school starts the program on an empty database
// and puts everything in through the windows, as a user does: its master
// data and a first note, two trainers, three customers with their dogs (questionnaire and
// diary), a course template, a course made from it with a trainer,
// participants with their payments, a document attached to the course, a
// consultation, every printout in the preview and an imported CSV file.
// Then the program is closed, started again, and every piece of data is
// looked up in the windows once more.
//
// The phases build on each other and run in their order. With KYN_SHOT
// naming a directory, a picture of each window visited is saved there.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTextEdit>
#include <memory>

#include "common/testenv.h"
#include "common/testregistry.h"
#include "courses/auswahl.h"
#include "courses/beratungen.h"
#include "courses/dlg_teilnehmer_add.h"
#include "courses/kursetestutil.h"
#include "courses/kurse.h"
#include "customers/kundenstamm.h"
#include "data/datenmodul.h"
#include "import/datenimport.h"
#include "platform/scripteddialogs.h"
#include "report/reportpaint.h"
#include "rundgang.h"
#include "shell/Main.h"
#include "shell/htmlbrowser.h"
#include "shell/notizblock.h"
#include "shell/programm.h"
#include "shell/shelltestutil.h"
#include "shell/stammdaten.h"
#include "staff_docs/dokumente.h"
#include "staff_docs/pflege_vorlagen_kurse.h"
#include "staff_docs/trainer.h"
#include "widgets/captionpanel.h"
#include "widgets/dbcheckbox.h"
#include "widgets/dbcombobox.h"
#include "widgets/dbedit.h"
#include "widgets/dbgrid.h"
#include "widgets/dbmemo.h"
#include "widgets/monthcalendar.h"
#include "widgets/rolloutpanel.h"

using namespace rundgang;
using B = widgets::DbNavigator;
using platform::Answer;

namespace {

// --- the school's data ----------------------------------------------------------

struct Schule {
    QString name, strasse, plz, ort;
};
const Schule kSchule{QStringLiteral("Hundeschule Pfötchenglück"), QStringLiteral("Mühlenstraße 12"),
                     QStringLiteral("35037"), QStringLiteral("Marburg-Cölbe")};

// A note with the characters in which Windows-1252 differs from Latin-1.
const QString kNotiz = QStringLiteral("Rückruf-Pfeifen für 4,50 € bestellen – bis Freitag");

struct Trainer {
    QString anrede, kurzzeichen, vname, name, str, plz, ort, tel, email;
};
const Trainer kTrainer[] = {
    {"Frau", "JK", "Jutta", "Köhler", "Lindenallee 3", "35041", "Marburg", "06421 123456", "jutta@pfoetchenglueck.de"},
    {"Herr", "BW", "Björn", "Weiß", "Am Grün 17", "35039", "Marburg", "06421 654321", "bjoern@pfoetchenglueck.de"},
};

struct Kunde {
    QString anrede, vname, name, str, plz, ort, tel, hund, rasse, geschlecht;
};
const Kunde kKunden[] = {
    {"Frau", "Sabine", "Müller", "Lahnstraße 5", "35037", "Marburg", "06421 55501", "Bello", "Labrador Retriever",
     "Rüde"},
    {"Herr", "Jürgen", "Jäger", "Schäferweg 7", "35041", "Marburg", "06421 55502", "Fiffi", "Dackel Rauhaar", "Hündin"},
    {"Familie", "Käthe", "Groß", "Am Bürgerpark 2", "35039", "Marburg", "06421 55503", "Luna", "Deutscher Schäferhund",
     "Hündin"},
};

// Bello's questionnaire: text, combo boxes and two check boxes.
const QString kChipnr = QStringLiteral("276098100123456");
const QString kHerkunft = QStringLiteral("Tierschutz");
const QString kImpfung = QStringLiteral("Tollwut und Staupe 03.2025");
const QString kLeineRuede = QStringLiteral("ängstlich");
const QString kJagd = QStringLiteral("jagt Rehe im Wald");
const QString kProbleme = QStringLiteral("zieht an der Leine, bellt Radfahrer an");

// Bello's diary entry.
const QString kTerminart = QStringLiteral("Einzelstunde");
const QString kGeplant = QStringLiteral("Leinenführigkeit üben");
const QString kBeurteilung = QStringLiteral("große Fortschritte");

// The course template and the course.
const QString kVorlage = QStringLiteral("Welpenkurs Frühling");
const QStringList kThemen = {QStringLiteral("Begrüßung und Sozialkontakt"), QStringLiteral("Leinenführigkeit"),
                             QStringLiteral("Rückruf üben")};
const QString kKursname = QStringLiteral("Welpengruppe Frühjahr");
const QDate kErsterTermin(2025, 5, 5);
const QStringList kTermine = {QStringLiteral("Montag, 05.05.2025"), QStringLiteral("Montag, 12.05.2025"),
                              QStringLiteral("Montag, 19.05.2025")};
const QString kTeilnehmerKommentar = QStringLiteral("zahlt per Überweisung");

// Typed into the customer window just before the program is closed.
const QString kMobil = QStringLiteral("0171 2345678");

// The document.
const QString kDokument = QStringLiteral("Merkblatt Welpenprägung");

// The consultation.
const QDate kBeratungAm(2025, 5, 14);
const QString kBeratungThema = QStringLiteral("Beratung Leinenaggression");

// The import file: customers with one dog each.
const QStringList kImportKunden = {QStringLiteral("Schröder;Günther;Gießen;Rex"),
                                   QStringLiteral("Weiß;Dörte;Fulda;Mücke")};

QString teil(const QString& zeile, int i) { return zeile.split(QLatin1Char(';')).at(i); }

}  // namespace

class WalkthroughTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<Programm> m_programm;
    std::unique_ptr<platform::ScopedScriptedDialogs> m_dialoge;
    QString m_alterOrdner;
    QString m_dokumentPfad;
    int m_beendet = 0;

    Tfrm_main* haupt() const { return m_programm ? m_programm->hauptfenster() : nullptr; }
    platform::ScriptedDialogs& dialoge() { return *m_dialoge; }

    // Starts the program on the data directory, as the program entry does.
    void starten() {
        m_beendet = 0;
        m_programm = std::make_unique<Programm>();
        QVERIFY(m_programm->starten());
        QVERIFY(frm_main && dm);
        // The test notes the end of the program instead of quitting its loop.
        haupt()->beenden = [this] { ++m_beendet; };
        // KYN_SHOT_GROESSE ("1920x1080") sets the window size for pictures
        // taken at the sizes of common screens.
        const QStringList groesse = qEnvironmentVariable("KYN_SHOT_GROESSE").split(QLatin1Char('x'));
        if (groesse.size() == 2) haupt()->resize(groesse[0].toInt(), groesse[1].toInt());
        else haupt()->resize(1280, 900);
        haupt()->show();
        QApplication::setActiveWindow(haupt());
        QVERIFY(QTest::qWaitForWindowActive(haupt()));
    }

    // Runs `tun` on the modal dialog `finde` returns once it is shown
    // (started by the next action of the test).
    static void imDialog(std::function<QDialog*()> finde, std::function<void(QDialog*)> tun) {
        kurstest::wennSichtbar(std::move(finde), std::move(tun));
    }

    // Picks the row whose first column shows `schluessel` in the next pick
    // list and says which caption it had.
    static void auswaehlen(const QString& schluessel, kurstest::Auswahl* gesehen) {
        kurstest::waehleNaechste(schluessel, gesehen);
    }

    Tfrm_kurse* kursfenster() {
        navigiere(haupt(), QStringLiteral("Kurse"), QStringLiteral("Anzeigen"));
        return frm_kurse.data();
    }

    // Opens a customer from the overview list by name.
    Tfrm_kunden* kundeOeffnen(const QString& name) {
        navigiere(haupt(), QStringLiteral("Kunden"), QStringLiteral("Übersicht"));
        Tfrm_kunden* k = frm_kunden.data();
        if (!k) return nullptr;
        auto* grid = steuer<widgets::DbGrid>(k, QStringLiteral("dbg_kunde"));
        const int r = zeileMit(grid, QStringLiteral("NAME"), name);
        if (r < 0) return nullptr;
        zeileDoppelklicken(grid, r, spalte(grid, QStringLiteral("NAME")));
        return k;
    }

private slots:
    void init() {
        m_dialoge = std::make_unique<platform::ScopedScriptedDialogs>();
        QTest::failOnWarning(platform::ScriptedDialogs::unexpectedWarning());
    }
    void cleanup() {
        // What the phase's last actions queued runs before Qt Test deletes
        // the objects whose deletion is pending.
        warten();
        KYN_VERIFY_DIALOGS(*m_dialoge);
        m_dialoge.reset();
    }
    void cleanupTestCase() {
        m_dialoge.reset();
        m_programm.reset();
        if (!m_alterOrdner.isEmpty()) QDir::setCurrent(m_alterOrdner);
        m_env.reset();
    }

    // 1. A fresh database, the help pages and the breed list in place (the
    //    list is read from the current directory); the program starts with
    //    its first-start assistant, which the user switches off.
    void programmStarten() {
        m_env = std::make_unique<TestEnv>();
        m_env->createDatabase();
        shelltest::installHelpPages(m_env->home());
        m_alterOrdner = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_env->home()));
        QVERIFY(QFile::copy(shelltest::sourceDir() + QStringLiteral("/resources/rassen.txt"),
                            QStringLiteral("rassen.txt")));
        starten();
        if (QTest::currentTestFailed()) return;
        Tfrm_main* m = haupt();
        QVERIFY(m->jcp_assistent->isVisible());
        QVERIFY(m->wb_assistent->currentFile().endsWith(QStringLiteral("ersterstart.htm")));
        bild(m, QStringLiteral("01_erster_start"));
        // "Diesen Assistenten nicht mehr anzeigen"
        QVERIFY(m->wb_assistent->toHtml().contains(QStringLiteral("erststartaus.htm")));
        m->wb_assistent->followLink(QUrl(QStringLiteral("erststartaus.htm")));
        QVERIFY(!m->jcp_assistent->isVisible());
    }

    // 2. The school's name and address in the master data dialog.
    void stammdatenErfassen() {
        bool gezeigt = false;
        imDialog([] { return static_cast<QDialog*>(frm_stammdaten.data()); },
                 [&](QDialog* s) {
                     gezeigt = true;
                     tippen(steuer(s, QStringLiteral("dbe_hundeschule")), kSchule.name);
                     tippen(steuer(s, QStringLiteral("dbe_strasse")), kSchule.strasse);
                     tippen(steuer(s, QStringLiteral("dbe_plz")), kSchule.plz);
                     tippen(steuer(s, QStringLiteral("dbe_ort")), kSchule.ort);
                     bild(s, QStringLiteral("02_stammdaten"));
                     klick(steuer(s, QStringLiteral("b_save")));
                 });
        menue(haupt(), "Stammdaten1");
        QVERIFY(gezeigt);
        QVERIFY(!frm_stammdaten->isVisible());

        // A first note in the notepad (the button beside the menu bar).
        klick(steuer(haupt(), QStringLiteral("JvaCaptionButton1")));
        QWidget* notiz = frm_notizblock.data();
        QVERIFY(notiz && notiz->isVisible());
        navKlick(notiz, "dbn_notizblock", B::Insert);
        tippen(steuer(notiz, QStringLiteral("dbm_notiz")), kNotiz);
        navKlick(notiz, "dbn_notizblock", B::Post);
        bild(notiz, QStringLiteral("02_notizblock"));
        notiz->close();
    }

    // 3. Two trainers through "Trainer"/"Neu anlegen".
    void trainerAnlegen() {
        for (const Trainer& t : kTrainer) {
            navigiere(haupt(), QStringLiteral("Trainer"), QStringLiteral("Neu anlegen"));
            Tfrm_trainer* w = frm_trainer.data();
            QVERIFY(w);
            tippen(steuer(w, QStringLiteral("dbc_anrede")), t.anrede);
            tippen(steuer(w, QStringLiteral("dbe_kurzzeichen")), t.kurzzeichen);
            tippen(steuer(w, QStringLiteral("dbe_vname")), t.vname);
            tippen(steuer(w, QStringLiteral("dbe_name")), t.name);
            tippen(steuer(w, QStringLiteral("dbe_str")), t.str);
            tippen(steuer(w, QStringLiteral("dbe_plz")), t.plz);
            tippen(steuer(w, QStringLiteral("dbe_ort")), t.ort);
            tippen(steuer(w, QStringLiteral("dbe_tel")), t.tel);
            tippen(steuer(w, QStringLiteral("dbe_email")), t.email);
            navKlick(w, "DBNavigator1", B::Post);
        }
        Tfrm_trainer* w = frm_trainer.data();
        auto* grid = steuer<widgets::DbGrid>(w, QStringLiteral("DBGrid1"));
        QCOMPARE(spaltenTexte(grid, QStringLiteral("NAME")), (QStringList{kTrainer[0].name, kTrainer[1].name}));
        bild(haupt(), QStringLiteral("03_trainer"));
        fensterSchliessen(haupt(), w);
        QVERIFY(!frm_trainer);
    }

    // 4. Three customers with a dog each; Bello's questionnaire and diary.
    void kundenMitHundenAufnehmen() {
        // The users save in their own ways: the first customer and dog with
        // the navigators' post buttons; the second customer by adding the
        // dog (a new dog saves its customer first); the third dog by going
        // on to the customer overview (the window's save check).
        for (int i = 0; i < 3; ++i) {
            const Kunde& c = kKunden[i];
            navigiere(haupt(), QStringLiteral("Kunden"), QStringLiteral("Neu aufnehmen"));
            Tfrm_kunden* k = frm_kunden.data();
            QVERIFY(k);
            tippen(steuer(k, QStringLiteral("dbc_anrede")), c.anrede);
            tippen(steuer(k, QStringLiteral("DBEdit2")), c.vname);
            tippen(steuer(k, QStringLiteral("DBEdit3")), c.name);
            tippen(steuer(k, QStringLiteral("DBEdit4")), c.str);
            tippen(steuer(k, QStringLiteral("DBEdit5")), c.plz);
            tippen(steuer(k, QStringLiteral("DBEdit6")), c.ort);
            tippen(steuer(k, QStringLiteral("DBEdit11")), c.tel);
            if (i != 1) navKlick(k, "DBNavigator2", B::Post);

            seite(steuer<QTabWidget>(k, QStringLiteral("pg_kundendaten")), QStringLiteral("ts_kundehunde"));
            navKlick(k, "DBNavigator3", B::Insert);
            QCOMPARE(steuer<QLineEdit>(k, QStringLiteral("DBEdit3"))->text(), c.name);
            tippen(steuer(k, QStringLiteral("DBEdit14")), c.hund);
            // The breeds come from the breed list (rassen.txt).
            QVERIFY2(steuer<QComboBox>(k, QStringLiteral("dbcb_rasse"))->findText(c.rasse) >= 0, qPrintable(c.rasse));
            tippen(steuer(k, QStringLiteral("dbcb_rasse")), c.rasse);
            tippen(steuer(k, QStringLiteral("DBComboBox2")), c.geschlecht);
            if (i != 2) navKlick(k, "DBNavigator3", B::Post);
            QCOMPARE(steuer<QLineEdit>(k, QStringLiteral("DBEdit14"))->text(), c.hund);
        }

        // Bello: the first customer's dog.
        Tfrm_kunden* k = kundeOeffnen(kKunden[0].name);
        QVERIFY(k);
        QCOMPARE(steuer<QLineEdit>(k, QStringLiteral("DBEdit14"))->text(), kKunden[0].hund);
        seite(steuer<QTabWidget>(k, QStringLiteral("PageControl1")), QStringLiteral("TabSheet3"));
        for (const char* abschnitt : {"JvRollout1", "JvRollout3", "jvro_verhaltenhund"}) {
            auto* r = steuer<widgets::RolloutPanel>(k, QString::fromLatin1(abschnitt));
            if (r->isCollapsed()) klick(r->header());
        }
        for (const char* abschnitt : {"jvro_verhaltenleine", "jvro_verhaltenwild"}) {
            auto* r = steuer<widgets::RolloutPanel>(k, QString::fromLatin1(abschnitt));
            if (r->isCollapsed()) klick(r->header());
        }
        tippen(steuer(k, QStringLiteral("dbe_chipnr")), kChipnr);
        tippen(steuer(k, QStringLiteral("dbc_herkunft")), kHerkunft);
        ankreuzen(steuer<QCheckBox>(k, QStringLiteral("dbchk_impfung")));  // ticked: "J"
        tippen(steuer(k, QStringLiteral("dbe_impfung_text")), kImpfung);
        tippen(steuer(k, QStringLiteral("dbc_verhalten_leine_ruede")), kLeineRuede);
        auto* abrufbar = steuer<QCheckBox>(k, QStringLiteral("dbchk_abrufbar"));
        ankreuzen(abrufbar);  // ticked
        ankreuzen(abrufbar);  // and not: "N"
        QCOMPARE(abrufbar->checkState(), Qt::Unchecked);
        tippen(steuer(k, QStringLiteral("dbe_jagd_besonderheiten")), kJagd);
        tippen(steuer(k, QStringLiteral("DBMemo2")), kProbleme);
        bild(haupt(), QStringLiteral("04_anamnesebogen"));
        navKlick(k, "DBNavigator3", B::Post);

        // The diary: a new row by the insert key, today's date by default.
        seite(steuer<QTabWidget>(k, QStringLiteral("PageControl1")), QStringLiteral("TabSheet1"));
        auto* tagebuch = steuer<widgets::DbGrid>(k, QStringLiteral("dbg_tagebuch"));
        tagebuch->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(tagebuch, Qt::Key_Insert);
        zelleTippen(tagebuch, QStringLiteral("TERMINART"), kTerminart);
        zelleTippen(tagebuch, QStringLiteral("GEPLANT"), kGeplant);
        zelleTippen(tagebuch, QStringLiteral("BEURTEILUNG"), kBeurteilung);
        QCOMPARE(zeilen(tagebuch), 1);
        QCOMPARE(zelle(tagebuch, 0, QStringLiteral("GEPLANT")), kGeplant);
        bild(haupt(), QStringLiteral("04_tagebuch"));
        // The customer window's close posts the diary row.
        fensterSchliessen(haupt(), k);
        QVERIFY(!frm_kunden);
    }

    // 5. A course template with three dates; a course made from it, with
    //    its trainer.
    void kursvorlageUndKursAnlegen() {
        dialoge().expectConfirm(Answer::Ja, QStringLiteral("Neue Vorlage einfügen ?"));
        bool gezeigt = false;
        imDialog([] { return static_cast<QDialog*>(frm_vorlagen_kurse.data()); },
                 [&](QDialog* v) {
                     gezeigt = true;
                     navKlick(v, "DBNavigator1", B::Insert);
                     auto* vorlagen = steuer<widgets::DbGrid>(v, QStringLiteral("DBGrid1"));
                     zelleTippen(vorlagen, QStringLiteral("RYTHMUS"), QStringLiteral("7"));
                     zelleTippen(vorlagen, QStringLiteral("BEZEICHNUNG"), kVorlage);
                     navKlick(v, "DBNavigator1", B::Post);
                     auto* termine = steuer<widgets::DbGrid>(v, QStringLiteral("DBGrid2"));
                     termine->setFocus(Qt::MouseFocusReason);
                     QTest::keyClick(termine, Qt::Key_Insert);
                     for (int i = 0; i < kThemen.size(); ++i) {
                         if (i > 0) QTest::keyClick(tastatur(termine), Qt::Key_Down);
                         zelleTippen(termine, QStringLiteral("THEMA"), kThemen[i]);
                     }
                     bild(v, QStringLiteral("05_vorlage"));
                     klick(steuer(v, QStringLiteral("Button1")));  // "Schließen"
                 });
        menue(haupt(), "VorlagenKurse1");
        QVERIFY(gezeigt);

        // The course.
        dialoge().expectConfirm(Answer::Ja, QStringLiteral("Neuen Kurs einfügen ?"));
        navigiere(haupt(), QStringLiteral("Kurse"), QStringLiteral("Neu anlegen"));
        Tfrm_kurse* w = frm_kurse.data();
        QVERIFY(w);
        auto* kurse = steuer<widgets::DbGrid>(w, QStringLiteral("dbg_kurse"));
        zelleTippen(kurse, QStringLiteral("KURSART"), QStringLiteral("Welpenkurs"));
        zelleTippen(kurse, QStringLiteral("KURSNAME"), kKursname);
        zelleTippen(kurse, QStringLiteral("GEBUEHR"), QStringLiteral("89,50"));
        zelleTippen(kurse, QStringLiteral("MAXTEILNEHMER"), QStringLiteral("8"));
        tippen(steuer(w, QStringLiteral("DBMemo1")), QStringLiteral("Für Welpen bis 16 Wochen; bitte Leckerlis mitbringen."));

        // The trainer: the ellipsis of "Kursleiter" (Ctrl+Enter) and the pick list.
        kurstest::Auswahl leiter;
        auswaehlen(QStringLiteral("1"), &leiter);
        zelleKlicken(kurse, QStringLiteral("KURSLEITER_ZEICHEN"));
        QTest::keyClick(tastatur(kurse), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(leiter.gezeigt);
        QCOMPARE(leiter.caption, QStringLiteral("Kursleiter auswählen..."));

        // The dates from the template: first date and time, then the button's
        // context menu "Terminliste aus Vorlagen holen...".
        seite(steuer<QTabWidget>(w, QStringLiteral("pg_kurs")), QStringLiteral("ts_kurstermine"));
        tippen(steuer(w, QStringLiteral("e_erster_termin_am")), kErsterTermin.toString(QStringLiteral("dd.MM.yyyy")));
        tippen(steuer(w, QStringLiteral("e_uhrzeit")), QStringLiteral("18:30"));
        kurstest::Auswahl vorlage;
        auswaehlen(QStringLiteral("1"), &vorlage);
        steuer<QAction>(w, QStringLiteral("erminlisteausVorlagenholen1"))->trigger();
        QVERIFY(vorlage.gezeigt);
        QCOMPARE(vorlage.caption, QStringLiteral("Kursvorlage auswählen..."));

        auto* termine = steuer<widgets::DbGrid>(w, QStringLiteral("DBGrid2"));
        QCOMPARE(spaltenTexte(termine, QStringLiteral("DATUM")), kTermine);
        QCOMPARE(spaltenTexte(termine, QStringLiteral("THEMA")), kThemen);
        QCOMPARE(zelle(kurse, 0, QStringLiteral("KURSLEITER_ZEICHEN")), kTrainer[0].kurzzeichen);
        bild(haupt(), QStringLiteral("05_kurs"));
    }

    // 6. Two participants through the add-participant dialog, a comment and
    //    the payments.
    void teilnehmerEinschreiben() {
        Tfrm_kurse* w = frm_kurse.data();
        QVERIFY(w);
        seite(steuer<QTabWidget>(w, QStringLiteral("pg_kurs")), QStringLiteral("ts_teilnehmer"));
        bool gezeigt = false;
        imDialog([] { return static_cast<QDialog*>(frm_teilnehmer_add.data()); },
                 [&](QDialog* t) {
                     gezeigt = true;
                     auto* such = steuer(t, QStringLiteral("e_suchtext"));
                     auto* grid = steuer<widgets::DbGrid>(t, QStringLiteral("DBGrid1"));
                     for (const Kunde& c : {kKunden[0], kKunden[1]}) {
                         tippen(such, c.hund);
                         QTest::keyClick(such, Qt::Key_Return);
                         QCOMPARE(zeilen(grid), 1);
                         QCOMPARE(zelle(grid, 0, QStringLiteral("NAME")), c.name);
                         zeileKlicken(grid, 0);
                         klick(steuer(t, QStringLiteral("b_hinzufuegen")));
                     }
                     bild(t, QStringLiteral("06_teilnehmer_hinzufuegen"));
                     klick(steuer(t, QStringLiteral("b_close")));
                 });
        klick(steuer(w, QStringLiteral("b_add_teilnehmer")));
        QVERIFY(gezeigt);

        auto* tn = steuer<widgets::DbGrid>(w, QStringLiteral("DBGrid1"));
        QCOMPARE(spaltenTexte(tn, QStringLiteral("NAME")), (QStringList{kKunden[1].name, kKunden[0].name}));
        // Müller pays by transfer (context menu), with a comment; Jäger in cash.
        zeileKlicken(tn, zeileMit(tn, QStringLiteral("NAME"), kKunden[0].name));
        tippen(steuer(w, QStringLiteral("DBMemo2")), kTeilnehmerKommentar);
        steuer<QAction>(w, QStringLiteral("berwiesen1"))->trigger();
        zeileKlicken(tn, zeileMit(tn, QStringLiteral("NAME"), kKunden[1].name));
        klick(steuer(w, QStringLiteral("BitBtn4")));  // "Teilnehmer hat bezahlt"
        QCOMPARE(zelle(tn, zeileMit(tn, QStringLiteral("NAME"), kKunden[0].name), QStringLiteral("BEZAHLT")),
                 QStringLiteral("Ü"));
        QCOMPARE(zelle(tn, zeileMit(tn, QStringLiteral("NAME"), kKunden[1].name), QStringLiteral("BEZAHLT")),
                 QStringLiteral("B"));
        bild(haupt(), QStringLiteral("06_teilnehmer"));
    }

    // 7. A document registered with a real file, then attached to the course.
    void dokumentZumKurs() {
        m_dokumentPfad = m_env->home() + QStringLiteral("/Unterlagen/") + kDokument + QStringLiteral(".pdf");
        QDir().mkpath(m_env->home() + QStringLiteral("/Unterlagen"));
        shelltest::writeFile(m_dokumentPfad, "%PDF-1.4\n");

        navigiere(haupt(), QStringLiteral("Dokumente"), QStringLiteral("Verwaltung"));
        Tfrm_dokumente* d = frm_dokumente.data();
        QVERIFY(d);
        navKlick(d, "DBNavigator1", B::Insert);
        auto* grid = steuer<widgets::DbGrid>(d, QStringLiteral("dbg_dokumente"));
        zelleTippen(grid, QStringLiteral("DOKUMENTNAME"), kDokument);
        zelleTippen(grid, QStringLiteral("DOKUMENTART"), QStringLiteral("Infoblatt"));
        zelleTippen(grid, QStringLiteral("VERTEILUNGSART"), QStringLiteral("Alle"));
        // The path: the cell's ellipsis (Ctrl+Enter) and the file dialog.
        dialoge().expectOpenFile(m_dokumentPfad);
        zelleKlicken(grid, QStringLiteral("PFAD"));
        QTest::keyClick(tastatur(grid), Qt::Key_Return, Qt::ControlModifier);
        navKlick(d, "DBNavigator1", B::Post);
        QCOMPARE(zelle(grid, 0, QStringLiteral("PFAD")), m_dokumentPfad);
        QCOMPARE(zelle(grid, 0, QStringLiteral("DOKUMENTART")), QStringLiteral("I"));
        bild(haupt(), QStringLiteral("07_dokumente"));
        fensterSchliessen(haupt(), d);

        Tfrm_kurse* w = kursfenster();
        QVERIFY(w);
        seite(steuer<QTabWidget>(w, QStringLiteral("pg_kurs")), QStringLiteral("ts_dokumente"));
        kurstest::Auswahl wahl;
        auswaehlen(QStringLiteral("1"), &wahl);
        navKlick(w, "DBNavigator2", B::Insert);
        QVERIFY(wahl.gezeigt);
        QCOMPARE(wahl.caption, QStringLiteral("Dokument auswählen..."));
        navKlick(w, "DBNavigator2", B::Post);
        auto* kd = steuer<widgets::DbGrid>(w, QStringLiteral("dbg_dokumente"));
        QCOMPARE(zeilen(kd), 1);
        // The course documents show the first 20 characters of the name.
        QCOMPARE(zelle(kd, 0, QStringLiteral("BEZEICHNUNG")), kDokument.left(20));
        QCOMPARE(zelle(kd, 0, QStringLiteral("ART_ANZEIGE")), QStringLiteral("Infoblatt"));
        bild(haupt(), QStringLiteral("07_kursdokumente"));
        // The courses are done for now.
        fensterSchliessen(haupt(), w);
        QVERIFY(!frm_kurse);
    }

    // 8. A consultation for the third customer, found with the search.
    void beratungEintragen() {
        navigiere(haupt(), QStringLiteral("Termine"), QStringLiteral("Anzeigen"));
        Tfrm_beratungen* b = frm_beratungen.data();
        QVERIFY(b);
        const Kunde& c = kKunden[2];
        auto* such = steuer(b, QStringLiteral("suchtext_kunde"));
        tippen(such, c.name);
        QTest::keyClick(such, Qt::Key_Return);
        auto* kunden = steuer<widgets::DbGrid>(b, QStringLiteral("dbg_kunde"));
        QCOMPARE(zeilen(kunden), 1);
        QCOMPARE(zelle(kunden, 0, QStringLiteral("NAME")), c.name);

        klick(steuer(b, QStringLiteral("BitBtn4")));  // new
        zeileDoppelklicken(kunden, 0, spalte(kunden, QStringLiteral("NAME")));
        const QString ort = c.name + QStringLiteral(", ") + c.plz + QLatin1Char(' ') + c.ort;
        const QString kontakt = QStringLiteral("Tel:") + c.tel + QStringLiteral(", ");
        QCOMPARE(steuer<QLineEdit>(b, QStringLiteral("e_ort"))->text(), ort);
        QCOMPARE(steuer<QLineEdit>(b, QStringLiteral("e_kontakt"))->text(), kontakt);
        tippen(steuer(b, QStringLiteral("e_termin_am")), kBeratungAm.toString(QStringLiteral("dd.MM.yyyy")));
        tippen(steuer(b, QStringLiteral("e_uhrzeit")), QStringLiteral("10:00"));
        tippen(steuer(b, QStringLiteral("e_thema")), kBeratungThema);
        klick(steuer(b, QStringLiteral("BitBtn2")));  // save

        kalenderKlick(steuer<QCalendarWidget>(b, QStringLiteral("mc_kursterminplaner")), kBeratungAm);
        auto* tag = steuer<widgets::DbGrid>(b, QStringLiteral("DBGrid3"));
        QCOMPARE(zeilen(tag), 1);
        QCOMPARE(zelle(tag, 0, QStringLiteral("THEMA")), kBeratungThema);
        bild(haupt(), QStringLiteral("08_beratung"));
        fensterSchliessen(haupt(), b);
        QVERIFY(!frm_beratungen);
    }

    // 9. Every printout in the preview: customer card and list, participant
    //    list and course date list.
    void ausdruckeVorschau() {
        Tfrm_kunden* k = kundeOeffnen(kKunden[0].name);
        QVERIFY(k);
        {
            report::PreviewCapture vorschau;
            klick(steuer(k, QStringLiteral("bb_kndkarte_drucken")));
            QCOMPARE(int(vorschau.shown.size()), 1);
            const report::ReportPages& s = vorschau.shown[0].second;
            QVERIFY(s.count() >= 1);
            for (const QString& t : {kSchule.name, kKunden[0].name, kKunden[0].vname, kKunden[0].str, kKunden[0].hund})
                QVERIFY2(gedruckt(s, t), qPrintable(t + " fehlt auf der Kundenkarte: " + s.allTexts().join(" | ")));
        }
        {
            report::PreviewCapture vorschau;
            klick(steuer(k, QStringLiteral("bb_kndliste_drucken")));
            QCOMPARE(int(vorschau.shown.size()), 1);
            const report::ReportPages& s = vorschau.shown[0].second;
            QVERIFY(s.count() >= 1);
            for (const Kunde& c : kKunden)
                QVERIFY2(gedruckt(s, c.name), qPrintable(c.name + " fehlt in der Kundenliste: " + s.allTexts().join(" | ")));
        }
        bild(haupt(), QStringLiteral("09_kunde"));

        Tfrm_kurse* w = kursfenster();
        QVERIFY(w);
        {
            report::PreviewCapture vorschau;
            klick(steuer(w, QStringLiteral("BitBtn2")));  // "Teilnehmerliste"
            QCOMPARE(int(vorschau.shown.size()), 1);
            const report::ReportPages& s = vorschau.shown[0].second;
            QVERIFY(s.count() >= 1);
            for (const QString& t : {kKursname, kKunden[0].name, kKunden[1].name, kKunden[0].hund, kKunden[1].hund})
                QVERIFY2(gedruckt(s, t), qPrintable(t + " fehlt in der Teilnehmerliste: " + s.allTexts().join(" | ")));
        }
        {
            report::PreviewCapture vorschau;
            klick(steuer(w, QStringLiteral("BitBtn1")));  // "Terminliste"
            QCOMPARE(int(vorschau.shown.size()), 1);
            const report::ReportPages& s = vorschau.shown[0].second;
            QVERIFY(s.count() >= 1);
            for (const QString& t : kThemen + QStringList{kKursname, QStringLiteral("05.05.2025")})
                QVERIFY2(gedruckt(s, t), qPrintable(t + " fehlt in der Terminliste: " + s.allTexts().join(" | ")));
        }
        fensterSchliessen(haupt(), w);
    }

    // 10. Customers with their dogs from a CSV file (Windows-1252, a title
    //     line), committed.
    void csvImportieren() {
        const QString datei = m_env->home() + QStringLiteral("/Altkunden.csv");
        QString inhalt = QStringLiteral("Nachname;Vorname;Ort;Hund\r\n");
        for (const QString& z : kImportKunden) inhalt += z + QStringLiteral("\r\n");
        shelltest::writeFile(datei, inhalt.toLatin1());  // Windows-1252 for these characters

        menue(haupt(), "Dateiimportieren1");
        Tfrm_datenimport* f = frm_datenimport.data();
        QVERIFY(f);
        dialoge().expectOpenFile(datei);
        klick(steuer(f, QStringLiteral("JvBitBtn1")));
        auto* datenGrid = steuer<QTableView>(f, QStringLiteral("jvsg1"));
        QCOMPARE(datenGrid->model()->index(0, 0).data().toString(), teil(kImportKunden[0], 0));
        QCOMPARE(datenGrid->model()->index(1, 3).data().toString(), teil(kImportKunden[1], 3));

        // The mapping: click the cell under a column, pick the target from the
        // popup menu.
        auto* zuordnung = steuer<QTableWidget>(f, QStringLiteral("jvsg2"));
        const QList<QPair<int, QString>> ziele = {{0, QStringLiteral("kunde.NAME")},
                                                  {1, QStringLiteral("kunde.VNAME")},
                                                  {2, QStringLiteral("kunde.ORT")},
                                                  {3, QStringLiteral("hund.NAME")}};
        for (const auto& [col, ziel] : ziele) {
            zeileKlicken(zuordnung, 0, col);
            QCOMPARE(zuordnung->currentColumn(), col);
            QMenu* sub = steuer<QMenu>(f, ziel.startsWith(QLatin1String("kunde.")) ? QStringLiteral("Kunde1")
                                                                                    : QStringLiteral("Hund1"));
            QAction* eintrag = nullptr;
            for (QAction* a : sub->actions())
                if (a->text() == ziel) eintrag = a;
            QVERIFY2(eintrag, qPrintable(ziel));
            eintrag->trigger();
            QCOMPARE(zuordnung->item(0, col) ? zuordnung->item(0, col)->text() : QString(), ziel);
        }
        klick(steuer(f, QStringLiteral("b_import")));
        auto* kunden = steuer<widgets::DbGrid>(f, QStringLiteral("dbg_kunde"));
        for (const QString& z : kImportKunden)
            QVERIFY2(zeileMit(kunden, QStringLiteral("NAME"), teil(z, 0)) >= 0, qPrintable(z));
        bild(haupt(), QStringLiteral("10_import"));
        klick(steuer(f, QStringLiteral("b_commit")));
        QVERIFY(steuer<QPushButton>(f, QStringLiteral("b_import"))->isEnabled());
        // The import window stays open: the program is closed over it.
    }

    // 11. The user closes the main window; the program ends. A mobile
    //     number typed into the customer window and not saved yet is saved
    //     by the closing.
    void programmBeenden() {
        QVERIFY(haupt());
        Tfrm_kunden* k = kundeOeffnen(kKunden[2].name);
        QVERIFY(k);
        tippen(steuer(k, QStringLiteral("DBEdit10")), kMobil);
        QVERIFY(haupt()->close());
        QCOMPARE(m_beendet, 1);
        // The daily backup made on the way out.
        QCOMPARE(QDir(m_env->home() + QStringLiteral("/sicherungen"))
                     .entryList({QStringLiteral("auto-kynovia-*.fbk")}, QDir::Files)
                     .size(),
                 1);
        m_programm.reset();
        QVERIFY(!frm_main);
        QVERIFY(!dm);
        QVERIFY(!frm_datenimport);
    }

    // 12. Started again, everything is there.
    void neustart() {
        starten();
        if (QTest::currentTestFailed()) return;
        // The first-start assistant stays off.
        QVERIFY(!haupt()->jcp_assistent->isVisible());
        bild(haupt(), QStringLiteral("12_neustart"));
    }

    void stammdatenNachNeustart() {
        QStringList gelesen;
        imDialog([] { return static_cast<QDialog*>(frm_stammdaten.data()); },
                 [&](QDialog* s) {
                     for (const char* n : {"dbe_hundeschule", "dbe_strasse", "dbe_plz", "dbe_ort"})
                         gelesen << steuer<QLineEdit>(s, QString::fromLatin1(n))->text();
                     klick(steuer(s, QStringLiteral("b_abbruch")));
                 });
        menue(haupt(), "Stammdaten1");
        QCOMPARE(gelesen, (QStringList{kSchule.name, kSchule.strasse, kSchule.plz, kSchule.ort}));

        klick(steuer(haupt(), QStringLiteral("JvaCaptionButton1")));
        QWidget* notiz = frm_notizblock.data();
        QVERIFY(notiz && notiz->isVisible());
        QCOMPARE(steuer<QPlainTextEdit>(notiz, QStringLiteral("dbm_notiz"))->toPlainText(), kNotiz);
        QVERIFY(steuer<QLineEdit>(notiz, QStringLiteral("dbe_datumzeit"))->text().startsWith(
            QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"))));
        notiz->close();
    }

    void trainerNachNeustart() {
        navigiere(haupt(), QStringLiteral("Trainer"), QStringLiteral("Übersicht"));
        Tfrm_trainer* w = frm_trainer.data();
        QVERIFY(w);
        auto* grid = steuer<widgets::DbGrid>(w, QStringLiteral("DBGrid1"));
        QCOMPARE(zeilen(grid), 2);
        for (const Trainer& t : kTrainer) {
            const int r = zeileMit(grid, QStringLiteral("NAME"), t.name);
            QVERIFY2(r >= 0, qPrintable(t.name));
            zeileKlicken(grid, r);
            QCOMPARE(steuer<QComboBox>(w, QStringLiteral("dbc_anrede"))->currentText(), t.anrede);
            QCOMPARE(steuer<QLineEdit>(w, QStringLiteral("dbe_kurzzeichen"))->text(), t.kurzzeichen);
            QCOMPARE(steuer<QLineEdit>(w, QStringLiteral("dbe_vname"))->text(), t.vname);
            QCOMPARE(steuer<QLineEdit>(w, QStringLiteral("dbe_str"))->text(), t.str);
            QCOMPARE(steuer<QLineEdit>(w, QStringLiteral("dbe_plz"))->text(), t.plz);
            QCOMPARE(steuer<QLineEdit>(w, QStringLiteral("dbe_ort"))->text(), t.ort);
            QCOMPARE(steuer<QLineEdit>(w, QStringLiteral("dbe_tel"))->text(), t.tel);
            QCOMPARE(steuer<QLineEdit>(w, QStringLiteral("dbe_email"))->text(), t.email);
        }
        bild(haupt(), QStringLiteral("12_trainer"));
        fensterSchliessen(haupt(), w);
    }

    void kundenNachNeustart() {
        for (const Kunde& c : kKunden) {
            Tfrm_kunden* k = kundeOeffnen(c.name);
            QVERIFY2(k, qPrintable(c.name));
            QCOMPARE(steuer<QComboBox>(k, QStringLiteral("dbc_anrede"))->currentText(), c.anrede);
            QCOMPARE(steuer<QLineEdit>(k, QStringLiteral("DBEdit2"))->text(), c.vname);
            QCOMPARE(steuer<QLineEdit>(k, QStringLiteral("DBEdit3"))->text(), c.name);
            QCOMPARE(steuer<QLineEdit>(k, QStringLiteral("DBEdit4"))->text(), c.str);
            QCOMPARE(steuer<QLineEdit>(k, QStringLiteral("DBEdit5"))->text(), c.plz);
            QCOMPARE(steuer<QLineEdit>(k, QStringLiteral("DBEdit6"))->text(), c.ort);
            QCOMPARE(steuer<QLineEdit>(k, QStringLiteral("DBEdit11"))->text(), c.tel);
            QCOMPARE(steuer<QLineEdit>(k, QStringLiteral("DBEdit10"))->text(), &c == &kKunden[2] ? kMobil : QString());
            QCOMPARE(steuer<QLineEdit>(k, QStringLiteral("DBEdit14"))->text(), c.hund);
            QCOMPARE(steuer<QComboBox>(k, QStringLiteral("dbcb_rasse"))->currentText(), c.rasse);
            QCOMPARE(steuer<QComboBox>(k, QStringLiteral("DBComboBox2"))->currentText(), c.geschlecht);
        }

        // Bello's questionnaire, diary and course.
        Tfrm_kunden* k = kundeOeffnen(kKunden[0].name);
        QVERIFY(k);
        QCOMPARE(steuer<QLineEdit>(k, QStringLiteral("dbe_chipnr"))->text(), kChipnr);
        QCOMPARE(steuer<QComboBox>(k, QStringLiteral("dbc_herkunft"))->currentText(), kHerkunft);
        QCOMPARE(steuer<QCheckBox>(k, QStringLiteral("dbchk_impfung"))->checkState(), Qt::Checked);
        QCOMPARE(steuer<QLineEdit>(k, QStringLiteral("dbe_impfung_text"))->text(), kImpfung);
        QCOMPARE(steuer<QComboBox>(k, QStringLiteral("dbc_verhalten_leine_ruede"))->currentText(), kLeineRuede);
        QCOMPARE(steuer<QCheckBox>(k, QStringLiteral("dbchk_abrufbar"))->checkState(), Qt::Unchecked);
        QCOMPARE(steuer<QLineEdit>(k, QStringLiteral("dbe_jagd_besonderheiten"))->text(), kJagd);
        QCOMPARE(steuer<QPlainTextEdit>(k, QStringLiteral("DBMemo2"))->toPlainText(), kProbleme);
        // The summary page says it as well.
        const QString zusammenfassung = steuer<QTextEdit>(k, QStringLiteral("re_anamnese"))->toPlainText();
        QVERIFY2(zusammenfassung.contains(kChipnr) && zusammenfassung.contains(kProbleme),
                 qPrintable(zusammenfassung));

        auto* tagebuch = steuer<widgets::DbGrid>(k, QStringLiteral("dbg_tagebuch"));
        QCOMPARE(zeilen(tagebuch), 1);
        QCOMPARE(zelle(tagebuch, 0, QStringLiteral("DATUM")), QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
        QCOMPARE(zelle(tagebuch, 0, QStringLiteral("TERMINART")), kTerminart);
        QCOMPARE(zelle(tagebuch, 0, QStringLiteral("GEPLANT")), kGeplant);
        QCOMPARE(zelle(tagebuch, 0, QStringLiteral("BEURTEILUNG")), kBeurteilung);

        seite(steuer<QTabWidget>(k, QStringLiteral("pg_kundendaten")), QStringLiteral("ts_aktive_kurse"));
        auto* kurse = steuer<widgets::DbGrid>(k, QStringLiteral("DBGrid1"));
        QCOMPARE(zeilen(kurse), 1);
        QCOMPARE(zelle(kurse, 0, QStringLiteral("KURSNAME")), kKursname);
        QCOMPARE(zelle(kurse, 0, QStringLiteral("BEZAHLT")), QStringLiteral("Ü"));
        bild(haupt(), QStringLiteral("12_kunde"));
        fensterSchliessen(haupt(), k);
    }

    void vorlageNachNeustart() {
        QString bezeichnung, rythmus;
        QStringList themen;
        imDialog([] { return static_cast<QDialog*>(frm_vorlagen_kurse.data()); },
                 [&](QDialog* v) {
                     auto* vorlagen = steuer<widgets::DbGrid>(v, QStringLiteral("DBGrid1"));
                     if (zeilen(vorlagen) == 1) {
                         bezeichnung = zelle(vorlagen, 0, QStringLiteral("BEZEICHNUNG"));
                         rythmus = zelle(vorlagen, 0, QStringLiteral("RYTHMUS"));
                     }
                     themen = spaltenTexte(steuer<widgets::DbGrid>(v, QStringLiteral("DBGrid2")), QStringLiteral("THEMA"));
                     klick(steuer(v, QStringLiteral("Button1")));
                 });
        menue(haupt(), "VorlagenKurse1");
        QCOMPARE(bezeichnung, kVorlage);
        QCOMPARE(rythmus, QStringLiteral("7"));
        QCOMPARE(themen, kThemen);
    }

    void kursNachNeustart() {
        Tfrm_kurse* w = kursfenster();
        QVERIFY(w);
        auto* kurse = steuer<widgets::DbGrid>(w, QStringLiteral("dbg_kurse"));
        QCOMPARE(zeilen(kurse), 1);
        QCOMPARE(zelle(kurse, 0, QStringLiteral("KURSART")), QStringLiteral("We"));
        QCOMPARE(zelle(kurse, 0, QStringLiteral("STATUS")), QStringLiteral("A"));
        QCOMPARE(zelle(kurse, 0, QStringLiteral("KURSNAME")), kKursname);
        QCOMPARE(zelle(kurse, 0, QStringLiteral("GEBUEHR")), QStringLiteral("89,50 €"));
        QCOMPARE(zelle(kurse, 0, QStringLiteral("KURSLEITER_ZEICHEN")), kTrainer[0].kurzzeichen);
        QCOMPARE(zelle(kurse, 0, QStringLiteral("MAXTEILNEHMER")), QStringLiteral("8"));
        QCOMPARE(steuer<QPlainTextEdit>(w, QStringLiteral("DBMemo1"))->toPlainText(),
                 QStringLiteral("Für Welpen bis 16 Wochen; bitte Leckerlis mitbringen."));

        auto* termine = steuer<widgets::DbGrid>(w, QStringLiteral("DBGrid2"));
        QCOMPARE(spaltenTexte(termine, QStringLiteral("DATUM")), kTermine);
        QCOMPARE(spaltenTexte(termine, QStringLiteral("UHRZEIT")), QStringList(3, QStringLiteral("18:30")));
        QCOMPARE(spaltenTexte(termine, QStringLiteral("THEMA")), kThemen);

        seite(steuer<QTabWidget>(w, QStringLiteral("pg_kurs")), QStringLiteral("ts_teilnehmer"));
        auto* tn = steuer<widgets::DbGrid>(w, QStringLiteral("DBGrid1"));
        QCOMPARE(spaltenTexte(tn, QStringLiteral("NAME")), (QStringList{kKunden[1].name, kKunden[0].name}));
        QCOMPARE(spaltenTexte(tn, QStringLiteral("VNAME")), (QStringList{kKunden[1].vname, kKunden[0].vname}));
        QCOMPARE(spaltenTexte(tn, QStringLiteral("HUNDNAME")), (QStringList{kKunden[1].hund, kKunden[0].hund}));
        QCOMPARE(spaltenTexte(tn, QStringLiteral("BEZAHLT")), (QStringList{QStringLiteral("B"), QStringLiteral("Ü")}));
        zeileKlicken(tn, 1);
        QCOMPARE(steuer<QPlainTextEdit>(w, QStringLiteral("DBMemo2"))->toPlainText(), kTeilnehmerKommentar);
        bild(haupt(), QStringLiteral("12_teilnehmer"));

        seite(steuer<QTabWidget>(w, QStringLiteral("pg_kurs")), QStringLiteral("ts_dokumente"));
        auto* kd = steuer<widgets::DbGrid>(w, QStringLiteral("dbg_dokumente"));
        QCOMPARE(zeilen(kd), 1);
        // The course documents show the first 20 characters of the name.
        QCOMPARE(zelle(kd, 0, QStringLiteral("BEZEICHNUNG")), kDokument.left(20));
        QCOMPARE(zelle(kd, 0, QStringLiteral("ART_ANZEIGE")), QStringLiteral("Infoblatt"));
        QCOMPARE(zelle(kd, 0, QStringLiteral("VERTEILER")), QStringLiteral("Alle"));
        fensterSchliessen(haupt(), w);
    }

    void dokumentNachNeustart() {
        navigiere(haupt(), QStringLiteral("Dokumente"), QStringLiteral("Verwaltung"));
        Tfrm_dokumente* d = frm_dokumente.data();
        QVERIFY(d);
        auto* grid = steuer<widgets::DbGrid>(d, QStringLiteral("dbg_dokumente"));
        QCOMPARE(zeilen(grid), 1);
        QCOMPARE(zelle(grid, 0, QStringLiteral("DOKUMENTNAME")), kDokument);
        QCOMPARE(zelle(grid, 0, QStringLiteral("DOKUMENTART")), QStringLiteral("I"));
        QCOMPARE(zelle(grid, 0, QStringLiteral("VERTEILUNGSART")), QStringLiteral("Alle"));
        QCOMPARE(zelle(grid, 0, QStringLiteral("PFAD")), m_dokumentPfad);
        fensterSchliessen(haupt(), d);
    }

    void beratungNachNeustart() {
        navigiere(haupt(), QStringLiteral("Termine"), QStringLiteral("Anzeigen"));
        Tfrm_beratungen* b = frm_beratungen.data();
        QVERIFY(b);
        auto* kalender = steuer<widgets::MonthCalendar>(b, QStringLiteral("mc_kursterminplaner"));
        kalenderKlick(kalender, kBeratungAm);
        // The days with dates are bold: the consultation and the course's.
        QTRY_VERIFY(kalender->isBold(kBeratungAm));
        QVERIFY(kalender->isBold(kErsterTermin));
        QVERIFY(!kalender->isBold(kBeratungAm.addDays(1)));
        auto* tag = steuer<widgets::DbGrid>(b, QStringLiteral("DBGrid3"));
        QCOMPARE(zeilen(tag), 1);
        const Kunde& c = kKunden[2];
        QCOMPARE(zelle(tag, 0, QStringLiteral("UHRZEIT")), QStringLiteral("10:00"));
        QCOMPARE(zelle(tag, 0, QStringLiteral("KURSART")), QStringLiteral("EB"));
        QCOMPARE(zelle(tag, 0, QStringLiteral("THEMA")), kBeratungThema);
        QCOMPARE(zelle(tag, 0, QStringLiteral("ORT")), c.name + QStringLiteral(", ") + c.plz + QLatin1Char(' ') + c.ort);
        QCOMPARE(zelle(tag, 0, QStringLiteral("KONTAKT")), QStringLiteral("Tel:") + c.tel + QStringLiteral(", "));
        // A course date shows in the same day list.
        kalenderKlick(kalender, kErsterTermin);
        QCOMPARE(zeilen(tag), 1);
        QCOMPARE(zelle(tag, 0, QStringLiteral("THEMA")), kThemen[0]);
        bild(haupt(), QStringLiteral("12_beratung"));
        fensterSchliessen(haupt(), b);
    }

    void importNachNeustart() {
        navigiere(haupt(), QStringLiteral("Kunden"), QStringLiteral("Übersicht"));
        Tfrm_kunden* k = frm_kunden.data();
        QVERIFY(k);
        auto* grid = steuer<widgets::DbGrid>(k, QStringLiteral("dbg_kunde"));
        QCOMPARE(zeilen(grid), 5);
        // The count in the status bar follows shortly after the list opened.
        QTRY_COMPARE(steuer<QLabel>(haupt(), QStringLiteral("StatusPanel1"))->text(), QStringLiteral("5 Kunden"));
        for (const QString& z : kImportKunden) {
            const int r = zeileMit(grid, QStringLiteral("NAME"), teil(z, 0));
            QVERIFY2(r >= 0, qPrintable(z));
            QCOMPARE(zelle(grid, r, QStringLiteral("VNAME")), teil(z, 1));
            QCOMPARE(zelle(grid, r, QStringLiteral("ORT")), teil(z, 2));
            zeileDoppelklicken(grid, r, spalte(grid, QStringLiteral("NAME")));
            QCOMPARE(steuer<QLineEdit>(k, QStringLiteral("DBEdit14"))->text(), teil(z, 3));
            navigiere(haupt(), QStringLiteral("Kunden"), QStringLiteral("Übersicht"));
        }
        bild(haupt(), QStringLiteral("12_kundenliste"));
        // The search over all columns: the town of an imported customer.
        navigiere(haupt(), QStringLiteral("Kunden"), QStringLiteral("Suchen"));
        auto* such = steuer(k, QStringLiteral("suchtext_kunde"));
        tippen(such, teil(kImportKunden[0], 2));
        QTest::keyClick(such, Qt::Key_Return);
        QCOMPARE(spaltenTexte(grid, QStringLiteral("NAME")), QStringList{teil(kImportKunden[0], 0)});
        QVERIFY(haupt()->close());
        QCOMPARE(m_beendet, 1);
        m_programm.reset();
    }
};

KYN_TEST(WalkthroughTest)
#include "walkthrough_test.moc"
