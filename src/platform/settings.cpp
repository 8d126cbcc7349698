#include "settings.h"

#include "paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <limits>

namespace platform {

namespace {

QString fold(const QString& s) {
    return s.trimmed().toCaseFolded();
}

QString unquote(const QString& v) {
    if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\''))
        && v.back() == v.front())
        return v.mid(1, v.size() - 2);
    return v;
}

// Windows-1252 at 0x80..0x9F; elsewhere it is Latin-1.
const char16_t cp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

} // namespace

QString IniFile::decode(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder d(QStringDecoder::Utf16);  // reads and drops the BOM
        return d.decode(bytes);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    text.clear();
    text.reserve(bytes.size());
    for (char c : bytes) {
        const uchar u = static_cast<uchar>(c);
        text.append(u >= 0x80 && u < 0xA0 ? QChar(cp1252High[u - 0x80]) : QChar(u));
    }
    return text;
}

QString IniFile::locate(const QString& fileName) {
    if (fileName.isEmpty()) return QString();
    const QString p = mapPath(fileName);
    if (p.contains(QLatin1Char('/'))) return p;
    const QDir dir(configDirectory());
    const QString exact = dir.filePath(p);
    if (QFileInfo::exists(exact)) return exact;
    // Windows finds "terminplaner.Ini" as "terminplaner.ini" too.
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (entry.compare(p, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    }
    return exact;
}

IniFile::IniFile(const QString& fileName) : m_fileName(locate(fileName)) {
    if (m_fileName.isEmpty()) return;
    QFile f(m_fileName);
    if (!f.open(QIODevice::ReadOnly)) return;
    m_exists = true;
    parse(decode(f.readAll()));
}

void IniFile::parse(const QString& text) {
    int current = -1;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        if (line.startsWith(QLatin1Char('['))) {
            qsizetype close = line.indexOf(QLatin1Char(']'));
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            const QString key = fold(name);
            auto it = m_index.constFind(key);
            if (it != m_index.constEnd()) {
                current = -1;  // Windows reads only the first section of a name
            } else {
                m_sections.append({name, {}, {}});
                current = int(m_sections.size() - 1);
                m_index.insert(key, current);
            }
            continue;
        }
        if (current < 0) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) continue;
        const QString name = line.left(eq).trimmed();
        Section& s = m_sections[current];
        const QString key = fold(name);
        if (s.values.contains(key)) continue;
        s.keys << name;
        s.values.insert(key, unquote(line.mid(eq + 1).trimmed()));
    }
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const {
    auto it = m_index.constFind(fold(section));
    if (it == m_index.constEnd()) return defaultValue;
    const Section& s = m_sections[*it];
    auto v = s.values.constFind(fold(key));
    return v == s.values.constEnd() ? defaultValue : *v;
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const {
    QString v = readString(section, key).trimmed();
    if (v.isEmpty()) return defaultValue;
    bool negative = false;
    if (v.startsWith(QLatin1Char('-')) || v.startsWith(QLatin1Char('+'))) {
        negative = v.front() == QLatin1Char('-');
        v = v.mid(1);
    }
    int base = 10;
    if (v.startsWith(QLatin1Char('$'))) {
        base = 16;
        v = v.mid(1);
    } else if (v.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        v = v.mid(2);
    }
    if (v.isEmpty() || v.front() == QLatin1Char('+') || v.front() == QLatin1Char('-'))
        return defaultValue;
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok, base);
    if (!ok) return defaultValue;
    const qlonglong value = negative ? -n : n;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return defaultValue;
    return int(value);
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::sectionExists(const QString& section) const {
    return m_index.contains(fold(section));
}

bool IniFile::valueExists(const QString& section, const QString& key) const {
    auto it = m_index.constFind(fold(section));
    return it != m_index.constEnd() && m_sections[*it].values.contains(fold(key));
}

QStringList IniFile::sections() const {
    QStringList names;
    for (const Section& s : m_sections) names << s.name;
    return names;
}

QStringList IniFile::keys(const QString& section) const {
    auto it = m_index.constFind(fold(section));
    return it == m_index.constEnd() ? QStringList() : m_sections[*it].keys;
}

} // namespace platform
