// The protocol layer against literal adapter transcripts: reply text in,
// messages per control unit out; and the adapter's messages, which are never
// data.
#include "services/adaptermessages.h"
#include "services/protocol.h"

#include <QRandomGenerator>
#include <QTest>

using namespace obd;

Q_DECLARE_METATYPE(obd::ProtocolFamily)

namespace {

constexpr auto Can11 = ProtocolFamily::Can11;
constexpr auto Can29 = ProtocolFamily::Can29;
constexpr auto KLine = ProtocolFamily::KLine;

// "7E8:410C1AF8" per message, "-" for an unknown sender.
QStringList Written(const QList<EcuMessage>& messages, ProtocolFamily family) {
    QStringList out;
    for (const EcuMessage& m : messages)
        out << (m.sender == UnknownSender ? QStringLiteral("-") : SenderName(m.sender, family)) +
                   ':' + QString::fromLatin1(m.data.toHex().toUpper());
    return out;
}

} // namespace

class TestProtocol : public QObject {
    Q_OBJECT
private slots:
    void transcripts_data();
    void transcripts();
    void unreadable_data();
    void unreadable();
    void adapterMessages_data();
    void adapterMessages();
    void protocolNumbers();
    void anyTextIsReadOrRefused();
};

void TestProtocol::transcripts_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<ProtocolFamily>("family");
    QTest::addColumn<bool>("headers");
    QTest::addColumn<QStringList>("messages");
    // CAN, headers off
    QTest::newRow("one unit") << "41 0C 1A F8 \r\r" << Can11 << false << QStringList{"-:410C1AF8"};
    QTest::newRow("after search") << "SEARCHING...\r41 00 BE 3F A8 13 \r\r" << Can11 << false
                                  << QStringList{"-:4100BE3FA813"};
    QTest::newRow("two units") << "41 00 BE 3F A8 13 \r41 00 98 18 80 01 \r\r" << Can11 << false
                               << QStringList{"-:4100BE3FA813", "-:4100981880 01"};
    QTest::newRow("two units' codes") << "43 01 01 33 \r43 01 0A 80 " << Can11 << false
                                      << QStringList{"-:43010133", "-:43010A80"};
    QTest::newRow("VIN multi-frame")
        << "014\r0: 49 02 01 31 44 34 \r1: 47 50 30 30 52 35 35 \r2: 42 31 32 33 34 35 36 \r\r"
        << Can11 << false << QStringList{"-:490201314434475030305235354231323334353 6"};
    QTest::newRow("five codes, length cuts padding")
        << "00C\r0: 43 05 01 33 03 00 \r1: C1 23 04 20 D1 06 00 \r\r" << Can11 << false
        << QStringList{"-:43050133030 0C1230420D106"};
    QTest::newRow("multi-frame then single")
        << "00C\r0: 43 05 01 33 03 00 \r1: C1 23 04 20 D1 "
           "06 \r43 01 0A 80 \r"
        << Can11 << false << QStringList{"-:430501330300C1230420D106", "-:43010A80"};
    QTest::newRow("blanks off") << "410C1AF8\r" << Can11 << false << QStringList{"-:410C1AF8"};
    QTest::newRow("clear by two units")
        << "44 \r44 " << Can11 << false << QStringList{"-:44", "-:44"};
    // CAN, headers on
    QTest::newRow("11-bit") << "7E8 06 41 00 BE 3F A8 13 \r\r" << Can11 << true
                            << QStringList{"7E8:4100BE3FA813"};
    QTest::newRow("11-bit padded")
        << "7E8 03 41 0D 32 55 55 55 55 \r" << Can11 << true << QStringList{"7E8:410D32"};
    QTest::newRow("11-bit two units")
        << "7E8 06 41 00 BE 3F A8 13 \r7E9 06 41 00 98 18 80 01 \r" << Can11 << true
        << QStringList{"7E8:4100BE3FA813", "7E9:4100981880 01"};
    QTest::newRow("11-bit VIN") << "7E8 10 14 49 02 01 31 44 34 \r7E8 21 47 50 30 30 52 35 35 \r"
                                   "7E8 22 42 31 32 33 34 35 36 \r"
                                << Can11 << true
                                << QStringList{"7E8:4902013144344750303052353542313233343536"};
    QTest::newRow("11-bit frames of two units interleaved")
        << "7E8 10 0C 43 05 01 33 03 00 \r7E9 04 43 01 0A 80 \r7E8 21 C1 23 04 20 D1 06 00 \r"
        << Can11 << true << QStringList{"7E8:430501330300C1230420D106", "7E9:43010A80"};
    QTest::newRow("11-bit blanks off")
        << "7E803410D32\r" << Can11 << true << QStringList{"7E8:410D32"};
    QTest::newRow("29-bit") << "18 DA F1 10 06 41 00 BE 3F A8 13 \r" << Can29 << true
                            << QStringList{"10:4100BE3FA813"};
    QTest::newRow("29-bit multi-frame")
        << "18 DA F1 10 10 0C 43 05 01 33 03 00 \r18 DA F1 10 21 C1 23 04 20 D1 06 \r" << Can29
        << true << QStringList{"10:430501330300C1230420D106"};
    QTest::newRow("29-bit headers off")
        << "41 0C 1A F8 \r" << Can29 << false << QStringList{"-:410C1AF8"};
    // K-line and J1850
    QTest::newRow("K-line headers")
        << "48 6B 10 41 00 BE 3F A8 13 C9 \r" << KLine << true << QStringList{"10:4100BE3FA813"};
    QTest::newRow("K-line bus init")
        << "BUS INIT: ...OK\r48 6B 10 43 01 33 03 00 00 00 5A \r48 6B 18 43 0A 80 00 00 00 00 11 \r"
        << KLine << true << QStringList{"10:43013303000000", "18:430A8000000000"};
    QTest::newRow("K-line headers off")
        << "43 01 33 03 00 00 00 \r43 04 20 00 00 00 00 \r" << KLine << false
        << QStringList{"-:43013303000000", "-:43042000000000"};
    QTest::newRow("K-line VIN lines")
        << "49 02 01 00 00 00 31 \r49 02 02 44 34 47 50 \r" << KLine << false
        << QStringList{"-:49020100000031", "-:49020244344750"};
    QTest::newRow("nothing but blank lines") << "\r\r" << Can11 << false << QStringList{};
}

void TestProtocol::transcripts() {
    QFETCH(QString, reply);
    QFETCH(ProtocolFamily, family);
    QFETCH(bool, headers);
    QFETCH(QStringList, messages);
    for (QString& m : messages)
        m.remove(' ');
    const ParsedReply parsed = ParseReply(reply, family, headers);
    QCOMPARE(parsed.fault, QString());
    QCOMPARE(Written(parsed.messages, family), messages);
}

// Replies that cannot be taken apart give a fault and no messages at all.
void TestProtocol::unreadable_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<ProtocolFamily>("family");
    QTest::addColumn<bool>("headers");
    QTest::addColumn<QString>("fault");
    const QString cut =
        "Die mehrteilige Antwort des Fahrzeugs ist unvollständig oder durcheinander.";
    QTest::newRow("consecutive line missing")
        << "014\r0: 49 02 01 31 44 34 \r1: 47 50 30 30 52 35 35 \r" << Can11 << false << cut;
    QTest::newRow("frame numbers out of order")
        << "014\r0: 49 02 01 31 44 34 \r2: 42 31 32 33 34 35 36 \r1: 47 50 30 30 52 35 35 \r"
        << Can11 << false << "Die Antwort des Adapters ist nicht lesbar: „2: 42 31 32 33 34 35 36“";
    QTest::newRow("consecutive frame without first")
        << "7E8 21 C1 23 04 20 D1 06 \r" << Can11 << true
        << "Die Antwort des Adapters ist nicht lesbar: „7E8 21 C1 23 04 20 D1 06“";
    QTest::newRow("first frame alone") << "7E8 10 0C 43 05 01 33 03 00 \r" << Can11 << true << cut;
    QTest::newRow("single frame shorter than declared")
        << "7E8 06 41 00 BE \r" << Can11 << true
        << "Die Antwort des Adapters ist nicht lesbar: „7E8 06 41 00 BE“";
    QTest::newRow("odd digits") << "41 0C 1A F \r" << Can11 << false
                                << "Die Antwort des Adapters ist nicht lesbar: „41 0C 1A F“";
    QTest::newRow("echo left on") << "ATRV\r12.6V\r" << Can11 << false
                                  << "Die Antwort des Adapters ist nicht lesbar: „ATRV“";
    QTest::newRow("K-line header without data") << "48 6B 10 C3 \r" << KLine << true
                                                << "Die Antwort des Adapters ist nicht lesbar: „48 "
                                                   "6B 10 C3“";
    QTest::newRow("ignition off")
        << "SEARCHING...\r\rUNABLE TO CONNECT\r\r" << Can11 << false
        << "Der Adapter meldet „UNABLE TO CONNECT“: Der Adapter findet keine Verbindung zum "
           "Fahrzeug. Ist die Zündung eingeschaltet?";
    QTest::newRow("data with checksum error")
        << "48 6B 10 41 0C 1A F8 00 <DATA ERROR\r" << KLine << true
        << "Der Adapter meldet „48 6B 10 41 0C 1A F8 00 <DATA ERROR“: Prüfsummenfehler: die "
           "Antwort des Fahrzeugs kam verfälscht an.";
}

void TestProtocol::unreadable() {
    QFETCH(QString, reply);
    QFETCH(ProtocolFamily, family);
    QFETCH(bool, headers);
    QFETCH(QString, fault);
    const ParsedReply parsed = ParseReply(reply, family, headers);
    QCOMPARE(parsed.fault, fault);
    QVERIFY(parsed.messages.isEmpty());
}

void TestProtocol::adapterMessages_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("cause"); // empty: the reply holds no message
    for (const AdapterMessage& m : AdapterMessages) {
        const QString word = QString::fromLatin1(m.word);
        const QString line = m.match == MessageMatch::Number    ? word + "94"
                             : m.match == MessageMatch::LineEnd ? "41 0C 1A F8 " + word
                                                                : word;
        QTest::newRow(m.word) << "\r" + line + "\r\r" << QString::fromUtf8(m.cause);
    }
    QTest::newRow("after searching") << "SEARCHING...\r\rNO DATA\r\r"
                                     << "Kein Steuergerät hat geantwortet, oder das Fahrzeug "
                                        "unterstützt diese Abfrage nicht.";
    QTest::newRow("data") << "41 00 BE 3F A8 13 \r" << QString();
    QTest::newRow("ELM323 word NODATA") << "NODATA" << QString();
    QTest::newRow("ERR with one digit") << "ERR9" << QString();
    QTest::newRow("ERR with letters") << "ERRAB" << QString();
    QTest::newRow("bus init ok") << "BUS INIT: ...OK\r41 00 BE 3F A8 13" << QString();
    QTest::newRow("word inside a line") << "NO DATA YET" << QString();
}

void TestProtocol::adapterMessages() {
    QFETCH(QString, reply);
    QFETCH(QString, cause);
    const QString text = AdapterMessageText(reply);
    if (cause.isEmpty()) {
        QCOMPARE(text, QString());
        return;
    }
    QVERIFY2(text.startsWith("Der Adapter meldet „"), qPrintable(text));
    QVERIFY2(text.endsWith("“: " + cause), qPrintable(text));
}

void TestProtocol::protocolNumbers() {
    QCOMPARE(ProtocolFamilyOf("A6"), Can11);
    QCOMPARE(ProtocolFamilyOf("8"), Can11);
    QCOMPARE(ProtocolFamilyOf("A7"), Can29);
    QCOMPARE(ProtocolFamilyOf("9"), Can29);
    QCOMPARE(ProtocolFamilyOf("3"), KLine);
    QCOMPARE(ProtocolFamilyOf("A5"), KLine);
    QCOMPARE(ProtocolFamilyOf("1"), KLine);
    QCOMPARE(ProtocolFamilyOf("A"), std::nullopt);
    QCOMPARE(ProtocolFamilyOf("0"), std::nullopt);
    QCOMPARE(ProtocolFamilyOf("?"), std::nullopt);
}

// Texts made of the characters replies consist of: every one is either read
// into messages or refused with a fault, never both, and nothing crashes
// (run under the sanitizers).
void TestProtocol::anyTextIsReadOrRefused() {
    const QString alphabet = "0123456789ABCDEF   ::\r\r7E8";
    QRandomGenerator random(17);
    for (int n = 0; n < 5000; ++n) {
        QString reply;
        for (int k = random.bounded(60); k > 0; --k)
            reply += alphabet[random.bounded(int(alphabet.size()))];
        for (const ProtocolFamily family : {Can11, Can29, KLine}) {
            for (const bool headers : {false, true}) {
                const ParsedReply parsed = ParseReply(reply, family, headers);
                QVERIFY(parsed.fault.isEmpty() || parsed.messages.isEmpty());
                for (const EcuMessage& m : parsed.messages)
                    QVERIFY(!m.data.isEmpty());
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
