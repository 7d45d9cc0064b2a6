// Workshop visits: one diagnosis of a customer's vehicle, saved as a header
// in dtchead.dbf and one record per trouble code in dtcmain.dbf (followed by
// the rest of a freeze frame too long for the header), linked by a
// visit number from the VISITNR counter in options.dbf. A visit is whole once
// its header is in the file (it is written last and marked complete); codes
// without a complete header are the remains of a save that never finished
// and are not read.
#pragma once

#include "common/obdtypes.h"
#include "store/tablestore.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace obd {

enum class CodeKind { Stored, Pending, Permanent };

// Characters a code's description keeps (the width of DESCRIPT).
constexpr int kVisitDescriptionLength = 200;
// Characters a visit's remark keeps (the width of REMARK).
constexpr int kVisitRemarkLength = 120;

struct VisitCode {
    QString code;
    CodeKind kind = CodeKind::Stored;
    QString description;
    QString unit; // the control unit that reported it; "" when not known
    bool operator==(const VisitCode&) const = default;
};

enum class Readiness { Unknown, Unsupported, Incomplete, Complete };

// The monitors whose readiness a visit keeps, in the order of the visit's
// readiness array.
struct MonitorDef {
    const char* field; // field in dtchead.dbf
    const char* name;  // as shown on the pages
};
constexpr std::array<MonitorDef, 7> kMonitors{{
    {"RDY_MISF", "Misfire"},
    {"RDY_FUEL", "Fuel system"},
    {"RDY_COMP", "Components"},
    {"RDY_CAT", "Catalyst"},
    {"RDY_EVAP", "Evaporative system"},
    {"RDY_O2S", "Oxygen sensor"},
    {"RDY_O2SH", "Oxygen sensor heater"},
}};
using MonitorReadiness = std::array<Readiness, kMonitors.size()>;

// The readiness of each monitor as the monitor status reports it.
MonitorReadiness ReadinessOf(const TMonitorStatus& status);

// Everything a visit keeps. Parts the car or the session did not provide stay
// empty (texts ""), unset (optionals) or Unknown (readiness).
struct VisitRecord {
    qint32 number = -1; // handed out by SaveVisit
    qint32 customer = -1;
    QDateTime when;
    QString vehicle; // free text, e.g. make and model
    QString vin;
    QString protocol;
    std::optional<bool> milOn;
    MonitorReadiness readiness{};
    std::optional<qint32> odometerKm;
    std::optional<qint32> distanceSinceClearKm;
    QString freezeFrame; // lines "name: value"
    QString remark;
    std::vector<VisitCode> codes;
    bool operator==(const VisitRecord&) const = default;
};

// The monitor status a visit's MIL, readiness and stored codes stand for
// (a monitor of unknown readiness counts as not supported).
TMonitorStatus MonitorStatusOf(const VisitRecord& visit);

struct VisitSummary {
    qint32 number = -1;
    qint32 customer = -1;
    QString customerName;
    QString vin;
    QDateTime when;
    int codeCount = 0;
};

struct VisitFilter {
    std::optional<qint32> customer;
    QString vin; // part of the VIN, case-insensitive; "" matches every visit
};

struct VehicleSummary {
    QString vin; // "" for visits without a VIN
    QDateTime lastVisit;
    int visits = 0;
};

struct CodeHistoryEntry {
    qint32 visit = -1;
    QDateTime when;
    VisitCode code;
};

// Gives a visit without a time the present one, cuts the time to whole
// seconds (what every store keeps) and checks each text and number against
// the fields the local tables give it, so both stores refuse the same visit
// with the same message (TableError) before anything is written.
void PrepareVisitForSaving(VisitRecord& visit);

class VisitStore {
public:
    explicit VisitStore(TableStore& tables) : m_tables(tables) {}

    // Stores the visit and gives it its number (also set in visit.number).
    // Every text is checked before anything is written, so a refused visit
    // leaves the tables as they were; a read-only store refuses with its
    // message. The codes go to dtcmain.dbf first, the header last.
    qint32 SaveVisit(VisitRecord& visit);

    // Whole visits matching the filter, newest first.
    std::vector<VisitSummary> ListVisits(const VisitFilter& filter = {}) const;
    std::optional<VisitRecord> LoadVisit(qint32 number) const;
    // Every whole visit with its codes, in the order they were saved.
    std::vector<VisitRecord> LoadAllVisits() const;
    // The name of the customer with this number; "" when there is none.
    QString CustomerName(qint32 customer) const;
    // The customer's address, lines separated by "\n"; "" when there is none.
    QString CustomerAddress(qint32 customer) const;
    // The customer's vehicles by VIN, the one with the latest visit first.
    std::vector<VehicleSummary> VehiclesOfCustomer(qint32 customer) const;
    // Every code of the customer's vehicle (vin "" for the unknown one), by
    // visit, newest visit first, codes in their saved order.
    std::vector<CodeHistoryEntry> CodeHistoryOfVehicle(qint32 customer, const QString& vin) const;

private:
    TableStore& m_tables;
};

} // namespace obd
