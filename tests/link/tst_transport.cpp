// The port's transports beyond the plain serial line: a Wi-Fi adapter reached
// over TCP (every server here listens on 127.0.0.1 and nowhere else), and
// rate detection on a serial device against elmsim at its own speed.
#include "common/errors.h"
#include "link/comport.h"
#include "link/link.h"
#include "link/portsettings.h"
#include "link/tcpline.h"
#include "support_link.h"

#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace obd;

namespace {

// The text a failed open raises (and whether the port stayed closed).
QString openError(TComPort& port) {
    try {
        port.Open();
    } catch (const DriverError& e) {
        return port.Connected() ? QStringLiteral("failed but left open") : e.text();
    }
    return QString();
}

struct Line {
    TComPort port;
    test::RecordingNotifier notifier;
    Link link{port, nullptr, notifier};
    QString ask(const QString& command) {
        link.SendCommand(command);
        return link.ReceiveReply();
    }
};

} // namespace

class TestTransport : public QObject {
    Q_OBJECT
private slots:
    void addressForms_data();
    void addressForms();
    void wifiAdapterSession();
    void refusedConnection();
    void connectIsBounded_data();
    void connectIsBounded();
    void silentAdapter();
    void adapterHangsUp();
    void rateDetection_data();
    void rateDetection();
    void detectionIsStored();
    void portReleasedBeforeTheExchange();
};

void TestTransport::addressForms_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("host"); // empty: a serial device
    QTest::addColumn<int>("port");
    QTest::newRow("adapter") << "192.168.0.10:35000"
                             << "192.168.0.10" << 35000;
    QTest::newRow("host name") << "obd-adapter.local:23"
                               << "obd-adapter.local" << 23;
    QTest::newRow("IPv6") << "[fe80::1]:35000"
                          << "fe80::1" << 35000;
    QTest::newRow("device") << "/dev/ttyUSB0"
                            << "" << 0;
    QTest::newRow("path with colon") << "/dev/serial/by-path/pci-0:1"
                                     << "" << 0;
    QTest::newRow("no port") << "192.168.0.10"
                             << "" << 0;
    QTest::newRow("port 0") << "192.168.0.10:0"
                            << "" << 0;
    QTest::newRow("port too big") << "192.168.0.10:65536"
                                  << "" << 0;
    QTest::newRow("port not a number") << "adapter:35k"
                                       << "" << 0;
    QTest::newRow("IPv6 unbracketed") << "fe80::1:35000"
                                      << "" << 0;
    QTest::newRow("blank in host") << "my adapter:35000"
                                   << "" << 0;
}

void TestTransport::addressForms() {
    QFETCH(QString, name);
    QFETCH(QString, host);
    QFETCH(int, port);
    TcpAddress address;
    QCOMPARE(ParseTcpAddress(name, address), !host.isEmpty());
    if (!host.isEmpty()) {
        QCOMPARE(address.host, host);
        QCOMPARE(int(address.port), port);
    }
}

// The chip commands and a service read, byte stream over TCP, with the
// exchange's log lines and no box.
void TestTransport::wifiAdapterSession() {
    test::WifiAdapter adapter;
    Line line;
    line.port.SetPort(adapter.address());
    line.port.Open();
    QCOMPARE(line.ask("ATZ"), "ATZ  ELM323 v1.1");
    QCOMPARE(line.ask("ATE0"), "ATE0  OK");
    QCOMPARE(line.ask("ATL0"), "OK");
    QCOMPARE(line.ask("0100"), "4100BE3EB811");
    QCOMPARE(line.ask("0105"), "410550");
    QCOMPARE(line.notifier.boxes(), QStringList());
    line.port.Close();
    QVERIFY(!line.port.Connected());
}

void TestTransport::refusedConnection() {
    QString address;
    {
        const test::Listener gone;
        address = gone.address();
    }
    TComPort port;
    port.SetPort(address);
    QCOMPARE(openError(port), "Unable to open com port (win error code: 111)");
}

// A server whose queue of connections is full takes no more: the connect
// ends at its bound, or at once when the exchange is aborted.
void TestTransport::connectIsBounded_data() {
    QTest::addColumn<bool>("abort");
    QTest::addColumn<QString>("error");
    QTest::newRow("bound") << false << "Unable to open com port (win error code: 110)";
    QTest::newRow("aborted") << true << "Unable to open com port (win error code: 125)";
}

void TestTransport::connectIsBounded() {
    QFETCH(bool, abort);
    QFETCH(QString, error);
    const test::Listener full(0);
    std::vector<int> queued;
    for (int i = 0; i < 2; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const sockaddr_in a = test::Loopback(full.port());
        ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
        queued.push_back(fd);
    }
    QTest::qWait(100);
    Line line;
    line.port.SetPort(full.address());
    std::thread aborter;
    if (abort)
        aborter = std::thread([&line] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            line.link.Abort();
        });
    QElapsedTimer timer;
    timer.start();
    const QString raised = openError(line.port);
    const qint64 elapsed = timer.elapsed();
    if (aborter.joinable())
        aborter.join();
    for (const int fd : queued)
        ::close(fd);
    QCOMPARE(raised, error);
    if (abort) {
        QVERIFY2(elapsed < TcpLine::ConnectTimeoutMs - 1000, qPrintable(QString::number(elapsed)));
    } else {
        QVERIFY(elapsed >= TcpLine::ConnectTimeoutMs - 100);
        QVERIFY2(elapsed < 3 * TcpLine::ConnectTimeoutMs, qPrintable(QString::number(elapsed)));
    }
}

// Connected, but the adapter never answers: the reply wait ends it.
void TestTransport::silentAdapter() {
    const test::Listener server;
    Line line;
    line.port.SetPort(server.address());
    line.port.Open();
    const int peer = server.accept();
    QVERIFY(peer >= 0);
    line.link.SetReplyWaitForTesting(300);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(line.ask("ATZ"), ReplyError);
    QVERIFY(timer.elapsed() < 5000);
    char command[8] = {};
    QCOMPARE(::read(peer, command, sizeof command), ssize_t(4));
    QCOMPARE(QByteArray(command), QByteArray("ATZ\r"));
    ::close(peer);
}

// The adapter closes the connection before it answers: the wait fails at
// once with the driver's text instead of waiting for a reply that cannot come.
void TestTransport::adapterHangsUp() {
    const test::Listener server;
    Line line;
    line.port.SetPort(server.address());
    line.port.Open();
    const int peer = server.accept();
    QVERIFY(peer >= 0);
    line.link.SendCommand("ATZ");
    ::close(peer);
    QElapsedTimer timer;
    timer.start();
    QVERIFY_THROWS_EXCEPTION(DriverError, line.link.ReceiveReply());
    QVERIFY(timer.elapsed() < Link::ReplyWaitMs);
    // The line is free again for the next exchange.
    QVERIFY_THROWS_EXCEPTION(DriverError, line.ask("ATZ"));
}

// elmsim understands only its own speed; the stored rate is 9600. A rate
// counts as found only when the chip identifies itself to ATI: noise, even
// with a '>' in it, is no answer, and a device that keeps sending ends the
// detection at its first rate.
void TestTransport::rateDetection_data() {
    QTest::addColumn<QStringList>("chip");
    QTest::addColumn<bool>("autoBaud");
    QTest::addColumn<int>("detected"); // -1: no detection ran
    QTest::addColumn<int>("tried");
    QTest::addColumn<int>("rate");
    QTest::addColumn<QString>("reply");
    const QString id = "ATI  ELM323 v1.1";
    const int all = int(std::size(DetectionRates));
    QTest::newRow("found") << QStringList{"--rate", "115200"} << true << 115200 << 3 << 115200
                           << id;
    QTest::newRow("first candidate")
        << QStringList{"--rate", "38400"} << true << 38400 << 1 << 38400 << id;
    QTest::newRow("last candidate")
        << QStringList{"--rate", "19200"} << true << 19200 << all << 19200 << id;
    // A loaded machine: the chip begins its answer only after 400 ms.
    QTest::newRow("late answer") << QStringList{"--rate", "19200", "--latency", "400"} << true
                                 << 19200 << all << 19200 << id;
    QTest::newRow("none answers") << QStringList{"--rate", "250000"} << true << 0 << all << 9600
                                  << ReplyError;
    QTest::newRow("noise with prompts")
        << QStringList{"--stream", "noise", "--baud", "115200"} << true << 0 << 1 << 9600 << "";
    QTest::newRow("off: stored rate")
        << QStringList{"--rate", "115200"} << false << -1 << 0 << 9600 << ReplyError;
    QTest::newRow("off: stored rate fits")
        << QStringList{"--rate", "9600"} << false << -1 << 0 << 9600 << id;
}

void TestTransport::rateDetection() {
    QFETCH(QStringList, chip);
    QFETCH(bool, autoBaud);
    QFETCH(int, detected);
    QFETCH(int, tried);
    QFETCH(int, rate);
    QFETCH(QString, reply);
    test::Simulator sim(chip);
    Line line;
    line.port.SetAutoBaud(autoBaud);
    line.port.SetPort(sim.slavePath());
    line.port.Open();
    const std::optional<RateDetection>& detection = line.port.Detection();
    QCOMPARE(detection ? detection->rate : -1, detected);
    QCOMPARE(detection ? int(detection->tried.size()) : 0, tried);
    QCOMPARE(detection && detection->streaming, chip.contains("--stream"));
    QCOMPARE(line.port.Settings().baudRate, rate);
    if (reply.isEmpty())
        return;
    line.link.SetReplyWaitForTesting(500);
    QCOMPARE(line.ask("ATI"), reply);
}

// The rate found is what the port settings store, with the switch; the next
// start opens at it.
void TestTransport::detectionIsStored() {
    test::Simulator sim({"--rate", "57600"});
    QTemporaryDir dir;
    const QString file = dir.filePath("settings.ini");
    {
        auto port = CreatePort();
        port->SetAutoBaud(true);
        port->SetPort(sim.slavePath());
        port->Open();
        QSettings settings(file, QSettings::IniFormat);
        StorePortSettings(*port, settings);
    }
    QSettings stored(file, QSettings::IniFormat);
    QCOMPARE(stored.value("BaudRate").toString(), "57600");
    QCOMPARE(stored.value("AutoBaud").toString(), "True");
    auto again = CreatePort();
    LoadPortSettings(*again, stored);
    QVERIFY(again->AutoBaud());
    QCOMPARE(again->Settings().baudRate, 57600);

    // Switched off, the value goes and the seven port values stay.
    again->SetAutoBaud(false);
    StorePortSettings(*again, stored);
    QCOMPARE(stored.childKeys(),
             (QStringList{"BaudRate", "DataBits", "FlowControl", "Parity", "Port", "StopBits"}));
}

// Shutdown releases the port before the exchange that uses it goes: the
// exchange must not touch the port on its way out (a crash, or the address
// sanitizer's report, is the failure here).
void TestTransport::portReleasedBeforeTheExchange() {
    test::RecordingNotifier notifier;
    auto port = CreatePort();
    auto link = std::make_unique<Link>(*port, nullptr, notifier);
    ClosePort(port);
    link.reset();
}

QTEST_GUILESS_MAIN(TestTransport)
#include "tst_transport.moc"
