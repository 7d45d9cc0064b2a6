#include "common/units.h"

namespace obd {

QString UnitSystemText(UnitSystem system) {
    return system == UnitSystem::Us ? QStringLiteral("US") : QStringLiteral("Metrisch");
}

std::optional<UnitSystem> UnitSystemFromText(const QString& text) {
    for (UnitSystem system : {UnitSystem::Metric, UnitSystem::Us})
        if (text == UnitSystemText(system))
            return system;
    return std::nullopt;
}

const UnitConversion* UsConversionOf(const QString& metricUnit) {
    for (const UnitConversion& c : UsConversions)
        if (metricUnit == QString::fromUtf8(c.metric))
            return &c;
    return nullptr;
}

ShownValue InUnitSystem(double metricValue, const QString& metricUnit, int decimals,
                        UnitSystem system) {
    const UnitConversion* c = system == UnitSystem::Us ? UsConversionOf(metricUnit) : nullptr;
    if (!c)
        return {metricValue, metricUnit, decimals};
    return {metricValue * c->factor + c->offset, QString::fromUtf8(c->us),
            decimals + c->extraDecimals};
}

} // namespace obd
