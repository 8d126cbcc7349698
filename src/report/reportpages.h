#pragma once
// The page model: the result of laying out a report. Every page is a list of
// placed items with their rectangles in millimetres from the paper's top left
// corner. Preview, printer and PDF all paint this model, so they always show
// the same pages; tests read it instead of pixels.
#include <QColor>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace report {

enum class Align { Left, Center, Right };

// A font as the report layouts name it ("Arial", "Arial Narrow", "Arial
// Black"); toQFont() (reportpaint.h) maps it to an installed font.
struct Font {
    QString family = QStringLiteral("Arial");
    double pointSize = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;

    bool operator==(const Font& o) const {
        return pointSize == o.pointSize && bold == o.bold && italic == o.italic && underline == o.underline &&
               family == o.family;
    }
};

// What a placed item has in common with every other item placed from the same
// design item: name, band, font and look. Pages of a long list hold hundreds
// of thousands of items; each points to this instead of carrying a copy.
struct PlacedStyle {
    QString name;            // the item's name, or the band's name for a band
    QString band;            // name of the band the item belongs to
    Font font;
    Align align = Align::Left;
    bool wordWrap = false;
    bool clip = false;       // Text: fixed width, no wrapping: cut at the right edge
    QColor color;            // Band: background (invalid = none); Fill: the fill; others: ink
    double penWidth = 0;     // Line, Frame: mm
    double lineSpacing = 0;  // Text: mm from one line's top to the next
    double lineHeight = 0;   // Text: mm of one line

    bool operator==(const PlacedStyle& o) const {
        return name == o.name && band == o.band && font == o.font && align == o.align && wordWrap == o.wordWrap &&
               clip == o.clip && color == o.color && penWidth == o.penWidth && lineSpacing == o.lineSpacing &&
               lineHeight == o.lineHeight;
    }
};

struct PlacedItem {
    enum class Kind : quint8 { Band, Text, Line, Frame, Fill };
    Kind kind = Kind::Text;
    QRectF rect;             // mm on the page
    QString text;            // Text: the full text
    // Text with word wrap: the text as the layout broke it into lines. A text
    // without word wrap is one line, `text`, and keeps no list; textLines()
    // gives the lines of either kind.
    QStringList lines;
    std::shared_ptr<const PlacedStyle> style;  // shared with the items of the same design item

    QStringList textLines() const { return lines.isEmpty() && !text.isEmpty() ? QStringList{text} : lines; }

    const PlacedStyle& look() const {
        static const PlacedStyle none;
        return style ? *style : none;
    }
    const QString& name() const { return look().name; }
    const QString& band() const { return look().band; }
    const Font& font() const { return look().font; }
    Align align() const { return look().align; }
    bool wordWrap() const { return look().wordWrap; }
    bool clip() const { return look().clip; }
    const QColor& color() const { return look().color; }
    double penWidth() const { return look().penWidth; }
    double lineSpacing() const { return look().lineSpacing; }
    double lineHeight() const { return look().lineHeight; }
};

struct ReportPage {
    std::vector<PlacedItem> items;

    // Texts top to bottom, each line of items left to right (items whose tops
    // lie within 1.5 mm of the line's first item count as one line).
    QStringList texts() const;
    const PlacedItem* findText(const QString& text) const;  // first, or nullptr
    std::vector<const PlacedItem*> findAll(const QString& text) const;
    std::vector<const PlacedItem*> byName(const QString& name) const;  // texts, lines, frames
    std::vector<const PlacedItem*> bands(const QString& name = {}) const;  // in print order
};

struct ReportPages {
    QSizeF pageSizeMM{210, 297};
    std::vector<ReportPage> pages;

    int count() const { return int(pages.size()); }
    QStringList texts(int page) const;  // empty list for a page that does not exist
    QStringList allTexts() const;       // all pages, one after the other
    int pageOf(const QString& text) const;   // first page holding the text, -1 if none
    int countText(const QString& text) const;  // occurrences over all pages
};

}  // namespace report
