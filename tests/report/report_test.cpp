// The banded report engine, checked on its page model (texts, positions,
// pages); one check paints a page to make sure millimetres land where they should.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontInfo>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QStandardPaths>
#include <QTimer>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <stdexcept>

#include "report/report.h"
#include "report/reportpaint.h"
#include "common/testregistry.h"

using namespace report;

namespace {

const QColor kSilver(192, 192, 192);
const Font kBold{"Arial", 10, true};
const Font kNarrow{"Arial Narrow", 10};

bool near(double a, double b) { return qAbs(a - b) < 0.01; }

struct Customer {
    QString nr, name, comment;
    QStringList dogs;
};

// A customer card in the shape of the school's card: title, a 36 mm detail
// band with a growing comment, a silver strip, and one dog band per dog.
struct CardReport {
    Report r;
    std::vector<Customer> rows;
    int row = -1, dog = -1;

    explicit CardReport(std::vector<Customer> data) : rows(std::move(data)) {
        Band& title = r.setBand(BandKind::Title, 11.4, "title");
        title.color = kSilver;
        title.addLabel("Kundekarte", 6.3, 2.1, {"Arial Black", 14});
        Band& d = r.setBand(BandKind::Detail, 36, "detail");
        d.addLabel("Kunden-Nr. :", 6.3, 4.2);
        d.addData("nr", 27.5, 4.2, kBold);
        d.addData("name", 42.3, 4.2, kBold, 68);
        d.addData("kommentar", 6.3, 29.6, {}, 180, Align::Left, true);
        d.beforePrint = [this](Band& b) {
            b.setText("nr", rows[size_t(row)].nr);
            b.setText("name", rows[size_t(row)].name);
            b.setText("kommentar", rows[size_t(row)].comment);
            dog = -1;
        };
        d.addChild(1.3, "strip").color = kSilver;
        Band& dogs = d.addSubDetail(5.8, [this] {
            // A customer without dogs still gets one (empty) dog band.
            ++dog;
            const auto& list = rows[size_t(row)].dogs;
            return dog < list.size() || (dog == 0 && list.isEmpty());
        }, "dog");
        dogs.addLabel("Hund-Nr. :", 6.3, 0.5);
        dogs.addData("hund", 42.3, 0.5, kBold);
        dogs.addLabel("Rasse :", 112.2, 0.5);
        dogs.beforePrint = [this](Band& b) {
            const auto& list = rows[size_t(row)].dogs;
            b.setText("hund", dog < list.size() ? list[dog] : QString());
        };
        dogs.addChild(1.3, "dogstrip").color = kSilver;
        Band& f = r.setBand(BandKind::PageFooter, 8.5, "footer");
        f.addData("gedruckt", 100, 2.1, {"Arial", 8}, 88, Align::Right);
        f.beforePrint = [this](Band& b) { b.setText("gedruckt", QString("Gedruckt am: Seite %1").arg(r.pageNumber())); };
        r.needData = [this] { return ++row < int(rows.size()); };
    }
};

// A participant list: title, column headings, a 6.3 mm detail line and a
// comment line under it, footer on every page.
struct ListReport {
    Report r;
    int n, row = -1;
    std::function<QString(int)> comment = [](int i) { return QString("Kommentar %1").arg(i + 1); };

    explicit ListReport(int count, bool headingsEveryPage = false) : n(count) {
        r.columnHeaderOnEveryPage = headingsEveryPage;
        r.setBand(BandKind::Title, 11.4, "title").addLabel("Teilnehmerliste ", 6.3, 0, {"Arial Black", 14});
        Band& h = r.setBand(BandKind::ColumnHeader, 10.6, "headings");
        h.addLabel("Name", 6.3, 4, kBold);
        h.addLabel("Bezahlt", 52.9, 4, kBold);
        h.addLine(0, 10, 190);
        Band& d = r.setBand(BandKind::Detail, 6.3, "detail");
        d.keepTogether = true;  // a line and its comment on one page
        d.addData("name", 6.3, 0, kNarrow, 27);
        d.addData("bezahlt", 52.9, 0, kNarrow, 13.2, Align::Center);
        d.beforePrint = [this](Band& b) {
            b.setText("name", QString("Teilnehmer %1").arg(row + 1, 2, 10, QChar('0')));
            b.setText("bezahlt", "J");
        };
        Band& c = d.addChild(6.3, "kommentar");
        c.addData("kommentar", 6.3, 0, kNarrow, 173.8);
        c.beforePrint = [this](Band& b) {
            const QString t = comment(row);
            b.visible = !t.isEmpty();
            b.setText("kommentar", t);
        };
        Band& f = r.setBand(BandKind::PageFooter, 6.3, "footer");
        f.addData("gedruckt", 100, 1, {"Arial", 8}, 87.3, Align::Right);
        f.beforePrint = [this](Band& b) { b.setText("gedruckt", QString("Gedruckt am: Seite %1").arg(r.pageNumber())); };
        r.needData = [this] { return ++row < n; };
    }
};

// Band rectangles of a page must follow each other without overlapping.
void verifyBandsStacked(const ReportPage& page) {
    const auto bands = page.bands();
    for (size_t i = 1; i < bands.size(); ++i)
        QVERIFY2(bands[i]->rect.top() >= bands[i - 1]->rect.bottom() - 0.001,
                 qPrintable(QString("%1 überlappt %2").arg(bands[i]->name(), bands[i - 1]->name())));
}

}  // namespace

class ReportEngineTest : public QObject {
    Q_OBJECT
private slots:
    void titleAndDetails() {
        CardReport c({{"0001", "Herr Max Mustermann", "", {"Bello"}},
                      {"0002", "Frau Eva Meier", "", {"Rex"}},
                      {"0003", "Hans Schulz", "", {"Luna"}}});
        const ReportPages pages = c.r.layout();
        QCOMPARE(pages.count(), 1);
        QCOMPARE(pages.texts(0),
                 QStringList({"Kundekarte", "Kunden-Nr. :", "0001", "Herr Max Mustermann", "Hund-Nr. :", "Bello",
                              "Rasse :", "Kunden-Nr. :", "0002", "Frau Eva Meier", "Hund-Nr. :", "Rex", "Rasse :",
                              "Kunden-Nr. :", "0003", "Hans Schulz", "Hund-Nr. :", "Luna", "Rasse :",
                              "Gedruckt am: Seite 1"}));
        const ReportPage& p = pages.pages[0];
        // Title at the top margin, then detail, strip, dog, strip per customer.
        const auto details = p.bands("detail");
        QCOMPARE(details.size(), size_t(3));
        for (int i = 0; i < 3; ++i) QVERIFY(near(details[size_t(i)]->rect.top(), 21.4 + i * (36 + 1.3 + 5.8 + 1.3)));
        QCOMPARE(p.bands("title")[0]->color(), kSilver);
        const PlacedItem* nr = p.findText("0002");
        QVERIFY(near(nr->rect.left(), 10 + 27.5));
        QVERIFY(near(nr->rect.top(), details[1]->rect.top() + 4.2));
        QVERIFY(nr->font().bold);
        // The footer sits at the bottom of the page, its text ending at 188 mm.
        const PlacedItem* footer = p.findText("Gedruckt am: Seite 1");
        QVERIFY(near(p.bands("footer")[0]->rect.top(), 297 - 10 - 8.5));
        QVERIFY(near(footer->rect.right(), 10 + 188));
        QCOMPARE(footer->align(), Align::Right);
        verifyBandsStacked(p);
    }

    void wrappedTextGrowsBand_data() {
        QTest::addColumn<QString>("comment");
        QTest::addColumn<int>("lines");  // -1: at least three
        QTest::newRow("ohne Kommentar") << "" << 0;
        QTest::newRow("eine Zeile") << "Zieht an der Leine." << 1;
        QTest::newRow("Zeilenumbrüche") << "Zieht an der Leine.\r\nBellt.\nSpringt an Besuchern hoch." << 3;
        QTest::newRow("langer Text") << QString("Sehr aufmerksamer Hund, der gern apportiert. ").repeated(12) << -1;
        QTest::newRow("überlanges Wort") << QString("x").repeated(300) << -1;
    }
    void wrappedTextGrowsBand() {
        QFETCH(QString, comment);
        QFETCH(int, lines);
        CardReport c({{"0001", "A", comment, {}}, {"0002", "B", "", {}}});
        const ReportPages pages = c.r.layout();
        const ReportPage& p = pages.pages[0];
        const auto details = p.bands("detail");
        const auto items = p.byName("kommentar");
        const double spacing = QFontMetricsF(toQFont(Font{})).lineSpacing() / kUnitsPerMM;
        int n = 0;
        if (lines == 0) {
            QVERIFY(items.empty());
        } else {
            QCOMPARE(items.size(), size_t(1));
            const PlacedItem* it = items[0];
            n = int(it->lines.size());
            if (lines > 0) QCOMPARE(n, lines);
            else QVERIFY(n >= 3);
            // Every line fits the item's width, and no text is lost.
            const QFontMetricsF fm(toQFont(it->font()));
            for (const QString& l : it->lines) QVERIFY(fm.horizontalAdvance(l) / kUnitsPerMM <= 180.01);
            QCOMPARE(it->lines.join("").remove(' '), QString(comment).remove(QRegularExpression("\\s")));
            QVERIFY(it->rect.bottom() <= details[0]->rect.bottom());
        }
        // The band keeps its design height for one line and grows by one line
        // spacing per further line; the next band starts right below it.
        QVERIFY(near(details[0]->rect.height(), 36 + qMax(0, n - 1) * spacing));
        QVERIFY(near(p.bands("strip")[0]->rect.top(), details[0]->rect.bottom()));
        QVERIFY(near(details[1]->rect.height(), 36));
        verifyBandsStacked(p);
    }

    void headingsAndFooterOverTwoPages_data() {
        QTest::addColumn<bool>("everyPage");
        QTest::newRow("Überschriften nur auf Seite 1") << false;
        QTest::newRow("Überschriften auf jeder Seite") << true;
    }
    void headingsAndFooterOverTwoPages() {
        QFETCH(bool, everyPage);
        ListReport l(30, everyPage);
        const ReportPages pages = l.r.layout();
        QCOMPARE(pages.count(), 2);
        QCOMPARE(pages.countText("Teilnehmerliste "), 1);
        QCOMPARE(pages.countText("Name"), everyPage ? 2 : 1);
        QCOMPARE(pages.pageOf("Name"), 0);
        for (int i = 0; i < 2; ++i) {
            const ReportPage& p = pages.pages[size_t(i)];
            const auto footer = p.bands("footer");
            QCOMPARE(footer.size(), size_t(1));
            QVERIFY(near(footer[0]->rect.top(), 297 - 10 - 6.3));
            QVERIFY(p.findText(QString("Gedruckt am: Seite %1").arg(i + 1)));
            verifyBandsStacked(p);
            // Kept together: the last line of the page is followed by its comment.
            const auto bands = p.bands();
            QCOMPARE(bands[bands.size() - 2]->name(), QString("kommentar"));
        }
        // Page 2 starts at the top margin (or below the repeated headings).
        const auto first = pages.pages[1].bands();
        QCOMPARE(first[0]->name(), everyPage ? QString("headings") : QString("detail"));
        QVERIFY(near(first[0]->rect.top(), 10));
        // Every participant exactly once, in order, across both pages.
        QStringList names;
        for (const QString& t : pages.allTexts())
            if (t.startsWith("Teilnehmer ")) names << t;
        QCOMPARE(names.size(), 30);
        QCOMPARE(names.first(), QString("Teilnehmer 01"));
        QCOMPARE(names.last(), QString("Teilnehmer 30"));
        QVERIFY(std::is_sorted(names.begin(), names.end()));
    }

    void keepTogetherAtPageBreak_data() {
        QTest::addColumn<bool>("keep");
        QTest::newRow("zusammenhalten") << true;
        QTest::newRow("trennen erlaubt") << false;
    }
    void keepTogetherAtPageBreak() {
        QFETCH(bool, keep);
        // Page room 277 mm: record 1 takes 10..160; record 2's band fits
        // (160..260), its child does not.
        Report r;
        int row = 0;
        Band& d = r.setBand(BandKind::Detail, 100, "detail");
        d.keepTogether = keep;
        d.addData("nr", 0, 0);
        d.beforePrint = [&](Band& b) { b.setText("nr", QString("Satz %1").arg(row)); };
        d.addChild(50, "child").addLabel("Anhang", 0, 0);
        r.needData = [&] { return ++row <= 2; };
        const ReportPages pages = r.layout();
        QCOMPARE(pages.count(), 2);
        QCOMPARE(pages.pageOf("Satz 1"), 0);
        QCOMPARE(pages.pageOf("Satz 2"), keep ? 1 : 0);
        QCOMPARE(pages.pages[1].bands("child").size(), size_t(1));
        QVERIFY(near(pages.pages[1].bands()[0]->rect.top(), 10));
        for (const auto& p : pages.pages)
            for (auto* b : p.bands()) QVERIFY(b->rect.bottom() <= 287.001);
    }

    void keepWithSubDetails_data() {
        QTest::addColumn<bool>("keep");
        QTest::newRow("Karte mit Hunden zusammen") << true;
        QTest::newRow("Hunde dürfen umbrechen") << false;
    }
    void keepWithSubDetails() {
        QFETCH(bool, keep);
        // Cards of 37.3 + 2 * 7.1 mm: four fit below the title; of the
        // fifth all but the last strip would fit.
        std::vector<Customer> rows;
        for (int i = 1; i <= 6; ++i)
            rows.push_back({QString("%1").arg(i, 4, 10, QChar('0')), QString("Kunde %1").arg(i), "",
                            {QString("Hund %1a").arg(i), QString("Hund %1b").arg(i)}});
        CardReport c(rows);
        c.r.band(BandKind::Detail)->keepWithSubDetails = keep;
        const ReportPages pages = c.r.layout();
        QCOMPARE(pages.count(), 2);
        QCOMPARE(pages.pageOf("0005"), keep ? 1 : 0);
        QCOMPARE(pages.pageOf("Hund 5a"), keep ? 1 : 0);
        QCOMPARE(pages.pageOf("Hund 5b"), keep ? 1 : 0);
        QCOMPARE(pages.pages[1].bands()[0]->name(), keep ? QString("detail") : QString("dogstrip"));
        // The same content in the same order either way.
        QCOMPARE(pages.allTexts().filter("Hund ").size(), 12);
        QStringList all = pages.allTexts();
        QVERIFY(all.indexOf("Hund 5a") > all.indexOf("0005") && all.indexOf("0006") > all.indexOf("Hund 5b"));
        for (const auto& p : pages.pages) {
            verifyBandsStacked(p);
            QVERIFY(p.bands().back()->rect.bottom() <= 287.001);
        }
        // A card taller than a page starts where it is and goes on over
        // the next page.
        CardReport big({{"0001", "Kunde", "", QStringList(40, "Hund")}});
        big.r.band(BandKind::Detail)->keepWithSubDetails = keep;
        const ReportPages bigPages = big.r.layout();
        QCOMPARE(bigPages.count(), 2);
        QCOMPARE(bigPages.countText("Hund"), 40);
        QCOMPARE(bigPages.pageOf("0001"), 0);
    }

    void hiddenChildAndItems() {
        const QStringList comments{"", "gut", "", "sehr gut"};
        ListReport l(4);
        l.comment = [&](int i) { return comments[i]; };
        Band& d = *l.r.band(BandKind::Detail);
        auto fill = d.beforePrint;
        d.beforePrint = [&, fill](Band& b) {
            fill(b);
            b.setItemVisible("bezahlt", l.row != 2);
        };
        const ReportPages pages = l.r.layout();
        const ReportPage& p = pages.pages[0];
        QCOMPARE(p.bands("detail").size(), size_t(4));
        const auto kommentare = p.bands("kommentar");
        QCOMPARE(kommentare.size(), size_t(2));
        QVERIFY(near(kommentare[0]->rect.top(), p.bands("detail")[1]->rect.bottom()));
        QCOMPARE(p.findAll("J").size(), size_t(3));
        QCOMPARE(pages.texts(0).mid(3, 7),
                 QStringList({"Teilnehmer 01", "J", "Teilnehmer 02", "J", "gut", "Teilnehmer 03", "Teilnehmer 04"}));
        verifyBandsStacked(p);
        // A centred item keeps its box; the text is centred in it when painted.
        const PlacedItem* j = p.findAll("J")[0];
        QVERIFY(near(j->rect.width(), 13.2));
        QCOMPARE(j->align(), Align::Center);
    }

    void subDetailBands_data() {
        QTest::addColumn<QStringList>("dogs");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("drei Hunde") << QStringList{"Bello", "Rex", "Luna"}
                                    << QStringList{"title", "detail", "strip", "dog", "dogstrip", "dog", "dogstrip",
                                                   "dog", "dogstrip", "footer"};
        QTest::newRow("ohne Hund") << QStringList{}
                                   << QStringList{"title", "detail", "strip", "dog", "dogstrip", "footer"};
    }
    void subDetailBands() {
        QFETCH(QStringList, dogs);
        QFETCH(QStringList, order);
        CardReport c({{"0007", "Herr Mustermann", "", dogs}});
        const ReportPages pages = c.r.layout();
        QStringList names;
        for (auto* b : pages.pages[0].bands()) names << b->name();
        QCOMPARE(names, order);
        QCOMPARE(pages.countText("Hund-Nr. :"), qMax(1, int(dogs.size())));
        QCOMPARE(pages.countText("Rasse :"), qMax(1, int(dogs.size())));
        for (const QString& d : dogs) QCOMPARE(pages.countText(d), 1);
    }

    void unknownItemNameThrows() {
        Band b(BandKind::Detail, "detail", 5);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, b.setText("fehlt", "x"));
        Report r;
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, r.setBand(BandKind::Child, 5));
    }

    void fontMapping_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QString>("mapped");
        QTest::addColumn<int>("weight");
        QTest::newRow("Arial") << "Arial" << false << "Liberation Sans" << int(QFont::Normal);
        QTest::newRow("Arial fett") << "Arial" << true << "Liberation Sans" << int(QFont::Bold);
        QTest::newRow("Arial Narrow") << "Arial Narrow" << false << "Liberation Sans Narrow" << int(QFont::Normal);
        QTest::newRow("Arial Black") << "Arial Black" << false << "Liberation Sans" << int(QFont::Black);
        QTest::newRow("andere Schrift") << "Liberation Serif" << false << "Liberation Serif" << int(QFont::Normal);
    }
    void fontMapping() {
        QFETCH(QString, family);
        QFETCH(bool, bold);
        QFETCH(QString, mapped);
        QFETCH(int, weight);
        const QFont f = toQFont(Font{family, 10, bold});
        QCOMPARE(mappedFamily(family), mapped);
        QCOMPARE(f.family(), mapped);
        QCOMPARE(int(f.weight()), weight);
        QCOMPARE(f.pixelSize(), 353);  // 10 pt in hundredths of a millimetre
        QCOMPARE(QFontInfo(f).family(), mapped);  // installed, not a fallback
        if (weight >= QFont::Bold) QVERIFY(QFontInfo(f).bold());
    }

    void pdfAndPaint() {
        ListReport l(30);
        const ReportPages pages = l.r.layout();
        QTemporaryDir dir;
        const QString file = dir.filePath("liste.pdf");
        QVERIFY(printToPdf(pages, file));
        QFile pdf(file);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray data = pdf.readAll();
        QVERIFY(data.startsWith("%PDF"));
        QVERIFY(data.size() > 2000);
        // To look at it: KYN_REPORT_SAMPLE_PDF=/tmp/x.pdf tests_report ReportEngineTest
        if (qEnvironmentVariableIsSet("KYN_REPORT_SAMPLE_PDF")) {
            CardReport c({{"0001", "Herr Max Mustermann", QString("Bellt an der Tür. ").repeated(30), {"Bello", "Rex"}},
                          {"0002", "Frau Eva Meier", "", {}}});
            printToPdf(c.r.layout(), qEnvironmentVariable("KYN_REPORT_SAMPLE_PDF") + ".karte.pdf");
            QFile::remove(qEnvironmentVariable("KYN_REPORT_SAMPLE_PDF"));
            QFile::copy(file, qEnvironmentVariable("KYN_REPORT_SAMPLE_PDF"));
        }

        // Painting maps millimetres onto the target: at 2 px/mm the silver
        // title band of a card covers y 20..42 px, its bottom right corner is
        // free of text.
        CardReport c({{"0001", "A", "", {}}});
        QImage img(420, 594, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter painter(&img);
        paintPage(painter, c.r.layout().pages[0], QRectF(0, 0, 420, 594));
        painter.end();
        QCOMPARE(QColor(img.pixel(380, 40)), kSilver);
        QCOMPARE(QColor(img.pixel(380, 46)), QColor(Qt::white));
        QCOMPARE(QColor(img.pixel(10, 40)), QColor(Qt::white));  // left margin
    }

    void previewHookCapturesPages() {
        {
            PreviewCapture capture;
            ListReport l(3);
            previewReport(l.r.layout(), "Teilnehmerliste");
            QCOMPARE(capture.shown.size(), size_t(1));
            QCOMPARE(capture.shown[0].first, QString("Teilnehmerliste"));
            QCOMPARE(capture.shown[0].second.count(), 1);
            QCOMPARE(capture.shown[0].second.countText("Teilnehmer 03"), 1);
        }
        QVERIFY(!setPreviewHook({}));  // the capture removed itself
    }

    // A PDF goes to the documents folder under the printout's name and date.
    void pdfProposal() {
        QString ordner = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!QFileInfo(ordner).isDir()) ordner = QDir::homePath();
        const QDate tag(2026, 12, 10);
        QCOMPARE(pdfVorschlag("Kundenliste", tag), QDir(ordner).filePath("Kundenliste-2026-12-10.pdf"));
        QCOMPARE(QFileInfo(pdfVorschlag("Datenauskunft Weiß/Meier: \"A\"", tag)).fileName(),
                 QString("Datenauskunft Weiß_Meier_ _A_-2026-12-10.pdf"));
        QCOMPARE(QFileInfo(pdfVorschlag("", tag)).fileName(), QString("Ausdruck-2026-12-10.pdf"));
    }

    // The preview: German texts (Qt's translation is loaded), maximised, at
    // page width; "Drucken" opens the German print dialog with the PDF file
    // proposed in the documents folder.
    void previewIsGermanMaximisedAtPageWidth() {
        ListReport l(40);
        const ReportPages pages = l.r.layout();
        QPrinter printer(QPrinter::HighResolution);
        setupPrinter(printer);
        QPrintPreviewDialog dlg(&printer);
        vorschauEinrichten(dlg, printer, pages, "Kundenliste");
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.windowTitle(), QString("Kundenliste"));
        QVERIFY(dlg.isMaximized());
        auto* breite = dlg.findChild<QAction*>("fitWidthAction");
        QVERIFY(breite && breite->isChecked());
        auto* vorschau = dlg.findChild<QPrintPreviewWidget*>();
        QVERIFY(vorschau);
        QCOMPARE(vorschau->zoomMode(), QPrintPreviewWidget::FitToWidth);
        QStringList texte;
        for (QAction* a : dlg.findChildren<QAction*>()) texte << a->toolTip();
        for (const char* t : {"Nächste Seite", "Erste Seite", "Breite anpassen", "Hochformat", "Drucken",
                              "Seite einrichten"})
            QVERIFY2(texte.contains(QString::fromUtf8(t)), qPrintable(t + QString(" fehlt in ") + texte.join(", ")));

        QString dialogTitel, datei;
        QTimer::singleShot(0, &dlg, [&] {
            auto* druck = dlg.findChild<QPrintDialog*>("druckdialog");
            if (!druck) return;
            dialogTitel = druck->windowTitle();
            if (auto* f = druck->findChild<QLineEdit*>("filename")) datei = f->text();
            druck->reject();
        });
        QAction* drucken = nullptr;
        for (QAction* a : dlg.findChildren<QAction*>())
            if (a->text() == QString("Drucken")) drucken = a;
        QVERIFY(drucken);
        drucken->trigger();
        QCOMPARE(dialogTitel, QString("Drucken"));
        QCOMPARE(datei, pdfVorschlag("Kundenliste"));
        QVERIFY(dlg.isVisible());  // cancelled: the preview stays

        // The page set-up and the file dialogs speak German as well.
        QPageSetupDialog seite(&printer);
        QCOMPARE(seite.windowTitle(), QString("Seite einrichten"));
        QFileDialog datei2;
        datei2.setOption(QFileDialog::DontUseNativeDialog, true);
        QCOMPARE(datei2.labelText(QFileDialog::LookIn), QString("Suchen in:"));
        QCOMPARE(datei2.labelText(QFileDialog::Reject), QString("Abbrechen"));
        dlg.reject();
    }
};

KYN_TEST(ReportEngineTest)
#include "report_test.moc"
