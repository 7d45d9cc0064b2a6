// One command-reply exchange over a pseudo-terminal: the raw round trip (write,
// poll, read up to the prompt) as the floor of this machine, against the full
// SendCommand + ReceiveReply with the protocol log writing to a real file.
// A responder thread on the master side answers every CR at once.
// Then the paced case: elmsim pacing the line like a UART at 9600 baud with a
// simulated latency, against the floor the bytes' time on the wire sets.
#include "benchsim.h"
#include "benchstats.h"
#include "link/comport.h"
#include "link/link.h"
#include "link/protocollog.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Warmup = 200;
constexpr int Rounds = 3000;
constexpr char Reply[] = "41 0C 1A F8 \r\r>";
constexpr char Request[] = "010C";

using Clock = std::chrono::steady_clock;

[[noreturn]] void die(const char* what) {
    std::perror(what);
    std::exit(1);
}

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Answers every CR-terminated request with Reply until the master is shut.
class Responder {
public:
    Responder() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || ::grantpt(m_master) < 0 || ::unlockpt(m_master) < 0)
            die("posix_openpt");
        m_slave = ::ptsname(m_master);
        m_thread = std::thread([this] { run(); });
    }
    ~Responder() {
        m_stop = true;
        m_thread.join();
        ::close(m_master);
    }
    const char* slave() const { return m_slave.c_str(); }

private:
    void run() {
        char buffer[256];
        while (!m_stop) {
            pollfd pfd{m_master, POLLIN, 0};
            if (::poll(&pfd, 1, 50) <= 0)
                continue;
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0) {
                // No slave open at the moment (between the two phases).
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            for (ssize_t i = 0; i < n; ++i) {
                if (buffer[i] == '\r' && ::write(m_master, Reply, sizeof Reply - 1) < 0)
                    die("responder write");
            }
        }
    }

    int m_master = -1;
    std::string m_slave;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

// Write the request, poll, read until '>': nothing else.
double rawRoundTrip(int fd) {
    const auto start = Clock::now();
    if (::write(fd, "010C\r", 5) != 5)
        die("write");
    char buffer[256];
    for (;;) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, 5000) <= 0)
            die("poll");
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0)
            die("read");
        if (std::find(buffer, buffer + n, '>') != buffer + n)
            break;
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Figures {
    std::vector<double> times;
    double cpuMs = 0; // per exchange, on the calling thread
};

Figures measureRaw(const char* slave) {
    const int fd = ::open(slave, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        die("open slave");
    termios mode{};
    ::tcgetattr(fd, &mode);
    ::cfmakeraw(&mode);
    ::tcsetattr(fd, TCSANOW, &mode);
    Figures raw;
    for (int i = 0; i < Warmup + Rounds; ++i) {
        const double cpuStart = threadCpuMs();
        const double ms = rawRoundTrip(fd);
        if (i >= Warmup) {
            raw.times.push_back(ms);
            raw.cpuMs += threadCpuMs() - cpuStart;
        }
    }
    raw.cpuMs /= Rounds;
    ::close(fd);
    return raw;
}

struct SilentNotifier : obd::LinkNotifier {
    void showChipError(const QString&) override { std::abort(); }
    void showNoCommunication(const QString&) override { std::abort(); }
    void showLogFailure(const QString&) override { std::abort(); }
};

constexpr int PacedBaud = 9600;
constexpr int PacedLatencyMs = 20;
constexpr int PacedRounds = 60;

// The paced line: the median of full exchanges, and the floor of the bytes of
// request and reply at the rate plus the latency.
void measurePaced(const QString& binDir, const QString& logFile) {
    bench::Simulator sim(binDir, {QStringLiteral("--baud"), QString::number(PacedBaud),
                                  QStringLiteral("--latency"), QString::number(PacedLatencyMs)});
    obd::ProtocolLog log(logFile);
    auto port = obd::CreatePort();
    port->SetPort(sim.slave());
    port->Open();
    SilentNotifier notifier;
    obd::Link link(*port, &log, notifier);
    // The program's own setup: no echo, no line feeds.
    for (const char* command : {"ATE0", "ATL0"}) {
        link.SendCommand(QString::fromLatin1(command));
        link.ReceiveReply();
    }
    // The reply's bytes as the chip sends them, read once through the driver.
    port->WriteStr(QByteArray(Request) + '\r');
    QByteArray reply;
    while (!reply.contains('>') && port->WaitForChars(5000))
        reply += port->Read(port->InputCount());
    if (!reply.contains('>'))
        die("no paced reply");
    const qsizetype bytes = qsizetype(sizeof Request) + reply.size(); // request with its CR
    const double floorMs = bytes * 10.0 * 1000.0 / PacedBaud + PacedLatencyMs;

    std::vector<double> times;
    for (int i = 0; i < PacedRounds; ++i) {
        const auto start = Clock::now();
        link.SendCommand(QString::fromLatin1(Request));
        const QString text = link.ReceiveReply();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (!text.startsWith(QLatin1String("410C"))) {
            std::fprintf(stderr, "unexpected paced reply %s\n", qPrintable(text));
            std::exit(1);
        }
    }
    log.Close();
    std::printf("BENCH exchange.paced_median_ms %.2f ms\n", bench::Median(times));
    std::printf("BENCH exchange.paced_floor_ms %.2f ms\n", floorMs);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Responder responder;
    const Figures raw = measureRaw(responder.slave());

    QTemporaryDir dir;
    obd::ProtocolLog log(dir.filePath(QStringLiteral("LogFile.txt")));
    auto port = obd::CreatePort();
    port->SetPort(QString::fromLocal8Bit(responder.slave()));
    port->Open();
    SilentNotifier notifier;
    obd::Link link(*port, &log, notifier);
    std::vector<double> times;
    double cpuMs = 0;
    for (int i = 0; i < Warmup + Rounds; ++i) {
        const double cpuStart = threadCpuMs();
        const auto start = Clock::now();
        link.SendCommand(QString::fromLatin1(Request));
        const QString reply = link.ReceiveReply();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (reply != QLatin1String("410C1AF8")) {
            std::fprintf(stderr, "unexpected reply %s\n", qPrintable(reply));
            return 1;
        }
        if (i >= Warmup) {
            times.push_back(ms);
            cpuMs += threadCpuMs() - cpuStart;
        }
    }
    log.Close();
    obd::ClosePort(port);

    std::printf("BENCH exchange.median_ms %.4f ms\n", bench::Median(times));
    std::printf("BENCH exchange.raw_median_ms %.4f ms\n", bench::Median(raw.times));
    std::printf("BENCH exchange.cpu_ms %.4f ms\n", cpuMs / Rounds);
    std::printf("BENCH exchange.raw_cpu_ms %.4f ms\n", raw.cpuMs);
    measurePaced(QCoreApplication::applicationDirPath(),
                 dir.filePath(QStringLiteral("PacedLogFile.txt")));
    return 0;
}
