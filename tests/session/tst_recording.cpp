// Recordings of live values: the bytes of a written file, a disk that fills
// up while recording, and reading a recording back.
#include "common/errors.h"
#include "common/sensortable.h"
#include "session/recording.h"

#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

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

    void readBackAsSeries() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.csv"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(Header + RowOne + RowTwo);
        f.close();
        const QList<RecordedSeries> series = LoadRecording(path);
        QCOMPARE(series.size(), 4);
        QCOMPARE(series[1].name, QStringLiteral("Calculated Load"));
        QCOMPARE(series[2].unit, QStringLiteral("°C"));
        QCOMPARE(series[0].points.size(), 0); // state texts are no points
        QCOMPARE(series[2].points, (QList<QPointF>{{0.5, 87}, {1.25, -40}}));
        QCOMPARE(series[3].points, (QList<QPointF>{{0.5, 1726.5}})); // "Fehler" left out
    }

    void otherFileIsNoRecording() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("other.csv"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("a,b\n1,2\n");
        f.close();
        QVERIFY_THROWS_EXCEPTION(FileError, LoadRecording(path));
        QVERIFY_THROWS_EXCEPTION(FileError, LoadRecording(dir.filePath(QStringLiteral("none"))));
    }
};

QTEST_GUILESS_MAIN(TestRecording)
#include "tst_recording.moc"
