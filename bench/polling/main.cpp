// Live polling on the real sensor page, with the protocol log on:
//  - demo mode: the length of a pass over the 14 supported PIDs (the
//    responder's 100 ms per reply make 1400 ms the floor);
//  - elmsim without latency: passes per second, and meanwhile the GUI
//    thread's event latency (the wait of a call posted from another thread),
//    beside the same latency measured while nothing polls as the baseline.
#include "benchsim.h"
#include "benchstats.h"
#include "link/comport.h"
#include "link/link.h"
#include "link/protocollog.h"
#include "store/tablestore.h"
#include "workbench/context.h"
#include "workbench/messages.h"
#include "workbench/sensorpage.h"
#include "workbench/sensorthread.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <chrono>
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
// posts a call to it every 2 ms, as input from outside would arrive; returns
// how long each call waited before the GUI thread ran it.
std::vector<double> eventLatencies(int ms) {
    std::vector<double> waits; // written on the GUI thread only
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
    return waits;
}

int passes(const QLabel* counter) {
    return counter->text().toInt();
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
    return 0;
}
