#pragma once
// A field of a dataset: one column (data), a value computed per row
// (calculated) or a value looked up in another dataset (lookup).
// Typed access converts with German messages; text is cut to the size.
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace db {

class Dataset;

enum class FieldType { String, FixedChar, Integer, BigInt, Float, Currency, DateTime, Date, Time,
                       Bytes };
enum class FieldKind { Data, Calculated, Lookup };

class Field {
public:
    Field(Dataset* dataset, const QString& name, FieldType type, int size, FieldKind kind);

    Dataset* dataset() const { return m_dataset; }
    QString fieldName() const { return m_name; }
    FieldType dataType() const { return m_type; }
    // Column of the select for a data field (-1 for others).
    int column() const { return m_column; }
    FieldKind kind() const { return m_kind; }
    int index() const { return m_index; }  // position in the dataset's field list

    // Label: the display label, or the field name when none is set.
    QString displayLabel() const { return m_label.isEmpty() ? m_name : m_label; }
    void setDisplayLabel(const QString& l) { m_label = l; }
    int size() const { return m_size; }
    void setSize(int s) { m_size = s; }
    bool required() const { return m_required; }
    void setRequired(bool r) { m_required = r; }
    // Read-only for the user: bound controls and grids do not change it; the
    // program may still assign it.
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool r) { m_readOnly = r; }
    bool visible() const { return m_visible; }
    void setVisible(bool v) { m_visible = v; }
    int displayWidth() const { return m_displayWidth; }
    void setDisplayWidth(int w) { m_displayWidth = w; }
    // "0000", "dd.mm.yyyy", "dddd, dd.mm.yyyy", "hh:nn", "dd.mm.yyyy hh:nn", ...
    QString displayFormat() const { return m_displayFormat; }
    void setDisplayFormat(const QString& f) { m_displayFormat = f; }
    bool currency() const { return m_currency || m_type == FieldType::Currency; }
    void setCurrency(bool c) { m_currency = c; }

    // Lookup settings: the value of `resultField` of the row of `lookupDataset`
    // whose `lookupKeyField` equals this dataset's `keyField`.
    void setLookup(Dataset* lookupDataset, const QString& keyField, const QString& lookupKeyField,
                   const QString& resultField);
    Dataset* lookupDataset() const { return m_lookupDataset; }
    QString keyField() const { return m_keyField; }
    QString lookupKeyField() const { return m_lookupKeyField; }
    QString lookupResultField() const { return m_lookupResultField; }

    // Value of the current row (edit buffer while editing).
    QVariant value() const;
    // Value of the current row as stored before the running edit (NULL for
    // a new row; the value itself while not editing).
    QVariant oldValue() const;
    // Assign in edit or insert state (or while calculating). Text is cut to
    // size; a value that does not fit the type raises ConvertError.
    void setValue(const QVariant& v);
    bool isNull() const;
    void clear() { setValue(QVariant()); }

    QString asString() const;
    void setAsString(const QString& s);
    int asInteger() const;  // NULL reads as 0
    void setAsInteger(int v) { setValue(v); }
    double asFloat() const;  // NULL reads as 0
    void setAsFloat(double v) { setValue(v); }
    QDateTime asDateTime() const;  // NULL reads as invalid
    void setAsDateTime(const QDateTime& v) { setValue(v); }

    // Text shown in grids and bound labels, by the display format.
    QString displayText() const;
    // Text shown in a bound edit while it is being edited.
    QString editText() const { return asString(); }

    // Formatting of any value of this field (grids format rows that are not
    // current).
    QString displayTextOf(const QVariant& v) const;
    QString asStringOf(const QVariant& v) const;
    // Converts a value to this field's type; throws ConvertError.
    QVariant convert(const QVariant& v) const;

    bool isNumeric() const;
    bool isText() const { return m_type == FieldType::String || m_type == FieldType::FixedChar; }
    bool isDateTime() const;

private:
    friend class Dataset;
    Dataset* m_dataset;
    QString m_name;
    FieldType m_type;
    int m_size;
    FieldKind m_kind;
    int m_index = -1;
    int m_column = -1;  // column of the select for data fields
    QString m_label;
    bool m_required = false;
    bool m_readOnly = false;
    bool m_visible = true;
    bool m_currency = false;
    int m_displayWidth = 0;
    QString m_displayFormat;
    Dataset* m_lookupDataset = nullptr;
    QString m_keyField, m_lookupKeyField, m_lookupResultField;
};

// German formatting helpers used by fields, controls and printouts.
namespace fmt {
// Formats with a display format: "0000" for numbers; "dd", "mm", "yyyy",
// "yy", "hh", "nn", "ss", "dddd" (weekday), "ddd" (short weekday), "mmmm"
// (month name) for dates.
QString formatNumber(double v, const QString& format);
QString formatDateTime(const QDateTime& dt, const QString& format);
QString formatCurrency(double v);         // "1.234,50 €"
QString dateTimeToStr(const QDateTime& dt);  // "05.12.2005" or "05.12.2005 18:30:00"
QString floatToStr(double v);             // "12,5"
// Parsers accepting German forms; return false when the text is no value.
bool parseDateTime(const QString& text, QDateTime* out);
bool parseTime(const QString& text, QTime* out);
bool parseFloat(const QString& text, double* out);
bool parseInteger(const QString& text, qint64* out);
QString weekdayName(int dayOfWeek);  // 1 = Montag
QString monthName(int month);         // 1 = Januar
}  // namespace fmt

// Whether every character of the text exists in the database's character
// set (Windows-1252); others cannot be stored or compared with stored text.
bool win1252Representable(const QString& text);

// The text upper-cased exactly as the database's UPPER() does it for
// Windows-1252 text: a to z, the accented letters à to þ (but not ÷),
// š, œ, ž and ÿ become their capitals; ß, µ, ª, º, ƒ and every other
// character stay as they are. A search text upper-cased so compares with
// upper(column) as the user expects ("müller" finds "Müller").
QString win1252Upper(const QString& text);

// The program's notion of "now": local wall-clock time in a Qt::UTC
// QDateTime, the form in which the database layer carries DATE values.
QDateTime currentDateTime();
QDateTime makeDateTime(const QDate& d, const QTime& t = QTime(0, 0));

}  // namespace db
Q_DECLARE_METATYPE(db::Field*)
