// A decoded value as a page shows it: its text, or its number with its unit
// in the chosen unit system and the regional decimal separator.
#pragma once

#include "common/units.h"
#include "services/pidvalues.h"

#include <QString>

namespace obd {

// "1726 U/min", "61.0 °F", "closed loop".
QString ShownValueText(const PidValue& value, UnitSystem system);
// A number of a metric unit: "0.120 s", "14.5 psi".
QString ShownNumberText(double value, const QString& unit, int decimals, UnitSystem system);

} // namespace obd
