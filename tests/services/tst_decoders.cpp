// The J1979 decoders and the chip commands' reply test, on literal cleaned
// reply texts.
#include "common/errors.h"
#include "common/pidtable.h"
#include "services/elm.h"
#include "services/j1979.h"

#include <QTest>

using namespace obd;

class TestDecoders : public QObject {
    Q_OBJECT
private slots:
    void sensorValue_data();
    void sensorValue();
    void sensorValueConversionError_data();
    void sensorValueConversionError();
    void supportedPids_data();
    void supportedPids();
    void supportedPidsTruncated();
    void monitorStatus_data();
    void monitorStatus();
    void monitorStatusTruncated();
    void troubleCodes_data();
    void troubleCodes();
    void troubleCodesNotHex_data();
    void troubleCodesNotHex();
    void dtcPrefix_data();
    void dtcPrefix();
    void clearConfirmation_data();
    void clearConfirmation();
    void chipCommandResult_data();
    void chipCommandResult();
    void everyByteDecodes();
};

void TestDecoders::sensorValue_data() {
    QTest::addColumn<int>("pid");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("value");
    // Demo vehicle answers
    QTest::newRow("03 demo") << 0x03 << "41030200"
                             << "."
                             << "closed loop";
    QTest::newRow("04 demo") << 0x04 << "410400"
                             << "."
                             << "0";
    QTest::newRow("05 demo") << 0x05 << "410550"
                             << "."
                             << "40";
    QTest::newRow("06 demo comma") << 0x06 << "41067B"
                                   << ","
                                   << "-3,90625";
    QTest::newRow("06 demo dot") << 0x06 << "41067B"
                                 << "."
                                 << "-3.90625";
    QTest::newRow("07 demo") << 0x07 << "41075A"
                             << ","
                             << "-29,6875";
    QTest::newRow("0D demo") << 0x0D << "410D00"
                             << "."
                             << "0";
    QTest::newRow("0E demo") << 0x0E << "410E95"
                             << ","
                             << "10,5";
    QTest::newRow("0F demo") << 0x0F << "410F3A"
                             << "."
                             << "18";
    QTest::newRow("0C 1123") << 0x0C << "410C118C"
                             << "."
                             << "1123";
    QTest::newRow("11 demo") << 0x11 << "411100"
                             << "."
                             << "0";
    QTest::newRow("13 demo") << 0x13 << "411303"
                             << "."
                             << "O2 location 1-2";
    QTest::newRow("14 demo") << 0x14 << "41140780"
                             << "."
                             << "0.035";
    QTest::newRow("15 demo") << 0x15 << "411508FF"
                             << "."
                             << "0.04";
    QTest::newRow("1C demo") << 0x1C << "411C01"
                             << "."
                             << "OBD II CARB";
    // Boundaries and formulas
    QTest::newRow("01 on") << 0x01 << "410180"
                           << "."
                           << "AN";
    QTest::newRow("01 off") << 0x01 << "41017F"
                            << "."
                            << "AUS";
    QTest::newRow("04 128") << 0x04 << "410480"
                            << "."
                            << "50.1960784313725";
    QTest::newRow("04 255") << 0x04 << "4104FF"
                            << "."
                            << "100";
    QTest::newRow("05 00") << 0x05 << "410500"
                           << "."
                           << "-40";
    QTest::newRow("05 FF") << 0x05 << "4105FF"
                           << "."
                           << "215";
    QTest::newRow("08 80") << 0x08 << "410880"
                           << "."
                           << "0";
    QTest::newRow("09 00") << 0x09 << "410900"
                           << "."
                           << "-100";
    QTest::newRow("09 FF") << 0x09 << "4109FF"
                           << ","
                           << "99,21875";
    QTest::newRow("0A FF") << 0x0A << "410AFF"
                           << "."
                           << "765";
    QTest::newRow("0A 80") << 0x0A << "410A80"
                           << "."
                           << "384";
    QTest::newRow("0B 80") << 0x0B << "410B80"
                           << "."
                           << "128";
    QTest::newRow("0C 1AF8") << 0x0C << "410C1AF8"
                             << "."
                             << "1726";
    QTest::newRow("0C 1AF9") << 0x0C << "410C1AF9"
                             << ","
                             << "1726,25";
    QTest::newRow("0C one-digit B") << 0x0C << "410C1AF"
                                    << "."
                                    << "1667.75";
    QTest::newRow("0C FFFF") << 0x0C << "410CFFFF"
                             << "."
                             << "16383.75";
    QTest::newRow("0E 00") << 0x0E << "410E00"
                           << "."
                           << "-64";
    QTest::newRow("0E FF") << 0x0E << "410EFF"
                           << "."
                           << "63.5";
    QTest::newRow("10 0100") << 0x10 << "41100100"
                             << "."
                             << "2.56";
    QTest::newRow("10 0000") << 0x10 << "41100000"
                             << "."
                             << "0";
    QTest::newRow("11 FF") << 0x11 << "4111FF"
                           << "."
                           << "100";
    QTest::newRow("11 80") << 0x11 << "411180"
                           << ","
                           << "50,1960784313725";
    QTest::newRow("12 05") << 0x12 << "411205"
                           << "."
                           << "air off";
    QTest::newRow("12 09") << 0x12 << "411209"
                           << "."
                           << "air reserved";
    QTest::newRow("12 00") << 0x12 << "411200"
                           << "."
                           << "Fehler";
    QTest::newRow("03 12") << 0x03 << "410312"
                           << "."
                           << "closed loop fault";
    // The freeze frame's text for the same byte.
    QTest::newRow("03 00") << 0x03 << "410300"
                           << "."
                           << "none";
    QTest::newRow("13 00") << 0x13 << "411300"
                           << "."
                           << "Fehler";
    QTest::newRow("1B 01") << 0x1B << "411B01"
                           << ","
                           << "0,005";
    QTest::newRow("16 FF") << 0x16 << "4116FF"
                           << "."
                           << "1.275";
    QTest::newRow("1C 07") << 0x1C << "411C07"
                           << "."
                           << "Fehler";
    QTest::newRow("1C 0C") << 0x1C << "411C0C"
                           << "."
                           << "None";
    QTest::newRow("1C 00") << 0x1C << "411C00"
                           << "."
                           << "Fehler";
    // Reply head and positions
    QTest::newRow("no head") << 0x0D << "NODATA"
                             << "."
                             << "Fehler";
    QTest::newRow("reply error") << 0x0D << "Fehler"
                                 << "."
                                 << "Fehler";
    QTest::newRow("negative response") << 0x0D << "7F 01 12"
                                       << "."
                                       << "Fehler";
    QTest::newRow("other pid's head") << 0x0D << "410C1AF8"
                                      << "."
                                      << "Fehler";
    QTest::newRow("second ECU ignored") << 0x0D << "410D20410D40"
                                        << "."
                                        << "32";
    QTest::newRow("head later") << 0x0D << "12410D40"
                                << "."
                                << "64";
    QTest::newRow("other pid's answer first") << 0x0C << "410D00410C1AF8"
                                              << "."
                                              << "1726";
    QTest::newRow("head off a byte boundary") << 0x0C << "4410C1AF8"
                                              << "."
                                              << "Fehler";
    QTest::newRow("no decoder 1E") << 0x1E << "411E01"
                                   << "."
                                   << "Fehler";
    QTest::newRow("no decoder 02") << 0x02 << "410201"
                                   << "."
                                   << "Fehler";
}

void TestDecoders::sensorValue() {
    QFETCH(int, pid);
    QFETCH(QString, reply);
    QFETCH(QString, separator);
    QFETCH(QString, value);
    QCOMPARE(DecodeSensorReading(pid, reply, separator[0]).text, value);
}

void TestDecoders::sensorValueConversionError_data() {
    QTest::addColumn<int>("pid");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("message");
    QTest::newRow("0C truncated") << 0x0C << "410C1A"
                                  << "'$' ist kein gültiger Integerwert";
    QTest::newRow("0C bad B") << 0x0C << "410C1AG"
                              << "'$G' ist kein gültiger Integerwert";
    QTest::newRow("0D no data") << 0x0D << "410D"
                                << "'$' ist kein gültiger Integerwert";
    QTest::newRow("0D not hex") << 0x0D << "410DZZ"
                                << "'$ZZ' ist kein gültiger Integerwert";
}

void TestDecoders::sensorValueConversionError() {
    QFETCH(int, pid);
    QFETCH(QString, reply);
    QFETCH(QString, message);
    try {
        DecodeSensorReading(pid, reply, QLatin1Char('.'));
        QFAIL("no conversion error");
    } catch (const ConversionError& e) {
        QCOMPARE(e.text(), message);
    }
}

// Supported PIDs as a text of 32 characters, '1' for PID 01 first.
static QString Flags(const TSupportedPids& flags) {
    QString text;
    for (bool f : flags)
        text += f ? '1' : '0';
    return text;
}

void TestDecoders::supportedPids_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("flags");
    const QString unchanged = "01" + QString(30, '0');
    // BE 3E B8 11: PIDs 01 03-07 0B-0F 11 13-15 1C 20
    QTest::newRow("demo") << "4100BE3EB811"
                          << "10111110001111101011100000010001";
    QTest::newRow("all") << "4100FFFFFFFF" << QString(32, '1');
    QTest::newRow("none") << "410000000000" << QString(32, '0');
    QTest::newRow("one byte boundaries") << "410080000001"
                                         << "1" + QString(30, '0') + "1";
    QTest::newRow("second ECU ignored") << "4100800000004100FFFFFFFF"
                                        << "1" + QString(31, '0');
    QTest::newRow("41 searched apart") << "1241004100FFFFFFFF"
                                       << "0100000100000000" + QString(16, '1');
    QTest::newRow("other pid's answer first") << "410D004100BE3EB811"
                                              << "10111110001111101011100000010001";
    QTest::newRow("no 4100") << "NODATA" << unchanged;
    QTest::newRow("reply error") << "Fehler" << unchanged;
}

void TestDecoders::supportedPids() {
    QFETCH(QString, reply);
    QFETCH(QString, flags);
    TSupportedPids result{};
    result[1] = true; // shows whether the flags were written
    DecodeSupportedPids(reply, result);
    QCOMPARE(Flags(result), flags);
}

void TestDecoders::supportedPidsTruncated() {
    TSupportedPids result{};
    result.fill(true);
    QVERIFY_THROWS_EXCEPTION(ConversionError, DecodeSupportedPids("410000FF", result));
    // Bytes before the failing one are written, the rest keep their value.
    QCOMPARE(Flags(result), QString(8, '0') + QString(8, '1') + QString(16, '1'));
    // A one-digit byte converts by itself.
    QVERIFY_THROWS_EXCEPTION(ConversionError, DecodeSupportedPids("410000000B", result));
    QCOMPARE(Flags(result).mid(16, 8), "00001011");
}

void TestDecoders::monitorStatus_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("mil");
    QTest::addColumn<QString>("flags"); // the 14 named flags in declaration order
    QTest::newRow("83 07 65 00") << "410183076500" << 3 << true << "11100011110000";
    QTest::newRow("03 07 65 00") << "410103076500" << 3 << false << "11100011110000";
    QTest::newRow("80 00 00 00") << "410180000000" << 0 << true << "00000000000000";
    QTest::newRow("7F 00 00 00") << "41017F000000" << 127 << false << "00000000000000";
    QTest::newRow("demo") << "410100076500" << 0 << false << "11100011110000";
    QTest::newRow("88 70 88 FF") << "4101887088FF" << 8 << true << "00011100001111";
    QTest::newRow("FF FF FF FF") << "4101FFFFFFFF" << 127 << true << "11111111111111";
    QTest::newRow("second ECU") << "4101000765004101FFFFFFFF" << 0 << false << "11100011110000";
    QTest::newRow("Fehler") << "Fehler" << 0 << false << "00000000000000";
    QTest::newRow("NODATA") << "NODATA" << 0 << false << "00000000000000";
    QTest::newRow("negative") << "7F 01 12" << 0 << false << "00000000000000";
    QTest::newRow("short") << "410" << 0 << false << "00000000000000";
}

void TestDecoders::monitorStatus() {
    QFETCH(QString, reply);
    QFETCH(int, count);
    QFETCH(bool, mil);
    QFETCH(QString, flags);
    static constexpr bool TMonitorStatus::*named[] = {
        &TMonitorStatus::MisfireSupported,       &TMonitorStatus::FuelSystemSupported,
        &TMonitorStatus::ComponentsSupported,    &TMonitorStatus::MisfireIncomplete,
        &TMonitorStatus::FuelSystemIncomplete,   &TMonitorStatus::ComponentsIncomplete,
        &TMonitorStatus::CatalystSupported,      &TMonitorStatus::EvapSystemSupported,
        &TMonitorStatus::OxygenSensorSupported,  &TMonitorStatus::OxygenSensorHeaterSupported,
        &TMonitorStatus::CatalystIncomplete,     &TMonitorStatus::EvapSystemIncomplete,
        &TMonitorStatus::OxygenSensorIncomplete, &TMonitorStatus::OxygenSensorHeaterIncomplete};
    // The whole record is compared, so an undecoded flag that is set fails too.
    TMonitorStatus expected;
    expected.DtcCount = count;
    expected.MilOn = mil;
    for (size_t i = 0; i < std::size(named); ++i)
        expected.*named[i] = flags[qsizetype(i)] == '1';
    QVERIFY(DecodeMonitorStatus(reply) == expected);
}

void TestDecoders::monitorStatusTruncated() {
    TMonitorStatus status;
    status.DtcCount = 5;
    for (const char* reply : {"41018307", "4101", "410183076G00"})
        QVERIFY_THROWS_EXCEPTION(ConversionError, status = DecodeMonitorStatus(reply));
    QCOMPARE(status.DtcCount, 5);
}

void TestDecoders::troubleCodes_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("demo") << "43012507360455"
                             "43110712991198"
                             "4394919992A427"
                             "439390D451E500"
                             "43514151845954"
                          << QStringList{"P0125", "P0736", "P0455", "P1107", "P1299",
                                         "P1198", "B1491", "B1992", "B2427", "B1390",
                                         "U1451", "U2500", "C1141", "C1184", "C1954"};
    QTest::newRow("empty frame") << "43000000000000" << QStringList{};
    QTest::newRow("one code") << "43013300000000" << QStringList{"P0133"};
    QTest::newRow("duplicates stay") << "43013300000133" << QStringList{"P0133", "P0133"};
    QTest::newRow("C0000 stays") << "43400000000000" << QStringList{"C0000"};
    QTest::newRow("hex digits copied") << "4301AB00000000" << QStringList{"P01AB"};
    QTest::newRow("20 characters") << "43013300000000430144" << QStringList{"P0133"};
    QTest::newRow("shorter than a frame") << "4301330000" << QStringList{};
    QTest::newRow("lower case slot") << "43a12301330000" << QStringList{"P0133"};
    QTest::newRow("not 43") << "NODATA" << QStringList{};
    QTest::newRow("reply error") << "Fehler" << QStringList{};
    QTest::newRow("negative") << "7F 03 12" << QStringList{};
}

void TestDecoders::troubleCodes() {
    QFETCH(QString, reply);
    QFETCH(QStringList, codes);
    QCOMPARE(DecodeTroubleCodes(reply), codes);
}

void TestDecoders::troubleCodesNotHex_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("message");
    QTest::newRow("first code") << "43 0ZZZ 0000 0000"
                                << "'$0ZZZ' ist kein gültiger Integerwert";
    QTest::newRow("third code of the second frame") << "43 0133 0000 0000 43 0300 0000 01G0"
                                                    << "'$01G0' ist kein gültiger Integerwert";
}

void TestDecoders::troubleCodesNotHex() {
    QFETCH(QString, reply);
    QFETCH(QString, message);
    try {
        DecodeTroubleCodes(reply.remove(' '));
        QFAIL("no conversion error");
    } catch (const ConversionError& e) {
        QCOMPARE(e.text(), message);
    }
}

void TestDecoders::dtcPrefix_data() {
    QTest::addColumn<QString>("digit");
    QTest::addColumn<QString>("prefix");
    const char* expected[] = {"P0", "P1", "P2", "P3", "C0", "C1", "C2", "C3",
                              "B0", "B1", "B2", "B3", "U0", "U1", "U2", "U3"};
    for (int d = 0; d < 16; ++d) {
        const QString digit = QString::number(d, 16).toUpper();
        QTest::newRow(qPrintable(digit)) << digit << expected[d];
    }
    QTest::newRow("lower a") << "a"
                             << "0";
    QTest::newRow("G") << "G"
                       << "0";
    QTest::newRow("empty") << ""
                           << "0";
    QTest::newRow("two digits") << "01"
                                << "0";
}

void TestDecoders::dtcPrefix() {
    QFETCH(QString, digit);
    QFETCH(QString, prefix);
    QCOMPARE(DtcPrefix(digit), prefix);
}

void TestDecoders::clearConfirmation_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("44") << "44" << true;
    QTest::newRow("two ECUs") << "4444" << false;
    QTest::newRow("Fehler") << "Fehler" << false;
    QTest::newRow("NODATA") << "NODATA" << false;
    QTest::newRow("negative") << "7F 04 22" << false;
}

void TestDecoders::clearConfirmation() {
    QFETCH(QString, reply);
    QFETCH(bool, confirmed);
    QCOMPARE(DecodeClearConfirmation(reply), confirmed);
}

void TestDecoders::chipCommandResult_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("result");
    QTest::newRow("reset echoed") << int(ChipReset) << "ATZ  ELM323 v1.1"
                                  << "OK";
    QTest::newRow("reset plain") << int(ChipReset) << "ELM323 v1.1"
                                 << "OK";
    QTest::newRow("reset error") << int(ChipReset) << "Fehler"
                                 << "Fehler";
    QTest::newRow("identify") << int(ChipIdentify) << "ELM323 v1.1"
                              << "ELM323 v1.1";
    QTest::newRow("identify lacks ELM") << int(ChipIdentify) << "?"
                                        << "Fehler";
    QTest::newRow("identify lower case") << int(ChipIdentify) << "elm323"
                                         << "Fehler";
    QTest::newRow("echo off") << int(ChipEchoOff) << "OK"
                              << "OK";
    QTest::newRow("echo off echoed") << int(ChipEchoOff) << "ATE0 OK"
                                     << "OK";
    QTest::newRow("echo lower case") << int(ChipEchoOff) << "ok"
                                     << "Fehler";
    QTest::newRow("linefeeds on") << int(ChipLinefeedsOn) << "OK"
                                  << "OK";
    QTest::newRow("linefeeds error") << int(ChipLinefeedsOff) << "Fehler"
                                     << "Fehler";
}

void TestDecoders::chipCommandResult() {
    QFETCH(int, command);
    QFETCH(QString, reply);
    QFETCH(QString, result);
    QCOMPARE(ChipCommandResult(ChipCommands[size_t(command)], reply), result);
}

// Every decoder on every value of each data byte: no crash, no undefined
// behaviour (run under UBSan), and a value of the right kind.
void TestDecoders::everyByteDecodes() {
    for (int pid = 1; pid <= 32; ++pid) {
        const PidInfo& info = *FindPid(pid);
        for (int a = 0; a < 256; ++a) {
            const QString head = QStringLiteral("41%1%2")
                                     .arg(pid, 2, 16, QChar('0'))
                                     .arg(a, 2, 16, QChar('0'))
                                     .toUpper();
            const QString value = DecodeSensorReading(pid, head + "FF", QLatin1Char(',')).text;
            QVERIFY(!value.isEmpty());
            if (info.form != NumberForm::Text) {
                QString number = value;
                bool ok = false;
                number.replace(',', '.').toDouble(&ok);
                QVERIFY2(ok, qPrintable(QString("PID %1 A %2: %3").arg(pid).arg(a).arg(value)));
                QVERIFY(!value.contains('e') && !value.contains('.'));
            }
        }
    }
    for (int byte = 0; byte < 256; ++byte) {
        const QString b = QStringLiteral("%1").arg(byte, 2, 16, QChar('0')).toUpper();
        TSupportedPids flags{};
        DecodeSupportedPids("4100" + b + b + b + b, flags);
        QCOMPARE(flags[0], (byte & 0x80) != 0);
        QCOMPARE(flags[31], (byte & 0x01) != 0);
        const TMonitorStatus s = DecodeMonitorStatus("4101" + b + b + b + b);
        QCOMPARE(s.DtcCount, byte & 0x7F);
        QCOMPARE(s.MilOn, byte >= 0x80);
        std::array<TTroubleCodeEntry, 3> entries;
        SplitDtcFrame("43" + b + b + b + b + b + b, entries);
        QCOMPARE(entries[2].Code.size(), 5);
    }
}

QTEST_GUILESS_MAIN(TestDecoders)
#include "tst_decoders.moc"
