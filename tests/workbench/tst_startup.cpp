// Start-up with a delivered file missing or the log unusable: each error is
// shown, the later steps still run, and the connection sequence works.
#include "link/comport.h"
#include "link/link.h"
#include "support_main.h"

#include "store/records.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace obd;
using namespace obd::test;

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void failedStepLeavesLaterStepsRunning_data();
    void failedStepLeavesLaterStepsRunning();
    void secondCopyOnlyReadsTheTables();
};

void TestStartup::failedStepLeavesLaterStepsRunning_data() {
    QTest::addColumn<int>("omit");
    QTest::addColumn<bool>("logWritten");
    QTest::newRow("dtc-gb.dat missing") << int(MainFixture::TroubleCodeFile) << true;
    QTest::newRow("customer table missing") << int(MainFixture::CustomerTable) << true;
    QTest::newRow("log cannot be opened") << int(MainFixture::LogFile) << false;
}

void TestStartup::failedStepLeavesLaterStepsRunning() {
    QFETCH(int, omit);
    QFETCH(bool, logWritten);
    Simulator sim;
    MainFixture f{MainFixture::Omit(omit)};
    f.storePort(sim.slavePath());
    TfMain& w = f.start();

    // One error box for the failed step, nothing else.
    QCOMPARE(f.shown.size(), 1);
    QCOMPARE(f.shown[0].caption, QStringLiteral("Fehler"));
    QVERIFY(!f.shown[0].text.isEmpty());
    // The steps after it ran: stored port loaded, sensor table set up, the
    // start timer running, the port object and the exchange in place.
    QCOMPARE(w.Context().port->Port(), sim.slavePath());
    QVERIFY(!w.Context().sensorTable[3].Name.isEmpty());
    QVERIFY(w.Timer1().isActive());
    QCOMPARE(w.Context().log != nullptr, logWritten);

    QTRY_COMPARE_WITH_TIMEOUT(f.statusLines().size(), 7, 5000);
    QCOMPARE(f.statusPictures(), QList<bool>(7, true));
    QVERIFY(!w.Context().link->CommFailure);
    QCOMPARE(f.shown.size(), 1);

    // Shutdown is safe without a log as well.
    w.close();
    QVERIFY(!w.Context().port->Connected());
    if (logWritten)
        QVERIFY(f.logLines().filter(QStringLiteral(" - Programm terminated")).size() == 1);
}

void TestStartup::secondCopyOnlyReadsTheTables() {
    MainFixture f;
    const QString data = QDir(f.folder()).filePath(QStringLiteral("data"));
    TableStore first;
    first.OpenAll(data);
    TfMain& w = f.start();
    QCOMPARE(f.shown.size(), 1);
    QCOMPARE(f.shown[0].caption, QStringLiteral("Warnung"));
    QCOMPARE(f.shown[0].text, QStringLiteral("Die Tabellen in \"%1\" werden von einem anderen "
                                             "laufenden Programm benutzt. Dieses Programm kann "
                                             "sie nur lesen; Speichern ist nicht möglich.")
                                  .arg(data));

    // Its Save is refused with a message, and nothing reaches the file.
    child<QLineEdit>(&w, QStringLiteral("edCustomerName"))->setText(QStringLiteral("Anna"));
    child<QPushButton>(&w, QStringLiteral("btnCustomerSave"))->click();
    QCOMPARE(f.shown.size(), 2);
    QCOMPARE(f.shown[1].caption, QStringLiteral("Fehler"));
    QVERIFY(f.shown[1].text.contains(QStringLiteral("Speichern nicht möglich")));
    QCOMPARE(runPython(QStringLiteral("import dbfread,sys\nprint(len(dbfread.DBF(sys.argv[1])))"),
                       {QDir(data).filePath(QStringLiteral("customer.dbf"))}),
             QStringLiteral("0"));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
