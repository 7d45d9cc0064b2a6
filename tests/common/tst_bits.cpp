// Bit and number-text helpers, the PID table and the state-text tables.
#include "common/bits.h"
#include "common/errors.h"
#include "common/pidtable.h"

#include <QTest>

using namespace obd;

class TestBits : public QObject {
    Q_OBJECT
private slots:
    void testBit_data();
    void testBit();
    void hexToInt_data();
    void hexToInt();
    void hexToIntFails_data();
    void hexToIntFails();
    void binToInt_data();
    void binToInt();
    void intToBin_data();
    void intToBin();
    void binRoundTrip();
    void pidTableShape();
    void highestBitText_data();
    void highestBitText();
    void obdTypeTexts();
    void decimalForm_data();
    void decimalForm();
};

void TestBits::testBit_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("bit");
    QTest::addColumn<bool>("set");
    QTest::newRow("128,7") << 128 << 7 << true;
    QTest::newRow("128,0") << 128 << 0 << false;
    QTest::newRow("1,0") << 1 << 0 << true;
    QTest::newRow("sign bit") << int(0x80000000) << 31 << true;
    QTest::newRow("past 31") << -1 << 32 << false;
    QTest::newRow("255") << -1 << 255 << false;
}

void TestBits::testBit() {
    QFETCH(int, value);
    QFETCH(int, bit);
    QFETCH(bool, set);
    QCOMPARE(TestBit(value, quint8(bit)), set);
}

void TestBits::hexToInt_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("1a") << "1a" << 26;
    QTest::newRow("1A") << "1A" << 26;
    QTest::newRow("FF") << "FF" << 255;
    QTest::newRow("leading zeros") << "00000100" << 256;
    QTest::newRow("many leading zeros") << "000000000000FF" << 255;
    QTest::newRow("all ones") << "FFFFFFFF" << -1;
    QTest::newRow("top bit") << "80000000" << int(0x80000000);
    QTest::newRow("largest positive") << "7fffffff" << 0x7fffffff;
    QTest::newRow("one digit") << "B" << 11;
}

void TestBits::hexToInt() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(HexToInt(text), value);
}

void TestBits::hexToIntFails_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << ""
                           << "'$' ist kein gültiger Integerwert";
    QTest::newRow("leading blank") << " 1A"
                                   << "'$ 1A' ist kein gültiger Integerwert";
    QTest::newRow("trailing blank") << "1A "
                                    << "'$1A ' ist kein gültiger Integerwert";
    QTest::newRow("1G") << "1G"
                        << "'$1G' ist kein gültiger Integerwert";
    QTest::newRow("minus") << "-1"
                           << "'$-1' ist kein gültiger Integerwert";
    QTest::newRow("prefix") << "0x1A"
                            << "'$0x1A' ist kein gültiger Integerwert";
    QTest::newRow("nine digits") << "100000000"
                                 << "'$100000000' ist kein gültiger Integerwert";
    QTest::newRow("non-latin digit")
        << QString::fromUtf8("１") << QString::fromUtf8("'$１' ist kein gültiger Integerwert");
}

void TestBits::hexToIntFails() {
    QFETCH(QString, text);
    QFETCH(QString, message);
    try {
        HexToInt(text);
        QFAIL("no conversion error");
    } catch (const ConversionError& e) {
        QCOMPARE(e.text(), message);
    }
}

void TestBits::binToInt_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("10000000") << "10000000" << 1;
    QTest::newRow("00000001") << "00000001" << 128;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("12") << "12" << 1;
    QTest::newRow("0101") << "0101" << 10;
    QTest::newRow("bit 31 is the sign") << QString(31, '0') + "1" << int(0x80000000);
    QTest::newRow("past 32 ignored") << QString(32, '1') + "1111" << -1;
    QTest::newRow("only past 32") << QString(32, '0') + "1" << 0;
}

void TestBits::binToInt() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(BinToInt(text), value);
}

void TestBits::intToBin_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("highest");
    QTest::addColumn<QString>("text");
    QTest::newRow("165,7") << 165 << 7 << "10100101";
    QTest::newRow("256,7") << 256 << 7 << "00000000";
    QTest::newRow("5,2") << 5 << 2 << "101";
    QTest::newRow("5,-1") << 5 << -1 << "";
    QTest::newRow("-1,31") << -1 << 31 << QString(32, '1');
    QTest::newRow("-1,33 above 31 is 0") << -1 << 33 << "00" + QString(32, '1');
}

void TestBits::intToBin() {
    QFETCH(int, value);
    QFETCH(int, highest);
    QFETCH(QString, text);
    QString out = "stale";
    IntToBin(value, highest, out);
    QCOMPARE(out, text);
}

void TestBits::binRoundTrip() {
    // The two converters read in opposite orders: a reversed text round-trips.
    for (int v : {0, 1, 0x5A, 0x12345678, -2}) {
        QString bits;
        IntToBin(v, 31, bits);
        std::reverse(bits.begin(), bits.end());
        QCOMPARE(BinToInt(bits), v);
    }
}

void TestBits::pidTableShape() {
    for (size_t k = 0; k < PidTable.size(); ++k) {
        const PidInfo& info = PidTable[k];
        QCOMPARE(info.pid, int(k + 1));
        QCOMPARE(FindPid(int(k + 1)), &info);
        // A number form belongs to a computed value, a text to the rest.
        const bool textDecoder =
            info.decoder == PidDecoder::MilState || info.decoder == PidDecoder::FuelSystem ||
            info.decoder == PidDecoder::SecondaryAir || info.decoder == PidDecoder::OxygenSensors ||
            info.decoder == PidDecoder::ObdType || info.decoder == PidDecoder::None;
        QCOMPARE(info.form == NumberForm::Text, textDecoder);
    }
    QVERIFY(!FindPid(0));
    QVERIFY(!FindPid(33));
    QCOMPARE(QString::fromUtf8(FindPid(0x05)->unit), QString::fromUtf8("°C"));
    QCOMPARE(QString::fromUtf8(FindPid(0x0A)->unit), QStringLiteral("KPa"));
}

void TestBits::highestBitText_data() {
    QTest::addColumn<int>("table");
    QTest::addColumn<int>("a");
    QTest::addColumn<QString>("text");
    QTest::newRow("03 bits 1,4") << 3 << 0x12 << "closed loop fault";
    QTest::newRow("03 0x02") << 3 << 0x02 << "closed loop";
    QTest::newRow("03 0x80") << 3 << 0x80 << "reserved";
    QTest::newRow("03 none") << 3 << 0x00 << "";
    QTest::newRow("12 bits 0,2") << 0x12 << 0x05 << "air off";
    QTest::newRow("12 0x09") << 0x12 << 0x09 << "air reserved";
    QTest::newRow("12 0x01") << 0x12 << 0x01 << "air upstream cat";
    QTest::newRow("13 0x03") << 0x13 << 0x03 << "O2 location 1-2";
    QTest::newRow("13 0xFF") << 0x13 << 0xFF << "O2 location 2-4";
    QTest::newRow("13 0x10") << 0x13 << 0x10 << "O2 location 2-1";
}

void TestBits::highestBitText() {
    QFETCH(int, table);
    QFETCH(int, a);
    QFETCH(QString, text);
    const auto& texts = table == 3      ? FuelSystemTexts
                        : table == 0x12 ? SecondaryAirTexts
                                        : OxygenSensorTexts;
    const char* found = HighestBitText(texts, std::uint8_t(a));
    QCOMPARE(found ? QString::fromUtf8(found) : QString(), text);
}

void TestBits::obdTypeTexts() {
    QCOMPARE(QString::fromUtf8(ValueTextOf(ObdTypeTexts, 1)), QStringLiteral("OBD II CARB"));
    QCOMPARE(QString::fromUtf8(ValueTextOf(ObdTypeTexts, 12)), QStringLiteral("None"));
    for (int a : {0, 7, 11, 13, 255})
        QVERIFY(!ValueTextOf(ObdTypeTexts, a));
}

void TestBits::decimalForm_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("text");
    QTest::newRow("50.19..") << 128 * 100.0 / 255 << "."
                             << "50.1960784313725";
    QTest::newRow("-3,90625") << (123 - 128) * 100.0 / 128 << ","
                              << "-3,90625";
    QTest::newRow("whole") << 100.0 << ","
                           << "100";
    QTest::newRow("throttle") << 255 * 0.3922 << "."
                              << "100.011";
    QTest::newRow("small") << 1 / 200.0 << ","
                           << "0,005";
    QTest::newRow("negative zero") << -0.0 << "."
                                   << "0";
    QTest::newRow("airflow max") << 65535 * 0.01 << "."
                                 << "655.35";
}

void TestBits::decimalForm() {
    QFETCH(double, value);
    QFETCH(QString, separator);
    QFETCH(QString, text);
    QCOMPARE(DecimalForm(value, separator[0]), text);
}

QTEST_GUILESS_MAIN(TestBits)
#include "tst_bits.moc"
