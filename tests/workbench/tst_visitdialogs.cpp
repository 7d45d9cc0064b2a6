// The list of saved visits with its filters, and the view of one visit.
#include "common/regional.h"
#include "store/records.h"
#include "support_pages.h"
#include "workbench/visitdialogs.h"

#include <QLineEdit>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
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
        Dataset& customers = f.ctx.records->Customers();
        for (const char* name : {"Anna", "Bernd"}) {
            customers.Insert();
            customers.FieldByName("NAME").SetAsString(name);
            customers.Post();
        }
        Records& visits = *f.ctx.records;
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

    // The report of a visit with many codes, as poppler reads the PDF.
    void reportOfAVisit() {
        VisitRecord visit;
        visit.number = 12;
        visit.customer = 3;
        visit.vin = QStringLiteral("WVWZZZ1KZ6W000001");
        visit.when = QDateTime(QDate(2026, 10, 5), QTime(9, 30));
        visit.milOn = true;
        visit.readiness.fill(Readiness::Incomplete);
        visit.remark = QStringLiteral("Kunde kommt wieder");
        visit.protocol = QStringLiteral("ISO 15765-4 (CAN 11/500)");
        visit.odometerKm = 123457;
        visit.distanceSinceClearKm = 1234;
        visit.freezeFrame = QStringLiteral("Gespeichert durch DTC: P2004\n"
                                           "Engine speed: 1726 rpm\nVehicle speed: 50 km/h");
        QStringList codes;
        for (int i = 0; i < 40; ++i) {
            codes << QStringLiteral("P%1").arg(2000 + i);
            visit.codes.push_back({codes.last(),
                                   i % 4   ? CodeKind::Stored
                                   : i % 8 ? CodeKind::Permanent
                                           : CodeKind::Pending,
                                   QStringLiteral("Text %1").arg(i), QStringLiteral("7E8")});
        }
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("bericht.pdf"));
        const ReportContent content =
            ReportOfVisit(visit, QStringLiteral("Anna"), QStringLiteral("Weg 1\n12345 Ort"));
        TfReport::SavePdf(pdf, &content);
        QProcess text;
        text.start(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000) && text.exitCode() == 0);
        const QString all = QString::fromUtf8(text.readAllStandardOutput());
        for (const QString& expected :
             QStringList{QStringLiteral("Anna (Kunden-Nr. 3)"), QStringLiteral("12345 Ort"),
                         QStringLiteral("Fahrzeug: WVWZZZ1KZ6W000001, 123457 km (seit "
                                        "Fehlerlöschung 1234 km)"),
                         QStringLiteral("Protokoll: ISO 15765-4 (CAN 11/500)"),
                         QStringLiteral("Gespeichert durch DTC: P2004"),
                         QStringLiteral("Engine speed: 1726 rpm"),
                         QStringLiteral("Vehicle speed: 50 km/h"),
                         QStringLiteral("(permanent) Text 4"), QStringLiteral("MIL: AN"),
                         QStringLiteral("Catalyst: nicht abgeschlossen"),
                         QStringLiteral("Kunde kommt wieder"),
                         QStringLiteral("Pending DTC's (Fortsetzung)")} +
                 codes)
            QVERIFY2(all.contains(expected), qPrintable(expected));
    }
};

QTEST_MAIN(TestVisitDialogs)
#include "tst_visitdialogs.moc"
