#include "store/records.h"

namespace obd {

TableRecords::TableRecords(QString dataFolder) : m_dataFolder(std::move(dataFolder)) {
    connect(&m_tables.tDTCHead, &Dataset::DataChange, this, &Records::VisitsChanged);
}

void TableRecords::Open() {
    m_tables.OpenAll(m_dataFolder);
}

bool TableRecords::VisitsReadable() const {
    return m_tables.tDTCHead.Active() &&
           m_tables.tDTCHead.FieldIndex(QStringLiteral("COMPLETE")) >= 0;
}

std::vector<VisitSummary> TableRecords::ListVisits(const VisitFilter& filter) const {
    return visits().ListVisits(filter);
}

std::optional<VisitRecord> TableRecords::LoadVisit(qint32 number) const {
    return visits().LoadVisit(number);
}

QString TableRecords::CustomerName(qint32 customer) const {
    return visits().CustomerName(customer);
}

QString TableRecords::CustomerAddress(qint32 customer) const {
    return visits().CustomerAddress(customer);
}

std::vector<VehicleSummary> TableRecords::VehiclesOfCustomer(qint32 customer) const {
    return visits().VehiclesOfCustomer(customer);
}

std::vector<CodeHistoryEntry> TableRecords::CodeHistoryOfVehicle(qint32 customer,
                                                                 const QString& vin) const {
    return visits().CodeHistoryOfVehicle(customer, vin);
}

} // namespace obd
