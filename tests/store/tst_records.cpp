// One table of record tests run on both stores, the dBase tables and the
// PostgreSQL server (a real cluster of its own): every field of a customer
// and a visit comes back as saved, lists and filters agree, refused input
// stores nothing, hostile texts stay texts.
#include "common/regional.h"
#include "store/tableschema.h"
#include "support_records.h"
#include "support_tables.h"

#include <QTest>

using namespace obd;
using obd::test::errorText;

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

// Rows "tables" and "server" (plus a case name) with the column "server".
void addStores(const char* caseName = nullptr) {
    for (const bool server : {false, true}) {
        const QByteArray store = server ? "server" : "tables";
        QTest::newRow(caseName ? (store + ": " + caseName).constData() : store.constData())
            << server;
    }
}

qint32 addCustomer(Records& records, const QString& name, const QDate& date = {},
                   const QString& address = {}) {
    Dataset& customers = records.Customers();
    customers.Insert();
    customers.FieldByName("NAME").SetAsString(name);
    if (date.isValid())
        customers.FieldByName("DATE").SetAsString(ShortDateText(date));
    customers.FieldByName("ADDRESS").SetAsString(LinesForField(address));
    customers.Post();
    return customers.FieldByName("CUST_NR").AsInteger();
}

} // namespace

class TestRecords : public QObject {
    Q_OBJECT
    std::unique_ptr<test::RecordStores> m_stores;
    std::unique_ptr<Records> m_records;

    Records& fresh() {
        QFETCH(bool, server);
        m_records.reset();
        m_records = m_stores->Fresh(server);
        return *m_records;
    }
    // The store as a restarted program sees it.
    Records& reopened() {
        m_records.reset();
        m_records = m_stores->Again();
        return *m_records;
    }

private slots:
    void initTestCase() {
        m_stores = std::make_unique<test::RecordStores>();
        QVERIFY2(m_stores->Error().isEmpty(), qPrintable(m_stores->Error()));
    }
    void cleanup() { m_records.reset(); }
    void cleanupTestCase() { m_stores.reset(); }

    void everyFieldComesBack_data() {
        QTest::addColumn<bool>("server");
        addStores();
    }
    void everyFieldComesBack() {
        Records& records = fresh();
        const QDate since(2024, 2, 29);
        QCOMPARE(addCustomer(records, "Anna Ölmann", since, "Hauptstraße 1\n12345 Am See"), 0);
        VisitRecord full = visitOf(0, "WVWZZZ1KZ6W000001", at(2, 9),
                                   {{"P0101", CodeKind::Stored, "Luftmassenmesser", "7E8"},
                                    {"P0420", CodeKind::Pending, "Katalysator", "7E8"},
                                    {"U0100", CodeKind::Permanent, "Keine Verbindung", ""}});
        full.vehicle = "Golf V";
        full.protocol = "ISO 15765-4 (CAN 11/500)";
        full.milOn = false;
        full.readiness = {Readiness::Complete,   Readiness::Unsupported, Readiness::Unknown,
                          Readiness::Incomplete, Readiness::Complete,    Readiness::Unsupported,
                          Readiness::Incomplete};
        full.odometerKm = 123456;
        full.distanceSinceClearKm = 0;
        full.freezeFrame = "Drehzahl: 850 U/min\nKühlmittel: 90 °C";
        full.remark = "Kunde meldet Ruckeln";
        VisitRecord bare = visitOf(5, "", at(3, 10));
        VisitRecord now = visitOf(0, "X", QDateTime());
        now.milOn = true;
        QCOMPARE(records.SaveVisit(full), 0);
        QCOMPARE(records.SaveVisit(bare), 1);
        QCOMPARE(records.SaveVisit(now), 2);
        QVERIFY(now.when.isValid());
        QCOMPARE(now.when.time().msec(), 0);

        Records& again = reopened();
        QCOMPARE(again.LoadVisit(0), std::optional<VisitRecord>(full));
        QCOMPARE(again.LoadVisit(1), std::optional<VisitRecord>(bare));
        QCOMPARE(again.LoadVisit(2), std::optional<VisitRecord>(now));
        QCOMPARE(again.LoadVisit(3), std::nullopt);
        QCOMPARE(again.CustomerName(0), QString("Anna Ölmann"));
        QCOMPARE(again.CustomerAddress(0), QString("Hauptstraße 1\n12345 Am See"));
        QCOMPARE(again.CustomerName(5), QString());
        Dataset& customers = again.Customers();
        QCOMPARE(customers.RecordCount(), 1);
        QCOMPARE(customers.FieldByName("DATE").AsString(), ShortDateText(since));
        QCOMPARE(customers.FieldByName("CUST_NR").AsInteger(), 0);
    }

    void customersEditedAndDeleted_data() {
        QTest::addColumn<bool>("server");
        addStores();
    }
    void customersEditedAndDeleted() {
        Records& records = fresh();
        addCustomer(records, "Anna");
        addCustomer(records, "Bernd");
        Dataset& customers = records.Customers();
        customers.MoveTo(0);
        customers.Edit();
        customers.FieldByName("NAME").SetAsString("Anna Berg");
        customers.Post();
        customers.MoveTo(1);
        customers.Delete();
        QCOMPARE(addCustomer(records, "Clara"), 2); // a number is never handed out twice

        Records& again = reopened();
        QStringList names;
        for (int row = 0; row < again.Customers().RecordCount(); ++row) {
            again.Customers().MoveTo(row);
            names << again.Customers().FieldByName("NAME").AsString() + " " +
                         again.Customers().FieldByName("CUST_NR").AsString();
        }
        QCOMPARE(names, (QStringList{"Anna Berg 0", "Clara 2"}));
        QCOMPARE(again.CustomerName(1), QString());
    }

    // A freeze frame longer than a table field comes back whole, blanks at
    // the cuts included; it counts as no code.
    void longFreezeFrame_data() {
        QTest::addColumn<bool>("server");
        QTest::addColumn<QString>("frame");
        const QString line = QStringLiteral("Kühlmitteltemperatur: 90 °C");
        const std::pair<const char*, QString> frames[] = {
            {"fits exactly", QString(254, 'x')},
            {"blank at the header's cut", QString(253, 'x') + " " + QString(300, 'y')},
            {"many lines", QStringList(40, line).join('\n')}};
        for (const bool server : {false, true})
            for (const auto& [name, frame] : frames)
                QTest::addRow("%s: %s", server ? "server" : "tables", name) << server << frame;
    }
    void longFreezeFrame() {
        QFETCH(QString, frame);
        Records& records = fresh();
        VisitRecord v = visitOf(1, "VIN", at(1, 1), {{"P0100", CodeKind::Stored, "ok", ""}});
        v.freezeFrame = frame;
        records.SaveVisit(v);
        QCOMPARE(reopened().LoadVisit(v.number)->freezeFrame, frame);
        QCOMPARE(m_records->ListVisits().front().codeCount, 1);
    }

    void listNewestFirstAndFiltered_data() {
        QTest::addColumn<bool>("server");
        addStores();
    }
    void listNewestFirstAndFiltered() {
        Records& records = fresh();
        addCustomer(records, "Anna");
        addCustomer(records, "Bernd");
        std::vector<VisitRecord> visits{
            visitOf(0, "WAUZZZ8K0000A", at(5, 8), {{"P0300", CodeKind::Stored, "", ""}}),
            visitOf(1, "WBAZZZ1111111", at(9, 8)),
            visitOf(0, "WAUZZZ8K0000A", at(5, 14)),
            visitOf(0, "", at(1, 8)),
            visitOf(1, "WBA%_ZZ111", at(2, 8)),
        };
        for (VisitRecord& v : visits)
            records.SaveVisit(v);

        const auto numbers = [&](const VisitFilter& filter) {
            QList<qint32> list;
            for (const VisitSummary& s : records.ListVisits(filter))
                list << s.number;
            return list;
        };
        QCOMPARE(numbers({}), (QList<qint32>{1, 2, 0, 4, 3}));
        QCOMPARE(numbers({0, {}}), (QList<qint32>{2, 0, 3}));
        QCOMPARE(numbers({std::nullopt, "k0000"}), (QList<qint32>{2, 0}));
        QCOMPARE(numbers({1, "k0000"}), QList<qint32>{});
        // Filter characters are plain characters.
        QCOMPARE(numbers({std::nullopt, "%"}), QList<qint32>{4});
        QCOMPARE(numbers({std::nullopt, "A%_Z"}), QList<qint32>{4});
        const VisitSummary first = records.ListVisits({std::nullopt, "0000a"}).back();
        QCOMPARE(first.customerName, QString("Anna"));
        QCOMPARE(first.when, at(5, 8));
        QCOMPARE(first.codeCount, 1);
    }

    void vehiclesOfACustomerAndTheirCodes_data() {
        QTest::addColumn<bool>("server");
        addStores();
    }
    void vehiclesOfACustomerAndTheirCodes() {
        Records& records = fresh();
        std::vector<VisitRecord> visits{
            visitOf(3, "VIN-A", at(1, 8), {{"P0171", CodeKind::Stored, "Gemisch mager", "7E8"}}),
            visitOf(3, "", at(2, 8), {{"P0500", CodeKind::Stored, "Geschwindigkeit", "7E8"}}),
            visitOf(3, "VIN-A", at(7, 8),
                    {{"P0171", CodeKind::Stored, "Gemisch mager", "7E8"},
                     {"P0300", CodeKind::Pending, "Zündaussetzer", "7E9"}}),
            visitOf(8, "VIN-A", at(9, 8), {{"P0001", CodeKind::Stored, "", ""}}),
        };
        for (VisitRecord& v : visits)
            records.SaveVisit(v);

        const std::vector<VehicleSummary> vehicles = records.VehiclesOfCustomer(3);
        QCOMPARE(vehicles.size(), size_t(2));
        QCOMPARE(vehicles[0].vin, QString("VIN-A"));
        QCOMPARE(vehicles[0].lastVisit, at(7, 8));
        QCOMPARE(vehicles[0].visits, 2);
        QCOMPARE(vehicles[1].vin, QString());
        QCOMPARE(vehicles[1].visits, 1);

        QStringList history;
        for (const CodeHistoryEntry& e : records.CodeHistoryOfVehicle(3, "VIN-A"))
            history << QString("%1 %2 %3").arg(e.visit).arg(e.code.code, e.when.toString("d H"));
        QCOMPARE(history, (QStringList{"2 P0171 7 8", "2 P0300 7 8", "0 P0171 1 8"}));
    }

    // Input the tables cannot hold is refused by both stores with the same
    // message before anything is stored: the next visit takes the first number.
    void refusedVisitStoresNothing_data() {
        QTest::addColumn<bool>("server");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("vin");
        QTest::addColumn<QString>("error");
        for (const bool server : {false, true}) {
            const char* store = server ? "server" : "tables";
            QTest::addRow("%s: description too long", store)
                << server << QString(201, 'x') << "VIN"
                << QString("tDTCMain: Der Text '%1' ist zu lang für das Feld 'DESCRIPT' "
                           "(höchstens 200 Zeichen)")
                       .arg(QString(201, 'x'));
            QTest::addRow("%s: VIN too long", store)
                << server << "ok"
                << "Ü€ä 12345678901234"
                << "tDTCHead: Der Text 'Ü€ä 12345678901234' ist zu lang für das Feld 'VIN' "
                   "(höchstens 17 Zeichen)";
            QTest::addRow("%s: character the tables cannot hold", store)
                << server << "Ω"
                << "VIN"
                << "tDTCMain: Der Text 'Ω' enthält Zeichen, die das Feld 'DESCRIPT' nicht "
                   "speichern kann";
        }
    }
    void refusedVisitStoresNothing() {
        QFETCH(QString, description);
        QFETCH(QString, vin);
        QFETCH(QString, error);
        Records& records = fresh();
        VisitRecord v = visitOf(
            1, vin, at(1, 1),
            {{"P0100", CodeKind::Stored, "ok", ""}, {"P0101", CodeKind::Stored, description, ""}});
        QCOMPARE(errorText([&] { records.SaveVisit(v); }), error);
        QCOMPARE(records.ListVisits().size(), size_t(0));
        VisitRecord next = visitOf(1, "VIN", at(1, 1));
        QCOMPARE(records.SaveVisit(next), 0);
    }

    // Quotes, backslashes and statement text are kept as text.
    void hostileTextStaysText_data() {
        QTest::addColumn<bool>("server");
        addStores();
    }
    void hostileTextStaysText() {
        Records& records = fresh();
        const QString hostile = "x'); DROP TABLE visit; --\\'\"";
        addCustomer(records, hostile, {}, hostile);
        VisitRecord v = visitOf(0, "'--", at(1, 1), {{"P0100", CodeKind::Stored, hostile, "'"}});
        v.remark = hostile;
        v.vehicle = "\\\\";
        records.SaveVisit(v);
        QCOMPARE(reopened().LoadVisit(v.number), std::optional<VisitRecord>(v));
        QCOMPARE(m_records->CustomerName(0), hostile);
        QCOMPARE(m_records->ListVisits({std::nullopt, "'--"}).size(), size_t(1));
        QCOMPARE(m_records->CodeHistoryOfVehicle(0, "'--").size(), size_t(1));
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
