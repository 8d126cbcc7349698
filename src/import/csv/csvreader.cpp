#include <algorithm>
#include "import/csv/csvreader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>

namespace csv {

namespace {

// Files larger than this are refused rather than read into memory: an export
// of customer records is a few megabytes at most, and a file of gigabytes
// would only exhaust the memory.
constexpr qint64 kMaxFileSize = 256LL * 1024 * 1024;

// Windows-1252 bytes 0x80..0x9F. The code page leaves 0x81, 0x8D, 0x8F, 0x90
// and 0x9D undefined; they keep their own number (U+0081 ...).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

bool hasUtf8Bom(const QByteArray& bytes) {
    return bytes.size() >= 3 && uchar(bytes[0]) == 0xEF && uchar(bytes[1]) == 0xBB &&
           uchar(bytes[2]) == 0xBF;
}

bool isCont(uchar c) { return (c & 0xC0) == 0x80; }

// The closing quote of a quoted field whose text starts at `from`: the
// position of the first quote that is not part of a doubled quote "",
// looking past line ends; -1 when the text ends first (the quote is never
// closed).
//
// The parse stays linear: a search that runs to the end happens once at
// most. Past its start every run of quotes has an even length (an odd one
// would have closed it), and a field's opening quote is always the first of
// its run, so every later search ends within its own run.
qsizetype schliessendesAnfuehrungszeichen(const QChar* s, qsizetype n, qsizetype from) {
    const QChar quote(u'"');
    qsizetype i = from;
    while (i < n) {
        if (s[i] != quote) {
            ++i;
            continue;
        }
        if (i + 1 < n && s[i + 1] == quote) {
            i += 2;
            continue;
        }
        return i;
    }
    return -1;
}

}  // namespace

qsizetype Table::columnCount() const {
    qsizetype n = 0;
    for (const QStringList& r : rows) n = std::max(n, r.size());
    return n;
}

QString Table::cell(qsizetype row, qsizetype column) const {
    if (row < 0 || row >= rows.size()) return QString();
    const QStringList& r = rows.at(row);
    if (column < 0 || column >= r.size()) return QString();
    return r.at(column);
}

ReadError::ReadError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message) {}

bool isValidUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const uchar c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        // Length of the sequence and the allowed range of its second byte
        // (which rules out overlong forms, surrogates and values past U+10FFFF).
        int len;
        uchar lo = 0x80, hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;
        } else {
            return false;  // 0x80..0xC1 or 0xF5..0xFF cannot start a sequence
        }
        if (n - i < len) return false;
        if (p[i + 1] < lo || p[i + 1] > hi) return false;
        for (int k = 2; k < len; ++k)
            if (!isCont(p[i + k])) return false;
        i += len;
    }
    return true;
}

QString fromWindows1252(const QByteArray& bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    for (qsizetype i = 0, n = bytes.size(); i < n; ++i) {
        const uchar c = p[i];
        d[i] = (c >= 0x80 && c <= 0x9F) ? QChar(kCp1252High[c - 0x80]) : QChar(c);
    }
    return out;
}

QString decode(const QByteArray& bytes) {
    const QByteArray body = hasUtf8Bom(bytes) ? bytes.sliced(3) : bytes;
    if (isValidUtf8(body)) {
        // Only the one leading mark is dropped; a second one is text (U+FEFF),
        // which QString::fromUtf8 would swallow as well.
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        return utf8.decode(body);
    }
    return fromWindows1252(body);
}

Table parseText(const QString& text) {
    // CR and NUL are never part of a line: drop them first, so that the rules
    // below see the line exactly as it reads without them.
    QString clean = text;
    clean.remove(QLatin1Char('\r'));
    clean.remove(QChar(u'\0'));

    Table t;
    const QChar* s = clean.constData();
    const qsizetype n = clean.size();
    const QChar semi(u';'), quote(u'"'), lf(u'\n');

    qsizetype i = 0;
    qsizetype line = 1;  // the file line the next row begins on
    qsizetype cells = 0;
    while (i < n) {  // one line per pass
        const qsizetype rowStart = i;
        QStringList fields;
        if (s[i] != lf) {
            for (;;) {  // one field per pass
                const qsizetype start = i;
                while (i < n && s[i] != semi && s[i] != quote && s[i] != lf) ++i;
                if (i < n && s[i] == quote) {
                    // Quoted: the value runs from after the first quote to the
                    // closing one, line breaks included; what stood before the
                    // quote is dropped. A quote that is never closed ends with
                    // its line.
                    QString value;
                    ++i;
                    const qsizetype ende = schliessendesAnfuehrungszeichen(s, n, i);
                    const QChar halt = ende < 0 ? lf : quote;
                    for (;;) {
                        const qsizetype seg = i;
                        while (i < n && s[i] != quote && s[i] != halt) ++i;
                        value.append(s + seg, i - seg);
                        if (i >= n || s[i] == lf) break;  // left open: ends with the line
                        if (i + 1 < n && s[i + 1] == quote) {  // "" is one quote
                            value.append(quote);
                            i += 2;
                            continue;
                        }
                        ++i;  // closing quote; the rest up to ";" is dropped
                        while (i < n && s[i] != semi && s[i] != lf) ++i;
                        break;
                    }
                    fields.append(value);
                } else {
                    fields.append(QString(s + start, i - start));
                }
                if (i < n && s[i] == semi) {
                    ++i;
                    // A line of a million ";" would be a million empty
                    // fields: no import file has so many columns, and the
                    // table of them would fill the memory.
                    if (fields.size() >= maxFieldsPerLine)
                        throw ReadError(QStringLiteral("Zeile %1 hat mehr als %2 Felder; so viele Spalten hat "
                                                       "keine Importdatei.")
                                            .arg(line)
                                            .arg(maxFieldsPerLine));
                    continue;  // another field follows (empty at the line end)
                }
                break;
            }
        }
        cells += fields.size();
        if (cells > maxFields)
            throw ReadError(QStringLiteral("Die Datei hat mehr als %1 Felder; so große Importdateien werden nicht "
                                           "gelesen.")
                                .arg(QLocale(QLocale::German).toString(maxFields)));
        t.rows.append(fields);
        t.firstLines.append(line);
        // Line breaks inside quoted fields count as lines of the file too.
        line += std::count(s + rowStart, s + i, lf) + 1;
        if (i < n) ++i;  // the LF
    }
    return t;
}

Table parse(const QByteArray& bytes) {
    return parseText(decode(bytes));
}

Table readFile(const QString& path) {
    if (path.isEmpty()) throw ReadError(QStringLiteral("Es wurde keine Datei zum Lesen angegeben."));
    const QString shown = QDir::toNativeSeparators(path);
    auto fail = [&](const QString& reason) {
        throw ReadError(QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2").arg(shown, reason));
    };

    const QFileInfo info(path);
    if (!info.exists()) fail(QStringLiteral("Die Datei existiert nicht."));
    if (info.isDir()) fail(QStringLiteral("Das ist ein Ordner, keine Datei."));
    // Devices and pipes could block or never end.
    if (!info.isFile()) fail(QStringLiteral("Das ist keine gewöhnliche Datei."));
    if (info.size() > kMaxFileSize)
        fail(QStringLiteral("Die Datei ist zu groß (mehr als %1 MB).").arg(kMaxFileSize / (1024 * 1024)));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!info.isReadable()) fail(QStringLiteral("Keine Leseberechtigung."));
        fail(file.errorString());
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) fail(file.errorString());
    try {
        return parse(bytes);
    } catch (const ReadError& e) {
        fail(e.message());
    }
    return Table();
}

}  // namespace csv
