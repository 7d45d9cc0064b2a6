// Loading a generated trouble-code file of 100,000 lines and looking codes up
// in it, and loading the delivered file: the median of five runs of each.
// Then a file of 60 MB, as large as a description file may nearly be: the
// peak memory of loading it (beside the file's size: the target is at most
// three times that) and the time, once with lines of many codes and once with
// every line for the same code.
#include "benchfiles.h"
#include "benchmemory.h"
#include "benchstats.h"
#include "store/dtctexts.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Lines = 100000;
constexpr int Lookups = 10000;
constexpr int Runs = 5;

constexpr qint64 LargeBytes = 60LL * 1024 * 1024;

QString CodeOf(int n) {
    static const char letters[] = "PCBU";
    return QStringLiteral("%1%2")
        .arg(QLatin1Char(letters[n % 4]))
        .arg(n / 4 % 10000, 4, 10, QLatin1Char('0'));
}

// Writes a file of LargeBytes of lines like the delivered file's; with
// oneCode every line is for P0420.
bool WriteLarge(const QString& path, bool oneCode) {
    return bench::WriteLines(path, LargeBytes, {}, [oneCode](qint64 n) {
        return (oneCode ? QByteArray("P0420") : CodeOf(int(n)).toLatin1()) +
               "   Catalyst System Efficiency Below Threshold (Bank " + QByteArray::number(n) +
               ")\r\n";
    });
}

// Loads path in a child process of its own, so that memory an earlier load
// left to the allocator does not hide in the figures; prints them.
bool LoadLarge(const QString& path, const char* name);

bool LoadLargeHere(const QString& path, const char* name) {
    const double before = bench::ResidentMb();
    if (!bench::ResetPeakResident())
        return false;
    // The processor time beside the wall time: on a shared machine the wall
    // time is mostly waiting for a core.
    const auto cpuMs = [] {
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    };
    const double cpuBefore = cpuMs();
    QElapsedTimer timer;
    timer.start();
    const obd::TTroubleCodeFile texts = obd::LoadTroubleCodeTexts(path);
    const double ms = timer.nsecsElapsed() / 1e6;
    const double cpu = cpuMs() - cpuBefore;
    const double peak = bench::PeakResidentMb() - before;
    const double after = bench::ResidentMb() - before;
    if (texts.isEmpty() || obd::FindTroubleCodeTexts(texts, QStringLiteral("P0420")).isEmpty())
        return false;
    std::printf("BENCH dtcfile.%s_rss_mb %.1f MB\n", name, peak);
    std::printf("BENCH dtcfile.%s_kept_mb %.1f MB\n", name, after);
    std::printf("BENCH dtcfile.%s_load_ms %.0f ms\n", name, ms);
    std::printf("BENCH dtcfile.%s_load_cpu_ms %.0f ms\n", name, cpu);
    return true;
}

bool LoadLarge(const QString& path, const char* name) {
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        const bool ok = LoadLargeHere(path, name);
        std::fflush(stdout);
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

} // namespace

int main() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dtc-gb.dat"));
    {
        QByteArray content;
        content.reserve(Lines * 64);
        for (int i = 0; i < Lines; ++i)
            content += CodeOf(i).toLatin1() + "   Description line " + QByteArray::number(i) +
                       " of a generated trouble code\r\n";
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return 1;
    }

    std::vector<double> loads;
    std::vector<double> lookups;
    std::vector<double> deliveredLoads;
    qsizetype deliveredLines = 0;
    qsizetype found = 0;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const obd::TTroubleCodeFile texts = obd::LoadTroubleCodeTexts(path);
        loads.push_back(timer.nsecsElapsed() / 1e6);
        if (texts.size() != Lines)
            return 1;

        timer.restart();
        for (int i = 0; i < Lookups; ++i)
            found += obd::FindTroubleCodeTexts(texts, CodeOf(i * 7)).size();
        lookups.push_back(timer.nsecsElapsed() / 1e6);

        timer.restart();
        deliveredLines = obd::LoadTroubleCodeTexts(QStringLiteral(OBD_DELIVERED_DTC_FILE)).size();
        deliveredLoads.push_back(timer.nsecsElapsed() / 1e6);
    }
    if (found == 0 || deliveredLines == 0)
        return 1;
    std::printf("BENCH dtcfile.load_ms %.2f ms\n", bench::Median(loads));
    std::printf("BENCH dtcfile.lookups_ms %.2f ms\n", bench::Median(lookups));
    std::printf("BENCH dtcfile.delivered_lines %lld lines\n",
                static_cast<long long>(deliveredLines));
    std::printf("BENCH dtcfile.delivered_load_ms %.3f ms\n", bench::Median(deliveredLoads));

    const QString large = dir.filePath(QStringLiteral("large.dat"));
    std::printf("BENCH dtcfile.large_file_mb %.1f MB\n", double(LargeBytes) / (1024 * 1024));
    if (!WriteLarge(large, false) || !LoadLarge(large, "large"))
        return 1;
    if (!WriteLarge(large, true) || !LoadLarge(large, "large_one_code"))
        return 1;
    return 0;
}
