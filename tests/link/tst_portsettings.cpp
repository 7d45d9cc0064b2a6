// The stored port settings: first start, loading of every text, custom rates,
// flow-control derivation and the two failures.
#include "common/errors.h"
#include "link/comport.h"
#include "link/portsettings.h"
#include "support/testenv.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

using namespace obd;

Q_DECLARE_METATYPE(obd::LineSettings)

namespace {

constexpr const char* LoadOrStoreArgument = "--load-or-store";

QString settingsFile(const QTemporaryDir& dir) {
    return dir.filePath("OBDTorvane.conf");
}

// Writes the given lines as the settings file.
void writeFile(const QString& name, const QByteArray& text) {
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[General]\n" + text);
}

bool sameSettings(const LineSettings& a, const LineSettings& b) {
    return a.baudRate == b.baudRate && a.dataBits == b.dataBits && a.stopBits == b.stopBits &&
           a.parity == b.parity && a.flow.dtr == b.flow.dtr && a.flow.rts == b.flow.rts &&
           a.flow.outCtsFlow == b.flow.outCtsFlow && a.flow.xonXoffOut == b.flow.xonXoffOut &&
           a.flow.xonXoffIn == b.flow.xonXoffIn;
}

LineSettings defaults() {
    return CreatePort()->Settings();
}

} // namespace

class TestPortSettings : public QObject {
    Q_OBJECT
private slots:
    void firstStartWritesDefaults();
    void load_data();
    void load();
    void storedFlowControl_data();
    void storedFlowControl();
    void customRateRoundTrip();
    void badCustomRateFailsToLoad();
    void unusablePortNameFailsToLoad_data();
    void unusablePortNameFailsToLoad();
    void unwritableStoreFails();
    void readOnlyStoreIsLoaded();
};

void TestPortSettings::firstStartWritesDefaults() {
    QTemporaryDir dir;
    {
        QSettings settings(settingsFile(dir), QSettings::IniFormat);
        auto port = CreatePort();
        LoadOrStorePortSettings(*port, settings);
    }
    QSettings written(settingsFile(dir), QSettings::IniFormat);
    QCOMPARE(written.childKeys(),
             (QStringList{"BaudRate", "DataBits", "FlowControl", "Parity", "Port", "StopBits"}));
    QCOMPARE(written.value("Port").toString(), "/dev/ttyS0");
    QCOMPARE(written.value("BaudRate").toString(), "9600");
    QCOMPARE(written.value("StopBits").toString(), "1");
    QCOMPARE(written.value("DataBits").toString(), "8");
    QCOMPARE(written.value("Parity").toString(), "None");
    QCOMPARE(written.value("FlowControl").toString(), "Custom");

    // The next start loads what the first wrote.
    written.setValue("Port", "/dev/ttyUSB0");
    written.sync();
    auto port = CreatePort();
    LoadOrStorePortSettings(*port, written);
    QCOMPARE(port->Port(), "/dev/ttyUSB0");
    QVERIFY(sameSettings(port->Settings(), defaults()));
}

void TestPortSettings::load_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("port");
    QTest::addColumn<LineSettings>("expected");
    const LineSettings d = defaults();
    auto with = [&d](auto change) {
        LineSettings s = d;
        change(s);
        return s;
    };
    QTest::newRow("empty store") << QByteArray() << "" << d;
    QTest::newRow("all texts") << QByteArray("Port=/dev/ttyACM0\nBaudRate=115200\nStopBits=2\n"
                                             "DataBits=7\nParity=Even\nFlowControl=Custom\n")
                               << "/dev/ttyACM0" << with([](LineSettings& s) {
                                      s.baudRate = 115200;
                                      s.stopBits = StopBits::Two;
                                      s.dataBits = 7;
                                      s.parity = Parity::Even;
                                  });
    QTest::newRow("case of texts and names")
        << QByteArray("port=COM3\nBAUDRATE=14400\nstopbits=1.5\nparity=mArK\n") << "COM3"
        << with([](LineSettings& s) {
               s.baudRate = 14400;
               s.stopBits = StopBits::OnePointFive;
               s.parity = Parity::Mark;
           });
    QTest::newRow("unknown texts give defaults")
        << QByteArray("Port=/dev/ttyS1\nBaudRate=9601\nStopBits=3\nDataBits=9\nParity=x\n"
                      "FlowControl=Full\n")
        << "/dev/ttyS1" << d;
    QTest::newRow("hardware") << QByteArray("FlowControl=HARDWARE\n") << ""
                              << with([](LineSettings& s) {
                                     s.flow.rts = RtsControl::Handshake;
                                     s.flow.outCtsFlow = true;
                                 });
    QTest::newRow("software") << QByteArray("FlowControl=Software\n") << ""
                              << with([](LineSettings& s) {
                                     s.flow.rts = RtsControl::Disable;
                                     s.flow.xonXoffIn = s.flow.xonXoffOut = true;
                                 });
    QTest::newRow("none") << QByteArray("FlowControl=none\n") << ""
                          << with([](LineSettings& s) { s.flow.rts = RtsControl::Disable; });
}

void TestPortSettings::load() {
    QFETCH(QByteArray, file);
    QFETCH(QString, port);
    QFETCH(LineSettings, expected);
    QTemporaryDir dir;
    writeFile(settingsFile(dir), file);
    QSettings settings(settingsFile(dir), QSettings::IniFormat);
    auto p = CreatePort();
    LoadOrStorePortSettings(*p, settings);
    QCOMPARE(p->Port(), port);
    QVERIFY(sameSettings(p->Settings(), expected));
}

void TestPortSettings::storedFlowControl_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("Hardware") << "Hardware";
    QTest::newRow("Software") << "Software";
    QTest::newRow("None") << "None";
    QTest::newRow("Custom") << "Custom";
}

// Loading a flow-control text and storing it again writes the same text.
void TestPortSettings::storedFlowControl() {
    QFETCH(QString, text);
    QTemporaryDir dir;
    writeFile(settingsFile(dir), "FlowControl=" + text.toLatin1() + "\n");
    QSettings settings(settingsFile(dir), QSettings::IniFormat);
    auto port = CreatePort();
    LoadPortSettings(*port, settings);
    settings.setValue("FlowControl", "x");
    StorePortSettings(*port, settings);
    QCOMPARE(settings.value("FlowControl").toString(), text);
}

void TestPortSettings::customRateRoundTrip() {
    QTemporaryDir dir;
    auto port = CreatePort();
    LineSettings s = port->Settings();
    s.baudRate = 250000;
    port->SetSettings(s);
    {
        QSettings settings(settingsFile(dir), QSettings::IniFormat);
        StorePortSettings(*port, settings);
    }
    QSettings settings(settingsFile(dir), QSettings::IniFormat);
    QCOMPARE(settings.value("BaudRate").toString(), "Custom");
    QCOMPARE(settings.value("CustomBaudRate").toInt(), 250000);
    auto loaded = CreatePort();
    LoadPortSettings(*loaded, settings);
    QCOMPARE(loaded->Settings().baudRate, 250000);
}

void TestPortSettings::badCustomRateFailsToLoad() {
    for (const QByteArray rate : {"CustomBaudRate=fast\n", "CustomBaudRate=-5\n", ""}) {
        QTemporaryDir dir;
        writeFile(settingsFile(dir), "BaudRate=custom\n" + rate);
        QSettings settings(settingsFile(dir), QSettings::IniFormat);
        auto port = CreatePort();
        try {
            LoadPortSettings(*port, settings);
            QFAIL(rate.constData());
        } catch (const DriverError& e) {
            QCOMPARE(e.text(), "Failed to load settings");
        }
    }
}

void TestPortSettings::unwritableStoreFails() {
    // No one, root included, can create a file below a character device.
    QSettings settings("/dev/null/OBDTorvane.conf", QSettings::IniFormat);
    QVERIFY(!PortSettingsWritable(settings));
    auto port = CreatePort();
    try {
        LoadOrStorePortSettings(*port, settings);
        QFAIL("stored below /dev/null");
    } catch (const DriverError& e) {
        QCOMPARE(e.text(), "Failed to store settings");
    }
}

void TestPortSettings::unusablePortNameFailsToLoad_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("NUL") << QStringLiteral("/dev/ttyUSB0") + QChar(0) + QStringLiteral("x");
    QTest::newRow("CR") << "/dev/ttyUSB0\r";
    QTest::newRow("LF") << "/dev/tty\nUSB0";
}

void TestPortSettings::unusablePortNameFailsToLoad() {
    QFETCH(QString, name);
    QTemporaryDir dir;
    {
        QSettings writer(settingsFile(dir), QSettings::IniFormat);
        writer.setValue("Port", name);
    }
    QSettings settings(settingsFile(dir), QSettings::IniFormat);
    auto port = CreatePort();
    try {
        LoadPortSettings(*port, settings);
        QFAIL("loaded an unusable port name");
    } catch (const DriverError& e) {
        QCOMPARE(e.text(), "Failed to load settings");
    }
    QCOMPARE(port->Port(), DefaultPortName);
}

void TestPortSettings::readOnlyStoreIsLoaded() {
    // Run as a user who may read the file but not write it (root may write it).
    QTemporaryDir dir;
    const QString name = settingsFile(dir);
    const QByteArray text = "[General]\nPort=/dev/ttyUSB7\nBaudRate=19200\n";
    writeFile(name, text.mid(10));
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ExeOwner | QFile::ReadOther |
                                                  QFile::ExeOther));
    QVERIFY(QFile::setPermissions(name, QFile::ReadOwner | QFile::ReadOther));
    QString output;
    const int code = test::runUnprivileged(QCoreApplication::applicationFilePath(),
                                           {LoadOrStoreArgument, name}, &output);
    QCOMPARE(output.split('\n', Qt::SkipEmptyParts),
             (QStringList{"/dev/ttyUSB7 19200", "Failed to store settings"}));
    QCOMPARE(code, 1);
    QFile file(name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), text);
}

// Child mode: start-up's load-or-store on the named file, printing the port
// and rate it leaves, then the error raised, if any.
int loadOrStore(const char* fileName) {
    QSettings settings(QString::fromLocal8Bit(fileName), QSettings::IniFormat);
    auto port = CreatePort();
    int code = 0;
    QString error;
    try {
        LoadOrStorePortSettings(*port, settings);
    } catch (const DriverError& e) {
        error = e.text();
        code = 1;
    }
    std::printf("%s %d\n%s\n", qPrintable(port->Port()), port->Settings().baudRate,
                qPrintable(error));
    return code;
}

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], LoadOrStoreArgument) == 0)
        return loadOrStore(argv[2]);
    QCoreApplication app(argc, argv);
    TestPortSettings test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_portsettings.moc"
