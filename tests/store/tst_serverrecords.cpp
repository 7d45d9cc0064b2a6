// The records server under the faults of a workshop network, on a real
// throwaway cluster: two workstations saving at once, a client killed and
// the server stopped in the middle of saves, the server unreachable at
// start, customers changed on another workstation, the schema's version,
// and the import of local tables run twice.
#include "common/errors.h"
#include "store/recordsimport.h"
#include "store/serverrecords.h"
#include "support/pgcluster.h"
#include "support_tables.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace obd;
using obd::test::errorText;

namespace {

VisitRecord visitOf(qint32 customer, const QString& vin, std::vector<VisitCode> codes = {}) {
    VisitRecord v;
    v.customer = customer;
    v.vin = vin;
    v.when = QDateTime(QDate(2026, 11, 2), QTime(9, 15, 30));
    v.codes = std::move(codes);
    return v;
}

// Whole visits only: none whose codes differ from its code count.
int brokenVisits(ServerRecords& records) {
    return records
        .Value("SELECT count(*) FROM visit v WHERE code_count <> "
               "(SELECT count(*) FROM visit_code c WHERE c.visit_nr = v.visit_nr)")
        .toInt();
}

QSet<qint32> listed(ServerRecords& records) {
    QSet<qint32> numbers;
    for (const VisitSummary& v : records.ListVisits())
        numbers.insert(v.number);
    return numbers;
}

} // namespace

class TestServerRecords : public QObject {
    Q_OBJECT
    std::unique_ptr<test::PgCluster> m_cluster;
    ServerSettings m_server;

    // A writer process saving count visits (-1: until it is stopped).
    std::unique_ptr<QProcess> writer(int count) {
        auto p = std::make_unique<QProcess>();
        p->start(QCoreApplication::applicationDirPath() + "/store_serverloop",
                 {m_server.host, QString::number(m_server.port), m_server.database, m_server.user,
                  QString::number(count)});
        return p;
    }
    // Reads the numbers a writer printed until it printed at least n.
    static void readNumbers(QProcess& p, QSet<qint32>& numbers, int n) {
        while (numbers.size() < n) {
            if (!p.canReadLine() && !p.waitForReadyRead(20000))
                QFAIL(qPrintable("writer stopped: " + p.readAllStandardError()));
            while (p.canReadLine())
                numbers.insert(p.readLine().trimmed().toInt());
        }
    }
    static void readRest(QProcess& p, QSet<qint32>& numbers) {
        while (p.canReadLine())
            numbers.insert(p.readLine().trimmed().toInt());
    }

private slots:
    void initTestCase() {
        m_cluster = std::make_unique<test::PgCluster>();
        QVERIFY2(m_cluster->Error().isEmpty(), qPrintable(m_cluster->Error()));
    }
    void init() {
        // A case that failed while the server was stopped leaves it stopped.
        if (!m_cluster->Running())
            QVERIFY2(m_cluster->Start(), qPrintable(m_cluster->Error()));
        m_server = {m_cluster->SocketFolder(), m_cluster->Port(), m_cluster->CreateDatabase(),
                    m_cluster->User()};
        QVERIFY2(!m_server.database.isEmpty(), qPrintable(m_cluster->Error()));
    }
    void cleanupTestCase() { m_cluster.reset(); }

    // Both create the schema on the empty database at the same moment and
    // then save; every visit is there once, with all its codes.
    void twoWorkstationsSaveAtOnce() {
        const auto first = writer(60);
        const auto second = writer(60);
        QSet<qint32> numbers[2];
        int i = 0;
        for (QProcess* p : {first.get(), second.get()}) {
            QVERIFY(p->waitForFinished(120000));
            QVERIFY2(p->exitCode() == 0, qPrintable(p->readAllStandardError()));
            readRest(*p, numbers[i++]);
        }
        QCOMPARE(numbers[0].size() + numbers[1].size(), 120);
        QVERIFY(!numbers[0].intersects(numbers[1]));
        ServerRecords records(m_server);
        records.Open();
        QCOMPARE(listed(records), numbers[0] + numbers[1]);
        QCOMPARE(records.Value("SELECT count(*) FROM visit_code").toInt(), 120 * 20);
        QCOMPARE(brokenVisits(records), 0);
    }

    void killedClientLeavesWholeVisits() {
        const auto p = writer(-1);
        QSet<qint32> saved;
        readNumbers(*p, saved, 5);
        QThread::usleep(QRandomGenerator::global()->bounded(3000));
        p->kill();
        QVERIFY(p->waitForFinished());
        readRest(*p, saved);
        ServerRecords records(m_server);
        records.Open();
        const QSet<qint32> there = listed(records);
        QVERIFY(there.contains(saved));
        QVERIFY(there.size() <= saved.size() + 1);
        QCOMPARE(brokenVisits(records), 0);
        // The next save goes on with the next number.
        VisitRecord next = visitOf(1, "VIN");
        QVERIFY(records.SaveVisit(next) > *std::max_element(there.begin(), there.end()));
    }

    void serverStoppedMidSave() {
        const auto p = writer(-1);
        QSet<qint32> saved;
        readNumbers(*p, saved, 5);
        QVERIFY2(m_cluster->Stop(), qPrintable(m_cluster->Error()));
        QVERIFY(p->waitForFinished(20000));
        readRest(*p, saved);
        const QString error = p->readAllStandardError();
        QVERIFY2(p->exitCode() == 1 && error.contains("Die Diagnose wurde nicht gespeichert."),
                 qPrintable(error));
        QVERIFY2(m_cluster->Start(), qPrintable(m_cluster->Error()));
        ServerRecords records(m_server);
        records.Open();
        const QSet<qint32> there = listed(records);
        QVERIFY(there.contains(saved));
        QVERIFY(there.size() <= saved.size() + 1);
        QCOMPARE(brokenVisits(records), 0);
    }

    // The reading stays with the caller and is saved once the server is back.
    void saveAgainWhenTheServerIsBack() {
        ServerRecords records(m_server);
        records.Open();
        VisitRecord v = visitOf(0, "VIN", {{"P0300", CodeKind::Stored, "Zündaussetzer", "7E8"}});
        QVERIFY2(m_cluster->Stop(), qPrintable(m_cluster->Error()));
        const QString error = errorText([&] { records.SaveVisit(v); });
        QVERIFY2(error.startsWith("Die Diagnose wurde nicht gespeichert.\n"), qPrintable(error));
        QVERIFY(error.endsWith("Sie bleibt im Fenster und kann erneut gespeichert werden."));
        QCOMPARE(v.number, -1);
        // Still down: the next try says so again, and nothing hangs.
        QVERIFY(errorText([&] { records.SaveVisit(v); }).contains("nicht erreichbar"));
        QVERIFY2(m_cluster->Start(), qPrintable(m_cluster->Error()));
        QCOMPARE(records.SaveVisit(v), 0);
        QCOMPARE(records.LoadVisit(0), std::optional<VisitRecord>(v));
    }

    void unreachableAtStart() {
        ServerSettings elsewhere = m_server;
        elsewhere.host = m_server.host + "/none";
        ServerRecords records(elsewhere);
        const QString error = errorText([&] { records.Open(); });
        QVERIFY2(error.startsWith(QString("Der Datenbankserver \"%1\" auf %2/none:5432 ist nicht "
                                          "erreichbar:\n")
                                      .arg(m_server.database, m_server.host)),
                 qPrintable(error));
        QVERIFY(errorText([&] { records.ListVisits(); }).contains("nicht erreichbar"));
    }

    // A change on one workstation shows on the other when its list is read
    // again; a customer open for editing holds nothing locked.
    void otherWorkstationsChanges() {
        ServerRecords desk(m_server), bay(m_server);
        desk.Open();
        bay.Open();
        Dataset& deskList = desk.Customers();
        deskList.Insert();
        deskList.FieldByName("NAME").SetAsString("Anna");
        deskList.Post();
        QCOMPARE(bay.Customers().RecordCount(), 0);
        bay.RefreshCustomers();
        QCOMPARE(bay.Customers().RecordCount(), 1);

        deskList.Edit();
        deskList.FieldByName("NAME").SetAsString("Anna Berg");
        Dataset& bayList = bay.Customers();
        bayList.Edit();
        bayList.FieldByName("NAME").SetAsString("Anna Brandt");
        bayList.Post(); // not held up by the desk's open edit
        deskList.Post();
        bay.RefreshCustomers();
        QCOMPARE(bayList.FieldByName("NAME").AsString(), QString("Anna Berg"));
        QCOMPARE(bay.CustomerName(0), QString("Anna Berg"));
    }

    void schemaByVersion() {
        {
            ServerRecords records(m_server);
            records.Open();
            QCOMPARE(records.Value("SELECT max(version) FROM schema_version").toInt(),
                     ServerRecords::SchemaVersion());
            records.Run("UPDATE schema_version SET version = version + 1");
        }
        ServerRecords newer(m_server);
        QCOMPARE(errorText([&] { newer.Open(); }),
                 QString("Die Datenbank \"%1\" auf %2:5432 hat die Schema-Version %3; dieses "
                         "Programm kennt nur bis %4. Bitte das Programm aktualisieren.")
                     .arg(m_server.database, m_server.host)
                     .arg(ServerRecords::SchemaVersion() + 1)
                     .arg(ServerRecords::SchemaVersion()));
    }

    void importTwiceAddsNothing() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("data");
        test::copyDeliveredTables(folder);
        std::vector<VisitRecord> local;
        {
            TableRecords tables(folder);
            tables.Open();
            for (const char* name : {"Anna", "Bernd"}) {
                tables.Customers().Insert();
                tables.Customers().FieldByName("NAME").SetAsString(name);
                tables.Customers().Post();
            }
            local = {visitOf(1, "VIN-B",
                             {{"P0100", CodeKind::Stored, "Luft", "7E8"},
                              {"P0420", CodeKind::Pending, "Kat", ""}}),
                     visitOf(0, "VIN-A"),
                     visitOf(7, "VIN-G", {{"U0100", CodeKind::Permanent, "", ""}})};
            local[0].freezeFrame = "Drehzahl: 850 U/min";
            for (VisitRecord& v : local)
                tables.SaveVisit(v);
        }
        ServerRecords server(m_server);
        server.Open();
        server.Customers().Insert();
        server.Customers().FieldByName("NAME").SetAsString("Schon da");
        server.Customers().Post();

        const ImportResult first = ImportLocalTables(folder, server);
        QCOMPARE(first.customers.read, 2);
        QCOMPARE(first.customers.added, 2);
        QCOMPARE(first.visits.read, 3);
        QCOMPARE(first.visits.added, 3);
        QCOMPARE(first.codes, 3);
        QVERIFY(first.Text().contains("Kunden: 2 gelesen, 2 neu übernommen, 0 waren schon da."));
        const ImportResult second = ImportLocalTables(folder, server);
        QCOMPARE(second.customers.added, 0);
        QCOMPARE(second.visits.added, 0);
        QVERIFY(
            second.Text().contains("Diagnosen: 3 gelesen, 0 neu übernommen, 3 waren schon da."));

        // Customer numbers follow the server's; visits keep every field.
        QCOMPARE(server.Customers().RecordCount(), 4); // with the one of the lost customer 7
        const std::vector<VisitSummary> visits = server.ListVisits({std::nullopt, "VIN-B"});
        QCOMPARE(visits.size(), size_t(1));
        QCOMPARE(visits[0].customerName, QString("Bernd"));
        VisitRecord imported = *server.LoadVisit(visits[0].number);
        QCOMPARE(imported.customer, 2);
        imported.number = local[0].number;
        imported.customer = local[0].customer;
        QCOMPARE(imported, local[0]);
        QVERIFY(server.CustomerName(server.ListVisits({std::nullopt, "VIN-G"})[0].customer)
                    .startsWith("Kunde Nr. 7 (gelöscht"));
    }
};

QTEST_GUILESS_MAIN(TestServerRecords)
#include "tst_serverrecords.moc"
