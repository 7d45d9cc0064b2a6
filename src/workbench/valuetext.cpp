#include "workbench/valuetext.h"

#include "common/regional.h"

namespace obd {

QString ShownNumberText(double value, const QString& unit, int decimals, UnitSystem system) {
    const ShownValue shown = InUnitSystem(value, unit, decimals, system);
    const QString number = DisplayText(shown.value, shown.decimals, DecimalSeparator());
    return shown.unit.isEmpty() ? number : number + QLatin1Char(' ') + shown.unit;
}

QString ShownValueText(const PidValue& value, UnitSystem system) {
    if (!value.number)
        return value.text;
    return ShownNumberText(*value.number, value.unit, value.decimals, system);
}

} // namespace obd
