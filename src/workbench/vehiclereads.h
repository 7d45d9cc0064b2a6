// What the pages that read the vehicle on a click share: the guard of such a
// read (no connection, a running poller) and the grid they show rows in.
#pragma once

#include "common/units.h"
#include "session/vehicledata.h"

#include <QStringList>
#include <functional>

class QTableWidget;
class QWidget;

namespace obd {

struct WorkbenchContext;

// Runs read off the GUI thread under a busy cursor once a running poller has
// ended; false, with the no-communication box, when the vehicle is not
// connected.
bool ReadFromVehicle(WorkbenchContext& ctx, const std::function<void(const VehicleBus&)>& read);

// A read-only grid with the given column titles, named name.
QTableWidget* MakeValueGrid(QWidget* parent, const QString& name, const QStringList& titles);
// Appends a row of texts.
void AddGridRow(QTableWidget* grid, const QStringList& texts);
// A PID row's values in system, one text joined by ", ", or its error.
QString RowText(const PidRow& row, UnitSystem system);

} // namespace obd
