// The trouble-code text file: line ends, Ctrl-Z, code and text cutting,
// lookups, and the delivered dtc-gb.dat.
#include "common/errors.h"
#include "store/dtctexts.h"
#include "support/testenv.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace obd;

class TestDtcTexts : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void lookups();
    void lookupsAmongManyLines();
    void missingFile();
    void unreadableFile_data();
    void unreadableFile();
    void deliveredFile();
    void deliveredFileCoversGenericRanges();
};

using Entries = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Entries)

void TestDtcTexts::parse_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Entries>("entries");
    const QByteArray long200(200, 'x');
    QTest::newRow("200-character text") << "P0125   " + long200 + "\r\n"
                                        << Entries{{"P0125", QString(127, 'x')}};
    QTest::newRow("code alone") << QByteArray("P0125\r\n") << Entries{{"P0125", ""}};
    QTest::newRow("short line") << QByteArray("P01\r\n") << Entries{{"P01", ""}};
    QTest::newRow("leading blank") << QByteArray(" P0125 text\r\n") << Entries{{" P012", "5 text"}};
    QTest::newRow("no separator") << QByteArray("P0125Text\r\n") << Entries{{"P0125", "Text"}};
    QTest::newRow("trimmed both ends")
        << QByteArray("P0125 \t text \t\r\n") << Entries{{"P0125", "text"}};
    QTest::newRow("last line without end")
        << QByteArray("P0100 a\r\nP0101 b") << Entries{{"P0100", "a"}, {"P0101", "b"}};
    QTest::newRow("CR LF at the end")
        << QByteArray("P0100 a\r\nP0101 b\r\n") << Entries{{"P0100", "a"}, {"P0101", "b"}};
    QTest::newRow("one more CR LF")
        << QByteArray("P0100 a\r\n\r\n") << Entries{{"P0100", "a"}, {"", ""}};
    QTest::newRow("LF only is one line")
        << QByteArray("P0100 a\nP0101 b\n") << Entries{{"P0100", "a\nP0101 b"}};
    QTest::newRow("CR only") << QByteArray("P0100 a\rP0101 b\r")
                             << Entries{{"P0100", "a"}, {"P0101", "b"}};
    QTest::newRow("Ctrl-Z ends the file")
        << QByteArray("P0100 a\r\n\x1AP0101 b\r\n") << Entries{{"P0100", "a"}};
    QTest::newRow("Ctrl-Z mid line") << QByteArray("P0100 ab\x1A"
                                                   "cd\r\nP0101 b")
                                     << Entries{{"P0100", "ab"}};
    QTest::newRow("empty file") << QByteArray() << Entries{};
    QTest::newRow("Windows-1252") << QByteArray("P0100 K\xFC"
                                                "hler \x80\r\n")
                                  << Entries{{"P0100", QString::fromUtf8("Kühler €")}};
}

void TestDtcTexts::parse() {
    QFETCH(QByteArray, content);
    QFETCH(Entries, entries);
    const TTroubleCodeFile file = ParseTroubleCodeTexts(content);
    Entries got;
    for (const TTroubleCodeEntry& e : file)
        got.append({e.Code, e.Text});
    QCOMPARE(got, entries);
}

void TestDtcTexts::lookups() {
    const TTroubleCodeFile file =
        ParseTroubleCodeTexts("P0125 first\r\nP0300 other\r\nP0125 second\r\n P0125 shifted\r\n");
    QCOMPARE(FindTroubleCodeTexts(file, "P0125"), (QStringList{"first", "second"}));
    QVERIFY(FindTroubleCodeTexts(file, "p0125").isEmpty());
    QVERIFY(FindTroubleCodeTexts(file, "P012").isEmpty());
    QVERIFY(FindTroubleCodeTexts(TTroubleCodeFile(), "P0125").isEmpty());
}

// The index against a walk over every line: codes of every length, codes
// that differ in one byte anywhere, a NUL byte, and codes the file's code
// page cannot write (no '?' stands in for them).
void TestDtcTexts::lookupsAmongManyLines() {
    const QList<QByteArray> codes{"P0125",
                                  "P0126",
                                  "Q0125",
                                  "P012",
                                  "P01",
                                  "",
                                  QByteArray("P0\0"
                                             "25",
                                             5),
                                  "P0?25",
                                  "\xFC"
                                  "0125",
                                  "P0 25"};
    QByteArray content;
    QList<QPair<QByteArray, QByteArray>> lines;
    for (int i = 0; i < 3000; ++i) {
        const QByteArray code = codes[(i * 7 + i / 11) % codes.size()];
        const QByteArray text = code.size() == 5 ? "text " + QByteArray::number(i) : QByteArray();
        content += code + text + "\r\n";
        lines.append({code, text});
    }
    const TTroubleCodeFile file = ParseTroubleCodeTexts(content);
    QCOMPARE(file.size(), qsizetype(lines.size()));
    for (const QByteArray& code : codes) {
        QStringList expected;
        for (const auto& [c, t] : lines)
            if (c == code)
                expected << QString::fromLatin1(t);
        QCOMPARE(FindTroubleCodeTexts(file, QString::fromLatin1(code)), expected);
    }
    QVERIFY(FindTroubleCodeTexts(file, QString::fromUtf8("P0\u03A925")).isEmpty());
    QVERIFY(FindTroubleCodeTexts(file, "P01250").isEmpty());
}

void TestDtcTexts::missingFile() {
    QTemporaryDir dir;
    try {
        LoadTroubleCodeTexts(dir.filePath("dtc-gb.dat"));
        QFAIL("no file error");
    } catch (const FileError& e) {
        QCOMPARE(e.text(), QStringLiteral("Datei nicht gefunden"));
    }
}

void TestDtcTexts::unreadableFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("error");
    // A directory in the file's place cannot be read as the file.
    QTest::newRow("folder") << "folder"
                            << "ist keine gewöhnliche Datei";
    // Nobody writes into the FIFO: reading it would wait for ever.
    QTest::newRow("FIFO") << "fifo"
                          << "ist keine gewöhnliche Datei";
    // A sparse file: 65 MB long, no disk space taken.
    QTest::newRow("too large") << "large"
                               << "ist zu groß (mehr als 64 MB)";
}

void TestDtcTexts::unreadableFile() {
    QFETCH(QString, kind);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath("dtc-gb.dat");
    if (kind == "folder")
        QVERIFY(QDir(dir.path()).mkdir("dtc-gb.dat"));
    if (kind == "fifo")
        QVERIFY(::mkfifo(path.toLocal8Bit().constData(), 0600) == 0);
    if (kind == "large") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(65LL * 1024 * 1024));
    }
    try {
        LoadTroubleCodeTexts(path);
        QFAIL("read as a description file");
    } catch (const FileError& e) {
        QCOMPARE(e.text(), QStringLiteral("Datei %1 %2").arg(path, error));
    }
}

void TestDtcTexts::deliveredFile() {
    const QString path = obd::test::binDir() + "/dtc-gb.dat";
    QFile raw(path);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    const QByteArray content = raw.readAll();
    // Every line ends with CR LF, nothing else ends a line.
    QVERIFY(content.endsWith("\r\n"));
    QCOMPARE(content.count('\r'), content.count('\n'));
    QCOMPARE(content.count("\r\n"), content.count('\n'));

    const TTroubleCodeFile file = LoadTroubleCodeTexts(path);
    for (const TTroubleCodeEntry& e : file) {
        QCOMPARE(e.Code.size(), 5);
        QVERIFY2(!e.Text.isEmpty() && e.Text.size() <= 127, qPrintable(e.Code));
    }
    for (const char* code : {"P0125", "P0736", "P0455", "P1107", "P1299", "P1198", "B1491",
                             "B1992", "B2427", "B1390", "U1451", "U2500", "C1141", "C1184",
                             "C1954", "P0101", "P0300", "P0420", "P0500", "P0700", "U0100"})
        QVERIFY2(!FindTroubleCodeTexts(file, code).isEmpty(), code);
}

void TestDtcTexts::deliveredFileCoversGenericRanges() {
    // Both ends and the per-cylinder, per-bank and per-unit families of each range.
    const TTroubleCodeFile file = LoadTroubleCodeTexts(obd::test::binDir() + "/dtc-gb.dat");
    for (const char* code : {"P0001", "P0171", "P0312", "P0999", "P2000", "P2135", "P2225", "P2347",
                             "P2580", "P2660", "P2739", "P2789", "P2795", "P3400", "P3496", "P3497",
                             "U0001", "U0073", "U0118", "U0300", "U0331", "U0400", "U0431"})
        QVERIFY2(!FindTroubleCodeTexts(file, code).isEmpty(), code);
}

QTEST_GUILESS_MAIN(TestDtcTexts)
#include "tst_dtctexts.moc"
