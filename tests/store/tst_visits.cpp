// Visits saved to and read from dtchead.dbf and dtcmain.dbf: round trip with
// the files as other readers see them, refused saves, and saves killed
// midway. The lists, filters and histories are in the record tests that run
// on both stores (tst_records).
#include "store/visits.h"
#include "support_tables.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace obd;
using obd::test::errorText;
using obd::test::runPython;

namespace {

VisitRecord visitOf(qint32 customer, const QString& vin, const QDateTime& when,
                    std::vector<VisitCode> codes = {}) {
    VisitRecord v;
    v.customer = customer;
    v.vin = vin;
    v.when = when;
    v.codes = std::move(codes);
    return v;
}

QDateTime at(int day, int hour) {
    return QDateTime(QDate(2026, 11, day), QTime(hour, 15, 30));
}

} // namespace

class TestVisits : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TableStore> m_tables;
    QString folder() const { return m_dir->filePath("data"); }
    QString table(const char* name) const { return QDir(folder()).filePath(name); }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        obd::test::copyDeliveredTables(folder());
        m_tables = std::make_unique<TableStore>();
        m_tables->OpenAll(folder());
    }
    void cleanup() { m_tables.reset(); }

    void roundTrip() {
        VisitRecord full = visitOf(4, "WVWZZZ1KZ6W000001", at(2, 9),
                                   {{"P0101", CodeKind::Stored, "Luftmassenmesser", "7E8"},
                                    {"P0420", CodeKind::Pending, "Katalysator", "7E8"},
                                    {"U0100", CodeKind::Permanent, "Keine Verbindung", ""}});
        full.vehicle = "Golf V";
        full.protocol = "ISO 15765-4 (CAN 11/500)";
        full.milOn = true;
        full.readiness = ReadinessOf(TMonitorStatus{
            .MisfireSupported = true, .CatalystSupported = true, .CatalystIncomplete = true});
        full.odometerKm = 123456;
        full.distanceSinceClearKm = 0;
        full.freezeFrame = "Drehzahl: 850 U/min\nKühlmittel: 90 °C";
        full.remark = "Kunde meldet Ruckeln";
        VisitRecord bare = visitOf(5, "", at(3, 10));

        VisitStore store(*m_tables);
        QCOMPARE(store.SaveVisit(full), 0);
        QCOMPARE(store.SaveVisit(bare), 1);
        QCOMPARE(m_tables->tOptions.FieldByName("VISITNR").AsInteger(), 2);

        // Read back by a fresh store, as after a restart.
        m_tables = std::make_unique<TableStore>();
        m_tables->OpenAll(folder());
        VisitStore reopened(*m_tables);
        QCOMPARE(reopened.LoadVisit(0), std::optional<VisitRecord>(full));
        QCOMPARE(reopened.LoadVisit(1), std::optional<VisitRecord>(bare));
        QCOMPARE(reopened.LoadVisit(2), std::nullopt);
        QCOMPARE(full.readiness[0], Readiness::Complete);
        QCOMPARE(full.readiness[1], Readiness::Unsupported);
        QCOMPARE(full.readiness[3], Readiness::Incomplete);

        // What other readers see: dates as dates, numbers as numbers.
        QCOMPARE(runPython("import dbfread,sys\n"
                           "for r in dbfread.DBF(sys.argv[1], encoding='cp1252'):\n"
                           "  print(r['HEAD_NR'], r['DATE'], r['TIME'], r['MILEAGE'], "
                           "r['MIL_ON'], r['DTC_COUNT'], r['RDY_CAT'], r['COMPLETE'])\n"
                           "for r in dbfread.DBF(sys.argv[2], encoding='cp1252'):\n"
                           "  print(r['HEAD_NR'], r['DTC'], r['KIND'], r['UNIT'])",
                           {table("dtchead.dbf"), table("dtcmain.dbf")}),
                 QString("0 2026-11-02 09:15:30 123456 True 3 incomplete True\n"
                         "1 2026-11-03 10:15:30 None None 0  True\n"
                         "0 P0101 stored 7E8\n"
                         "0 P0420 pending 7E8\n"
                         "0 U0100 permanent \n"));
    }

    void refusedVisitWritesNothing() {
        VisitStore store(*m_tables);
        VisitRecord v = visitOf(1, "VIN", at(1, 1),
                                {{"P0100", CodeKind::Stored, "ok", ""},
                                 {"P0101", CodeKind::Stored, QString(201, 'x'), ""}});
        QVERIFY(errorText([&] { store.SaveVisit(v); }).startsWith("tDTCMain: "));
        v.codes.pop_back();
        v.vin = "Ü€ä 12345678901234"; // 18 characters: one too many
        QVERIFY(errorText([&] { store.SaveVisit(v); }).startsWith("tDTCHead: "));
        QCOMPARE(m_tables->tDTCMain.RecordCount(), 0);
        QCOMPARE(m_tables->tDTCHead.RecordCount(), 0);
        QCOMPARE(m_tables->tOptions.FieldByName("VISITNR").AsInteger(), 0);
    }

    void killedSavesLeaveWholeVisits_data() {
        QTest::addColumn<int>("savesBeforeKill");
        QTest::newRow("early") << 2;
        QTest::newRow("later") << 40;
    }
    void killedSavesLeaveWholeVisits() {
        QFETCH(int, savesBeforeKill);
        m_tables.reset(); // the child is the writer
        QProcess child;
        child.start(QCoreApplication::applicationDirPath() + "/store_visitloop", {folder()});
        QVERIFY(child.waitForStarted());
        int completed = 0;
        while (completed < savesBeforeKill) {
            QVERIFY2(child.waitForReadyRead(10000), qPrintable(child.readAllStandardError()));
            while (child.canReadLine()) {
                QCOMPARE(child.readLine().trimmed().toInt(), completed);
                ++completed;
            }
        }
        QThread::usleep(QRandomGenerator::global()->bounded(5000));
        child.kill();
        QVERIFY(child.waitForFinished());
        while (child.canReadLine())
            if (child.readLine().trimmed().toInt() == completed)
                ++completed;

        // Every visit header dbfread sees is complete and has all its codes;
        // the saves that returned are all there, and at most the one in flight.
        const QStringList heads =
            runPython("import dbfread,sys,collections\n"
                      "codes=collections.Counter(r['HEAD_NR'] for r in dbfread.DBF(sys.argv[2]))\n"
                      "for h in dbfread.DBF(sys.argv[1]):\n"
                      "  assert h['COMPLETE'] is True, h\n"
                      "  assert codes[h['HEAD_NR']] == h['DTC_COUNT'], (h, codes[h['HEAD_NR']])\n"
                      "  print(h['HEAD_NR'])",
                      {table("dtchead.dbf"), table("dtcmain.dbf")})
                .split('\n', Qt::SkipEmptyParts);
        QVERIFY2(heads.size() == completed || heads.size() == completed + 1,
                 qPrintable(QString("%1 of %2").arg(heads.size()).arg(completed)));
        for (int i = 0; i < heads.size(); ++i)
            QCOMPARE(heads[i].toInt(), i);

        // The lock died with the child: this store writes, and numbers go on.
        TableStore tables;
        tables.OpenAll(folder());
        QVERIFY(!tables.ReadOnly());
        // The engine trusts the header's count, which the visit in flight may
        // not have reached (dbfread reads on to the end mark): it sees the
        // returned saves and at most that one.
        VisitStore store(tables);
        const size_t listed = store.ListVisits().size();
        QVERIFY(listed == size_t(completed) || listed == size_t(completed) + 1);
        VisitRecord next = visitOf(1, "", at(1, 1));
        QVERIFY(store.SaveVisit(next) >= heads.size());
    }
};

QTEST_GUILESS_MAIN(TestVisits)
#include "tst_visits.moc"
