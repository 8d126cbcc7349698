#pragma once
// A small banded report engine. A report is a set of bands (title, page
// header, column header, detail, summary, page footer), each with a height and
// items placed in millimetres; bands may carry child bands (printed once after
// their parent) and sub-detail bands (repeated after their parent while their
// own need-data callback says so). layout() runs the callbacks and produces
// the page model (reportpages.h), which preview and printer paint.
//
//   report::Report r;                                   // A4 portrait, 10 mm margins
//   r.setBand(report::BandKind::Title, 11.4).addLabel("Terminliste", 6.3, 2.1, {"Arial Black", 14});
//   auto& d = r.setBand(report::BandKind::Detail, 6.3, "detail");
//   d.addData("thema", 48.7, 0, {}, 118.8);
//   d.beforePrint = [&](report::Band& b) { b.setText("thema", rows[i].thema); };
//   r.needData = [&] { return ++i < rows.size(); };     // i starts at -1
//   report::previewReport(r.layout(), "Terminliste", this);
#include <QColor>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "report/reportpages.h"

namespace report {

struct Item {
    enum class Kind { Label, Data, Line, Frame, Fill };
    Kind kind = Kind::Label;
    QString name;            // to find the item from the callbacks; optional for labels
    QString text;            // labels: fixed; data: set per record by beforePrint
    double left = 0, top = 0;  // mm within the band
    double width = 0;        // mm; 0 = as wide as the text (texts), lines and frames need one
    double height = 0;       // mm; frames only (texts take their font's height)
    Font font;
    Align align = Align::Left;
    bool wordWrap = false;   // break into lines within width; the band grows to fit
    bool visible = true;     // kept until changed: a callback that hides, shows too
    QColor color = Qt::black;
    double penWidth = 0.2;   // mm, lines and frames
    // The style of the items the layout placed from this one, shared by all
    // of them while it stays the same (a cache of the layout's).
    mutable std::shared_ptr<const PlacedStyle> placed;
};

enum class BandKind { Title, PageHeader, ColumnHeader, Detail, Summary, PageFooter, Child, SubDetail };

class Band {
public:
    Band(BandKind kind, QString name, double heightMM);
    Band(const Band&) = delete;
    Band& operator=(const Band&) = delete;

    BandKind kind() const { return kind_; }
    QString name;
    double height;           // design height in mm; a band grows for wrapped text
    QColor color;            // background; invalid = none
    bool visible = true;     // kept until changed, like Item::visible
    bool keepTogether = false;  // with its child bands on one page
    // With its child bands and all its sub-detail bands (and theirs) on one
    // page, when they fit on one. The callbacks of the whole group run before
    // any of it is placed, so pageNumber() there may be the page before.
    bool keepWithSubDetails = false;
    // Called before each print of this band: set texts, hide items or the band.
    std::function<void(Band&)> beforePrint;
    // The style of this band's placed band items (see Item::placed).
    std::shared_ptr<const PlacedStyle> placed;
    // Sub-detail bands only: true while there is another record to print.
    std::function<bool()> needData;

    Item& addLabel(const QString& text, double left, double top, const Font& font = {},
                   double width = 0, Align align = Align::Left);
    Item& addData(const QString& name, double left, double top, const Font& font = {},
                  double width = 0, Align align = Align::Left, bool wordWrap = false);
    Item& addLine(double left, double top, double width, double penWidth = 0.2);
    Item& addFrame(double left, double top, double width, double height, double penWidth = 0.2);
    // A filled rectangle in the item's colour (the modules of a QR code).
    Item& addFill(double left, double top, double width, double height);

    // The item of that name; throws std::invalid_argument when there is none.
    Item& item(const QString& name);
    void setText(const QString& name, const QString& text) { item(name).text = text; }
    void setItemVisible(const QString& name, bool v) { item(name).visible = v; }

    Band& addChild(double heightMM, const QString& name = {});
    Band& addSubDetail(double heightMM, std::function<bool()> needData, const QString& name = {});

    const std::deque<Item>& items() const { return items_; }
    const std::vector<std::unique_ptr<Band>>& children() const { return children_; }
    const std::vector<std::unique_ptr<Band>>& subDetails() const { return subDetails_; }

private:
    BandKind kind_;
    std::deque<Item> items_;  // a deque keeps references from add...() valid
    std::vector<std::unique_ptr<Band>> children_;
    std::vector<std::unique_ptr<Band>> subDetails_;
};

class Report {
public:
    Report();
    ~Report();

    QSizeF pageSizeMM{210, 297};  // A4 portrait
    double marginLeft = 10, marginTop = 10, marginRight = 10, marginBottom = 10;
    void setMargins(double mm) { marginLeft = marginTop = marginRight = marginBottom = mm; }
    double bandWidth() const { return pageSizeMM.width() - marginLeft - marginRight; }

    bool columnHeaderOnEveryPage = false;  // false: first page only
    // Detail records: called before each detail band; true while there is
    // another record. Without it no detail band prints.
    std::function<bool()> needData;

    // Creates (or replaces) the band of that kind; Child and SubDetail bands
    // hang from their parent band instead.
    Band& setBand(BandKind kind, double heightMM, const QString& name = {});
    Band* band(BandKind kind) const;

    // The page being laid out (1-based), for callbacks such as a page footer.
    int pageNumber() const { return pageNumber_; }

    ReportPages layout();

private:
    struct Run;
    std::unique_ptr<Band> bands_[6];
    int pageNumber_ = 0;
};

}  // namespace report
