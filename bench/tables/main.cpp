// Table engine figures: opening and walking a 100,000-record customer table,
// and one durable Post. Each comes with a baseline measured in the same run
// (reading the raw file; a bare write + fdatasync of one record).
#include "benchstats.h"
#include "common/regional.h"
#include "store/dataset.h"
#include "store/dbfformat.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRecords = 100000;
constexpr int kRuns = 5;
constexpr int kPosts = 200;

const std::vector<obd::dbf::FieldSpec> kCustomer{
    {"NAME", 'C', 60, 0}, {"CUST_NR", 'N', 11, 0}, {"DATE", 'D', 8, 0}};

double elapsedMs(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

// A customer table of n records, built as bytes in one go.
void writeCustomers(const QString& path, int n) {
    QByteArray bytes = obd::dbf::EmptyTable(kCustomer, obd::dbf::kLanguageAnsi, QDate(2026, 12, 9));
    bytes.chop(1); // the end mark goes after the records
    for (int i = 0; i < n; ++i) {
        const QByteArray name = QStringLiteral("Kunde Müller %1").arg(i).toLatin1();
        bytes += ' ' + name.leftJustified(60, ' ') + QByteArray::number(i).rightJustified(11, ' ') +
                 "20261209";
    }
    bytes += obd::dbf::kEndMark;
    obd::dbf::PutCountAndDate(bytes.data(), quint32(n), QDate(2026, 12, 9));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void report(const char* name, double value, const char* unit) {
    std::printf("BENCH %s %.3f %s\n", name, value, unit);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // On the disk the program lives on, like the data folder beside it.
    QTemporaryDir dir(QCoreApplication::applicationDirPath() + "/bench-tables-XXXXXX");
    const QString bigTable = dir.filePath("customer.dbf");
    writeCustomers(bigTable, kRecords);

    std::vector<double> walk;
    std::vector<double> raw;
    qsizetype checksum = 0;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        QFile file(bigTable);
        file.open(QIODevice::ReadOnly);
        checksum += file.readAll().size();
        raw.push_back(elapsedMs(timer));

        timer.restart();
        obd::Dataset table(QStringLiteral("tCustomer"), bigTable);
        table.Open();
        obd::Field name = table.FieldByName(QStringLiteral("NAME"));
        obd::Field number = table.FieldByName(QStringLiteral("CUST_NR"));
        obd::Field date = table.FieldByName(QStringLiteral("DATE"));
        for (int i = 0; i < table.RecordCount(); ++i) {
            table.MoveTo(i);
            checksum += name.AsString().size() + number.AsString().size() + date.AsString().size();
        }
        walk.push_back(elapsedMs(timer));
        if (table.RecordCount() != kRecords)
            qFatal("read %d records", table.RecordCount());
    }
    report("tables.open_walk_ms", bench::Median(walk), "ms");
    report("tables.raw_read_ms", bench::Median(raw), "ms");

    const QString small = dir.filePath("posts.dbf");
    writeCustomers(small, 0);
    obd::Dataset table(QStringLiteral("tCustomer"), small);
    table.Open();
    std::vector<double> posts;
    for (int i = 0; i < kPosts; ++i) {
        QElapsedTimer timer;
        timer.start();
        table.Insert();
        table.FieldByName(QStringLiteral("NAME")).SetAsString(QStringLiteral("Kunde %1").arg(i));
        table.FieldByName(QStringLiteral("CUST_NR")).SetAsInteger(i);
        table.FieldByName(QStringLiteral("DATE"))
            .SetAsString(obd::ShortDateText(QDate::currentDate()));
        table.Post();
        posts.push_back(elapsedMs(timer));
    }
    report("tables.post_median_ms", bench::Median(posts), "ms");

    // Baseline: one record-sized write with fdatasync, the least a durable Post costs.
    const QByteArray record(81, ' ');
    const int fd = ::open(qPrintable(dir.filePath("raw.bin")), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    std::vector<double> syncs;
    for (int i = 0; i < kPosts; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (::pwrite(fd, record.constData(), size_t(record.size()), off_t(i) * record.size()) < 0 ||
            ::fdatasync(fd) != 0)
            qFatal("baseline write failed");
        syncs.push_back(elapsedMs(timer));
    }
    ::close(fd);
    report("tables.write_sync_median_ms", bench::Median(syncs), "ms");
    return checksum > 0 ? 0 : 1;
}
