#pragma once
// Reader for the semicolon-separated text files the import window loads.
//
// File format
// - Encoding: a file that is valid UTF-8 is read as UTF-8; any other file is
//   read as Windows-1252 (the code page most Windows programs export in). A
//   UTF-8 byte order mark at the start is dropped in both cases.
// - Lines end with LF or CR LF. Every other CR is dropped, and so are NUL
//   characters: neither is ever part of a field.
// - The first line holds the column titles, every further line is one record.
//   An empty line is a record with no fields. The line end after the last line
//   is optional; it does not start another record.
// - Fields are separated by ";". Text without double quotes is taken exactly,
//   blanks included.
// - A field that contains a double quote takes as its value the text between
//   its first double quote and the closing one; inside, ";" and line breaks
//   are ordinary text (a spreadsheet program writes a comment of several
//   lines so; the value keeps its line breaks as LF) and a doubled quote ""
//   stands for one quote character. Text before the first quote and after
//   the closing one, up to the next ";", is dropped. A quote that the file
//   never closes ends with its line, and the next line is read as usual.
// - Lines may hold different numbers of fields. The table is as wide as the
//   line with the most fields; missing fields read as empty cells.
// - A line of more than maxFieldsPerLine fields, or a file of more than
//   maxFields fields, is refused (ReadError): no import file is so wide, and
//   the table of a file of nothing but ";" would not fit into the memory.
//
// Everything here runs in time linear in the size of the input, whatever the
// input holds.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace csv {

constexpr qsizetype maxFieldsPerLine = 1000;
constexpr qsizetype maxFields = 5'000'000;

// The contents of a file: one entry per line, one string per field.
struct Table {
    QList<QStringList> rows;  // rows[0] is the title line (when there is one)
    // The file line (from 1) on which each row begins, as far as the reader
    // filled it: a quoted field with line breaks makes one row span several
    // lines of the file.
    QList<qsizetype> firstLines;

    // The file line on which row `row` begins (row + 1 where not recorded).
    qsizetype fileLine(qsizetype row) const { return row < firstLines.size() ? firstLines[row] : row + 1; }

    qsizetype rowCount() const { return rows.size(); }
    // The number of fields of the line with the most fields (0 for no lines).
    qsizetype columnCount() const;
    // The field `column` of line `row`; empty where the line has no such field
    // or there is no such line.
    QString cell(qsizetype row, qsizetype column) const;
    // The fields of the title line (empty for an empty file).
    QStringList titles() const { return rows.isEmpty() ? QStringList() : rows.first(); }

    // Equal contents; where the rows stood in the file does not count.
    bool operator==(const Table& o) const { return rows == o.rows; }
};

// A file that cannot be read. message() is the German text for the user;
// what() is the same text in UTF-8.
class ReadError : public std::runtime_error {
public:
    explicit ReadError(const QString& message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// Reads and parses the file at `path`. Throws ReadError with a message of the
// form "Die Datei <Pfad> kann nicht gelesen werden: <Grund>" when the file is
// missing, a directory or cannot be opened or read.
Table readFile(const QString& path);

// Parses the bytes of a file (decode() followed by parseText()).
Table parse(const QByteArray& bytes);

// Parses decoded text. Throws ReadError (the reason alone) for a line or a
// file with too many fields.
Table parseText(const QString& text);

// Turns the bytes of a file into text: UTF-8 when the bytes (after an
// optional UTF-8 byte order mark, which is dropped) are valid UTF-8, else
// Windows-1252. Of Windows-1252, the five byte values the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) give the character with the same
// number (U+0081 ...), as Windows itself and web browsers read them, so no
// byte is lost.
QString decode(const QByteArray& bytes);

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF, no sequence cut off at the end).
bool isValidUtf8(const QByteArray& bytes);

// Windows-1252 to text, byte for byte.
QString fromWindows1252(const QByteArray& bytes);

}  // namespace csv
