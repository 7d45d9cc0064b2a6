// Live polling on the real sensor page, with the protocol log on:
//  - demo mode: the length of a pass over the 14 supported PIDs (the
//    responder's 100 ms per reply make 1400 ms the floor);
//  - elmsim without latency: passes per second, and meanwhile the GUI
//    thread's event latency (the wait of a call posted from another thread),
//    beside the same latency measured while nothing polls as the baseline;
//  - elmsim as an ELM327 on CAN with a real line's timing (38400 baud, 10 ms
//    per control unit answer, 50 ms adapter wait without the count digit): a
//    pass with the fast request forms, one with one PID per request without
//    the count digit, and the wire floor of the fast pass's requests (their
//    bytes at the rate plus the unit's answer time);
//  - elmsim without latency, a bare poller: the time per request over the
//    rows of PIDs 01..20, and over those and every further PID the
//    simulator announces (the extended table);
//  - elmsim as an ELM327 without latency, fast polling with the chart shown,
//    the four panels filled and a recording running: the GUI event latency,
//    and the memory at the start and the end of the recording;
//  - the trend chart alone: the time to draw four noisy series over a full
//    minute at that rate (a noisy value turns the line at every pixel);
//  - loading a recording of 1 GB (BENCH_LOAD_MB sets another size) on the
//    page: the time and the process's peak memory while it loads.
#include "benchfiles.h"
#include "benchmemory.h"
#include "benchsim.h"
#include "benchstats.h"
#include "common/sensortable.h"
#include "link/comport.h"
#include "link/link.h"
#include "link/protocollog.h"
#include "services/j1979.h"
#include "services/pidvalues.h"
#include "session/requestform.h"
#include "session/sensorpoller.h"
#include "store/records.h"
#include "widgets/trendchart.h"
#include "workbench/context.h"
#include "workbench/messages.h"
#include "workbench/sensorpage.h"
#include "workbench/sensorthread.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QSet>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using namespace obd;

constexpr int DemoPasses = 4;
constexpr int SimulatorSeconds = 3;

[[noreturn]] void die(const char* what) {
    std::fprintf(stderr, "bench_polling: %s\n", what);
    std::exit(1);
}

// The simulated vehicle answers every request: a box would mean a fault, and
// waiting for it would spoil the figures.
class Notifier : public LinkNotifier {
public:
    void showChipError(const QString& message) override { die(qPrintable(message)); }
    void showNoCommunication(const QString& message) override { die(qPrintable(message)); }
    void showLogFailure(const QString& message) override { die(qPrintable(message)); }
};

// Runs the GUI thread's event loop for ms milliseconds while another thread
// posts a call to it every 2 ms, as input from outside would arrive; appends
// to waits how long each call waited before the GUI thread ran it.
void collectEventLatencies(int ms, std::vector<double>& waits) { // waits: GUI thread only
    QObject receiver;
    QElapsedTimer clock;
    clock.start();
    std::atomic<bool> stop{false};
    std::thread poster([&] {
        while (!stop) {
            const qint64 posted = clock.nsecsElapsed();
            QMetaObject::invokeMethod(
                &receiver,
                [&waits, &clock, posted] {
                    waits.push_back((clock.nsecsElapsed() - posted) / 1e6);
                },
                Qt::QueuedConnection);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    stop = true;
    poster.join();
    QCoreApplication::processEvents();
}

std::vector<double> eventLatencies(int ms) {
    std::vector<double> waits;
    collectEventLatencies(ms, waits);
    return waits;
}

int passes(const QLabel* counter) {
    return counter->text().toInt();
}

constexpr int LineBaud = 38400;
constexpr int EcuMs = 10;
constexpr int AdapterWaitMs = 50;
constexpr int DefaultPids[] = {0x03, 0x04, 0x05, 0x06, 0x07, 0x0B, 0x0C,
                               0x0D, 0x0E, 0x0F, 0x11, 0x13, 0x14, 0x15};

using bench::ResidentMb;

const QStringList Elm327{"--chip", "elm327", "--search-ms", "0"};

// Writes a recording of about megabytes MB as the recorder writes one: 20
// passes a second over a state text and twelve numbers.
bool WriteRecording(const QString& path, qint64 megabytes) {
    const QByteArray header =
        "time_s,clock,Fuel System status,Calculated Load [%],Coolant Temp. [\xC2\xB0"
        "C],Short Term Fuel Trim Bank 1 [%],Long Term Fuel Trim Bank 1 [%],Intake "
        "Manifold Pressure [kPa],Engine RPM [U/min],Vehicle Speed [kph],Timing "
        "Advance [\xC2\xB0],Intake Air Temp. [\xC2\xB0\x43],MAF Air Flow Rate "
        "[g/s],Throttle Position [%],O2 Sensor Bank 1 Sensor 1 [V]\n";
    return bench::WriteLines(path, megabytes * 1024 * 1024, header, [](qint64 row) {
        return QByteArray::number(double(row) / 20, 'f', 3) +
               ",2026-12-10 08:00:00.000,closed loop," + QByteArray::number(30 + row % 40) +
               ",87,-1.5625,3.125,35," + QByteArray::number(800 + (row * 37) % 3000) + "," +
               QByteArray::number(row % 120) + ",12.5,31,4.21," + QByteArray::number(row % 100) +
               ",0.455\n";
    });
}

// Loading a large recording on the page: time and peak memory.
void BenchLoad(SensorPage& page) {
    const qint64 megabytes = qEnvironmentVariableIsSet("BENCH_LOAD_MB")
                                 ? qEnvironmentVariableIntValue("BENCH_LOAD_MB")
                                 : 1024;
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("large.csv"));
    if (!WriteRecording(path, megabytes))
        die("cannot write the recording to load");
    const double before = ResidentMb();
    if (!bench::ResetPeakResident())
        die("cannot reset the peak memory");
    QElapsedTimer clock;
    clock.start();
    page.LoadRecording(path);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    const double peak = bench::PeakResidentMb();
    std::printf("BENCH polling.load_file_mb %.0f MB\n", double(QFileInfo(path).size()) / 1048576);
    std::printf("BENCH polling.load_1gb_ms %.0f ms\n", ms);
    std::printf("BENCH polling.load_1gb_rss_mb %.1f MB\n", peak);
    std::printf("BENCH polling.load_1gb_rss_rise_mb %.1f MB\n", peak - before);
}

// A link of its own to a simulator, echo off.
struct SimulatorLine {
    explicit SimulatorLine(const QString& binDir, const QStringList& args) : sim(binDir, args) {
        port.SetPort(sim.slave());
        port.Open();
        link.SendCommand(QStringLiteral("ATE0"));
        link.ReceiveReply();
    }
    bench::Simulator sim;
    Notifier notifier;
    TComPort port;
    Link link{port, nullptr, notifier};
};

// The median time from one pass to the next of a poller over table, after
// the first pass.
double MedianPollMs(SensorTable& table, Link& link, const TSupportedPids& flags, bool fast,
                    int passesToTime) {
    SensorPoller poller(table);
    poller.SetSupportedPids(flags);
    poller.SetFastRequests(fast);
    std::vector<double> ms;
    QElapsedTimer clock;
    QObject::connect(&poller, &SensorPoller::passCompleted, [&] {
        if (clock.isValid())
            ms.push_back(double(clock.nsecsElapsed()) / 1e6);
        clock.restart();
        if (int(ms.size()) >= passesToTime)
            poller.RequestStop();
    });
    poller.Start(link);
    poller.WaitUntilIdle();
    return bench::Median(ms);
}

// The median pass over the 14 default PIDs.
double MedianPassMs(Link& link, bool fast, int passesToTime) {
    SensorTable table;
    table.SetUp([](int pid) { return SensorRowInfo{{}, {}, pid >= 3 && pid <= 0x15}; });
    TSupportedPids flags{};
    for (const int pid : DefaultPids)
        flags[size_t(pid - 1)] = true;
    return MedianPollMs(table, link, flags, fast, passesToTime);
}

// The median time per request in the ELM323's dialogue over the PIDs the
// simulator announces: the sensor rows of PIDs 01..20, with further the rows
// of every further PID too (whose ranges the first pass reads). pids: the
// PIDs asked per pass.
double MedianRequestMs(Link& link, bool further, int& pids) {
    SensorTable table;
    SetUpSensorTable(table);
    if (!further)
        for (int k = SensorTable::Size; k < table.Count(); ++k)
            table[k].IsSensor = false;
    TSupportedPids flags{};
    ReadSupportedPids(link, flags);
    const double passMs = MedianPollMs(table, link, flags, false, 200);
    QSet<int> asked;
    for (int k = 0; k < table.Count(); ++k)
        if (table[k].IsSensor && table[k].Supported && table[k].Enabled)
            asked.insert(table[k].Number);
    pids = int(asked.size());
    return passMs / pids;
}

// The floor of one fast pass: the bytes of its requests and replies at the
// line's rate, plus one unit answer time per request.
double WireFloorMs(Link& link) {
    RequestForm form = PrepareFastRequests(link);
    if (!form.fast)
        die("the simulator does not take the fast request forms");
    double ms = 0;
    const std::span<const int> all(DefaultPids);
    for (size_t at = 0; at < all.size(); at += size_t(form.pidsPerRequest)) {
        const auto pids = all.subspan(at, std::min(all.size() - at, size_t(form.pidsPerRequest)));
        const QString request = PidRequest(pids, form);
        link.SendCommand(request);
        const QString reply = link.ReceiveRawReply(); // without its prompt
        const double bytes = double(request.size() + 1 + reply.size() + 1);
        ms += bytes * 10 * 1000.0 / LineBaud + EcuMs;
    }
    return ms;
}

double ChartPaintMs(double passesPerSecond) {
    TrendChart chart;
    chart.resize(900, 450);
    for (int s = 0; s < TrendChart::MaxSeries; ++s)
        chart.SetSeries(s, QStringLiteral("S%1").arg(s), QStringLiteral("u"));
    const int points = int(passesPerSecond * 60);
    for (int i = 0; i < points; ++i) {
        const double t = i / passesPerSecond;
        chart.Append(t, {std::sin(t * 3) * 100 + i % 7, std::cos(t) * 50 + i % 3, t, i % 13});
    }
    QImage image(chart.size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> ms;
    for (int n = 0; n < 21; ++n) {
        QElapsedTimer clock;
        clock.start();
        chart.render(&image);
        ms.push_back(clock.nsecsElapsed() / 1e6);
    }
    return bench::Percentile(ms, 0.5);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString binDir = QCoreApplication::applicationDirPath();
    QTemporaryDir folder;

    WorkbenchContext ctx;
    ctx.paths.folder = folder.path();
    MessageBoxes boxes;
    ctx.messages = &boxes;
    Notifier notifier;
    ctx.port = std::make_unique<TComPort>();
    ctx.log = std::make_unique<ProtocolLog>(ctx.paths.logFile());
    ctx.link = std::make_unique<Link>(*ctx.port, ctx.log.get(), notifier);
    ctx.link->CommFailure = false;
    ctx.link->DemoMode = true;

    SensorPage page(ctx);
    page.show();
    const auto* counter = page.findChild<QLabel*>(QStringLiteral("Label6"));
    page.ApplySupportedPids();
    page.FillSensorGrid();

    // Demo mode: the time from one refresh to the next.
    std::vector<double> passMs;
    {
        QElapsedTimer clock;
        page.btnSensorsReadClick();
        while (passes(counter) < 1)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        clock.start();
        for (int n = 2; n <= DemoPasses + 1; ++n) {
            while (passes(counter) < n)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            passMs.push_back(double(clock.restart()));
        }
        page.btnSensorsStopClick();
        ctx.waitForPollerIdle();
    }
    std::printf("BENCH polling.demo_pass_ms %.1f ms\n", bench::Percentile(passMs, 0.5));
    std::printf("BENCH polling.demo_floor_ms %.1f ms\n", 14 * 100.0);

    // The simulator without latency.
    bench::Simulator sim(binDir);
    ctx.link->DemoMode = false;
    ctx.port->SetPort(sim.slave());
    ctx.port->Open();
    ctx.link->SendCommand(QStringLiteral("ATE0"));
    ctx.link->ReceiveReply();

    const std::vector<double> idle = eventLatencies(1000);
    const qint64 logBefore = QFileInfo(ctx.paths.logFile()).size();
    page.btnSensorsReadClick();
    const int first = passes(counter);
    QElapsedTimer clock;
    clock.start();
    const std::vector<double> busy = eventLatencies(SimulatorSeconds * 1000);
    const double rate = (passes(counter) - first) / (double(clock.elapsed()) / 1000.0);
    page.btnSensorsStopClick();
    ctx.waitForPollerIdle();

    std::printf("BENCH polling.passes_per_s %.1f passes/s\n", rate);
    // Cross-check: the log grows by 14 request and 14 reply lines per pass.
    std::printf("BENCH polling.log_bytes_per_pass %.0f bytes\n",
                double(QFileInfo(ctx.paths.logFile()).size() - logBefore) /
                    (passes(counter) - first));
    std::printf("BENCH polling.gui_latency_p99_ms %.3f ms\n", bench::Percentile(busy, 0.99));
    std::printf("BENCH polling.gui_latency_median_ms %.3f ms\n", bench::Percentile(busy, 0.5));
    std::printf("BENCH polling.idle_gui_latency_p99_ms %.3f ms\n", bench::Percentile(idle, 0.99));

    {
        SimulatorLine plain(binDir, {});
        int rowsPids = 0;
        int furtherPids = 0;
        const double rowsMs = MedianRequestMs(plain.link, false, rowsPids);
        const double furtherMs = MedianRequestMs(plain.link, true, furtherPids);
        std::printf("BENCH polling.request_ms %.4f ms\n", rowsMs);
        std::printf("BENCH polling.request_pids_per_pass %d PIDs\n", rowsPids);
        std::printf("BENCH polling.extended_request_ms %.4f ms\n", furtherMs);
        std::printf("BENCH polling.extended_pids_per_pass %d PIDs\n", furtherPids);
    }

    {
        const QStringList timing{"--baud",         QString::number(LineBaud),
                                 "--ecu-ms",       QString::number(EcuMs),
                                 "--adapter-wait", QString::number(AdapterWaitMs)};
        SimulatorLine can(binDir, Elm327 + timing);
        const double fastMs = MedianPassMs(can.link, true, 9);
        const double singleMs = MedianPassMs(can.link, false, 3);
        const double floorMs = WireFloorMs(can.link);
        std::printf("BENCH polling.can_fast_pass_ms %.1f ms\n", fastMs);
        std::printf("BENCH polling.can_single_pass_ms %.1f ms\n", singleMs);
        std::printf("BENCH polling.can_wire_floor_ms %.1f ms\n", floorMs);
        std::printf("BENCH polling.can_fast_speedup %.1f x\n", singleMs / fastMs);
        std::printf("BENCH polling.can_fast_over_floor %.2f x\n", fastMs / floorMs);
    }

    // Chart, panels and a recording on the page, fast polling at full speed.
    ctx.port->Close();
    bench::Simulator fastSim(binDir, Elm327);
    ctx.port->SetPort(fastSim.slave());
    ctx.port->Open();
    ctx.link->SendCommand(QStringLiteral("ATE0"));
    ctx.link->ReceiveReply();
    ctx.chipIdentification = QStringLiteral("ELM327 v1.5");
    page.findChild<QTabBar*>(QStringLiteral("tcSensordata"))->setCurrentIndex(2);
    page.StartRecording(QDir(folder.path()).filePath(QStringLiteral("bench.csv")));
    page.btnSensorsReadClick();
    const int chartFirst = passes(counter);
    const std::vector<double> warm = eventLatencies(2000);
    // 20 s by default; BENCH_RECORDING_SECONDS=1200 gives twice the chart's
    // longest span.
    const int recordingSeconds = qEnvironmentVariableIsSet("BENCH_RECORDING_SECONDS")
                                     ? qEnvironmentVariableIntValue("BENCH_RECORDING_SECONDS")
                                     : 20;
    // Room for every sample (one per 2 ms at most), written once before the
    // first memory figure, so the benchmark's own samples are not counted as
    // the page's memory.
    std::vector<double> chartBusy(size_t(recordingSeconds) * 500 + 1024);
    chartBusy.clear();
    const double rssStart = ResidentMb();
    QElapsedTimer chartClock;
    chartClock.start();
    // The chart's storage for its longest span is filled when a series is
    // chosen, so memory should stay from the start; the halfway figure shows
    // when a growth began.
    collectEventLatencies(recordingSeconds * 500, chartBusy);
    const double rssHalfway = ResidentMb();
    collectEventLatencies(recordingSeconds * 500, chartBusy);
    const double chartRate =
        (passes(counter) - chartFirst) / (double(chartClock.elapsed() + 2000) / 1000.0);
    const double rssEnd = ResidentMb();
    page.btnSensorsStopClick();
    ctx.waitForPollerIdle();
    page.StopRecording();
    std::printf("BENCH polling.chart_passes_per_s %.1f passes/s\n", chartRate);
    std::printf("BENCH polling.chart_gui_latency_p99_ms %.3f ms\n",
                bench::Percentile(chartBusy, 0.99));
    std::printf("BENCH polling.recording_rss_start_mb %.1f MB\n", rssStart);
    std::printf("BENCH polling.recording_rss_halfway_mb %.1f MB\n", rssHalfway);
    std::printf("BENCH polling.recording_rss_end_mb %.1f MB\n", rssEnd);
    std::printf("BENCH polling.recording_seconds %d s\n", recordingSeconds);
    std::printf("BENCH polling.chart_paint_ms %.2f ms\n", ChartPaintMs(chartRate));
    BenchLoad(page);
    return 0;
}
