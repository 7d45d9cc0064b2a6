// The grids of a customer's vehicles and of a vehicle's history: "Customer
// Vehicles" leads to "Vehicle", which lists the vehicle's visits, and "DTC's"
// lists its codes by visit with how often each came up.
#include "common/regional.h"
#include "store/records.h"
#include "support_main.h"
#include "support_pages.h"
#include "workbench/customerpage.h"
#include "workbench/historypages.h"
#include "workbench/mainwindow.h"

#include <QComboBox>
#include <QLabel>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

using namespace obd;
using namespace obd::test;

namespace {

QStringList rows(const QTableWidget* grid, std::initializer_list<int> columns) {
    QStringList list;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c : columns)
            cells << grid->item(r, c)->text();
        list << cells.join(QLatin1Char('|'));
    }
    return list;
}

} // namespace

class TestHistoryPages : public QObject {
    Q_OBJECT

private slots:
    // The page "Vehicle" before any customer was entered says so, not that a
    // customer has no saved diagnosis.
    void vehiclePageWithoutCustomers() {
        MainFixture f;
        TfMain& w = f.start();
        w.Timer1().stop();
        QCOMPARE(w.Context().records->Customers().RecordCount(), 0);
        w.MenuBarBtnClick(child<QToolButton>(&w, QStringLiteral("btnVehicle")));
        auto* label = child<QLabel>(&w, QStringLiteral("labVehicle"));
        QVERIFY(label->isVisible());
        QCOMPARE(label->text(), QStringLiteral("Kein Fahrzeug: es gibt noch keinen Kunden."));
        QCOMPARE(label->accessibleName(), label->text());
        QVERIFY(f.shown.isEmpty());
    }

    void customerWithTwoVehicles() {
        PageFixture f;
        f.openTables();
        Dataset& customers = f.ctx.records->Customers();
        customers.Insert();
        customers.FieldByName("NAME").SetAsString("Anna");
        customers.Post();
        Records& visits = *f.ctx.records;
        const auto save = [&](const QString& vin, int day, QStringList codes) {
            VisitRecord v;
            v.customer = 0;
            v.vin = vin;
            v.when = QDateTime(QDate(2026, 9, day), QTime(8, 0));
            for (const QString& c : codes)
                v.codes.push_back({c, CodeKind::Stored, "Text " + c, {}});
            visits.SaveVisit(v);
        };
        save("VIN-A", 1, {"P0171"});
        save("", 2, {"P0500"});
        save("VIN-A", 3, {"P0171", "P0300"});

        QStringList shownPages;
        f.ctx.showPage = [&](const QString& page) { shownPages << page; };
        CustomerPage customer(f.ctx);
        VehiclePage vehicle(f.ctx);
        DtcsPage codes(f.ctx);

        // The latest vehicle first; a double-click opens its history.
        auto* vehicles = child<QTableView>(&customer, "DBGrid2");
        QCOMPARE(vehicles->model()->rowCount(), 2);
        QCOMPARE(vehicles->model()->index(0, 0).data().toString(), QString("VIN-A"));
        QCOMPARE(vehicles->model()->index(1, 0).data().toString(), QString("unbekannt"));
        customer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&customer));
        const QRect cell = vehicles->visualRect(vehicles->model()->index(0, 0));
        QVERIFY(!cell.isEmpty());
        QTest::mouseClick(vehicles->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(vehicles->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(shownPages, QStringList{"Vehicle"});

        vehicle.Refill();
        QCOMPARE(child<QLabel>(&vehicle, "labVehicle")->text(),
                 QString("Fahrzeug: VIN-A\nKunde: Anna (Nr. 0)\nBesuche: 2"));
        QCOMPARE(rows(child<QTableWidget>(&vehicle, "VisitsGrid"), {1, 2}),
                 (QStringList{"2|2", "0|1"}));

        codes.Refill();
        auto* choice = child<QComboBox>(&codes, "FlatComboBox3");
        QCOMPARE(choice->currentText(), QString("VIN-A"));
        QCOMPARE(choice->count(), 2);
        auto* grid = child<QTableWidget>(&codes, "DBGrid3");
        QCOMPARE(rows(grid, {1, 2, 4}), (QStringList{"2|P0171|2", "2|P0300|1", "0|P0171|2"}));
        choice->setCurrentIndex(choice->findText("unbekannt"));
        QCOMPARE(rows(grid, {1, 2, 5}), (QStringList{"1|P0500|Text P0500"}));
        vehicle.Refill();
        QVERIFY(child<QLabel>(&vehicle, "labVehicle")->text().startsWith("Fahrzeug: unbekannt"));
    }
};

QTEST_MAIN(TestHistoryPages)
#include "tst_historypages.moc"
