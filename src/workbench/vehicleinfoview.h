// The vehicle information shown on the page "Vehicle": on "Read", the VIN,
// the calibration IDs and verification numbers and the ECU name of each unit
// as far as the vehicle announces them, the protocol family and the units
// that answered, and the battery voltage; "N/A" for what the vehicle does
// not give.
#pragma once

#include "session/vehicledata.h"

#include <QWidget>
#include <optional>

class QTableWidget;

namespace obd {

struct WorkbenchContext;

class VehicleInfoView : public QWidget {
    Q_OBJECT
public:
    explicit VehicleInfoView(WorkbenchContext& ctx, QWidget* parent = nullptr);

    void btnVehicleReadClick();
    void ShowVehicleInformation(const VehicleInformation& info, ProtocolFamily family,
                                std::optional<double> batteryVolts);

private:
    WorkbenchContext& m_ctx;
    QTableWidget* VehicleInfoGrid = nullptr;
};

} // namespace obd
