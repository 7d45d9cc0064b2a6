// Loading a generated trouble-code file of 100,000 lines and looking codes up
// in it, and loading the delivered file. Prints the median of five runs of each.
#include "benchstats.h"
#include "store/dtctexts.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

constexpr int Lines = 100000;
constexpr int Lookups = 10000;
constexpr int Runs = 5;

QString CodeOf(int n) {
    static const char letters[] = "PCBU";
    return QStringLiteral("%1%2")
        .arg(QLatin1Char(letters[n % 4]))
        .arg(n / 4 % 10000, 4, 10, QLatin1Char('0'));
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
    return 0;
}
