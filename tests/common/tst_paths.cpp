// Where the program keeps its files: beside a writable program folder that
// holds the delivered tables, else in the user's data folder, filled from the
// installation's read-only originals without ever replacing the user's files.
#include "common/paths.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace obd;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

const QFileDevice::Permissions ReadOnly =
    QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;

} // namespace

class TestPaths : public QObject {
    Q_OBJECT
private slots:
    void init();
    void besideAWritableProgramFolder();
    void userFolderForAnInstallation_data();
    void userFolderForAnInstallation();
    void firstStartCopiesTablesSecondKeepsThem();
    void usersTroubleCodeFileWins();

private:
    std::unique_ptr<QTemporaryDir> m_root;
    QString m_bin;   // an installation's program folder: prefix/bin, no tables
    QString m_share; // its delivered files: prefix/share/obd-torvane
    QString m_user;  // the user's data folder
    QProcessEnvironment m_env;
};

void TestPaths::init() {
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    const QDir root(m_root->path());
    m_bin = root.filePath("prefix/bin");
    m_share = root.filePath("prefix/share/obd-torvane");
    QVERIFY(QDir().mkpath(m_bin));
    writeFile(m_share + "/data/customer.dbf", "delivered customers");
    writeFile(m_share + "/data/options.dbf", "delivered options");
    writeFile(m_share + "/dtc-gb.dat", "P0100 delivered\r\n");
    for (const QString& f :
         {m_share + "/data/customer.dbf", m_share + "/data/options.dbf", m_share + "/dtc-gb.dat"})
        QVERIFY(QFile::setPermissions(f, ReadOnly));
    QVERIFY(QFile::setPermissions(m_bin, ReadOnly | QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                                             QFileDevice::ExeOther));
    m_user = root.filePath("xdg-data/obd-torvane");
    m_env.clear();
    m_env.insert("XDG_DATA_HOME", root.filePath("xdg-data"));
    m_env.insert("HOME", root.filePath("home"));
}

void TestPaths::besideAWritableProgramFolder() {
    // A build tree: the tables lie beside the program.
    const QString bin = m_root->filePath("build/bin");
    QVERIFY(QDir().mkpath(bin + "/data"));
    const ProgramPaths paths = LocateProgramPaths(bin, m_env);
    QCOMPARE(paths.folder, bin);
    QVERIFY(paths.originals.isEmpty());
    QCOMPARE(paths.logFile(), bin + "/LogFile.txt");
    QCOMPARE(paths.dataFolder(), bin + "/data");
    QCOMPARE(paths.troubleCodeFile(), bin + "/dtc-gb.dat");
}

void TestPaths::userFolderForAnInstallation_data() {
    QTest::addColumn<QString>("xdgDataHome");
    QTest::addColumn<QString>("expectedBelowRoot");
    QTest::newRow("XDG_DATA_HOME set") << "ROOT/xdg-data"
                                       << "xdg-data/obd-torvane";
    QTest::newRow("unset") << ""
                           << "home/.local/share/obd-torvane";
    QTest::newRow("relative is ignored") << "xdg-data"
                                         << "home/.local/share/obd-torvane";
}

void TestPaths::userFolderForAnInstallation() {
    QFETCH(QString, xdgDataHome);
    QFETCH(QString, expectedBelowRoot);
    m_env.insert("XDG_DATA_HOME", xdgDataHome.replace("ROOT", m_root->path()));
    const ProgramPaths paths = LocateProgramPaths(m_bin, m_env);
    QCOMPARE(paths.folder, m_root->filePath(expectedBelowRoot));
    QCOMPARE(paths.originals, m_share);
    QCOMPARE(paths.logFile(), m_root->filePath(expectedBelowRoot + "/LogFile.txt"));
    QCOMPARE(paths.transcriptFile(), m_root->filePath(expectedBelowRoot + "/manual_log.txt"));
}

void TestPaths::firstStartCopiesTablesSecondKeepsThem() {
    const ProgramPaths paths = LocateProgramPaths(m_bin, m_env);
    QVERIFY(!QFileInfo::exists(m_user));
    CopyMissingTables(paths);
    QCOMPARE(readFile(m_user + "/data/customer.dbf"), QByteArray("delivered customers"));
    QCOMPARE(readFile(m_user + "/data/options.dbf"), QByteArray("delivered options"));
    // The copies are the user's to write, though the originals are read-only.
    QVERIFY(QFile::permissions(m_user + "/data/customer.dbf") & QFileDevice::WriteOwner);

    // The user's records survive the next start; a table deleted since comes back.
    writeFile(m_user + "/data/customer.dbf", "the user's customers");
    QVERIFY(QFile::remove(m_user + "/data/options.dbf"));
    CopyMissingTables(LocateProgramPaths(m_bin, m_env));
    QCOMPARE(readFile(m_user + "/data/customer.dbf"), QByteArray("the user's customers"));
    QCOMPARE(readFile(m_user + "/data/options.dbf"), QByteArray("delivered options"));
}

void TestPaths::usersTroubleCodeFileWins() {
    const ProgramPaths paths = LocateProgramPaths(m_bin, m_env);
    QCOMPARE(paths.troubleCodeFile(), m_share + "/dtc-gb.dat");
    writeFile(m_user + "/dtc-gb.dat", "P0100 the user's own text\r\n");
    QCOMPARE(paths.troubleCodeFile(), m_user + "/dtc-gb.dat");
}

QTEST_GUILESS_MAIN(TestPaths)
#include "tst_paths.moc"
