// The protocol log: block structure across runs, line forms, bytes on disk,
// lines from two threads, failures.
#include "common/errors.h"
#include "link/protocollog.h"
#include "support/testenv.h"
#include "support_link.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <thread>

using namespace obd;

namespace {

const QString Stars = QString(49, QLatin1Char('*')) + QLatin1Char(' ');

// A de_DE time stamp (the time is left out at midnight), " - " and the phrase.
bool isEvent(const QString& line, const QString& phrase) {
    static const QRegularExpression stamp(
        QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4}( \\d\\d:\\d\\d:\\d\\d)? - (.*)$"));
    const QRegularExpressionMatch m = stamp.match(line);
    return m.hasMatch() && m.captured(2) == phrase;
}

} // namespace

class TestProtocolLog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void blocksAcrossRuns();
    void bytesOnDiskAtOnce();
    void twoThreadsNeverInterleave();
    void openFailureNamesTheFile_data();
    void openFailureNamesTheFile();
    void writeAfterCloseFails();
    void rotatesAtTheLimit();
};

void TestProtocolLog::initTestCase() {
    QVERIFY(test::useTimeLocale("de_DE.UTF-8"));
}

void TestProtocolLog::blocksAcrossRuns() {
    QTemporaryDir dir;
    const QString name = dir.filePath("LogFile.txt");
    for (int run = 0; run < 2; ++run) {
        ProtocolLog log(name);
        log.WriteEvent("Read DTC");
        log.Close();
    }
    const QStringList lines = test::logLines(name);
    QCOMPARE(lines.size(), 12);
    for (int block = 0; block < 2; ++block) {
        const int b = block * 6;
        QCOMPARE(lines[b], " ");
        QCOMPARE(lines[b + 1], Stars);
        QVERIFY2(isEvent(lines[b + 2], "Programmstart"), qPrintable(lines[b + 2]));
        QVERIFY2(isEvent(lines[b + 3], "Read DTC"), qPrintable(lines[b + 3]));
        QVERIFY2(isEvent(lines[b + 4], "Programm terminated"), qPrintable(lines[b + 4]));
        QCOMPARE(lines[b + 5], Stars);
    }
}

void TestProtocolLog::bytesOnDiskAtOnce() {
    QTemporaryDir dir;
    const QString name = dir.filePath("LogFile.txt");
    ProtocolLog log(name);
    log.WriteLine(QString::fromUtf8("Bestätigung €"));
    // Read by another handle before any close: nothing waits in a buffer.
    QFile file(name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY2(bytes.startsWith(" \r\n" + Stars.toLatin1() + "\r\n"), bytes.constData());
    QVERIFY(bytes.endsWith("Best\xe4tigung \x80\r\n"));
}

void TestProtocolLog::twoThreadsNeverInterleave() {
    QTemporaryDir dir;
    const QString name = dir.filePath("LogFile.txt");
    constexpr int PerThread = 2000;
    {
        ProtocolLog log(name);
        auto writer = [&log](QChar c) {
            for (int i = 0; i < PerThread; ++i)
                log.WriteLine(QString(200, c) + QString::number(i));
        };
        std::thread a(writer, QLatin1Char('a'));
        std::thread b(writer, QLatin1Char('b'));
        a.join();
        b.join();
    }
    const QStringList lines = test::logLines(name).mid(3);
    QCOMPARE(lines.size(), 2 * PerThread);
    int next[2] = {0, 0};
    for (const QString& line : lines) {
        const int t = line.startsWith(QString(200, QLatin1Char('a'))) ? 0 : 1;
        const QString expected =
            QString(200, QLatin1Char(t ? 'b' : 'a')) + QString::number(next[t]);
        QCOMPARE(line, expected);
        ++next[t];
    }
}

void TestProtocolLog::openFailureNamesTheFile_data() {
    QTest::addColumn<bool>("fifo");
    // A folder where the file should be cannot be opened for writing, not even by root.
    QTest::newRow("folder") << false;
    // A FIFO nobody reads would block an open for writing forever.
    QTest::newRow("FIFO") << true;
}

void TestProtocolLog::openFailureNamesTheFile() {
    QFETCH(bool, fifo);
    QTemporaryDir dir;
    const QString name = dir.filePath("LogFile.txt");
    QVERIFY(fifo ? ::mkfifo(name.toLocal8Bit().constData(), 0600) == 0 : QDir().mkdir(name));
    try {
        ProtocolLog log(name);
        QFAIL("opened a folder as log");
    } catch (const FileError& e) {
        QVERIFY2(e.text().contains(name), qPrintable(e.text()));
    }
}

void TestProtocolLog::writeAfterCloseFails() {
    QTemporaryDir dir;
    const QString name = dir.filePath("LogFile.txt");
    ProtocolLog log(name);
    log.Close();
    QVERIFY_THROWS_EXCEPTION(FileError, log.WriteEvent("S: 0100"));
    QCOMPARE(test::logLines(name).size(), 5);
}

void TestProtocolLog::rotatesAtTheLimit() {
    QTemporaryDir dir;
    const QString name = dir.filePath("LogFile.txt");
    constexpr int Limit = 400;
    constexpr int Lines = 60;
    {
        ProtocolLog log(name, Limit);
        for (int i = 0; i < Lines; ++i)
            QCOMPARE(log.WriteLine(QStringLiteral("line %1").arg(i, 40, 10, QLatin1Char('0'))),
                     QString());
        QCOMPARE(log.generationName(2), dir.filePath("LogFile.2.txt"));
    }
    QVERIFY(!QFile::exists(dir.filePath("LogFile.4.txt")));
    // Oldest generation first: every file was begun in the middle of the run
    // (the run's start fell off the end), so it begins by naming the file it
    // continues, not with a start block; it stays within the limit, and the
    // numbered lines run on without a gap.
    int next = -1;
    for (const QString file : {"LogFile.3.txt", "LogFile.2.txt", "LogFile.1.txt", "LogFile.txt"}) {
        const QString path = dir.filePath(file);
        QVERIFY2(QFileInfo(path).size() <= Limit, qPrintable(file));
        const QStringList lines = test::logLines(path);
        QVERIFY2(lines.size() > 1, qPrintable(file));
        QVERIFY2(isEvent(lines[0], "Fortsetzung von LogFile.1.txt"), qPrintable(lines[0]));
        for (const QString& line : lines.mid(1)) {
            const int number = line.mid(5).toInt();
            QVERIFY2(next < 0 || number == next, qPrintable(line));
            next = number + 1;
        }
    }
    QCOMPARE(next, Lines);
}

QTEST_GUILESS_MAIN(TestProtocolLog)
#include "tst_protocollog.moc"
