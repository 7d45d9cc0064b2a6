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
    QTest::newRow("41 spark, misfire incomplete")
        << 0x41 << QByteArray("00170504")
        << "Ignition type|Continuous monitors enabled|Continuous monitors incomplete|Drive cycle "
           "monitors enabled|Drive cycle monitors incomplete"
        << "spark ignition|misfire, fuel system, comprehensive components|misfire|catalyst / NMHC "
           "catalyst, evaporative system|evaporative system";
    QTest::newRow("41 compression, nothing")
        << 0x41 << QByteArray("00080000")
        << "Ignition type|Continuous monitors enabled|Continuous monitors incomplete|Drive cycle "
           "monitors enabled|Drive cycle monitors incomplete"
        << "compression ignition|none|none|none|none";
    QTest::newRow("5F EURO V") << 0x5F << QByteArray("0F") << "Emission requirements"
                               << "Heavy duty vehicles (EURO V) B2";
    QTest::newRow("5F reserved") << 0x5F << QByteArray("00") << "Emission requirements"
                                 << "reserved (0)";
    QTest::newRow("65 inputs") << 0x65 << QByteArray("0F05")
                               << "Power take-off|Automatic transmission in gear|Manual "
                                  "transmission in gear|Glow plug lamp"
                               << "AN|AUS|AN|AUS";
    QTest::newRow("69 00/80/FF")
        << 0x69 << QByteArray("3F808080FF0000")
        << "Commanded EGR A duty cycle|Actual EGR A duty cycle|EGR A error|Commanded EGR B duty "
           "cycle|Actual EGR B duty cycle|EGR B error"
        << "50.2|50.2|0.0|100.0|0.0|-100.0";
    QTest::newRow("6D fuel rail")
        << 0x6D << QByteArray("3F0064FFFF2800008000FF")
        << "Commanded fuel rail pressure A|Fuel rail pressure A|Fuel rail temperature A|Commanded "
           "fuel rail pressure B|Fuel rail pressure B|Fuel rail temperature B"
        << "1000|655350|0|0|327680|215";
    QTest::newRow("70 boost")
        << 0x70 << QByteArray("1F0C800000FFFF800009")
        << "Commanded boost pressure A|Boost pressure A|Commanded boost pressure B|Boost pressure "
           "B|Boost pressure A control|Boost pressure B control"
        << "100.0|0.0|2048.0|1024.0|open loop|closed loop";
    QTest::newRow("71 faults")
        << 0x71 << QByteArray("3F0080FF000F")
        << "Commanded variable geometry turbo A position|Variable geometry turbo A "
           "position|Commanded variable geometry turbo B position|Variable geometry turbo B "
           "position|Variable geometry turbo A control|Variable geometry turbo B control"
        << "0.0|50.2|100.0|0.0|fault present|fault present";
    QTest::newRow("75 turbo A") << 0x75 << QByteArray("0F00FF00001000")
                                << "Turbocharger A compressor inlet temperature|Turbocharger A "
                                   "compressor outlet temperature|Turbocharger A turbine inlet "
                                   "temperature|Turbocharger A turbine outlet temperature"
                                << "-40|215|-40|370";
    QTest::newRow("7C filter")
        << 0x7C << QByteArray("0F0000800010000190")
        << "Diesel particulate filter Bank 1 inlet temperature|Diesel particulate filter Bank 1 "
           "outlet temperature|Diesel particulate filter Bank 2 inlet temperature|Diesel "
           "particulate filter Bank 2 outlet temperature"
        << "-40|3237|370|0";
    QTest::newRow("7D outside") << 0x7D << QByteArray("02") << "NOx NTE control area status"
                                << "outside control area";
    QTest::newRow("7E none") << 0x7E << QByteArray("00") << "PM NTE control area status"
                             << "none";
    QTest::newRow("81 timers")
        << 0x81 << QByteArray("1F00000E1000000000FFFFFFFF0000000180000000")
        << "Run time with AECD #1 active|Run time with AECD #2 active|Run time with AECD #3 "
           "active|Run time with AECD #4 active|Run time with AECD #5 active"
        << "3600|0|4294967295|1|2147483648";
    QTest::newRow("85 reagent")
        << 0x85 << QByteArray("0F00C8FFFF8000000E10")
        << "Average reagent consumption|Average demanded reagent consumption|Reagent tank "
           "level|Run time with NOx warning mode active"
        << "1.000|327.675|50.2|3600";
    QTest::newRow("86 particulates")
        << 0x86 << QByteArray("030050FFFF")
        << "Particulate matter sensor Bank 1|Particulate matter sensor Bank 2"
        << "1.00|819.19";
    QTest::newRow("88 inducement")
        << 0x88 << QByteArray("8100010002000300040005FFFF")
        << "SCR inducement system|Distance with inducement system active|Distance with reagent "
           "level too low|Distance with incorrect reagent|Distance with deviating reagent "
           "consumption|Distance with NOx emissions too high|Distance in current 10000 km block"
        << "reagent level too low, inducement system active|1|2|3|4|5|65535";
    QTest::newRow("8A last timer")
        << 0x8A
        << QByteArray(
               "FF000000000000000000000000000000000000000000000000000000000000000000000000FFFFFFFF")
        << "Run time with AECD #16 timer 1 active|Run time with AECD #16 timer 2 active|Run time "
           "with AECD #17 timer 1 active|Run time with AECD #17 timer 2 active|Run time with AECD "
           "#18 timer 1 active|Run time with AECD #18 timer 2 active|Run time with AECD #19 timer "
           "1 active|Run time with AECD #19 timer 2 active|Run time with AECD #20 timer 1 "
           "active|Run time with AECD #20 timer 2 active"
        << "0|0|0|0|0|0|0|0|0|4294967295";
    QTest::newRow("8B regeneration")
        << 0x8B << QByteArray("1F03FF003C0190")
        << "Particulate filter regeneration|Particulate filter regeneration type|Normalized "
           "trigger for particulate filter regeneration|Average time between particulate filter "
           "regenerations|Average distance between particulate filter regenerations"
        << "AN|active|100.0|60|400";
    QTest::newRow("8C concentrations")
        << 0x8C << QByteArray("FFFFFF000080000000000000000000FFFF")
        << "O2 concentration Bank 1 Sensor 1 (wide range)|O2 concentration Bank 1 Sensor 2 (wide "
           "range)|O2 concentration Bank 2 Sensor 1 (wide range)|O2 concentration Bank 2 Sensor 2 "
           "(wide range)|O2 concentration Bank 3 Sensor 1 (wide range)|O2 concentration Bank 3 "
           "Sensor 2 (wide range)|O2 concentration Bank 4 Sensor 1 (wide range)|O2 concentration "
           "Bank 4 Sensor 2 (wide range)"
        << "100.00|0.00|50.00|0.00|0.00|0.00|0.00|100.00";
    QTest::newRow("8F sensors")
        << 0x8F << QByteArray("FF03FF9C000064")
        << "Particulate matter sensor Bank 1 active|Particulate matter sensor Bank 1 "
           "regenerating|Particulate matter sensor Bank 1 output|Particulate matter sensor Bank 2 "
           "active|Particulate matter sensor Bank 2 regenerating|Particulate matter sensor Bank 2 "
           "output"
        << "AN|AN|-1.00|AUS|AUS|1.00";
    QTest::newRow("90 continuous MI")
        << 0x90 << QByteArray("FFFFFF") << "Vehicle MI status|Vehicle time with continuous MI"
        << "continuous MI|65535";
    QTest::newRow("91 on demand")
        << 0x91 << QByteArray("0100010002")
        << "ECU MI status|ECU time with continuous MI|ECU highest B1 counter"
        << "on demand|1|2";
    QTest::newRow("92 closed loops")
        << 0x92 << QByteArray("FF11") << "Fuel system control"
        << "fuel pressure control 1 closed loop, fuel pressure control 2 closed loop";
    QTest::newRow("94 counters")
        << 0x94 << QByteArray("FF0100010002000300040005")
        << "NOx warning and inducement system|Reagent quality counter|Reagent consumption "
           "counter|Dosing interruption counter|EGR valve counter|Monitoring system counter"
        << "NOx warning active|1|2|3|4|5";
    QTest::newRow("9A battery")
        << 0x9A << QByteArray("FF024800FF9C")
        << "Hybrid/EV charging state|Hybrid/EV battery voltage|Hybrid/EV battery current"
        << "charge depleting|288.00|-10.0";
    QTest::newRow("9B fluid") << 0x9B << QByteArray("FF8000FF")
                              << "Diesel exhaust fluid concentration|Diesel exhaust fluid tank "
                                 "temperature|Diesel exhaust fluid tank level"
                              << "32.00|-40|100.0";
    QTest::newRow("9C equivalence ratios")
        << 0x9C << QByteArray("FF8000FFFF000080008000800080004000")
        << "O2 sensor Bank 1 Sensor 1 equivalence ratio (wide range)|O2 sensor Bank 1 Sensor 2 "
           "equivalence ratio (wide range)|O2 sensor Bank 2 Sensor 1 equivalence ratio (wide "
           "range)|O2 sensor Bank 2 Sensor 2 equivalence ratio (wide range)|O2 sensor Bank 3 "
           "Sensor 1 equivalence ratio (wide range)|O2 sensor Bank 3 Sensor 2 equivalence ratio "
           "(wide range)|O2 sensor Bank 4 Sensor 1 equivalence ratio (wide range)|O2 sensor Bank 4 "
           "Sensor 2 equivalence ratio (wide range)"
        << "1.000|2.000|0.000|1.000|1.000|1.000|1.000|0.500";
    QTest::newRow("9F fuel system use")
        << 0x9F << QByteArray("FF0080FF00000000FF")
        << "Fuel system A use Bank 1|Fuel system B use Bank 1|Fuel system A use Bank 2|Fuel system "
           "B use Bank 2|Fuel system A use Bank 3|Fuel system B use Bank 3|Fuel system A use Bank "
           "4|Fuel system B use Bank 4"
        << "0.0|50.2|100.0|0.0|0.0|0.0|0.0|100.0";
    QTest::newRow("A1 corrected NOx")
        << 0xA1 << QByteArray("0F0000FFFF01008000")
        << "NOx sensor corrected Bank 1 Sensor 1|NOx sensor corrected Bank 1 Sensor 2|NOx sensor "
           "corrected Bank 2 Sensor 1|NOx sensor corrected Bank 2 Sensor 2"
        << "0|65535|256|32768";
    QTest::newRow("A3 signed")
        << 0xA3 << QByteArray("0FFFFF80007FFF0001")
        << "Evap. system vapour pressure A|Evap. system vapour pressure A (wide range)|Evap. "
           "system vapour pressure B|Evap. system vapour pressure B (wide range)"
        << "-0.25|-32768|8191.75|1";
    QTest::newRow("A4 third gear") << 0xA4 << QByteArray("01300D48")
                                   << "Transmission actual gear|Transmission actual gear ratio"
                                   << "3|3.400";
    QTest::newRow("A4 FF") << 0xA4 << QByteArray("FFFFFFFF")
                           << "Transmission actual gear|Transmission actual gear ratio"
                           << "15|65.535";
    QTest::newRow("A7 sensors 3 and 4") << 0xA7 << QByteArray("030064FFFF")
                                        << "NOx sensor 3 concentration|NOx sensor 4 concentration"
                                        << "100|65535";
    QTest::newRow("A9 ABS off") << 0xA9 << QByteArray("0101") << "ABS disable switch"
                                << "AN";
    QTest::newRow("C3 levels") << 0xC3 << QByteArray("00FF")
                               << "Fuel level input A|Fuel level input B"
                               << "0.0|100.0";
    QTest::newRow("C4 time and count") << 0xC4 << QByteArray("00000E1000000005")
                                       << "Exhaust particulate control system diagnostic "
                                          "time|Exhaust particulate control system diagnostic count"
                                       << "3600|5";
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

QTEST_GUILESS_MAIN(TestPidValues)
#include "tst_pidvalues.moc"
