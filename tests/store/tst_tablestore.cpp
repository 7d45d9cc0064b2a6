// The table store as a whole: one writer per data folder, appends that keep
// what another writer added, files that are no tables, and the upgrade of
// tables written by the release before this one.
#include "common/errors.h"
#include "common/paths.h"
#include "common/regional.h"
#include "store/tablestore.h"
#include "store/visits.h"
#include "support/testenv.h"
#include "support_tables.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

using namespace obd;
using obd::test::errorText;
using obd::test::runPython;

namespace {

void addCustomer(TableStore& store, const QString& name) {
    Dataset& t = store.tCustomer;
    t.Insert();
    t.FieldByName("NAME").SetAsString(name);
    t.Post();
}

// Names and numbers of the customers, as dbfread sees them.
QString customersOnDisk(const QString& folder) {
    return runPython("import dbfread,sys\n"
                     "print(';'.join('%s=%s' % (r['NAME'], r['CUST_NR']) for r in "
                     "dbfread.DBF(sys.argv[1], encoding='cp1252')))",
                     {QDir(folder).filePath("customer.dbf")})
        .trimmed();
}

// Run as a child of the test: starts the program's files for a program in
// argv[2] with the user data in argv[3] as start-up does, tries to save a
// customer and prints what the user would see.
constexpr char OpenCopyArgument[] = "--open-copy";

int OpenCopy(char** argv) {
    QProcessEnvironment env;
    env.insert("XDG_DATA_HOME", QString::fromLocal8Bit(argv[3]));
    const ProgramPaths paths = LocateProgramPaths(QString::fromLocal8Bit(argv[2]), env);
    CopyMissingTables(paths);
    TableStore store;
    store.OpenAll(paths.dataFolder());
    std::printf("tables %s\nlog %s\ntexts %s\nnotice %s\nread-only %s\ncustomers %d\n",
                qPrintable(paths.dataFolder()), qPrintable(paths.logFile()),
                qPrintable(paths.troubleCodeFile()), qPrintable(paths.notice),
                qPrintable(store.ReadOnlyNotice()), store.tCustomer.RecordCount());
    try {
        addCustomer(store, "Neu");
    } catch (const Error& e) {
        std::printf("save %s\n", qPrintable(e.text()));
    }
    return 0;
}

} // namespace

class TestTableStore : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString folder() const { return m_dir->filePath("data"); }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        obd::test::copyDeliveredTables(folder());
    }

    void secondStoreOnAFolderOnlyReads() {
        auto first = std::make_unique<TableStore>();
        first->OpenAll(folder());
        QVERIFY(!first->ReadOnly());
        addCustomer(*first, "Anna");

        TableStore second;
        second.OpenAll(folder());
        QVERIFY(second.ReadOnly());
        QVERIFY(second.ReadOnlyNotice().contains(folder()));
        QCOMPARE(second.tCustomer.RecordCount(), 1);
        second.tCustomer.Insert();
        second.tCustomer.FieldByName("NAME").SetAsString("Zweite Kopie");
        const QString refusal = "Speichern nicht möglich: die Tabellen werden von einem anderen "
                                "laufenden Programm benutzt";
        QCOMPARE(errorText([&] { second.tCustomer.Post(); }), "tCustomer: " + refusal);
        second.tCustomer.Cancel();
        second.tCustomer.First();
        QCOMPARE(errorText([&] { second.tCustomer.Delete(); }), "tCustomer: " + refusal);
        VisitRecord visit;
        visit.customer = 0;
        visit.codes = {{"P0100", CodeKind::Stored, "Luftmasse", "7E8"}};
        QCOMPARE(errorText([&] { VisitStore(second).SaveVisit(visit); }), "tOptions: " + refusal);

        addCustomer(*first, "Bernd");
        addCustomer(*first, "Carla");
        QCOMPARE(customersOnDisk(folder()), QString("Anna=0;Bernd=1;Carla=2"));
        QCOMPARE(runPython("import dbfread,sys\nr=list(dbfread.DBF(sys.argv[1]))\n"
                           "print(len(r), r[0]['CUSTOMERNR'], r[0]['VISITNR'])",
                           {QDir(folder()).filePath("options.dbf")})
                     .trimmed(),
                 QString("1 3 None"));
        QCOMPARE(runPython("import dbfread,sys\nprint(len(dbfread.DBF(sys.argv[1])))",
                           {QDir(folder()).filePath("dtchead.dbf")})
                     .trimmed(),
                 QString("0"));

        // The lock ends with its store: the next one writes.
        first.reset();
        TableStore third;
        third.OpenAll(folder());
        QVERIFY(!third.ReadOnly());
        addCustomer(third, "Dora");
        QCOMPARE(third.tCustomer.FieldByName("CUST_NR").AsInteger(), 3);
    }

    // A copy unpacked on a write-protected stick (here: folders and files the
    // unprivileged user may only read) shows the stick's customers and code
    // texts, read-only, says where the data is and why, refuses saving in
    // words, and writes its log into the user's data folder.
    void copyOnAWriteProtectedStickOnlyReads() {
        const QString stick = m_dir->filePath("stick");
        const QString data = stick + "/data";
        obd::test::copyDeliveredTables(data);
        {
            TableStore store;
            store.OpenAll(data);
            addCustomer(store, "Anna");
            addCustomer(store, "Bernd");
        }
        QFile texts(stick + "/dtc-gb.dat");
        QVERIFY(texts.open(QIODevice::WriteOnly));
        texts.write("P0420 Katalysator\r\n");
        texts.close();
        const QString user = m_dir->filePath("xdg");
        QVERIFY(QDir().mkpath(user));
        const auto mode = [](const QString& path, mode_t bits) {
            return ::chmod(QFile::encodeName(path).constData(), bits) == 0;
        };
        QVERIFY(mode(m_dir->path(), 0755) && mode(user, 0777));
        for (const QString& file : QDir(data).entryList(QDir::Files))
            QVERIFY(mode(data + "/" + file, 0444));
        QVERIFY(mode(data, 0555) && mode(stick + "/dtc-gb.dat", 0444) && mode(stick, 0555));

        QString output;
        const int code = obd::test::runUnprivileged(QCoreApplication::applicationFilePath(),
                                                    {OpenCopyArgument, stick, user}, &output);
        QVERIFY(mode(stick, 0755) && mode(data, 0755));
        QCOMPARE(code, 0);
        const QStringList lines = output.split('\n');
        const QString why = QString::fromLocal8Bit(std::strerror(EACCES));
        QCOMPARE(lines.value(0), "tables " + data);
        QCOMPARE(lines.value(1), "log " + user + "/obd-torvane/LogFile.txt");
        QCOMPARE(lines.value(2), "texts " + stick + "/dtc-gb.dat");
        QCOMPARE(lines.value(3),
                 QString("notice Der Programmordner \"%1\" ist schreibgeschützt (%2). "
                         "Die Tabellen und Fehlercode-Texte werden dort gelesen; "
                         "das Protokoll steht in \"%3/obd-torvane\".")
                     .arg(stick, why, user));
        QCOMPARE(lines.value(4), QString("read-only Die Tabellen in \"%1\" sind schreibgeschützt "
                                         "(%2). Dieses Programm kann sie nur lesen; Speichern ist "
                                         "nicht möglich.")
                                     .arg(data, why));
        QCOMPARE(lines.value(5), "customers 2");
        QCOMPARE(lines.value(6), QString("save tCustomer: Speichern nicht möglich: die Tabellen in "
                                         "\"%1\" sind schreibgeschützt")
                                     .arg(data));
        QCOMPARE(customersOnDisk(data), QString("Anna=0;Bernd=1"));
    }

    void appendGoesAfterRecordsAnotherWriterAdded() {
        // Two datasets on one file, as two writers that take no lock.
        const QString file = QDir(folder()).filePath("customer.dbf");
        Dataset a("tCustomer", file);
        Dataset b("tCustomer", file);
        a.Open();
        b.Open();
        const auto add = [](Dataset& t, const QString& name) {
            t.Insert();
            t.FieldByName("NAME").SetAsString(name);
            t.FieldByName("CUST_NR").SetAsInteger(1);
            t.Post();
        };
        add(a, "A1");
        add(b, "B1");
        a.Edit(); // an edit in place keeps B1 in the header's count
        a.FieldByName("NAME").SetAsString("A1x");
        a.Post();
        QCOMPARE(customersOnDisk(folder()), QString("A1x=1;B1=1"));
        add(a, "A2");
        QCOMPARE(customersOnDisk(folder()), QString("A1x=1;B1=1;A2=1"));
        QCOMPARE(a.RecordCount(), 3);
        QCOMPARE(a.FieldByName("NAME").AsString(), QString("A2"));
    }

    void tableThatIsNoFile_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("fifo");
        QTest::newRow("options.dbf a FIFO") << "options.dbf" << true;
        QTest::newRow("customer.dbf a FIFO") << "customer.dbf" << true;
        QTest::newRow("dtcmain.dbf a folder") << "dtcmain.dbf" << false;
    }
    void tableThatIsNoFile() {
        QFETCH(QString, table);
        QFETCH(bool, fifo);
        const QString path = QDir(folder()).filePath(table);
        QVERIFY(QFile::remove(path));
        QVERIFY(fifo ? ::mkfifo(qPrintable(path), 0644) == 0 : QDir().mkdir(path));
        TableStore store;
        QCOMPARE(errorText([&] { store.OpenAll(folder()); }),
                 QString("Open: \"%1\" is no regular file.").arg(path));
    }

    void upgradeOfTablesFromTheReleaseBefore() {
        // The tables as the release before this one delivered them.
        const std::vector<std::pair<QString, std::vector<dbf::FieldSpec>>> before{
            {"options.dbf", {{"CUSTOMERNR", 'N', 11, 0}}},
            {"customer.dbf", {{"NAME", 'C', 60, 0}, {"CUST_NR", 'N', 11, 0}, {"DATE", 'D', 8, 0}}},
            {"dtchead.dbf",
             {{"HEAD_NR", 'N', 11, 0},
              {"CUST_NR", 'N', 11, 0},
              {"DATE", 'D', 8, 0},
              {"VEHICLE", 'C', 60, 0},
              {"VIN", 'C', 17, 0},
              {"MILEAGE", 'N', 9, 0},
              {"MIL_ON", 'L', 1, 0},
              {"DTC_COUNT", 'N', 3, 0},
              {"REMARK", 'C', 120, 0}}},
            {"dtcmain.dbf",
             {{"HEAD_NR", 'N', 11, 0}, {"DTC", 'C', 5, 0}, {"DESCRIPT", 'C', 200, 0}}},
        };
        for (const auto& [file, fields] : before)
            obd::test::makeTable(QDir(folder()).filePath(file), fields);
        {
            Dataset options("tOptions", QDir(folder()).filePath("options.dbf"));
            options.Open();
            options.Insert();
            options.FieldByName("CUSTOMERNR").SetAsInteger(7);
            options.Post();
            Dataset customers("tCustomer", QDir(folder()).filePath("customer.dbf"));
            customers.Open();
            for (int i = 0; i < 3; ++i) {
                customers.Insert();
                customers.FieldByName("NAME").SetAsString(QString("Kunde %1").arg(i));
                customers.FieldByName("CUST_NR").SetAsInteger(4 + i);
                customers.FieldByName("DATE").SetAsString(ShortDateText(QDate(2026, 3, 1 + i)));
                customers.Post();
            }
            customers.MoveTo(1);
            customers.Delete(); // stays in the file, hidden
        }

        TableStore store;
        store.OpenAll(folder());
        Dataset& t = store.tCustomer;
        QCOMPARE(t.RecordCount(), 2);
        t.MoveTo(1);
        QCOMPARE(t.FieldByName("NAME").AsString(), QString("Kunde 2"));
        QCOMPARE(t.FieldByName("DATE").AsString(), ShortDateText(QDate(2026, 3, 3)));
        QCOMPARE(t.FieldByName("ADDRESS").AsString(), QString());
        t.Edit();
        t.FieldByName("ADDRESS").SetAsString("Hauptstr. 1\r\n12345 Ort");
        t.Post();
        addCustomer(store, "Neu");
        QCOMPARE(t.FieldByName("CUST_NR").AsInteger(), 7);
        VisitRecord visit;
        visit.customer = 7;
        VisitStore(store).SaveVisit(visit);
        QCOMPARE(visit.number, 0);
        // The files were replaced; the writer's claim on the folder holds.
        TableStore second;
        second.OpenAll(folder());
        QVERIFY(second.ReadOnly());

        QCOMPARE(
            runPython("import dbfread,sys\n"
                      "t=dbfread.DBF(sys.argv[1], encoding='cp1252', load=True)\n"
                      "print(','.join(t.field_names))\n"
                      "print(len(t.deleted))\n"
                      "for r in t: print(r['NAME'], r['CUST_NR'], r['DATE'], repr(r['ADDRESS']))",
                      {QDir(folder()).filePath("customer.dbf")}),
            QString("NAME,CUST_NR,DATE,ADDRESS\n"
                    "1\n"
                    "Kunde 0 4 2026-03-01 ''\n"
                    "Kunde 2 6 2026-03-03 'Hauptstr. 1\\r\\n12345 Ort'\n"
                    "Neu 7 None ''\n"));
        QCOMPARE(runPython("import dbfread,sys\n"
                           "print(','.join(dbfread.DBF(sys.argv[1]).field_names))",
                           {QDir(folder()).filePath("dtcmain.dbf")})
                     .trimmed(),
                 QString("HEAD_NR,DTC,DESCRIPT,KIND,UNIT"));
    }
};

int main(int argc, char** argv) {
    if (argc == 4 && qstrcmp(argv[1], OpenCopyArgument) == 0)
        return OpenCopy(argv);
    QCoreApplication app(argc, argv);
    TestTableStore test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_tablestore.moc"
