// Screenshots of the course and consultations windows with a few real-looking
// rows. Runs only when KYN_SHOT names a directory:
//   KYN_SHOT=/tmp/shots xvfb-run -a -s "-screen 0 1400x900x24" tests_courses ScreenshotDemo
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTabWidget>
#include <QTest>

#include "courses/keyedit.h"
#include "kursetestutil.h"
#include "platform/scripteddialogs.h"
#include "testregistry.h"
#include "widgets/dbgrid.h"
#include "widgets/monthcalendar.h"

using namespace kurstest;

namespace {

void daten(Fixture& f) {
    const QDate heute = QDate::currentDate();
    auto tag = [&](int d, const char* zeit) {
        QDate x(heute.year(), heute.month(), std::min(d, heute.daysInMonth()));
        return x.toString("dd.MM.yyyy") + " " + zeit;
    };
    f.trainer(1, "Anna", "Schmidt", "AS");
    f.trainer(2, "Bernd", "Krüger", "BK");
    f.run("insert into kurse (kursnr, kursart, kursname, status, gebuehr, kursleiter, maxteilnehmer, anzahl_teilnehmer, "
          "beschreibung) values (1, \"Ju\", \"Junghunde Frühjahr\", \"A\", 120.5, 1, 8, 3, "
          "\"Grundgehorsam für Hunde von 5 bis 12 Monaten. Treffpunkt: Hundewiese am Stadtpark.\")");
    f.run("insert into kurse (kursnr, kursart, kursname, status, gebuehr, kursleiter, maxteilnehmer, anzahl_teilnehmer) "
          "values (2, \"We\", \"Welpenspielstunde\", \"A\", 60, 2, 6, 2)");
    f.run("insert into kurse (kursnr, kursart, kursname, status, gebuehr, maxteilnehmer) "
          "values (3, \"Ag\", \"Agility Einsteiger\", \"P\", 150, 10)");
    f.run("insert into kurse (kursnr, kursart, kursname, status, gebuehr, kursleiter) "
          "values (4, \"Fa\", \"Begleithundeprüfung\", \"B\", 95, 1)");
    f.termin(1, tag(3, "18:30:00"), "Einführung, Leinenführigkeit");
    f.termin(1, tag(10, "18:30:00"), "Sitz, Platz, Bleib");
    f.termin(1, tag(17, "18:30:00"), "Rückruf im Freilauf");
    f.termin(1, tag(24, "18:30:00"), "Begegnungen mit Radfahrern");
    f.termin(1, tag(31, "18:30:00"), "Abschluss und Grillen");
    f.termin(2, tag(10, "10:00:00"), "Spielgruppe");
    f.termin(2, tag(heute.day(), "16:00:00"), "Welpen heute");
    f.termin(1, tag(heute.day(), "19:45:00"), "Kursabend heute");
    f.run(QString("insert into kurstermine (kursnr, datum, uhrzeit, thema, ort, kontakt) values (-1, \"%1\", \"%1\", "
                  "\"Erstgespräch Leinenaggression\", \"Meier, 12345 Berlin\", \"Tel:030 1234, 0170 5555\")")
              .arg(tag(heute.day(), "12:00:00")));
    f.kunde(1, "Meier", "Hans", "030 1234", "12345", "Berlin", "0170 5555");
    f.kunde(2, "Albers", "Anna", "040 555", "20095", "Hamburg");
    f.kunde(3, "Zorn", QString(), "089 77", "80331", "München");
    f.kunde(4, "Öztürk", "Aylin", "0221 123", "50667", "Köln");
    f.hund(1, 1, "Rex");
    f.hund(2, 2, "Bello");
    f.hund(3, 3, "Rex II");
    f.hund(4, 4, "Luna");
    f.teilnehmer(1, 1, 1, 1, "B");
    f.teilnehmer(2, 1, 2, 2, "Ü");
    f.teilnehmer(3, 1, 3, 3);
    f.teilnehmer(4, 1, 4, 4, "L");
    f.run("update teilnehmer set kommentar = 'zahlt bar beim zweiten Termin' where id = 3");
    f.dokument(1, "Anmeldeformular Junghunde", "A", "Alle", "/tmp/anmeldung.pdf");
    f.dokument(2, "Kursinfo Junghunde", "K", "Kursleiter", "/tmp/info.pdf");
    f.run("insert into kurs_dokumente (kursnr, doknr, verteiler) values (1, 1, \"Alle\")");
    f.run("insert into kurs_dokumente (kursnr, doknr, verteiler) values (1, 2, \"Kursleiter\")");
}

void speichere(QWidget* w, const QString& name) {
    const QString dir = qEnvironmentVariable("KYN_SHOT");
    QDir().mkpath(dir);
    QTest::qWait(300);
    w->grab().save(dir + "/" + name + ".png");
    if (QScreen* s = QGuiApplication::primaryScreen()) s->grabWindow(0).save(dir + "/" + name + "_screen.png");
}

}  // namespace

class ScreenshotDemo : public QObject {
    Q_OBJECT
private slots:
    void windows() {
        if (qEnvironmentVariableIsEmpty("KYN_SHOT")) QSKIP("KYN_SHOT not set");
        Fixture f;
        daten(f);
        platform::ScopedScriptedDialogs d;
        d.setAcknowledgeMessages(true);
        Tfrm_kurse* w = f.kursfenster();
        w->move(0, 0);
        w->resize(1380, 860);
        f.zuKurs(1);
        f.module->ibt_kurstermine->first();
        w->e_anztermine->setText("5");
        w->e_erster_termin_am->setText(QDate::currentDate().toString("dd.MM.yyyy"));
        w->e_uhrzeit->setText("18:30");
        w->e_alle_x_tage->setText("7");
        w->mc_kursterminplaner->setSelectedDate(QDate::currentDate());
        w->tagesliste(QDate::currentDate());
        speichere(w, "kurse_termine");
        w->pg_kurs->setCurrentWidget(w->ts_teilnehmer);
        f.module->ibq_teilnehmer->locate("NAME", "Zorn");
        speichere(w, "kurse_teilnehmer");
        w->pg_kurs->setCurrentWidget(w->ts_dokumente);
        speichere(w, "kurse_dokumente");
        Tfrm_teilnehmer_add dlg(*f.module);
        dlg.move(100, 100);
        dlg.show();
        dlg.e_suchtext->setText("e");
        dlg.e_suchtext->setFocus();
        QTest::keyClick(dlg.e_suchtext, Qt::Key_Return);
        speichere(&dlg, "teilnehmer_add");
        dlg.hide();
        delete w;

        Tfrm_beratungen* b = f.beratungsfenster();
        b->move(0, 0);
        b->resize(1380, 860);
        b->mc_kursterminplaner->setSelectedDate(QDate::currentDate());
        b->tagesliste(QDate::currentDate());
        f.module->ibt_kunde->first();
        b->dbg_kundeDblClick();
        b->e_termin_am->setText(QDate::currentDate().toString("dd.MM.yyyy"));
        b->e_uhrzeit->setText("14:00");
        b->e_thema->setText("Einzelstunde Rückruf");
        speichere(b, "beratungen");
    }
};

KYN_TEST(ScreenshotDemo)

#include "fenster_bilder.moc"
