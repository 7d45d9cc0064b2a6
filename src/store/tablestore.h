// The four tables of the program, opened together at start-up from the data
// folder, and the customer numbering rule with its counter in options.dbf.
#pragma once

#include "store/dataset.h"

namespace obd {

class TableStore {
public:
    TableStore();
    TableStore(const TableStore&) = delete;
    TableStore& operator=(const TableStore&) = delete;

    // Creates the folder if missing (a failure is left to the openings), then
    // opens tOptions, tCustomer, tDTCHead and tDTCMain in this order; the first
    // failure is thrown and the tables after it stay closed.
    void OpenAll(const QString& dataFolder);

    // Installed as tCustomer.BeforePost: a customer without a number gets the
    // one CUSTOMERNR holds, and CUSTOMERNR moves on by one.
    void tCustomerBeforePost(Dataset& customer);

    Dataset tOptions{QStringLiteral("tOptions"), QStringLiteral("options.dbf")};
    Dataset tCustomer{QStringLiteral("tCustomer"), QStringLiteral("customer.dbf")};
    Dataset tDTCHead{QStringLiteral("tDTCHead"), QStringLiteral("dtchead.dbf")};
    Dataset tDTCMain{QStringLiteral("tDTCMain"), QStringLiteral("dtcmain.dbf")};
};

} // namespace obd
