#pragma once
// Fonts, painting, printing and preview of the page model.
#include <QDate>
#include <QFont>
#include <QRectF>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

#include "report/reportpages.h"

class QPainter;
class QPrintPreviewDialog;
class QPrinter;
class QWidget;

namespace report {

// Text is measured and painted in hundredths of a millimetre with fonts sized
// in those units, so the layout does not depend on the screen and matches
// every device it is painted on.
constexpr double kUnitsPerMM = 100.0;

class Band;

QString mappedFamily(const QString& family);

// Sets the text of a band's item; a value longer than the item's fixed width
// ends in "…" at the item's edge instead of being cut off in the middle of a
// letter (word-wrapping and auto-width items take the value as it is).
void setFitted(Band& band, const QString& itemName, const QString& value);
QFont toQFont(const Font& font);  // pixel size in kUnitsPerMM units

// Paints one page so that the whole sheet (pageSizeMM) fills target, which is
// in the painter's current coordinates.
void paintPage(QPainter& painter, const ReportPage& page, const QRectF& target,
               const QSizeF& pageSizeMM = {210, 297});

// Sets the printer to A4 portrait, full page.
void setupPrinter(QPrinter& printer);
// Paints all pages on the printer (its own page set-up decides the sheet size).
bool printPages(QPrinter& printer, const ReportPages& pages);
bool printToPdf(const ReportPages& pages, const QString& fileName);

// The file a PDF of a printout is proposed as: the title and the date in the
// user's documents folder (the home folder when there is none), for example
// ".../Dokumente/Kundenliste-2026-12-10.pdf".
QString pdfVorschlag(const QString& title, const QDate& date = QDate::currentDate());

// Sets up a print preview of the pages: the title as caption, maximised, the
// page fitted to the window's width, and "Drucken" opening the print dialog
// with pdfVorschlag(title) as the file for printing to PDF. Qt's texts of
// the preview and its dialogs are German when the program loaded Qt's
// German translation (platform::initGerman).
void vorschauEinrichten(QPrintPreviewDialog& dlg, QPrinter& printer, const ReportPages& pages,
                        const QString& title);

// Shows the pages in a modal print preview (zoom, page navigation, printing)
// set up by vorschauEinrichten. When a preview hook is set, the hook gets
// the pages instead.
using PreviewHook = std::function<void(const ReportPages& pages, const QString& title)>;
void previewReport(const ReportPages& pages, const QString& title, QWidget* parent = nullptr);
PreviewHook setPreviewHook(PreviewHook hook);  // returns the previous hook

// For tests: captures every preview while it lives instead of showing it.
class PreviewCapture {
public:
    PreviewCapture();
    ~PreviewCapture();
    PreviewCapture(const PreviewCapture&) = delete;
    PreviewCapture& operator=(const PreviewCapture&) = delete;
    std::vector<std::pair<QString, ReportPages>> shown;  // title and pages, in order

private:
    PreviewHook previous_;
};

}  // namespace report
