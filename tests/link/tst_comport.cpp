// The serial driver and the exchange against elmsim through a real
// pseudo-terminal: opening and its failures, a chip session, the simulator's
// fault options, a device that vanishes, two threads on one line, port listing.
#include "common/errors.h"
#include "link/comport.h"
#include "link/demoreply.h"
#include "link/link.h"
#include "link/protocollog.h"
#include "link/simports.h"
#include "link/transport.h"
#include "support/testenv.h"
#include "support_link.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <csignal>
#include <sys/stat.h>
#include <thread>

using namespace obd;

namespace {

constexpr const char* TryOpenArgument = "--try-open";

// The text a failed open raises, or "" when the port opened.
QString openError(const QString& device) {
    TComPort port;
    port.SetPort(device);
    try {
        port.Open();
    } catch (const DriverError& e) {
        if (port.Connected())
            return QStringLiteral("failed but left open");
        return e.text();
    }
    return QString();
}

// A link on an open port, without log unless one is given, boxes recorded.
struct Line {
    std::unique_ptr<TComPort> port = CreatePort();
    test::RecordingNotifier notifier;
    Link link;

    explicit Line(const QString& device, ProtocolLog* log = nullptr) : link(*port, log, notifier) {
        port->SetPort(device);
        port->Open();
    }
    QString ask(const QString& command) {
        link.SendCommand(command);
        return link.ReceiveReply();
    }
};

} // namespace

class TestComPort : public QObject {
    Q_OBJECT
private slots:
    void openFailures_data();
    void openFailures();
    void secondOpenFails();
    void deviceTheUserMayNotOpen();
    void renameReopens();
    void lineSettings_data();
    void lineSettings();
    void chipSession_data();
    void chipSession();
    void lateReplyIsDiscarded();
    void simulatorAnswersLikeDemo();
    void simulatorOptions_data();
    void simulatorOptions();
    void vanishedDevice_data();
    void vanishedDevice();
    void streamingDeviceIsNoAdapter_data();
    void streamingDeviceIsNoAdapter();
    void twoThreadsShareTheLine();
    void listsAnnouncedPorts();
};

void TestComPort::openFailures_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("error");
    QTest::newRow("missing") << "/dev/obd-no-such-port"
                             << "Unable to open com port (win error code: 2)";
    QTest::newRow("folder") << "/dev"
                            << "Unable to open com port (win error code: 21)";
    QTest::newRow("empty name") << ""
                                << "Unable to open com port (win error code: 2)";
    QTest::newRow("regular file") << "REGULAR"
                                  << "Unable to open com port (win error code: 25)";
    // The system would open /dev/null, the name cut at the NUL.
    QTest::newRow("NUL in name") << QStringLiteral("/dev/null") + QChar(0) + QStringLiteral("x")
                                 << "Unable to open com port (win error code: 22)";
    QTest::newRow("line break in name") << "/dev/null\n"
                                        << "Unable to open com port (win error code: 22)";
}

void TestComPort::openFailures() {
    QFETCH(QString, device);
    QFETCH(QString, error);
    QTemporaryDir dir;
    if (device == "REGULAR") {
        device = dir.filePath("port");
        QFile file(device);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(openError(device), error);
}

void TestComPort::secondOpenFails() {
    test::Simulator sim;
    TComPort first;
    first.SetPort(sim.slavePath());
    first.Open();
    // flock refuses the second open, for root too.
    QCOMPARE(openError(sim.slavePath()), "Unable to open com port (win error code: 11)");
    QCOMPARE(openError(sim.linkPath()), "Unable to open com port (win error code: 11)");
    first.Close();
    QCOMPARE(openError(sim.slavePath()), "");
}

void TestComPort::deviceTheUserMayNotOpen() {
    test::Simulator sim;
    QVERIFY(::chmod(sim.slavePath().toLocal8Bit().constData(), 0600) == 0);
    if (!test::runningAsRoot())
        QVERIFY(::chmod(sim.slavePath().toLocal8Bit().constData(), 0) == 0);
    QString output;
    const int code = test::runUnprivileged(QCoreApplication::applicationFilePath(),
                                           {TryOpenArgument, sim.slavePath()}, &output);
    QCOMPARE(output.trimmed(), "Unable to open com port (win error code: 13)");
    QCOMPARE(code, 1);
}

void TestComPort::renameReopens() {
    test::Simulator a;
    test::Simulator b;
    TComPort port;
    port.SetPort(a.slavePath());
    port.Open();
    port.SetPort(b.slavePath());
    QVERIFY(port.Connected());
    QCOMPARE(openError(a.slavePath()), ""); // the first is free again
    QCOMPARE(openError(b.slavePath()), "Unable to open com port (win error code: 11)");
    QVERIFY_THROWS_EXCEPTION(DriverError, port.SetPort("/dev/obd-no-such-port"));
    QVERIFY(!port.Connected());
}

void TestComPort::lineSettings_data() {
    QTest::addColumn<int>("baudRate");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<int>("parity");
    QTest::addColumn<QString>("error");
    QTest::newRow("standard") << 9600 << 8 << int(StopBits::One) << int(Parity::None) << "";
    QTest::newRow("rate without constant")
        << 14400 << 7 << int(StopBits::Two) << int(Parity::Even) << "";
    QTest::newRow("custom rate, 1.5 stop bits")
        << 250000 << 8 << int(StopBits::OnePointFive) << int(Parity::Mark) << "";
    QTest::newRow("nine data bits") << 9600 << 9 << int(StopBits::One) << int(Parity::None)
                                    << "SetCommState function failed (win error code: 22)";
    QTest::newRow("zero baud") << 0 << 8 << int(StopBits::One) << int(Parity::None)
                               << "SetCommState function failed (win error code: 22)";
}

void TestComPort::lineSettings() {
    QFETCH(int, baudRate);
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);
    QFETCH(int, parity);
    QFETCH(QString, error);
    test::Simulator sim;
    auto port = CreatePort();
    LineSettings s = port->Settings();
    s.baudRate = baudRate;
    s.dataBits = dataBits;
    s.stopBits = StopBits(stopBits);
    s.parity = Parity(parity);
    port->SetSettings(s);
    port->SetPort(sim.slavePath());
    try {
        port->Open();
        QVERIFY(error.isEmpty());
    } catch (const DriverError& e) {
        QCOMPARE(e.text(), error);
        QVERIFY(!port->Connected());
        QCOMPARE(openError(sim.slavePath()), ""); // nothing left holding the device
    }
}

void TestComPort::chipSession_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("at once") << QStringList{};
    // One byte per millisecond, as a real adapter's UART delivers it.
    QTest::newRow("paced at 9600 baud") << QStringList{"--baud", "9600"};
}

void TestComPort::chipSession() {
    QFETCH(QStringList, args);
    test::Simulator sim(args);
    Line line(sim.linkPath());
    const struct {
        const char* command;
        const char* reply;
    } session[] = {
        {"ATZ", "ATZ  ELM323 v1.1"},       // echo and line feeds on after reset
        {"ATI", "ATI  ELM323 v1.1"},       //
        {"ATE0", "ATE0  OK"},              // the chip still echoes the command that stops it
        {"ATL0", "OK"},                    //
        {"0100", "4100BE3EB811"},          //
        {"0109", "7F 01 12"},              //
        {"01E0", "NODATA"},                // no answer from the vehicle: a chip error word
        {"ATX", "?"},                      //
        {"", ""},                          // an empty line gets the prompt only
        {"ATE1", "OK"},                    //
        {"03", "03 43 01 25 07 36 04 55"}, // echo on: the reply begins with 0 and keeps blanks
    };
    for (const auto& step : session) {
        const QString reply = line.ask(step.command);
        if (QString(step.command) == "03")
            QVERIFY2(reply.startsWith(step.reply), qPrintable(reply));
        else
            QCOMPARE(reply, step.reply);
    }
    QCOMPARE(line.notifier.boxes(),
             (QStringList{"chip: ERROR Message: NODATA", "chip: ERROR Message: ?"}));
}

void TestComPort::lateReplyIsDiscarded() {
    QTemporaryDir dir;
    ProtocolLog log(dir.filePath("LogFile.txt"));
    test::Simulator sim({"--latency", "5300"});
    Line line(sim.slavePath(), &log);
    QCOMPARE(line.ask("0100"), ReplyError);
    // The late answer arrives before the next command; that one waits long
    // enough for its own answer.
    QThread::msleep(800);
    line.link.SetReplyWaitForTesting(8000);
    const QString reply = line.ask("03");
    QVERIFY2(reply.startsWith("03  43 "), qPrintable(reply));
    const QStringList lines = test::logLines(log.fileName()).mid(3);
    QCOMPARE(lines.size(), 5);
    QVERIFY(lines[1].endsWith(" - R: Fehler"));
    QVERIFY(lines[2].endsWith(" - S: 03"));
    QVERIFY2(lines[3].endsWith(" - discarded: 0100  41 00 BE 3E B8 11    >"), qPrintable(lines[3]));
    QVERIFY(lines[4].endsWith(" - R: " + reply));
}

void TestComPort::simulatorAnswersLikeDemo() {
    test::Simulator sim;
    Line line(sim.slavePath());
    QCOMPARE(line.ask("ATE0"), "ATE0  OK");
    for (const DemoAnswer& answer : DemoAnswers) {
        const QString command = QString::fromLatin1(answer.command.data(), answer.command.size());
        if (command.startsWith("AT"))
            continue;
        QCOMPARE(line.ask(command), CleanReplyText(DemoTableReply(command)));
    }
    QVERIFY(line.ask("010C").startsWith("410C"));
}

void TestComPort::simulatorOptions_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("waitMs");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("minMs");
    QTest::newRow("chunked") << QStringList{"--chunk", "3", "--chunk-pause", "20"} << 1000
                             << "0100  41 00 BE 3E B8 11" << 100;
    QTest::newRow("latency") << QStringList{"--latency", "300"} << 1000 << "0100  41 00 BE 3E B8 11"
                             << 300;
    QTest::newRow("no prompt") << QStringList{"--no-prompt"} << 300 << "Fehler" << 300;
    QTest::newRow("silent") << QStringList{"--silent"} << 300 << "Fehler" << 300;
    QTest::newRow("error word") << QStringList{"--error", "BUSBUSY"} << 1000 << "0100  BUSBUSY"
                                << 0;
    QTest::newRow("vehicle answer") << QStringList{"--reply", "0100=41 00 FF FF FF FF"} << 1000
                                    << "0100  41 00 FF FF FF FF" << 0;
}

void TestComPort::simulatorOptions() {
    QFETCH(QStringList, args);
    QFETCH(int, waitMs);
    QFETCH(QString, reply);
    QFETCH(int, minMs);
    test::Simulator sim(args);
    Line line(sim.slavePath());
    line.link.SetReplyWaitForTesting(waitMs);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(line.ask("0100"), reply);
    QVERIFY(timer.elapsed() >= minMs);
    QVERIFY(line.notifier.boxes().isEmpty());
}

void TestComPort::vanishedDevice_data() {
    QTest::addColumn<bool>("killed");
    QTest::newRow("hangs up after one answer") << false;
    QTest::newRow("killed while answering") << true;
}

void TestComPort::vanishedDevice() {
    QFETCH(bool, killed);
    test::Simulator sim(killed ? QStringList{"--latency", "3000"}
                               : QStringList{"--disconnect-after", "1"});
    Line line(sim.slavePath());
    if (!killed)
        QCOMPARE(line.ask("ATE0"), "ATE0  OK");
    std::thread killer;
    QVERIFY(sim.processId() > 0);
    if (killed)
        killer = std::thread([&sim] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            ::kill(static_cast<pid_t>(sim.processId()), SIGKILL);
        });
    QElapsedTimer timer;
    timer.start();
    QString outcome;
    try {
        outcome = line.ask("0100");
    } catch (const DriverError& e) {
        outcome = e.text();
    }
    if (killer.joinable())
        killer.join();
    // A clear error well before the 5000 ms wait would end.
    QVERIFY2(timer.elapsed() < 2500, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(outcome, AdapterLostText(sim.slavePath()));
    // The descriptor was closed with the loss and is not used again: the
    // next exchange says so instead of a driver error on a dead descriptor.
    QVERIFY(!line.port->Connected());
    try {
        line.ask("0100");
        QFAIL("the vanished port was used");
    } catch (const AdapterGone& e) {
        QCOMPARE(e.text(), AdapterClosedText(sim.slavePath()));
    }
    line.port->Close();
    QVERIFY(!line.port->Connected());
}

// A device that keeps sending without a prompt (a GPS receiver on the port):
// the wait ends once more has come than any answer holds, with words instead
// of the overall cap (20 reply waits), and the line is purged.
void TestComPort::streamingDeviceIsNoAdapter_data() {
    QTest::addColumn<int>("baud");
    QTest::newRow("9600 baud") << 9600;
    QTest::newRow("115200 baud") << 115200;
}

void TestComPort::streamingDeviceIsNoAdapter() {
    QFETCH(int, baud);
    test::Simulator sim({"--stream", "nmea", "--baud", QString::number(baud)});
    Line line(sim.slavePath());
    line.link.SetReplyWaitForTesting(1000);
    QElapsedTimer timer;
    timer.start();
    QString outcome;
    try {
        outcome = line.ask("ATZ");
    } catch (const DriverError& e) {
        outcome = e.text();
    }
    QCOMPARE(outcome, NotAnAdapterText(sim.slavePath()));
    // 2 KB take 2.1 s at 9600 baud.
    QVERIFY2(timer.elapsed() < 4000, qPrintable(QString::number(timer.elapsed())));
}

void TestComPort::twoThreadsShareTheLine() {
    test::Simulator sim;
    Line line(sim.slavePath());
    QCOMPARE(line.ask("ATE0"), "ATE0  OK");
    std::atomic<int> wrong{0};
    auto poller = [&line, &wrong](const char* command, const char* expected) {
        for (int i = 0; i < 40; ++i) {
            if (line.ask(command) != expected)
                ++wrong;
        }
    };
    std::thread a(poller, "0105", "410550");
    std::thread b(poller, "0106", "41067B");
    a.join();
    b.join();
    QCOMPARE(wrong.load(), 0);
}

void TestComPort::listsAnnouncedPorts() {
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const QString folder = SimulatorPortFolder();
    QCOMPARE(folder, runtime.filePath("obd-torvane"));
    test::Simulator a({}, folder + "/a");
    auto listed = [] {
        QStringList list{"first"};
        ListComPorts(list);
        return list;
    };
    {
        test::Simulator b({}, folder + "/b");
        const QStringList list = listed();
        QCOMPARE(list.first(), "first");
        QCOMPARE(list.mid(list.size() - 2), (QStringList{folder + "/a", folder + "/b"}));
    }
    // A killed simulator leaves its link behind, pointing at a terminal that
    // is gone. (Killing one here would free its terminal's number for the
    // simulators of tests running beside this one.)
    QVERIFY(QFile::link(QStringLiteral("/dev/pts/obd-torvane-gone"), folder + "/c"));
    QCOMPARE(listed().mid(listed().size() - 1), QStringList{folder + "/a"});
    a.terminate();
    QVERIFY(!QFile::exists(folder + "/a"));
    QVERIFY(!listed().contains(folder + "/a"));
    qunsetenv("XDG_RUNTIME_DIR");
}

// Run as another user by deviceTheUserMayNotOpen: prints the open error.
int tryOpen(const char* device) {
    const QString error = openError(QString::fromLocal8Bit(device));
    std::printf("%s\n", qPrintable(error.isEmpty() ? QStringLiteral("opened") : error));
    return error.isEmpty() ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], TryOpenArgument) == 0)
        return tryOpen(argv[2]);
    QCoreApplication app(argc, argv);
    TestComPort test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_comport.moc"
