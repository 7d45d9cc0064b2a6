#include "support_pages.h"

#include "common/regional.h"
#include "store/records.h"
#include "store/visits.h"
#include "support/testenv.h"
#include "workbench/customerpage.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QtTest>

using namespace obd;

namespace {

// customer.dbf as dbfread reads it: "name|number|date" per visible record,
// then "deleted name|number" per deleted one.
QString customerFile(const WorkbenchContext& ctx) {
    return test::runPython(
        QStringLiteral("import dbfread,sys\n"
                       "t = dbfread.DBF(sys.argv[1], char_decode_errors='strict')\n"
                       "for r in t: print('%s|%s|%s' % (r['NAME'], r['CUST_NR'], r['DATE']))\n"
                       "for r in t.deleted: print('deleted %s|%s' % (r['NAME'], r['CUST_NR']))\n"),
        {ctx.paths.dataFolder() + QStringLiteral("/customer.dbf")});
}

QString counterFile(const WorkbenchContext& ctx) {
    return test::runPython(
        QStringLiteral("import dbfread,sys\n"
                       "print([r['CUSTOMERNR'] for r in dbfread.DBF(sys.argv[1])])\n"),
        {ctx.paths.dataFolder() + QStringLiteral("/options.dbf")});
}

} // namespace

class TestCustomerPage : public QObject {
    Q_OBJECT

    std::unique_ptr<test::PageFixture> f;
    std::unique_ptr<CustomerPage> page;
    QString today;

    template <class W> W* control(const char* name) {
        return test::child<W>(page.get(), QLatin1String(name));
    }
    void setName(const QString& name) { control<QLineEdit>("edCustomerName")->setText(name); }
    void addCustomer(const QString& name) {
        click("btnCustomerAdd");
        setName(name);
        click("btnCustomerSave");
    }
    QString box(const char* name) { return control<QLineEdit>(name)->text(); }
    void click(const char* name) { QTest::mouseClick(control<QWidget>(name), Qt::LeftButton); }
    Dataset& customers() { return f->ctx.records->Customers(); }

private slots:
    void initTestCase() {
        QVERIFY(test::useTimeLocale("de_DE.UTF-8"));
        today = ShortDateText(QDate::currentDate());
    }
    void init() {
        f = std::make_unique<test::PageFixture>();
        f->openTables();
        page = std::make_unique<CustomerPage>(f->ctx);
        page->show();
    }
    void cleanup() {
        page.reset();
        f.reset();
    }

    void addSaveNumbersFromCounter() {
        click("btnCustomerAdd");
        QCOMPARE(box("edCustomerDate"), today);
        setName(QStringLiteral("Müller"));
        click("btnCustomerSave");
        QCOMPARE(box("edCustomerNr"), QStringLiteral("0"));
        addCustomer(QStringLiteral("Meier"));
        QCOMPARE(box("edCustomerNr"), QStringLiteral("1"));
        QCOMPARE(f->shown.size(), 0);
        const QString isoToday = QDate::currentDate().toString(Qt::ISODate);
        QCOMPARE(customerFile(f->ctx), QStringLiteral("Müller|0|%1\nMeier|1|%1").arg(isoToday));
        QCOMPARE(counterFile(f->ctx), QStringLiteral("[2]"));
        QCOMPARE(control<QTableView>("DBGrid1")->model()->rowCount(), 2);
        QCOMPARE(control<QTableView>("DBGrid1")->currentIndex().row(), 1);
    }
    void addTwiceStoresFirstWithNumberOnly() {
        click("btnCustomerAdd");
        control<QPlainTextEdit>("edCustomerAddress")->setPlainText(QStringLiteral("Weg 1"));
        click("btnCustomerAdd");
        QCOMPARE(customers().State(), DatasetState::Insert);
        QVERIFY(control<QPlainTextEdit>("edCustomerAddress")->toPlainText().isEmpty());
        QCOMPARE(customerFile(f->ctx),
                 QStringLiteral("|0|%1").arg(QDate::currentDate().toString(Qt::ISODate)));
    }
    void addThenCancelStoresNothing() {
        addCustomer(QStringLiteral("Erster"));
        click("btnCustomerAdd");
        setName(QStringLiteral("Zweiter"));
        click("btnCustomerCancel");
        QCOMPARE(customers().State(), DatasetState::Browse);
        QCOMPARE(box("edCustomerName"), QStringLiteral("Erster"));
        QCOMPARE(box("edCustomerNr"), QStringLiteral("0"));
        QCOMPARE(counterFile(f->ctx), QStringLiteral("[1]"));
        QCOMPARE(customers().RecordCount(), 1);
    }
    void cancelDiscardsTyping() {
        addCustomer(QStringLiteral("Erster"));
        setName(QStringLiteral("getippt"));
        click("btnCustomerCancel");
        QCOMPARE(box("edCustomerName"), QStringLiteral("Erster"));
    }
    void deleteAfterAddAnsweredNoKeepsRecord() {
        click("btnCustomerAdd");
        f->answers = {BoxButton::No};
        click("btnCustomerDelete");
        QCOMPARE(f->shown.size(), 1);
        QCOMPARE(f->shown[0].caption, QStringLiteral("Warnung"));
        QCOMPARE(f->shown[0].text, QStringLiteral("Wollen Sie wirklich diesen Datensatz löschen?"));
        QCOMPARE(customers().RecordCount(), 1);
        QCOMPARE(box("edCustomerNr"), QStringLiteral("0"));
    }
    void deletedRecordHiddenAndKeptInFile() {
        for (const char* name : {"Anna", "Berta"}) {
            addCustomer(QLatin1String(name));
        }
        customers().First();
        f->answers = {BoxButton::Yes};
        click("btnCustomerDelete");
        QCOMPARE(box("edCustomerName"), QStringLiteral("Berta"));
        QCOMPARE(control<QTableView>("DBGrid1")->model()->rowCount(), 1);
        const QString file = customerFile(f->ctx);
        QVERIFY2(file.startsWith(QStringLiteral("Berta|1|")), qPrintable(file));
        QVERIFY2(file.endsWith(QStringLiteral("deleted Anna|0")), qPrintable(file));
    }
    void deleteOnEmptyTableReportsTableError() {
        f->answers = {BoxButton::Yes};
        click("btnCustomerDelete");
        QCOMPARE(f->shown.size(), 2);
        QCOMPARE(f->shown[1].caption, QStringLiteral("Fehler"));
        QVERIFY(f->shown[1].text.contains(
            QStringLiteral("Operation bei leerer Datenmenge nicht ausführbar")));
    }
    void saveOnEmptyTableCreatesFirstCustomer() {
        setName(QStringLiteral("Neu"));
        control<QLineEdit>("edCustomerDate")->setText(today);
        click("btnCustomerSave");
        QCOMPARE(customers().RecordCount(), 1);
        QCOMPARE(box("edCustomerNr"), QStringLiteral("0"));
    }
    void emptyNameWarnsAndStoresNothing() {
        click("btnCustomerAdd");
        click("btnCustomerSave");
        QCOMPARE(f->shown.size(), 1);
        QCOMPARE(f->shown[0].caption, QStringLiteral("Warnung"));
        QCOMPARE(f->shown[0].text, QStringLiteral("Das Feld \"Name\" darf nicht leer sein."));
        QCOMPARE(customers().State(), DatasetState::Insert);
        QCOMPARE(customerFile(f->ctx), QString());
    }
    void renameKeepsNumber() {
        addCustomer(QStringLiteral("Alt"));
        setName(QStringLiteral("Neu"));
        click("btnCustomerSave");
        QCOMPARE(box("edCustomerNr"), QStringLiteral("0"));
        QCOMPARE(counterFile(f->ctx), QStringLiteral("[1]"));
        QVERIFY(customerFile(f->ctx).startsWith(QStringLiteral("Neu|0|")));
    }
    void badDateStaysPendingAndReports() {
        click("btnCustomerAdd");
        setName(QStringLiteral("X"));
        control<QLineEdit>("edCustomerDate")->setText(QStringLiteral("31.02.2026"));
        click("btnCustomerSave");
        QCOMPARE(f->shown.size(), 1);
        QCOMPARE(f->shown[0].caption, QStringLiteral("Fehler"));
        QCOMPARE(customers().State(), DatasetState::Insert);
        QCOMPARE(box("edCustomerName"), QStringLiteral("X")); // the record's present values
    }
    void clickOnRowStoresAddedRecordAndDiscardsTyping() {
        addCustomer(QStringLiteral("Erster"));
        click("btnCustomerAdd");
        setName(QStringLiteral("nie gespeichert"));
        auto* grid = control<QTableView>("DBGrid1");
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(0, 0)).center());
        QCOMPARE(box("edCustomerName"), QStringLiteral("Erster"));
        QCOMPARE(customers().RecordCount(), 2);
        QCOMPARE(counterFile(f->ctx), QStringLiteral("[2]"));
    }
    void ctrlDeleteAsksItsOwnQuestion() {
        addCustomer(QStringLiteral("Weg"));
        auto* grid = control<QTableView>("DBGrid1");
        f->answers = {BoxButton::Cancel};
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(customers().RecordCount(), 1);
        f->answers = {BoxButton::Ok};
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(customers().RecordCount(), 0);
        QCOMPARE(f->shown.size(), 2);
        QCOMPARE(f->shown[0].caption, QStringLiteral("Bestätigung"));
        QCOMPARE(f->shown[0].text, QStringLiteral("Datensatz löschen?"));
    }
    void vehicleGridStaysEmpty() {
        auto* grid = control<QTableView>("DBGrid2");
        QCOMPARE(grid->model()->rowCount(), 0);
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Vehicle"));
    }
    void addressStoredAndShownAgain() {
        click("btnCustomerAdd");
        setName(QStringLiteral("Anna"));
        auto* address = control<QPlainTextEdit>("edCustomerAddress");
        address->setPlainText(QStringLiteral("Hauptstraße 1\n12345 Musterstadt"));
        click("btnCustomerSave");
        addCustomer(QStringLiteral("Bernd"));
        QVERIFY(address->toPlainText().isEmpty());
        customers().First();
        QCOMPARE(address->toPlainText(), QStringLiteral("Hauptstraße 1\n12345 Musterstadt"));
        QCOMPARE(test::runPython(QStringLiteral("import dbfread,sys\n"
                                                "print(repr(next(iter(dbfread.DBF(sys.argv[1], "
                                                "encoding='cp1252')))['ADDRESS']))"),
                                 {f->ctx.paths.dataFolder() + QStringLiteral("/customer.dbf")}),
                 QStringLiteral("'Hauptstraße 1\\r\\n12345 Musterstadt'"));
    }
    void vehiclesOfTheCurrentCustomer() {
        addCustomer(QStringLiteral("Anna"));
        addCustomer(QStringLiteral("Bernd"));
        Records& visits = *f->ctx.records;
        const auto save = [&](qint32 customer, const QString& vin, int day) {
            VisitRecord v;
            v.customer = customer;
            v.vin = vin;
            v.when = QDateTime(QDate(2026, 11, day), QTime(10, 0));
            visits.SaveVisit(v);
        };
        save(0, QStringLiteral("WVWZZZ1KZ6W000001"), 3);
        save(0, QString(), 5);
        save(0, QStringLiteral("WVWZZZ1KZ6W000001"), 1);
        save(1, QStringLiteral("WBA00000000000002"), 7);
        customers().First();
        const QAbstractItemModel* grid = control<QTableView>("DBGrid2")->model();
        const auto row = [&](int r) {
            return QStringList{grid->index(r, 0).data().toString(),
                               grid->index(r, 1).data().toString(),
                               grid->index(r, 2).data().toString()};
        };
        QCOMPARE(grid->rowCount(), 2);
        QCOMPARE(row(0), (QStringList{QStringLiteral("unbekannt"),
                                      ShortDateText(QDate(2026, 11, 5)), QStringLiteral("0")}));
        QCOMPARE(row(1), (QStringList{QStringLiteral("WVWZZZ1KZ6W000001"),
                                      ShortDateText(QDate(2026, 11, 3)), QStringLiteral("0")}));
        customers().MoveTo(1);
        QCOMPARE(grid->rowCount(), 1);
        QCOMPARE(row(0).first(), QStringLiteral("WBA00000000000002"));
        click("btnCustomerAdd");
        QCOMPARE(grid->rowCount(), 0);
    }
    // What a killed process leaves: every save is in the file at once, so a
    // second process (the oracle) reads all customers saved so far.
    void everySavedCustomerIsInTheFileAtOnce() {
        QStringList expected;
        for (int i = 0; i < 5; ++i) {
            addCustomer(QStringLiteral("Kunde %1").arg(i));
            expected << QStringLiteral("Kunde %1|%1|%2")
                            .arg(i)
                            .arg(QDate::currentDate().toString(Qt::ISODate));
            QCOMPARE(customerFile(f->ctx), expected.join(QLatin1Char('\n')));
        }
    }
};

QTEST_MAIN(TestCustomerPage)
#include "tst_customerpage.moc"
