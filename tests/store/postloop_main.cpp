// Child of the durability test: posts numbered records to the table given on
// the command line and prints each number once its Post has returned.
#include "common/errors.h"
#include "store/dataset.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    try {
        obd::Dataset table(QStringLiteral("tCustomer"), QString::fromLocal8Bit(argv[1]));
        table.Open();
        for (int n = 0;; ++n) {
            table.Insert();
            table.FieldByName(QStringLiteral("NAME"))
                .SetAsString(QStringLiteral("Kunde %1").arg(n));
            table.FieldByName(QStringLiteral("CUST_NR")).SetAsInteger(n);
            table.Post();
            std::printf("%d\n", n);
            std::fflush(stdout);
        }
    } catch (const obd::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
