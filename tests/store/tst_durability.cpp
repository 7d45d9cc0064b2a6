// A process killed while it posts records leaves a table that other readers
// open with every record whose Post had returned.
#include "store/dataset.h"
#include "support_tables.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace obd;

class TestDurability : public QObject {
    Q_OBJECT

private slots:
    void killedDuringPosts_data() {
        QTest::addColumn<int>("postsBeforeKill");
        QTest::newRow("early") << 3;
        QTest::newRow("later") << 60;
        QTest::newRow("much later") << 200;
    }
    void killedDuringPosts() {
        QFETCH(int, postsBeforeKill);
        QTemporaryDir dir;
        const QString file = dir.filePath("customer.dbf");
        obd::test::makeCustomerTable(file);

        QProcess child;
        child.start(QCoreApplication::applicationDirPath() + "/store_postloop", {file});
        QVERIFY(child.waitForStarted());
        int completed = 0; // posts the child reported as returned
        while (completed < postsBeforeKill) {
            QVERIFY2(child.waitForReadyRead(10000), qPrintable(child.readAllStandardError()));
            while (child.canReadLine()) {
                QCOMPARE(child.readLine().trimmed().toInt(), completed);
                ++completed;
            }
        }
        // Land the kill at a random point of a later Post.
        QThread::usleep(QRandomGenerator::global()->bounded(3000));
        child.kill();
        QVERIFY(child.waitForFinished());
        while (child.canReadLine())
            if (child.readLine().trimmed().toInt() == completed)
                ++completed;

        // The oracle sees every completed record, and at most the one in flight.
        const QStringList numbers =
            obd::test::runPython("import dbfread,sys\n"
                                 "print(' '.join(str(r['CUST_NR']) for r in "
                                 "dbfread.DBF(sys.argv[1])))",
                                 {file})
                .split(' ', Qt::SkipEmptyParts);
        QVERIFY2(numbers.size() == completed || numbers.size() == completed + 1,
                 qPrintable(QString("%1 of %2").arg(numbers.size()).arg(completed)));
        for (int i = 0; i < numbers.size(); ++i)
            QCOMPARE(numbers[i].trimmed().toInt(), i);

        // We read it too, and can go on posting.
        Dataset table("tCustomer", file);
        table.Open();
        QVERIFY(table.RecordCount() >= completed && table.RecordCount() <= completed + 1);
        table.Insert();
        table.FieldByName("NAME").SetAsString("danach");
        table.Post();
        table.Close();
        table.Open();
        table.MoveTo(table.RecordCount() - 1);
        QCOMPARE(table.FieldByName("NAME").AsString(), QString("danach"));
    }
};

QTEST_GUILESS_MAIN(TestDurability)
#include "tst_durability.moc"
