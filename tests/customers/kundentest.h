#pragma once
// Helpers of the customer tests: a fresh database with the data module, the
// breed list in the current directory (as the program expects it), scripted
// dialogs and a recording shell, and the customer and dog windows.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <memory>

#include "customers/hunde.h"
#include "customers/kundenstamm.h"
#include "data/datenmodul.h"
#include "db/statement.h"
#include "platform/scripteddialogs.h"
#include "platform/shell.h"
#include "testenv.h"

namespace kundentest {

inline QString sourceDir() {
    const QString env = qEnvironmentVariable("KYNOVIA_SOURCE_DIR");
    if (!env.isEmpty()) return env;
    return QFileInfo(QStringLiteral(__FILE__)).absoluteDir().absoluteFilePath(QStringLiteral("../.."));
}

struct Umgebung {
    TestEnv env;
    QString alterOrdner = QDir::currentPath();
    std::unique_ptr<Tdm> modul;
    platform::ScopedScriptedDialogs dialoge;
    platform::ScopedRecordingShell shell;
    std::unique_ptr<Tfrm_kunden> kunden;
    std::unique_ptr<Tfrm_hunde> hunde;

    // The breed list lies in the current directory unless `rassen` is false.
    explicit Umgebung(bool rassen = true) {
        env.createDatabase();
        QDir::setCurrent(env.home());
        if (rassen) QFile::copy(sourceDir() + QStringLiteral("/resources/rassen.txt"), QStringLiteral("rassen.txt"));
        modul = std::make_unique<Tdm>();
        modul->connectTo(env.databasePath());
        dm = modul.get();
    }
    ~Umgebung() {
        hunde.reset();
        kunden.reset();
        modul.reset();
        QDir::setCurrent(alterOrdner);
    }

    void exec(const QString& sql) {
        db::Statement s(modul->idb.get(), modul->ibt);
        s.prepare(sql);
        s.execute();
    }
    QVariant wert(const QString& sql) {
        db::Statement s(modul->idb.get(), modul->ibt);
        return s.scalar(sql);
    }

    // The customer window as the main window opens it: datasets open, shown,
    // active.
    Tfrm_kunden* kundenfenster() {
        kunden = std::make_unique<Tfrm_kunden>(*modul);
        frm_kunden = kunden.get();
        modul->ibt_kunde->open();
        modul->ibt_kunde_hunde->open();
        modul->ibt_hundetagebuch->open();
        zeigen(kunden.get());
        return kunden.get();
    }
    Tfrm_hunde* hundefenster() {
        hunde = std::make_unique<Tfrm_hunde>(*modul);
        frm_hunde = hunde.get();
        modul->ibt_hunde->open();
        zeigen(hunde.get());
        return hunde.get();
    }
    static void zeigen(QWidget* w) {
        w->resize(1280, 860);
        w->show();
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
    }
};

// Customers and dogs that look like a school's.
inline void beispieldaten(Umgebung& u) {
    u.exec("insert into kunden (kndnr, aufgenommen_am, anrede, vname, name, str, plz, ort, tel, mobil, email, "
           "kommentar) values (1, \"03.02.2023 10:15\", \"Frau\", \"Sabine\", \"Müller\", \"Lindenweg 4\", "
           "\"24103\", \"Kiel\", \"0431/556677\", \"0171/2233445\", \"sabine.mueller@example.de\", "
           "\"kommt mit zwei Hunden\")");
    u.exec("insert into kunden (kndnr, aufgenommen_am, anrede, vname, name, str, plz, ort, tel) values (2, "
           "\"11.05.2023 16:40\", \"Herr\", \"Jörg\", \"Schröder\", \"Am Deich 17\", \"25813\", \"Husum\", "
           "\"04841/9988\")");
    u.exec("insert into kunden (kndnr, aufgenommen_am, anrede, vname, name, str, plz, ort, email) values (3, "
           "\"20.09.2023 09:00\", \"Familie\", \"\", \"O'Brien\", \"Hafenstraße 2\", \"24937\", \"Flensburg\", "
           "\"obrien@example.ie\")");
    u.exec("insert into hunde (hundnr, kndnr, name, rasse, geschlecht, geburtsjahr, geboren_am, chipnr, "
           "haftpflichtnr, herkunft, zwingername, kastration, kastzeitpunkt, futter, futtermarke, probleme, "
           "tierarzt, anamese_aufgenommen_am, anspringen_fremde, jagd_bei_sicht) values (1, 1, \"Balu\", "
           "\"Labrador Retriever\", \"Rüde\", 2020, \"01.01.2020\", \"276098106543210\", \"HV-4711\", "
           "\"Züchter VDH\", \"vom Lindenhof\", \"Kastriert\", \"2022\", \"BARF\", \"Eigenmischung\", \"zieht "
           "stark an der Leine\", \"Dr. Hansen, Kiel\", \"03.02.2023\", \"N\", \"J\")");
    u.exec("insert into hunde (hundnr, kndnr, name, rasse, geschlecht, geburtsjahr, probleme, "
           "anamese_aufgenommen_am) values (2, 1, \"Frieda\", \"Border Collie\", \"Hündin\", 2022, \"hütet "
           "Kinder\", \"10.06.2023\")");
    u.exec("insert into hunde (hundnr, kndnr, name, rasse, geschlecht, geburtsjahr, chipnr, "
           "anamese_aufgenommen_am) values (3, 2, \"Rocky\", \"Deutscher Schäferhund\", \"Rüde\", 2019, "
           "\"ABC2005\", \"11.05.2023\")");
    u.exec("insert into hunde_tagebuch (hundnr, datum, terminart, geplant, durchgefuehrt, beurteilung) values "
           "(1, \"10.03.2023\", \"Einzelstunde\", \"Leinenführigkeit\", \"Richtungswechsel\", \"gut mitgemacht\")");
    u.exec("insert into hunde_tagebuch (hundnr, datum, terminart, geplant) values (1, \"24.03.2023\", "
           "\"Gruppenkurs\", \"Rückruf\")");
}

// The sample customers (Müller with two dogs and a diary), a course with
// two dates that both of her dogs take, a second course, and consultation
// appointments: one naming her, one of Schröder.
inline void kursdaten(Umgebung& u) {
    u.exec("insert into kurse (kursnr, kursart, kursname, gebuehr, status) values (1, \"We\", \"Welpen Mai\", 149.5, \"A\")");
    u.exec("insert into kurse (kursnr, kursart, kursname, status) values (2, \"Ag\", \"Agility\", \"B\")");
    u.exec("insert into kurstermine (kursnr, datum, thema) values (1, \"05.05.2023\", \"Start\")");
    u.exec("insert into kurstermine (kursnr, datum, thema) values (2, \"06.06.2023\", \"Tunnel\")");
    u.exec("insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (1, 1, 1, 1, \"Ü\")");
    u.exec("insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (2, 2, 1, 2, \"N\")");
    u.exec("insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (3, 1, 2, 3, \"B\")");
    u.exec("insert into kurstermine (kursnr, datum, thema, uhrzeit, ort, kontakt) values (-1, \"07.03.2023 10:00\", "
           "\"Beratung Leine\", \"07.03.2023 10:00\", \"Müller, 24103 Kiel\", \"Tel:0431/556677, 0171/2233445\")");
    u.exec("insert into kurstermine (kursnr, datum, thema, ort) values (-1, \"09.03.2023 12:00\", \"Einzelstunde\", "
           "\"Schröder, 25813 Husum\")");
    u.modul->ibt->commit();
}

// The widget that has the focus, or its control when the focus is in a
// control's own part (the line edit of a combo box).
inline bool hatFokus(QWidget* control) {
    QWidget* f = QApplication::focusWidget();
    return f && (f == control || control->isAncestorOf(f));
}

}  // namespace kundentest
