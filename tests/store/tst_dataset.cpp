// The dataset state machine and the table store with its numbering rule, run
// through the sequences the customer page's buttons produce.
#include "common/errors.h"
#include "common/regional.h"
#include "store/datasetmodel.h"
#include "store/tablestore.h"
#include "support/testenv.h"
#include "support_tables.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

using namespace obd;
using obd::test::errorText;

namespace {

QString name(Dataset& t) {
    return t.FieldByName("NAME").AsString();
}
QString number(Dataset& t) {
    return t.FieldByName("CUST_NR").AsString();
}
int counter(TableStore& s) {
    return s.tOptions.FieldByName("CUSTOMERNR").AsInteger();
}

} // namespace

class TestDataset : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TableStore> m_store;
    QString folder() const { return m_dir->filePath("data"); }

    // What "Add" does on the page: post a pending record, insert, date it.
    void add() {
        Dataset& t = m_store->tCustomer;
        if (t.State() != DatasetState::Browse)
            t.Post();
        t.Insert();
        t.FieldByName("DATE").SetAsString(ShortDateText(QDate::currentDate()));
    }
    // What "Save" does: edit when browsing, write the boxes, post. The number
    // box shows the current record's number, and nothing after "Add".
    void save(const QString& nameText) {
        Dataset& t = m_store->tCustomer;
        const QString numberText = t.State() == DatasetState::Insert ? QString() : number(t);
        if (t.State() == DatasetState::Browse)
            t.Edit();
        t.FieldByName("NAME").SetAsString(nameText);
        t.FieldByName("CUST_NR").SetAsString(numberText);
        t.Post();
    }
    void reopen() {
        m_store = std::make_unique<TableStore>();
        m_store->OpenAll(folder());
    }

private slots:
    void initTestCase() { QVERIFY(obd::test::useTimeLocale("de_DE.UTF-8")); }
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        obd::test::copyDeliveredTables(folder());
        reopen();
    }

    void openAll_data() {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<int>("opened"); // tables open before the failing one
        QTest::newRow("no data folder") << "" << 0;
        QTest::newRow("options") << "options.dbf" << 0;
        QTest::newRow("customer") << "customer.dbf" << 1;
        QTest::newRow("dtcmain") << "dtcmain.dbf" << 3;
    }
    void openAll() {
        QFETCH(QString, missing);
        QFETCH(int, opened);
        QString dataFolder = folder();
        if (missing.isEmpty()) {
            dataFolder = m_dir->filePath("fresh/data");
            missing = "options.dbf";
        }
        QFile::remove(QDir(dataFolder).filePath(missing));
        TableStore store;
        QCOMPARE(errorText([&] { store.OpenAll(dataFolder); }),
                 QStringLiteral("Open: file not found: \"%1\".")
                     .arg(QDir(dataFolder).filePath(missing)));
        QVERIFY(QDir(dataFolder).exists());
        const QList<Dataset*> order{&store.tOptions, &store.tCustomer, &store.tDTCHead,
                                    &store.tDTCMain};
        for (int i = 0; i < order.size(); ++i)
            QCOMPARE(order[i]->Active(), i < opened);
    }

    void saveOnEmptyTableNumbersFromZero() {
        Dataset& t = m_store->tCustomer;
        QCOMPARE(t.RecNo(), -1);
        QCOMPARE(m_store->tOptions.RecordCount(), 0);
        save("Jörg");
        save("Änne"); // browsing again: edits the current record, keeps its number
        QCOMPARE(t.RecordCount(), 1);
        QCOMPARE(number(t), QString("0"));
        QCOMPARE(m_store->tOptions.RecordCount(), 1);
        QCOMPARE(counter(*m_store), 1);
        add();
        save("Bernd");
        reopen();
        QCOMPARE(m_store->tCustomer.RecordCount(), 2);
        QCOMPARE(name(m_store->tCustomer), QString("Änne"));
        m_store->tCustomer.MoveTo(1);
        QCOMPARE(number(m_store->tCustomer), QString("1"));
        QCOMPARE(m_store->tCustomer.FieldByName("DATE").AsString(),
                 ShortDateText(QDate::currentDate()));
        QCOMPARE(counter(*m_store), 2);
        QCOMPARE(m_store->tOptions.RecordCount(), 1);
    }

    void addTwiceStoresTheFirstNumbered() {
        add();
        add();
        Dataset& t = m_store->tCustomer;
        QCOMPARE(t.State(), DatasetState::Insert);
        QCOMPARE(t.RecordCount(), 1);
        QCOMPARE(t.RecNo(), 1);
        QCOMPARE(t.DisplayText(0, t.FieldIndex("CUST_NR")), QString("0"));
        QCOMPARE(t.DisplayText(0, t.FieldIndex("NAME")), QString());
        QCOMPARE(counter(*m_store), 1);
    }

    void addThenCancelRestoresPrevious() {
        save("Anna");
        add();
        save("Berta");
        m_store->tCustomer.First();
        add();
        m_store->tCustomer.Cancel();
        Dataset& t = m_store->tCustomer;
        QCOMPARE(t.State(), DatasetState::Browse);
        QCOMPARE(t.RecordCount(), 2);
        QCOMPARE(t.RecNo(), 0);
        QCOMPARE(name(t), QString("Anna"));
        QCOMPARE(counter(*m_store), 2);
    }

    void movingWhilePending_data() {
        QTest::addColumn<bool>("insert");
        QTest::addColumn<bool>("written");
        QTest::newRow("insert written") << true << true;
        QTest::newRow("insert untouched") << true << false;
        QTest::newRow("edit written") << false << true;
        QTest::newRow("edit untouched") << false << false;
    }
    void movingWhilePending() {
        QFETCH(bool, insert);
        QFETCH(bool, written);
        save("Anna");
        add();
        save("Berta");
        Dataset& t = m_store->tCustomer;
        insert ? t.Insert() : t.Edit();
        if (written)
            t.FieldByName("NAME").SetAsString("Carl");
        t.MoveTo(0);
        QCOMPARE(t.State(), DatasetState::Browse);
        QCOMPARE(name(t), QString("Anna"));
        QCOMPARE(t.RecordCount(), insert && written ? 3 : 2);
        t.MoveTo(t.RecordCount() - 1);
        QCOMPARE(name(t), written ? QString("Carl") : QString("Berta"));
        QCOMPARE(number(t), QString(insert && written ? "2" : "1"));
    }

    void deleteHidesAndKeepsInFile() {
        Dataset& t = m_store->tCustomer;
        QCOMPARE(errorText([&] { t.Delete(); }),
                 QString("tCustomer: Operation bei leerer Datenmenge nicht ausführbar"));
        for (const char* n : {"Anna", "Berta", "Carl"}) {
            add();
            save(n);
        }
        t.MoveTo(1);
        t.Delete();
        QCOMPARE(t.RecordCount(), 2);
        QCOMPARE(name(t), QString("Carl")); // the following record
        t.Delete();
        QCOMPARE(name(t), QString("Anna")); // none follows: the last one
        reopen();
        QCOMPARE(m_store->tCustomer.RecordCount(), 1);
        QCOMPARE(counter(*m_store), 3); // numbers are never handed out again
        QCOMPARE(
            obd::test::runPython("import dbfread,sys\n"
                                 "t = dbfread.DBF(sys.argv[1])\n"
                                 "print([r['NAME'] for r in t], [r['NAME'] for r in t.deleted])",
                                 {QDir(folder()).filePath("customer.dbf")}),
            QString("['Anna'] ['Berta', 'Carl']\n"));
    }

    void pendingRecordDroppedOnClose() {
        add();
        m_store->tCustomer.FieldByName("NAME").SetAsString("Nie gespeichert");
        m_store->tCustomer.Close();
        reopen();
        QCOMPARE(m_store->tCustomer.RecordCount(), 0);
        QCOMPARE(m_store->tOptions.RecordCount(), 0);
    }

    void refusedOperations() {
        Dataset& t = m_store->tCustomer;
        QCOMPARE(errorText([&] { t.FieldByName("STREET"); }),
                 QString("tCustomer: Das Feld 'STREET' wurde nicht gefunden"));
        QCOMPARE(errorText([&] { t.FieldByName("NAME").SetAsString("x"); }),
                 QString("tCustomer: Datenmenge nicht im Bearbeitungs- oder Einfügemodus"));
        QCOMPARE(errorText([&] { t.Post(); }),
                 QString("tCustomer: Datenmenge nicht im Bearbeitungs- oder Einfügemodus"));
        t.Close();
        QCOMPARE(errorText([&] { t.First(); }),
                 QString("tCustomer: Operation bei geschlossener Datenmenge nicht ausführbar"));
    }

    void counterWriteFailureHandsOutNoNumberTwice() {
        // options.dbf cannot grow: the counter's Post fails inside the customer's.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
        rlimit tight = old;
        tight.rlim_cur = rlim_t(QFileInfo(QDir(folder()).filePath("options.dbf")).size());
        QVERIFY(setrlimit(RLIMIT_FSIZE, &tight) == 0);
        add();
        const QString text = errorText([&] { save("Anna"); });
        QVERIFY(setrlimit(RLIMIT_FSIZE, &old) == 0);
        QVERIFY2(text.startsWith("tOptions: Schreibfehler"), qPrintable(text));
        Dataset& t = m_store->tCustomer;
        QCOMPARE(t.State(), DatasetState::Insert);
        QCOMPARE(number(t), QString());
        QCOMPARE(m_store->tOptions.State(), DatasetState::Browse);
        QCOMPARE(m_store->tOptions.RecordCount(), 0);
        t.Post();
        QCOMPARE(number(t), QString("0"));
        QCOMPARE(counter(*m_store), 1);
    }

    void counterAtLimitRefusesNumbering() {
        Dataset& options = m_store->tOptions;
        options.Edit();
        options.FieldByName("CUSTOMERNR").SetAsInteger(std::numeric_limits<qint32>::max());
        options.Post();
        add();
        QVERIFY(errorText([&] { save("Anna"); }).contains("erschöpft"));
        QCOMPARE(m_store->tCustomer.RecordCount(), 0);
        QCOMPARE(m_store->tCustomer.State(), DatasetState::Insert);
    }

    void notifications() {
        Dataset& t = m_store->tCustomer;
        QSignalSpy spy(&t, &Dataset::DataChange);
        const auto names = [&] {
            QStringList list;
            for (const QList<QVariant>& args : spy)
                list << "[" + args.at(0).toString() + "]";
            spy.clear();
            return list.join(',');
        };
        add();
        QCOMPARE(names(), QString("[],[DATE]"));
        t.FieldByName("NAME").SetAsString("Anna");
        t.Post(); // the numbering writes CUST_NR inside the Post
        QCOMPARE(names(), QString("[NAME],[CUST_NR],[]"));
        t.Edit();
        t.Cancel();
        t.First();
        QCOMPARE(names(), QString("[],[],[]"));
        t.DisableControls();
        t.DisableControls();
        save("Berta");
        t.EnableControls();
        QCOMPARE(names(), QString());
        t.EnableControls();
        QCOMPARE(names(), QString("[]"));
        t.Delete();
        QCOMPARE(names(), QString("[]"));
    }

    void modelFollowsTheTable() {
        Dataset& t = m_store->tCustomer;
        DatasetModel model(t, {{"NAME", "Name"}, {"DATE", "Date"}, {"CUST_NR", "Customer-Nr."}});
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QString("Customer-Nr."));
        QCOMPARE(model.rowCount(), 0);
        add();
        QCOMPARE(model.rowCount(), 1); // the record being inserted
        t.FieldByName("NAME").SetAsString("Anna");
        QCOMPARE(model.index(0, 0).data().toString(), QString("Anna"));
        t.Post();
        add();
        t.Cancel();
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.index(0, 2).data().toString(), QString("0"));
        QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
        t.Close();
        QCOMPARE(model.rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDataset)
#include "tst_dataset.moc"
