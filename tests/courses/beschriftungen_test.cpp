// The labels of the consultation and course windows' edits: each edit has its
// caption right before it in its row (and the unit after it where there is
// one), and Tab walks through the controls in the order of the rows.
#include <QBoxLayout>
#include <QLabel>
#include <QTest>

#include "courses/keyedit.h"
#include "kursetestutil.h"
#include "testregistry.h"

using namespace kurstest;

namespace {

QWidget* fenster(Fixture& f, const QString& welches) {
    if (welches == QLatin1String("beratungen")) return f.beratungsfenster();
    return f.kursfenster();
}

// The text of the label at `abstand` places from the control in the row that
// holds it; "-" when no label is there.
QString nachbar(QWidget* w, QWidget* control, int abstand) {
    for (QBoxLayout* row : w->findChildren<QBoxLayout*>()) {
        const int i = row->indexOf(control);
        if (i < 0) continue;
        const int j = i + abstand;
        if (j < 0 || j >= row->count()) return QStringLiteral("-");
        auto* l = qobject_cast<QLabel*>(row->itemAt(j)->widget());
        return l ? l->text() : QStringLiteral("-");
    }
    return QStringLiteral("not in a row");
}

}  // namespace

class EditLabelsTest : public QObject {
    Q_OBJECT
private slots:
    void captionBeforeAndUnitAfter_data() {
        QTest::addColumn<QString>("welches");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("davor");
        QTest::addColumn<QString>("danach");
        QTest::newRow("beratungen am") << "beratungen" << "e_termin_am" << "am" << "-";
        QTest::newRow("beratungen um") << "beratungen" << "e_uhrzeit" << "um" << "Uhr";
        QTest::newRow("beratungen Thema") << "beratungen" << "e_thema" << "Thema" << "-";
        QTest::newRow("beratungen Ort") << "beratungen" << "e_ort" << "Ort" << "-";
        QTest::newRow("beratungen Kontakt") << "beratungen" << "e_kontakt" << "Kontakt" << "-";
        QTest::newRow("kurse Anzahl") << "kurse" << "e_anztermine" << "Anzahl:" << "-";
        QTest::newRow("kurse erster Termin") << "kurse" << "e_erster_termin_am" << "Erster Termin am:" << "um:";
        QTest::newRow("kurse um") << "kurse" << "e_uhrzeit" << "um:" << "-";
        QTest::newRow("kurse alle x Tage") << "kurse" << "e_alle_x_tage" << "und dann alle" << "Tage.";
    }
    void captionBeforeAndUnitAfter() {
        QFETCH(QString, welches);
        QFETCH(QString, edit);
        QFETCH(QString, davor);
        QFETCH(QString, danach);
        Fixture f;
        QWidget* w = fenster(f, welches);
        auto* e = w->findChild<KeyLineEdit*>(edit);
        QVERIFY(e);
        QCOMPARE(nachbar(w, e, -1), davor);
        QCOMPARE(nachbar(w, e, 1), danach);
    }

    // The controls Tab reaches, in the order it reaches them (the calendar's
    // own parts left out).
    void tabOrder_data() {
        QTest::addColumn<QString>("welches");
        QTest::addColumn<QStringList>("reihe");
        QTest::newRow("beratungen") << "beratungen"
                                    << QStringList{"suchtext_kunde", "SpeedButton2", "dbg_kunde", "e_termin_am",
                                                   "e_uhrzeit",      "e_thema",      "e_ort",     "e_kontakt",
                                                   "BitBtn4",        "BitBtn3",      "BitBtn2",   "BitBtn1",
                                                   "DBGrid3",        "mc_kursterminplaner"};
        QTest::newRow("kurse") << "kurse"
                               << QStringList{"dbg_kurse", "sb_aktive_kurse", "sb_alle_kurse", "sb_beendete_kurse",
                                              "DBMemo1", "pg_kurs",
                                              // the roll-out's header, then its row
                                              "header", "e_anztermine", "e_erster_termin_am", "e_uhrzeit",
                                              "e_alle_x_tage", "Button1",
                                              "DBGrid2", "mc_kursterminplaner", "DBGrid3",
                                              "DBGrid1", "DBMemo2", "b_add_teilnehmer", "bb_del_teilnehmer", "BitBtn4",
                                              "bb_rechnung_erstellen",
                                              "dbg_dokumente", "bb_anzeigen", "bb_this_dok_print",
                                              "BitBtn1", "BitBtn2", "BitBtn3", "BitBtn5"};
    }
    void tabOrder() {
        QFETCH(QString, welches);
        QFETCH(QStringList, reihe);
        Fixture f;
        QWidget* w = fenster(f, welches);
        QStringList gesehen;
        QWidget* x = w->nextInFocusChain();
        for (int n = 0; x && x != w && n < 1000; ++n, x = x->nextInFocusChain()) {
            if (!(x->focusPolicy() & Qt::TabFocus) || x->objectName().isEmpty()) continue;
            if (x->objectName().startsWith(QLatin1String("qt_")) || x->objectName().startsWith(QLatin1String("Scroll")))
                continue;
            if (!w->isAncestorOf(x)) continue;
            gesehen << x->objectName();
        }
        QCOMPARE(gesehen, reihe);
    }
};

KYN_TEST(EditLabelsTest)

#include "beschriftungen_test.moc"
