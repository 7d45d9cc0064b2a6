// The table of standard service 01 PIDs, in PID order, and its text tables.
#pragma once

#include "services/pidvalues.h"

#include <string_view>

namespace obd {

namespace pidrows {

// The sensor table's name and unit of PIDs 01 to 20, so both tables agree.
constexpr const char* Name(int pid) {
    return PidTable[size_t(pid - 1)].name;
}
constexpr const char* Unit(int pid) {
    return PidTable[size_t(pid - 1)].unit;
}

constexpr PidField Linear(const char* name, const char* unit, int offset, int width, double mul,
                          double div, double add, int decimals) {
    PidField f;
    f.kind = ValueKind::Number;
    f.name = name;
    f.unit = unit;
    f.offset = std::uint8_t(offset);
    f.width = std::uint8_t(width);
    f.mul = mul;
    f.div = div;
    f.add = add;
    f.decimals = std::uint8_t(decimals);
    return f;
}
constexpr PidField Signed(PidField f) {
    f.isSigned = true;
    return f;
}
constexpr PidField Masked(PidField f, std::uint32_t mask) {
    f.mask = mask;
    return f;
}
constexpr PidField UnusedAt(PidField f, std::int64_t raw) {
    f.unusedRaw = raw;
    return f;
}
// A x 100 / 255
constexpr PidField Percent(const char* name = nullptr, int offset = 0, int width = 1) {
    return Linear(name, "%", offset, width, 100, 255, 0, 1);
}
// A - 40
constexpr PidField Celsius(const char* name = nullptr, int offset = 0, const char* unit = "°C") {
    return Linear(name, unit, offset, 1, 1, 1, -40, 0);
}
// (A - 128) x 100 / 128
constexpr PidField Trim(const char* name = nullptr, int offset = 0, const char* unit = "%") {
    return Linear(name, unit, offset, 1, 100, 128, -100, 1);
}
// A - 125
constexpr PidField Torque(const char* name = nullptr, int offset = 0) {
    return Linear(name, "%", offset, 1, 1, 1, -125, 0);
}
// (A x 256 + B) x 2 / 65536
constexpr PidField Lambda(const char* name, int offset = 0) {
    return Linear(name, "lambda", offset, 2, 2, 65536, 0, 3);
}
// (A x 256 + B) / 10 - 40
constexpr PidField Celsius16(const char* name, int offset) {
    return Linear(name, "°C", offset, 2, 1, 10, -40, 0);
}
constexpr PidField Bits(const char* name, std::span<const BitText> texts, int offset = 0) {
    PidField f;
    f.kind = ValueKind::BitList;
    f.name = name;
    f.offset = std::uint8_t(offset);
    f.bitTexts = texts;
    return f;
}
constexpr PidField Enumerated(const char* name, std::span<const ValueText> texts) {
    PidField f;
    f.kind = ValueKind::ValueText;
    f.name = name;
    f.valueTexts = texts;
    return f;
}
constexpr PidField OnOff(const char* name, std::uint32_t mask) {
    PidField f;
    f.kind = ValueKind::OnOff;
    f.name = name;
    f.mask = mask;
    return f;
}
constexpr PidField Code(const char* name) {
    PidField f;
    f.kind = ValueKind::Code;
    f.name = name;
    f.width = 2;
    return f;
}

} // namespace pidrows

// Secondary air: the sensor table's texts for bits 0 to 2, and bit 3.
inline constexpr std::array<BitText, 4> SecondaryAirStates{{
    {0, "air upstream cat"},
    {1, "air downstream cat"},
    {2, "air off"},
    {3, "air pump on for diagnosis"},
}};

// Oxygen sensors present with four banks of two sensors (PID 1D).
inline constexpr std::array<BitText, 8> OxygenSensorTexts4Banks{{
    {0, "O2 location 1-1"},
    {1, "O2 location 1-2"},
    {2, "O2 location 2-1"},
    {3, "O2 location 2-2"},
    {4, "O2 location 3-1"},
    {5, "O2 location 3-2"},
    {6, "O2 location 4-1"},
    {7, "O2 location 4-2"},
}};

// Every defined OBD requirement the vehicle was built to (PID 1C).
inline constexpr std::array<ValueText, 30> ObdStandardTexts{{
    {1, "OBD II CARB"},
    {2, "OBD Federal EPA"},
    {3, "OBD II and OBD"},
    {4, "OBD I"},
    {5, "not OBD compliant"},
    {6, "EOBD"},
    {7, "EOBD and OBD II"},
    {8, "EOBD and OBD"},
    {9, "EOBD, OBD and OBD II"},
    {10, "JOBD"},
    {11, "JOBD and OBD II"},
    {12, "JOBD and EOBD"},
    {13, "JOBD, EOBD and OBD II"},
    {17, "Engine Manufacturer Diagnostics (EMD)"},
    {18, "Engine Manufacturer Diagnostics Enhanced (EMD+)"},
    {19, "Heavy Duty OBD (Child/Partial)"},
    {20, "Heavy Duty OBD"},
    {21, "World Wide Harmonized OBD"},
    {23, "Heavy Duty Euro OBD Stage I without NOx control"},
    {24, "Heavy Duty Euro OBD Stage I with NOx control"},
    {25, "Heavy Duty Euro OBD Stage II without NOx control"},
    {26, "Heavy Duty Euro OBD Stage II with NOx control"},
    {28, "Brazil OBD Phase 1"},
    {29, "Brazil OBD Phase 2"},
    {30, "Korean OBD"},
    {31, "India OBD I"},
    {32, "India OBD II"},
    {33, "Heavy Duty Euro OBD Stage VI"},
    {34, "Heavy Duty Euro OBD Stage VI (light)"},
    {35, "China OBD"},
}};

// Fuel the vehicle runs on (PID 51).
inline constexpr std::array<ValueText, 24> FuelTypeTexts{{
    {0, "not available"},
    {1, "gasoline"},
    {2, "methanol"},
    {3, "ethanol"},
    {4, "diesel"},
    {5, "LPG"},
    {6, "CNG"},
    {7, "propane"},
    {8, "electric"},
    {9, "bi-fuel, running on gasoline"},
    {10, "bi-fuel, running on methanol"},
    {11, "bi-fuel, running on ethanol"},
    {12, "bi-fuel, running on LPG"},
    {13, "bi-fuel, running on CNG"},
    {14, "bi-fuel, running on propane"},
    {15, "bi-fuel, running on electricity"},
    {16, "bi-fuel, running on electricity and combustion"},
    {17, "hybrid, gasoline"},
    {18, "hybrid, ethanol"},
    {19, "hybrid, diesel"},
    {20, "hybrid, electric"},
    {21, "hybrid, running on electricity and combustion"},
    {22, "hybrid, regenerative"},
    {23, "bi-fuel, running on diesel"},
}};

// One row per PID: number, name, data bytes, values. Linear values read
// Linear(name, unit, first byte, byte count, mul, div, add, decimals); a value
// without a name carries the PID's name.
// clang-format off
inline constexpr auto PidSpecs = [] {
    using namespace pidrows;
    return std::to_array<PidSpec>({
    {0x01, Name(0x01), 4, {OnOff(nullptr, 0x80), Masked(Linear("Stored trouble codes", "", 0, 1, 1, 1, 0, 0), 0x7F)}},
    {0x02, Name(0x02), 2, {Code(nullptr)}},
    {0x03, Name(0x03), 2, {Bits("Fuel system 1 status", FuelSystemTexts, 0), Bits("Fuel system 2 status", FuelSystemTexts, 1)}},
    {0x04, Name(0x04), 1, {Percent()}},
    {0x05, Name(0x05), 1, {Celsius(nullptr, 0, Unit(0x05))}},
    {0x06, Name(0x06), 1, {Trim(nullptr, 0, Unit(0x06))}},
    {0x07, Name(0x07), 1, {Trim(nullptr, 0, Unit(0x07))}},
    {0x08, Name(0x08), 1, {Trim(nullptr, 0, Unit(0x08))}},
    {0x09, Name(0x09), 1, {Trim(nullptr, 0, Unit(0x09))}},
    {0x0A, Name(0x0A), 1, {Linear(nullptr, Unit(0x0A), 0, 1, 3, 1, 0, 0)}},
    {0x0B, Name(0x0B), 1, {Linear(nullptr, Unit(0x0B), 0, 1, 1, 1, 0, 0)}},
    {0x0C, Name(0x0C), 2, {Linear(nullptr, Unit(0x0C), 0, 2, 1, 4, 0, 0)}},
    {0x0D, Name(0x0D), 1, {Linear(nullptr, Unit(0x0D), 0, 1, 1, 1, 0, 0)}},
    {0x0E, Name(0x0E), 1, {Linear(nullptr, Unit(0x0E), 0, 1, 1, 2, -64, 1)}},
    {0x0F, Name(0x0F), 1, {Celsius(nullptr, 0, Unit(0x0F))}},
    {0x10, Name(0x10), 2, {Linear(nullptr, Unit(0x10), 0, 2, 0.01, 1, 0, 2)}},
    {0x11, Name(0x11), 1, {Percent()}},
    {0x12, Name(0x12), 1, {Bits(nullptr, SecondaryAirStates)}},
    {0x13, Name(0x13), 1, {Bits(nullptr, OxygenSensorTexts)}},
    {0x14, Name(0x14), 2, {Linear(nullptr, "V", 0, 1, 1, 200, 0, 3), UnusedAt(Trim("Short term fuel trim Bank 1 Sensor 1", 1), 0xFF)}},
    {0x15, Name(0x15), 2, {Linear(nullptr, "V", 0, 1, 1, 200, 0, 3), UnusedAt(Trim("Short term fuel trim Bank 1 Sensor 2", 1), 0xFF)}},
    {0x16, Name(0x16), 2, {Linear(nullptr, "V", 0, 1, 1, 200, 0, 3), UnusedAt(Trim("Short term fuel trim Bank 1 Sensor 3", 1), 0xFF)}},
    {0x17, Name(0x17), 2, {Linear(nullptr, "V", 0, 1, 1, 200, 0, 3), UnusedAt(Trim("Short term fuel trim Bank 1 Sensor 4", 1), 0xFF)}},
    {0x18, Name(0x18), 2, {Linear(nullptr, "V", 0, 1, 1, 200, 0, 3), UnusedAt(Trim("Short term fuel trim Bank 2 Sensor 1", 1), 0xFF)}},
    {0x19, Name(0x19), 2, {Linear(nullptr, "V", 0, 1, 1, 200, 0, 3), UnusedAt(Trim("Short term fuel trim Bank 2 Sensor 2", 1), 0xFF)}},
    {0x1A, Name(0x1A), 2, {Linear(nullptr, "V", 0, 1, 1, 200, 0, 3), UnusedAt(Trim("Short term fuel trim Bank 2 Sensor 3", 1), 0xFF)}},
    {0x1B, Name(0x1B), 2, {Linear(nullptr, "V", 0, 1, 1, 200, 0, 3), UnusedAt(Trim("Short term fuel trim Bank 2 Sensor 4", 1), 0xFF)}},
    {0x1C, Name(0x1C), 1, {Enumerated(nullptr, ObdStandardTexts)}},
    {0x1D, Name(0x1D), 1, {Bits(nullptr, OxygenSensorTexts4Banks)}},
    {0x1E, Name(0x1E), 1, {OnOff(nullptr, 0x01)}},
    {0x1F, "Run time since engine start", 2, {Linear(nullptr, "s", 0, 2, 1, 1, 0, 0)}},
    {0x21, "Distance travelled with MIL on", 2, {Linear(nullptr, "km", 0, 2, 1, 1, 0, 0)}},
    {0x22, "Fuel rail pressure (to manifold vacuum)", 2, {Linear(nullptr, "kPa", 0, 2, 0.079, 1, 0, 1)}},
    {0x23, "Fuel rail gauge pressure", 2, {Linear(nullptr, "kPa", 0, 2, 10, 1, 0, 0)}},
    {0x24, "O2 Sensor 1 equivalence ratio", 4, {Lambda(nullptr), Linear("O2 Sensor 1 voltage", "V", 2, 2, 8, 65536, 0, 3)}},
    {0x25, "O2 Sensor 2 equivalence ratio", 4, {Lambda(nullptr), Linear("O2 Sensor 2 voltage", "V", 2, 2, 8, 65536, 0, 3)}},
    {0x26, "O2 Sensor 3 equivalence ratio", 4, {Lambda(nullptr), Linear("O2 Sensor 3 voltage", "V", 2, 2, 8, 65536, 0, 3)}},
    {0x27, "O2 Sensor 4 equivalence ratio", 4, {Lambda(nullptr), Linear("O2 Sensor 4 voltage", "V", 2, 2, 8, 65536, 0, 3)}},
    {0x28, "O2 Sensor 5 equivalence ratio", 4, {Lambda(nullptr), Linear("O2 Sensor 5 voltage", "V", 2, 2, 8, 65536, 0, 3)}},
    {0x29, "O2 Sensor 6 equivalence ratio", 4, {Lambda(nullptr), Linear("O2 Sensor 6 voltage", "V", 2, 2, 8, 65536, 0, 3)}},
    {0x2A, "O2 Sensor 7 equivalence ratio", 4, {Lambda(nullptr), Linear("O2 Sensor 7 voltage", "V", 2, 2, 8, 65536, 0, 3)}},
    {0x2B, "O2 Sensor 8 equivalence ratio", 4, {Lambda(nullptr), Linear("O2 Sensor 8 voltage", "V", 2, 2, 8, 65536, 0, 3)}},
    {0x2C, "Commanded EGR", 1, {Percent()}},
    {0x2D, "EGR error", 1, {Trim()}},
    {0x2E, "Commanded evaporative purge", 1, {Percent()}},
    {0x2F, "Fuel tank level", 1, {Percent()}},
    {0x30, "Warm-ups since codes cleared", 1, {Linear(nullptr, "", 0, 1, 1, 1, 0, 0)}},
    {0x31, "Distance travelled since codes cleared", 2, {Linear(nullptr, "km", 0, 2, 1, 1, 0, 0)}},
    {0x32, "Evap. system vapour pressure", 2, {Signed(Linear(nullptr, "Pa", 0, 2, 1, 4, 0, 2))}},
    {0x33, "Barometric pressure", 1, {Linear(nullptr, "kPa", 0, 1, 1, 1, 0, 0)}},
    {0x34, "O2 Sensor 1 equivalence ratio (current)", 4, {Lambda(nullptr), Linear("O2 Sensor 1 current", "mA", 2, 2, 1, 256, -128, 2)}},
    {0x35, "O2 Sensor 2 equivalence ratio (current)", 4, {Lambda(nullptr), Linear("O2 Sensor 2 current", "mA", 2, 2, 1, 256, -128, 2)}},
    {0x36, "O2 Sensor 3 equivalence ratio (current)", 4, {Lambda(nullptr), Linear("O2 Sensor 3 current", "mA", 2, 2, 1, 256, -128, 2)}},
    {0x37, "O2 Sensor 4 equivalence ratio (current)", 4, {Lambda(nullptr), Linear("O2 Sensor 4 current", "mA", 2, 2, 1, 256, -128, 2)}},
    {0x38, "O2 Sensor 5 equivalence ratio (current)", 4, {Lambda(nullptr), Linear("O2 Sensor 5 current", "mA", 2, 2, 1, 256, -128, 2)}},
    {0x39, "O2 Sensor 6 equivalence ratio (current)", 4, {Lambda(nullptr), Linear("O2 Sensor 6 current", "mA", 2, 2, 1, 256, -128, 2)}},
    {0x3A, "O2 Sensor 7 equivalence ratio (current)", 4, {Lambda(nullptr), Linear("O2 Sensor 7 current", "mA", 2, 2, 1, 256, -128, 2)}},
    {0x3B, "O2 Sensor 8 equivalence ratio (current)", 4, {Lambda(nullptr), Linear("O2 Sensor 8 current", "mA", 2, 2, 1, 256, -128, 2)}},
    {0x3C, "Catalyst temperature Bank 1 Sensor 1", 2, {Celsius16(nullptr, 0)}},
    {0x3D, "Catalyst temperature Bank 2 Sensor 1", 2, {Celsius16(nullptr, 0)}},
    {0x3E, "Catalyst temperature Bank 1 Sensor 2", 2, {Celsius16(nullptr, 0)}},
    {0x3F, "Catalyst temperature Bank 2 Sensor 2", 2, {Celsius16(nullptr, 0)}},
    {0x42, "Control module voltage", 2, {Linear(nullptr, "V", 0, 2, 1, 1000, 0, 3)}},
    {0x43, "Absolute load value", 2, {Percent(nullptr, 0, 2)}},
    {0x44, "Commanded equivalence ratio", 2, {Lambda(nullptr)}},
    {0x45, "Relative throttle position", 1, {Percent()}},
    {0x46, "Ambient air temperature", 1, {Celsius()}},
    {0x47, "Absolute throttle position B", 1, {Percent()}},
    {0x48, "Absolute throttle position C", 1, {Percent()}},
    {0x49, "Accelerator pedal position D", 1, {Percent()}},
    {0x4A, "Accelerator pedal position E", 1, {Percent()}},
    {0x4B, "Accelerator pedal position F", 1, {Percent()}},
    {0x4C, "Commanded throttle actuator", 1, {Percent()}},
    {0x4D, "Time run with MIL on", 2, {Linear(nullptr, "min", 0, 2, 1, 1, 0, 0)}},
    {0x4E, "Time since trouble codes cleared", 2, {Linear(nullptr, "min", 0, 2, 1, 1, 0, 0)}},
    {0x4F, "Maximum equivalence ratio", 4, {Linear(nullptr, "lambda", 0, 1, 1, 1, 0, 0), Linear("Maximum O2 sensor voltage", "V", 1, 1, 1, 1, 0, 0), Linear("Maximum O2 sensor current", "mA", 2, 1, 1, 1, 0, 0), Linear("Maximum intake manifold pressure", "kPa", 3, 1, 10, 1, 0, 0)}},
    {0x50, "Maximum air flow rate", 4, {Linear(nullptr, "g/s", 0, 1, 10, 1, 0, 0)}},
    {0x51, "Fuel type", 1, {Enumerated(nullptr, FuelTypeTexts)}},
    {0x52, "Ethanol fuel", 1, {Percent()}},
    {0x53, "Absolute evap. system vapour pressure", 2, {Linear(nullptr, "kPa", 0, 2, 1, 200, 0, 3)}},
    {0x54, "Evap. system vapour pressure", 2, {Signed(Linear(nullptr, "Pa", 0, 2, 1, 1, 0, 0))}},
    {0x55, "Short term secondary O2 trim Bank 1", 2, {Trim(), Trim("Short term secondary O2 trim Bank 3", 1)}},
    {0x56, "Long term secondary O2 trim Bank 1", 2, {Trim(), Trim("Long term secondary O2 trim Bank 3", 1)}},
    {0x57, "Short term secondary O2 trim Bank 2", 2, {Trim(), Trim("Short term secondary O2 trim Bank 4", 1)}},
    {0x58, "Long term secondary O2 trim Bank 2", 2, {Trim(), Trim("Long term secondary O2 trim Bank 4", 1)}},
    {0x59, "Fuel rail absolute pressure", 2, {Linear(nullptr, "kPa", 0, 2, 10, 1, 0, 0)}},
    {0x5A, "Relative accelerator pedal position", 1, {Percent()}},
    {0x5B, "Hybrid battery pack remaining life", 1, {Percent()}},
    {0x5C, "Engine oil temperature", 1, {Celsius()}},
    {0x5D, "Fuel injection timing", 2, {Linear(nullptr, "°", 0, 2, 1, 128, -210, 2)}},
    {0x5E, "Engine fuel rate", 2, {Linear(nullptr, "L/h", 0, 2, 1, 20, 0, 2)}},
    {0x61, "Driver's demand engine torque", 1, {Torque()}},
    {0x62, "Actual engine torque", 1, {Torque()}},
    {0x63, "Engine reference torque", 2, {Linear(nullptr, "Nm", 0, 2, 1, 1, 0, 0)}},
    {0x64, "Engine torque at idle", 5, {Torque(), Torque("Engine torque at point 1", 1), Torque("Engine torque at point 2", 2), Torque("Engine torque at point 3", 3), Torque("Engine torque at point 4", 4)}},
    {0x66, "Mass air flow sensor A", 5, {Linear(nullptr, "g/s", 1, 2, 1, 32, 0, 2), Linear("Mass air flow sensor B", "g/s", 3, 2, 1, 32, 0, 2)}},
    {0x67, "Engine coolant temperature sensor 1", 3, {Celsius(nullptr, 1), Celsius("Engine coolant temperature sensor 2", 2)}},
    {0x68, "Intake air temperature sensor 1", 3, {Celsius(nullptr, 1), Celsius("Intake air temperature sensor 2", 2)}},
    {0x6F, "Turbocharger compressor inlet pressure A", 3, {Linear(nullptr, "kPa", 1, 1, 1, 1, 0, 0), Linear("Turbocharger compressor inlet pressure B", "kPa", 2, 1, 1, 1, 0, 0)}},
    {0x73, "Exhaust pressure Bank 1", 5, {Linear(nullptr, "kPa", 1, 2, 1, 100, 0, 2), Linear("Exhaust pressure Bank 2", "kPa", 3, 2, 1, 100, 0, 2)}},
    {0x74, "Turbocharger A speed", 5, {Linear(nullptr, "U/min", 1, 2, 10, 1, 0, 0), Linear("Turbocharger B speed", "U/min", 3, 2, 10, 1, 0, 0)}},
    {0x78, "Exhaust gas temperature Bank 1 Sensor 1", 9, {Celsius16(nullptr, 1), Celsius16("Exhaust gas temperature Bank 1 Sensor 2", 3), Celsius16("Exhaust gas temperature Bank 1 Sensor 3", 5), Celsius16("Exhaust gas temperature Bank 1 Sensor 4", 7)}},
    {0x79, "Exhaust gas temperature Bank 2 Sensor 1", 9, {Celsius16(nullptr, 1), Celsius16("Exhaust gas temperature Bank 2 Sensor 2", 3), Celsius16("Exhaust gas temperature Bank 2 Sensor 3", 5), Celsius16("Exhaust gas temperature Bank 2 Sensor 4", 7)}},
    {0x7A, "Diesel particulate filter Bank 1 differential pressure", 7, {Signed(Linear(nullptr, "kPa", 1, 2, 1, 100, 0, 2)), Linear("Diesel particulate filter Bank 1 inlet pressure", "kPa", 3, 2, 1, 100, 0, 2), Linear("Diesel particulate filter Bank 1 outlet pressure", "kPa", 5, 2, 1, 100, 0, 2)}},
    {0x7B, "Diesel particulate filter Bank 2 differential pressure", 7, {Signed(Linear(nullptr, "kPa", 1, 2, 1, 100, 0, 2)), Linear("Diesel particulate filter Bank 2 inlet pressure", "kPa", 3, 2, 1, 100, 0, 2), Linear("Diesel particulate filter Bank 2 outlet pressure", "kPa", 5, 2, 1, 100, 0, 2)}},
    {0x7F, "Total engine run time", 13, {Linear(nullptr, "s", 1, 4, 1, 1, 0, 0), Linear("Total idle run time", "s", 5, 4, 1, 1, 0, 0), Linear("Total run time with PTO active", "s", 9, 4, 1, 1, 0, 0)}},
    {0x83, "NOx sensor 1 concentration", 5, {Linear(nullptr, "ppm", 1, 2, 1, 1, 0, 0), Linear("NOx sensor 2 concentration", "ppm", 3, 2, 1, 1, 0, 0)}},
    {0x84, "Manifold surface temperature", 1, {Celsius()}},
    {0x87, "Intake manifold absolute pressure A", 5, {Linear(nullptr, "kPa", 1, 2, 1, 32, 0, 1), Linear("Intake manifold absolute pressure B", "kPa", 3, 2, 1, 32, 0, 1)}},
    {0x8D, "Throttle position G", 1, {Percent()}},
    {0x8E, "Engine friction torque", 1, {Torque()}},
    {0x9D, "Engine fuel rate (mass)", 4, {Linear(nullptr, "g/s", 0, 2, 0.02, 1, 0, 2), Linear("Vehicle fuel rate (mass)", "g/s", 2, 2, 0.02, 1, 0, 2)}},
    {0x9E, "Engine exhaust flow rate", 2, {Linear(nullptr, "kg/h", 0, 2, 0.2, 1, 0, 1)}},
    {0xA2, "Cylinder fuel rate", 2, {Linear(nullptr, "mg/stroke", 0, 2, 1, 32, 0, 2)}},
    {0xA5, "Commanded diesel exhaust fluid dosing", 4, {Linear(nullptr, "%", 1, 1, 1, 2, 0, 1)}},
    {0xA6, "Odometer", 4, {Linear(nullptr, "km", 0, 4, 1, 10, 0, 1)}},
    });
}();
// clang-format on

constexpr bool SameText(std::string_view a, std::string_view b) {
    return a == b;
}

// Strictly ascending PIDs, bitmap PIDs left out, every row with a value, and
// every value inside the PID's data bytes.
constexpr bool PidSpecsWellFormed() {
    int previous = 0;
    for (const PidSpec& spec : PidSpecs) {
        if (spec.pid <= previous || spec.pid % 0x20 == 0 || spec.bytes == 0 ||
            spec.fields[0].kind == ValueKind::Unused)
            return false;
        previous = spec.pid;
        bool ended = false;
        for (const PidField& f : spec.fields) {
            if (f.kind == ValueKind::Unused) {
                ended = true;
                continue;
            }
            if (ended || f.offset + f.width > spec.bytes || f.div == 0)
                return false;
        }
    }
    return true;
}
static_assert(PidSpecsWellFormed(), "the PID records must be ordered and fit their data bytes");

// PIDs 01 to 20 carry the sensor table's name where it has one and, where it
// decodes the PID, its unit for their first value.
constexpr bool PidSpecsMatchPidTable() {
    for (const PidSpec& spec : PidSpecs) {
        if (spec.pid > 0x20)
            break;
        const PidInfo& info = PidTable[size_t(spec.pid - 1)];
        if (*info.name != 0 && !SameText(spec.name, info.name))
            return false;
        if (info.decoder != PidDecoder::None && spec.fields[0].kind == ValueKind::Number &&
            !SameText(spec.fields[0].unit, info.unit))
            return false;
    }
    return true;
}
static_assert(PidSpecsMatchPidTable(), "PIDs 01 to 20 keep the sensor table's names and units");

} // namespace obd
