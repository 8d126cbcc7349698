// The participant list and the course date list, checked on the page model
// of the preview: bands and their order, the name column, the comment line
// under every participant, headings on the first page only, the footer on
// every page, positions and fonts, and where the datasets stand afterwards.
#include <QDir>
#include <QPushButton>
#include <QFontMetricsF>
#include <QRegularExpression>
#include <QTest>

#include "courses/kurse.h"
#include "courses/qr_teilnehmerliste.h"
#include "courses/qr_terminliste.h"
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

struct Teilnehmer {
    QString name, vname, hund, bezahlt, kommentar;
};

struct Fixture {
    TestEnv env;
    std::unique_ptr<Tdm> m;
    int kunde = 0, teilnehmer = 0;
    Fixture() {
        env.createDatabase();
        m = std::make_unique<Tdm>();
        m->connectTo(env.databasePath());
        dm = m.get();
    }
    void addKurs(int nr, const QString& art, const QString& name) {
        exec(*m, "insert into kurse (kursnr, kursart, kursname, status) values (?,?,?,?)", {nr, art, name, "A"});
    }
    void addTeilnehmer(int kurs, const Teilnehmer& t) {
        ++kunde;
        exec(*m, "insert into kunden (kndnr, name, vname, tel, mobil, fax, email) values (?,?,?,?,?,?,?)",
             {kunde, t.name, t.vname, QString("0431/55%1").arg(kunde), QString("0171/66%1").arg(kunde),
              QString("0431/77%1").arg(kunde), QString("%1@example.de").arg(t.name.toLower())});
        exec(*m, "insert into hunde (hundnr, kndnr, name) values (?,?,?)", {kunde, kunde, t.hund});
        exec(*m, "insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt, kommentar) values (?,?,?,?,?,?)",
             {++teilnehmer, kurs, kunde, kunde, t.bezahlt, t.kommentar.isNull() ? QVariant() : QVariant(t.kommentar)});
    }
    void addTermin(int kurs, const QDateTime& datum, const QString& thema) {
        exec(*m, "insert into kurstermine (kursnr, datum, thema) values (?,?,?)", {kurs, datum, thema});
    }
    // The course window's datasets, on course `kurs`.
    void open(int kurs) {
        m->ibt_kurse->open();
        m->ibq_teilnehmer->open();
        m->ibt_teilnehmeredit->open();
        m->ibt_kurstermine->open();
        if (!m->ibt_kurse->locate("KURSNR", kurs)) qFatal("Kurs fehlt");
    }
    template <class Form>
    ReportPages preview(Form& form, const QString& expectedTitle) {
        PreviewCapture capture;
        form.preview();
        if (capture.shown.size() != 1 || capture.shown[0].first != expectedTitle) qFatal("keine Vorschau");
        return capture.shown[0].second;
    }
};

QStringList bandNames(const ReportPage& p) {
    QStringList out;
    for (auto* b : p.bands()) out << b->name();
    return out;
}

QStringList textsOf(const ReportPages& pages, const QString& name) {
    QStringList out;
    for (const ReportPage& p : pages.pages)
        for (auto* it : p.byName(name)) out << it->text;
    return out;
}

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

void verifyFooter(const ReportPage& p, double height, const QString& prefix, double right) {
    const auto footer = p.bands("PageFooterBand1");
    QCOMPARE(footer.size(), size_t(1));
    QVERIFY(near(footer[0]->rect.top(), 297 - 10 - height));
    QVERIFY(near(footer[0]->rect.height(), height));
    const PlacedItem* t = p.byName("QRSysData1").at(0);
    QVERIFY2(QRegularExpression("^" + QRegularExpression::escape(prefix) +
                                "\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d$")
                 .match(t->text)
                 .hasMatch(),
             qPrintable(t->text));
    QCOMPARE(t->align(), Align::Right);
    QVERIFY(near(t->rect.right(), 10 + right));
    QCOMPARE(t->font().pointSize, 8.0);
    QCOMPARE(t->font().family, QString("Arial"));
}

}  // namespace

class CourseListsReportTest : public QObject {
    Q_OBJECT
private slots:
    void init() { dm = nullptr; }

    // 25 participants need two pages: title, course line and headings on the
    // first only, the footer on both, every participant once, by name, each
    // with its comment line under it.
    void participantListOverTwoPages() {
        Fixture f;
        f.addKurs(5, "Ju", "Junghunde Montag");
        f.addKurs(6, "Ag", "Agility");
        f.addTeilnehmer(6, {"Fremd", "Kurt", "Hasso", "N", "anderer Kurs"});
        for (int i = 0; i < 25; ++i) {
            const QString name = QString("Name%1").arg(25 - i, 2, 10, QChar('0'));
            f.addTeilnehmer(5, {name, i % 3 == 0 ? QString() : QString("Vn%1").arg(i), QString("Hund%1").arg(i),
                                i % 2 ? "B" : "N", i % 4 == 0 ? QString() : QString("Kommentar zu %1").arg(name)});
        }
        f.open(5);
        Tfrm_qr_teilnehmerliste form(*f.m);
        const ReportPages pages = f.preview(form, "Teilnehmerliste");
        QCOMPARE(pages.count(), 2);
        for (const QString& once : {"Teilnehmerliste ", "Kurs-Nr. :", "Kursart:", "Name", "Hund", "Bezahlt", "Tel.",
                                    "Mobil", "Fax", "E-Mail", "Junghunde Montag"}) {
            QCOMPARE(pages.countText(once), 1);
            QCOMPARE(pages.pageOf(once), 0);
        }
        const QStringList names = textsOf(pages, "QRDBText4");
        QCOMPARE(names.size(), 25);
        QCOMPARE(names.mid(0, 3), QStringList({"Name01", "Name02, Vn23", "Name03, Vn22"}));
        QVERIFY(std::is_sorted(names.begin(), names.end()));
        QCOMPARE(names.last(), QString("Name25"));
        QVERIFY(!names.contains("Fremd, Kurt"));
        // Line and comment alternate; a participant without comment still
        // has the (empty) comment line.
        for (int i = 0; i < 2; ++i) {
            const ReportPage& p = pages.pages[size_t(i)];
            QStringList order = bandNames(p);
            QCOMPARE(order.takeLast(), QString("PageFooterBand1"));
            if (i == 0) {
                QCOMPARE(order.mid(0, 3), QStringList({"TitleBand1", "ChildBand1", "ChildBand2"}));
                order = order.mid(3);
            }
            QVERIFY(order.size() % 2 == 0);
            for (int j = 0; j < order.size(); j += 2) {
                QCOMPARE(order[j], QString("DetailBand1"));
                QCOMPARE(order[j + 1], QString("ChildBand3"));
            }
            verifyFooter(p, 6.3, "Gedruckt am:", 187.3);
            // Page 2 starts with a participant at the top margin.
            if (i == 1) QVERIFY(near(p.bands()[0]->rect.top(), 10));
        }
        QCOMPARE(textsOf(pages, "KOMMENTAR").size(), 25 - 7);
        verifyNothingOverlaps(pages);
        // Each comment belongs to the line above it.
        const ReportPage& p = pages.pages[0];
        const auto details = p.bands("DetailBand1");
        const auto comments = p.bands("ChildBand3");
        for (size_t i = 0; i < details.size(); ++i) {
            QVERIFY(near(comments[i]->rect.top(), details[i]->rect.bottom()));
            const PlacedItem* name = nullptr;
            for (auto* it : p.byName("QRDBText4"))
                if (near(it->rect.top(), details[i]->rect.top() + 1.2)) name = it;
            QVERIFY(name);
            for (auto* it : p.byName("KOMMENTAR"))
                if (it->rect.top() > comments[i]->rect.top() - 0.001 && it->rect.top() < comments[i]->rect.bottom())
                    QCOMPARE(it->text, "Kommentar zu " + name->text.section(',', 0, 0));
        }
        // The query was read from the first row to the last and stays there.
        QCOMPARE(f.m->ibq_teilnehmer->fieldByName("NAME")->asString(), QString("Name25"));
        QCOMPARE(f.m->ibt_teilnehmeredit->fieldByName("ID")->asInteger(), f.m->ibq_teilnehmer->fieldByName("ID")->asInteger());
    }

    // Positions and fonts of every band of the participant list.
    void participantListLayout() {
        Fixture f;
        f.addKurs(5, "Ju", "Junghunde Montag");
        f.addTeilnehmer(5, {"Meier", "Hans", "Rex", "Ü", "Bringt eigene Leckerli mit."});
        f.addTeilnehmer(5, {"Schulz", "", "Luna", "N", QString()});
        f.open(5);
        Tfrm_qr_teilnehmerliste form(*f.m);
        const ReportPages pages = f.preview(form, "Teilnehmerliste");
        QCOMPARE(pages.count(), 1);
        const ReportPage& p = pages.pages[0];
        QCOMPARE(bandNames(p), QStringList({"TitleBand1", "ChildBand1", "ChildBand2", "DetailBand1", "ChildBand3",
                                            "DetailBand1", "ChildBand3", "PageFooterBand1"}));
        const double heights[] = {11.4, 7.9, 10.6, 6.3, 6.3, 6.3, 6.3, 6.3};
        for (size_t i = 0; i < p.bands().size(); ++i) QVERIFY(near(p.bands()[i]->rect.height(), heights[i]));
        QVERIFY(!p.bands("TitleBand1")[0]->color().isValid() || p.bands("TitleBand1")[0]->color() == Qt::white);
        const double kursTop = p.bands("ChildBand1")[0]->rect.top();
        const double detailTop = p.bands("DetailBand1")[0]->rect.top();
        const struct {
            const char* text;
            double left;
            const char* family;
            bool bold;
            double bandTop;  // -1: title, -2: course line, -3: headings, -4: first detail, -5: first comment
        } expected[] = {
            {"Teilnehmerliste ", 6.3, "Arial Black", false, -1},
            {"Kurs-Nr. :", 6.3, "Arial", true, -2},
            {"5", 23.3, "Arial", false, -2},
            {"Junghunde Montag", 42.3, "Arial", false, -2},
            {"Kursart:", 154.5, "Arial", true, -2},
            {"Ju", 169.3, "Arial", false, -2},
            {"Name", 6.3, "Arial", true, -3},
            {"Hund", 33.9, "Arial", true, -3},
            {"Bezahlt", 52.9, "Arial", true, -3},
            {"Tel.", 69.6, "Arial", true, -3},
            {"Mobil", 94.7, "Arial", true, -3},
            {"Fax", 120.1, "Arial", true, -3},
            {"E-Mail", 145.3, "Arial", true, -3},
            {"Meier, Hans", 6.3, "Arial Narrow", false, -4},
            {"Rex", 33.9, "Arial Narrow", false, -4},
            {"Ü", 52.9, "Arial Narrow", false, -4},
            {"0431/551", 70.1, "Arial Narrow", false, -4},
            {"0171/661", 95.0, "Arial Narrow", false, -4},
            {"0431/771", 120.1, "Arial Narrow", false, -4},
            {"meier@example.de", 145.3, "Arial Narrow", false, -4},
            {"Bringt eigene Leckerli mit.", 6.3, "Arial Narrow", false, -5},
        };
        for (const auto& e : expected) {
            const PlacedItem* it = p.findText(QString::fromUtf8(e.text));
            QVERIFY2(it, e.text);
            QVERIFY2(near(it->rect.left(), 10 + e.left), e.text);
            QCOMPARE(it->font().family, QString(e.family));
            QCOMPARE(it->font().bold, e.bold);
            QCOMPARE(it->font().pointSize, e.family == QString("Arial Black") ? 14.0 : 10.0);
            const char* bands[] = {"TitleBand1", "ChildBand1", "ChildBand2", "DetailBand1", "ChildBand3"};
            const auto* band = p.bands(bands[int(-e.bandTop) - 1])[0];
            QVERIFY2(it->rect.top() >= band->rect.top() && it->rect.bottom() <= band->rect.bottom() + 0.001, e.text);
        }
        Q_UNUSED(kursTop);
        Q_UNUSED(detailTop);
        // Payment status centred in 13.2 mm; comment 173.8 mm wide.
        const PlacedItem* paid = p.findText("Ü");
        QCOMPARE(paid->align(), Align::Center);
        QVERIFY(near(paid->rect.width(), 13.2));
        QVERIFY(near(p.findText("Bringt eigene Leckerli mit.")->rect.width(), 173.8));
        QVERIFY(near(p.findText("Junghunde Montag")->rect.width(), 106));
        // Schulz has no first name and no comment: the name alone, an empty line.
        QVERIFY(p.findText("Schulz"));
        QCOMPARE(textsOf(pages, "KOMMENTAR"), QStringList({"Bringt eigene Leckerli mit."}));
        verifyNothingOverlaps(pages);
    }

    // A comment with line breaks makes its line taller; nothing is lost. A
    // name longer than its column ends in an ellipsis at the column's edge.
    void longCommentAndLongName() {
        Fixture f;
        f.addKurs(5, "Ju", "Junghunde Montag");
        f.addTeilnehmer(5, {"Meier", "Hans", "Rex", "B", "Zieht an der Leine.\r\nBellt Radfahrer an."});
        f.addTeilnehmer(5, {"Schneider-Lüdenscheidt", "Hans-Peter", "Luna", "N", "Ruhig."});
        f.open(5);
        Tfrm_qr_teilnehmerliste form(*f.m);
        const ReportPages pages = f.preview(form, "Teilnehmerliste");
        const ReportPage& p = pages.pages[0];
        const auto comments = p.bands("ChildBand3");
        const PlacedItem* c = p.byName("KOMMENTAR")[0];
        QCOMPARE(c->lines, QStringList({"Zieht an der Leine.", "Bellt Radfahrer an."}));
        QVERIFY(near(comments[0]->rect.height(), 6.3 + c->lineSpacing()));
        QVERIFY(near(comments[1]->rect.height(), 6.3));
        QVERIFY(near(p.bands("DetailBand1")[1]->rect.top(), comments[0]->rect.bottom()));
        const PlacedItem* name = p.byName("QRDBText4").at(1);
        QVERIFY2(name->text.endsWith(QChar(0x2026)) && name->text.startsWith("Schneider-L"), qPrintable(name->text));
        const QFontMetricsF fm(toQFont(name->font()));
        QVERIFY(fm.horizontalAdvance(name->text) / kUnitsPerMM <= name->rect.width() + 0.01);
        QVERIFY(name->rect.right() < 10 + 33.9);
        QCOMPARE(p.byName("QRDBText4").at(0)->text, QString("Meier, Hans"));
        verifyNothingOverlaps(pages);
    }

    void courseWithoutParticipants() {
        Fixture f;
        f.addKurs(5, "Ju", "Junghunde Montag");
        f.addKurs(6, "Ag", "Agility");
        f.addTeilnehmer(6, {"Fremd", "Kurt", "Hasso", "N", "anderer Kurs"});
        f.open(5);
        Tfrm_qr_teilnehmerliste form(*f.m);
        const ReportPages pages = f.preview(form, "Teilnehmerliste");
        QCOMPARE(pages.count(), 1);
        QCOMPARE(bandNames(pages.pages[0]),
                 QStringList({"TitleBand1", "ChildBand1", "ChildBand2", "PageFooterBand1"}));
        QStringList texts = pages.texts(0);
        texts.removeLast();  // the footer
        QCOMPARE(texts, QStringList({"Teilnehmerliste ", "Kurs-Nr. :", "5", "Junghunde Montag", "Kursart:", "Ju",
                                     "Name", "Hund", "Bezahlt", "Tel.", "Mobil", "Fax", "E-Mail"}));
        verifyFooter(pages.pages[0], 6.3, "Gedruckt am:", 187.3);
    }

    // The date list: weekday and date without the time of day, the topic,
    // in the order of the course-date table; the datasets stay on the last
    // date.
    void dateList() {
        Fixture f;
        f.addKurs(5, "Ju", "Junghunde Montag");
        f.addKurs(6, "Ag", "Agility");
        f.addTermin(5, db::makeDateTime(QDate(2005, 12, 5), QTime(18, 30)), "Treffpunkt Parkplatz Waldweg");
        f.addTermin(5, db::makeDateTime(QDate(2005, 12, 12), QTime(18, 30)), "Leinenführigkeit");
        f.addTermin(5, db::makeDateTime(QDate(2005, 12, 15), QTime(0, 0)), "Abschlussprüfung");
        f.addTermin(6, db::makeDateTime(QDate(2005, 12, 6), QTime(10, 0)), "Parcours");
        f.open(5);
        QStringList tableOrder;
        for (f.m->ibt_kurstermine->first(); !f.m->ibt_kurstermine->eof(); f.m->ibt_kurstermine->next())
            tableOrder << f.m->ibt_kurstermine->fieldByName("DATUM")->displayText();
        f.m->ibt_kurstermine->first();

        Tfrm_qr_terminliste form(*f.m);
        const ReportPages pages = f.preview(form, "Terminliste");
        QCOMPARE(pages.count(), 1);
        const ReportPage& p = pages.pages[0];
        QCOMPARE(bandNames(p), QStringList({"TitleBand1", "ChildBand1", "ChildBand2", "DetailBand1", "DetailBand1",
                                            "DetailBand1", "PageFooterBand1"}));
        const double heights[] = {11.4, 10.6, 10.6, 6.3, 6.3, 6.3, 8.5};
        for (size_t i = 0; i < p.bands().size(); ++i) QVERIFY(near(p.bands()[i]->rect.height(), heights[i]));
        QCOMPARE(p.bands("TitleBand1")[0]->color(), kSilver);
        QCOMPARE(textsOf(pages, "DATUM"), tableOrder);
        QVERIFY(tableOrder.contains("Montag, 05.12.2005"));
        QVERIFY(tableOrder.contains("Donnerstag, 15.12.2005"));
        for (const QString& t : pages.allTexts()) QVERIFY2(!t.contains("18:30"), qPrintable(t));
        QCOMPARE(pages.countText("Parcours"), 0);
        const struct {
            const char* text;
            double left;
            const char* family;
            bool bold;
        } expected[] = {
            {"Terminliste", 6.3, "Arial Black", false},
            {"Kurs-Nr. :", 6.3, "Arial", true},
            {"5", 23.3, "Arial", false},
            {"Junghunde Montag", 40.2, "Arial", false},
            {"Kursart:", 154.5, "Arial", true},
            {"Ju", 169.3, "Arial", false},
            {"Datum", 6.3, "Arial", true},
            {"Thema / Treffpunkt", 48.7, "Arial", true},
            {"Montag, 05.12.2005", 6.3, "Arial", false},
            {"Treffpunkt Parkplatz Waldweg", 48.7, "Arial", false},
        };
        for (const auto& e : expected) {
            const PlacedItem* it = p.findText(QString::fromUtf8(e.text));
            QVERIFY2(it, e.text);
            QVERIFY2(near(it->rect.left(), 10 + e.left), e.text);
            QCOMPARE(it->font().family, QString(e.family));
            QCOMPARE(it->font().bold, e.bold);
        }
        QVERIFY(near(p.findText("Junghunde Montag")->rect.width(), 108));
        QVERIFY(near(p.findText("Treffpunkt Parkplatz Waldweg")->rect.width(), 118.8));
        // The longest weekday fits its column.
        const PlacedItem* longest = p.findText("Donnerstag, 15.12.2005");
        const QFontMetricsF fm(toQFont(longest->font()));
        QVERIFY(fm.horizontalAdvance(longest->text) / kUnitsPerMM < 48.7 - 6.3);
        verifyFooter(p, 8.5, "Gedruckt am: ", 188.1);
        verifyNothingOverlaps(pages);
        // Read from the first date to the last, and left there.
        QCOMPARE(f.m->ibt_kurstermine->fieldByName("DATUM")->displayText(), tableOrder.last());
    }

    // The course window's button bar: "Terminliste" and "Anmeldung" show the
    // date list, "Teilnehmerliste" posts the comment being typed and shows
    // the participant list, each for the current course.
    void courseWindowButtons() {
        Fixture f;
        platform::ScopedScriptedDialogs dialogs;
        f.addKurs(5, "Ju", "Junghunde Montag");
        f.addKurs(6, "Ag", "Agility");
        f.addTeilnehmer(6, {"Meier", "Hans", "Rex", "N", ""});
        f.addTeilnehmer(6, {"Schulz", "Ute", "Luna", "N", ""});
        f.addTermin(6, db::makeDateTime(QDate(2005, 12, 5), QTime(18, 30)), "Parcours");
        f.open(6);
        // The printouts as the program makes them at its start.
        Tfrm_qr_teilnehmerliste teilnehmerliste(*f.m);
        frm_qr_teilnehmerliste = &teilnehmerliste;
        Tfrm_qr_terminliste terminliste(*f.m);
        frm_qr_terminliste = &terminliste;
        Tfrm_kurse* w = new Tfrm_kurse(*f.m);
        const struct {
            const char* button;
            const char* title;
            const char* line;
        } cases[] = {{"BitBtn1", "Terminliste", "Montag, 05.12.2005"},
                     {"BitBtn5", "Terminliste", "Parcours"},
                     {"BitBtn2", "Teilnehmerliste", "Schulz, Ute"}};
        for (const auto& c : cases) {
            auto* button = w->findChild<QPushButton*>(c.button);
            QVERIFY2(button, c.button);
            f.m->ibq_teilnehmer->first();
            // A comment typed for the first participant, not yet posted.
            f.m->ibt_teilnehmeredit->edit();
            f.m->ibt_teilnehmeredit->fieldByName("KOMMENTAR")->setAsString("Neu getippt");
            PreviewCapture capture;
            button->click();
            QCOMPARE(capture.shown.size(), size_t(1));
            QCOMPARE(capture.shown[0].first, QString(c.title));
            const ReportPages& pages = capture.shown[0].second;
            QCOMPARE(pages.countText("Agility"), 1);
            QCOMPARE(pages.countText(QString::fromUtf8(c.line)), 1);
            if (QString(c.button) == "BitBtn2") {
                QCOMPARE(pages.countText("Neu getippt"), 1);
                QCOMPARE(f.m->ibt_teilnehmeredit->state(), db::DatasetState::Browse);
            } else {
                f.m->ibt_teilnehmeredit->cancel();
            }
        }
        KYN_VERIFY_DIALOGS(dialogs);
        delete w;
    }

    // Writes both lists as PDF to look at:
    // KYN_PRINT_PDF=/tmp/dir tests_courses CourseListsReportTest
    void samplePdf() {
        const QString dir = qEnvironmentVariable("KYN_PRINT_PDF");
        if (dir.isEmpty()) QSKIP("KYN_PRINT_PDF not set");
        QDir().mkpath(dir);
        Fixture f;
        f.addKurs(12, "Ju", "Junghundekurs Frühjahr");
        const Teilnehmer people[] = {
            {"Meier", "Hans", "Rex", "B", "Bringt eigene Leckerli mit."},
            {"Schmidt", "Anna-Lena", "Luna", "Ü", ""},
            {"Özdemir", "", "Kira", "N", "Hündin läufig ab Mitte April, dann Einzelstunde."},
            {"Schneider-Lüdenscheidt", "Hans-Peter", "Sammy", "L", "Zahlt per Lastschrift.\r\nKommt ab 2. Termin."},
            {"Weber", "Jörg", "Bello", "G", ""},
            {"Fischer", "Ute", "Aika", "N", ""},
        };
        for (const auto& t : people) f.addTeilnehmer(12, t);
        const QDate start(2006, 3, 6);
        const char* topics[] = {"Treffpunkt Parkplatz am Waldweg, Leinen und Leckerli mitbringen",
                                "Sitz und Platz, erste Übungen zur Leinenführigkeit", "Rückruf auf der Wiese",
                                "Begegnungen mit anderen Hunden", "Stadtgang: Treffpunkt Bahnhof Vorplatz",
                                "Abschlussprüfung mit Urkunde"};
        for (int i = 0; i < 6; ++i) f.addTermin(12, db::makeDateTime(start.addDays(7 * i + (i == 3 ? 3 : 0)), QTime(18, 30)), topics[i]);
        f.open(12);
        Tfrm_qr_teilnehmerliste tl(*f.m);
        Tfrm_qr_terminliste tm(*f.m);
        QVERIFY(printToPdf(f.preview(tl, "Teilnehmerliste"), dir + "/teilnehmerliste.pdf"));
        QVERIFY(printToPdf(f.preview(tm, "Terminliste"), dir + "/terminliste.pdf"));
    }
};

KYN_TEST(CourseListsReportTest)
#include "qr_listen_test.moc"
