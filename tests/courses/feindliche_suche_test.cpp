// Hostile texts typed into the search boxes of the consultations window and
// the add-participant dialog and searched with Enter, on a real database:
// no error box, the customer table and the dialog's query stay open, the
// statement keeps its shape whatever the text holds, and the rows found are
// exactly those a plain LIKE match over the rows put in finds.
#include <QTest>

#include "courses/keyedit.h"
#include "data/kundensuche.h"
#include "feindlichetexte.h"
#include "kursetestutil.h"
#include "platform/scripteddialogs.h"
#include "testregistry.h"
#include "umlautsuche.h"
#include "widgets/dbgrid.h"

using namespace kurstest;

class FeindlicheSucheKurseTest : public QObject {
    Q_OBJECT
    // One database, one consultations window and one dialog for every row
    // (the searches only read).
    std::unique_ptr<Fixture> m_f;
    std::unique_ptr<Tfrm_teilnehmer_add> m_dlg;
    std::unique_ptr<platform::ScopedScriptedDialogs> m_d;

private slots:
    void initTestCase() {
        m_f = std::make_unique<Fixture>();
        feindlich::einfuegen(m_f->module->idb.get(), m_f->module->ibt);
        m_f->beratungsfenster();
        m_dlg = std::make_unique<Tfrm_teilnehmer_add>(*m_f->module);
        m_d = std::make_unique<platform::ScopedScriptedDialogs>();
    }
    void cleanupTestCase() {
        m_d.reset();
        m_dlg.reset();
        m_f.reset();
    }
    void init() { m_d->clear(); }

    void consultationsSearchBox_data() { feindlich::texte(); }
    void consultationsSearchBox() {
        QFETCH(QString, text);
        Tfrm_beratungen* w = m_f->beratungen;
        db::Table* k = m_f->module->ibt_kunde;
        QVERIFY(zeigeAktiv(w));
        feindlich::suchen(w->suchtext_kunde, text);
        KYN_VERIFY_DIALOGS(*m_d);
        QCOMPARE(w->suchtext_kunde->text(), text);
        QVERIFY(k->isActive());
        QVERIFY(k->filtered());
        if (k->filter() != QLatin1String(suchbedingung_nichts))
            QCOMPARE(feindlich::geruest(k->filter()), feindlich::geruest(kundensuche_bedingung("x")));
        QList<int> gefunden;
        for (k->first(); !k->eof(); k->next()) gefunden << k->fieldByName("KNDNR")->asInteger();
        std::sort(gefunden.begin(), gefunden.end());
        QCOMPARE(gefunden, feindlich::kunden(text));
        QCOMPARE(w->dbg_kunde->model()->rowCount(), gefunden.size());
        QCOMPARE(m_f->ask("select count(*) from kunden").toInt(), feindlich::kundenZeilen().size());

        feindlich::suchen(w->suchtext_kunde, QString());
        QVERIFY(!k->filtered());
        QCOMPARE(k->recordCount(), feindlich::kundenZeilen().size());
        KYN_VERIFY_DIALOGS(*m_d);
    }

    void addParticipantSearchBox_data() { feindlich::texte(); }
    void addParticipantSearchBox() {
        QFETCH(QString, text);
        Tfrm_teilnehmer_add& dlg = *m_dlg;
        dlg.show();
        QVERIFY(zeigeAktiv(&dlg));
        feindlich::suchen(dlg.e_suchtext, text);
        KYN_VERIFY_DIALOGS(*m_d);
        QCOMPARE(dlg.e_suchtext->text(), text);
        QVERIFY(dlg.ibq_suche->isActive());
        const QStringList sql = dlg.ibq_suche->sql();
        QCOMPARE(sql.size(), 2);
        QCOMPARE(sql.first(), Tfrm_teilnehmer_add::suchSql(QString()).first());
        if (sql.last() != QLatin1String(" and (1=0)"))
            QCOMPARE(feindlich::geruest(sql.last()), feindlich::geruest(Tfrm_teilnehmer_add::suchSql("x").last()));
        QStringList gefunden;
        for (dlg.ibq_suche->first(); !dlg.ibq_suche->eof(); dlg.ibq_suche->next())
            gefunden << dlg.ibq_suche->fieldByName("NAME")->asString() + "/" +
                            dlg.ibq_suche->fieldByName("HUNDNAME")->asString();
        gefunden.sort();
        QCOMPARE(gefunden, feindlich::paare(text));
        QCOMPARE(dlg.DBGrid1->model()->rowCount(), gefunden.size());
        QCOMPARE(m_f->ask("select count(*) from kunden").toInt(), feindlich::kundenZeilen().size());

        // An empty search lists every pair again.
        feindlich::suchen(dlg.e_suchtext, QString());
        QCOMPARE(dlg.ibq_suche->sql(), Tfrm_teilnehmer_add::suchSql(QString()));
        QCOMPARE(dlg.ibq_suche->recordCount(), feindlich::paare(QString()).size());
        dlg.hide();
        KYN_VERIFY_DIALOGS(*m_d);
    }
};

// Umlauts and the other letters of the code page, typed in any case, find
// the stored names as the database upper-cases them.
class UmlautSucheKurseTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> m_f;
    std::unique_ptr<Tfrm_teilnehmer_add> m_dlg;
    std::unique_ptr<platform::ScopedScriptedDialogs> m_d;

private slots:
    void initTestCase() {
        m_f = std::make_unique<Fixture>();
        umlautsuche::einfuegen(m_f->module->idb.get(), m_f->module->ibt);
        m_f->beratungsfenster();
        m_dlg = std::make_unique<Tfrm_teilnehmer_add>(*m_f->module);
        m_d = std::make_unique<platform::ScopedScriptedDialogs>();
    }
    void cleanupTestCase() {
        m_d.reset();
        m_dlg.reset();
        m_f.reset();
    }
    void init() { m_d->clear(); }

    void consultationsSearchBox_data() { umlautsuche::texte(); }
    void consultationsSearchBox() {
        QFETCH(QString, text);
        QFETCH(QStringList, gefunden);
        Tfrm_beratungen* w = m_f->beratungen;
        db::Table* k = m_f->module->ibt_kunde;
        QVERIFY(zeigeAktiv(w));
        feindlich::suchen(w->suchtext_kunde, text);
        QStringList namen;
        for (k->first(); !k->eof(); k->next()) namen << k->fieldByName("NAME")->asString();
        namen.sort();
        QCOMPARE(namen, gefunden);
        KYN_VERIFY_DIALOGS(*m_d);
    }

    void addParticipantSearchBox_data() { umlautsuche::texte(); }
    void addParticipantSearchBox() {
        QFETCH(QString, text);
        QFETCH(QStringList, gefunden);
        Tfrm_teilnehmer_add& dlg = *m_dlg;
        dlg.show();
        QVERIFY(zeigeAktiv(&dlg));
        feindlich::suchen(dlg.e_suchtext, text);
        QStringList paare, erwartet;
        for (dlg.ibq_suche->first(); !dlg.ibq_suche->eof(); dlg.ibq_suche->next())
            paare << dlg.ibq_suche->fieldByName("NAME")->asString() + "/" +
                         dlg.ibq_suche->fieldByName("HUNDNAME")->asString();
        paare.sort();
        for (const QString& n : gefunden) erwartet << n + "/" + n;
        QCOMPARE(paare, erwartet);
        dlg.hide();
        KYN_VERIFY_DIALOGS(*m_d);
    }
};

KYN_TEST(FeindlicheSucheKurseTest)
KYN_TEST(UmlautSucheKurseTest)
#include "feindliche_suche_test.moc"
