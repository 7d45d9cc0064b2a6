// Start-up with a delivered file missing or the log unusable: each error is
// shown, the later steps still run, and the connection sequence works.
#include "link/comport.h"
#include "link/link.h"
#include "support_main.h"

#include <QComboBox>
#include <QTest>

using namespace obd;
using namespace obd::test;

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void failedStepLeavesLaterStepsRunning_data();
    void failedStepLeavesLaterStepsRunning();
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

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
