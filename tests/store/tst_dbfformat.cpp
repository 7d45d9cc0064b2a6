// The table format through the dataset: round trips of every field type,
// values the fields refuse, damaged files, and the Python readers as oracles.
#include "common/errors.h"
#include "common/regional.h"
#include "store/dataset.h"
#include "support/testenv.h"
#include "support_tables.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace obd;
using obd::test::errorText;
using obd::test::readBytes;
using obd::test::writeBytes;

namespace {

const std::vector<dbf::FieldSpec> kAllTypes{{"TEXT", 'C', 20, 0},  {"NUM", 'N', 11, 0},
                                            {"AMOUNT", 'N', 8, 2}, {"RATIO", 'F', 10, 3},
                                            {"DAY", 'D', 8, 0},    {"FLAG", 'L', 1, 0}};

// Posts one record with the given texts (field -> text) and returns nothing;
// throws what the dataset throws.
void postRecord(Dataset& table, const QList<std::pair<QString, QString>>& values) {
    table.Insert();
    for (const auto& [field, text] : values)
        table.FieldByName(field).SetAsString(text);
    table.Post();
}

} // namespace

class TestDbfFormat : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(obd::test::useTimeLocale("de_DE.UTF-8"));
    }

    void roundTrip_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("C umlauts") << "TEXT"
                                   << "Jörg Müßig €"
                                   << "Jörg Müßig €";
        QTest::newRow("C leading blanks kept") << "TEXT"
                                               << "  Max"
                                               << "  Max";
        QTest::newRow("C full width") << "TEXT" << QString(20, 'x') << QString(20, 'x');
        QTest::newRow("C empty") << "TEXT"
                                 << ""
                                 << "";
        QTest::newRow("N int") << "NUM"
                               << "42"
                               << "42";
        QTest::newRow("N int32 min") << "NUM"
                                     << "-2147483648"
                                     << "-2147483648";
        QTest::newRow("N leading zeros") << "NUM"
                                         << " 007 "
                                         << "7";
        QTest::newRow("N empty stays empty") << "NUM"
                                             << ""
                                             << "";
        QTest::newRow("N decimals padded") << "AMOUNT"
                                           << "3.5"
                                           << "3.50";
        QTest::newRow("N decimals rounded") << "AMOUNT"
                                            << "2.456"
                                            << "2.46";
        QTest::newRow("N no minus zero") << "AMOUNT"
                                         << "-0.001"
                                         << "0.00";
        QTest::newRow("F negative") << "RATIO"
                                    << "-1.25"
                                    << "-1.250";
        QTest::newRow("D short date") << "DAY"
                                      << "09.12.2026"
                                      << "09.12.2026";
        QTest::newRow("D leap day") << "DAY"
                                    << "29.02.2024"
                                    << "29.02.2024";
        QTest::newRow("D empty") << "DAY"
                                 << ""
                                 << "";
        QTest::newRow("L true") << "FLAG"
                                << "True"
                                << "True";
        QTest::newRow("L no") << "FLAG"
                              << "n"
                              << "False";
        QTest::newRow("L empty") << "FLAG"
                                 << ""
                                 << "";
    }
    void roundTrip() {
        QFETCH(QString, field);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        const QString file = path("roundtrip.dbf");
        obd::test::makeTable(file, kAllTypes);
        Dataset table("tTest", file);
        table.Open();
        postRecord(table, {{field, input}});
        QCOMPARE(table.FieldByName(field).AsString(), expected);
        table.Close();
        table.Open();
        QCOMPARE(table.RecordCount(), 1);
        QCOMPARE(table.FieldByName(field).AsString(), expected);
    }

    void refusedValue_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("message");
        QTest::newRow("C too long") << "TEXT" << QString(21, 'x') << "zu lang für das Feld 'TEXT'";
        QTest::newRow("C outside Windows-1252")
            << "TEXT" << QString::fromUtf8("Łódź") << "nicht speichern kann";
        QTest::newRow("N letters") << "NUM"
                                   << "12a"
                                   << "kein gültiger Wert für das Feld 'NUM'";
        QTest::newRow("N sign only") << "NUM"
                                     << "-"
                                     << "kein gültiger Wert";
        QTest::newRow("N too wide") << "NUM"
                                    << "123456789012"
                                    << "passt nicht in das Feld 'NUM'";
        QTest::newRow("D no such day") << "DAY"
                                       << "31.02.2026"
                                       << "kein gültiges Datum";
        QTest::newRow("D words") << "DAY"
                                 << "gestern"
                                 << "kein gültiges Datum für das Feld 'DAY'";
        QTest::newRow("L other") << "FLAG"
                                 << "vielleicht"
                                 << "kein gültiger Wahrheitswert";
    }
    void refusedValue() {
        QFETCH(QString, field);
        QFETCH(QString, input);
        QFETCH(QString, message);
        const QString file = path("refused.dbf");
        obd::test::makeTable(file, kAllTypes);
        Dataset table("tTest", file);
        table.Open();
        postRecord(table, {{"TEXT", "alt"}, {"NUM", "1"}, {"DAY", "01.01.2020"}, {"FLAG", "T"}});
        const QString before = table.FieldByName(field).AsString();
        table.Edit();
        const QString text = errorText([&] { table.FieldByName(field).SetAsString(input); });
        QVERIFY2(text.startsWith("tTest: ") && text.contains(message), qPrintable(text));
        // The record stays pending with its earlier value.
        QCOMPARE(table.State(), DatasetState::Edit);
        QCOMPARE(table.FieldByName(field).AsString(), before);
    }

    void integerAccess_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty reads 0") << "NUM"
                                       << "" << 0 << "";
        QTest::newRow("int32 max") << "NUM"
                                   << "2147483647" << 2147483647 << "";
        QTest::newRow("whole decimal") << "AMOUNT"
                                       << "5" << 5 << "";
        QTest::newRow("above int32") << "NUM"
                                     << "2147483648" << 0 << "außerhalb des Integer";
        QTest::newRow("far below int32") << "NUM"
                                         << "-9999999999" << 0 << "außerhalb des Integer";
        QTest::newRow("fraction") << "AMOUNT"
                                  << "5.5" << 0 << "kein gültiger Integerwert";
        QTest::newRow("date") << "DAY"
                              << "01.01.2020" << 0 << "nicht als Integer";
    }
    void integerAccess() {
        QFETCH(QString, field);
        QFETCH(QString, stored);
        QFETCH(int, expected);
        QFETCH(QString, message);
        const QString file = path("integer.dbf");
        obd::test::makeTable(file, kAllTypes);
        Dataset table("tTest", file);
        table.Open();
        postRecord(table, {{field, stored}});
        if (message.isEmpty()) {
            QCOMPARE(table.FieldByName(field).AsInteger(), expected);
            return;
        }
        const QString text = errorText([&] { table.FieldByName(field).AsInteger(); });
        QVERIFY2(text.contains(message) && text.contains(field), qPrintable(text));
    }

    void opaqueFieldsKeptAndRefused() {
        // A memo reference is carried unchanged through an edit and refused on write.
        const QString file = path("memo.dbf");
        obd::test::makeTable(file, {{"NAME", 'C', 10, 0}, {"NOTE", 'C', 10, 0}});
        QByteArray bytes = readBytes(file);
        bytes[32 + 32 + 11] = 'M';
        bytes.insert(bytes.size() - 1, QByteArray(" Anna              42"));
        bytes[4] = 1;
        writeBytes(file, bytes);
        Dataset table("tTest", file);
        table.Open();
        QCOMPARE(table.FieldByName("NOTE").AsString(), QString("        42"));
        table.Edit();
        QVERIFY(errorText([&] {
                    table.FieldByName("NOTE").SetAsString("1");
                }).contains("vom Typ 'M' kann nicht geschrieben werden"));
        table.FieldByName("NAME").SetAsString("Berta");
        table.Post();
        QVERIFY(readBytes(file).contains("Berta             42"));
    }

    void damagedFile_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message"); // empty: a safe reading
        QTest::addColumn<int>("records");
        // Three records of the customer layout (header 129 bytes, records 80).
        const QString file = path("base.dbf");
        obd::test::makeCustomerTable(file);
        {
            Dataset table("tBase", file);
            table.Open();
            for (const char* name : {"Anna", "Berta", "Carl"})
                postRecord(table, {{"NAME", name}, {"CUST_NR", "1"}, {"DATE", "02.03.2024"}});
        }
        const QByteArray base = readBytes(file);
        const auto patched = [&](int at, QByteArray with) {
            QByteArray b = base;
            b.replace(at, with.size(), with);
            return b;
        };
        QTest::newRow("empty file") << QByteArray() << "abgeschnitten" << 0;
        QTest::newRow("header cut") << base.left(100) << "abgeschnitten" << 0;
        QTest::newRow("header length beyond file")
            << patched(8, "\xff\x7f") << "abgeschnitten" << 0;
        QTest::newRow("header length too small")
            << patched(8, QByteArray("\x20\0", 2)) << "zu klein" << 0;
        QTest::newRow("record length wrong") << patched(10, "\x51") << "Satzlänge 81" << 0;
        QTest::newRow("garbage") << QByteArray(300, 'Z') << "Version" << 0;
        QTest::newRow("other family") << patched(0, "\x30") << "Version 0x30" << 0;
        QTest::newRow("no terminator") << patched(128, "X") << "abgeschnitten" << 0;
        QTest::newRow("date width") << patched(32 * 3 + 16, "\x05") << "Länge 5" << 0;
        QTest::newRow("zero width") << patched(32 + 16, QByteArray(1, '\0')) << "Länge 0" << 0;
        QTest::newRow("bad name") << patched(32, "N-ME") << "Feldname" << 0;
        QTest::newRow("language driver") << patched(29, "\x65") << "Sprachtreiber 0x65" << 0;
        QTest::newRow("count larger than data") << patched(4, "\x10\x27") << "" << 3;
        QTest::newRow("absurd count") << patched(4, "\xff\xff\xff\xff") << "" << 3;
        QTest::newRow("count smaller than data") << patched(4, "\x01") << "" << 1;
        QTest::newRow("cut inside a record") << base.left(129 + 2 * 80 + 17) << "" << 2;
        QTest::newRow("no end mark") << base.chopped(1) << "" << 3;
    }
    void damagedFile() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QFETCH(int, records);
        const QString file = path("damaged.dbf");
        writeBytes(file, bytes);
        Dataset table("tCustomer", file);
        if (!message.isEmpty()) {
            const QString text = errorText([&] { table.Open(); });
            QVERIFY2(text.contains(file) && text.contains(message), qPrintable(text));
            QVERIFY(!table.Active());
            return;
        }
        table.Open();
        QCOMPARE(table.RecordCount(), records);
        for (int i = 0; i < records; ++i) {
            table.MoveTo(i);
            QCOMPARE(table.FieldByName("DATE").AsString(), QString("02.03.2024"));
        }
        // A post after a safe reading gives a file the oracle agrees with, and
        // nothing of an unfinished earlier post stays behind the end mark.
        postRecord(table, {{"NAME", "Dora"}});
        QCOMPARE(QFileInfo(file).size(), 129 + (records + 1) * 80 + 1);
        QCOMPARE(obd::test::runPython("import dbfread,sys\n"
                                      "print([r['NAME'] for r in dbfread.DBF(sys.argv[1])])",
                                      {file})
                     .trimmed()
                     .count(','),
                 records);
    }

    void missingFile() {
        Dataset table("tOptions", "options.dbf");
        table.SetFolder(path("nowhere"));
        const QString expected =
            QStringLiteral("Open: file not found: \"%1\".").arg(path("nowhere/options.dbf"));
        QCOMPARE(errorText([&] { table.Open(); }), expected);
    }

    void fileWithoutWriteAccessRefused() {
        // Tables are opened for writing: a file the user may only read fails to open.
        QTemporaryDir dir;
        const QString file = dir.filePath("customer.dbf");
        obd::test::makeCustomerTable(file);
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ExeOwner | QFile::ReadOther |
                                                      QFile::ExeOther));
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadOther));
        QString output;
        const int exitCode = obd::test::runUnprivileged(
            QCoreApplication::applicationDirPath() + "/store_postloop", {file}, &output);
        QCOMPARE(exitCode, 1);
        QVERIFY2(output.contains(QStringLiteral("Open: cannot open \"%1\"").arg(file)),
                 qPrintable(output));
    }

    void pythonReadersAgree() {
        const QString file = path("oracle.dbf");
        obd::test::makeTable(file, kAllTypes);
        {
            Dataset table("tTest", file);
            table.Open();
            postRecord(table, {{"TEXT", "Jörg Müßig"},
                               {"NUM", "-2147483648"},
                               {"AMOUNT", "12.5"},
                               {"RATIO", "0.125"},
                               {"DAY", "29.02.2024"},
                               {"FLAG", "True"}});
            postRecord(table, {{"TEXT", "gelöscht"}});
            table.Delete();
            postRecord(table, {{"FLAG", "False"}});
        }
        const QString viaDbfread = obd::test::runPython(
            "import dbfread,sys\n"
            "for r in dbfread.DBF(sys.argv[1]): print('|'.join(str(v) for v in r.values()))\n"
            "for r in dbfread.DBF(sys.argv[1]).deleted: print('deleted', r['TEXT'])\n",
            {file});
        QCOMPARE(viaDbfread, QString("Jörg Müßig|-2147483648|12.5|0.125|2024-02-29|True\n"
                                     "|None|None|None|None|False\n"
                                     "deleted gelöscht\n"));
        const QString viaDbf = obd::test::runPython(
            "import dbf,sys\n"
            "t = dbf.Table(sys.argv[1]); t.open()\n"
            "for r in t:\n"
            "    print(dbf.is_deleted(r), '|'.join(str(v).strip() for v in r))\n",
            {file});
        QCOMPARE(viaDbf, QString("False Jörg Müßig|-2147483648|12.5|0.125|2024-02-29|True\n"
                                 "True gelöscht|None|None|None|None|None\n"
                                 "False |None|None|None|None|False\n"));
    }

    void readsFilesOfPythonDbf() {
        const QString file = path("fromdbf.dbf");
        obd::test::runPython("import dbf,sys,datetime\n"
                             "t = dbf.Table(sys.argv[1], 'NAME C(30); NR N(11,0); AMOUNT N(8,2); "
                             "DAY D; FLAG L', codepage='cp1252', dbf_type='db3')\n"
                             "t.open(dbf.READ_WRITE)\n"
                             "t.append(('Ärger GmbH', 17, 3.25, datetime.date(2026,12,9), True))\n"
                             "t.append(('weg', 1, 0, None, False))\n"
                             "dbf.delete(t[1])\n"
                             "t.append(('Zoë', None, None, None, None))\n"
                             "t.close()\n",
                             {file});
        Dataset table("tTest", file);
        table.Open();
        QCOMPARE(table.RecordCount(), 2);
        const auto row = [&] {
            QStringList values;
            for (const char* f : {"NAME", "NR", "AMOUNT", "DAY", "FLAG"})
                values << table.FieldByName(f).AsString();
            return values.join('|');
        };
        QCOMPARE(row(), QString("Ärger GmbH|17|3.25|09.12.2026|True"));
        table.MoveTo(1);
        QCOMPARE(row(), QString("Zoë||||"));
        QCOMPARE(table.FieldByName("NR").AsInteger(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDbfFormat)
#include "tst_dbfformat.moc"
