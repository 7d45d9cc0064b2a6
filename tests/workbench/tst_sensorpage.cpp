#include "workbench/sensorthread.h"

#include "common/errors.h"

#include <QtTest>

using namespace obd;

class TestSensorPage : public QObject {
    Q_OBJECT
private slots:
    // The worker component alone: notices, stop flag, synchronized call.
    void threadRunsUntilStopAndNotifiesOnce() {
        std::atomic<int> passes{0};
        int refreshes = 0;
        SensorThread thread([&](SensorThread& self) {
            while (true) {
                ++passes;
                QThread::msleep(2);
                if (self.StopRequested())
                    return;
                self.Synchronize([&] { ++refreshes; });
            }
        });
        QVERIFY(!thread.Running());
        QSignalSpy started(&thread, &SensorThread::Started);
        QSignalSpy ended(&thread, &SensorThread::Terminated);
        thread.Start();
        QCOMPARE(started.count(), 1); // on the calling thread, before the first pass
        QVERIFY(thread.Running());
        thread.Start(); // a second start while running does nothing
        QCOMPARE(started.count(), 1);
        QTRY_VERIFY(refreshes >= 3);
        thread.RequestStop();
        QVERIFY(thread.Running()); // the stop request does not wait
        thread.WaitUntilIdle();
        QVERIFY(!thread.Running());
        QCOMPARE(ended.count(), 1);
        QCOMPARE(ended.at(0).at(0).toString(), QString());
        // The last pass ends without a refresh; the one before may have met the
        // stop while its refresh waited, which then is skipped too.
        QVERIFY(refreshes == passes - 1 || refreshes == passes - 2);
        QTest::qWait(20);
        QCOMPARE(ended.count(), 1);
    }
    void synchronizedCallSkippedAfterStop() {
        bool ran = false;
        bool result = true;
        SensorThread thread([&](SensorThread& self) {
            while (!self.StopRequested())
                QThread::msleep(1);
            result = self.Synchronize([&] { ran = true; });
        });
        thread.Start();
        thread.RequestStop();
        thread.WaitUntilIdle();
        QVERIFY(!ran);
        QVERIFY(!result);
    }
    void errorEndsWorkerAndIsReported() {
        SensorThread thread([](SensorThread&) {
            throw ConversionError(QStringLiteral("'$4G' ist kein gültiger Integerwert"));
        });
        QSignalSpy ended(&thread, &SensorThread::Terminated);
        thread.Start();
        thread.WaitUntilIdle();
        QCOMPARE(ended.count(), 1);
        QCOMPARE(ended.at(0).at(0).toString(),
                 QStringLiteral("'$4G' ist kein gültiger Integerwert"));
        // A new run starts clean.
        thread.Start();
        thread.WaitUntilIdle();
        QCOMPARE(ended.count(), 2);
    }
    void destroyingWhileRunningWaitsForWorker() {
        std::atomic<bool> ended{false};
        {
            SensorThread thread([&](SensorThread& self) {
                while (!self.StopRequested())
                    self.Synchronize([] {});
                ended = true;
            });
            thread.Start();
            QTest::qWait(10);
        }
        QVERIFY(ended);
    }
};

QTEST_MAIN(TestSensorPage)
#include "tst_sensorpage.moc"
