// Reply cleaning, the chip's error words and the demo answer table.
#include "link/demoreply.h"
#include "link/link.h"

#include <QRegularExpression>
#include <QTest>

using namespace obd;

class TestReply : public QObject {
    Q_OBJECT
private slots:
    void cleaning_data();
    void cleaning();
    void errorWords_data();
    void errorWords();
    void demoTable_data();
    void demoTable();
    void demoEngineSpeed();
};

void TestReply::cleaning_data() {
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QString>("reply");
    QTest::newRow("positive loses blanks")
        << QByteArray("41 00 BE 3E B8 11\r\r>") << "4100BE3EB811";
    QTest::newRow("other keeps inner blanks") << QByteArray("7F 01 12\r\r>") << "7F 01 12";
    QTest::newRow("ok") << QByteArray("OK\r\r>") << "OK";
    QTest::newRow("echo on keeps blanks")
        << QByteArray("0100\r41 00 BE 3E B8 11\r\r>") << "0100 41 00 BE 3E B8 11";
    QTest::newRow("line feeds become blanks")
        << QByteArray("\r\nELM323 v1.1\r\n\r\n>") << "ELM323 v1.1";
    QTest::newRow("prompt only is empty") << QByteArray(">") << "";
    QTest::newRow("no prompt is Fehler") << QByteArray("41 00 BE") << "Fehler";
    QTest::newRow("nothing is Fehler") << QByteArray() << "Fehler";
    QTest::newRow("text after the prompt stays") << QByteArray("OK\r>AB>") << "OK  AB>";
    QTest::newRow("positive with trailing text") << QByteArray("41 0C\r> 1A F8") << "410C1AF8";
    QTest::newRow("controls trimmed") << QByteArray("\x01\t 41 05 50 \x1f>") << "410550";
    QTest::newRow("tab inside a positive reply stays") << QByteArray("41\t05 50>") << "41\t0550";
    QTest::newRow("windows-1252") << QByteArray("\xe4\x80>") << QString::fromUtf8("ä€");
}

void TestReply::cleaning() {
    QFETCH(QByteArray, received);
    QFETCH(QString, reply);
    QCOMPARE(CleanReply(received), reply);
}

void TestReply::errorWords_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("isError");
    for (const char* word :
         {"BUSBUSY", "BUSERROR", "DATAERROR", "NODATA", "BUS INIT: ...ERROR", "?"})
        QTest::newRow(word) << QString::fromLatin1(word) << true;
    QTest::newRow("inner blank") << "NO DATA" << false;
    QTest::newRow("case") << "NoData" << false;
    QTest::newRow("missing blank") << "BUS INIT:...ERROR" << false;
    QTest::newRow("prefix") << "BUS" << false;
    QTest::newRow("two question marks") << "??" << false;
    QTest::newRow("Fehler is no chip word") << "Fehler" << false;
    QTest::newRow("empty") << "" << false;
}

void TestReply::errorWords() {
    QFETCH(QString, reply);
    QFETCH(bool, isError);
    QCOMPARE(IsChipErrorWord(reply), isError);
}

void TestReply::demoTable_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("cleaned");
    const struct {
        const char* command;
        const char* reply;
        const char* cleaned;
    } cases[] = {
        {"ATE0", "OK", "OK"},
        {"ATI", "ELM323 v1.1", "ELM323 v1.1"},
        {"ATZ", "ATZ  ELM323 v1.1", "ATZ  ELM323 v1.1"},
        {"ATL0", "OK", "OK"},
        {"0100", "41 00 BE 3E B8 11", "4100BE3EB811"},
        {"0101", "41 01 00 07 65 00", "410100076500"},
        {"0103", "41 03 02 00", "41030200"},
        {"0104", "41 04 00", "410400"},
        {"0105", "41 05 50", "410550"},
        {"0106", "41 06 7B", "41067B"},
        {"0107", "41 07 5A", "41075A"},
        {"0109", "7F 01 12", "7F 01 12"},
        {"010A", "7F 01 12", "7F 01 12"},
        {"010D", "41 0D 00", "410D00"},
        {"010E", "41 0E 95", "410E95"},
        {"010F", "41 0F 3A", "410F3A"},
        {"0110", "41 10 00 00", "41100000"},
        {"0111", "41 11 00", "411100"},
        {"0112", "7F 01 12", "7F 01 12"},
        {"0113", "41 13 03", "411303"},
        {"0114", "41 14 07 80", "41140780"},
        {"0115", "41 15 08 FF", "411508FF"},
        {"011C", "41 1C 01", "411C01"},
        {"0200", "42 00 00 7E 18 00 00", "4200007E180000"},
        {"03",
         "43 01 25 07 36 04 55 43 11 07 12 99 11 98 43 94 91 99 92 A4 27 43 93 90 D4 51 E5 00 43 "
         "51 41 51 84 59 54",
         "43012507360455431107129911984394919992A427439390D451E50043514151845954"},
        {"04", "44", "44"},
        {"atz", "DEMO", "DEMO"},
        {"ATE1", "DEMO", "DEMO"},
        {"ATL1", "DEMO", "DEMO"},
        {"0102", "DEMO", "DEMO"},
        {"011D", "DEMO", "DEMO"},
        {"0100 ", "DEMO", "DEMO"},
        {"", "DEMO", "DEMO"},
    };
    for (const auto& c : cases)
        QTest::newRow(c.command) << QString::fromLatin1(c.command) << QString::fromLatin1(c.reply)
                                 << QString::fromLatin1(c.cleaned);
}

void TestReply::demoTable() {
    QFETCH(QString, command);
    QFETCH(QString, reply);
    QFETCH(QString, cleaned);
    QCOMPARE(DemoTableReply(command), reply);
    QCOMPARE(CleanReplyText(DemoTableReply(command)), cleaned);
}

void TestReply::demoEngineSpeed() {
    const QStringList possible{"410C118C", "410C2318", "410C34A4",
                               "410C4630", "410C57BC", "410C6948"};
    QSet<QString> seen;
    for (int i = 0; i < 300; ++i) {
        const QString reply = DemoTableReply(QStringLiteral("010C"));
        QVERIFY2(possible.contains(reply), qPrintable(reply));
        seen.insert(reply);
    }
    // With 300 draws, missing any of the six values has a chance below 1e-20.
    QCOMPARE(seen.size(), possible.size());
}

QTEST_GUILESS_MAIN(TestReply)
#include "tst_reply.moc"
