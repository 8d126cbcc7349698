// The questionnaire summary in the customer window: lines, their order, the
// three styles, and when it is rebuilt.
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFragment>

#include "kundentest.h"
#include "testregistry.h"
#include "widgets/dbedit.h"
#include "widgets/dbmemo.h"
#include "widgets/rolloutpanel.h"

using namespace kundentest;

namespace {

// One piece of a line: its text and style ("p" plain, "b" bold, "u" underlined).
using Stueck = QPair<QString, QString>;

QList<QList<Stueck>> zeilen(QTextEdit* re) {
    QList<QList<Stueck>> out;
    for (QTextBlock b = re->document()->begin(); b.isValid(); b = b.next()) {
        QList<Stueck> z;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QTextCharFormat cf = f.charFormat();
            QString stil = cf.fontUnderline() ? "u" : cf.fontWeight() > QFont::Normal ? "b" : "p";
            if (!z.isEmpty() && z.last().second == stil) z.last().first += f.text();
            else z << Stueck(f.text(), stil);
        }
        out << z;
    }
    return out;
}

QStringList texte(QTextEdit* re) {
    QStringList out;
    for (QTextBlock b = re->document()->begin(); b.isValid(); b = b.next()) out << b.text();
    return out;
}

void setzeHund(Umgebung& u, const QString& zuweisungen) {
    u.exec(QStringLiteral("update hunde set %1 where hundnr = 1").arg(zuweisungen));
}

}  // namespace

class AnamneseTest : public QObject {
    Q_OBJECT
private slots:
    void customerWithoutDogs() {
        Umgebung u;
        u.exec("insert into kunden (kndnr, name) values (1, \"Neu\")");
        Tfrm_kunden* w = u.kundenfenster();
        QCOMPARE(texte(w->re_anamnese),
                 QStringList({"Anamesebogen vom  für den Hund ", "", "Probleme / Grund der Kontaktaufnahme:", "",
                              "", "Herkunft / Pflege:", "", "Chip-Nr.:  Haftpflicht:  Herkunft:  Zwingername:", "",
                              "", "Vorbesitzer:", "", "", "Tierarzt / Krankheiten / Impfung", "", "", "Tierarzt:",
                              "", ""}));
        QVERIFY(w->re_anamnese->toPlainText().endsWith(QStringLiteral("\nTierarzt:\n\n")));
    }

    void fullLayoutAndStyles() {
        Umgebung u;
        beispieldaten(u);
        setzeHund(u, "vorbesitzer = \"Tierheim Kiel\", haut_fell = \"Schuppen\"");
        Tfrm_kunden* w = u.kundenfenster();
        const auto z = zeilen(w->re_anamnese);
        using L = QList<Stueck>;
        QCOMPARE(z.value(0), (L{{"Anamesebogen vom 03.02.2023 für den Hund ", "p"}, {"Balu", "b"}}));
        QCOMPARE(z.value(1), L{});
        QCOMPARE(z.value(2), (L{{"Probleme / Grund der Kontaktaufnahme:", "p"}}));
        QCOMPARE(z.value(3), (L{{"zieht stark an der Leine", "b"}}));
        QCOMPARE(z.value(5), (L{{"Herkunft / Pflege:", "u"}}));
        QCOMPARE(z.value(6), L{});
        QCOMPARE(z.value(7), (L{{"Chip-Nr.:", "p"},
                                {"276098106543210", "b"},
                                {"  Haftpflicht:", "p"},
                                {"HV-4711", "b"},
                                {"  Herkunft:", "p"},
                                {"Züchter VDH", "b"},
                                {"  Zwingername:", "p"},
                                {"vom Lindenhof", "b"}}));
        QCOMPARE(z.value(8), (L{{"Kastration:", "p"},
                                {"Kastriert(am2022)", "b"},
                                {"  Futter:", "p"},
                                {"BARF (Eigenmischung )", "b"}}));
        QCOMPARE(z.value(10), (L{{"Vorbesitzer:", "p"}}));
        QCOMPARE(z.value(11), (L{{"Tierheim Kiel", "b"}}));
        QCOMPARE(z.value(13), (L{{"Tierarzt / Krankheiten / Impfung", "u"}}));
        QCOMPARE(z.value(14), L{});
        QCOMPARE(z.value(15), (L{{"Auffälligkeiten Haut/Fell:", "p"}, {"Schuppen", "b"}}));
        QCOMPARE(z.value(16), L{});
        QCOMPARE(z.value(17), (L{{"Tierarzt:", "p"}}));
        QCOMPARE(z.value(18), (L{{"Dr. Hansen, Kiel", "b"}}));
        QCOMPARE(z.size(), 20);
    }

    // Line 9: neutering and food, each part only under its condition.
    void neuteringAndFood_data() {
        QTest::addColumn<QString>("zuweisung");
        QTest::addColumn<QString>("zeile");
        QTest::addColumn<QStringList>("stile");
        QTest::newRow("neither") << "kastration = null, kastzeitpunkt = null, futter = null, futtermarke = null" << ""
                                 << QStringList{};
        QTest::newRow("neutered, no date")
            << "kastration = \"Kastriert\", kastzeitpunkt = null, futter = null, futtermarke = null"
            << "Kastration:Kastriert" << QStringList{"p", "b"};
        QTest::newRow("date without neutering")
            << "kastration = null, kastzeitpunkt = \"2021\", futter = null, futtermarke = null" << ""
            << QStringList{};
        QTest::newRow("neutered with date")
            << "kastration = \"Sterilisiert\", kastzeitpunkt = \"05/2021\", futter = null, futtermarke = null"
            << "Kastration:Sterilisiert(am05/2021)" << QStringList{"p", "b"};
        QTest::newRow("food only") << "kastration = null, kastzeitpunkt = null, futter = \"BARF\", futtermarke = null"
                                   << "  Futter:BARF ( )" << QStringList{"p", "b"};
        QTest::newRow("brand only")
            << "kastration = null, kastzeitpunkt = null, futter = null, futtermarke = \"Acana\""
            << "  Futter: (Acana )" << QStringList{"p", "b"};
        QTest::newRow("all four")
            << "kastration = \"Kastriert\", kastzeitpunkt = \"2022\", futter = \"Trockenfutter\", futtermarke = "
               "\"Wolfsblut\""
            << "Kastration:Kastriert(am2022)  Futter:Trockenfutter (Wolfsblut )" << QStringList{"p", "b", "p", "b"};
    }
    void neuteringAndFood() {
        QFETCH(QString, zuweisung);
        QFETCH(QString, zeile);
        QFETCH(QStringList, stile);
        Umgebung u;
        beispieldaten(u);
        setzeHund(u, zuweisung);
        Tfrm_kunden* w = u.kundenfenster();
        QCOMPARE(texte(w->re_anamnese).value(8), zeile);
        QStringList s;
        for (const Stueck& st : zeilen(w->re_anamnese).value(8)) s << st.second;
        QCOMPARE(s, stile);
        // The lines after it stay in place.
        QCOMPARE(texte(w->re_anamnese).value(10), QStringLiteral("Vorbesitzer:"));
    }

    // Values with line breaks spread over several lines at their place.
    void multiLineValues() {
        Umgebung u;
        beispieldaten(u);
        setzeHund(u, "probleme = \"bellt Radfahrer an\" || ascii_char(13) || ascii_char(10) || \"zieht\", "
                     "vorbesitzer = \"Familie A\" || ascii_char(10) || \"Familie B\", "
                     "tierarzt = \"Dr. Hansen\" || ascii_char(13) || ascii_char(10) || \"Kiel\"");
        Tfrm_kunden* w = u.kundenfenster();
        const QStringList t = texte(w->re_anamnese);
        QCOMPARE(t.mid(2, 4), QStringList({"Probleme / Grund der Kontaktaufnahme:", "bellt Radfahrer an", "zieht", ""}));
        QCOMPARE(t.mid(11, 4), QStringList({"Vorbesitzer:", "Familie A", "Familie B", ""}));
        QCOMPARE(t.mid(t.size() - 4), QStringList({"Tierarzt:", "Dr. Hansen", "Kiel", ""}));
        QCOMPARE(zeilen(w->re_anamnese).value(4), (QList<Stueck>{{"zieht", "b"}}));
    }

    // Rebuilt when a dog field changes and when another dog becomes current.
    void rebuiltOnChange() {
        Umgebung u;
        beispieldaten(u);
        Tfrm_kunden* w = u.kundenfenster();
        w->JvRollout1->expand();
        w->DBMemo2->setFocus();
        w->DBMemo2->selectAll();
        QTest::keyClicks(w->DBMemo2, "springt Besucher an");
        w->DBEdit62->setFocus();  // leaving the memo writes the field
        QCOMPARE(texte(w->re_anamnese).value(3), QStringLiteral("springt Besucher an"));
        QVERIFY(w->check_sichern());
        dm->ibt_kunde_hunde->next();
        QCOMPARE(texte(w->re_anamnese).value(0), QStringLiteral("Anamesebogen vom 10.06.2023 für den Hund Frieda"));
        QCOMPARE(texte(w->re_anamnese).value(3), QStringLiteral("hütet Kinder"));
        QCOMPARE(texte(w->re_anamnese).value(7), QStringLiteral("Chip-Nr.:  Haftpflicht:  Herkunft:  Zwingername:"));
        // Another customer: that customer's first dog.
        dm->ibt_kunde->locate("KNDNR", 2);
        QCOMPARE(texte(w->re_anamnese).value(0), QStringLiteral("Anamesebogen vom 11.05.2023 für den Hund Rocky"));
    }
};

KYN_TEST(AnamneseTest)
#include "anamnese_test.moc"
