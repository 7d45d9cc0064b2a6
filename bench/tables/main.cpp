// Table engine figures: opening and walking a 100,000-record customer table,
// one durable Post, saving a visit with 20 codes and listing 10,000 visits.
// The first two come with a baseline measured in the same run (reading the
// raw file; a bare write + fdatasync of one record).
#include "benchstats.h"
#include "common/regional.h"
#include "deliveredtables.h"
#include "store/dataset.h"
#include "store/dbfformat.h"
#include "store/tableschema.h"
#include "store/visits.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
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
constexpr int kVisitSaves = 50;
constexpr int kCodesPerVisit = 20;
constexpr int kListedVisits = 10000;

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

obd::VisitRecord visitWithCodes(int n) {
    obd::VisitRecord visit;
    visit.customer = n % 500;
    visit.vin = QStringLiteral("WVWZZZ1KZ%1").arg(n, 8, 10, QLatin1Char('0'));
    visit.milOn = true;
    visit.remark = QStringLiteral("Kontrolle nach Werkstattbesuch");
    for (int c = 0; c < kCodesPerVisit; ++c)
        visit.codes.push_back({QStringLiteral("P%1").arg(100 + c, 4, 10, QLatin1Char('0')),
                               obd::CodeKind::Stored,
                               QStringLiteral("Luftmassenmesser Stromkreis Bereich/Funktion"),
                               QStringLiteral("7E8")});
    return visit;
}

// Durable saves of visits with 20 codes each, and the list of 10,000 visits:
// the first visit's header is copied with its own number and date in one
// append, as a workshop's years of visits.
void benchVisits(const QString& folder) {
    bench::WriteDeliveredTables(folder);
    obd::TableStore tables;
    tables.OpenAll(folder);
    obd::VisitStore visits(tables);
    std::vector<double> saves;
    for (int i = 0; i < kVisitSaves; ++i) {
        obd::VisitRecord visit = visitWithCodes(i);
        QElapsedTimer timer;
        timer.start();
        visits.SaveVisit(visit);
        saves.push_back(elapsedMs(timer));
    }
    report("tables.visit_save_ms", bench::Median(saves), "ms");

    obd::Dataset& head = tables.tDTCHead;
    const obd::dbf::FieldDef& number = head.Fields()[size_t(head.FieldIndex("HEAD_NR"))];
    const obd::dbf::FieldDef& date = head.Fields()[size_t(head.FieldIndex("DATE"))];
    std::vector<QByteArray> records;
    for (int i = head.RecordCount(); i < kListedVisits; ++i) {
        QByteArray record(head.RowRecord(0), head.RecordLength());
        obd::dbf::SetFieldText(number, record.data(), QString::number(i), {});
        obd::dbf::SetFieldDate(date, record.data(), QDate(2020, 1, 1).addDays(i % 2500));
        records.push_back(std::move(record));
    }
    head.AppendRecords(records);
    std::vector<double> lists;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        const std::vector<obd::VisitSummary> list = visits.ListVisits();
        lists.push_back(elapsedMs(timer));
        if (list.size() != size_t(kListedVisits))
            qFatal("listed %zu visits", list.size());
    }
    report("tables.visit_list_ms", bench::Median(lists), "ms");
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

    benchVisits(dir.filePath("data"));
    return checksum > 0 ? 0 : 1;
}
