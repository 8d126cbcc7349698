// Tests of the CSV reader: the format rules, the decoding, robustness against
// malformed input and the file errors.
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "common/testregistry.h"
#include "import/csv/csvreader.h"

using Rows = QList<QStringList>;
using namespace Qt::StringLiterals;

namespace {

// Readable form of a table for comparisons: one line per row, each field in
// brackets; control characters and brackets are escaped.
QString render(const Rows& rows) {
    QString out;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        out += QStringLiteral("#%1:").arg(r);
        for (const QString& f : rows[r]) {
            out += u'[';
            for (QChar c : f) {
                if (c.unicode() < 0x20 || c == u'[' || c == u']' || c == u'\\' ||
                    (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
                    out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
                else
                    out += c;
            }
            out += u']';
        }
        out += u'\n';
    }
    return out;
}

QByteArray utf8(const char16_t* s) { return QString::fromUtf16(s).toUtf8(); }
QByteArray bytes(std::initializer_list<int> b) {
    QByteArray a;
    for (int c : b) a.append(char(c));
    return a;
}
const QByteArray kBom = bytes({0xEF, 0xBB, 0xBF});

}  // namespace

class TestCsvReader : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void decode_data();
    void decode();
    void tableAccess();
    void fileLineOfEachRow();
    void longLine_data();
    void longLine();
    void binaryInput();
    void readFile();
    void readFileErrors_data();
    void readFileErrors();
};

void TestCsvReader::parse_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<Rows>("expected");
    QTest::addColumn<int>("columns");

    QTest::newRow("Titelzeile und drei Datenzeilen")
        << QByteArray("Name;Vorname;Ort\nMeier;Hans;Koeln\nSchulz;Eva;Bonn\nKrause;Udo;Ulm\n")
        << Rows{{"Name", "Vorname", "Ort"}, {"Meier", "Hans", "Koeln"}, {"Schulz", "Eva", "Bonn"},
                {"Krause", "Udo", "Ulm"}}
        << 3;
    QTest::newRow("letzte Zeile ohne Zeilenende")
        << QByteArray("a;b\nc;d") << Rows{{"a", "b"}, {"c", "d"}} << 2;
    QTest::newRow("Leerzeichen bleiben erhalten")
        << QByteArray(" a ; b \n") << Rows{{" a ", " b "}} << 2;
    QTest::newRow("leere Felder")
        << QByteArray(";;\n;\nx;\n") << Rows{{"", "", ""}, {"", ""}, {"x", ""}} << 3;

    // Quotes
    QTest::newRow("Semikolon in Anführungszeichen, Mitte der Zeile")
        << QByteArray("A;B;C\nx;\"Meier; Hans\";y\n")
        << Rows{{"A", "B", "C"}, {"x", "Meier; Hans", "y"}} << 3;
    QTest::newRow("Semikolon in Anführungszeichen, Zeilenende")
        << QByteArray("A;B\nx;\"Meier; Hans\"\ny;z\n")
        << Rows{{"A", "B"}, {"x", "Meier; Hans"}, {"y", "z"}} << 2;
    QTest::newRow("Semikolon in Anführungszeichen, Dateiende")
        << QByteArray("x;\"a;b;\"") << Rows{{"x", "a;b;"}} << 2;
    QTest::newRow("verdoppelte Anführungszeichen")
        << utf8(u"\"Rex \"\"der Große\"\"\";x\n") << Rows{{u"Rex \"der Große\""_s, "x"}} << 2;
    QTest::newRow("verdoppelte Anführungszeichen mit Semikolon")
        << QByteArray("\"a\"\";\"\"b\";c") << Rows{{"a\";\"b", "c"}} << 2;
    QTest::newRow("leeres Feld in Anführungszeichen")
        << QByteArray("\"\";x;\"\"") << Rows{{"", "x", ""}} << 3;
    QTest::newRow("nur ein Anführungszeichen als Wert")
        << QByteArray("\"\"\"\"") << Rows{{"\""}} << 1;
    QTest::newRow("Text vor und nach den Anführungszeichen entfällt")
        << QByteArray("ab\"cd\"ef;g") << Rows{{"cd", "g"}} << 2;
    QTest::newRow("weitere Anführungszeichen nach dem schließenden entfallen")
        << QByteArray("\"a\"b\"c\";d") << Rows{{"a", "d"}} << 2;
    QTest::newRow("Anführungszeichen mitten im Feld")
        << QByteArray("Hund \"Rex\" vom Berg;x") << Rows{{"Rex", "x"}} << 2;
    QTest::newRow("offenes Anführungszeichen am Dateiende")
        << QByteArray("A;B\na;\"b;c") << Rows{{"A", "B"}, {"a", "b;c"}} << 2;
    QTest::newRow("offenes Anführungszeichen endet mit der Zeile")
        << QByteArray("\"a;b\nc;d\n") << Rows{{"a;b"}, {"c", "d"}} << 2;
    QTest::newRow("offen nach verdoppeltem Anführungszeichen")
        << QByteArray("\"a\"\"") << Rows{{"a\""}} << 1;
    QTest::newRow("einzelnes Anführungszeichen")
        << QByteArray("\"") << Rows{{""}} << 1;

    // Line breaks inside quotes (a comment of several lines, as spreadsheet
    // programs write it)
    QTest::newRow("Zeilenumbruch in Anführungszeichen")
        << QByteArray("Name;Kommentar;Ort\nMeier;\"Zeile 1\nZeile 2\";Bonn\nSchulz;x;Trier\n")
        << Rows{{"Name", "Kommentar", "Ort"}, {"Meier", "Zeile 1\nZeile 2", "Bonn"}, {"Schulz", "x", "Trier"}} << 3;
    QTest::newRow("CR LF in Anführungszeichen wird LF")
        << QByteArray("a;\"x\r\ny\r\n\"\r\nb;c\r\n") << Rows{{"a", "x\ny\n"}, {"b", "c"}} << 2;
    QTest::newRow("Leerzeilen und Semikolon im Umbruch")
        << QByteArray("\"a\n\n;b\"\"c\";d\n") << Rows{{"a\n\n;b\"c", "d"}} << 2;
    QTest::newRow("Umbruch am Dateiende geschlossen")
        << QByteArray("x;\"1\n2\"") << Rows{{"x", "1\n2"}} << 2;
    QTest::newRow("schließt erst in einer späteren Zeile")
        << QByteArray("a;\"b\nc;\"d;e\nf\n") << Rows{{"a", "b\nc;", "e"}, {"f"}} << 3;
    QTest::newRow("nach einem Umbruchfeld offen bis zum Dateiende")
        << QByteArray("\"x\ny\";1\n\"z;2\nw;3\n") << Rows{{"x\ny", "1"}, {"z;2"}, {"w", "3"}} << 2;

    // Line ends
    QTest::newRow("CR LF")
        << QByteArray("a;b\r\nc;d\r\n") << Rows{{"a", "b"}, {"c", "d"}} << 2;
    QTest::newRow("einzelnes CR entfällt")
        << QByteArray("a\rb;c\r\nd\r") << Rows{{"ab", "c"}, {"d"}} << 2;
    QTest::newRow("CR zwischen Anführungszeichen entfällt")
        << QByteArray("\"a\"\r\"b\";c") << Rows{{"a\"b", "c"}} << 2;
    QTest::newRow("nur CR")
        << QByteArray("\r\r") << Rows{} << 0;

    // Ragged lines and empty lines
    QTest::newRow("unterschiedlich viele Felder")
        << QByteArray("a;b;c\nd\n\ne;f;g;h\n")
        << Rows{{"a", "b", "c"}, {"d"}, {}, {"e", "f", "g", "h"}} << 4;
    QTest::newRow("Leerzeilen sind Datensätze ohne Felder")
        << QByteArray("T\n\r\n\n") << Rows{{"T"}, {}, {}} << 1;

    // Empty file and title line only
    QTest::newRow("leere Datei") << QByteArray() << Rows{} << 0;
    QTest::newRow("nur Titelzeile")
        << QByteArray("Name;Vorname") << Rows{{"Name", "Vorname"}} << 2;
    QTest::newRow("nur Titelzeile mit Zeilenende")
        << QByteArray("Name;Vorname\r\n") << Rows{{"Name", "Vorname"}} << 2;

    // Encodings
    QTest::newRow("UTF-8 mit BOM und Umlauten")
        << kBom + utf8(u"Name;Straße\nMüller;Ölweg 3\n")
        << Rows{{"Name", u"Straße"_s}, {u"Müller"_s, u"Ölweg 3"_s}} << 2;
    QTest::newRow("UTF-8 ohne BOM")
        << utf8(u"Name;Ort\nJäger;Köln\n") << Rows{{"Name", "Ort"}, {u"Jäger"_s, u"Köln"_s}} << 2;
    QTest::newRow("Windows-1252 Umlaute und Euro")
        << QByteArray("Name;Betrag\nM") + bytes({0xFC}) + "ller;12 " + bytes({0x80}) + "\n" +
               bytes({0xC4, 0xD6, 0xDC, 0xE4, 0xF6, 0xFC, 0xDF, ';', 0x84, 'x', 0x93})
        << Rows{{"Name", "Betrag"}, {u"Müller"_s, u"12 €"_s}, {u"ÄÖÜäöüß"_s, u"„x“"_s}}
        << 2;

    // Malformed input
    QTest::newRow("NUL-Bytes entfallen")
        << QByteArray("a\0b;c\n\0\nd;\"e\0\";f", 16) << Rows{{"ab", "c"}, {}, {"d", "e", "f"}}
        << 3;
}

void TestCsvReader::parse() {
    QFETCH(QByteArray, input);
    QFETCH(Rows, expected);
    QFETCH(int, columns);
    const csv::Table t = csv::parse(input);
    QCOMPARE(render(t.rows), render(expected));
    QCOMPARE(t.rowCount(), expected.size());
    QCOMPARE(t.columnCount(), qsizetype(columns));
}

void TestCsvReader::decode_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("validUtf8");

    QTest::newRow("ASCII") << QByteArray("Name;Ort") << u"Name;Ort"_s << true;
    QTest::newRow("nur BOM") << kBom << QString() << true;
    QTest::newRow("BOM und ASCII") << kBom + "a" << u"a"_s << true;
    QTest::newRow("zweites BOM ist Text") << kBom + kBom + "a" << u"\uFEFFa"_s << true;
    QTest::newRow("UTF-8 Umlaut") << utf8(u"Müller") << u"Müller"_s << true;
    QTest::newRow("UTF-8 vier Bytes") << bytes({0xF0, 0x9F, 0x90, 0x95}) << u"\U0001F415"_s
                                      << true;
    QTest::newRow("UTF-8 größtes Zeichen") << bytes({0xF4, 0x8F, 0xBF, 0xBF}) << u"\U0010FFFF"_s
                                           << true;
    // Everything below is no valid UTF-8 and is read as Windows-1252.
    QTest::newRow("Windows-1252 0x80 bis 0x9F")
        << bytes({0x80, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8E,
                  0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9E,
                  0x9F})
        << u"€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ"_s << false;
    QTest::newRow("Windows-1252 undefinierte Bytes behalten ihren Wert")
        << bytes({0x81, 0x8D, 0x8F, 0x90, 0x9D}) << u"\u0081\u008D\u008F\u0090\u009D"_s << false;
    QTest::newRow("Windows-1252 0xA0 bis 0xFF")
        << bytes({0xA0, 0xA7, 0xB0, 0xC4, 0xDF, 0xE9, 0xFF}) << u"\u00A0§°Äßéÿ"_s << false;
    QTest::newRow("gemischt: UTF-8 und Windows-1252")
        << utf8(u"ü") + bytes({0xFC}) << u"Ã¼ü"_s << false;
    QTest::newRow("überlange Form") << bytes({0xC0, 0xAF}) << u"À¯"_s << false;
    QTest::newRow("überlange Form, drei Bytes") << bytes({0xE0, 0x80, 0xAF}) << u"à€¯"_s << false;
    QTest::newRow("Ersatzzeichen-Bereich") << bytes({0xED, 0xA0, 0x80}) << u"í\u00A0€"_s << false;
    QTest::newRow("über U+10FFFF") << bytes({0xF4, 0x90, 0x80, 0x80}) << u"ô\u0090€€"_s << false;
    QTest::newRow("abgeschnittene Folge am Ende") << bytes({'a', 0xE2, 0x82}) << u"aâ‚"_s
                                                  << false;
    QTest::newRow("BOM und ungültiges UTF-8: BOM entfällt")
        << kBom + bytes({0xFC}) << u"ü"_s << false;
}

void TestCsvReader::decode() {
    QFETCH(QByteArray, input);
    QFETCH(QString, expected);
    QFETCH(bool, validUtf8);
    QCOMPARE(csv::decode(input), expected);
    const QByteArray body = input.startsWith(kBom) ? input.sliced(3) : input;
    QCOMPARE(csv::isValidUtf8(body), validUtf8);
}

// The file line each row begins on: a quoted field with line breaks (also
// CR LF, and an empty line inside) makes its row span several file lines.
void TestCsvReader::fileLineOfEachRow() {
    const csv::Table t = csv::parse("Name;Kommentar\r\nMeier;\"eins\r\n\r\ndrei\"\r\n\nSchulz;x\n\"a\nb\";c");
    QCOMPARE(t.rowCount(), qsizetype(5));
    QCOMPARE(t.fileLine(0), qsizetype(1));
    QCOMPARE(t.fileLine(1), qsizetype(2));  // spans lines 2 to 4
    QCOMPARE(t.fileLine(2), qsizetype(5));  // the empty line
    QCOMPARE(t.fileLine(3), qsizetype(6));
    QCOMPARE(t.fileLine(4), qsizetype(7));
    // A table built by hand: row + 1.
    csv::Table h;
    h.rows = {{"a"}, {"b"}};
    QCOMPARE(h.fileLine(1), qsizetype(2));
}

void TestCsvReader::tableAccess() {
    const csv::Table t = csv::parse("A;B\na\n\nb;c;d\n");
    QCOMPARE(t.titles(), (QStringList{"A", "B"}));
    QCOMPARE(t.rowCount(), qsizetype(4));
    QCOMPARE(t.columnCount(), qsizetype(3));
    QCOMPARE(t.cell(0, 1), u"B"_s);
    QCOMPARE(t.cell(1, 0), u"a"_s);
    QCOMPARE(t.cell(1, 1), QString());  // missing field
    QCOMPARE(t.cell(2, 0), QString());  // empty line
    QCOMPARE(t.cell(3, 2), u"d"_s);
    QCOMPARE(t.cell(4, 0), QString());  // past the last line
    QCOMPARE(t.cell(-1, 0), QString());
    QCOMPARE(t.cell(0, -1), QString());
    const csv::Table empty = csv::parse(QByteArray());
    QVERIFY(empty.titles().isEmpty());
    QCOMPARE(empty.columnCount(), qsizetype(0));
}

// Lines of 10 MB of different make-up; the parse has to finish (it is linear)
// and give the exact value.
void TestCsvReader::longLine_data() {
    constexpr qsizetype kSize = 10 * 1024 * 1024;
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<qsizetype>("fields");
    QTest::addColumn<qsizetype>("firstFieldLength");

    QTest::newRow("ein Feld") << QByteArray(kSize, 'x') << qsizetype(1) << kSize;
    QTest::newRow("viele Felder") << QByteArray("0123456789abcde;").repeated(kSize / 16)
                                  << qsizetype(-1) << qsizetype(0);
    QTest::newRow("1000 Felder") << QByteArray("0123456789abcde;").repeated(999) + "x" << qsizetype(1000)
                                 << qsizetype(15);
    QTest::newRow("Anführungszeichen mit Semikolons")
        << "\"" + QByteArray("ab\"\";c").repeated(kSize / 6) + "\";x"
        << qsizetype(2) << qsizetype(kSize / 6 * 5);
    QTest::newRow("offenes Anführungszeichen")
        << "\"" + QByteArray("a;").repeated(kSize / 2) << qsizetype(1) << qsizetype(kSize);
    QTest::newRow("nur Anführungszeichen")
        << QByteArray(kSize + 1, '"') << qsizetype(1) << qsizetype(kSize / 2);
    QTest::newRow("Anführungszeichen mit Zeilenumbrüchen")
        << "\"" + QByteArray("ab\n").repeated(kSize / 3) + "\";x" << qsizetype(2) << qsizetype(kSize / 3 * 3);
    QTest::newRow("CR statt Zeilenende")
        << QByteArray("ab;\r").repeated(kSize / 4) << qsizetype(-1) << qsizetype(0);
}

void TestCsvReader::longLine() {
    QFETCH(QByteArray, line);
    QFETCH(qsizetype, fields);
    QFETCH(qsizetype, firstFieldLength);
    // fields -1: more fields than any import file has; refused, not read
    // into the memory.
    if (fields < 0) {
        try {
            csv::parse("Titel\n" + line + "\nEnde");
            QFAIL("not refused");
        } catch (const csv::ReadError& e) {
            QCOMPARE(e.message(), u"Zeile 2 hat mehr als 1000 Felder; so viele Spalten hat keine Importdatei."_s);
        }
        return;
    }
    const csv::Table t = csv::parse("Titel\n" + line + "\nEnde");
    QCOMPARE(t.rowCount(), qsizetype(3));
    QCOMPARE(t.rows[1].size(), fields);
    QCOMPARE(t.rows[1].first().size(), firstFieldLength);
    QCOMPARE(t.cell(2, 0), u"Ende"_s);
}

// Random bytes (a binary file chosen by mistake) give some table; no cell
// ever holds a CR or a NUL, and a line end only inside quotes.
void TestCsvReader::binaryInput() {
    QRandomGenerator rng(4711);
    for (int round = 0; round < 20; ++round) {
        QByteArray data(256 * 1024, Qt::Uninitialized);
        // Plenty of the bytes the reader looks at, so that all paths are taken.
        static const char special[] = {'\n', '\r', '"', ';', '\0', char(0xEF), char(0xC3)};
        for (char& c : data)
            c = rng.bounded(4) == 0 ? special[rng.bounded(int(sizeof special))]
                                    : char(rng.bounded(256));
        if (round % 2) data.prepend(kBom);
        const csv::Table t = csv::parse(data);
        QVERIFY(t.rowCount() <= data.count('\n') + 1);
        for (const QStringList& row : t.rows)
            for (const QString& f : row)
                QVERIFY(!f.contains(u'\r') && !f.contains(QChar(u'\0')));
    }
}

void TestCsvReader::readFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"export übersicht.csv"_s);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("Name;Hund\r\nM") + bytes({0xFC}) + "ller;\"Rex; der Erste\"\r\n");
    f.close();
    const csv::Table t = csv::readFile(path);
    QCOMPARE(render(t.rows), render(Rows{{"Name", "Hund"}, {u"Müller"_s, "Rex; der Erste"}}));
}

void TestCsvReader::readFileErrors_data() {
    QTest::addColumn<QString>("what");
    QTest::newRow("fehlende Datei") << u"missing"_s;
    QTest::newRow("Ordner") << u"dir"_s;
    QTest::newRow("Gerät") << u"device"_s;
    QTest::newRow("kein Dateiname") << u"empty"_s;
    QTest::newRow("keine Leseberechtigung") << u"unreadable"_s;
    QTest::newRow("zu viele Felder in einer Zeile") << u"wide"_s;
    QTest::newRow("zu viele Felder in der Datei") << u"many"_s;
}

void TestCsvReader::readFileErrors() {
    QFETCH(QString, what);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path, expected;
    if (what == "missing") {
        path = dir.filePath("fehlt.csv");
        expected = "Die Datei " + path + " kann nicht gelesen werden: Die Datei existiert nicht.";
    } else if (what == "dir") {
        path = dir.path();
        expected = "Die Datei " + path + " kann nicht gelesen werden: Das ist ein Ordner, keine Datei.";
    } else if (what == "device") {
        path = "/dev/zero";  // would never end
        expected = u"Die Datei /dev/zero kann nicht gelesen werden: Das ist keine gewöhnliche Datei."_s;
    } else if (what == "empty") {
        expected = "Es wurde keine Datei zum Lesen angegeben.";
    } else if (what == "unreadable") {
        path = dir.filePath("gesperrt.csv");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("a;b\n");
        f.close();
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        QFile probe(path);
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("This user can read files without read permission (root).");
        expected = "Die Datei " + path + " kann nicht gelesen werden: Keine Leseberechtigung.";
    } else if (what == "wide" || what == "many") {
        // 1,001 fields on line 4 (1,000 on line 3 are still read); or 5,001
        // lines of 1,000 fields each.
        path = dir.filePath("felder.csv");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (what == "wide") {
            f.write("Name;Ort\nMeier;Bonn\n" + QByteArray(999, ';') + "\n" + QByteArray(1000, ';') + "\n");
            expected = "Die Datei " + path + " kann nicht gelesen werden: Zeile 4 hat mehr als 1000 Felder; so "
                                             "viele Spalten hat keine Importdatei.";
        } else {
            f.write((QByteArray(999, ';') + "\n").repeated(5001));
            expected = "Die Datei " + path + " kann nicht gelesen werden: Die Datei hat mehr als 5.000.000 Felder; "
                                             "so große Importdateien werden nicht gelesen.";
        }
        f.close();
    }
    try {
        csv::readFile(path);
        QFAIL("readFile did not fail");
    } catch (const csv::ReadError& e) {
        QCOMPARE(e.message(), expected);
        QCOMPARE(QString::fromUtf8(e.what()), expected);
    }
}

KYN_TEST(TestCsvReader)
#include "csvreader_test.moc"
