// The full service 01 PID table: decoded values per PID family at the
// boundary bytes and known values, short replies, the supported-range walk.
#include "common/errors.h"
#include "services/pidspecs.h"
#include "services/pidvalues.h"

#include <QTest>

using namespace obd;

class TestPidValues : public QObject {
    Q_OBJECT
private slots:
    void decode_data();
    void decode();
    void everyPidDecodesAndNeedsItsBytes();
    void displayText_data();
    void displayText();
    void nextRange_data();
    void nextRange();
    void supportedUnion();
    void supportBitmap();
    void flagsBackIntoTheirBitmap();
    void sensorTableRows();
};

namespace {

std::vector<std::uint8_t> Bytes(const QByteArray& hex) {
    const QByteArray raw = QByteArray::fromHex(hex);
    return {raw.begin(), raw.end()};
}

} // namespace

void TestPidValues::decode_data() {
    QTest::addColumn<int>("pid");
    QTest::addColumn<QByteArray>("data");
    // Every value's name and shown text (dot separator), "|" between values.
    QTest::addColumn<QString>("names");
    QTest::addColumn<QString>("shown");

    QTest::newRow("01 MIL on, 3 codes")
        << 0x01 << QByteArray("83076500") << "MIL status|Stored trouble codes"
        << "AN|3";
    QTest::newRow("01 MIL off") << 0x01 << QByteArray("7F000000")
                                << "MIL status|Stored trouble codes"
                                << "AUS|127";
    QTest::newRow("02 code") << 0x02 << QByteArray("0133") << "trouble codes"
                             << "P0133";
    QTest::newRow("02 network") << 0x02 << QByteArray("C100") << "trouble codes"
                                << "U0100";
    QTest::newRow("03 both systems")
        << 0x03 << QByteArray("0304") << "Fuel system 1 status|Fuel system 2 status"
        << "open loop, closed loop|open loop driving";
    QTest::newRow("03 one system")
        << 0x03 << QByteArray("0200") << "Fuel system 1 status|Fuel system 2 status"
        << "closed loop|none";
    QTest::newRow("04 00") << 0x04 << QByteArray("00") << "Calculated Load"
                           << "0.0";
    QTest::newRow("04 80") << 0x04 << QByteArray("80") << "Calculated Load"
                           << "50.2";
    QTest::newRow("04 FF") << 0x04 << QByteArray("FF") << "Calculated Load"
                           << "100.0";
    QTest::newRow("05 00") << 0x05 << QByteArray("00") << "Coolant Temp."
                           << "-40";
    QTest::newRow("05 FF") << 0x05 << QByteArray("FF") << "Coolant Temp."
                           << "215";
    QTest::newRow("06 00") << 0x06 << QByteArray("00") << "Short term fuel trim bank 1"
                           << "-100.0";
    QTest::newRow("06 80") << 0x06 << QByteArray("80") << "Short term fuel trim bank 1"
                           << "0.0";
    QTest::newRow("06 FF") << 0x06 << QByteArray("FF") << "Short term fuel trim bank 1"
                           << "99.2";
    QTest::newRow("0A FF") << 0x0A << QByteArray("FF") << "Fuel Pressure"
                           << "765";
    QTest::newRow("0C 1AF8") << 0x0C << QByteArray("1AF8") << "Engine RPM"
                             << "1726";
    QTest::newRow("0C FFFF") << 0x0C << QByteArray("FFFF") << "Engine RPM"
                             << "16384";
    QTest::newRow("0E 00") << 0x0E << QByteArray("00") << "Ignition Advance"
                           << "-64.0";
    QTest::newRow("0E FF") << 0x0E << QByteArray("FF") << "Ignition Advance"
                           << "63.5";
    QTest::newRow("10 FFFF") << 0x10 << QByteArray("FFFF") << "Air Flow"
                             << "655.35";
    QTest::newRow("12 pump") << 0x12 << QByteArray("08") << "Secondary Air Status"
                             << "air pump on for diagnosis";
    QTest::newRow("13 none") << 0x13 << QByteArray("00") << "O2 Sensor location"
                             << "none";
    QTest::newRow("13 two") << 0x13 << QByteArray("11") << "O2 Sensor location"
                            << "O2 location 1-1, O2 location 2-1";
    QTest::newRow("1D four banks") << 0x1D << QByteArray("81") << "O2 sensor locations - 7"
                                   << "O2 location 1-1, O2 location 4-2";
    QTest::newRow("14 demo") << 0x14 << QByteArray("0780")
                             << "O2 Volts Bank 1 Sensor 1|Short term fuel trim Bank 1 Sensor 1"
                             << "0.035|0.0";
    QTest::newRow("14 00") << 0x14 << QByteArray("0000")
                           << "O2 Volts Bank 1 Sensor 1|Short term fuel trim Bank 1 Sensor 1"
                           << "0.000|-100.0";
    QTest::newRow("1B trim unused")
        << 0x1B << QByteArray("FFFF")
        << "O2 Volts Bank 2 Sensor 4|Short term fuel trim Bank 2 Sensor 4"
        << "1.275|not used";
    QTest::newRow("1C CARB") << 0x1C << QByteArray("01") << "OBD type"
                             << "OBD II CARB";
    QTest::newRow("1C 12") << 0x1C << QByteArray("0C") << "OBD type"
                           << "JOBD and EOBD";
    QTest::newRow("1C reserved") << 0x1C << QByteArray("0E") << "OBD type"
                                 << "reserved (14)";
    QTest::newRow("1C FF") << 0x1C << QByteArray("FF") << "OBD type"
                           << "reserved (255)";
    QTest::newRow("1E PTO") << 0x1E << QByteArray("01") << "PTO Status"
                            << "AN";
    QTest::newRow("1F FFFF") << 0x1F << QByteArray("FFFF") << "Run time since engine start"
                             << "65535";
    QTest::newRow("24 middle") << 0x24 << QByteArray("80008000")
                               << "O2 Sensor 1 equivalence ratio|O2 Sensor 1 voltage"
                               << "1.000|4.000";
    QTest::newRow("24 FF") << 0x24 << QByteArray("FFFFFFFF")
                           << "O2 Sensor 1 equivalence ratio|O2 Sensor 1 voltage"
                           << "2.000|8.000";
    QTest::newRow("3B 00") << 0x3B << QByteArray("00000000")
                           << "O2 Sensor 8 equivalence ratio (current)|O2 Sensor 8 current"
                           << "0.000|-128.00";
    QTest::newRow("34 middle") << 0x34 << QByteArray("80008000")
                               << "O2 Sensor 1 equivalence ratio (current)|O2 Sensor 1 current"
                               << "1.000|0.00";
    QTest::newRow("32 signed -1") << 0x32 << QByteArray("FFFF") << "Evap. system vapour pressure"
                                  << "-0.25";
    QTest::newRow("32 signed min") << 0x32 << QByteArray("8000") << "Evap. system vapour pressure"
                                   << "-8192.00";
    QTest::newRow("32 signed max") << 0x32 << QByteArray("7FFF") << "Evap. system vapour pressure"
                                   << "8191.75";
    QTest::newRow("3C 00") << 0x3C << QByteArray("0000") << "Catalyst temperature Bank 1 Sensor 1"
                           << "-40";
    QTest::newRow("3C 1000") << 0x3C << QByteArray("1000") << "Catalyst temperature Bank 1 Sensor 1"
                             << "370";
    QTest::newRow("42 15 V") << 0x42 << QByteArray("3A98") << "Control module voltage"
                             << "15.000";
    QTest::newRow("43 FFFF") << 0x43 << QByteArray("FFFF") << "Absolute load value"
                             << "25700.0";
    QTest::newRow("46 80") << 0x46 << QByteArray("80") << "Ambient air temperature"
                           << "88";
    QTest::newRow("4F maxima") << 0x4F << QByteArray("01020304")
                               << "Maximum equivalence ratio|Maximum O2 sensor voltage|Maximum O2 "
                                  "sensor current|Maximum intake manifold pressure"
                               << "1|2|3|40";
    QTest::newRow("51 diesel") << 0x51 << QByteArray("04") << "Fuel type"
                               << "diesel";
    QTest::newRow("51 reserved") << 0x51 << QByteArray("80") << "Fuel type"
                                 << "reserved (128)";
    QTest::newRow("54 signed") << 0x54 << QByteArray("8000") << "Evap. system vapour pressure"
                               << "-32768";
    QTest::newRow("55 two banks")
        << 0x55 << QByteArray("00FF")
        << "Short term secondary O2 trim Bank 1|Short term secondary O2 trim Bank 3"
        << "-100.0|99.2";
    QTest::newRow("5D 00") << 0x5D << QByteArray("0000") << "Fuel injection timing"
                           << "-210.00";
    QTest::newRow("5D zero") << 0x5D << QByteArray("6900") << "Fuel injection timing"
                             << "0.00";
    QTest::newRow("61 FF") << 0x61 << QByteArray("FF") << "Driver's demand engine torque"
                           << "130";
    QTest::newRow("64 five points")
        << 0x64 << QByteArray("7D80FF007D")
        << "Engine torque at idle|Engine torque at point 1|Engine torque at point 2|Engine torque "
           "at point 3|Engine torque at point 4"
        << "0|3|130|-125|0";
    QTest::newRow("66 two sensors")
        << 0x66 << QByteArray("0301000020") << "Mass air flow sensor A|Mass air flow sensor B"
        << "8.00|1.00";
    QTest::newRow("7F run times")
        << 0x7F << QByteArray("0700000E1000000001FFFFFFFF")
        << "Total engine run time|Total idle run time|Total run time with PTO active"
        << "3600|1|4294967295";
    QTest::newRow("A6 FFFFFFFF") << 0xA6 << QByteArray("FFFFFFFF") << "Odometer"
                                 << "429496729.5";
}

void TestPidValues::decode() {
    QFETCH(int, pid);
    QFETCH(QByteArray, data);
    QFETCH(QString, names);
    QFETCH(QString, shown);
    const PidSpec* spec = FindPidSpec(pid);
    QVERIFY(spec);
    QStringList gotNames;
    QStringList gotShown;
    for (const PidValue& v : DecodePidValues(*spec, Bytes(data))) {
        gotNames.append(v.name);
        gotShown.append(DisplayText(v, QLatin1Char('.')));
    }
    QCOMPARE(gotNames.join('|'), names);
    QCOMPARE(gotShown.join('|'), shown);
}

void TestPidValues::everyPidDecodesAndNeedsItsBytes() {
    for (const PidSpec& spec : PidSpecs) {
        const QString pid = QString::number(spec.pid, 16);
        for (std::uint8_t fill : {0x00, 0x80, 0xFF}) {
            // One byte more than needed: a second control unit's data are ignored.
            const std::vector<std::uint8_t> data(size_t(spec.bytes) + 1, fill);
            const std::vector<PidValue> values = DecodePidValues(spec, data);
            QVERIFY2(values.size() == FieldsOf(spec).size(), qPrintable(pid));
            for (const PidValue& v : values) {
                QVERIFY2(!v.name.isEmpty() && !DisplayText(v, QLatin1Char(',')).isEmpty(),
                         qPrintable(pid));
                QVERIFY2(!v.number || std::isfinite(*v.number), qPrintable(pid));
            }
        }
        const std::vector<std::uint8_t> shortData(size_t(spec.bytes) - 1, 0x80);
        QVERIFY_THROWS_EXCEPTION(ConversionError, DecodePidValues(spec, shortData));
    }
    QVERIFY(!FindPidSpec(0x00) && !FindPidSpec(0x20) && !FindPidSpec(0xC0));
}

void TestPidValues::displayText_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("shown");
    QTest::newRow("comma") << 1.5 << 1 << ","
                           << "1,5";
    QTest::newRow("whole") << 1726.25 << 0 << ","
                           << "1726";
    QTest::newRow("rounded to zero") << -0.04 << 1 << "."
                                     << "0.0";
    QTest::newRow("negative") << -3.90625 << 1 << ","
                              << "-3,9";
    QTest::newRow("volts") << 0.035 << 3 << "."
                           << "0.035";
}

void TestPidValues::displayText() {
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, separator);
    QFETCH(QString, shown);
    QCOMPARE(DisplayText(value, decimals, separator[0]), shown);
}

void TestPidValues::nextRange_data() {
    QTest::addColumn<QList<quint32>>("bitmaps");
    QTest::addColumn<int>("next"); // -1: no more
    QTest::newRow("nothing read") << QList<quint32>{} << 0x00;
    QTest::newRow("00 says more") << QList<quint32>{0xBE1FA813} << 0x20;
    QTest::newRow("00 says no more") << QList<quint32>{0xBE1FA812} << -1;
    QTest::newRow("20 says no more") << QList<quint32>{0x00000001, 0xFFFFFFFE} << -1;
    QTest::newRow("A0 says more") << QList<quint32>{1, 1, 1, 1, 1, 1} << 0xC0;
    QTest::newRow("C0 is the last") << QList<quint32>{1, 1, 1, 1, 1, 1, 1} << -1;
}

void TestPidValues::nextRange() {
    QFETCH(QList<quint32>, bitmaps);
    QFETCH(int, next);
    const std::vector<std::uint32_t> read(bitmaps.begin(), bitmaps.end());
    QCOMPARE(NextSupportRange(read).value_or(-1), next);
}

void TestPidValues::supportedUnion() {
    // 00: PIDs 01, 03, 1F and 20 (the next range); 20: PIDs 21 and 33.
    const std::vector<std::uint32_t> bitmaps{0xA0000003, 0x80002000};
    const PidSupport support = SupportedPidUnion(bitmaps);
    QCOMPARE(support.count(), size_t(6));
    for (int pid : {0x01, 0x03, 0x1F, 0x20, 0x21, 0x33})
        QVERIFY2(support.test(size_t(pid)), qPrintable(QString::number(pid, 16)));
    QVERIFY(!support.test(0x00) && !support.test(0x02) && !support.test(0x40));
}

void TestPidValues::supportBitmap() {
    QCOMPARE(SupportBitmap(Bytes("BE1FA813")), 0xBE1FA813u);
    QVERIFY_THROWS_EXCEPTION(ConversionError, SupportBitmap(Bytes("BE1FA8")));
}

// The 01 00 flags back into their bitmap, as the range walk goes on from it.
void TestPidValues::flagsBackIntoTheirBitmap() {
    TSupportedPids flags{};
    for (const int pid : {0x01, 0x03, 0x1F, 0x20})
        flags[size_t(pid - 1)] = true;
    QCOMPARE(SupportBitmap(flags), 0xA0000003u);
}

// The sensor table: the rows of PIDs 01..20, then one row per value of every
// further PID in PID order, named after the value; a second set-up adds
// nothing.
void TestPidValues::sensorTableRows() {
    SensorTable table;
    SetUpSensorTable(table);
    const int count = table.Count();
    SetUpSensorTable(table);
    QCOMPARE(table.Count(), count);
    QCOMPARE(table[4].Name, QStringLiteral("Coolant Temp."));
    QVERIFY(table[4].IsSensor && !table[0].IsSensor);
    QCOMPARE(table[SensorTable::Size].Pid, QStringLiteral("21"));
    for (int k = SensorTable::Size + 1; k < count; ++k) {
        const TSensorData& before = table[k - 1];
        const TSensorData& row = table[k];
        QVERIFY(row.IsSensor);
        QVERIFY2(row.Number > before.Number ||
                     (row.Number == before.Number && row.Field == before.Field + 1),
                 qPrintable(row.Key()));
    }
    const int voltage = table.IndexOfKey(QStringLiteral("24/2"));
    QCOMPARE(table[voltage].Name, QStringLiteral("O2 Sensor 1 voltage"));
    QCOMPARE(table[voltage].UnitText, QStringLiteral("V"));
    QCOMPARE(table[voltage - 1].Name, QStringLiteral("O2 Sensor 1 equivalence ratio"));
}

QTEST_GUILESS_MAIN(TestPidValues)
#include "tst_pidvalues.moc"
