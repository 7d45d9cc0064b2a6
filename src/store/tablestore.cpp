#include "store/tablestore.h"

#include "common/errors.h"

#include <QDir>
#include <limits>

namespace obd {

TableStore::TableStore() {
    tCustomer.BeforePost = [this](Dataset& customer) { tCustomerBeforePost(customer); };
}

void TableStore::OpenAll(const QString& dataFolder) {
    QDir().mkpath(dataFolder); // an existing folder, or a failure the openings report
    for (Dataset* table : {&tOptions, &tCustomer, &tDTCHead, &tDTCMain}) {
        table->Close();
        table->SetFolder(dataFolder);
        table->Open();
    }
}

void TableStore::tCustomerBeforePost(Dataset& customer) {
    Field number = customer.FieldByName(QStringLiteral("CUST_NR"));
    if (!number.AsString().isEmpty())
        return;
    tOptions.First();
    Field counter = tOptions.FieldByName(QStringLiteral("CUSTOMERNR"));
    const qint32 next = counter.AsInteger();
    if (next == std::numeric_limits<qint32>::max())
        throw TableError(QStringLiteral("tOptions: Die Kundennummern sind erschöpft"));
    // The counter is advanced and stored before the number is given to the
    // customer: if storing it fails, the customer stays unnumbered and the
    // same number cannot be handed out twice.
    try {
        tOptions.Edit();
        counter.SetAsInteger(next + 1);
        tOptions.Post();
    } catch (...) {
        tOptions.Cancel();
        throw;
    }
    number.SetAsInteger(next);
}

} // namespace obd
