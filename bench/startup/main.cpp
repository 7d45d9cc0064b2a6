// Start-up benchmark: from the start of a fresh process to the main window's
// first paint on the offscreen platform, and the resident memory then.
// The parent starts itself as a child several times (a fresh process each
// run, the same libraries as the program) and prints the medians:
//   BENCH startup.first_paint_ms <median> ms
//   BENCH startup.rss_mb <median> MB
//   BENCH startup.connected_ms <median> ms
// The last figure runs against elmsim answering after 20 ms: from process
// start to the seventh status line of a successful connection sequence (the
// 500 ms start timer included).
// Each child gets a program folder of its own with the delivered dtc-gb.dat
// and tables, and a settings folder of its own, like a first start.
#include "benchstats.h"
#include "workbench/mainwindow.h"

#include <QListWidget>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int kRuns = 7;

double MonotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double ResidentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

// Copies the delivered files next to the program into a fresh program folder;
// says which are missing (start-up then reports them in its error boxes).
bool MakeProgramFolder(const QString& from, const QString& to) {
    QStringList files{QStringLiteral("dtc-gb.dat")};
    const QDir data(from + QStringLiteral("/data"));
    for (const QString& name : data.entryList({QStringLiteral("*.dbf")}, QDir::Files))
        files << QStringLiteral("data/") + name;
    if (!QDir().mkpath(to + QStringLiteral("/data")))
        return false;
    for (const QString& name : files)
        if (!QFile::copy(from + QLatin1Char('/') + name, to + QLatin1Char('/') + name))
            std::fprintf(stderr, "bench_startup: %s is missing beside the program\n",
                         qPrintable(name));
    return true;
}

// The child: builds the main window as the program does, reports at its
// first paint and ends.
int Child(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(qgetenv("BENCH_PROGRAM_FOLDER"));
    auto settings =
        std::make_unique<QSettings>(QStringLiteral("Quorix"), QStringLiteral("OBDTorvane"));
    obd::TfMain window(folder, std::move(settings), [](const QString&, const QString& text) {
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
        return obd::BoxButton::Ok;
    });
    const bool untilConnected = qEnvironmentVariableIsSet("BENCH_UNTIL_CONNECTED");
    QObject::connect(&window, &obd::TfMain::firstPaint, &app, [&] {
        std::printf("%.3f %.3f\n", MonotonicMs(), ResidentMb());
        std::fflush(stdout);
        if (!untilConnected)
            QTimer::singleShot(0, &app, [&] { window.close(); });
    });
    auto* list = window.findChild<QListWidget*>(QStringLiteral("LogListBox"));
    QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, &app, [&] {
        if (!untilConnected || list->count() < 7)
            return;
        const bool ok = list->item(6)->text() == QLatin1String("Verbindung mit ECU: OK");
        std::printf("%.3f\n", ok ? MonotonicMs() : -1.0);
        std::fflush(stdout);
        QTimer::singleShot(0, &app, [&] { window.close(); });
    });
    window.show();
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("BENCH_PROGRAM_FOLDER"))
        return Child(argc, argv);

    QCoreApplication app(argc, argv);
    const QString binDir = QCoreApplication::applicationDirPath();
    // The simulator is announced in a folder of this run: a simulator of
    // `make run` (or one left by a killed run) keeps its own announcement.
    QTemporaryDir simFolder;
    QProcess sim;
    sim.start(binDir + QStringLiteral("/elmsim"),
              {QStringLiteral("--latency"), QStringLiteral("20"), QStringLiteral("--link"),
               simFolder.filePath(QStringLiteral("elmsim"))});
    if (!sim.waitForStarted(10000) || !sim.waitForReadyRead(10000)) {
        std::fprintf(stderr, "bench_startup: elmsim does not start\n");
        return 1;
    }
    const QString simPort = QString::fromLocal8Bit(sim.readLine()).trimmed();
    std::vector<double> paintMs, rssMb, connectedMs;
    for (int run = 0; run < 2 * kRuns; ++run) {
        const bool untilConnected = run >= kRuns;
        QTemporaryDir folder, config;
        if (!folder.isValid() || !config.isValid() || !MakeProgramFolder(binDir, folder.path())) {
            std::fprintf(stderr, "bench_startup: cannot set up a program folder from %s\n",
                         qPrintable(binDir));
            return 1;
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("BENCH_PROGRAM_FOLDER"), folder.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (untilConnected) {
            env.insert(QStringLiteral("BENCH_UNTIL_CONNECTED"), QStringLiteral("1"));
            QSettings stored(config.path() + QStringLiteral("/Quorix/OBDTorvane.conf"),
                             QSettings::IniFormat);
            stored.setValue(QStringLiteral("Port"), simPort);
        }
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const double started = MonotonicMs();
        child.start(QCoreApplication::applicationFilePath(), {});
        if (!child.waitForFinished(30000) || child.exitCode() != 0) {
            std::fprintf(stderr, "bench_startup: run %d failed\n", run);
            return 1;
        }
        const QList<QByteArray> lines = child.readAllStandardOutput().trimmed().split('\n');
        const QList<QByteArray> fields = lines.first().split(' ');
        if (fields.size() != 2 || (untilConnected && lines.size() != 2)) {
            std::fprintf(stderr, "bench_startup: run %d gave no first paint\n", run);
            return 1;
        }
        if (untilConnected) {
            if (lines[1].toDouble() < 0) {
                std::fprintf(stderr, "bench_startup: run %d did not connect\n", run);
                return 1;
            }
            connectedMs.push_back(lines[1].toDouble() - started);
            continue;
        }
        paintMs.push_back(fields[0].toDouble() - started);
        rssMb.push_back(fields[1].toDouble());
    }
    sim.terminate();
    sim.waitForFinished(5000);
    std::printf("BENCH startup.first_paint_ms %.1f ms\n", bench::Median(paintMs));
    std::printf("BENCH startup.rss_mb %.1f MB\n", bench::Median(rssMb));
    std::printf("BENCH startup.connected_ms %.1f ms\n", bench::Median(connectedMs));
    return 0;
}
