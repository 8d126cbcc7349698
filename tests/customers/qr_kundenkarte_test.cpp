// The customer card and the customer list, checked on the page model of the
// preview: bands and their order, texts in their formats, positions, the
// name and address lines, the need-data rules of card and list, and the
// comment that makes a card taller.
#include <QDir>
#include <algorithm>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include "customers/kundenstamm.h"
#include "customers/qr_kundenkarte.h"
#include "data/datenmodul.h"
#include "db/statement.h"
#include "platform/scripteddialogs.h"
#include "report/reportpaint.h"
#include "testenv.h"
#include "testregistry.h"

using namespace report;

namespace {

const QColor kSilver(192, 192, 192);

bool near(double a, double b) { return qAbs(a - b) < 0.01; }

void exec(Tdm& m, const QString& sql, const QVariantList& params = {}) {
    db::Statement s(m.idb.get(), m.ibt);
    s.prepare(sql);
    for (int i = 0; i < params.size(); ++i) s.setParam(i, params[i]);
    s.execute();
}

struct Kunde {
    int nr;
    QString anrede, vname, name, str, plz, ort, kommentar;
};

void addKunde(Tdm& m, const Kunde& k) {
    exec(m,
         "insert into kunden (kndnr, anrede, vname, name, str, plz, ort, tel, fax, mobil, email, kommentar, "
         "aufgenommen_am) values (?,?,?,?,?,?,?,?,?,?,?,?,?)",
         {k.nr, k.anrede, k.vname, k.name, k.str, k.plz, k.ort, QString("0431/%1").arg(k.nr),
          QString("0431/9%1").arg(k.nr), QString("0171/%1").arg(k.nr), QString("kunde%1@example.de").arg(k.nr),
          k.kommentar, db::makeDateTime(QDate(2005, 3, k.nr % 28 + 1))});
}

void addHund(Tdm& m, int hundnr, int kndnr, const QString& name, const QString& rasse) {
    exec(m, "insert into hunde (hundnr, kndnr, name, rasse) values (?,?,?,?)", {hundnr, kndnr, name, rasse});
}

// A fresh database with the school's data; `dm` points at the module.
std::unique_ptr<Tdm> moduleOn(TestEnv& env) {
    env.createDatabase();
    auto m = std::make_unique<Tdm>();
    m->connectTo(env.databasePath());
    dm = m.get();
    return m;
}

struct Fixture {
    TestEnv env;
    std::unique_ptr<Tdm> m;
    Tfrm_qr_kundenkarte form;
    Fixture() : m(moduleOn(env)), form(*m) {
        exec(*m, "update systemdaten set hundeschule = ?, strasse = ?, plz = ?, ort = ?",
             {QString("Hundeschule Pfotenglück"), QString("Am Deich 4"), QString("24103"), QString("Kiel")});
    }
    void open() {
        m->ibt_kunde->open();
        m->ibt_kunde_hunde->open();
        m->ibt_hundetagebuch->open();
        m->ibt_systemdaten->open();
    }
    ReportPages card() {
        form.karte_drucken = true;
        PreviewCapture capture;
        form.preview();
        if (capture.shown.size() != 1) qFatal("keine Vorschau");
        return capture.shown[0].second;
    }
    // What the customer window does for its list button.
    ReportPages list(QString* title = nullptr) {
        m->ibt_kunde->first();
        form.liste_drucken = true;
        PreviewCapture capture;
        form.preview();
        if (capture.shown.size() != 1) qFatal("keine Vorschau");
        if (title) *title = capture.shown[0].first;
        return capture.shown[0].second;
    }
};

QStringList bandNames(const ReportPage& p) {
    QStringList out;
    for (auto* b : p.bands()) out << b->name();
    return out;
}

// Bands follow each other without overlapping, and every text stays inside
// its band and on the paper.
void verifyNothingOverlaps(const ReportPages& pages) {
    for (const ReportPage& p : pages.pages) {
        const auto bands = p.bands();
        for (size_t i = 1; i < bands.size(); ++i)
            QVERIFY2(bands[i]->rect.top() >= bands[i - 1]->rect.bottom() - 0.001, qPrintable(bands[i]->name()));
        for (const PlacedItem& it : p.items) {
            if (it.kind != PlacedItem::Kind::Text) continue;
            QVERIFY2(it.rect.left() >= 10 - 0.001 && it.rect.right() <= 200.001, qPrintable(it.text));
            QVERIFY2(it.rect.bottom() <= 287.001, qPrintable(it.text));
        }
    }
}

QStringList customerNumbers(const ReportPages& pages) {
    QStringList out;
    for (const ReportPage& p : pages.pages)
        for (auto* it : p.byName("KNDNR")) out << it->text;
    return out;
}

}  // namespace

class CustomerCardReportTest : public QObject {
    Q_OBJECT
private slots:
    void init() { dm = nullptr; }

    void cardOfCurrentCustomer_data() {
        QTest::addColumn<QStringList>("dogs");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("drei Hunde") << QStringList{"Bello", "Rex", "Luna"}
                                    << QStringList{"TitleBand1", "DetailBand1", "ChildBand1", "QRSubDetail1",
                                                   "ChildBand2", "QRSubDetail1", "ChildBand2", "QRSubDetail1",
                                                   "ChildBand2", "PageFooterBand1"};
        QTest::newRow("ohne Hund") << QStringList{}
                                   << QStringList{"TitleBand1", "DetailBand1", "ChildBand1", "QRSubDetail1",
                                                  "ChildBand2", "PageFooterBand1"};
    }
    void cardOfCurrentCustomer() {
        QFETCH(QStringList, dogs);
        QFETCH(QStringList, order);
        Fixture f;
        addKunde(*f.m, {3, "Frau", "Eva", "Meier", "Ring 2", "24105", "Kiel", ""});
        addKunde(*f.m, {7, "Herr", "Max", "Mustermann", "Musterweg 1", "24103", "Kiel", "Kommt immer pünktlich."});
        addHund(*f.m, 1, 3, "Asta", "Pudel");
        for (int i = 0; i < dogs.size(); ++i) addHund(*f.m, 3 + i, 7, dogs[i], "Mischling");
        f.open();
        QVERIFY(f.m->ibt_kunde->locate("KNDNR", 7));

        const ReportPages pages = f.card();
        QCOMPARE(pages.count(), 1);
        const ReportPage& p = pages.pages[0];
        QCOMPARE(bandNames(p), order);
        // The run consumed the card flag and left the customer where it was.
        QVERIFY(!f.form.karte_drucken);
        QVERIFY(!f.form.liste_drucken);
        QCOMPARE(f.m->ibt_kunde->fieldByName("KNDNR")->asInteger(), 7);

        // Title: silver, the school's name and address right-aligned at 189 mm.
        const auto title = p.bands("TitleBand1")[0];
        QCOMPARE(title->color(), kSilver);
        QVERIFY(near(title->rect.top(), 10));
        QVERIFY(near(title->rect.height(), 11.4));
        const PlacedItem* k = p.findText("Kundekarte");
        QCOMPARE(k->font().family, QString("Arial Black"));
        QCOMPARE(k->font().pointSize, 14.0);
        QVERIFY(near(k->rect.left(), 10 + 6.3) && near(k->rect.top(), 10 + 2.1));
        const PlacedItem* school = p.findText("Hundeschule Pfotenglück");
        const PlacedItem* schoolAddress = p.findText("Am Deich 4, 24103 Kiel");
        QVERIFY(school && schoolAddress);
        for (auto* it : {school, schoolAddress}) {
            QCOMPARE(it->align(), Align::Right);
            QVERIFY(near(it->rect.right(), 10 + 189));
            QCOMPARE(it->font().pointSize, 8.0);
        }
        QVERIFY(near(school->rect.top(), 10 + 0.8));
        QVERIFY(near(schoolAddress->rect.top(), 10 + 5.6));

        // Detail band: 36 mm, then a silver strip of 1.3 mm.
        const auto detail = p.bands("DetailBand1")[0];
        QVERIFY(near(detail->rect.top(), 21.4));
        QVERIFY(near(detail->rect.height(), 36));
        QCOMPARE(p.bands("ChildBand1")[0]->color(), kSilver);
        QVERIFY(near(p.bands("ChildBand1")[0]->rect.height(), 1.3));
        const double top = detail->rect.top();
        const struct {
            const char* text;
            double left, top;
            bool bold;
        } expected[] = {
            {"Kunden-Nr. :", 6.3, 4.2, false},
            {"0007", 27.5, 4.2, true},
            {"Herr Max Mustermann", 42.3, 4.2, true},
            {"aufgenommen am:", 136.0, 4.2, false},
            {"08.03.2005", 165.6, 4.2, true},
            {"Musterweg 1, 24103 Kiel", 42.3, 10.6, true},
            {"Tel.:", 6.3, 16.9, false},
            {"0431/7", 19.1, 16.9, true},
            {"Fax:", 112.2, 16.9, false},
            {"0431/97", 122.8, 16.9, true},
            {"Mobil:", 6.3, 23.3, false},
            {"0171/7", 19.1, 23.3, true},
            {"Email", 112.2, 23.3, false},
            {"kunde7@example.de", 122.8, 23.3, true},
            {"Kommt immer pünktlich.", 6.3, 29.6, false},
        };
        for (const auto& e : expected) {
            const PlacedItem* it = p.findText(QString::fromUtf8(e.text));
            QVERIFY2(it, e.text);
            QVERIFY2(near(it->rect.left(), 10 + e.left), e.text);
            QVERIFY2(near(it->rect.top(), top + e.top), e.text);
            QCOMPARE(it->font().bold, e.bold);
            QCOMPARE(it->font().family, QString("Arial"));
            QCOMPARE(it->font().pointSize, 10.0);
        }
        QVERIFY(near(p.findText("Herr Max Mustermann")->rect.width(), 68));
        QVERIFY(near(p.findText("Musterweg 1, 24103 Kiel")->rect.width(), 146.6));

        // One dog band (5.8 mm) per dog, each followed by a silver strip; the
        // band without a dog shows its labels only.
        const auto dogBands = p.bands("QRSubDetail1");
        QCOMPARE(int(dogBands.size()), qMax(1, int(dogs.size())));
        QCOMPARE(pages.countText("Hund-Nr. :"), int(dogBands.size()));
        QCOMPARE(pages.countText("Rasse :"), int(dogBands.size()));
        QCOMPARE(pages.countText("Mischling"), int(dogs.size()));
        QCOMPARE(pages.countText("Asta"), 0);  // another customer's dog
        QVERIFY(near(dogBands[0]->rect.top(), top + 36 + 1.3));
        for (size_t i = 0; i < dogBands.size(); ++i) {
            QVERIFY(near(dogBands[i]->rect.height(), 5.8));
            QVERIFY(near(p.bands("ChildBand2")[i]->rect.top(), dogBands[i]->rect.bottom()));
            QCOMPARE(p.bands("ChildBand2")[i]->color(), kSilver);
        }
        if (dogs.isEmpty()) {
            QVERIFY(p.byName("HUNDNR").empty());
            QVERIFY(p.byName("NAME").empty());
            QVERIFY(p.byName("RASSE").empty());
        } else {
            QStringList numbers, names;
            for (auto* it : p.byName("HUNDNR")) numbers << it->text;
            for (auto* it : p.byName("NAME")) names << it->text;
            QCOMPARE(numbers, QStringList({"003", "004", "005"}));
            QCOMPARE(names, dogs);
            const PlacedItem* nr = p.byName("HUNDNR")[0];
            QVERIFY(near(nr->rect.left(), 10 + 23.3) && near(nr->rect.top(), dogBands[0]->rect.top() + 0.5));
            QVERIFY(nr->font().bold);
            QVERIFY(near(p.findText("Bello")->rect.left(), 10 + 42.3));
            QVERIFY(near(p.byName("RASSE")[0]->rect.left(), 10 + 129.1));
            QVERIFY(near(p.findText("Rasse :")->rect.left(), 10 + 112.2));
        }

        // Footer at the bottom of the page, ending at 188 mm.
        const auto footer = p.bands("PageFooterBand1")[0];
        QVERIFY(near(footer->rect.top(), 297 - 10 - 8.5));
        const PlacedItem* printed = p.byName("QRSysData1")[0];
        QVERIFY2(QRegularExpression("^Gedruckt am: \\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d$")
                     .match(printed->text)
                     .hasMatch(),
                 qPrintable(printed->text));
        QVERIFY(near(printed->rect.right(), 10 + 188));
        QVERIFY(near(printed->rect.top(), footer->rect.top() + 2.1));
        QCOMPARE(printed->font().pointSize, 8.0);
        verifyNothingOverlaps(pages);
    }

    void nameAndAddressLines_data() {
        QTest::addColumn<QString>("anrede");
        QTest::addColumn<QString>("vname");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("str");
        QTest::addColumn<QString>("plz");
        QTest::addColumn<QString>("ort");
        QTest::addColumn<QString>("nameLine");
        QTest::addColumn<QString>("addressLine");
        QTest::newRow("vollständig") << "Herr" << "Max" << "Mustermann" << "Musterweg 1" << "24103" << "Kiel"
                                     << "Herr Max Mustermann" << "Musterweg 1, 24103 Kiel";
        QTest::newRow("ohne Vorname") << "Herr" << "" << "Mustermann" << "Musterweg 1" << "" << "Kiel"
                                      << "Herr Mustermann" << "Musterweg 1,  Kiel";
        QTest::newRow("ohne Anrede") << "" << "Eva" << "Meier" << "" << "24105" << ""
                                     << "Eva Meier" << ", 24105 ";
        QTest::newRow("alles leer") << "" << "" << "" << "" << "" << "" << "" << ",  ";
    }
    void nameAndAddressLines() {
        QFETCH(QString, anrede);
        QFETCH(QString, vname);
        QFETCH(QString, name);
        QFETCH(QString, str);
        QFETCH(QString, plz);
        QFETCH(QString, ort);
        QFETCH(QString, nameLine);
        QFETCH(QString, addressLine);
        Fixture f;
        addKunde(*f.m, {1, anrede, vname, name, str, plz, ort, ""});
        f.open();
        QString n = f.m->ibt_kunde->fieldByName("NAME")->asString();
        f.form.QRDBText2Print(n);
        QCOMPARE(n, nameLine);
        QString a = f.m->ibt_kunde->fieldByName("STR")->asString();
        f.form.QRDBText6Print(a);
        QCOMPARE(a, addressLine);
        // The same lines on the card.
        const ReportPages pages = f.card();
        const ReportPage& p = pages.pages[0];
        QCOMPARE(p.byName("QRDBText6").at(0)->text, addressLine);
        if (nameLine.isEmpty()) QVERIFY(p.byName("QRDBText2").empty());
        else QCOMPARE(p.byName("QRDBText2").at(0)->text, nameLine);
    }

    // The list covers the customers the filter lets through, from the first
    // in the table's order; a fully filtered table gives a list without any
    // card. The run leaves the table past its last row; the flags are spent.
    void listOverFilteredTable_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("numbers");
        QTest::newRow("ohne Filter") << "" << QStringList{"0001", "0002", "0003", "0004", "0005", "0006"};
        QTest::newRow("Kiel") << "ort = \"Kiel\"" << QStringList{"0002", "0004", "0006"};
        QTest::newRow("niemand") << "ort = \"Berlin\"" << QStringList{};
    }
    void listOverFilteredTable() {
        QFETCH(QString, filter);
        QFETCH(QStringList, numbers);
        Fixture f;
        for (int i = 1; i <= 6; ++i)
            addKunde(*f.m, {i, "Frau", QString("Vorname%1").arg(i), QString("Name%1").arg(i), "Weg 1", "24103",
                            i % 2 ? "Lübeck" : "Kiel", ""});
        for (int i = 1; i <= 6; ++i) addHund(*f.m, i, i, QString("Hund%1").arg(i), "Boxer");
        if (!filter.isEmpty()) {
            f.m->ibt_kunde->setFilter(filter);
            f.m->ibt_kunde->setFiltered(true);
        }
        f.open();
        // The table's own order decides the list's order.
        QStringList tableOrder;
        for (f.m->ibt_kunde->first(); !f.m->ibt_kunde->eof(); f.m->ibt_kunde->next())
            tableOrder << f.m->ibt_kunde->fieldByName("KNDNR")->displayText();
        QStringList sorted = tableOrder;
        sorted.sort();
        QCOMPARE(sorted, numbers);
        f.m->ibt_kunde->last();

        QString title;
        const ReportPages pages = f.list(&title);
        QCOMPARE(title, QString("Kundenliste"));
        QCOMPARE(customerNumbers(pages), tableOrder);
        QCOMPARE(pages.countText("Kundekarte"), 1);
        // Every customer's own dog under their card.
        for (const ReportPage& p : pages.pages) {
            const auto nrs = p.byName("KNDNR");
            const auto dogs = p.byName("NAME");
            QCOMPARE(dogs.size(), nrs.size());
            for (size_t i = 0; i < nrs.size(); ++i)
                QCOMPARE(dogs[i]->text, QString("Hund%1").arg(nrs[i]->text.toInt()));
        }
        QVERIFY(!f.form.liste_drucken);
        QVERIFY(!f.form.karte_drucken);
        QVERIFY(f.m->ibt_kunde->eof());
        if (numbers.isEmpty()) {
            QCOMPARE(pages.count(), 1);
            QCOMPARE(bandNames(pages.pages[0]), QStringList({"TitleBand1", "PageFooterBand1"}));
        }
        // The next card prints the current customer alone again.
        f.m->ibt_kunde->first();
        const ReportPages card = f.card();
        QCOMPARE(card.pages[0].bands("DetailBand1").size(), size_t(1));
        QCOMPARE(customerNumbers(card), tableOrder.mid(0, 1));
    }

    // The dogs of a list come in batches, read by a range of numbers where
    // the customers' numbers lie close together and number by number where
    // they are scattered: either way every card shows exactly its own dogs.
    void dogsOfCloseAndScatteredNumbers_data() {
        QTest::addColumn<QList<int>>("numbers");
        QTest::newRow("dicht") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8};
        QTest::newRow("verstreut") << QList<int>{3, 70, 900, 12000, 99999};
        QTest::newRow("gemischt") << QList<int>{10, 11, 13, 4000, 4001};
    }
    void dogsOfCloseAndScatteredNumbers() {
        QFETCH(QList<int>, numbers);
        Fixture f;
        int hund = 0;
        for (int nr : numbers) {
            addKunde(*f.m, {nr, "Frau", "Eva", QString("Name%1").arg(nr), "Weg 1", "24103", "Kiel", ""});
            addHund(*f.m, ++hund, nr, QString("Hund%1a").arg(nr), "Boxer");
            if (nr % 2 == 0) addHund(*f.m, ++hund, nr, QString("Hund%1b").arg(nr), "Boxer");
        }
        f.open();
        const ReportPages pages = f.list();
        QStringList cards, expected;
        for (const ReportPage& p : pages.pages) {
            std::vector<const PlacedItem*> items = p.byName("KNDNR");
            const auto dogs = p.byName("NAME");
            for (const PlacedItem* d : dogs) items.push_back(d);
            std::sort(items.begin(), items.end(),
                      [](const PlacedItem* a, const PlacedItem* b) { return a->rect.top() < b->rect.top(); });
            for (const PlacedItem* it : items) cards << (it->name() == "KNDNR" ? "#" + it->text : it->text);
        }
        for (int nr : numbers) {
            expected << "#" + QString("%1").arg(nr, 4, 10, QChar('0')) << QString("Hund%1a").arg(nr);
            if (nr % 2 == 0) expected << QString("Hund%1b").arg(nr);
        }
        QCOMPARE(cards, expected);
    }

    // A long list runs over several pages: the title once, the footer on
    // every page, every card whole on one page with its strip and its dogs,
    // no customer lost.
    void listOverSeveralPages() {
        Fixture f;
        for (int i = 1; i <= 14; ++i)
            addKunde(*f.m, {i, "Herr", "Max", QString("Kunde%1").arg(i), "Weg 1", "24103", "Kiel", ""});
        int hund = 0;
        for (int i = 1; i <= 14; ++i)
            for (int j = 0; j < 2; ++j) addHund(*f.m, ++hund, i, QString("Hund%1").arg(hund), "Dackel");
        f.open();
        const ReportPages pages = f.list();
        QVERIFY(pages.count() >= 3);
        QCOMPARE(customerNumbers(pages).size(), 14);
        QCOMPARE(pages.countText("Kundekarte"), 1);
        QCOMPARE(pages.pageOf("Kundekarte"), 0);
        for (const ReportPage& p : pages.pages) {
            QCOMPARE(p.bands("PageFooterBand1").size(), size_t(1));
            const auto names = bandNames(p);
            QCOMPARE(names.first(), &p == &pages.pages[0] ? QString("TitleBand1") : QString("DetailBand1"));
            QCOMPARE(names.count("DetailBand1"), names.count("ChildBand1"));
            QCOMPARE(names.count("QRSubDetail1"), 2 * names.count("DetailBand1"));
            QCOMPARE(names.count("QRSubDetail1"), names.count("ChildBand2"));
        }
        verifyNothingOverlaps(pages);
    }

    // A comment of several lines makes that card taller; the next card
    // starts below it.
    void multiLineCommentGrowsCard() {
        Fixture f;
        addKunde(*f.m, {1, "Herr", "Max", "Mustermann", "Weg 1", "24103", "Kiel",
                        "Zieht stark an der Leine.\r\nBellt andere Hunde an.\r\nKommt nur mit Leckerli zurück."});
        addKunde(*f.m, {2, "Frau", "Eva", "Meier", "Ring 2", "24105", "Kiel", "Ruhig."});
        addHund(*f.m, 1, 1, "Bello", "Boxer");
        f.open();
        const ReportPages pages = f.list();
        QCOMPARE(pages.count(), 1);
        const ReportPage& p = pages.pages[0];
        const auto details = p.bands("DetailBand1");
        QCOMPARE(details.size(), size_t(2));
        const PlacedItem* comment = p.byName("KOMMENTAR")[0];
        QCOMPARE(comment->lines,
                 QStringList({"Zieht stark an der Leine.", "Bellt andere Hunde an.", "Kommt nur mit Leckerli zurück."}));
        QVERIFY(near(details[0]->rect.height(), 36 + 2 * comment->lineSpacing()));
        QVERIFY(comment->rect.bottom() <= details[0]->rect.bottom());
        QVERIFY(near(details[1]->rect.height(), 36));
        QCOMPARE(bandNames(p), QStringList({"TitleBand1", "DetailBand1", "ChildBand1", "QRSubDetail1", "ChildBand2",
                                            "DetailBand1", "ChildBand1", "QRSubDetail1", "ChildBand2",
                                            "PageFooterBand1"}));
        QVERIFY(near(details[1]->rect.top(), details[0]->rect.bottom() + 1.3 + 5.8 + 1.3));
        verifyNothingOverlaps(pages);
    }

    // The customer window's buttons: the card of the current customer; the
    // list of the filtered table from its first customer, after which the
    // customer who was current is current again.
    void customerWindowButtons() {
        Fixture f;
        platform::ScopedScriptedDialogs dialogs;
        const QString oldDir = QDir::currentPath();
        QDir::setCurrent(f.env.home());
        QFile::copy(QString::fromLocal8Bit(qgetenv("KYNOVIA_SOURCE_DIR")) + "/resources/rassen.txt", "rassen.txt");
        for (int i = 1; i <= 5; ++i)
            addKunde(*f.m, {i, "Frau", "Eva", QString("Name%1").arg(i), "Weg 1", "24103", i == 2 ? "Lübeck" : "Kiel", ""});
        addHund(*f.m, 1, 4, "Bello", "Boxer");
        f.open();
        f.m->ibt_kunde->setFilter("ort = \"Kiel\"");
        f.m->ibt_kunde->setFiltered(true);
        Tfrm_kunden* w = new Tfrm_kunden(*f.m);
        frm_kunden = w;
        Tfrm_qr_kundenkarte* form = new Tfrm_qr_kundenkarte(*f.m);
        frm_qr_kundenkarte = form;
        QStringList tableOrder;
        for (f.m->ibt_kunde->first(); !f.m->ibt_kunde->eof(); f.m->ibt_kunde->next())
            tableOrder << f.m->ibt_kunde->fieldByName("KNDNR")->displayText();
        QCOMPARE(tableOrder.size(), 4);
        QVERIFY(f.m->ibt_kunde->locate("KNDNR", 4));
        {
            PreviewCapture capture;
            w->findChild<QPushButton*>("bb_kndkarte_drucken")->click();
            QCOMPARE(capture.shown.size(), size_t(1));
            QCOMPARE(capture.shown[0].first, QString("Kundenkarte"));
            QCOMPARE(customerNumbers(capture.shown[0].second), QStringList({"0004"}));
            QCOMPARE(capture.shown[0].second.countText("Bello"), 1);
        }
        {
            PreviewCapture capture;
            w->findChild<QPushButton*>("bb_kndliste_drucken")->click();
            QCOMPARE(capture.shown.size(), size_t(1));
            QCOMPARE(capture.shown[0].first, QString("Kundenliste"));
            QCOMPARE(customerNumbers(capture.shown[0].second), tableOrder);
        }
        QCOMPARE(f.m->ibt_kunde->fieldByName("KNDNR")->asInteger(), 4);
        QVERIFY(!form->karte_drucken && !form->liste_drucken);
        KYN_VERIFY_DIALOGS(dialogs);
        delete w;
        delete form;
        QDir::setCurrent(oldDir);
    }

    // Writes a card and a list page as PDF to look at:
    // KYN_PRINT_PDF=/tmp/dir tests_customers CustomerCardReportTest
    void samplePdf() {
        const QString dir = qEnvironmentVariable("KYN_PRINT_PDF");
        if (dir.isEmpty()) QSKIP("KYN_PRINT_PDF not set");
        QDir().mkpath(dir);
        Fixture f;
        const char* names[][3] = {{"Herr", "Max", "Mustermann"}, {"Frau", "Eva", "Meier-Lüdenscheidt"},
                                  {"Herr", "", "Özdemir"}, {"Frau", "Anna-Lena", "Schmidt"},
                                  {"", "Jörg", "Weber"}, {"Frau", "Ute", "Fischer"}};
        for (int i = 0; i < 6; ++i)
            addKunde(*f.m, {i + 1, names[i][0], names[i][1], names[i][2], QString("Holstenstraße %1").arg(10 + i),
                            "24103", "Kiel",
                            i == 1 ? "Hund zieht an der Leine, reagiert auf Radfahrer. Termine bitte nur "
                                     "vormittags.\r\nZahlt per Überweisung."
                                   : QString()});
        const char* dogs[][2] = {{"Bello", "Labrador Retriever"}, {"Rex", "Deutscher Schäferhund"},
                                 {"Luna", "Border Collie"}, {"Kira", "Mischling"}, {"Sammy", "Jack Russell Terrier"}};
        addHund(*f.m, 1, 1, dogs[0][0], dogs[0][1]);
        addHund(*f.m, 2, 1, dogs[1][0], dogs[1][1]);
        addHund(*f.m, 3, 2, dogs[2][0], dogs[2][1]);
        addHund(*f.m, 4, 4, dogs[3][0], dogs[3][1]);
        addHund(*f.m, 5, 5, dogs[4][0], dogs[4][1]);
        f.open();
        QVERIFY(printToPdf(f.card(), dir + "/kundenkarte.pdf"));
        QVERIFY(printToPdf(f.list(), dir + "/kundenliste.pdf"));
    }
};

KYN_TEST(CustomerCardReportTest)
#include "qr_kundenkarte_test.moc"
