// The pages that read what the vehicle keeps besides its live values, against
// elmsim over the real driver: freeze frame, O2 sensors, vehicle information,
// the pending codes of the DTC page, and the unit system they show values in.
#include "link/link.h"
#include "session/vehiclebus.h"
#include "support_main.h"
#include "support_pages.h"
#include "workbench/dtcpage.h"
#include "workbench/freezeframepage.h"
#include "workbench/mainwindow.h"
#include "workbench/o2sensorpage.h"
#include "workbench/optionspage.h"
#include "workbench/vehicleinfoview.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <algorithm>

using namespace obd;

namespace {

const Elm323Bus Bus;

// The texts of a grid's rows, cells joined by " | ".
QStringList Rows(const QTableWidget* grid) {
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c)
            cells << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
        rows << cells.join(QStringLiteral(" | "));
    }
    return rows;
}

// The real window, connected to sim by its connection sequence.
TfMain& Connected(test::MainFixture& m, const test::Simulator& sim) {
    m.storePort(sim.slavePath());
    TfMain& w = m.start();
    w.Timer1().stop();
    m.runTimer();
    return w;
}

} // namespace

class TestVehiclePages : public QObject {
    Q_OBJECT

    std::unique_ptr<test::PageFixture> f;

    void click(QWidget* page, const char* button) {
        test::child<QPushButton>(page, QString::fromLatin1(button))->click();
    }

private slots:
    void init() {
        f = std::make_unique<test::PageFixture>();
        f->openLink();
        f->ctx.vehicleBus = &Bus;
    }
    void cleanup() { f.reset(); }

    void freezeFrame_data() {
        QTest::addColumn<QStringList>("simulator");
        QTest::addColumn<UnitSystem>("units");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("speed");
        QTest::newRow("metric") << QStringList{} << UnitSystem::Metric << "P0133"
                                << ""
                                << "0D | Vehicle Speed | 50 kph";
        QTest::newRow("US") << QStringList{} << UnitSystem::Us << "P0133"
                            << ""
                            << "0D | Vehicle Speed | 31 mph";
        QTest::newRow("no frame") << QStringList{"--reply", "020200=42 02 00 00 00"}
                                  << UnitSystem::Metric << "N/A"
                                  << "Das Fahrzeug hat keinen Freeze Frame gespeichert."
                                  << "";
    }
    void freezeFrame() {
        QFETCH(QStringList, simulator);
        QFETCH(UnitSystem, units);
        QFETCH(QString, code);
        QFETCH(QString, state);
        QFETCH(QString, speed);
        f->useSimulator(simulator);
        f->ctx.unitSystem = units;
        FreezeFramePage page(f->ctx);
        page.show();
        auto* dtc = test::child<QLabel>(&page, QStringLiteral("labFreezeFrameDTC"));
        QCOMPARE(dtc->text(), QStringLiteral("N/A"));
        click(&page, "btnFreezeFrameRead");
        QCOMPARE(dtc->text(), code);
        QCOMPARE(dtc->accessibleName(), code);
        QCOMPARE(test::child<QLabel>(&page, QStringLiteral("labFreezeFrameState"))->text(), state);
        const QStringList rows = Rows(test::child<QTableWidget>(&page, "FreezeFrameGrid"));
        QCOMPARE(rows.isEmpty() ? QString() : rows.last(), speed);
        QCOMPARE(f->shown.size(), 0);
    }

    // Read shows the sensors and their tests and goes on reading the live
    // values; Stop ends it, and so does leaving the page.
    void o2SensorsReadUntilStopped() {
        f->useSimulator();
        f->ctx.unitSystem = UnitSystem::Metric;
        O2SensorPage page(f->ctx);
        page.show();
        click(&page, "btnO2Read");
        QVERIFY(page.Reading());
        QCOMPARE(Rows(test::child<QTableWidget>(&page, "O2SensorGrid")),
                 (QStringList{"Bank 1 - Sensor 1 | O2 Volts Bank 1 Sensor 1: 0.035 V, "
                              "Short term fuel trim Bank 1 Sensor 1: 0.0 %",
                              "Bank 1 - Sensor 2 | O2 Volts Bank 1 Sensor 2: 0.040 V, "
                              "Short term fuel trim Bank 1 Sensor 2: not used"}));
        const QStringList tests = Rows(test::child<QTableWidget>(&page, "O2TestGrid"));
        QCOMPARE(tests.size(), 8);
        QCOMPARE(tests[7], QStringLiteral("Bank 1 - Sensor 2 | Lean to rich sensor switch time | "
                                          "0.256 s | 0.040 s | 0.200 s | nicht bestanden"));
        const auto live = [this] { return f->sentCommands().count(QStringLiteral("0114")); };
        QTRY_VERIFY(live() >= 3);
        click(&page, "btnO2Stop");
        QVERIFY(!page.Reading());
        const int stoppedAt = live();
        QTest::qWait(300);
        QCOMPARE(live(), stoppedAt);
        click(&page, "btnO2Read");
        page.hide();
        QVERIFY(!page.Reading());
        QCOMPARE(f->shown.size(), 0);
    }

    // Stop pressed while a live read is under way (a screen reader's press
    // arrives then; a slow vehicle keeps a read under way nearly all the
    // time): the read ends the loop, Read comes back.
    void o2StopDuringReadEndsTheLoop() {
        test::Simulator sim({"--latency", "20"});
        test::MainFixture m;
        TfMain& w = Connected(m, sim);
        QVERIFY(!w.Context().link->CommFailure);
        test::child<QAbstractButton>(&w, QStringLiteral("btnO2Sensor"))->click();
        const auto live = [&m] {
            return m.logLines().filter(QRegularExpression(QStringLiteral(" - S: 0114$"))).size();
        };
        click(&w, "btnO2Read");
        QTRY_VERIFY(live() >= 2);
        auto* stop = test::child<QPushButton>(&w, QStringLiteral("btnO2Stop"));
        bool duringRead = false;
        // The next live read starts at once; the press comes in its middle.
        QTimer::singleShot(5, stop, [&] {
            duringRead = QApplication::overrideCursor() != nullptr;
            QAccessible::queryAccessibleInterface(stop)->actionInterface()->doAction(
                QAccessibleActionInterface::pressAction());
        });
        QTRY_VERIFY(test::child<QPushButton>(&w, QStringLiteral("btnO2Read"))->isEnabled());
        QVERIFY(duringRead);
        QVERIFY(!stop->isEnabled());
        const qsizetype stoppedAt = live();
        QTest::qWait(500);
        QCOMPARE(live(), stoppedAt);
        QCOMPARE(m.shown.size(), 0);
    }

    void vehicleInformation() {
        f->useSimulator();
        VehicleInfoView view(f->ctx);
        view.show();
        click(&view, "btnVehicleRead");
        QCOMPARE(
            Rows(test::child<QTableWidget>(&view, "VehicleInfoGrid")),
            (QStringList{"VIN | 1D4GP00R55B123456", "Protokoll | K-Line (ISO 9141-2 / ISO 14230-4)",
                         "Batteriespannung | 14.1 V", "Steuergeräte | 1",
                         "ECU Name | ECM?-EngineControl", "Calibration ID | TRV-ECU-0815",
                         "CVN | 1A2B3C4D"}));
    }

    // The battery voltage after a connection sequence: an ELM327 measures it
    // at the socket; with the ELM323 the module voltage (PID 42) stands in,
    // and a car that does not announce PID 42 has none and is not asked.
    void vehicleBatteryVoltage_data() {
        QTest::addColumn<QStringList>("simulator");
        QTest::addColumn<QString>("voltage");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("notAsked");
        QTest::newRow("ELM323, PID 42") << QStringList{} << "14.1 V"
                                        << "0142"
                                        << "ATRV";
        QTest::newRow("ELM327, ATRV") << QStringList{"--chip", "elm327"} << "12.6 V"
                                      << "ATRV"
                                      << "0142";
        QTest::newRow("ELM323, no PID 42")
            << QStringList{"--reply", "0140=41 40 80 00 00 00"} << "N/A"
            << "0140"
            << "0142";
    }
    void vehicleBatteryVoltage() {
        QFETCH(QStringList, simulator);
        QFETCH(QString, voltage);
        QFETCH(QString, asked);
        QFETCH(QString, notAsked);
        test::Simulator sim(simulator);
        test::MainFixture m;
        TfMain& w = Connected(m, sim);
        QVERIFY(!w.Context().link->CommFailure);
        const qsizetype from = m.logLines().size();
        click(&w, "btnVehicleRead");
        const QStringList rows = Rows(test::child<QTableWidget>(&w, "VehicleInfoGrid"));
        QVERIFY(rows.contains(QStringLiteral("Batteriespannung | ") + voltage));
        const QStringList sent = m.logLines().mid(from);
        const auto wasSent = [&](const QString& command) {
            return std::any_of(sent.begin(), sent.end(), [&](const QString& line) {
                return line.endsWith(QStringLiteral(" - S: ") + command);
            });
        };
        QVERIFY(wasSent(asked));
        QVERIFY(!wasSent(notAsked));
        QCOMPARE(m.shown.size(), 0);
    }

    // The stored codes' read also fills the pending list, sorted; a click on
    // a pending code describes it. The distances follow: the bitmaps as far
    // as each announces the next, then PIDs 31 and A6.
    void pendingCodesListed() {
        f->useSimulator({"--reply", "07=47 04 20 01 71 00 00"});
        f->ctx.TroubleCodeTexts = {{QStringLiteral("P0420"), QStringLiteral("Katalysator")}};
        DtcPage page(f->ctx);
        page.show();
        const int from = f->logLines().size();
        click(&page, "TroubleCodesRead");
        QCOMPARE(f->sentCommands(from),
                 (QStringList{"0101", "03", "07", "0100", "0120", "0140", "0160", "0180", "01A0",
                              "01C0", "0131", "01A6"}));
        QCOMPARE(f->ctx.reading.distanceSinceClearKm, std::optional<qint32>(1234));
        QCOMPARE(f->ctx.reading.odometerKm, std::optional<qint32>(12346));
        auto* list = test::child<QListWidget>(&page, QStringLiteral("ListBox1"));
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("P0171"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(1)).center());
        QCOMPARE(test::child<QPlainTextEdit>(&page, QStringLiteral("Memo1"))->toPlainText(),
                 QStringLiteral("Katalysator"));
    }

    // Pending and permanent codes of two units: each with its unit, permanent
    // ones marked.
    void pendingAndPermanentOfTwoUnits() {
        DtcPage page(f->ctx);
        page.ShowPendingCodes(QList<UnitTroubleCode>{{"P0420", "7E8"}, {"P0171", "7E9"}},
                              QList<UnitTroubleCode>{{"P0420", "7E8"}, {"P0300", "7E8"}});
        auto* list = test::child<QListWidget>(&page, QStringLiteral("ListBox1"));
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        QCOMPARE(texts,
                 (QStringList{"P0420 7E8 (permanent)", "P0171 7E9", "P0300 7E8 (permanent)"}));
    }

    // The connection sequence fills the start page's VIN box, unless the
    // user typed a VIN there.
    void startPageShowsTheVin() {
        test::Simulator sim;
        test::MainFixture m;
        m.storePort(sim.slavePath());
        TfMain& w = m.start();
        w.Timer1().stop();
        auto* vin = test::child<QLineEdit>(&w, QStringLiteral("FlatEdit4"));
        m.runTimer();
        QCOMPARE(vin->text(), QStringLiteral("1D4GP00R55B123456"));
        vin->setText(QStringLiteral("WVWZZZ1KZ6W000001"));
        m.runTimer();
        QCOMPARE(vin->text(), QStringLiteral("WVWZZZ1KZ6W000001"));
        QCOMPARE(m.shown.size(), 0);
    }

    // "Maßsystem": stored at once, read back at the next start.
    void unitSystemStored() {
        const QString file =
            QDir(QDir::tempPath())
                .filePath(QStringLiteral("units-%1.conf").arg(QCoreApplication::applicationPid()));
        QFile::remove(file);
        {
            QSettings settings(file, QSettings::IniFormat);
            OptionsPage page(f->ctx, settings);
            QCOMPARE(f->ctx.unitSystem, UnitSystem::Metric);
            QVERIFY(test::child<QRadioButton>(&page, "FlatRadioButton1")->isChecked());
            test::child<QRadioButton>(&page, "FlatRadioButton2")->click();
            QCOMPARE(f->ctx.unitSystem, UnitSystem::Us);
        }
        QSettings stored(file, QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("Masssystem")).toString(), QStringLiteral("US"));
        f->ctx.unitSystem = UnitSystem::Metric;
        OptionsPage again(f->ctx, stored);
        QCOMPARE(f->ctx.unitSystem, UnitSystem::Us);
        QVERIFY(test::child<QRadioButton>(&again, "FlatRadioButton2")->isChecked());
        QFile::remove(file);
    }
};

QTEST_MAIN(TestVehiclePages)
#include "tst_vehiclepages.moc"
