#include "common/sensortable.h"

#include <QtTest>
#include <thread>

using namespace obd;

class TestSensorTable : public QObject {
    Q_OBJECT
private slots:
    void startState() {
        SensorTable t;
        QCOMPARE(t[0].Number, 1);
        QCOMPARE(t[0].Pid, QStringLiteral("01"));
        QCOMPARE(t[11].Pid, QStringLiteral("0C"));
        QCOMPARE(t[31].Pid, QStringLiteral("20"));
        QCOMPARE(t[31].Number, 32);
        for (int k = 0; k < SensorTable::Size; ++k) {
            QCOMPARE(t.Value(k), QStringLiteral("0"));
            QVERIFY(t[k].Enabled);
            QVERIFY(!t[k].Supported);
        }
        QVERIFY(!t.ShowNotSupported);
    }
    void setUpTakesPidTableAndCutsToCapacity() {
        SensorTable t;
        t.SetUp([](int pid) {
            return SensorRowInfo{QString(200, QLatin1Char('n')) + QString::number(pid),
                                 QStringLiteral("0123456789AB"), pid == 5};
        });
        QCOMPARE(t[4].Name.size(), 127);
        QCOMPARE(t[4].UnitText, QStringLiteral("0123456789"));
        QVERIFY(t[4].IsSensor);
        QVERIFY(!t[5].IsSensor);
    }
    void indexOfPid() {
        SensorTable t;
        QCOMPARE(t.IndexOfPid(QStringLiteral("1C")), 27);
        QCOMPARE(t.IndexOfPid(QStringLiteral("1c")), -1);
        QCOMPARE(t.IndexOfPid(QString()), -1);
    }
    // Rows added after PID 20 are named by their key: the PID text for the
    // first value, "/" and the value's number for the others.
    void rowKeys_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("entry");
        QTest::newRow("PID 01..20") << "1C" << 27;
        QTest::newRow("first value") << "24" << 33;
        QTest::newRow("second value") << "24/2" << 34;
        QTest::newRow("no third value") << "24/3" << -1;
        QTest::newRow("first value by number") << "24/1" << -1;
        QTest::newRow("not a number") << "24/x" << -1;
        QTest::newRow("value of another PID") << "21/2" << -1;
        QTest::newRow("unknown PID") << "22" << -1;
    }
    void rowKeys() {
        QFETCH(QString, key);
        QFETCH(int, entry);
        SensorTable t;
        t.AddRow(0x21, 0, QStringLiteral("distance"), QStringLiteral("km"));
        t.AddRow(0x24, 0, QStringLiteral("ratio"), QStringLiteral("lambda"));
        t.AddRow(0x24, 1, QStringLiteral("voltage"), QStringLiteral("V"));
        QCOMPARE(t.IndexOfKey(key), entry);
        if (entry >= 0)
            QCOMPARE(t[entry].Key(), key);
    }
    // Run under ThreadSanitizer: a reader never sees a text being replaced.
    void valueReadWhileReplaced() {
        SensorTable t;
        std::atomic<bool> done{false};
        std::thread writer([&] {
            for (int i = 0; i < 20000; ++i)
                t.SetValue(3, QString::number(i) + QStringLiteral(",5"));
            done = true;
        });
        bool whole = true;
        while (!done)
            whole = whole && !t.Value(3).isEmpty();
        writer.join();
        QVERIFY(whole);
        QCOMPARE(t.Value(3), QStringLiteral("19999,5"));
    }
};

QTEST_GUILESS_MAIN(TestSensorTable)
#include "tst_sensortable.moc"
