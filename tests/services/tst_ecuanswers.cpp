// The services over the messages of several control units, fed with literal
// adapter transcripts through the protocol layer.
#include "common/errors.h"
#include "services/ecuanswers.h"

#include <QTest>

using namespace obd;

Q_DECLARE_METATYPE(obd::ProtocolFamily)

namespace {

constexpr auto Can11 = ProtocolFamily::Can11;
constexpr auto Can29 = ProtocolFamily::Can29;
constexpr auto KLine = ProtocolFamily::KLine;

QList<EcuMessage> Messages(const QString& reply, ProtocolFamily family, bool headers) {
    return ParseReply(reply, family, headers).messages;
}

} // namespace

class TestEcuAnswers : public QObject {
    Q_OBJECT
private slots:
    void troubleCodes_data();
    void troubleCodes();
    void troubleCodesBroken_data();
    void troubleCodesBroken();
    void clear_data();
    void clear();
    void unitLabels_data();
    void unitLabels();
    void supportedPids();
    void monitorStatus();
    void sensorValue_data();
    void sensorValue();
    void pidAnswers_data();
    void pidAnswers();
};

// Answers to a request for several PIDs, split into one message per PID.
void TestEcuAnswers::pidAnswers_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("headers");
    QTest::addColumn<QStringList>("answers"); // "410C1AF8", in PID order
    QTest::newRow("three PIDs, one frame")
        << "41 0C 1A F8 0D 32 05 7B \r\r" << false << QStringList{"41057B", "410C1AF8", "410D32"};
    QTest::newRow("six PIDs over three frames")
        << "00E\r0: 41 0C 1A F8 0D 32 \r1: 05 7B 04 80 11 33 0B \r2: 21 \r\r" << false
        << QStringList{"410480", "41057B", "410B21", "410C1AF8", "410D32", "411133"};
    QTest::newRow("six PIDs over three frames, headers on")
        << "7E8 10 0E 41 0C 1A F8 0D 32 \r7E8 21 05 7B 04 80 11 33 0B \r7E8 22 21 00 00 00 00 00 "
           "00 \r"
        << true << QStringList{"410480", "41057B", "410B21", "410C1AF8", "410D32", "411133"};
    // Asked for 0C, 0D and 10: the unit has no 10.
    QTest::newRow("a PID missing")
        << "41 0C 1A F8 0D 32 \r" << false << QStringList{"410C1AF8", "410D32"};
    // The engine's value wins, whichever unit answered first.
    QTest::newRow("two units") << "7E9 06 41 0C 0B B8 0D 00 \r7E8 06 41 0C 1A F8 0D 32 \r" << true
                               << QStringList{"410C1AF8", "410D32"};
    // A PID cut short keeps what came, for its decoder to refuse.
    QTest::newRow("last PID cut short")
        << "41 0D 32 0C 1A \r" << false << QStringList{"410C1A", "410D32"};
}

void TestEcuAnswers::pidAnswers() {
    QFETCH(QString, reply);
    QFETCH(bool, headers);
    QFETCH(QStringList, answers);
    QStringList got;
    for (const EcuMessage& m : PidAnswersOf(Messages(reply, Can11, headers), Can11))
        got << QString::fromLatin1(m.data.toHex().toUpper());
    QCOMPARE(got, answers);
}

void TestEcuAnswers::troubleCodes_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<ProtocolFamily>("family");
    QTest::addColumn<bool>("headers");
    QTest::addColumn<int>("service");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QStringList>("codes"); // "P0133" or "P0133 7E8"
    QTest::newRow("CAN two codes")
        << "43 02 01 33 03 00 \r" << Can11 << false << 3 << true << QStringList{"P0133", "P0300"};
    QTest::newRow("CAN none") << "43 00 \r" << Can11 << false << 3 << true << QStringList{};
    QTest::newRow("CAN five codes over two frames")
        << "00C\r0: 43 05 01 33 03 00 \r1: C1 23 04 20 D1 06 \r\r" << Can11 << false << 3 << true
        << QStringList{"P0133", "P0300", "U0123", "P0420", "U1106"};
    QTest::newRow("two units, headers off") << "43 01 01 33 \r43 01 0A 80 " << Can11 << false << 3
                                            << true << QStringList{"P0133", "P0A80"};
    QTest::newRow("two units, headers on")
        << "7E8 04 43 01 01 33 \r7E9 04 43 01 0A 80 \r" << Can11 << true << 3 << true
        << QStringList{"P0133 7E8", "P0A80 7E9"};
    QTest::newRow("two units, one clean") << "7E8 02 43 00 \r7E9 04 43 01 0A 80 \r" << Can11 << true
                                          << 3 << true << QStringList{"P0A80 7E9"};
    QTest::newRow("one unit, headers on") << "7E8 06 43 02 01 33 03 00 \r" << Can11 << true << 3
                                          << true << QStringList{"P0133", "P0300"};
    QTest::newRow("29-bit two units")
        << "18 DA F1 10 04 43 01 01 33 \r18 DA F1 18 04 43 01 0A 80 \r" << Can29 << true << 3
        << true << QStringList{"P0133 10", "P0A80 18"};
    QTest::newRow("K-line three per frame")
        << "43 01 33 03 00 00 00 \r43 C1 23 00 00 00 00 \r" << KLine << false << 3 << true
        << QStringList{"P0133", "P0300", "U0123"};
    QTest::newRow("K-line two units")
        << "48 6B 10 43 01 33 00 00 00 00 C7 \r48 6B 18 43 0A 80 00 00 00 00 11 \r" << KLine << true
        << 3 << true << QStringList{"P0133 10", "P0A80 18"};
    QTest::newRow("K-line none") << "43 00 00 00 00 00 00 \r" << KLine << false << 3 << true
                                 << QStringList{};
    QTest::newRow("pending") << "47 01 01 71 \r" << Can11 << false << 7 << true
                             << QStringList{"P0171"};
    QTest::newRow("permanent") << "4A 01 04 20 \r" << Can11 << false << 0x0A << true
                               << QStringList{"P0420"};
    QTest::newRow("stored asked, pending answered")
        << "47 01 01 71 \r" << Can11 << false << 3 << false << QStringList{};
    QTest::newRow("NO DATA is no clean car")
        << "NO DATA\r\r" << Can11 << false << 3 << false << QStringList{};
    QTest::newRow("negative response")
        << "7F 03 22 \r" << Can11 << false << 3 << false << QStringList{};
}

void TestEcuAnswers::troubleCodes() {
    QFETCH(QString, reply);
    QFETCH(ProtocolFamily, family);
    QFETCH(bool, headers);
    QFETCH(int, service);
    QFETCH(bool, answered);
    QFETCH(QStringList, codes);
    const auto result = TroubleCodesOf(Messages(reply, family, headers), family, service);
    QCOMPARE(result.has_value(), answered);
    if (!result)
        return;
    QStringList written;
    for (const UnitTroubleCode& c : *result)
        written << (c.unit.isEmpty() ? c.code : c.code + ' ' + c.unit);
    QCOMPARE(written, codes);
}

void TestEcuAnswers::troubleCodesBroken_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<ProtocolFamily>("family");
    QTest::addColumn<QString>("message");
    QTest::newRow("count larger than the codes")
        << "43 03 01 33 03 00 \r" << Can11 << "'$' ist kein gültiger Integerwert";
    QTest::newRow("half a code") << "43 02 01 33 03 \r" << Can11
                                 << "'$03' ist kein gültiger Integerwert";
    QTest::newRow("no count byte") << "43 \r" << Can11 << "'$' ist kein gültiger Integerwert";
    QTest::newRow("K-line half a code")
        << "43 01 33 03 \r" << KLine << "'$03' ist kein gültiger Integerwert";
}

// A reply that lacks what its count promises is no list of codes.
void TestEcuAnswers::troubleCodesBroken() {
    QFETCH(QString, reply);
    QFETCH(ProtocolFamily, family);
    QFETCH(QString, message);
    try {
        TroubleCodesOf(Messages(reply, family, false), family, 3);
        QFAIL("no conversion error");
    } catch (const ConversionError& e) {
        QCOMPARE(e.text(), message);
    }
}

void TestEcuAnswers::clear_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QString>("refusal"); // a part of the reason
    QTest::newRow("one unit") << "44 \r" << true << "";
    QTest::newRow("two units") << "44 \r44 " << true << "";
    QTest::newRow("two units, headers on") << "7E8 01 44 \r7E9 01 44 \r" << true << "";
    QTest::newRow("response pending, then 44") << "7F 04 78\r44\r" << true << "";
    QTest::newRow("pending only") << "7F 04 78\r" << false << "keine gültige Antwort";
    QTest::newRow("one unit refuses") << "44 \r7F 04 22 \r" << false << "läuft der Motor?";
    QTest::newRow("not supported") << "7F 04 11\r" << false << "Dienst nicht unterstützt";
    QTest::newRow("sub-function") << "7F 04 12\r" << false << "Unterfunktion nicht unterstützt";
    QTest::newRow("out of range") << "7F 04 31\r" << false << "außerhalb des zulässigen Bereichs";
    QTest::newRow("security") << "7F 04 33\r" << false << "Zugriff verweigert";
    QTest::newRow("unknown code") << "7F 04 99\r" << false << "Ablehnungscode 99 (7F 04 99)";
    QTest::newRow("NO DATA") << "NO DATA\r" << false << "Der Adapter meldet";
    QTest::newRow("nothing") << "\r" << false << "keine gültige Antwort des Fahrzeugs auf 04.";
}

void TestEcuAnswers::clear() {
    QFETCH(QString, reply);
    QFETCH(bool, confirmed);
    QFETCH(QString, refusal);
    const bool headers = reply.startsWith("7E");
    const ParsedReply parsed = ParseReply(reply, Can11, headers);
    const ClearOutcome outcome = ClearOutcomeOf(parsed);
    QCOMPARE(outcome.confirmed, confirmed);
    QVERIFY2(outcome.refusal.contains(refusal), qPrintable(outcome.refusal));
    QCOMPARE(outcome.refusal.isEmpty(), confirmed);
}

// A control unit shows by name where ISO 15765-4 fixes its address.
void TestEcuAnswers::unitLabels_data() {
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("shown");
    QTest::newRow("engine") << "7E8"
                            << "P0133 (Motor)";
    QTest::newRow("transmission") << "7E9"
                                  << "P0133 (Getriebe)";
    QTest::newRow("another unit") << "7EA"
                                  << "P0133 (7EA)";
    QTest::newRow("29-bit or K-line") << "10"
                                      << "P0133 (10)";
    QTest::newRow("one unit") << ""
                              << "P0133";
}

void TestEcuAnswers::unitLabels() {
    QFETCH(QString, unit);
    QFETCH(QString, shown);
    QCOMPARE(CodeWithUnit(QStringLiteral("P0133"), unit), shown);
}

void TestEcuAnswers::supportedPids() {
    TSupportedPids flags{};
    flags[1] = true;
    QVERIFY(!SupportedPidsOf(Messages("NO DATA\r", Can11, false), flags));
    QVERIFY(flags[1]); // left as it was
    // BE 1F A8 13 | 98 38 80 01 = BE 3F A8 13: the union of both units' PIDs.
    QVERIFY(SupportedPidsOf(
        Messages("7E8 06 41 00 BE 1F A8 13 \r7E9 06 41 00 98 38 80 01 \r", Can11, true), flags));
    QString bits;
    for (bool f : flags)
        bits += f ? '1' : '0';
    QCOMPARE(bits, QStringLiteral("10111110001111111010100000010011"));
}

void TestEcuAnswers::monitorStatus() {
    QVERIFY(!MonitorStatusOf(Messages("NO DATA\r", Can11, false)));
    // The engine has the MIL off and no codes, the hybrid unit MIL on and two.
    const auto status = MonitorStatusOf(
        Messages("7E8 06 41 01 00 07 65 00 \r7E9 06 41 01 82 00 00 04 \r", Can11, true));
    QVERIFY(status);
    QVERIFY(status->MilOn);
    QCOMPARE(status->DtcCount, 2);
    QVERIFY(status->CatalystSupported);
    QVERIFY(status->EvapSystemIncomplete);
    const auto sum = MonitorStatusOf(Messages("41 01 83 00 00 00 \r41 01 05 00 00 00 \r"
                                              "41 01 7F 00 00 00 \r",
                                              Can11, false));
    QCOMPARE(sum->DtcCount, 127);
    QVERIFY(sum->MilOn);
}

void TestEcuAnswers::sensorValue_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<ProtocolFamily>("family");
    QTest::addColumn<bool>("headers");
    QTest::addColumn<QString>("value");
    QTest::newRow("engine answers second")
        << "7E9 04 41 0C 00 10 \r7E8 04 41 0C 1A F8 \r" << Can11 << true << "1726";
    QTest::newRow("29-bit engine")
        << "18 DA F1 18 04 41 0C 00 10 \r18 DA F1 10 04 41 0C 1A F8 \r" << Can29 << true << "1726";
    QTest::newRow("K-line engine")
        << "48 6B 18 41 0C 00 10 00 \r48 6B 10 41 0C 1A F8 00 \r" << KLine << true << "1726";
    QTest::newRow("only another unit") << "7E9 04 41 0C 1A F8 \r" << Can11 << true << "1726";
    QTest::newRow("headers off, first")
        << "41 0C 1A F8 \r41 0C 00 10 \r" << Can11 << false << "1726";
    QTest::newRow("answer to another PID")
        << "41 0D 00 \r41 0C 1A F8 \r" << Can11 << false << "1726";
    QTest::newRow("only another PID") << "41 0D 00 \r" << Can11 << false << "Fehler";
    QTest::newRow("NO DATA") << "NO DATA\r" << Can11 << false << "Fehler";
    QTest::newRow("too short") << "41 0C 1A \r" << Can11 << false << "Fehler";
}

void TestEcuAnswers::sensorValue() {
    QFETCH(QString, reply);
    QFETCH(ProtocolFamily, family);
    QFETCH(bool, headers);
    QFETCH(QString, value);
    const QList<SensorReading> readings =
        SensorReadingsOf(Messages(reply, family, headers), family, 0x0C, QLatin1Char('.'));
    QCOMPARE(readings.size(), 1);
    QCOMPARE(readings[0].text, value);
}

QTEST_GUILESS_MAIN(TestEcuAnswers)
#include "tst_ecuanswers.moc"
