// The list of saved visits with its filters, and the view of one visit.
#include "common/regional.h"
#include "store/tablestore.h"
#include "support_pages.h"
#include "workbench/visitdialogs.h"

#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

using namespace obd;
using namespace obd::test;

class TestVisitDialogs : public QObject {
    Q_OBJECT

private slots:
    void listFiltersByCustomerAndVin_data() {
        QTest::addColumn<QString>("customer");
        QTest::addColumn<QString>("vin");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("selected"); // the visit of the first row
        const QString anna2 = "Anna|WVW0000000000002|2";
        const QString bernd = "Bernd|unbekannt|0";
        const QString anna1 = "Anna|WVW0000000000001|1";
        QTest::newRow("all, newest first") << ""
                                           << "" << QStringList{anna2, bernd, anna1} << 2;
        QTest::newRow("part of a name") << "ann"
                                        << "" << QStringList{anna2, anna1} << 2;
        QTest::newRow("customer number") << "1"
                                         << "" << QStringList{bernd} << 1;
        QTest::newRow("part of a VIN") << ""
                                       << "0001" << QStringList{anna1} << 0;
        QTest::newRow("both") << "bernd"
                              << "wvw" << QStringList{} << -1;
    }
    void listFiltersByCustomerAndVin() {
        QFETCH(QString, customer);
        QFETCH(QString, vin);
        QFETCH(QStringList, rows);
        QFETCH(int, selected);
        PageFixture f;
        f.openTables();
        Dataset& customers = f.ctx.tables->tCustomer;
        for (const char* name : {"Anna", "Bernd"}) {
            customers.Insert();
            customers.FieldByName("NAME").SetAsString(name);
            customers.Post();
        }
        VisitStore visits(*f.ctx.tables);
        const auto save = [&](qint32 who, const QString& vin, int day, int codes) {
            VisitRecord v;
            v.customer = who;
            v.vin = vin;
            v.when = QDateTime(QDate(2026, 10, day), QTime(8, 0));
            for (int i = 0; i < codes; ++i)
                v.codes.push_back({QStringLiteral("P010%1").arg(i), CodeKind::Stored, {}, {}});
            visits.SaveVisit(v);
        };
        save(0, "WVW0000000000001", 1, 1);
        save(1, "", 2, 0);
        save(0, "WVW0000000000002", 3, 2);

        VisitListDialog dialog(visits);
        child<QLineEdit>(&dialog, "edVisitCustomer")->setText(customer);
        child<QLineEdit>(&dialog, "edVisitVin")->setText(vin);
        const auto* grid = child<QTableWidget>(&dialog, "VisitGrid");
        QStringList shown;
        for (int r = 0; r < grid->rowCount(); ++r)
            shown << grid->item(r, 0)->text() + '|' + grid->item(r, 1)->text() + '|' +
                         grid->item(r, 3)->text();
        QCOMPARE(shown, rows);
        QCOMPARE(dialog.SelectedVisit(), selected);
    }
};

QTEST_MAIN(TestVisitDialogs)
#include "tst_visitdialogs.moc"
