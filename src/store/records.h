// The records seam: customers, visits with their codes and the numbers they
// get, behind one interface. Two stores implement it: the dBase tables in
// the data folder (the default, one writer per folder) and a PostgreSQL
// server that several workstations share. Pages and workflows use only this
// interface.
#pragma once

#include "store/dataset.h"
#include "store/tablestore.h"
#include "store/visits.h"

#include <QObject>
#include <optional>
#include <vector>

namespace obd {

class Records : public QObject {
    Q_OBJECT
public:
    // Opens the store: the tables, or the connection to the server with its
    // schema created or upgraded and the customer list read. Throws with a
    // message for the user; a store that failed to open may be opened again
    // (each later use of a server store tries to connect again).
    virtual void Open() = 0;

    // Why nothing can be saved, for the user; "" when the store writes.
    virtual QString ReadOnlyNotice() const = 0;

    // The customer list as the customer page browses and edits it, with the
    // dataset's Insert/Edit/Post/Cancel/Delete. A new customer gets its
    // number when it is posted. Post and Delete are stored at once; a failure
    // leaves the record pending (Post) or in place (Delete).
    virtual Dataset& Customers() = 0;
    // Reads the customer list again where other workstations change it; the
    // current customer stays current. Does nothing while a customer is
    // being edited.
    virtual void RefreshCustomers() = 0;

    // Whether the visits can be listed (tables of an earlier release that
    // this copy only reads hold none).
    virtual bool VisitsReadable() const = 0;
    // Stores the visit with its codes as one whole and gives it its number
    // (also set in visit.number); a refused or failed save stores nothing.
    // The time is set when missing and cut to whole seconds.
    virtual qint32 SaveVisit(VisitRecord& visit) = 0;
    // Whole visits matching the filter, newest first.
    virtual std::vector<VisitSummary> ListVisits(const VisitFilter& filter = {}) const = 0;
    virtual std::optional<VisitRecord> LoadVisit(qint32 number) const = 0;
    // The name of the customer with this number; "" when there is none.
    virtual QString CustomerName(qint32 customer) const = 0;
    // The customer's address, lines separated by "\n"; "" when there is none.
    virtual QString CustomerAddress(qint32 customer) const = 0;
    // The customer's vehicles by VIN, the one with the latest visit first.
    virtual std::vector<VehicleSummary> VehiclesOfCustomer(qint32 customer) const = 0;
    // Every code of the customer's vehicle (vin "" for the unknown one), by
    // visit, newest visit first, codes in their saved order.
    virtual std::vector<CodeHistoryEntry> CodeHistoryOfVehicle(qint32 customer,
                                                               const QString& vin) const = 0;

Q_SIGNALS:
    // A visit was saved through this store.
    void VisitsChanged();
};

// The dBase tables in one data folder.
class TableRecords : public Records {
    Q_OBJECT
public:
    explicit TableRecords(QString dataFolder);

    void Open() override;
    QString ReadOnlyNotice() const override { return m_tables.ReadOnlyNotice(); }
    Dataset& Customers() override { return m_tables.tCustomer; }
    void RefreshCustomers() override {}
    bool VisitsReadable() const override;
    qint32 SaveVisit(VisitRecord& visit) override { return VisitStore(m_tables).SaveVisit(visit); }
    std::vector<VisitSummary> ListVisits(const VisitFilter& filter = {}) const override;
    std::optional<VisitRecord> LoadVisit(qint32 number) const override;
    QString CustomerName(qint32 customer) const override;
    QString CustomerAddress(qint32 customer) const override;
    std::vector<VehicleSummary> VehiclesOfCustomer(qint32 customer) const override;
    std::vector<CodeHistoryEntry> CodeHistoryOfVehicle(qint32 customer,
                                                       const QString& vin) const override;

    TableStore& Tables() { return m_tables; }

private:
    VisitStore visits() const { return VisitStore(m_tables); }

    QString m_dataFolder;
    mutable TableStore m_tables;
};

} // namespace obd
