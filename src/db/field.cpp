#include "db/field.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <ctime>

#include "db/dataset.h"
#include "db/error.h"

namespace db {

bool win1252Representable(const QString& text) {
    static const char16_t extra[] = {0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
                                     0x0160, 0x2039, 0x0152, 0x017D, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                     0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178};
    for (QChar ch : text) {
        char16_t c = ch.unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) continue;
        bool found = false;
        for (char16_t e : extra)
            if (e == c) found = true;
        if (!found) return false;
    }
    return true;
}

QString win1252Upper(const QString& text) {
    QString u = text;
    for (QChar& ch : u) {
        const char16_t c = ch.unicode();
        if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) ch = QChar(char16_t(c - 0x20));
        else if (c == 0x0161) ch = QChar(char16_t(0x0160));  // š -> Š
        else if (c == 0x0153) ch = QChar(char16_t(0x0152));  // œ -> Œ
        else if (c == 0x017E) ch = QChar(char16_t(0x017D));  // ž -> Ž
        else if (c == 0x00FF) ch = QChar(char16_t(0x0178));  // ÿ -> Ÿ
    }
    return u;
}

QDateTime makeDateTime(const QDate& d, const QTime& t) { return QDateTime(d, t, Qt::UTC); }

QDateTime currentDateTime() {
    // The local time of day is worked out once per second: the conversion
    // asks the C library for the time zone each time, and an import stamps
    // every row it creates.
    thread_local std::time_t cachedSecond = -1;
    thread_local QDateTime cached;
    const std::time_t second = std::time(nullptr);
    if (second != cachedSecond || !cached.isValid()) {
        QDateTime now = QDateTime::currentDateTime();
        QTime t = now.time();
        cached = makeDateTime(now.date(), QTime(t.hour(), t.minute(), t.second()));
        cachedSecond = second;
    }
    return cached;
}

namespace fmt {

QString weekdayName(int d) {
    static const char* names[] = {"Montag", "Dienstag", "Mittwoch", "Donnerstag",
                                  "Freitag", "Samstag", "Sonntag"};
    return (d >= 1 && d <= 7) ? QString::fromUtf8(names[d - 1]) : QString();
}

QString monthName(int m) {
    static const char* names[] = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                                  "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    return (m >= 1 && m <= 12) ? QString::fromUtf8(names[m - 1]) : QString();
}

QString formatNumber(double v, const QString& format) {
    if (format.isEmpty()) {
        if (v == std::floor(v) && std::fabs(v) < 1e15) return QString::number(qint64(v));
        return floatToStr(v);
    }
    // Only the forms the program uses: zeros for a minimum number of digits,
    // optionally with decimals ("0000", "0.00", "#,##0.00").
    int dot = format.indexOf(QLatin1Char('.'));
    QString intPart = dot < 0 ? format : format.left(dot);
    QString decPart = dot < 0 ? QString() : format.mid(dot + 1);
    int minDigits = intPart.count(QLatin1Char('0'));
    int decimals = decPart.count(QLatin1Char('0')) + decPart.count(QLatin1Char('#'));
    bool grouping = intPart.contains(QLatin1Char(','));
    bool neg = v < 0;
    double a = std::fabs(v);
    QString s = QString::number(a, 'f', decimals);
    QString ip = decimals > 0 ? s.section(QLatin1Char('.'), 0, 0) : s;
    QString dp = decimals > 0 ? s.section(QLatin1Char('.'), 1, 1) : QString();
    while (ip.size() < minDigits) ip.prepend(QLatin1Char('0'));
    if (grouping) {
        for (int i = ip.size() - 3; i > 0; i -= 3) ip.insert(i, QLatin1Char('.'));
    }
    QString out = ip;
    if (decimals > 0) out += QLatin1Char(',') + dp;
    return neg ? QLatin1Char('-') + out : out;
}

QString formatDateTime(const QDateTime& dt, const QString& format) {
    if (!dt.isValid()) return QString();
    QDate d = dt.date();
    QTime t = dt.time();
    QString out;
    int n = format.size();
    bool afterHour = false;
    for (int i = 0; i < n;) {
        QChar c = format.at(i).toLower();
        int run = 1;
        while (i + run < n && format.at(i + run).toLower() == c) ++run;
        auto two = [](int x) { return QString::number(x).rightJustified(2, QLatin1Char('0')); };
        if (c == QLatin1Char('d')) {
            if (run >= 4) out += weekdayName(d.dayOfWeek());
            else if (run == 3) out += weekdayName(d.dayOfWeek()).left(2);
            else if (run == 2) out += two(d.day());
            else out += QString::number(d.day());
            afterHour = false;
        } else if (c == QLatin1Char('m')) {
            if (afterHour) out += run >= 2 ? two(t.minute()) : QString::number(t.minute());
            else if (run >= 4) out += monthName(d.month());
            else if (run == 3) out += monthName(d.month()).left(3);
            else if (run == 2) out += two(d.month());
            else out += QString::number(d.month());
            afterHour = false;
        } else if (c == QLatin1Char('y')) {
            out += run <= 2 ? two(d.year() % 100) : QString::number(d.year()).rightJustified(4, '0');
            afterHour = false;
        } else if (c == QLatin1Char('h')) {
            out += run >= 2 ? two(t.hour()) : QString::number(t.hour());
            afterHour = true;
        } else if (c == QLatin1Char('n')) {
            out += run >= 2 ? two(t.minute()) : QString::number(t.minute());
            afterHour = false;
        } else if (c == QLatin1Char('s')) {
            out += run >= 2 ? two(t.second()) : QString::number(t.second());
            afterHour = false;
        } else {
            out += format.mid(i, run);
        }
        i += run;
    }
    return out;
}

QString formatCurrency(double v) { return formatNumber(v, QStringLiteral("#,##0.00")) + QStringLiteral(" €"); }

QString floatToStr(double v) {
    QString s = QString::number(v, 'g', 15);
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}

QString dateTimeToStr(const QDateTime& dt) {
    if (!dt.isValid()) return QString();
    if (dt.time() == QTime(0, 0)) return formatDateTime(dt, QStringLiteral("dd.mm.yyyy"));
    return formatDateTime(dt, QStringLiteral("dd.mm.yyyy hh:nn:ss"));
}

bool parseTime(const QString& text, QTime* out) {
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{1,2})(?::(\\d{1,2}))?(?::(\\d{1,2}))?\\s*$"));
    auto m = re.match(text);
    if (!m.hasMatch()) return false;
    int h = m.captured(1).toInt();
    int mi = m.captured(2).isEmpty() ? 0 : m.captured(2).toInt();
    int s = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    QTime t(h, mi, s);
    if (!t.isValid()) return false;
    *out = t;
    return true;
}

bool parseDateTime(const QString& text, QDateTime* out) {
    static const QRegularExpression re(QStringLiteral(
        "^\\s*(\\d{1,2})\\.(\\d{1,2})\\.(\\d{1,4})?(?:\\s+(\\d{1,2}(?::\\d{1,2}){0,2}))?\\s*$"));
    auto m = re.match(text);
    if (!m.hasMatch()) return false;
    int d = m.captured(1).toInt();
    int mo = m.captured(2).toInt();
    int y;
    if (m.captured(3).isEmpty()) {
        y = QDate::currentDate().year();
    } else {
        y = m.captured(3).toInt();
        if (m.captured(3).size() <= 2) {
            // Two-digit years: the century that puts the year within 50 years
            // of today.
            int cur = QDate::currentDate().year();
            int base = cur - 50;
            y = base - base % 100 + y;
            if (y < base) y += 100;
        }
    }
    QDate date(y, mo, d);
    if (!date.isValid()) return false;
    QTime t(0, 0);
    if (!m.captured(4).isEmpty() && !parseTime(m.captured(4), &t)) return false;
    *out = makeDateTime(date, t);
    return true;
}

bool parseFloat(const QString& text, double* out) {
    QString s = text.trimmed();
    if (s.isEmpty()) return false;
    // German form first ("1.234,5"), then the plain form ("1234.5").
    bool ok = false;
    double v = 0;
    if (s.contains(QLatin1Char(','))) {
        QString g = s;
        g.remove(QLatin1Char('.'));
        g.replace(QLatin1Char(','), QLatin1Char('.'));
        v = g.toDouble(&ok);
    } else {
        v = s.toDouble(&ok);
    }
    if (!ok || !std::isfinite(v)) return false;
    *out = v;
    return true;
}

bool parseInteger(const QString& text, qint64* out) {
    bool ok = false;
    qint64 v = text.trimmed().toLongLong(&ok);
    if (!ok) return false;
    *out = v;
    return true;
}

}  // namespace fmt

Field::Field(Dataset* dataset, const QString& name, FieldType type, int size, FieldKind kind)
    : m_dataset(dataset), m_name(name), m_type(type), m_size(size), m_kind(kind) {}

void Field::setLookup(Dataset* lookupDataset, const QString& keyField, const QString& lookupKeyField,
                      const QString& resultField) {
    m_lookupDataset = lookupDataset;
    m_keyField = keyField;
    m_lookupKeyField = lookupKeyField;
    m_lookupResultField = resultField;
}

bool Field::isNumeric() const {
    return m_type == FieldType::Integer || m_type == FieldType::BigInt || m_type == FieldType::Float ||
           m_type == FieldType::Currency;
}

bool Field::isDateTime() const {
    return m_type == FieldType::DateTime || m_type == FieldType::Date || m_type == FieldType::Time;
}

QVariant Field::value() const { return m_dataset->currentValue(m_index); }

QVariant Field::oldValue() const { return m_dataset->storedValue(m_index); }

bool Field::isNull() const {
    QVariant v = value();
    return !v.isValid() || v.isNull();
}

QVariant Field::convert(const QVariant& v) const {
    if (!v.isValid() || v.isNull()) return QVariant();
    const bool isText = v.typeId() == QMetaType::QString;
    switch (m_type) {
    case FieldType::String:
    case FieldType::FixedChar: {
        QString s = v.typeId() == QMetaType::QDateTime ? fmt::dateTimeToStr(v.toDateTime())
                    : (v.typeId() == QMetaType::Double ? fmt::floatToStr(v.toDouble()) : v.toString());
        if (m_size > 0 && s.size() > m_size) s.truncate(m_size);
        if (!win1252Representable(s))
            throw ConvertError(QStringLiteral("'%1' enthält Zeichen, die nicht gespeichert werden können "
                                              "(nur westeuropäische Schrift).")
                                   .arg(s));
        return s;
    }
    case FieldType::Integer:
    case FieldType::BigInt: {
        qint64 x = 0;
        bool ok = false;
        if (isText) {
            QString s = v.toString();
            if (s.trimmed().isEmpty()) return QVariant();
            ok = fmt::parseInteger(s, &x);
        } else if (v.typeId() == QMetaType::Double) {
            double d = v.toDouble();
            ok = std::isfinite(d) && d == std::floor(d);
            x = qint64(d);
        } else {
            x = v.toLongLong(&ok);
        }
        if (m_type == FieldType::Integer && ok && (x < INT32_MIN || x > INT32_MAX)) ok = false;
        if (!ok) throw ConvertError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(v.toString()));
        return m_type == FieldType::Integer ? QVariant(int(x)) : QVariant(qlonglong(x));
    }
    case FieldType::Float:
    case FieldType::Currency: {
        double d = 0;
        bool ok = false;
        if (isText) {
            QString s = v.toString();
            if (s.trimmed().isEmpty()) return QVariant();
            ok = fmt::parseFloat(s, &d);
        } else {
            d = v.toDouble(&ok);
        }
        if (!ok) throw ConvertError(QStringLiteral("'%1' ist kein gültiger Gleitkommawert").arg(v.toString()));
        return d;
    }
    case FieldType::DateTime:
    case FieldType::Date:
    case FieldType::Time: {
        if (v.typeId() == QMetaType::QDateTime) {
            QDateTime dt = v.toDateTime();
            return makeDateTime(dt.date(), dt.time());
        }
        if (v.typeId() == QMetaType::QDate) return makeDateTime(v.toDate());
        if (v.typeId() == QMetaType::QTime) return makeDateTime(QDate(1899, 12, 30), v.toTime());
        QString s = v.toString();
        if (s.trimmed().isEmpty()) return QVariant();
        QDateTime dt;
        if (m_type == FieldType::Time) {
            QTime t;
            if (fmt::parseTime(s, &t)) return makeDateTime(QDate(1899, 12, 30), t);
            if (fmt::parseDateTime(s, &dt)) return dt;
            throw ConvertError(QStringLiteral("'%1' ist keine gültige Uhrzeit").arg(s));
        }
        if (fmt::parseDateTime(s, &dt)) return dt;
        throw ConvertError(QStringLiteral("'%1' ist kein gültiges Datum").arg(s));
    }
    case FieldType::Bytes:
        return v.toByteArray();
    }
    return v;
}

void Field::setValue(const QVariant& v) { m_dataset->setCurrentValue(this, convert(v)); }

QString Field::asStringOf(const QVariant& v) const {
    if (!v.isValid() || v.isNull()) return QString();
    switch (m_type) {
    case FieldType::DateTime:
    case FieldType::Date:
        return fmt::dateTimeToStr(v.toDateTime());
    case FieldType::Time:
        return fmt::formatDateTime(v.toDateTime(), QStringLiteral("hh:nn:ss"));
    case FieldType::Float:
    case FieldType::Currency:
        return fmt::floatToStr(v.toDouble());
    default:
        return v.toString();
    }
}

QString Field::displayTextOf(const QVariant& v) const {
    if (!v.isValid() || v.isNull()) return QString();
    if (isDateTime()) {
        if (!m_displayFormat.isEmpty()) return fmt::formatDateTime(v.toDateTime(), m_displayFormat);
        return asStringOf(v);
    }
    if (isNumeric()) {
        if (currency()) return fmt::formatCurrency(v.toDouble());
        if (!m_displayFormat.isEmpty()) return fmt::formatNumber(v.toDouble(), m_displayFormat);
        return asStringOf(v);
    }
    return asStringOf(v);
}

QString Field::asString() const { return asStringOf(value()); }
void Field::setAsString(const QString& s) { setValue(s); }
int Field::asInteger() const {
    QVariant v = value();
    if (!v.isValid() || v.isNull()) return 0;
    if (v.typeId() == QMetaType::QString) {
        qint64 x = 0;
        if (!fmt::parseInteger(v.toString(), &x))
            throw ConvertError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(v.toString()));
        return int(x);
    }
    return v.toInt();
}
double Field::asFloat() const {
    QVariant v = value();
    if (!v.isValid() || v.isNull()) return 0;
    if (v.typeId() == QMetaType::QString) {
        double d = 0;
        if (!fmt::parseFloat(v.toString(), &d))
            throw ConvertError(QStringLiteral("'%1' ist kein gültiger Gleitkommawert").arg(v.toString()));
        return d;
    }
    return v.toDouble();
}
QDateTime Field::asDateTime() const {
    QVariant v = value();
    if (!v.isValid() || v.isNull()) return QDateTime();
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime();
    QDateTime dt;
    if (fmt::parseDateTime(v.toString(), &dt)) return dt;
    throw ConvertError(QStringLiteral("'%1' ist kein gültiges Datum").arg(v.toString()));
}
QString Field::displayText() const { return displayTextOf(value()); }

}  // namespace db
