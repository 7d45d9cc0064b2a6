// Child of the server record tests: saves visits with 20 codes each to the
// server named on the command line (socket folder, port, database, user),
// count of them or until it is killed when count is -1, and prints each
// visit's number once its save has returned. A failed save ends it with the
// message on stderr and exit code 1.
#include "common/errors.h"
#include "store/serverrecords.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 6)
        return 2;
    try {
        obd::ServerRecords records({QString::fromLocal8Bit(argv[1]), std::atoi(argv[2]),
                                    QString::fromLocal8Bit(argv[3]),
                                    QString::fromLocal8Bit(argv[4])});
        records.Open();
        const int count = std::atoi(argv[5]);
        for (int n = 0; count < 0 || n < count; ++n) {
            obd::VisitRecord visit;
            visit.customer = n % 3;
            visit.vin = QStringLiteral("WVWZZZ1KZ%1").arg(n, 8, 10, QLatin1Char('0'));
            for (int c = 0; c < 20; ++c)
                visit.codes.push_back({QStringLiteral("P%1").arg(c, 4, 10, QLatin1Char('0')),
                                       obd::CodeKind::Stored, QStringLiteral("Beschreibung"),
                                       QStringLiteral("7E8")});
            records.SaveVisit(visit);
            std::printf("%d\n", visit.number);
            std::fflush(stdout);
        }
    } catch (const obd::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
