// Recordings of live values: the bytes of a written file, a disk that fills
// up while recording, and reading a recording back.
#include "common/errors.h"
#include "common/sensortable.h"
#include "session/recording.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace obd;

namespace {

// Entries of the sensor table: PID 03, 04, 05 and 0C.
constexpr int FuelSystem = 2, Load = 3, Coolant = 4, Rpm = 11;

const QDateTime Start(QDate(2026, 12, 10), QTime(8, 0));

std::vector<RecordedColumn> Columns() {
    return {{FuelSystem, QStringLiteral("Fuel System status"), {}},
            {Load, QStringLiteral("Calculated Load"), QStringLiteral("%")},
            {Coolant, QStringLiteral("Coolant Temp."), QStringLiteral("°C")},
            {Rpm, QStringLiteral("Engine RPM"), QStringLiteral("U/min")}};
}

void SetPassOne(SensorTable& t) {
    t.SetValue(FuelSystem, QStringLiteral("closed loop"));
    t.SetReading(Load, {QStringLiteral("35,2941176470588"), 90 * 100 / 255.0, 1});
    t.SetReading(Coolant, {QStringLiteral("87"), 87, 0});
    t.SetReading(Rpm, {QStringLiteral("1726,5"), 1726.5, 0});
}

void SetPassTwo(SensorTable& t) {
    t.SetValue(FuelSystem, QStringLiteral("N/A"));
    t.SetReading(Load, {QStringLiteral("0"), 0, 1});
    t.SetReading(Coolant, {QStringLiteral("-40"), -40, 0});
    t.SetValue(Rpm, QStringLiteral("Fehler"));
}

// Writes a file of parts (each repeated as often as its count says) in dir.
QString WriteFile(const QTemporaryDir& dir, const QList<std::pair<QByteArray, qint64>>& parts) {
    const QString path = dir.filePath(QStringLiteral("r.csv"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    for (const auto& [bytes, count] : parts)
        for (qint64 n = 0; n < count; ++n)
            f.write(bytes);
    return path;
}

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QByteArray Header = "time_s,clock,Fuel System status,Calculated Load [%],"
                          "Coolant Temp. [\xC2\xB0\x43],Engine RPM [U/min]\n";
const QByteArray RowOne = "0.500,2026-12-10 08:00:00.500,closed loop,35.2941176470588,87,1726.5\n";
const QByteArray RowTwo = "1.250,2026-12-10 08:00:01.250,N/A,0,-40,Fehler\n";

} // namespace

class TestRecording : public QObject {
    Q_OBJECT

private slots:
    // Two passes: header with units, seconds and wall clock, full values
    // with a dot even where the user's separator is a comma.
    void twoPassesAsBytes() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.csv"));
        SensorTable table;
        {
            SensorRecorder recorder(path, Columns(), Start);
            SetPassOne(table);
            QVERIFY(!recorder.AppendPass(table, Start.addMSecs(500)));
            SetPassTwo(table);
            QVERIFY(!recorder.AppendPass(table, Start.addMSecs(1250)));
            QCOMPARE(recorder.Rows(), 2);
        }
        QCOMPARE(FileBytes(path), Header + RowOne + RowTwo);
    }

    // The file may not grow past two rows: the third fails, recording stops
    // with the reason, and the file holds the header and both whole rows.
    void fullDiskStopsAndKeepsWhatWasWritten() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.csv"));
        SensorTable table;
        SetPassOne(table);
        SensorRecorder recorder(path, Columns(), Start);
        QVERIFY(!recorder.AppendPass(table, Start.addMSecs(500)));
        QVERIFY(!recorder.AppendPass(table, Start.addMSecs(500)));

        // Past the limit a write fails with EFBIG instead of a signal.
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited = old;
        limited.rlim_cur = rlim_t(Header.size() + 2 * RowOne.size() + 10);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        const auto failure = recorder.AppendPass(table, Start.addMSecs(500));
        const auto after = recorder.AppendPass(table, Start.addMSecs(500));
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(failure);
        QVERIFY2(failure->contains(path), qPrintable(*failure));
        QVERIFY(after);
        QCOMPARE(recorder.Rows(), 2);
        QCOMPARE(FileBytes(path), Header + RowOne + RowOne);
    }

    // Read back: the columns the choice names, folded; texts and "Fehler"
    // give no points; the choice sees which columns held a number.
    void readBackAsSeries() {
        QTemporaryDir dir;
        const QString path = WriteFile(dir, {{Header + RowOne + RowTwo, 1}});
        QList<RecordingTitle> seen;
        std::vector<bool> numeric;
        const LoadedRecording loaded = ReadRecording(
            path, 100,
            [&](const QList<RecordingTitle>& columns, const std::vector<bool>& number) {
                seen = columns;
                numeric = number;
                return std::vector<int>{3, 2, 0};
            },
            {});
        QCOMPARE(seen.size(), 4);
        QCOMPARE(seen[1].name, QStringLiteral("Calculated Load"));
        QCOMPARE(seen[2].unit, QStringLiteral("°C"));
        QCOMPARE(numeric, (std::vector<bool>{false, true, true, true}));
        QCOMPARE(loaded.seconds, 1.25);
        QVERIFY(!loaded.cancelled);
        QCOMPARE(loaded.series.size(), size_t(3));
        const auto points = [&](size_t k) {
            return QList<QPointF>(loaded.series[k].points.begin(), loaded.series[k].points.end());
        };
        QCOMPARE(loaded.series[0].name, QStringLiteral("Engine RPM"));
        QCOMPARE(points(0), (QList<QPointF>{{0.5, 1726.5}})); // "Fehler" left out
        QCOMPARE(points(1), (QList<QPointF>{{0.5, 87}, {1.25, -40}}));
        QCOMPARE(points(2).size(), 0); // state texts are no points
    }

    // The chart shows what the panels watch, as far as the file has it, then
    // the file's other numbers; a text column never.
    void columnsTheUserWatches_data() {
        QTest::addColumn<QStringList>("watched");
        QTest::addColumn<std::vector<int>>("chosen");
        QTest::newRow("watched, in their order")
            << QStringList{"Engine RPM", "Coolant Temp.", "Calculated Load", "Vehicle Speed"}
            << std::vector<int>{3, 2, 1, 4};
        QTest::newRow("missing ones filled with numbers")
            << QStringList{"Intake Air Temp.", "Coolant Temp."} << std::vector<int>{2, 1, 3, 4};
        QTest::newRow("nothing watched") << QStringList{} << std::vector<int>{1, 2, 3, 4};
    }
    void columnsTheUserWatches() {
        QFETCH(QStringList, watched);
        QFETCH(std::vector<int>, chosen);
        const QList<RecordingTitle> columns{{"Fuel System status", {}}, {"Calculated Load", "%"},
                                            {"Coolant Temp.", "°C"},    {"Engine RPM", "U/min"},
                                            {"Vehicle Speed", "km/h"},  {"Timing Advance", "°"}};
        const std::vector<bool> numeric{false, true, true, true, true, true};
        QCOMPARE(ChooseRecordingColumns(columns, numeric, watched, 4), chosen);
    }

    // Many blocks: read whole, reported as it goes, and a "no" from the
    // progress stops the reading at once.
    void longRecordingStreamsAndCancels() {
        constexpr int Rows = 200000; // about 8 MB: several blocks
        QByteArray rows;
        for (int i = 0; i < Rows; ++i)
            rows += QByteArray::number(i * 0.1, 'f', 3) + ",2026-12-10 08:00:00.000," +
                    QByteArray::number(i == 123457 ? 9999 : 800 + i % 7) + "\n";
        QTemporaryDir dir;
        const QString path = WriteFile(dir, {{"time_s,clock,Engine RPM [U/min]\n", 1}, {rows, 1}});
        const qint64 size = QFileInfo(path).size();
        const auto all = [](const QList<RecordingTitle>&, const std::vector<bool>&) {
            return std::vector<int>{0};
        };
        std::vector<qint64> reports;
        const LoadedRecording whole =
            ReadRecording(path, 1000, all, [&](qint64 done, qint64 total) {
                reports.push_back(done);
                return total == size;
            });
        QVERIFY(reports.size() > 2);
        QCOMPARE(reports.back(), size);
        QCOMPARE(whole.seconds, (Rows - 1) * 0.1);
        // Folded into the room given, from the first row to the last.
        QVERIFY(whole.series[0].points.size() <= 1000);
        // From the first bucket to the last.
        const FoldedSeries& rpm = whole.series[0].points;
        QVERIFY(rpm.begin()->x() < rpm.BucketSeconds());
        QVERIFY((rpm.end() - 1)->x() > whole.seconds - rpm.BucketSeconds());
        // A one-row spike survives every widening of the buckets.
        QCOMPARE(std::max_element(whole.series[0].points.begin(), whole.series[0].points.end(),
                                  [](QPointF a, QPointF b) { return a.y() < b.y(); })
                     ->y(),
                 9999.0);

        int calls = 0;
        const LoadedRecording stopped = ReadRecording(path, 1000, all, [&](qint64, qint64) {
            ++calls;
            return false;
        });
        QVERIFY(stopped.cancelled);
        QCOMPARE(calls, 1);
        QVERIFY(stopped.series.empty());
    }

    // A line longer than any recording line is refused with the reason, also
    // a first line of 100 MB without a line end, without taking its memory.
    void overlongLineIsRefused_data() {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<qint64>("filler");
        QTest::addColumn<int>("line");
        QTest::newRow("one line of 100 MB")
            << QByteArray("time_s,clock,") << 100LL * 1024 * 1024 << 1;
        QTest::newRow("long row") << QByteArray(
                                         "time_s,clock,Engine RPM [U/min]\n0.5,x,800\n1.0,x,")
                                  << 100LL * 1024 << 3;
    }
    void overlongLineIsRefused() {
        QFETCH(QByteArray, start);
        QFETCH(qint64, filler);
        QFETCH(int, line);
        QTemporaryDir dir;
        const QString path = WriteFile(dir, {{start, 1}, {QByteArray(1024, '9'), filler / 1024}});
        try {
            ReadRecording(path, 100, [](auto&&...) { return std::vector<int>{0}; }, {});
            QFAIL("read");
        } catch (const FileError& e) {
            QCOMPARE(e.text(),
                     QStringLiteral("%1 ist keine Aufzeichnung: Zeile %2 ist länger als 64 KB.")
                         .arg(path)
                         .arg(line));
        }
    }

    void otherFileIsNoRecording() {
        QTemporaryDir dir;
        const QString path = WriteFile(dir, {{"a,b\n1,2\n", 1}});
        const auto read = [](const QString& file) {
            ReadRecording(file, 100, [](auto&&...) { return std::vector<int>{}; }, {});
        };
        QVERIFY_THROWS_EXCEPTION(FileError, read(path));
        QVERIFY_THROWS_EXCEPTION(FileError, read(dir.filePath(QStringLiteral("none"))));
        // Nobody writes into the FIFO: reading it would wait for ever.
        const QString fifo = dir.filePath(QStringLiteral("fifo.csv"));
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QVERIFY_THROWS_EXCEPTION(FileError, read(fifo));
    }
};

QTEST_GUILESS_MAIN(TestRecording)
#include "tst_recording.moc"
