#include "support_pages.h"

#include "common/errors.h"
#include "link/comport.h"
#include "link/link.h"
#include "link/portsettings.h"
#include "link/protocollog.h"
#include "support/testenv.h"
#include "widgets/trendchart.h"
#include "workbench/mainwindow.h"
#include "workbench/sensorpage.h"
#include "workbench/sensorthread.h"
#include "workbench/terminalpage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace obd;

namespace {

const QStringList DemoRows = {"03", "04", "05", "06", "07", "0B", "0C",
                              "0D", "0E", "0F", "11", "13", "14", "15"};

} // namespace

class TestSensorPage : public QObject {
    Q_OBJECT

    std::unique_ptr<test::PageFixture> f;
    std::unique_ptr<SensorPage> page;

    template <class W> W* control(const char* name) {
        return test::child<W>(page.get(), QLatin1String(name));
    }
    QTableView* grid() { return control<QTableView>("SensorDataGrid"); }
    int rows() { return grid()->model()->rowCount(); }
    QString cell(int row, int column) {
        return grid()->model()->index(row, column).data().toString();
    }
    QStringList column(int c) {
        QStringList texts;
        for (int row = 0; row < rows(); ++row)
            texts << cell(row, c);
        return texts;
    }
    int passes() { return control<QLabel>("Label6")->text().toInt(); }
    void tcSensordataTo(int index) { control<QTabBar>("tcSensordata")->setCurrentIndex(index); }
    void click(const char* name) { QTest::mouseClick(control<QWidget>(name), Qt::LeftButton); }
    void clickCell(int row, int c) {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                          grid()->visualRect(grid()->model()->index(row, c)).center());
    }
    // A page connected like after a successful connection sequence: demo mode,
    // or the simulator (with extra options) with echo switched off.
    void connect(const QStringList& simulatorArgs = {}, bool demo = false) {
        f->openLink();
        if (!demo)
            f->useSimulator(simulatorArgs);
        page->ApplySupportedPids();
        page->FillSensorGrid();
    }
    // Log lines after the first `from` lines.
    void stopAndWait() {
        f->ctx.requestPollerStop();
        f->ctx.waitForPollerIdle();
    }

private slots:
    void init() {
        f = std::make_unique<test::PageFixture>();
        page = std::make_unique<SensorPage>(f->ctx);
        page->show();
    }
    void cleanup() {
        page.reset();
        f.reset();
    }

    // The worker component alone: notices, stop flag, synchronized call.
    void threadRunsUntilStopAndNotifiesOnce() {
        std::atomic<int> passes{0};
        int refreshes = 0;
        SensorThread thread([&](SensorThread& self) {
            while (true) {
                ++passes;
                QThread::msleep(2);
                if (self.StopRequested())
                    return;
                self.Synchronize([&] { ++refreshes; });
            }
        });
        QVERIFY(!thread.Running());
        QSignalSpy started(&thread, &SensorThread::Started);
        QSignalSpy ended(&thread, &SensorThread::Terminated);
        thread.Start();
        QCOMPARE(started.count(), 1); // on the calling thread, before the first pass
        QVERIFY(thread.Running());
        thread.Start(); // a second start while running does nothing
        QCOMPARE(started.count(), 1);
        QTRY_VERIFY(refreshes >= 3);
        thread.RequestStop();
        QVERIFY(thread.Running()); // the stop request does not wait
        thread.WaitUntilIdle();
        QVERIFY(!thread.Running());
        QCOMPARE(ended.count(), 1);
        QCOMPARE(ended.at(0).at(0).toString(), QString());
        // The last pass ends without a refresh; the one before may have met the
        // stop while its refresh waited, which then is skipped too.
        QVERIFY(refreshes == passes - 1 || refreshes == passes - 2);
        QTest::qWait(20);
        QCOMPARE(ended.count(), 1);
    }
    void synchronizedCallSkippedAfterStop() {
        bool ran = false;
        bool result = true;
        SensorThread thread([&](SensorThread& self) {
            while (!self.StopRequested())
                QThread::msleep(1);
            result = self.Synchronize([&] { ran = true; });
        });
        thread.Start();
        thread.RequestStop();
        thread.WaitUntilIdle();
        QVERIFY(!ran);
        QVERIFY(!result);
    }
    void errorEndsWorkerAndIsReported() {
        SensorThread thread([](SensorThread&) {
            throw ConversionError(QStringLiteral("'$4G' ist kein gültiger Integerwert"));
        });
        QSignalSpy ended(&thread, &SensorThread::Terminated);
        thread.Start();
        thread.WaitUntilIdle();
        QCOMPARE(ended.count(), 1);
        QCOMPARE(ended.at(0).at(0).toString(),
                 QStringLiteral("'$4G' ist kein gültiger Integerwert"));
        // A new run starts clean.
        thread.Start();
        thread.WaitUntilIdle();
        QCOMPARE(ended.count(), 2);
    }
    void destroyingWhileRunningWaitsForWorker() {
        std::atomic<bool> ended{false};
        {
            SensorThread thread([&](SensorThread& self) {
                while (!self.StopRequested())
                    self.Synchronize([] {});
                ended = true;
            });
            thread.Start();
            QTest::qWait(10);
        }
        QVERIFY(ended);
    }

    // The page itself.
    void beforeConnectionOneEmptyRow() {
        QCOMPARE(rows(), 1);
        QCOMPARE(cell(0, 0), QString());
        QCOMPARE(grid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral(" E"));
        QCOMPARE(grid()->model()->headerData(4, Qt::Horizontal).toString(),
                 QStringLiteral("Value"));
        QVERIFY(control<QPushButton>("btnSensorsRead")->isEnabled());
        QVERIFY(!control<QPushButton>("btnSensorsStop")->isEnabled());
        QCOMPARE(control<QLabel>("Label6")->text(), QStringLiteral("0"));
    }
    // The grid's cells are drawn in the grid's own colour.
    void cellsInTheGridColour() {
        const QImage shown = grid()->viewport()->grab().toImage();
        const QRect name = grid()->visualRect(grid()->model()->index(0, 3));
        QCOMPARE(shown.pixelColor(name.center()), QColor(240, 240, 240));
    }
    void demoVehicleRowsAndShowNotSupported() {
        connect({}, true);
        QCOMPARE(column(2), DemoRows);
        QCOMPARE(column(0), QStringList(14, QStringLiteral("1")));
        QCOMPARE(column(1), QStringList(14, QStringLiteral("1")));
        QCOMPARE(column(4), QStringList(14, QStringLiteral("0")));
        QCOMPARE(cell(6, 3), QStringLiteral("Engine RPM"));
        QCOMPARE(cell(6, 5), QStringLiteral("U/min"));
        click("cbShowNotSupported");
        // The 27 sensor rows of PIDs 01..20, then every further PID's rows,
        // none of them known to the demo vehicle.
        const int further = f->ctx.sensorTable.Count() - SensorTable::Size;
        QCOMPARE(rows(), 27 + further);
        QCOMPARE(column(1).mid(0, 27).count(QStringLiteral("0")), 13);
        QCOMPARE(column(4).mid(0, 27).count(QStringLiteral("N/A")), 13);
        QCOMPARE(column(1).mid(27), QStringList(further, QStringLiteral("0")));
        QVERIFY(f->ctx.sensorTable.ShowNotSupported);
        QCOMPARE(cell(26, 2), QStringLiteral("1E"));
        QCOMPARE(cell(27, 2), QStringLiteral("21"));
        click("cbShowNotSupported");
        QCOMPARE(rows(), 14);
        QVERIFY(!f->ctx.sensorTable.ShowNotSupported);
    }
    void columnEClicks() {
        connect({}, true);
        clickCell(6, 0); // 0C: off at once
        QCOMPARE(cell(6, 0), QStringLiteral("0"));
        QVERIFY(!f->ctx.sensorTable[11].Enabled);
        page->FillSensorGrid();
        QCOMPARE(cell(6, 4), QStringLiteral("N/A"));
        clickCell(6, 0);
        QVERIFY(f->ctx.sensorTable[11].Enabled);
        clickCell(6, 3); // another column only selects
        QVERIFY(f->ctx.sensorTable[11].Enabled);
        click("cbShowNotSupported");
        QCOMPARE(cell(7, 2), QStringLiteral("0A")); // unsupported: nothing visible changes
        clickCell(7, 0);
        QCOMPARE(cell(7, 0), QStringLiteral("0"));
        QVERIFY(!f->ctx.sensorTable[9].Enabled);
    }
    void readRefusedWhileCommFailure() {
        connect({}, true);
        f->ctx.link->CommFailure = true;
        const int before = f->logLines().size();
        click("btnSensorsRead");
        QCOMPARE(f->notifier.boxes().size(), 1);
        QVERIFY(
            f->logLines().mid(before).join('\n').endsWith(QStringLiteral(" - Sensordaten Read")));
        QVERIFY(!page->Poller().Running());
    }
    void readWithoutEcuShowsNoConnection() {
        connect({}, true);
        f->useSimulator({"--error", "NODATA"});
        click("btnSensorsRead");
        QVERIFY(!page->Poller().Running());
        QCOMPARE(f->shown.size(), 1);
        QCOMPARE(f->shown[0].caption, QStringLiteral("Fehler"));
        QCOMPARE(f->shown[0].text, QStringLiteral("Keine Verbindung!!!"));
    }
    void demoPassFillsRowsAndCounts() {
        connect({}, true);
        const int from = f->logLines().size();
        click("btnSensorsRead");
        QVERIFY(!control<QPushButton>("btnSensorsRead")->isEnabled());
        QVERIFY(control<QPushButton>("btnSensorsStop")->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(passes(), 1, 5000);
        stopAndWait();
        QStringList expected{QStringLiteral("0100")}; // the link check
        for (const QString& pid : DemoRows)
            expected << QStringLiteral("01") + pid;
        QCOMPARE(f->sentCommands(from).mid(0, 15), expected);
        QCOMPARE(rows(), 14);
        // The first pass's values are shown (the second one, cut by the stop, is not).
        QVERIFY(!column(4).contains(QString()));
        QVERIFY(!column(4).contains(QStringLiteral("N/A")));
        QVERIFY(cell(6, 4) != QStringLiteral("0"));
    }
    void pollingCountsAndGoesOnCounting() {
        connect();
        click("btnSensorsRead");
        QTRY_VERIFY(passes() >= 3);
        QVERIFY(cell(6, 4) != QStringLiteral("0")); // engine speed read
        // The simulated vehicle answers every PID it flags: no box, 0B read.
        QCOMPARE(cell(5, 4), QStringLiteral("33"));
        QVERIFY(f->shown.isEmpty());
        click("btnSensorsStop");
        f->ctx.waitForPollerIdle();
        QVERIFY(control<QPushButton>("btnSensorsRead")->isEnabled());
        QVERIFY(!control<QPushButton>("btnSensorsStop")->isEnabled());
        const int counted = passes();
        click("btnSensorsRead");
        QTRY_VERIFY(passes() >= counted + 2);
        stopAndWait();
    }
    // The worker looks at Enabled per row: after the click no request for it.
    void untickedRowIsNotRequestedFromTheClick() {
        connect();
        click("btnSensorsRead");
        QTRY_VERIFY(passes() >= 1);
        clickCell(6, 0); // 0C
        const int from = f->logLines().size();
        const int counted = passes();
        QTRY_VERIFY(passes() >= counted + 2);
        stopAndWait();
        const QStringList sent = f->sentCommands(from);
        QVERIFY(sent.contains(QStringLiteral("010D")));
        QVERIFY(!sent.contains(QStringLiteral("010C")));
        QCOMPARE(cell(6, 4), QStringLiteral("N/A"));
    }
    // Until the user chooses, the panels show numbers the chart can draw, not
    // the first row (a state text).
    void panelsStartWithCommonValues() {
        connect();
        QStringList shown;
        for (const char* name : {"cbSD1", "cbSD2", "cbSD3", "cbSD4"})
            shown << control<QComboBox>(name)->currentText();
        QCOMPARE(shown,
                 QStringList({"Engine RPM", "Vehicle Speed", "Coolant Temp.", "Calculated Load"}));
    }
    // The panels show the chosen rows live; a row whose request fails, or
    // that is not polled, shows "N/A" and not the last number.
    void panelsShowLiveValuesAndNotAvailable() {
        connect({"--reply", "010C=7F 01 12"});
        auto* rpm = control<QComboBox>("cbSD1");
        auto* speed = control<QComboBox>("cbSD2");
        QCOMPARE(rpm->count(), DemoRows.size());
        rpm->setCurrentIndex(rpm->findText(QStringLiteral("Engine RPM")));
        speed->setCurrentIndex(speed->findText(QStringLiteral("Manifold Air Pressure")));
        click("btnSensorsRead");
        QTRY_VERIFY(passes() >= 1);
        QCOMPARE(control<QLabel>("SDValue1")->text(), QStringLiteral("N/A"));
        QCOMPARE(control<QLabel>("SDValue2")->text(), QStringLiteral("33"));
        QCOMPARE(control<QLabel>("SDUnit2")->text(), QStringLiteral("KPa"));
        QCOMPARE(control<QLabel>("SDRange2")->text(), QStringLiteral("33 … 33"));
        clickCell(5, 0); // 0B no longer polled
        const int counted = passes();
        QTRY_VERIFY(passes() >= counted + 1);
        stopAndWait();
        QCOMPARE(control<QLabel>("SDValue2")->text(), QStringLiteral("N/A"));
    }
    // The further PIDs the vehicle announces follow the rows 01..20 in PID
    // order once the first pass has read their ranges, one row per value,
    // in the grid and in the panels; a too short answer fails its row alone.
    // The others show only with "Show not Supported" and are never asked;
    // column E works on every row.
    void furtherPidsFollowInPidOrder() {
        connect({"--reply", "0120=41 20 90 02 A0 01", "--reply", "0140=41 40 40 00 00 00",
                 "--reply", "0124=41 24 80 00 80 00", "--reply", "0142=41 42 37"});
        QCOMPARE(column(2), DemoRows);
        click("btnSensorsRead");
        QTRY_VERIFY(passes() >= 2);
        stopAndWait();
        const int at = int(DemoRows.size());
        QCOMPARE(column(2), DemoRows + QStringList({"21", "24", "24", "2F", "31", "33", "42"}));
        QCOMPARE(cell(at + 1, 3), QStringLiteral("O2 Sensor 1 equivalence ratio"));
        QCOMPARE(cell(at + 2, 3), QStringLiteral("O2 Sensor 1 voltage"));
        QCOMPARE(cell(at + 2, 5), QStringLiteral("V"));
        QCOMPARE(cell(at, 4), QStringLiteral("42"));
        QCOMPARE(cell(at + 6, 4), QStringLiteral("Fehler"));
        QVERIFY(control<QComboBox>("cbSD3")->findText(QStringLiteral("O2 Sensor 1 voltage")) >= 0);

        click("cbShowNotSupported");
        QCOMPARE(rows(), 27 + f->ctx.sensorTable.Count() - SensorTable::Size);
        const int unsupported = int(column(2).indexOf(QStringLiteral("22")));
        QCOMPARE(cell(unsupported, 1), QStringLiteral("0"));
        QCOMPARE(cell(unsupported, 4), QStringLiteral("N/A"));
        QVERIFY(!f->sentCommands().contains(QStringLiteral("0122")));
        const int row21 = int(column(2).indexOf(QStringLiteral("21")));
        clickCell(row21, 0);
        QCOMPARE(cell(row21, 0), QStringLiteral("0"));
        QVERIFY(!f->ctx.sensorTable[f->ctx.sensorTable.IndexOfKey(QStringLiteral("21"))].Enabled);
    }
    // With "Maßsystem" US the grid, the panels and the chart show US units
    // from the page's next showing on; the recording keeps metric values.
    void usUnitsShownWhileRecordingStaysMetric() {
        connect({"--reply", "010D=41 0D 64"}); // coolant 40 °C, speed 100 kph
        auto* coolant = control<QComboBox>("cbSD1");
        coolant->setCurrentIndex(coolant->findText(QStringLiteral("Coolant Temp.")));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.csv"));
        page->StartRecording(path);
        f->ctx.unitSystem = UnitSystem::Us;
        page->hide();
        page->show();
        click("btnSensorsRead");
        QTRY_VERIFY(passes() >= 1);
        stopAndWait();
        page->StopRecording();
        const int temp = int(DemoRows.indexOf(QStringLiteral("05")));
        const int speed = int(DemoRows.indexOf(QStringLiteral("0D")));
        QCOMPARE(cell(temp, 4) + " " + cell(temp, 5), QStringLiteral("104 °F"));
        QCOMPARE(cell(speed, 4) + " " + cell(speed, 5), QStringLiteral("62 mph"));
        QCOMPARE(control<QLabel>("SDValue1")->text(), QStringLiteral("104"));
        QCOMPARE(control<QLabel>("SDUnit1")->text(), QStringLiteral("°F"));
        auto* chart = control<TrendChart>("TrendChart");
        const QString picked = chart->ValuesAt(chart->width() - 9);
        QVERIFY2(picked.contains(QStringLiteral("Coolant Temp.: 104 °F")), qPrintable(picked));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList header = QString::fromUtf8(file.readLine().trimmed()).split(',');
        const QStringList first = QString::fromUtf8(file.readLine().trimmed()).split(',');
        QCOMPARE(first.value(header.indexOf(QStringLiteral("Coolant Temp. [°C]"))),
                 QStringLiteral("40"));
        QCOMPARE(first.value(header.indexOf(QStringLiteral("Vehicle Speed [kph]"))),
                 QStringLiteral("100"));

        f->ctx.unitSystem = UnitSystem::Metric;
        page->FillSensorGrid();
        QCOMPARE(cell(temp, 4) + " " + cell(temp, 5), QStringLiteral("40 °C"));
    }
    // "Aufzeichnen" asks for the file in the save dialog; a name typed
    // without a suffix gets ".csv", one with its own suffix stays.
    void recordingFileNameGetsCsv_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("no suffix") << "fahrt1"
                                   << "fahrt1.csv";
        QTest::newRow("csv") << "fahrt2.csv"
                             << "fahrt2.csv";
        QTest::newRow("own suffix") << "fahrt3.txt"
                                    << "fahrt3.txt";
        QTest::newRow("trailing dot") << "fahrt4."
                                      << "fahrt4.csv";
    }
    void recordingFileNameGetsCsv() {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QTemporaryDir dir;
        bool answered = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            dialog->setDirectory(dir.path());
            name->setText(typed);
            QTest::keyClick(name, Qt::Key_Return);
            answered = true;
        });
        tcSensordataTo(2);
        click("btnRecord");
        QVERIFY(answered);
        QVERIFY(page->Recording());
        page->StopRecording();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
    }
    // A recording loaded on the page is drawn in the chart, whole, from its
    // start: the values the panels watch, not its text column, and a click
    // on its end names the last values.
    void loadedRecordingInTheChart() {
        connect({}, true);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.csv"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("time_s,clock,Fuel System status,Timing Advance [°],Engine RPM [U/min],"
                   "Vehicle Speed [kph]\n"
                   "0.400,2026-12-10 08:00:00.400,closed loop,5,800,0\n"
                   "150.000,2026-12-10 08:02:30.000,\"open, loop\",7,2400,50\n");
        file.close();
        page->LoadRecording(path);
        QCOMPARE(control<QTabBar>("tcSensordata")->currentIndex(), 2);
        auto* chart = control<TrendChart>("TrendChart");
        QCOMPARE(chart->Span(), 150.0);
        const QString first = chart->ValuesAt(8);
        const QString last = chart->ValuesAt(chart->width() - 8);
        QVERIFY2(first.startsWith(QStringLiteral("0 s;")), qPrintable(first));
        QVERIFY2(last.startsWith(QStringLiteral("2:30 min;")), qPrintable(last));
        // The panels watch engine speed and vehicle speed first; the file's
        // further number fills a slot, its text column none.
        QVERIFY2(last.contains(QStringLiteral("Engine RPM: 2400 U/min; Vehicle Speed: 50 kph; "
                                              "Timing Advance: 7 °")),
                 qPrintable(last));
        QVERIFY2(!last.contains(QStringLiteral("Fuel System")), qPrintable(last));
    }
    // A recording without a single number (a header alone, or only state
    // texts) says so instead of showing an empty chart.
    void recordingWithoutNumbersSaysSo() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.csv"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("time_s,clock,Fuel System status\n0.400,2026-12-10 08:00:00.400,closed loop\n");
        file.close();
        try {
            page->LoadRecording(path);
            QFAIL("shown");
        } catch (const FileError& e) {
            QCOMPARE(e.text(),
                     QStringLiteral("Die Aufzeichnung %1 enthält keine Messwerte.").arg(path));
        }
        QVERIFY(!control<TrendChart>("TrendChart")->ShowsRecording());
    }
    // The file is read behind a progress box while the window goes on; its
    // "Abbrechen" ends the reading and leaves the chart as it was.
    void loadingShowsProgressAndCancels() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("long.csv"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("time_s,clock,Engine RPM [U/min]\n");
        const QByteArray row = "0.000,2026-12-10 08:00:00.000,800\n";
        QByteArray block;
        for (int i = 0; i < 32 * 1024; ++i)
            block += row;
        for (int i = 0; i < 30; ++i) // about 35 MB
            file.write(block);
        file.close();
        QString caption;
        QTimer::singleShot(0, this, [&] {
            auto* progress = page->findChild<QProgressDialog*>(QStringLiteral("LoadProgress"));
            QVERIFY(progress);
            caption = progress->labelText();
            for (auto* button : progress->findChildren<QPushButton*>())
                if (button->text() == QStringLiteral("Abbrechen"))
                    button->click();
        });
        page->LoadRecording(path);
        QCOMPARE(caption, QStringLiteral("Aufzeichnung wird geladen: %1").arg(path));
        QVERIFY(!control<TrendChart>("TrendChart")->ShowsRecording());
        QCOMPARE(control<QTabBar>("tcSensordata")->currentIndex(), 0);
        QVERIFY(f->shown.isEmpty());
    }
    // Stop in the middle of a pass: the request under way ends, no further
    // request and no refresh follow.
    void stopMidPassEndsAfterTheRequestUnderWay() {
        connect({"--latency", "20"});
        click("btnSensorsRead");
        QTRY_VERIFY(passes() >= 1);
        // A pass over every supported PID takes long under a sanitizer: wait
        // for several passes' worth until 0106 is the request under way. The
        // wait looks again after it has seen it, by when the reply may be in:
        // once seen counts.
        const auto asking0106 = [this] {
            return f->sentCommands(f->logLines().size() - 1) == QStringList{"0106"};
        };
        bool seen = false;
        QTRY_VERIFY_WITH_TIMEOUT(seen || (seen = asking0106()), 30000);
        click("btnSensorsStop");
        const int sentBefore = f->sentCommands().size();
        const int counted = passes();
        const QString shownValue = cell(13, 4);
        f->ctx.waitForPollerIdle();
        QCOMPARE(passes(), counted);
        // The stop may have come just after the next request went out.
        QVERIFY(f->sentCommands().size() <= sentBefore + 1);
        QVERIFY(f->logLines().last().contains(QStringLiteral(" - R: ")));
        QCOMPARE(cell(13, 4), shownValue); // the cut pass's values stay unshown
    }
    // A navigation click asks for the stop; a terminal request then waits for
    // the worker, so its command comes after the worker's last reply.
    void terminalRequestWaitsForStoppingWorker() {
        connect({"--latency", "10"});
        TerminalPage terminal(f->ctx);
        click("btnSensorsRead");
        QTRY_VERIFY(passes() >= 1);
        f->ctx.requestPollerStop(); // what the navigation does
        QTest::mouseClick(test::child<QWidget>(&terminal, QStringLiteral("FlatButton1")),
                          Qt::LeftButton);
        QVERIFY(!page->Poller().Running());
        const QStringList lines = f->logLines();
        QVERIFY(lines[lines.size() - 2].endsWith(QStringLiteral(" - S: 0100")));
        QVERIFY(lines[lines.size() - 3].contains(QStringLiteral(" - R: ")));
        QCOMPARE(test::child<QLineEdit>(&terminal, QStringLiteral("FlatEdit3"))->text(),
                 QStringLiteral("4100BE3EB811"));
    }
    void malformedReplyEndsWorkerAndIsReportedOnce() {
        connect({"--reply", "010D=41 0D ZZ"});
        click("btnSensorsRead");
        QTRY_VERIFY(!page->Poller().Running());
        QCOMPARE(passes(), 0);
        QCOMPARE(f->shown.size(), 1);
        QCOMPARE(f->shown[0].caption, QStringLiteral("Fehler"));
        QVERIFY2(f->shown[0].text.contains(QStringLiteral("ist kein gültiger Integerwert")),
                 qPrintable(f->shown[0].text));
        QVERIFY(control<QPushButton>("btnSensorsRead")->isEnabled());
        QCOMPARE(f->ctx.sensorTable.Value(13), QStringLiteral("0")); // rows after it keep theirs
    }
    void tabsSwitchPagesWithoutStopping() {
        connect();
        click("btnSensorsRead");
        control<QTabBar>("tcSensordata")->setCurrentIndex(1);
        QCOMPARE(control<QStackedWidget>("nbSensordata")->currentWidget()->objectName(),
                 QStringLiteral("Einzeln"));
        QVERIFY(page->Poller().Running());
        const int counted = passes();
        QTRY_VERIFY(passes() > counted);
        control<QTabBar>("tcSensordata")->setCurrentIndex(0);
        QCOMPARE(control<QStackedWidget>("nbSensordata")->currentWidget()->objectName(),
                 QStringLiteral("Tabelle"));
        stopAndWait();
    }
    // Closing during polling: the page goes, the worker ends, nothing hangs.
    void closingDuringPolling() {
        connect({"--latency", "5"});
        click("btnSensorsRead");
        QTRY_VERIFY(passes() >= 1);
        f->ctx.requestPollerStop();
        while (f->ctx.pollerRunning())
            QCoreApplication::processEvents();
        page.reset();
        QVERIFY(!f->ctx.waitForPollerIdle);
        QVERIFY(f->logLines().last().contains(QStringLiteral(" - R: ")));
    }
    void destroyingThePageWhilePollingEndsTheWorker() {
        connect();
        click("btnSensorsRead");
        QTRY_VERIFY(passes() >= 1);
        page.reset();
        QVERIFY(f->logLines().last().contains(QStringLiteral(" - R: ")));
    }

    // The real window against elmsim: connection sequence, the sensor page
    // through the navigation, a navigation click during polling followed by a
    // terminal request, and closing the window while polling.
    void onTheWindow() {
        QTemporaryDir folder;
        QVERIFY(QFile::copy(test::binDir() + QStringLiteral("/dtc-gb.dat"),
                            folder.filePath(QStringLiteral("dtc-gb.dat"))));
        QDir().mkpath(folder.filePath(QStringLiteral("data")));
        for (const char* table : {"options.dbf", "customer.dbf", "dtchead.dbf", "dtcmain.dbf"})
            QVERIFY(QFile::copy(test::tablesDir() + QLatin1Char('/') + QLatin1String(table),
                                folder.filePath(QStringLiteral("data/")) + QLatin1String(table)));
        test::Simulator simulator({"--latency", "2", "--reply", "010B=NODATA"});
        auto settings = std::make_unique<QSettings>(folder.filePath(QStringLiteral("port.conf")),
                                                    QSettings::IniFormat);
        {
            TComPort port;
            port.SetPort(simulator.slavePath());
            StorePortSettings(port, *settings);
        }
        QStringList boxes;
        auto window = std::make_unique<TfMain>(folder.path(), std::move(settings),
                                               [&](const QString& caption, const QString& text) {
                                                   boxes << caption + QStringLiteral(": ") + text;
                                                   return BoxButton::Ok;
                                               });
        window->show();
        WorkbenchContext& ctx = window->Context();
        QTRY_VERIFY_WITH_TIMEOUT(!ctx.link->CommFailure, 10000);
        const auto navigate = [&](const char* button) {
            QTest::mouseClick(test::child<QToolButton>(window.get(), QLatin1String(button)),
                              Qt::LeftButton);
        };
        const auto windowClick = [&](const char* control) {
            QTest::mouseClick(test::child<QWidget>(window.get(), QLatin1String(control)),
                              Qt::LeftButton);
        };
        const auto counted = [&] {
            return test::child<QLabel>(window.get(), QStringLiteral("Label6"))->text().toInt();
        };
        const QString logFile = ctx.paths.logFile();

        navigate("btnSensorData");
        windowClick("btnSensorsRead");
        QTRY_VERIFY_WITH_TIMEOUT(counted() >= 2, 10000);
        // The 14 rows of PIDs 01..20 first, then the further PIDs the vehicle
        // announces, in PID order.
        const QAbstractItemModel* shown =
            test::child<QTableView>(window.get(), QStringLiteral("SensorDataGrid"))->model();
        QStringList pids;
        for (int row = 0; row < shown->rowCount(); ++row)
            pids << shown->index(row, 2).data().toString();
        QCOMPARE(pids.mid(0, DemoRows.size()), DemoRows);
        QStringList further = pids.mid(DemoRows.size());
        QVERIFY2(!further.isEmpty() && further.first() > QStringLiteral("20"),
                 qPrintable(pids.join(" ")));
        QStringList ordered = further;
        ordered.sort();
        QCOMPARE(further, ordered);
        // The vehicle answers PID 0B with NODATA here: the worker's box,
        // shown on the GUI thread.
        QVERIFY(boxes.contains(QStringLiteral("Fehler: ERROR Message: NODATA")));

        navigate("btnTerminal"); // asks the worker to stop
        QVERIFY(ctx.pollerRunning());
        windowClick("FlatButton1"); // waits for the worker, then sends 0100
        QVERIFY(!ctx.pollerRunning());
        const QStringList afterTerminal = test::logLines(logFile);
        QVERIFY(afterTerminal[afterTerminal.size() - 2].endsWith(QStringLiteral(" - S: 0100")));
        QVERIFY(afterTerminal[afterTerminal.size() - 3].contains(QStringLiteral(" - R: ")));

        navigate("btnSensorData");
        windowClick("btnSensorsRead");
        const int before = counted();
        QTRY_VERIFY(counted() > before);
        window->close(); // during polling
        QVERIFY(!ctx.pollerRunning());
        QVERIFY(!ctx.port->Connected());
        const QStringList lines = test::logLines(logFile);
        QVERIFY2(lines.size() >= 3, qPrintable(lines.join('\n')));
        QVERIFY(lines[lines.size() - 2].endsWith(QStringLiteral(" - Programm terminated")));
        QVERIFY(lines[lines.size() - 3].contains(QStringLiteral(" - R: ")));
        window.reset();
    }
};

QTEST_MAIN(TestSensorPage)
#include "tst_sensorpage.moc"
