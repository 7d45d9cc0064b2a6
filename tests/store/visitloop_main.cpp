// Child of the visit test: saves visits to the data folder given on the
// command line until it is killed, and prints each visit's number once its
// save has returned. Every third visit has 20 codes, the others one or two.
#include "common/errors.h"
#include "store/visits.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    try {
        obd::TableStore tables;
        tables.OpenAll(QString::fromLocal8Bit(argv[1]));
        obd::VisitStore visits(tables);
        for (int n = 0;; ++n) {
            obd::VisitRecord visit;
            visit.customer = n % 3;
            visit.vin = QStringLiteral("WVWZZZ1KZ%1").arg(n, 8, 10, QLatin1Char('0'));
            const int codes = n % 3 == 0 ? 20 : 1 + n % 2;
            for (int c = 0; c < codes; ++c)
                visit.codes.push_back({QStringLiteral("P%1").arg(c, 4, 10, QLatin1Char('0')),
                                       obd::CodeKind::Stored, QStringLiteral("Beschreibung"),
                                       QStringLiteral("7E8")});
            visits.SaveVisit(visit);
            std::printf("%d\n", visit.number);
            std::fflush(stdout);
        }
    } catch (const obd::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
