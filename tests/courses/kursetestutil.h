#pragma once
// Helpers of the course window tests: a fresh database with the data module
// and the pick-list dialog, rows put in by plain SQL, the windows shown and
// made active, and answers for the modal dialogs.
#include <QAbstractItemModel>
#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "courses/auswahl.h"
#include "courses/beratungen.h"
#include "courses/dlg_teilnehmer_add.h"
#include "courses/kurse.h"
#include "courses/qr_teilnehmerliste.h"
#include "courses/qr_terminliste.h"
#include "data/datenmodul.h"
#include "db/statement.h"
#include "db/transaction.h"
#include "testenv.h"

namespace kurstest {

// Shows a top-level widget and makes it the active window, so that focus
// changes deliver focus events offscreen.
inline bool zeigeAktiv(QWidget* w) {
    w->show();
    QApplication::setActiveWindow(w);
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}

// Runs `act` on a modal dialog as soon as it is visible (`finde` returns
// the dialog), then rejects the dialog if `act` left it open, so that a test
// never hangs. Gives up after two seconds.
inline void wennSichtbar(std::function<QDialog*()> finde, std::function<void(QDialog*)> act) {
    auto* t = new QTimer;
    t->setInterval(5);
    auto versuche = std::make_shared<int>(0);
    QObject::connect(t, &QTimer::timeout, [t, versuche, finde, act] {
        QDialog* d = finde();
        if (d && d->isVisible()) {
            t->stop();
            t->deleteLater();
            act(d);
            if (d->isVisible()) d->reject();
            return;
        }
        if (++*versuche > 400) {
            t->stop();
            t->deleteLater();
        }
    });
    t->start();
}

// What the pick-list dialog showed.
struct Auswahl {
    bool gezeigt = false;
    QString caption;
    QStringList titel;
    int zeilen = -1;
};

// Answers the next pick-list dialog: chooses the row whose first column
// equals `schluessel`, or cancels when `schluessel` is invalid.
inline void waehleNaechste(const QVariant& schluessel, Auswahl* gesehen = nullptr) {
    wennSichtbar([] { return static_cast<QDialog*>(frm_auswahl.data()); },
                 [schluessel, gesehen](QDialog*) {
                     Tfrm_auswahl* f = frm_auswahl.data();
                     QAbstractItemModel* model = f->DBGrid1->model();
                     if (gesehen) {
                         gesehen->gezeigt = true;
                         gesehen->caption = f->windowTitle();
                         for (int c = 0; c < model->columnCount(); ++c)
                             gesehen->titel << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
                         gesehen->zeilen = model->rowCount();
                     }
                     if (!schluessel.isValid()) {
                         f->Button2Click();
                         return;
                     }
                     for (int r = 0; r < model->rowCount(); ++r) {
                         if (model->index(r, 0).data().toString() == schluessel.toString()) {
                             f->DBGrid1->setCurrentIndex(model->index(r, 0));
                             f->b_auswaehlenClick();
                             return;
                         }
                     }
                     f->Button2Click();
                 });
}

// A test database with the data module, the pick-list dialog and, on
// request, the windows. Everything goes before the data module does.
struct Fixture {
    TestEnv env;
    std::unique_ptr<Tdm> module;
    std::unique_ptr<Tfrm_auswahl> auswahl;
    std::unique_ptr<Tfrm_teilnehmer_add> teilnehmerAdd;
    std::unique_ptr<Tfrm_qr_teilnehmerliste> qrTeilnehmerliste;
    std::unique_ptr<Tfrm_qr_terminliste> qrTerminliste;
    QPointer<Tfrm_kurse> kurse;
    QPointer<Tfrm_beratungen> beratungen;

    Fixture() {
        env.createDatabase();
        module = std::make_unique<Tdm>();
        module->connectTo(env.databasePath());
        dm = module.get();
        auswahl = std::make_unique<Tfrm_auswahl>(*module);
        frm_auswahl = auswahl.get();
        connectAuswahl(*module);
        // The course window's dialog and printouts, as the program makes
        // them at its start.
        teilnehmerAdd = std::make_unique<Tfrm_teilnehmer_add>(*module);
        frm_teilnehmer_add = teilnehmerAdd.get();
        qrTeilnehmerliste = std::make_unique<Tfrm_qr_teilnehmerliste>(*module);
        frm_qr_teilnehmerliste = qrTeilnehmerliste.get();
        qrTerminliste = std::make_unique<Tfrm_qr_terminliste>(*module);
        frm_qr_terminliste = qrTerminliste.get();
    }
    ~Fixture() {
        delete kurse.data();
        delete beratungen.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        qrTerminliste.reset();
        qrTeilnehmerliste.reset();
        teilnehmerAdd.reset();
        auswahl.reset();
        dm = nullptr;
        module.reset();
    }

    void run(const QString& sql) {
        db::Statement s(module->idb.get(), module->ibt);
        s.prepare(sql);
        s.execute();
    }
    QVariant ask(const QString& sql) {
        db::Statement s(module->idb.get(), module->ibt);
        return s.scalar(sql);
    }
    // What another transaction sees: only what is committed.
    QVariant askCommitted(const QString& sql) {
        db::Transaction t(module->idb.get(), db::Transaction::Isolation::ReadCommitted);
        QVariant v;
        {
            db::Statement s(module->idb.get(), &t);
            v = s.scalar(sql);
        }
        t.commit();
        return v;
    }
    QList<QVariantList> rows(const QString& sql) {
        db::Statement s(module->idb.get(), module->ibt);
        s.prepare(sql);
        s.open();
        QList<QVariantList> r;
        while (s.fetch()) r << s.row().toList();
        return r;
    }

    // --- rows ---
    void kurs(int nr, const QString& art, const QString& name, const QString& status = QStringLiteral("A")) {
        run(QStringLiteral("insert into kurse (kursnr, kursart, kursname, status) values (%1, \"%2\", \"%3\", \"%4\")")
                .arg(nr)
                .arg(art, name, status));
    }
    void termin(int kursnr, const QString& wann, const QString& thema = QString()) {
        run(QStringLiteral("insert into kurstermine (kursnr, datum, uhrzeit, thema) values (%1, \"%2\", \"%2\", %3)")
                .arg(kursnr)
                .arg(wann, thema.isNull() ? QStringLiteral("null") : QStringLiteral("\"") + thema + "\""));
    }
    void kunde(int nr, const QString& name, const QString& vname = QString(), const QString& tel = QString(),
               const QString& plz = QString(), const QString& ort = QString(), const QString& mobil = QString()) {
        db::Statement s(module->idb.get(), module->ibt);
        s.prepare(QStringLiteral("insert into kunden (kndnr, name, vname, tel, plz, ort, mobil) values (?,?,?,?,?,?,?)"));
        s.setParam(0, nr);
        auto v = [](const QString& t) { return t.isNull() ? QVariant() : QVariant(t); };
        s.setParam(1, v(name));
        s.setParam(2, v(vname));
        s.setParam(3, v(tel));
        s.setParam(4, v(plz));
        s.setParam(5, v(ort));
        s.setParam(6, v(mobil));
        s.execute();
    }
    void hund(int nr, int kndnr, const QString& name) {
        db::Statement s(module->idb.get(), module->ibt);
        s.prepare(QStringLiteral("insert into hunde (hundnr, kndnr, name) values (?,?,?)"));
        s.setParam(0, nr);
        s.setParam(1, kndnr);
        s.setParam(2, name);
        s.execute();
    }
    void teilnehmer(int id, int kursnr, int kndnr, int hundnr, const QString& bezahlt = QStringLiteral("N")) {
        run(QStringLiteral("insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (%1, %2, %3, %4, \"%5\")")
                .arg(id)
                .arg(kursnr)
                .arg(kndnr)
                .arg(hundnr)
                .arg(bezahlt));
    }
    void trainer(int nr, const QString& vname, const QString& name, const QString& zeichen) {
        run(QStringLiteral("insert into trainer (trainernr, vname, name, kurzzeichen) values (%1, \"%2\", \"%3\", \"%4\")")
                .arg(nr)
                .arg(vname, name, zeichen));
    }
    void dokument(int nr, const QString& name, const QString& art, const QString& verteiler, const QString& pfad) {
        run(QStringLiteral("insert into dokumente (doknr, dokumentname, dokumentart, verteilungsart, pfad) "
                           "values (%1, \"%2\", \"%3\", \"%4\", \"%5\")")
                .arg(nr)
                .arg(name, art, verteiler, pfad));
    }
    void vorlage(int nr, const QString& bezeichnung, const QVariant& rythmus, const QStringList& themen) {
        run(QStringLiteral("insert into vorlagen_kurse (vorlagennr, bezeichnung, rythmus) values (%1, \"%2\", %3)")
                .arg(nr)
                .arg(bezeichnung, rythmus.isValid() ? rythmus.toString() : QStringLiteral("null")));
        // Inserted in reverse order: the dates must follow TERMINNR, not
        // the order of storage.
        for (int i = themen.size(); i >= 1; --i)
            run(QStringLiteral("insert into vorlagen_kurstermine (vorlagennr, terminnr, thema) values (%1, %2, \"%3\")")
                    .arg(nr)
                    .arg(i)
                    .arg(themen.at(i - 1)));
    }

    // --- windows ---
    Tfrm_kurse* kursfenster() {
        kurse = new Tfrm_kurse(*module);
        frm_kurse = kurse;
        kurse->resize(1200, 800);
        if (!zeigeAktiv(kurse)) qWarning("course window not active");
        return kurse;
    }
    Tfrm_beratungen* beratungsfenster() {
        beratungen = new Tfrm_beratungen(*module);
        frm_beratungen = beratungen;
        beratungen->resize(1200, 800);
        module->ibt_kunde->open();
        if (!zeigeAktiv(beratungen)) qWarning("consultations window not active");
        return beratungen;
    }
    // Makes the course with this number current.
    bool zuKurs(int nr) { return module->ibt_kurse->locate(QStringLiteral("KURSNR"), nr); }
};

// "05.12.2005 18:30:00" as the database layer carries it.
inline QDateTime zeit(const QString& text) {
    QDateTime dt;
    db::fmt::parseDateTime(text, &dt);
    return dt;
}

// The windows' messages, as the user reads them.
namespace meldungen {
inline const QString anzahl = QStringLiteral(
    "Die Anzahl der Termine wurde nicht eingetragen oder ist keine korrekte Zahl. Tragen Sie z.B. für zehn "
    "Termine eine 10 ein.");
inline const QString ersterTermin = QStringLiteral(
    "Es wurde kein Datum für den ersten Termin eingetragen oder es ist ein ungültiges Datum. Benutzen Sie am "
    "besten den Kalender um das erste Datum der Termin zu bestimmen.");
inline const QString intervall = QStringLiteral(
    "Es wurde kein oder kein korrekter Wert in das Feld \"und dann alle x Tage\" eingetragen. Geben Sie hier "
    "bitte den Wert an, der angibt wie die Termine aufeinander folgen sollen, also z.B. 7, wenn alle sieben "
    "Tage ein Kurs stattfinden soll.");
inline const QString intervallVorlage = QStringLiteral(
    "Es wurde kein oder kein korrekter Wert in das Feld \"und dann alle x Tage\" eingetragen, auch in der "
    "Vorlage ist dieser Wert nicht definiert. Geben bitte den Wert an, der angibt wie die Termine aufeinander "
    "folgen sollen, also z.B. 7, wenn alle sieben Tage ein Kurs stattfinden soll.");
inline const QString rhythmusVorlageMinus7 = QStringLiteral(
    "Die Vorlage hat beim Wert \"alle n Tage\" die Zahl -7. Termine werden nur vorwärts eingetragen: Tragen "
    "Sie bei der Vorlage bitte 1 oder mehr ein oder lassen Sie das Feld leer, dann gilt der Wert aus dem Feld "
    "\"und dann alle x Tage\".");
inline const QString uhrzeitKurs = QStringLiteral("Das Feld 'um:' enthält keine gültige Uhrzeit.");
inline const QString keinKurs = QStringLiteral(
    "Es ist kein Kurs ausgewählt. Legen Sie bitte zuerst einen Kurs an oder wählen Sie den Kurs aus, zu dem "
    "die Termine eingetragen werden sollen.");
inline const QString datumsbereich = QStringLiteral(
    "Die Termine würden außerhalb des gültigen Datumsbereichs (01.01.0001 bis 31.12.9999) liegen. Prüfen Sie "
    "bitte die Anzahl der Termine und den Abstand \"und dann alle x Tage\".");
inline const QString datumBeratung = QStringLiteral(
    "Es wurde kein Datum für den Termin eingetragen oder es ist ein ungültiges Datum. Benutzen Sie am besten "
    "den Kalender um das Datum des Termins zu bestimmen.");
inline const QString uhrzeitBeratung = QStringLiteral("Das Feld 'um' enthält keine gültige Uhrzeit.");
inline const QString datumBisTerminsuche = QStringLiteral(
    "Das Datum im Feld \"bis\" ist kein gültiges Datum. Bitte geben Sie es als TT.MM.JJJJ ein (z.B. 05.12.2026) "
    "oder lassen Sie das Feld leer.");
// The save check's message for the course data and for the course dates.
inline const QString sichernKursdaten = QStringLiteral(
    "Die Änderungen an den Kursdaten konnten nicht gesichert werden, da diese nicht vollständig oder nicht "
    "korrekt sind ! (Datumsformate korrekt ? Buchstaben in Zahlenfeldern ?) Vervollständigen oder korrigieren "
    "Sie bitte zunächst die Änderungen oder verwerfen Sie diese.");
inline const QString sichernTermindaten = QStringLiteral(
    "Die Änderungen an den Termindaten des Kurses konnten nicht gesichert werden, da diese nicht vollständig "
    "oder nicht korrekt sind ! (Datumsformate korrekt ? Buchstaben in Zahlenfeldern ?) Vervollständigen oder "
    "korrigieren Sie bitte zunächst die Änderungen oder verwerfen Sie diese.");
}  // namespace meldungen

}  // namespace kurstest
