// Reading the vehicle information, the freeze frame, the pending codes and
// the O2 sensors over the real driver against elmsim's ELM323: what the car
// gives, what it lacks, and that nothing it does not announce is asked.
#include "services/pidspecs.h"
#include "session/connection.h"
#include "session/troublecodes.h"
#include "session/vehicledata.h"
#include "support_session.h"

#include <QSignalSpy>
#include <QtTest>

using namespace obd;
using test::SimulatedCar;

namespace {

const Elm323Bus Bus;

QString Shown(const PidRow& row) {
    if (!row.error.isEmpty())
        return row.error;
    QStringList parts;
    for (const PidValue& v : row.values)
        parts << DisplayText(v, QLatin1Char('.')) +
                     (v.unit.isEmpty() || !v.text.isEmpty() ? QString() : " " + v.unit);
    return parts.join(QStringLiteral(", "));
}

} // namespace

class TestVehicleData : public QObject {
    Q_OBJECT

private slots:
    // The connection sequence ends with the VIN; a car that does not answer
    // 09 00 is asked 09 02 once, one that announces no VIN is not asked.
    void sequenceReadsTheVin_data() {
        QTest::addColumn<QStringList>("simulator");
        QTest::addColumn<QString>("vin");
        QTest::addColumn<QStringList>("asked");
        QTest::newRow("announced")
            << QStringList{} << "1D4GP00R55B123456" << QStringList{"0900", "0902"};
        QTest::newRow("09 00 unanswered") << QStringList{"--reply", "0900=NODATA"}
                                          << "1D4GP00R55B123456" << QStringList{"0900", "0902"};
        QTest::newRow("not announced")
            << QStringList{"--reply", "0900=49 00 01 00 40 00 00"} << "" << QStringList{"0900"};
        QTest::newRow("no service 09")
            << QStringList{"--reply", "0900=NODATA", "--reply", "0902=NODATA"} << ""
            << QStringList{"0900", "0902"};
    }
    void sequenceReadsTheVin() {
        QFETCH(QStringList, simulator);
        QFETCH(QString, vin);
        QFETCH(QStringList, asked);
        SimulatedCar car(simulator);
        ConnectionSequence sequence(std::make_unique<Elm323Dialect>());
        QSignalSpy read(&sequence, &ConnectionSequence::vinRead);
        sequence.Run(car.port, car.link);
        QCOMPARE(read.size(), 1);
        QCOMPARE(read.at(0).at(0).toString(), vin);
        const QStringList sent = car.sentCommands();
        QCOMPARE(sent.mid(sent.indexOf(QStringLiteral("0101")) + 1), asked);
    }

    void vehicleInformationOfEveryAnnouncedType() {
        SimulatedCar car({});
        car.open();
        const VehicleInformation info = ReadVehicleInformation(Bus, car.link);
        QCOMPARE(info.vin.value_or(QString()), QStringLiteral("1D4GP00R55B123456"));
        QCOMPARE(info.units.size(), 1);
        QCOMPARE(info.units[0].calibrationIds, QStringList{"TRV-ECU-0815"});
        QCOMPARE(info.units[0].calibrationNumbers, QStringList{"1A2B3C4D"});
        QCOMPARE(info.units[0].ecuName, QStringLiteral("ECM-EngineControl"));
        QCOMPARE(car.sentCommands().mid(1), (QStringList{"0900", "0902", "0904", "0906", "090A"}));
    }

    void freezeFrame_data() {
        QTest::addColumn<QStringList>("simulator");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("asked");
        const QStringList all{"020000", "020200", "020300", "020400", "020500",
                              "020600", "020700", "020C00", "020D00"};
        QTest::newRow("stored by P0133")
            << QStringList{} << "P0133"
            << QStringList{"03 closed loop, none", "04 60.0 %", "05 50 °C", "06 7.8", "07 -3.1",
                           "0C 1726 U/min",        "0D 50 kph"}
            << all;
        QTest::newRow("row too short")
            << QStringList{"--reply", "020C00=42 0C 00 1A"} << "P0133"
            << QStringList{"03 closed loop, none", "04 60.0 %", "05 50 °C", "06 7.8", "07 -3.1",
                           "0C Antwort zu kurz",   "0D 50 kph"}
            << all;
        QTest::newRow("no frame stored") << QStringList{"--reply", "020200=42 02 00 00 00"} << ""
                                         << QStringList{} << QStringList{"020000", "020200"};
        QTest::newRow("no service 02") << QStringList{"--reply", "020000=NODATA"} << ""
                                       << QStringList{} << QStringList{"020000"};
    }
    void freezeFrame() {
        QFETCH(QStringList, simulator);
        QFETCH(QString, code);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, asked);
        SimulatedCar car(simulator);
        car.open();
        const FreezeFrame frame = ReadFreezeFrame(Bus, car.link);
        QCOMPARE(frame.code.value_or(QString()), code);
        QStringList shown;
        for (const PidRow& row : frame.rows)
            shown << QStringLiteral("%1 ").arg(row.pid, 2, 16, QLatin1Char('0')).toUpper() +
                         Shown(row);
        QCOMPARE(shown, rows);
        QCOMPARE(car.sentCommands().mid(1), asked);
    }

    // K-line: pending codes only; permanent codes exist on CAN alone.
    void pendingCodesSorted() {
        SimulatedCar car({"--reply", "07=47 04 20 01 71 00 00"});
        car.open();
        TroubleCodes codes;
        QSignalSpy read(&codes, &TroubleCodes::pendingRead);
        codes.ReadPending(Bus, car.link);
        QCOMPARE(read.size(), 1);
        const auto pending = read.at(0).at(0).value<CodeListReading>();
        QVERIFY(pending.IsRead());
        QCOMPARE(pending.Value(), (QList<UnitTroubleCode>{{"P0171", ""}, {"P0420", ""}}));
        const auto permanent = read.at(0).at(1).value<CodeListReading>();
        QVERIFY(!permanent.IsRead() && !permanent.HasFailed());
        QCOMPARE(car.sentCommands().mid(1), QStringList{"07"});
    }

    // Every PID the simulated car announces is one the table knows, and its
    // answer holds all the bytes the table reads.
    void everyAnnouncedPidDecodes() {
        SimulatedCar car({});
        car.open();
        const PidSupport supported = ReadSupportedPidRanges(Bus, car.link);
        for (int pid = 1; pid < int(supported.size()); ++pid) {
            if (!supported[size_t(pid)] || pid % 0x20 == 0)
                continue;
            const PidSpec* spec = FindPidSpec(pid);
            QVERIFY2(spec, qPrintable(QString::number(pid, 16)));
            const PidRow row = ReadLivePid(Bus, car.link, *spec);
            QVERIFY2(row.error.isEmpty(), qPrintable(row.name + ": " + row.error));
        }
        QCOMPARE(Shown(ReadLivePid(Bus, car.link, *FindPidSpec(0xA6))),
                 QStringLiteral("12345.6 km"));
    }

    // An adapter that does not know ATRV answers "?": the module voltage
    // (PID 42) stands in, without an error box.
    void batteryVoltageWithoutAtrv() {
        SimulatedCar car({});
        car.open();
        const std::optional<double> volts = ReadBatteryVoltage(Bus, car.link, true);
        QVERIFY(volts.has_value());
        QCOMPARE(*volts, 14.1);
        const QStringList sent = car.sentCommands().mid(1);
        QCOMPARE(sent.first(), QStringLiteral("ATRV"));
        QCOMPARE(sent.last(), QStringLiteral("0142"));
        QCOMPARE(car.notifier.boxes(), QStringList{});
    }

    // The range walk goes as far as the bitmaps say; the O2 sensors of PID 13
    // with their live PIDs, then their service 05 results within limits or not.
    void o2SensorsAndTheirTests() {
        SimulatedCar car({});
        car.open();
        const PidSupport supported = ReadSupportedPidRanges(Bus, car.link);
        QCOMPARE(car.sentCommands().mid(1),
                 (QStringList{"0100", "0120", "0140", "0160", "0180", "01A0", "01C0"}));
        QVERIFY(supported[0x63] && supported[0x42] && supported[0xA6] && supported[0xC3]);
        QVERIFY(!supported[0xC4] && !supported[0xE0]);

        const QList<O2Reading> live = ReadO2Sensors(Bus, car.link, supported);
        QCOMPARE(live.size(), 2);
        QCOMPARE(live[1].sensor.name, QStringLiteral("Bank 1 - Sensor 2"));
        QCOMPARE(Shown(live[0].rows.at(0)), QStringLiteral("0.035 V, 0.0 %"));
        QCOMPARE(Shown(live[1].rows.at(0)), QStringLiteral("0.040 V, not used"));

        const int from = car.sentCommands().size();
        const QList<O2SensorTests> tests = ReadO2Tests(Bus, car.link, supported);
        QCOMPARE(car.sentCommands().mid(from),
                 (QStringList{"0113", "0500", "050101", "050201", "050501", "050601", "050102",
                              "050202", "050502", "050602"}));
        QCOMPARE(tests.size(), 2);
        QCOMPARE(tests[0].results.size(), 4);
        QVERIFY(!tests[0].results[0].minimum.has_value());
        QVERIFY(tests[0].results[3].passed());
        QCOMPARE(tests[1].results[3].test, QStringLiteral("Lean to rich sensor switch time"));
        QVERIFY(!tests[1].results[3].passed());
    }
};

QTEST_GUILESS_MAIN(TestVehicleData)
#include "tst_vehicledata.moc"
