// The main window on the offscreen platform: the connection sequence against
// the simulator and against failing chips, navigation, placeholder notices,
// the port choice, and the close.
#include "link/comport.h"
#include "link/link.h"
#include "link/transport.h"
#include "support_main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

using Replies = QHash<QByteArray, QByteArray>;
using namespace obd;
using namespace obd::test;

namespace {

// The status lines of a successful sequence with the ELM323 after the port's.
const QStringList Elm323SequenceLines{
    QStringLiteral("Chip Reset: OK"),
    QStringLiteral("Echo ausschalten: OK"),
    QStringLiteral("LF ausschalten: OK"),
    QStringLiteral("Chip Info: ELM323 v1.1"),
    QStringLiteral("Interface ist betriebsbereit"),
    QStringLiteral("Verbindung mit ECU: OK"),
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void sequenceSucceedsAgainstSimulator();
    void elm327ShowsProtocolAndVoltage();
    void sequenceFails_data();
    void sequenceFails();
    void unopenablePortFailsAtPortStep();
    void demoModeNeedsNoPort();
    void navigation_data();
    void navigation();
    void placeholderNotices();
    void aboutBoxFromToolBar();
    void maximizeToggles();
    void portChoiceIsStored();
    void firstStartStoresDefaultsLaterStartLoadsThem();
    void commandLineChoicesAreNotStored();
    void optionsPageShowsFileFolder();
    void closeEndsLogAfterPortClosed();
    void unreadableMonitorStatusShowsNotAvailable();
    void portChangeDuringPollingSendsNothingBeforeReset();
    void closeEndsTheReplyWaitUnderWay();
    void closeWhileTheSequenceRuns();
    void goneAdapterOffersToReconnect_data();
    void goneAdapterOffersToReconnect();
    void destroyedWhilePolling();
};

namespace {

// A pseudo-terminal nobody answers on: what reaches it is read off its master.
class QuietDevice {
public:
    QuietDevice() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || ::grantpt(m_master) < 0 || ::unlockpt(m_master) < 0)
            qFatal("no pseudo-terminal");
        m_path = QString::fromLocal8Bit(::ptsname(m_master));
    }
    ~QuietDevice() { ::close(m_master); }
    const QString& path() const { return m_path; }
    // What arrived within ms.
    QByteArray received(int ms) {
        QByteArray bytes;
        pollfd p{m_master, POLLIN, 0};
        while (::poll(&p, 1, ms) > 0 && (p.revents & POLLIN)) {
            char buffer[256];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            bytes.append(buffer, n);
        }
        return bytes;
    }

private:
    int m_master = -1;
    QString m_path;
};

// The window after a successful sequence on port, polling on the sensor page.
TfMain& startPolling(MainFixture& f, const QString& port) {
    f.storePort(port);
    TfMain& w = f.start();
    w.Timer1().stop();
    f.runTimer();
    child<QPushButton>(&w, QStringLiteral("btnSensorsRead"))->click();
    return w;
}

} // namespace

void TestMainWindow::sequenceSucceedsAgainstSimulator() {
    Simulator sim;
    MainFixture f;
    f.storePort(sim.slavePath());
    TfMain& w = f.start();
    QCOMPARE(f.label("InterfaceLabel"), QStringLiteral("Interface wird initialisiert..."));
    QVERIFY(w.Timer1().isActive());
    QCOMPARE(w.Timer1().interval(), 500);
    QTRY_COMPARE_WITH_TIMEOUT(f.statusLines().size(), 7, 5000);
    QVERIFY(!w.Timer1().isActive());

    QCOMPARE(f.statusLines(),
             QStringList{QStringLiteral("Port: ") + sim.slavePath() + QStringLiteral(" bereit")} +
                 Elm323SequenceLines);
    QCOMPARE(f.statusPictures(), QList<bool>(7, true));
    QVERIFY(f.lamp("COM_Led") && f.lamp("ELM_Led") && f.lamp("ECU_Led"));
    QCOMPARE(f.label("COM_Label"), sim.slavePath());
    QCOMPARE(f.label("InterfaceLabel"), QStringLiteral("Interface: ELM323 v1.1"));
    QVERIFY(!w.Context().link->CommFailure);
    QVERIFY(!child<QLineEdit>(&w, QStringLiteral("edOBDType"))->text().isEmpty());
    // The demo vehicle's monitor status: lamp off, no codes, all supported
    // and complete.
    QCOMPARE(f.label("labMIL_Status"), QStringLiteral("AUS"));
    QCOMPARE(f.label("DTCCountLabel"), QStringLiteral("0"));
    QCOMPARE(f.label("labCatalyst_S"), QStringLiteral("Yes"));
    QCOMPARE(f.label("labOxygensensorheater_C"), QStringLiteral("Yes"));
    QVERIFY(f.shown.isEmpty());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

// An ELM327 on a car with two control units: the protocol in the status list
// and, short, in the status bar; the voltage; MIL and count over both units.
void TestMainWindow::elm327ShowsProtocolAndVoltage() {
    Simulator sim({"--chip", "elm327", "--units", "2"});
    MainFixture f;
    f.storePort(sim.slavePath());
    TfMain& w = f.start();
    // The monitor status comes last.
    QTRY_COMPARE_WITH_TIMEOUT(f.label("labMIL_Status"), QStringLiteral("AN"), 10000);
    QCOMPARE(f.statusLines().mid(5), (QStringList{
                                         QStringLiteral("Header einschalten: OK"),
                                         QStringLiteral("Protokollsuche: OK"),
                                         QStringLiteral("Interface ist betriebsbereit"),
                                         QStringLiteral("Verbindung mit ECU: OK"),
                                         QStringLiteral("Protokoll: ISO 15765-4 (CAN 11/500)"),
                                         QStringLiteral("Batteriespannung: 12.6V"),
                                     }));
    QCOMPARE(f.label("ProtocolLabel"), QStringLiteral("CAN 11/500"));
    QCOMPARE(f.label("InterfaceLabel"), QStringLiteral("Interface: ELM327 v1.5"));
    QCOMPARE(f.label("DTCCountLabel"), QStringLiteral("6"));
    QVERIFY(!w.Context().link->CommFailure);
    QVERIFY(f.shown.isEmpty());
}

void TestMainWindow::sequenceFails_data() {
    QTest::addColumn<Replies>("replies");
    QTest::addColumn<QStringList>("tail");
    QTest::addColumn<bool>("elmLamp");

    const QByteArray id = "ELM323 v1.1";
    QTest::newRow("silent chip") << Replies{{"ATZ", ""}}
                                 << QStringList{"Chip Reset: Fehler",
                                                "Keine Verbindung zum Interface"}
                                 << false;
    QTest::newRow("echo off refused") << Replies{{"ATZ", id}, {"ATE0", "ok"}}
                                      << QStringList{"Chip Reset: OK", "Echo ausschalten: Fehler",
                                                     "Keine Verbindung zum Interface"}
                                      << true;
    QTest::newRow("ECU silent")
        << Replies{{"ATZ", id}, {"ATE0", "OK"}, {"ATL0", "OK"}, {"ATI", id}, {"0100", "NO DATA"}}
        << QStringList{"Chip Reset: OK",
                       "Echo ausschalten: OK",
                       "LF ausschalten: OK",
                       "Chip Info: ELM323 v1.1",
                       "Interface ist betriebsbereit",
                       "Verbindung mit ECU: ELM323 v1.1"}
        << true;
}

void TestMainWindow::sequenceFails() {
    QFETCH(Replies, replies);
    QFETCH(QStringList, tail);
    QFETCH(bool, elmLamp);

    TableChip chip(replies);
    MainFixture f;
    f.storePort(chip.slavePath());
    TfMain& w = f.start();
    w.Timer1().stop();
    w.Context().link->SetReplyWaitForTesting(300);
    f.runTimer();

    const QStringList lines = f.statusLines();
    QCOMPARE(lines.first(),
             QStringLiteral("Port: ") + chip.slavePath() + QStringLiteral(" bereit"));
    QCOMPARE(lines.mid(1), tail);
    QList<bool> pictures(lines.size(), true);
    pictures.last() = false;
    if (tail.last() == QLatin1String("Keine Verbindung zum Interface"))
        pictures[lines.size() - 2] = false;
    QCOMPARE(f.statusPictures(), pictures);
    QVERIFY(f.lamp("COM_Led"));
    QCOMPARE(f.lamp("ELM_Led"), elmLamp);
    QVERIFY(!f.lamp("ECU_Led"));
    QVERIFY(w.Context().link->CommFailure);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void TestMainWindow::unopenablePortFailsAtPortStep() {
    MainFixture f;
    const QString port = f.folder() + QStringLiteral("/no-such-tty");
    f.storePort(port);
    TfMain& w = f.start();
    w.Timer1().stop();
    f.answers = {BoxButton::No};
    child<QPushButton>(&w, QStringLiteral("NeuInitialisierenBtn"))->click();

    QCOMPARE(f.shown.size(), 1);
    QCOMPARE(f.shown[0].caption, QStringLiteral("Fehler"));
    QCOMPARE(f.shown[0].text, port + QStringLiteral(" kann nicht geöffnet werden!"));
    QCOMPARE(f.statusLines(), (QStringList{QStringLiteral("Port: ") + port +
                                               QStringLiteral(" kann nicht geöffnet werden"),
                                           QStringLiteral("Keine Verbindung zum Interface")}));
    QCOMPARE(f.statusPictures(), (QList<bool>{false, false}));
    QCOMPARE(f.label("COM_Label"), QStringLiteral("COM?"));
    QCOMPARE(f.label("InterfaceLabel"), QStringLiteral("Interface: Fehler"));
    QVERIFY(!f.lamp("COM_Led") && !f.lamp("ELM_Led") && !f.lamp("ECU_Led"));
    QVERIFY(w.Context().link->CommFailure);
    const QStringList log = f.logLines();
    QVERIFY(log.last().endsWith(QStringLiteral(" - New Init")));
    QVERIFY(log.filter(QStringLiteral(" - S: ")).isEmpty());
}

// Started with --demo (the menu entry's demo action) and no adapter at all:
// no port is opened, the demo vehicle answers the sequence and the vehicle
// pages read it. Without demo mode the vehicle actions close again.
void TestMainWindow::demoModeNeedsNoPort() {
    MainFixture f;
    f.storePort(f.folder() + QStringLiteral("/no-such-tty"));
    TfMain& w = f.start();
    w.Timer1().stop();
    w.StartWith({}, true);
    f.runTimer();

    QVERIFY(f.shown.isEmpty());
    QCOMPARE(f.statusLines(),
             QStringList{QStringLiteral("Port: keiner nötig (Demo-Mode)")} + Elm323SequenceLines);
    QCOMPARE(f.statusPictures(), QList<bool>(7, true));
    QCOMPARE(f.label("COM_Label"), QStringLiteral("Demo"));
    QVERIFY(f.lamp("COM_Led") && f.lamp("ELM_Led") && f.lamp("ECU_Led"));
    QVERIFY(!w.Context().port->Connected());
    QVERIFY(!w.Context().link->CommFailure);

    w.MenuBarBtnClick(child<QToolButton>(&w, QStringLiteral("btnFehlercodes")));
    child<QPushButton>(&w, QStringLiteral("TroubleCodesRead"))->click();
    QVERIFY(f.shown.isEmpty());
    QCOMPARE(child<QListWidget>(&w, QStringLiteral("DTC_ListBox"))->count(), 15);

    child<QCheckBox>(&w, QStringLiteral("cbDemoMode"))->click();
    QVERIFY(w.Context().link->CommFailure);
}

void TestMainWindow::navigation_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("heading");
    const QList<std::array<const char*, 3>> rows = {
        {"btnStart", "Start", "Start"},
        {"btnFehlercodes", "DTC", "Fehlercodes"},
        {"btnSensorData", "Sensordaten", "Sensordaten"},
        {"btnFreezeFrames", "Seite2", "Freeze Frames"},
        {"btnO2Sensor", "Seite3", "O2 Sensors"},
        {"btnTerminal", "Terminal", "Terminal"},
        {"btnGeneral", "General Options", "General"},
        {"btnCustomer", "Customer", "Customer"},
        {"btnVehicle", "Vehicle", "Vehicle"},
        {"btnDTCs", "DTC's", "DTC's"},
    };
    for (const auto& r : rows)
        QTest::newRow(r[0]) << QString::fromUtf8(r[0]) << QString::fromUtf8(r[1])
                            << QString::fromUtf8(r[2]);
}

void TestMainWindow::navigation() {
    QFETCH(QString, button);
    QFETCH(QString, page);
    QFETCH(QString, heading);
    bool polling = true; // outlives the window, whose close asks it again
    MainFixture f;
    TfMain& w = f.start();
    w.Timer1().stop();
    int stops = 0;
    w.Context().pollerRunning = [&polling] { return polling; };
    w.Context().requestPollerStop = [&stops] { ++stops; };

    auto* stack = child<QStackedWidget>(&w, QStringLiteral("Notebook"));
    QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("Start"));
    // Buttons of the closed group are hidden; the call is what a click does.
    w.MenuBarBtnClick(child<QToolButton>(&w, button));
    QCOMPARE(stack->currentWidget()->objectName(), page);
    QCOMPARE(f.label("InfoPanel"), QStringLiteral("  ") + heading);
    QCOMPARE(stops, 1);
    w.MenuBarBtnClick(child<QToolButton>(&w, button));
    QCOMPARE(stops, 2);
    polling = false;
    QVERIFY(f.shown.isEmpty());
}

void TestMainWindow::placeholderNotices() {
    MainFixture f;
    TfMain& w = f.start();
    w.Timer1().stop();
    const QStringList order{"Start",    "DTC",      "Sensordaten",     "Seite2", "Seite3",
                            "Terminal", "Customer", "General Options", "DTC's",  "Vehicle"};
    auto* stack = child<QStackedWidget>(&w, QStringLiteral("Notebook"));
    for (int i = 0; i < stack->count(); ++i)
        QCOMPARE(stack->widget(i)->objectName(), order[i]);

    // A tag outside 0..9 shows the notice, keeps the page, changes the heading.
    auto* terminal = child<QToolButton>(&w, QStringLiteral("btnTerminal"));
    terminal->setProperty("Tag", 10);
    w.MenuBarBtnClick(terminal);
    QCOMPARE(f.shown.size(), 1);
    QCOMPARE(f.shown[0].text, QStringLiteral("In dieser Version nich möglich"));
    QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("Start"));
    QCOMPARE(f.label("InfoPanel"), QStringLiteral("  Terminal"));
}

void TestMainWindow::aboutBoxFromToolBar() {
    MainFixture f;
    TfMain& w = f.start();
    w.Timer1().stop();
    QString shown;
    QTimer::singleShot(0, [&shown] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            shown = box->objectName();
            box->close();
        }
    });
    child<QToolButton>(&w, QStringLiteral("FlatSpeedButton3"))->click();
    QCOMPARE(shown, QStringLiteral("fInfo"));
    QVERIFY(f.shown.isEmpty());
}

void TestMainWindow::maximizeToggles() {
    MainFixture f;
    TfMain& w = f.start();
    w.Timer1().stop();
    QCOMPARE(w.geometry(), QRect(220, 105, 632, 546));
    auto* button = child<QToolButton>(&w, QStringLiteral("tbMaximize"));
    const qint64 maximizeGlyph = button->icon().cacheKey();
    button->click();
    QTRY_VERIFY(w.isMaximized());
    QVERIFY(button->icon().cacheKey() != maximizeGlyph);
    button->click();
    QTRY_VERIFY(!w.isMaximized());
    QCOMPARE(w.size(), QSize(632, 546));
}

void TestMainWindow::portChoiceIsStored() {
    MainFixture f;
    TfMain& w = f.start();
    w.Timer1().stop();
    auto* combo = child<QComboBox>(&w, QStringLiteral("COM_CB"));
    const QString chosen = f.folder() + QStringLiteral("/another-tty");
    combo->addItem(chosen);
    combo->setCurrentIndex(combo->count() - 1);
    emit combo->textActivated(chosen);
    QVERIFY(f.shown.isEmpty());
    QCOMPARE(w.Context().port->Port(), chosen);
    QCOMPARE(QSettings(f.settingsFile(), QSettings::IniFormat).value("Port").toString(), chosen);
}

void TestMainWindow::firstStartStoresDefaultsLaterStartLoadsThem() {
    MainFixture f;
    {
        TfMain& w = f.start();
        w.Timer1().stop();
        QCOMPARE(w.Context().port->Port(), DefaultPortName);
        f.window->close();
        f.window.reset();
    }
    {
        QSettings stored(f.settingsFile(), QSettings::IniFormat);
        QCOMPARE(stored.value("Port").toString(), DefaultPortName);
        QCOMPARE(stored.value("BaudRate").toString(), QStringLiteral("9600"));
        QCOMPARE(stored.value("Parity").toString(), QStringLiteral("None"));
        QCOMPARE(stored.value("FlowControl").toString(), QStringLiteral("Custom"));
    }
    const QStringList firstRun = f.logLines();
    QCOMPARE(firstRun.mid(0, 2), (QStringList{" ", QString(49, '*') + ' '}));
    QVERIFY(firstRun[2].endsWith(QStringLiteral(" - Programmstart")));

    const QString stored = f.folder() + QStringLiteral("/chosen-tty");
    f.storePort(stored);
    TfMain& w = f.start();
    w.Timer1().stop();
    QCOMPARE(w.Context().port->Port(), stored);
    // Not among the ports found: no selection.
    QCOMPARE(child<QComboBox>(&w, QStringLiteral("COM_CB"))->currentIndex(), -1);
    // The second run's block follows the first one's.
    QCOMPARE(f.logLines().mid(firstRun.size(), 1), QStringList{" "});
}

void TestMainWindow::commandLineChoicesAreNotStored() {
    MainFixture f;
    TfMain& w = f.start();
    w.Timer1().stop();
    const QString given = f.folder() + QStringLiteral("/given-tty");
    w.StartWith(given, true);
    QCOMPARE(w.Context().port->Port(), given);
    QVERIFY(w.Context().link->DemoMode.load());
    QVERIFY(child<QCheckBox>(&w, QStringLiteral("cbDemoMode"))->isChecked());
    QVERIFY(f.logLines().last().endsWith(QStringLiteral(" - Demo-Mode ON")));
    QCOMPARE(f.logLines().filter(QStringLiteral(" - Demo-Mode ON")).size(), 1);
    QCOMPARE(QSettings(f.settingsFile(), QSettings::IniFormat).value("Port").toString(),
             DefaultPortName);
}

void TestMainWindow::optionsPageShowsFileFolder() {
    MainFixture f;
    TfMain& w = f.start();
    w.Timer1().stop();
    auto* folder = child<QLineEdit>(&w, QStringLiteral("edFileFolder"));
    QCOMPARE(folder->text(), QDir::toNativeSeparators(f.folder()));
    QCOMPARE(folder->accessibleName(), folder->text());
    QVERIFY(folder->isReadOnly());
}

void TestMainWindow::closeEndsLogAfterPortClosed() {
    Simulator sim;
    MainFixture f;
    f.storePort(sim.slavePath());
    TfMain& w = f.start();
    w.Timer1().stop();
    f.runTimer();
    QVERIFY(w.Context().port->Connected());
    w.close();
    QVERIFY(!w.Context().port->Connected());
    const QStringList log = f.logLines();
    QVERIFY(log[log.size() - 2].endsWith(QStringLiteral(" - Programm terminated")));
    QCOMPARE(log.last(), QString(49, '*') + ' ');
    // The simulator can be opened again: the port was given back.
    TComPort again;
    again.SetPort(sim.slavePath());
    again.Open();
    QVERIFY(again.Connected());
}

// The vehicle answers 0101 with another PID: no state is shown, and the
// status list says the read failed.
void TestMainWindow::unreadableMonitorStatusShowsNotAvailable() {
    Simulator sim({"--reply", "0101=41 0C 1A F8"});
    MainFixture f;
    f.storePort(sim.slavePath());
    TfMain& w = f.start();
    w.Timer1().stop();
    f.runTimer();
    QCOMPARE(f.statusLines().last(), QStringLiteral("Monitorstatus: Fehler"));
    QCOMPARE(f.statusPictures().last(), false);
    for (const char* label : {"labMIL_Status", "DTCCountLabel", "labMisfire_S", "labCatalyst_C"})
        QCOMPARE(f.label(label), QStringLiteral("N/A"));
    QVERIFY(!w.Context().link->CommFailure); // the ECU answered
}

// Another port chosen while the poller waits for a reply: the poller ends on
// the old device, and the new one hears nothing before the sequence's reset.
void TestMainWindow::portChangeDuringPollingSendsNothingBeforeReset() {
    Simulator sim({"--latency", "20"});
    QuietDevice device;
    MainFixture f;
    TfMain& w = startPolling(f, sim.slavePath());
    QTRY_VERIFY(f.label("Label6").toInt() >= 1);
    auto* combo = child<QComboBox>(&w, QStringLiteral("COM_CB"));
    combo->addItem(device.path());
    combo->setCurrentIndex(combo->count() - 1);
    emit combo->textActivated(device.path());
    QVERIFY(!w.Context().pollerRunning());
    QCOMPARE(w.Context().port->Port(), device.path());
    QCOMPARE(device.received(500), QByteArray());
    w.Context().link->SetReplyWaitForTesting(100);
    child<QPushButton>(&w, QStringLiteral("NeuInitialisierenBtn"))->click();
    QVERIFY(device.received(100).startsWith("ATZ\r"));
}

// Closing while the poller waits for a reply that does not come: the close
// ends that wait instead of sitting it out.
void TestMainWindow::closeEndsTheReplyWaitUnderWay() {
    // A vehicle that supports engine speed alone and never answers for it.
    const QByteArray id = "ELM323 v1.1";
    TableChip chip({{"ATZ", id},
                    {"ATE0", "OK"},
                    {"ATL0", "OK"},
                    {"ATI", id},
                    {"0100", "41 00 00 10 00 00"},
                    {"0101", "41 01 00 00 00 00"},
                    {"010C", ""}});
    MainFixture f;
    TfMain& w = startPolling(f, chip.slavePath());
    QTRY_VERIFY(f.logLines().last().endsWith(QStringLiteral(" - S: 010C")));
    QElapsedTimer closing;
    closing.start();
    w.close();
    QVERIFY2(closing.elapsed() < Link::ReplyWaitMs / 2,
             qPrintable(QString::number(closing.elapsed())));
    QVERIFY(!w.Context().pollerRunning());
    QVERIFY(!w.Context().port->Connected());
}

// Closed at the seventh status line, while the sequence still reads the
// vehicle on its own thread: the close aborts that work and lets it end
// before the port and the log close, so neither descriptor is used after its
// close (which gave "WaitForEvent method failed (win error code: 9)" and
// "Protokolldatei ... Bad file descriptor").
void TestMainWindow::closeWhileTheSequenceRuns() {
    Simulator sim({"--latency", "20"});
    MainFixture f;
    f.storePort(sim.slavePath());
    TfMain& w = f.start();
    w.Timer1().stop();
    auto* list = child<QListWidget>(&w, QStringLiteral("LogListBox"));
    QElapsedTimer closing;
    connect(list->model(), &QAbstractItemModel::rowsInserted, &w, [&] {
        if (list->count() != 7 || closing.isValid())
            return;
        closing.start();
        QTimer::singleShot(0, &w, [&w] { w.close(); });
    });
    f.runTimer();
    QTRY_VERIFY(!w.isVisible());
    QVERIFY(closing.isValid());
    QVERIFY2(closing.elapsed() < Link::ReplyWaitMs / 2,
             qPrintable(QString::number(closing.elapsed())));
    QCOMPARE(f.shown.size(), 0);
    QVERIFY(!w.Context().port->Connected());
    const QStringList log = f.logLines();
    QVERIFY(log[log.size() - 2].endsWith(QStringLiteral(" - Programm terminated")));
    QCOMPARE(log.last(), QString(49, '*') + ' ');
}

// The adapter unplugged after a good connection, or never connected: the
// next action says so in words (not a driver error on a closed descriptor)
// and offers to connect again; Ja connects to the adapter plugged in again.
void TestMainWindow::goneAdapterOffersToReconnect_data() {
    QTest::addColumn<bool>("unplugged");
    QTest::newRow("unplugged") << true;
    QTest::newRow("never connected") << false;
}

void TestMainWindow::goneAdapterOffersToReconnect() {
    QFETCH(bool, unplugged);
    QTemporaryDir dir;
    const QString port = dir.filePath(QStringLiteral("adapter"));
    auto sim = unplugged ? std::make_unique<Simulator>(QStringList{}, port) : nullptr;
    MainFixture f;
    f.storePort(port);
    TfMain& w = f.start();
    w.Timer1().stop();
    f.runTimer();
    QCOMPARE(w.Context().link->CommFailure.load(), !unplugged);
    sim.reset();
    sim = std::make_unique<Simulator>(QStringList{}, port);
    f.shown.clear();
    f.answers = {BoxButton::Yes};
    child<QLineEdit>(&w, QStringLiteral("FlatEdit1"))->setText(QStringLiteral("ATI"));
    child<QPushButton>(&w, QStringLiteral("FlatButton5"))->click();
    QVERIFY(!f.shown.isEmpty());
    QCOMPARE(f.shown.first().text, (unplugged ? AdapterLostText(port) : AdapterClosedText(port)) +
                                       QStringLiteral("\r\n\r\nJetzt neu verbinden?"));
    QCOMPARE(f.shown.size(), 1);
    QVERIFY(!w.Context().link->CommFailure);
    QVERIFY(f.statusLines().contains(QStringLiteral("Verbindung mit ECU: OK")));
}

// The window destroyed while polling, without a close before: the worker ends
// before the exchange it uses goes, after the reply it waited for.
void TestMainWindow::destroyedWhilePolling() {
    Simulator sim({"--latency", "20"});
    MainFixture f;
    startPolling(f, sim.slavePath());
    QTRY_VERIFY(f.label("Label6").toInt() >= 1);
    f.window.reset();
    QVERIFY(f.logLines().last().contains(QStringLiteral(" - R: ")));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
