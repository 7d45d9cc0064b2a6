// The records on a PostgreSQL server, shared by several workstations, through
// Qt SQL's QPSQL driver. Every change is one short transaction; numbers come
// from the server's sequences; nothing stays locked between two calls, so a
// message box never holds up another workstation. Values reach SQL only as
// bound parameters.
//
// The customer page browses a working copy of the customer list: a table in
// a private temporary folder, filled from the server when the store opens
// and on RefreshCustomers. Its Post and Delete go to the server first (a
// failure leaves the working copy as it was); only then does the working copy
// follow.
//
// A lost connection fails the call under way with a message and is opened
// again by the next call. The password is never kept in a file by this
// program: libpq finds it in ~/.pgpass or a service file, or the user is
// asked once per run.
#pragma once

#include "store/records.h"

#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QVariant>
#include <functional>
#include <memory>

class QSqlQuery;

namespace obd {

struct ServerSettings {
    QString host; // name, address or socket folder; "" for libpq's default
    int port = 5432;
    QString database;
    QString user;
    bool requireTls = false; // otherwise TLS when the server offers it
};

// A text as a bound value: Qt binds a null QString as NULL, so an empty
// text is bound as "".
QVariant BoundText(const QString& value);

// Asks the user for the password of the server; none when they cancel.
using PasswordPrompt = std::function<std::optional<QString>(const QString& question)>;

class ServerRecords : public Records {
    Q_OBJECT
public:
    ServerRecords(ServerSettings server, PasswordPrompt askPassword = {});
    ~ServerRecords() override;

    void Open() override;
    QString ReadOnlyNotice() const override { return {}; }
    Dataset& Customers() override { return m_customers; }
    void RefreshCustomers() override;
    bool VisitsReadable() const override { return true; }
    qint32 SaveVisit(VisitRecord& visit) override;
    std::vector<VisitSummary> ListVisits(const VisitFilter& filter = {}) const override;
    std::optional<VisitRecord> LoadVisit(qint32 number) const override;
    QString CustomerName(qint32 customer) const override;
    QString CustomerAddress(qint32 customer) const override;
    std::vector<VehicleSummary> VehiclesOfCustomer(qint32 customer) const override;
    std::vector<CodeHistoryEntry> CodeHistoryOfVehicle(qint32 customer,
                                                       const QString& vin) const override;

    // The schema version this program creates and upgrades to.
    static int SchemaVersion();
    // The server and database, for messages.
    QString Where() const;

    // Runs body inside one transaction: committed when body returns,
    // rolled back when it throws. Used by the import of local tables.
    void InTransaction(const std::function<void()>& body);
    // Runs a statement with bound values; throws ServerError on failure.
    QSqlQuery Run(const QString& sql, const QVariantList& values = {}) const;
    // Run for a statement that only reads: outside a transaction it is tried
    // once more on a new connection when the first try fails.
    QSqlQuery Read(const QString& sql, const QVariantList& values = {}) const;
    // Inserts a visit with its codes (inside a transaction) and returns its
    // number. With an origin, a visit already imported from there under
    // originNr is left alone and none is returned.
    std::optional<qint32> InsertVisit(const VisitRecord& visit, const QString& origin = {},
                                      qint32 originNr = -1);
    // The first column of the first row of a statement's result.
    QVariant Value(const QString& sql, const QVariantList& values = {}) const;

private:
    QSqlDatabase& connection() const;
    void migrate() const;
    void writeCustomerCopy(const QString& path);
    void customerBeforePost(Dataset& customer);
    void customerBeforeDelete(Dataset& customer);
    [[noreturn]] void fail(const QString& what, const QString& why) const;

    ServerSettings m_server;
    PasswordPrompt m_askPassword;
    QString m_name; // of the Qt SQL connection
    mutable QSqlDatabase m_db;
    mutable std::optional<QString> m_password; // asked for in this run
    mutable bool m_migrated = false;
    mutable bool m_reconnect = false;
    bool m_inTransaction = false;
    QTemporaryDir m_workFolder;
    Dataset m_customers{QStringLiteral("tCustomer"), QStringLiteral("customer.dbf")};
};

} // namespace obd
