// The "Maßsystem" setting and the conversion of metric values into US units
// for showing. Values are kept and stored metric; only what is shown changes.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace obd {

enum class UnitSystem : std::uint8_t { Metric, Us };

// The setting's texts: "Metrisch" (the default) and "US".
QString UnitSystemText(UnitSystem system);
// The system of a stored setting text; none for any other text.
std::optional<UnitSystem> UnitSystemFromText(const QString& text);

// A metric unit and its US counterpart: us = metric * factor + offset.
struct UnitConversion {
    const char* metric; // UTF-8
    const char* us;     // UTF-8
    double factor;
    double offset;
    std::uint8_t extraDecimals; // the US unit is coarser: show more digits
};

inline constexpr std::array<UnitConversion, 11> UsConversions{{
    {"°C", "°F", 1.8, 32, 0},
    {"kph", "mph", 1 / 1.609344, 0, 0},
    {"km", "miles", 1 / 1.609344, 0, 0},
    {"KPa", "psi", 1 / 6.894757, 0, 1},
    {"kPa", "psi", 1 / 6.894757, 0, 1},
    {"Pa", "inH2O", 1 / 249.0889, 0, 1},
    {"gm/sec", "lb/min", 60 / 453.59237, 0, 1},
    {"g/s", "lb/min", 60 / 453.59237, 0, 1},
    {"kg/h", "lb/min", 1000 / 60.0 / 453.59237, 0, 1},
    {"L/h", "gal/h", 1 / 3.785411784, 0, 1},
    {"Nm", "lb ft", 1 / 1.3558179483, 0, 0},
}};

// Units that read the same in both systems.
inline constexpr std::array<const char*, 14> UnitsWithoutUsForm{
    "", "%", "°", "V", "mA", "A", "s", "min", "h", "U/min", "lambda", "ppm", "mg/stroke", "mg/m³",
};

// A value as shown in a unit system.
struct ShownValue {
    double value;
    QString unit;
    int decimals;
};

// The value of a metric unit in the chosen system; units without a US form
// and the metric system leave value, unit and decimals as they are.
ShownValue InUnitSystem(double metricValue, const QString& metricUnit, int decimals,
                        UnitSystem system);
// The conversion of a metric unit, nullptr when it has none.
const UnitConversion* UsConversionOf(const QString& metricUnit);

} // namespace obd
