// The port box and the rate detection switch of "General Options", used by
// keyboard as a user does, and the connection sequence that follows them: a
// Wi-Fi adapter typed in as host:port, and a chip found at its own rate.
#include "link/comport.h"
#include "link/support_link.h"
#include "support_main.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace obd;
using namespace obd::test;

namespace {

QString boxes(const MainFixture& f) {
    QStringList texts;
    for (const ShownBox& box : f.shown)
        texts << box.caption + ": " + box.text;
    return texts.join('|');
}

} // namespace

class TestOptionsPage : public QObject {
    Q_OBJECT
private slots:
    void typedAdapterIsUsedAndStored();
    void detectionFindsTheChipsRate();
    void serverChosenForTheNextStart();
    void detectionSaysWhatItFound_data();
    void detectionSaysWhatItFound();
    void reopeningKeepsTheWindowDrawn();
};

void TestOptionsPage::typedAdapterIsUsedAndStored() {
    WifiAdapter adapter;
    MainFixture f;
    TfMain& w = f.start();
    w.Timer1().stop();
    auto* box = child<QComboBox>(&w, QStringLiteral("COM_CB"));
    box->setFocus();
    box->lineEdit()->clear();
    QTest::keyClicks(box, adapter.address());
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(boxes(f), QString());
    QCOMPARE(w.Context().port->Port(), adapter.address());
    QCOMPARE(QSettings(f.settingsFile(), QSettings::IniFormat).value("Port").toString(),
             adapter.address());
    // Announced by what it shows.
    QCOMPARE(QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name),
             adapter.address());

    f.runTimer();
    const QStringList lines = f.statusLines();
    QCOMPARE(lines.value(0), "Port: " + adapter.address() + " bereit");
    QVERIFY2(lines.contains("Verbindung mit ECU: OK"), qPrintable(lines.join('|')));
    QVERIFY(f.lamp("ECU_Led"));
}

// The stored rate is 9600, elmsim answers at 115200 only.
void TestOptionsPage::detectionFindsTheChipsRate() {
    Simulator sim({"--rate", "115200"});
    MainFixture f;
    f.storePort(sim.slavePath());
    TfMain& w = f.start();
    w.Timer1().stop();
    auto* detect = child<QCheckBox>(&w, QStringLiteral("FlatCheckBox1"));
    QVERIFY(!detect->isChecked());
    detect->setFocus();
    QTest::keyClick(detect, Qt::Key_Space);
    QVERIFY(w.Context().port->AutoBaud());
    QCOMPARE(QSettings(f.settingsFile(), QSettings::IniFormat).value("AutoBaud").toString(),
             "True");

    f.runTimer();
    const QStringList lines = f.statusLines();
    QCOMPARE(lines.mid(0, 2),
             (QStringList{"Port: " + sim.slavePath() + " bereit", "Baudrate erkannt: 115200"}));
    QVERIFY2(lines.contains("Verbindung mit ECU: OK"), qPrintable(lines.join('|')));
    QCOMPARE(QSettings(f.settingsFile(), QSettings::IniFormat).value("BaudRate").toString(),
             "115200");
    QCOMPARE(boxes(f), QString());
}

// The "Datenbank" group stores the server (never a password) at once; the
// next start uses it, and a server that cannot be reached is said so in a
// box while the program goes on.
void TestOptionsPage::serverChosenForTheNextStart() {
    MainFixture f;
    TfMain& w = f.start();
    w.Timer1().stop();
    child<QRadioButton>(&w, QStringLiteral("rbServer"))->click();
    const QString socketFolder = f.folder() + "/no-server";
    for (auto [name, text] :
         {std::pair{"edDbHost", socketFolder}, {"edDbName", "werkstatt"}, {"edDbUser", "anna"}}) {
        auto* edit = child<QLineEdit>(&w, QLatin1String(name));
        edit->setFocus();
        edit->setText(text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    QCOMPARE(boxes(f), QString());
    QSettings stored(f.settingsFile(), QSettings::IniFormat);
    QCOMPARE(stored.value("Datenbank/Art").toString(), QString("PostgreSQL"));
    QCOMPARE(stored.value("Datenbank/Host").toString(), socketFolder);
    QCOMPARE(stored.value("Datenbank/Name").toString(), QString("werkstatt"));
    QCOMPARE(stored.value("Datenbank/Benutzer").toString(), QString("anna"));
    QCOMPARE(stored.value("Datenbank/Port").toInt(), 5432);
    for (const QString& key : stored.allKeys())
        QVERIFY2(!key.contains("pass", Qt::CaseInsensitive) &&
                     !key.contains("kennwort", Qt::CaseInsensitive),
                 qPrintable(key));

    f.window.reset();
    TfMain& next = f.start();
    next.Timer1().stop();
    QVERIFY2(boxes(f).startsWith(QString("Fehler: Der Datenbankserver \"werkstatt\" auf "
                                         "%1:5432 ist nicht erreichbar:")
                                     .arg(socketFolder)),
             qPrintable(boxes(f)));
    QVERIFY(next.isVisible());
}

// Without a rate found the stored rate stays and the status list says why:
// the rates tried, or that the device is no adapter at all (a port full of
// noise, '>' among it), whose port is then given up before any chip step.
void TestOptionsPage::detectionSaysWhatItFound_data() {
    QTest::addColumn<QStringList>("chip");
    QTest::addColumn<bool>("adapter");
    QTest::newRow("no rate answers") << QStringList{"--rate", "250000"} << true;
    QTest::newRow("noise") << QStringList{"--stream", "noise", "--baud", "115200"} << false;
}

void TestOptionsPage::detectionSaysWhatItFound() {
    QFETCH(QStringList, chip);
    QFETCH(bool, adapter);
    Simulator sim(chip);
    MainFixture f;
    f.storePort(sim.slavePath());
    TfMain& w = f.start();
    w.Timer1().stop();
    child<QCheckBox>(&w, QStringLiteral("FlatCheckBox1"))->click();
    f.runTimer();
    const QStringList lines = f.statusLines();
    QCOMPARE(lines.value(1),
             adapter ? QStringLiteral("Baudrate nicht erkannt (versucht: 38400, 9600, 115200, "
                                      "57600, 230400, 19200 Baud)")
                     : "Baudrate nicht erkannt: " + NotAnAdapterText(sim.slavePath()));
    QCOMPARE(lines.value(2), adapter ? QStringLiteral("Chip Reset: Fehler")
                                     : QStringLiteral("Keine Verbindung zum Interface"));
    QCOMPARE(w.Context().port->Connected(), adapter);
    QCOMPARE(f.lamp("COM_Led"), adapter);
    QCOMPARE(QSettings(f.settingsFile(), QSettings::IniFormat).value("BaudRate").toString(),
             "9600");
    QCOMPARE(boxes(f), QString());
}

// Another port chosen while the port is open reopens it away from the
// window's thread: a Wi-Fi adapter whose server never accepts (its backlog
// full) takes the connect's 5 s bound, and the window's timers and paints go
// on meanwhile.
void TestOptionsPage::reopeningKeepsTheWindowDrawn() {
    Simulator sim;
    MainFixture f;
    f.storePort(sim.slavePath());
    TfMain& w = f.start();
    w.Timer1().stop();
    f.runTimer();
    QVERIFY(w.Context().port->Connected());
    const Listener full(0);
    std::vector<int> queued;
    for (int i = 0; i < 2; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const sockaddr_in a = Loopback(full.port());
        ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
        queued.push_back(fd);
    }
    int ticks = 0;
    QTimer tick;
    connect(&tick, &QTimer::timeout, &w, [&ticks] { ++ticks; });
    tick.start(50);
    f.shown.clear();
    auto* combo = child<QComboBox>(&w, QStringLiteral("COM_CB"));
    emit combo->textActivated(full.address());
    tick.stop();
    for (const int fd : queued)
        ::close(fd);
    QCOMPARE(boxes(f), "Fehler: Unable to open com port (win error code: 110)");
    QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks)));
}

QTEST_MAIN(TestOptionsPage)
#include "tst_optionspage.moc"
