// libFuzzer target for the CSV reader: any input must parse without a crash,
// a hang or a sanitizer report, and the result must keep the reader's
// promises (no line end, CR or NUL inside a field; no more lines than LFs + 1;
// valid UTF-8 decodes to exactly its own bytes).
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "import/csv/csvreader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                     qsizetype(size));
    const csv::Table t = csv::parse(bytes);

    if (t.rowCount() > bytes.count('\n') + 1) std::abort();
    qsizetype widest = 0;
    for (const QStringList& row : t.rows) {
        widest = std::max(widest, row.size());
        for (const QString& f : row)
            if (f.contains(u'\n') || f.contains(u'\r') || f.contains(QChar(u'\0'))) std::abort();
    }
    if (widest != t.columnCount()) std::abort();

    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArray body = bom ? bytes.sliced(3) : bytes;
    const QString text = csv::decode(bytes);
    if (csv::isValidUtf8(body)) {
        if (text.toUtf8() != body) std::abort();
    } else if (text.size() != body.size()) {
        std::abort();  // Windows-1252: one character per byte
    }
    return 0;
}
