#include "store/recordsimport.h"

#include "common/errors.h"
#include "common/regional.h"
#include "store/serverrecords.h"
#include "store/tableschema.h"
#include "store/tablestore.h"
#include "store/visits.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QSysInfo>

namespace obd {

QString OriginOfFolder(const QString& dataFolder) {
    return QSysInfo::machineHostName() + QLatin1Char(':') +
           QFileInfo(dataFolder).canonicalFilePath();
}

QString ImportResult::Text() const {
    return QStringLiteral("Import aus %1:\n"
                          "Kunden: %2 gelesen, %3 neu übernommen, %4 waren schon da.\n"
                          "Diagnosen: %5 gelesen, %6 neu übernommen, %7 waren schon da.\n"
                          "Auf dem Server geprüft: alle %2 Kunden und %5 Diagnosen mit ihren "
                          "%8 Codes sind vorhanden.")
        .arg(origin)
        .arg(customers.read)
        .arg(customers.added)
        .arg(customers.read - customers.added)
        .arg(visits.read)
        .arg(visits.added)
        .arg(visits.read - visits.added)
        .arg(codes);
}

namespace {

struct LocalCustomer {
    qint32 key; // the local number; -(row + 1) for a customer without one
    QString name;
    std::optional<QDate> date;
    QString address;
};

std::vector<LocalCustomer> localCustomers(TableStore& tables) {
    Dataset& ds = tables.tCustomer;
    const bool hasAddress = ds.FieldIndex(QStringLiteral("ADDRESS")) >= 0;
    std::vector<LocalCustomer> customers;
    QSet<qint32> seen;
    for (int row = 0; row < ds.RecordCount(); ++row) {
        ds.MoveTo(row);
        const QString number = ds.FieldByName(QStringLiteral("CUST_NR")).AsString();
        const qint32 key = number.isEmpty() ? -(row + 1) : number.toInt();
        if (seen.contains(key))
            continue; // the same number twice: the first one counts, as the lists show it
        seen.insert(key);
        customers.push_back(
            {key, ds.FieldByName(QStringLiteral("NAME")).AsString(),
             ParseShortDate(ds.FieldByName(QStringLiteral("DATE")).AsString()),
             hasAddress ? LinesFromField(ds.FieldByName(QStringLiteral("ADDRESS")).AsString())
                        : QString()});
    }
    return customers;
}

int countOf(ServerRecords& server, const QString& sql, const QString& origin) {
    return server.Value(sql, {origin}).toInt();
}

} // namespace

ImportResult ImportLocalTables(const QString& dataFolder, ServerRecords& server) {
    ImportResult result;
    result.origin = OriginOfFolder(dataFolder);
    TableStore tables;
    tables.OpenAll(dataFolder);
    const std::vector<LocalCustomer> customers = localCustomers(tables);
    const std::vector<VisitRecord> visits = VisitStore(tables).LoadAllVisits();
    result.customers.read = int(customers.size());
    result.visits.read = int(visits.size());
    for (const VisitRecord& v : visits)
        result.codes += int(v.codes.size());

    const QString& origin = result.origin;
    server.InTransaction([&] {
        const auto addCustomer = [&](qint32 key, const QString& name,
                                     const std::optional<QDate>& date, const QString& address) {
            return !server
                        .Value(QStringLiteral("INSERT INTO customer (name, created, address, "
                                              "origin, origin_nr) VALUES (?, ?, ?, ?, ?) "
                                              "ON CONFLICT (origin, origin_nr) DO NOTHING "
                                              "RETURNING cust_nr"),
                               {BoundText(name),
                                date ? QVariant(*date) : QVariant(QMetaType(QMetaType::QDate)),
                                BoundText(address), origin, key})
                        .isNull();
        };
        for (const LocalCustomer& c : customers)
            result.customers.added += addCustomer(c.key, c.name, c.date, c.address);
        // Visits of a customer no longer in the local list keep their
        // customer as one named after the local number.
        QSet<qint32> known;
        for (const LocalCustomer& c : customers)
            known.insert(c.key);
        QSet<qint32> placeholders;
        for (const VisitRecord& v : visits)
            if (!known.contains(v.customer) && !placeholders.contains(v.customer)) {
                placeholders.insert(v.customer);
                addCustomer(
                    v.customer,
                    QStringLiteral("Kunde Nr. %1 (gelöscht, aus %2)").arg(v.customer).arg(origin),
                    std::nullopt, QString());
            }
        QHash<qint32, qint32> serverNumber;
        QSqlQuery q = server.Run(
            QStringLiteral("SELECT origin_nr, cust_nr FROM customer WHERE origin = ?"), {origin});
        while (q.next())
            serverNumber.insert(q.value(0).toInt(), q.value(1).toInt());
        for (VisitRecord v : visits) {
            const qint32 localNumber = v.number;
            v.customer = serverNumber.value(v.customer);
            result.visits.added += server.InsertVisit(v, origin, localNumber).has_value();
        }

        // Every local record is on the server now, or nothing is stored.
        const int customersThere = countOf(
            server, QStringLiteral("SELECT count(*) FROM customer WHERE origin = ?"), origin);
        const int visitsThere =
            countOf(server, QStringLiteral("SELECT count(*) FROM visit WHERE origin = ?"), origin);
        const int codesThere =
            countOf(server,
                    QStringLiteral("SELECT count(*) FROM visit_code c JOIN visit v ON "
                                   "v.visit_nr = c.visit_nr WHERE v.origin = ?"),
                    origin);
        const int customersExpected = result.customers.read + int(placeholders.size());
        if (customersThere != customersExpected || visitsThere != result.visits.read ||
            codesThere != result.codes)
            throw ServerError(
                QStringLiteral("Import aus %1 abgebrochen, nichts wurde übernommen: auf dem "
                               "Server stimmen die Zahlen nicht (Kunden %2 statt %3, Diagnosen "
                               "%4 statt %5, Codes %6 statt %7).")
                    .arg(origin)
                    .arg(customersThere)
                    .arg(customersExpected)
                    .arg(visitsThere)
                    .arg(result.visits.read)
                    .arg(codesThere)
                    .arg(result.codes));
    });
    server.RefreshCustomers();
    Q_EMIT server.VisitsChanged();
    return result;
}

} // namespace obd
