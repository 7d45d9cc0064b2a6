// Vehicle information, freeze frame and O2 test results from literal adapter
// transcripts, through the protocol layer (ELM327) or the ELM323's cleaned
// reply.
#include "common/errors.h"
#include "services/elm323reply.h"
#include "services/freezeframe.h"
#include "services/oxygensensors.h"
#include "services/vehicleinfo.h"

#include <QTest>

using namespace obd;

Q_DECLARE_METATYPE(obd::ProtocolFamily)

namespace {

constexpr auto Can11 = ProtocolFamily::Can11;
constexpr auto KLine = ProtocolFamily::KLine;

QList<EcuMessage> Messages(const QString& reply, ProtocolFamily family, bool headers) {
    return ParseReply(reply, family, headers).messages;
}

} // namespace

class TestVehicleInfo : public QObject {
    Q_OBJECT
private slots:
    // Padding bytes inside a field are no characters; other control bytes show as "?".
    void infoText_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ECU name, short acronym")
            << QByteArray("ECM\0-EngineControl\0\0", 21) << "ECM-EngineControl";
        QTest::newRow("padded in front") << QByteArray("\0\0\0WVWZZZ", 9) << "WVWZZZ";
        QTest::newRow("control byte") << QByteArray("AB\x01"
                                                    "C")
                                      << "AB?C";
    }
    void infoText() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(InfoText(bytes), text);
    }

    void vin_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<ProtocolFamily>("family");
        QTest::addColumn<bool>("headers");
        QTest::addColumn<QString>("vin");
        QTest::newRow("CAN multi-frame")
            << "014\r0: 49 02 01 31 44 34 \r1: 47 50 30 30 52 35 35 \r2: 42 31 32 33 34 35 36 "
            << Can11 << false << "1D4GP00R55B123456";
        QTest::newRow("CAN headers, engine among two")
            << "7E9 10 14 49 02 01 39 39 39\r7E8 10 14 49 02 01 31 44 34\r"
               "7E9 21 39 39 39 39 39 39 39\r7E8 21 47 50 30 30 52 35 35\r"
               "7E9 22 39 39 39 39 39 39 39\r7E8 22 42 31 32 33 34 35 36"
            << Can11 << true << "1D4GP00R55B123456";
        // The counters out of order: the pieces go by counter.
        QTest::newRow("K-line five messages")
            << "49 02 02 44 34 47 50\r49 02 01 00 00 00 31\r49 02 03 30 30 52 35\r"
               "49 02 04 35 42 31 32\r49 02 05 33 34 35 36"
            << KLine << false << "1D4GP00R55B123456";
        QTest::newRow("non-printable bytes")
            << "49 02 01 00 00 00 31\r49 02 02 07 FF 47 50" << KLine << false << "1??GP";
        QTest::newRow("no VIN answer") << "41 00 BE 3F A8 13" << Can11 << false << QString();
    }
    void vin() {
        QFETCH(QString, reply);
        QFETCH(ProtocolFamily, family);
        QFETCH(bool, headers);
        QFETCH(QString, vin);
        QCOMPARE(VinOf(Messages(reply, family, headers), family).value_or(QString()), vin);
    }

    // 09 00 has no count byte on CAN, a counter on K-line.
    void infoTypes() {
        const auto can = InfoTypesOf(Messages("49 00 54 40 00 00", Can11, false), Can11);
        const auto kline = InfoTypesOf(Messages("49 00 01 54 40 00 00", KLine, false), KLine);
        QVERIFY(can && kline);
        QCOMPARE(*can, *kline);
        QVERIFY((*can)[0x02] && (*can)[0x04] && (*can)[0x06] && (*can)[0x0A] && !(*can)[0x08]);
        QVERIFY(!InfoTypesOf(Messages("7F 09 12", Can11, false), Can11));
        QVERIFY_THROWS_EXCEPTION(ConversionError,
                                 InfoTypesOf(Messages("49 00 54 40", Can11, false), Can11));
    }

    // The ELM323's cleaned reply: whole seven-byte messages of one service are
    // split, anything else is one message, a word is the fault.
    void elm323Messages_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("messages");
        QTest::addColumn<QString>("fault");
        QTest::newRow("half a byte") << "420200013" << 0 << "420200013";
        QTest::newRow("single") << "4202000133" << 1 << "";
        QTest::newRow("seven bytes") << "42000007E18000" << 1 << "";
        QTest::newRow("two frames") << "4301330300000043042000000000" << 2 << "";
        QTest::newRow("mixed heads") << "4301330300000041042000000000" << 1 << "";
        QTest::newRow("NODATA") << "NODATA" << 0 << "NODATA";
        QTest::newRow("negative") << "7F 02 12" << 0 << "7F 02 12";
    }
    void elm323Messages() {
        QFETCH(QString, reply);
        QFETCH(int, messages);
        QFETCH(QString, fault);
        const ParsedReply parsed = Elm323Messages(reply);
        QCOMPARE(parsed.messages.size(), messages);
        QCOMPARE(parsed.fault, fault);
    }

    void freezeFrameCode() {
        const QList<EcuMessage> stored = Messages("42 02 00 01 33", KLine, false);
        const std::optional<QByteArray> data = FreezeFrameDataOf(stored, KLine, 0x02);
        QVERIFY(data);
        QCOMPARE(FreezeFrameCodeOf(*data).value_or(QString()), QStringLiteral("P0133"));
        QVERIFY(!FreezeFrameCodeOf(QByteArray(2, '\0')));
        QVERIFY_THROWS_EXCEPTION(ConversionError, FreezeFrameCodeOf(QByteArray(1, '\1')));
        // Another frame's answer is not frame 0.
        QVERIFY(!FreezeFrameDataOf(Messages("42 02 01 01 33", KLine, false), KLine, 0x02));
    }

    // Service 06: nine bytes per test, scaled by the unit and scaling ID.
    void monitorResults() {
        const auto results = MonitorResultsOf(
            Messages("013\r0: 46 01 01 0A 0E 10 \r1: 0B B8 13 88 01 05 10 \r2: 00 64 00 00 00 96 ",
                     Can11, false),
            Can11, 0x01);
        QVERIFY(results);
        QCOMPARE(results->size(), 2);
        QCOMPARE((*results)[0].unit, QStringLiteral("mV"));
        QCOMPARE((*results)[0].value, 3600 * 0.122);
        QCOMPARE(*(*results)[0].maximum, 5000 * 0.122);
        QCOMPARE((*results)[1].test, QStringLiteral("Test 05"));
        QVERIFY((*results)[1].passed());
        QVERIFY_THROWS_EXCEPTION(
            ConversionError, MonitorResultsOf(Messages("46 02 07 0A 03", Can11, false), Can11, 2));
    }

    void sensorLocations() {
        QCOMPARE(O2SensorsOf(0x13, 0x12).size(), 2);
        QCOMPARE(O2SensorsOf(0x13, 0x12)[1].name, QStringLiteral("Bank 2 - Sensor 1"));
        QCOMPARE(O2SensorsOf(0x1D, 0x04)[0].name, QStringLiteral("Bank 2 - Sensor 1"));
        QCOMPARE(O2SensorsOf(0x1D, 0x04)[0].narrowPid(), 0x16);
    }
};

QTEST_GUILESS_MAIN(TestVehicleInfo)
#include "tst_vehicleinfo.moc"
