#pragma once
// Reading a settings file in the Windows INI format:
//
//   ; comment
//   [zeiten]
//   bildschirm_von=8
//
// Sections and keys are found whatever their case; surrounding blanks are
// ignored, and a value in matching quotes loses them. Only the first of repeated
// sections or keys counts. A missing file, section or key gives the default;
// a key with an empty value gives an empty text. The file is never written.
#include <QHash>
#include <QString>
#include <QStringList>

namespace platform {

class IniFile {
public:
    // A name without a directory ("terminplaner.Ini") is looked up in
    // configDirectory(), whatever the case of its letters on disk; a
    // "c:\kynovia\..." path is mapped (mapPath).
    explicit IniFile(const QString& fileName);

    QString fileName() const { return m_fileName; }  // the file looked at
    bool exists() const { return m_exists; }

    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue = QString()) const;
    // Decimal, or hexadecimal as "$1F" / "0x1F"; anything else (including an
    // empty value) gives the default.
    int readInteger(const QString& section, const QString& key, int defaultValue = 0) const;
    // An integer other than 0 is true.
    bool readBool(const QString& section, const QString& key, bool defaultValue = false) const;

    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;
    QStringList sections() const;                        // as written, in file order
    QStringList keys(const QString& section) const;      // as written, in file order

    // The file name an IniFile(name) reads.
    static QString locate(const QString& fileName);
    // Bytes of an INI file to text: UTF-8 (with or without BOM), UTF-16 with
    // BOM, else Windows-1252.
    static QString decode(const QByteArray& bytes);

private:
    void parse(const QString& text);

    struct Section {
        QString name;
        QStringList keys;                  // as written, in order
        QHash<QString, QString> values;    // folded key -> value
    };
    QString m_fileName;
    bool m_exists = false;
    QList<Section> m_sections;
    QHash<QString, int> m_index;  // folded section name -> index
};

} // namespace platform
