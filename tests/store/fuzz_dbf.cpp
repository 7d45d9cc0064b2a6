// Fuzz target for the table parser and the dataset over a parsed file.
// Built two ways: with libFuzzer (clang, -DOBD_FUZZ=ON) it is a plain fuzz
// target; otherwise main() runs a seeded mutation loop over valid tables,
//   store_fuzz_dbf [seconds] [seed]
// which ctest runs briefly and a sanitizer build runs for minutes.
#include "common/errors.h"
#include "store/dataset.h"
#include "store/dbfformat.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <array>
#include <cstdint>
#include <cstdio>
#include <random>
#include <unistd.h>

namespace {

long g_parsed = 0; // inputs that passed the header check

QString scratchFile() {
    static const QString path =
        QDir::temp().filePath(QStringLiteral("fuzz-dbf-%1.dbf").arg(::getpid()));
    return path;
}

// Every value of every record, as text and as integer, and a write of a few
// texts into a copy of the record.
void decodeAll(const obd::dbf::Header& header, const QByteArray& bytes) {
    const qint64 records =
        std::min<qint64>(obd::dbf::RecordsOnDisk(header, bytes.size()), header.recordCount);
    for (qint64 r = 0; r < std::min<qint64>(records, 64); ++r) {
        QByteArray record =
            bytes.mid(header.headerLength + r * header.recordLength, header.recordLength);
        for (const obd::dbf::FieldDef& field : header.fields) {
            (void)obd::dbf::FieldText(field, record.constData());
            try {
                (void)obd::dbf::FieldInteger(field, record.constData(), {});
            } catch (const obd::TableError&) {
            }
            for (const char* text : {"", "12.5", "-2147483648", "01/02/26", "T", "Zoë"}) {
                try {
                    obd::dbf::SetFieldText(field, record.data(), QString::fromUtf8(text), {});
                } catch (const obd::TableError&) {
                }
            }
        }
    }
}

// The same bytes as a file under the dataset: open, walk, post one record.
void throughDataset(const QByteArray& bytes) {
    QFile file(scratchFile());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return;
    file.close();
    obd::Dataset table(QStringLiteral("tFuzz"), scratchFile());
    try {
        table.Open();
        for (int i = 0; i < std::min(table.RecordCount(), 64); ++i) {
            table.MoveTo(i);
            (void)table.DisplayText(i, 0);
        }
        if (table.RecordCount() > 0) {
            table.Delete();
        }
        table.Insert();
        table.FieldByName(QStringLiteral("NAME")).SetAsString(QStringLiteral("Fuzz"));
        table.Post();
        table.Close();
        table.Open();
    } catch (const obd::TableError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const obd::dbf::Header header = obd::dbf::ParseHeader(bytes, QStringLiteral("fuzz"));
        decodeAll(header, bytes);
        ++g_parsed;
    } catch (const obd::TableError&) {
        return 0;
    }
    throughDataset(bytes);
    return 0;
}

#ifndef OBD_LIBFUZZER

namespace {

// Valid tables to mutate: the customer layout and one with every type.
std::vector<QByteArray> seeds() {
    const std::vector<std::vector<obd::dbf::FieldSpec>> layouts{
        {{"NAME", 'C', 60, 0}, {"CUST_NR", 'N', 11, 0}, {"DATE", 'D', 8, 0}},
        {{"NAME", 'C', 12, 0},
         {"AMOUNT", 'N', 8, 2},
         {"RATIO", 'F', 10, 3},
         {"DAY", 'D', 8, 0},
         {"FLAG", 'L', 1, 0}}};
    std::vector<QByteArray> result;
    for (const auto& fields : layouts) {
        QByteArray bytes = obd::dbf::EmptyTable(fields, obd::dbf::kLanguageAnsi, QDate(2026, 1, 2));
        const obd::dbf::Header header = obd::dbf::ParseHeader(bytes, {});
        bytes.chop(1);
        for (int r = 0; r < 3; ++r) {
            QByteArray record(header.recordLength, ' ');
            for (size_t f = 0; f < header.fields.size(); ++f) {
                const obd::dbf::FieldDef& field = header.fields[f];
                const QByteArray v = field.type == 'D'   ? QByteArray("20240229")
                                     : field.type == 'L' ? QByteArray("T")
                                     : field.type == 'C' ? QByteArray("M\xfcller")
                                                         : QByteArray("12");
                record.replace(field.offset, v.size(), v);
            }
            bytes += record;
        }
        bytes += obd::dbf::kEndMark;
        obd::dbf::PutCountAndDate(bytes.data(), 3, QDate(2026, 1, 2));
        result.push_back(bytes);
    }
    return result;
}

QByteArray mutate(QByteArray bytes, std::mt19937& rng) {
    const auto pick = [&](int n) { return int(rng() % unsigned(std::max(n, 1))); };
    constexpr std::array<char, 10> interesting{0,   '\xff', 0x0D,   0x1A, '*',
                                               ' ', 0x7f,   '\x80', '0',  '.'};
    const int steps = 1 + pick(4);
    for (int s = 0; s < steps; ++s) {
        switch (pick(6)) {
        case 0: // flip a bit anywhere
            if (!bytes.isEmpty())
                bytes[pick(int(bytes.size()))] ^= char(1 << pick(8));
            break;
        case 1: // an interesting byte anywhere
            if (!bytes.isEmpty())
                bytes[pick(int(bytes.size()))] = interesting[size_t(pick(int(interesting.size())))];
            break;
        case 2: { // a count, length or width in the header or a descriptor
            constexpr std::array<int, 8> places{4, 6, 8, 9, 10, 11, 32 + 16, 32 + 17};
            const int at = places[size_t(pick(int(places.size())))] + (pick(2) ? 32 * pick(5) : 0);
            if (at < bytes.size())
                bytes[at] = char(rng());
            break;
        }
        case 3: // cut
            bytes.truncate(pick(int(bytes.size()) + 1));
            break;
        case 4: // repeat a piece
            if (!bytes.isEmpty()) {
                const int from = pick(int(bytes.size()));
                bytes.insert(pick(int(bytes.size())), bytes.mid(from, 1 + pick(80)));
            }
            break;
        default: // random bytes
            for (int i = 0, n = 1 + pick(16); i < n; ++i)
                bytes.insert(pick(int(bytes.size()) + 1), char(rng()));
            break;
        }
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    const unsigned seed = argc > 2 ? unsigned(std::strtoul(argv[2], nullptr, 10)) : 20261210u;
    std::mt19937 rng(seed);
    const std::vector<QByteArray> pool = seeds();
    QElapsedTimer total;
    total.start();
    long runs = 0;
    qint64 slowest = 0;
    while (total.elapsed() < qint64(seconds * 1000)) {
        const QByteArray input = mutate(pool[rng() % pool.size()], rng);
        QElapsedTimer one;
        one.start();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()),
                               size_t(input.size()));
        slowest = std::max(slowest, one.elapsed());
        if (one.elapsed() > 2000) {
            std::fprintf(stderr, "input took %lld ms (seed %u, run %ld)\n", one.elapsed(), seed,
                         runs);
            return 1;
        }
        ++runs;
    }
    QFile::remove(scratchFile());
    std::printf("fuzz_dbf: %ld inputs (%ld valid headers) in %.0f s, seed %u, slowest %lld ms\n",
                runs, g_parsed, seconds, seed, slowest);
    return 0;
}

#endif
