// The questionnaire's fields in the customer window and the dog search
// window: every field of the shared table is in both windows, bound to its
// column; nothing else is bound there; and the fields in which the windows
// differ have, in each window, the texts, lists and names written out here.
#include <QGroupBox>
#include <QLabel>
#include <QScrollArea>
#include <QSet>
#include <QTest>

#include "customers/hundefelder.h"
#include "kundentest.h"
#include "testregistry.h"
#include "widgets/dbcheckbox.h"
#include "widgets/dbcombobox.h"
#include "widgets/dbedit.h"
#include "widgets/dbmemo.h"

using namespace kundentest;
using hundefelder::Art;
using hundefelder::Fenster;

namespace {

QWidget* fragebogen(QWidget* fenster, const char* name) {
    auto* s = fenster->findChild<QScrollArea*>(QString::fromLatin1(name));
    return s ? s->widget() : nullptr;
}

QString feldname(QWidget* c) {
    if (auto* e = qobject_cast<widgets::DbEdit*>(c)) return e->dataField();
    if (auto* m = qobject_cast<widgets::DbMemo*>(c)) return m->dataField();
    if (auto* b = qobject_cast<widgets::DbComboBox*>(c)) return b->dataField();
    if (auto* k = qobject_cast<widgets::DbCheckBox*>(c)) return k->dataField();
    return {};
}

db::DataSource* quelle(QWidget* c) {
    if (auto* e = qobject_cast<widgets::DbEdit*>(c)) return e->dataSource();
    if (auto* m = qobject_cast<widgets::DbMemo*>(c)) return m->dataSource();
    if (auto* b = qobject_cast<widgets::DbComboBox*>(c)) return b->dataSource();
    if (auto* k = qobject_cast<widgets::DbCheckBox*>(c)) return k->dataSource();
    return nullptr;
}

// The columns of every bound control of a questionnaire.
QStringList gebundeneSpalten(QWidget* bogen) {
    QStringList out;
    for (QWidget* c : bogen->findChildren<QWidget*>())
        if (!feldname(c).isEmpty()) out << feldname(c);
    return out;
}

// The caption of a control: a check box's own text, else a label beside it
// (in the same parent) with that text, else the title of its group.
bool hatBeschriftung(QWidget* c, const QString& text) {
    if (auto* k = qobject_cast<widgets::DbCheckBox*>(c)) return k->text() == text;
    for (QLabel* l : c->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (l->text() == text) return true;
    auto* g = qobject_cast<QGroupBox*>(c->parentWidget());
    return g && g->title() == text;
}

const char* klasse(Art art) {
    switch (art) {
        case Art::Memo:
            return "widgets::DbMemo";
        case Art::Combo:
            return "widgets::DbComboBox";
        case Art::Check:
            return "widgets::DbCheckBox";
        case Art::Edit:
        case Art::Datum:
            break;
    }
    return "widgets::DbEdit";
}

}  // namespace

class FragebogenTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Umgebung> u;
    QWidget* boegen[2] = {};
    db::DataSource* quellen[2] = {};

    QWidget* bogen(Fenster f) const { return boegen[f == Fenster::Kunde ? 0 : 1]; }

private slots:
    void initTestCase() {
        u = std::make_unique<Umgebung>();
        beispieldaten(*u);
        boegen[0] = fragebogen(u->kundenfenster(), "sb_anamnese");
        boegen[1] = fragebogen(u->hundefenster(), "sb_anamese");
        quellen[0] = u->modul->ds_kunde_hunde;
        quellen[1] = u->modul->ds_hunde;
        QVERIFY(boegen[0] && boegen[1]);
    }
    void cleanupTestCase() { u.reset(); }

    // Every field of the table in both windows: found by its name in that
    // window, of its kind, bound to its column on the window's data source,
    // with the caption, list and unticked value the table gives that window.
    void everyTableFieldInBothWindows() {
        QCOMPARE(hundefelder::anzahlAnamnesefelder, 38);
        for (int i = 0; i < hundefelder::anzahlAnamnesefelder; ++i) {
            const hundefelder::Feld& f = hundefelder::anamnesefelder[i];
            for (int w = 0; w < 2; ++w) {
                const Fenster fenster = w == 0 ? Fenster::Kunde : Fenster::Hund;
                const QString name = hundefelder::objektname(f, fenster);
                const QString wo = QStringLiteral("%1 in window %2").arg(name).arg(w);
                const auto treffer = boegen[w]->findChildren<QWidget*>(name);
                QVERIFY2(treffer.size() == 1, qPrintable(wo));
                QWidget* c = treffer.first();
                QVERIFY2(QString::fromLatin1(c->metaObject()->className()) == QLatin1String(klasse(f.art)),
                         qPrintable(wo));
                QCOMPARE(feldname(c), QString::fromLatin1(f.spalte));
                QCOMPARE(quelle(c), quellen[w]);
                const QString text = hundefelder::beschriftung(f, fenster);
                if (!text.isEmpty()) QVERIFY2(hatBeschriftung(c, text), qPrintable(wo + ": " + text));
                if (auto* b = qobject_cast<widgets::DbComboBox*>(c))
                    QCOMPARE(b->items(), hundefelder::liste(f, fenster));
                if (auto* k = qobject_cast<widgets::DbCheckBox*>(c)) {
                    QCOMPARE(k->valueChecked(), QStringLiteral("J"));
                    QCOMPARE(k->valueUnchecked(), hundefelder::ungetickt(f, fenster));
                }
            }
        }
    }

    // Both windows bind the same 74 columns, each once: the table's, the
    // upbringing rows' and the four places'; nothing beside them.
    void nothingBoundBesideTheTables() {
        QSet<QString> erwartet;
        for (int i = 0; i < hundefelder::anzahlAnamnesefelder; ++i)
            erwartet << QString::fromLatin1(hundefelder::anamnesefelder[i].spalte);
        for (const auto& z : hundefelder::erziehung) erwartet << QString::fromLatin1(z.check) << QString::fromLatin1(z.bei);
        for (const auto& g : hundefelder::gegenueber) {
            for (const QString& s : hundefelder::gegenueberSpalten(g)) erwartet << s;
            erwartet << QString::fromLatin1(g.besonders);
        }
        QCOMPARE(erwartet.size(), 74);
        for (QWidget* b : boegen) {
            const QStringList spalten = gebundeneSpalten(b);
            QCOMPARE(spalten.size(), 74);
            QCOMPARE(QSet<QString>(spalten.begin(), spalten.end()), erwartet);
        }
    }

    // Where the windows differ, on purpose: each window's name, caption, list
    // and unticked value, as literal texts.
    void differencesBetweenTheWindows_data() {
        QTest::addColumn<int>("fenster");
        QTest::addColumn<QString>("spalte");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("liste");
        QTest::addColumn<QString>("ungetickt");
        const int k = int(Fenster::Kunde), h = int(Fenster::Hund);
        struct Zeile {
            int fenster;
            const char *spalte, *name, *text, *liste, *ungetickt;
        };
        const Zeile zeilen[] = {
            {k, "ANAMESE_AUFGENOMMEN_AM", "DBEdit62", "Anamnese vom:", "", ""},
            {h, "ANAMESE_AUFGENOMMEN_AM", "dbe_anamese_aufgenommen_am", "Anamese vom:", "", ""},
            {k, "PROBLEME", "DBMemo2", "Probleme / Grund der Kontaktaufnahme:", "", ""},
            {h, "PROBLEME", "dbm_probleme", "Probleme / Grund der Kontaktaufnahme", "", ""},
            {k, "KOMMENTAR", "dbm_kommentar", "Kommentar / Letzter Stand:", "", ""},
            {h, "KOMMENTAR", "dbm_kommentar", "Kommentar:", "", ""},
            {k, "FUTTERAUFNAHME", "DBComboBox30", "Futteraufnahme:", "normal|hastig|makelig", ""},
            {h, "FUTTERAUFNAHME", "dbc_futteraufnahme", "Futteraufnahme:",
             "freundlich|ängstlich|ängstlich, dann agressiv|agressiv", ""},
            {k, "ANSPRINGEN_FREMDE", "dbchk_anspringen_fremde", "Anspringen Fremde", "", "n"},
            {h, "ANSPRINGEN_FREMDE", "dbchk_anspringen_fremde", "Anspringen Fremde", "", "N"},
            {k, "KASTZEITPUNKT", "DBEdit27", "Zeitpunkt", "", ""},
            {h, "KASTZEITPUNKT", "dbe_kastzeitpunkt", "Zeitpunkt", "", ""},
            {k, "VORBESITZER", "DBMemo5", "Vorbesitzer", "", ""},
            {h, "VORBESITZER", "dbm_vorbesitzer", "Vorbesitzer", "", ""},
            {k, "TIERARZT", "DBMemo7", "Tierarzt", "", ""},
            {h, "TIERARZT", "dbm_tierarzt", "Tierarzt", "", ""},
            {k, "HAUT_FELL", "DBEdit50", "Auffälligkeiten Fell/Haut", "", ""},
            {h, "HAUT_FELL", "dbe_haut_fell", "Auffälligkeiten Fell/Haut", "", ""},
            {k, "KRANKHEITEN", "DBEdit49", "Krankheiten", "", ""},
            {h, "KRANKHEITEN", "dbe_krankheiten", "Krankheiten", "", ""},
            {k, "FUTTERVERTEIDIGEN", "DBCheckBox1", "Verteidigt Futter", "", "N"},
            {h, "FUTTERVERTEIDIGEN", "dbchk_futterverteidigen", "Verteidigt Futter", "", "N"},
            {k, "FUTTERAUSDERHAND", "DBComboBox33", "Futteraufnahme aus der Hand:",
             "freundlich|ängstlich|ängstlich, dann agressiv|agressiv", ""},
            {h, "FUTTERAUSDERHAND", "dbc_futterausderhand", "Futteraufnahme aus der Hand:",
             "freundlich|ängstlich|ängstlich, dann agressiv|agressiv", ""},
        };
        for (const Zeile& z : zeilen)
            QTest::addRow("%s %s", z.fenster == k ? "customer window" : "dog window", z.spalte)
                << z.fenster << QString::fromLatin1(z.spalte) << QString::fromLatin1(z.name)
                << QString::fromUtf8(z.text) << QString::fromUtf8(z.liste) << QString::fromLatin1(z.ungetickt);
    }
    void differencesBetweenTheWindows() {
        QFETCH(int, fenster);
        QFETCH(QString, spalte);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, liste);
        QFETCH(QString, ungetickt);
        const auto treffer = bogen(Fenster(fenster))->findChildren<QWidget*>(name);
        QCOMPARE(treffer.size(), 1);
        QWidget* c = treffer.first();
        QCOMPARE(feldname(c), spalte);
        QVERIFY2(hatBeschriftung(c, text), qPrintable(text));
        if (!liste.isEmpty()) {
            auto* b = qobject_cast<widgets::DbComboBox*>(c);
            QVERIFY(b);
            QCOMPARE(b->items().join(QLatin1Char('|')), liste);
        }
        if (!ungetickt.isEmpty()) {
            auto* k = qobject_cast<widgets::DbCheckBox*>(c);
            QVERIFY(k);
            QCOMPARE(k->valueUnchecked(), ungetickt);
        }
    }
};

KYN_TEST(FragebogenTest)
#include "fragebogen_test.moc"
