#include "report/reportpaint.h"

#include <QFontMetricsF>
#include <QHash>

#include "report/report.h"

#include <QPageLayout>
#include <QPainter>
#include <QAction>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QStandardPaths>
#include <QPrinter>

namespace report {

// The report layouts name Windows fonts. Liberation Sans and Liberation Sans
// Narrow have the same metrics as Arial and Arial Narrow and stand in for
// them. There is no Liberation counterpart of Arial Black, so it becomes
// Liberation Sans at QFont::Black, which selects its heaviest face (Bold).
QString mappedFamily(const QString& family) {
    const QString f = family.trimmed();
    if (f.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0) return QStringLiteral("Liberation Sans");
    if (f.compare(QLatin1String("Arial Narrow"), Qt::CaseInsensitive) == 0) return QStringLiteral("Liberation Sans Narrow");
    if (f.compare(QLatin1String("Arial Black"), Qt::CaseInsensitive) == 0) return QStringLiteral("Liberation Sans");
    return f;
}

QFont toQFont(const Font& font) {
    QFont q(mappedFamily(font.family));
    const bool black = font.family.trimmed().compare(QLatin1String("Arial Black"), Qt::CaseInsensitive) == 0;
    q.setWeight(black ? QFont::Black : font.bold ? QFont::Bold : QFont::Normal);
    q.setItalic(font.italic);
    q.setUnderline(font.underline);
    q.setPixelSize(qMax(1, qRound(font.pointSize * 25.4 / 72.0 * kUnitsPerMM)));
    q.setHintingPreference(QFont::PreferNoHinting);
    return q;
}

static int qtAlign(Align a) {
    switch (a) {
    case Align::Center: return Qt::AlignHCenter;
    case Align::Right: return Qt::AlignRight;
    default: return Qt::AlignLeft;
    }
}

void setFitted(Band& b, const QString& name, const QString& value) {
    Item& it = b.item(name);
    it.text = value;
    if (it.width <= 0 || it.wordWrap || value.isEmpty()) return;
    // Kept for the whole run of the program (fonts outlive no application).
    struct Metrics {
        QFontMetricsF fm;
        double latin1[256];  // advance of each Latin-1 character
    };
    // A handful of fonts, asked for with every value of a list: the fields
    // are compared, no key text is built.
    static auto* metrics = new std::vector<std::pair<Font, Metrics*>>;
    Metrics* m = nullptr;
    for (const auto& e : *metrics)
        if (e.first == it.font) {
            m = e.second;
            break;
        }
    if (!m) {
        m = new Metrics{QFontMetricsF(toQFont(it.font)), {}};
        for (int c = 0; c < 256; ++c) m->latin1[c] = m->fm.horizontalAdvance(QChar(c));
        metrics->emplace_back(it.font, m);
    }
    const double w = it.width * kUnitsPerMM;
    // A Latin-1 text whose characters' advances add up to clearly less than
    // the room fits (kerning moves a text by far less than a tenth); only
    // the others are shaped and measured.
    double sum = 0;
    bool latin1 = true;
    for (const QChar c : value) {
        if (c.unicode() > 0xff) {
            latin1 = false;
            break;
        }
        sum += m->latin1[c.unicode()];
    }
    if (latin1 && sum <= 0.9 * w) return;
    if (m->fm.horizontalAdvance(value) > w) it.text = m->fm.elidedText(value, Qt::ElideRight, w);
}

void paintPage(QPainter& painter, const ReportPage& page, const QRectF& target, const QSizeF& pageSizeMM) {
    constexpr double U = kUnitsPerMM;
    auto r = [](const QRectF& mm) { return QRectF(mm.x() * U, mm.y() * U, mm.width() * U, mm.height() * U); };
    painter.save();
    painter.translate(target.topLeft());
    // One scale for both directions: a sheet of another shape never distorts the page.
    const double scale = qMin(target.width() / (pageSizeMM.width() * U), target.height() / (pageSizeMM.height() * U));
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const PlacedItem& it : page.items) {
        switch (it.kind) {
        case PlacedItem::Kind::Band:
            if (it.color().isValid()) painter.fillRect(r(it.rect), it.color());
            break;
        case PlacedItem::Kind::Line:
            painter.setPen(QPen(it.color(), it.penWidth() * U));
            painter.drawLine(QPointF(it.rect.left() * U, it.rect.top() * U),
                             QPointF(it.rect.right() * U, it.rect.top() * U));
            break;
        case PlacedItem::Kind::Frame:
            painter.setPen(QPen(it.color(), it.penWidth() * U));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(r(it.rect));
            break;
        case PlacedItem::Kind::Fill:
            // Without antialiasing: adjoining fills (the modules of a QR
            // code) leave no light seams between them.
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.fillRect(r(it.rect), it.color().isValid() ? it.color() : QColor(Qt::black));
            painter.setRenderHint(QPainter::Antialiasing);
            break;
        case PlacedItem::Kind::Text: {
            painter.setFont(toQFont(it.font()));
            painter.setPen(it.color().isValid() ? it.color() : QColor(Qt::black));
            const int flags = qtAlign(it.align()) | Qt::AlignTop | Qt::TextSingleLine |
                              (it.clip() ? 0 : Qt::TextDontClip);
            const QStringList lines = it.textLines();
            for (int i = 0; i < lines.size(); ++i) {
                QRectF line(it.rect.left(), it.rect.top() + i * it.lineSpacing(), it.rect.width(), it.lineHeight());
                painter.drawText(r(line), flags, lines[i]);
            }
            break;
        }
        }
    }
    painter.restore();
}

void setupPrinter(QPrinter& printer) {
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
}

bool printPages(QPrinter& printer, const ReportPages& pages) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    // Full-page mode: the painter's origin is the paper's corner.
    const QRectF sheet(QPointF(0, 0), QSizeF(printer.pageLayout().fullRectPixels(printer.resolution()).size()));
    for (int i = 0; i < pages.count(); ++i) {
        if (i > 0) printer.newPage();
        paintPage(painter, pages.pages[size_t(i)], sheet, pages.pageSizeMM);
    }
    return painter.end();
}

bool printToPdf(const ReportPages& pages, const QString& fileName) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    setupPrinter(printer);
    return printPages(printer, pages);
}

static PreviewHook& hook() {
    static PreviewHook h;
    return h;
}

PreviewHook setPreviewHook(PreviewHook h) {
    PreviewHook old = std::move(hook());
    hook() = std::move(h);
    return old;
}

QString pdfVorschlag(const QString& title, const QDate& date) {
    QString ordner = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (ordner.isEmpty() || !QFileInfo(ordner).isDir()) ordner = QDir::homePath();
    // Characters no file name may hold become "_".
    QString name = title.trimmed();
    for (QChar& c : name)
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c)) c = QLatin1Char('_');
    if (name.isEmpty()) name = QStringLiteral("Ausdruck");
    return QDir(ordner).filePath(name + QLatin1Char('-') + date.toString(QStringLiteral("yyyy-MM-dd")) +
                                 QStringLiteral(".pdf"));
}

static QAction* druckAktion(QPrintPreviewDialog& dlg) {
    const QString text = QCoreApplication::translate("QPrintPreviewDialog", "Print");
    for (QAction* a : dlg.findChildren<QAction*>())
        if (a->text() == text && a->actionGroup()) return a;
    return nullptr;
}

void vorschauEinrichten(QPrintPreviewDialog& dlg, QPrinter& printer, const ReportPages& pages,
                        const QString& title) {
    dlg.setWindowTitle(title);
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg,
                     [&pages](QPrinter* p) { printPages(*p, pages); });
    // Maximised, the page as wide as the window.
    dlg.setWindowState(dlg.windowState() | Qt::WindowMaximized);
    if (auto* breite = dlg.findChild<QAction*>(QStringLiteral("fitWidthAction"))) breite->trigger();
    // "Drucken": the print dialog with the file for "Print to file (PDF)"
    // proposed in the documents folder under the printout's name and date
    // (the dialog's own proposal is the home folder).
    QAction* drucken = druckAktion(dlg);
    if (!drucken) return;
    drucken->disconnect(&dlg);
    const QString vorschlag = pdfVorschlag(title);
    QObject::connect(drucken, &QAction::triggered, &dlg, [&dlg, &printer, &pages, vorschlag] {
        QPrintDialog druck(&printer, &dlg);
        druck.setObjectName(QStringLiteral("druckdialog"));
        if (printer.outputFileName().isEmpty())
            if (auto* datei = druck.findChild<QLineEdit*>(QStringLiteral("filename"))) datei->setText(vorschlag);
        if (druck.exec() != QDialog::Accepted) return;
        printPages(printer, pages);
        dlg.accept();
    });
}

void previewReport(const ReportPages& pages, const QString& title, QWidget* parent) {
    if (hook()) {
        hook()(pages, title);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    setupPrinter(printer);
    printer.setDocName(title);
    QPrintPreviewDialog dlg(&printer, parent);
    vorschauEinrichten(dlg, printer, pages, title);
    dlg.exec();
}

PreviewCapture::PreviewCapture() {
    previous_ = setPreviewHook([this](const ReportPages& pages, const QString& title) {
        shown.emplace_back(title, pages);
    });
}

PreviewCapture::~PreviewCapture() { setPreviewHook(std::move(previous_)); }

}  // namespace report
