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
constexpr PidField Enumerated(const char* name, std::span<const ValueText> texts, int offset = 0) {
    PidField f;
    f.kind = ValueKind::ValueText;
    f.name = name;
    f.offset = std::uint8_t(offset);
    f.valueTexts = texts;
    return f;
}
constexpr PidField OnOff(const char* name, std::uint32_t mask, int offset = 0) {
    PidField f;
    f.kind = ValueKind::OnOff;
    f.name = name;
    f.offset = std::uint8_t(offset);
    f.mask = mask;
    return f;
}
// A x 256 + B in kPa, 10 kPa per bit
constexpr PidField KiloPascal10(const char* name, int offset) {
    return Linear(name, "kPa", offset, 2, 10, 1, 0, 0);
}
// A x 256 + B in ppm
constexpr PidField Ppm(const char* name, int offset) {
    return Linear(name, "ppm", offset, 2, 1, 1, 0, 0);
}
// A 32-bit counter of seconds
constexpr PidField Seconds32(const char* name, int offset) {
    return Linear(name, "s", offset, 4, 1, 1, 0, 0);
}
// A x 256 + B as O2 concentration, 0 to 100 %
constexpr PidField O2Percent(const char* name, int offset) {
    return Linear(name, "%", offset, 2, 100, 65535, 0, 2);
}
// A x 256 + B in hours
constexpr PidField Hours(const char* name, int offset) {
    return Linear(name, "h", offset, 2, 1, 1, 0, 0);
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

// The monitors that run all the time (PID 41, byte B): bits 0 to 2 enabled,
// bits 4 to 6 not yet complete this drive cycle.
inline constexpr std::array<BitText, 6> ContinuousMonitorTexts{{
    {0, "misfire"},
    {1, "fuel system"},
    {2, "comprehensive components"},
    {4, "misfire"},
    {5, "fuel system"},
    {6, "comprehensive components"},
}};

// The monitors that run once per drive cycle (PID 41, bytes C and D); where
// spark and compression ignition differ, both readings of the bit.
inline constexpr std::array<BitText, 8> DriveCycleMonitorTexts{{
    {0, "catalyst / NMHC catalyst"},
    {1, "heated catalyst / NOx aftertreatment"},
    {2, "evaporative system"},
    {3, "secondary air system / boost pressure"},
    {4, "A/C refrigerant"},
    {5, "O2 sensor / exhaust gas sensor"},
    {6, "O2 sensor heater / particulate filter"},
    {7, "EGR and/or VVT system"},
}};

// The ignition type bit of PID 41, byte B.
inline constexpr std::array<ValueText, 2> IgnitionTypeTexts{{
    {0x00, "spark ignition"},
    {0x08, "compression ignition"},
}};

// Emission requirements the vehicle was designed to (PID 5F).
inline constexpr std::array<ValueText, 3> EmissionRequirementTexts{{
    {0x0E, "Heavy duty vehicles (EURO IV) B1"},
    {0x0F, "Heavy duty vehicles (EURO V) B2"},
    {0x10, "Heavy duty vehicles (EURO EEV) C"},
}};

// The control state of a boost pressure or turbo geometry loop: system A in
// bits 0 and 1, system B in bits 2 and 3 (PIDs 70 and 71).
inline constexpr std::array<ValueText, 4> LoopStateTextsA{{
    {0x00, "not reported"},
    {0x01, "open loop"},
    {0x02, "closed loop"},
    {0x03, "fault present"},
}};
inline constexpr std::array<ValueText, 4> LoopStateTextsB{{
    {0x00, "not reported"},
    {0x04, "open loop"},
    {0x08, "closed loop"},
    {0x0C, "fault present"},
}};

// Not-to-exceed control area status of NOx and particulate matter (PIDs 7D, 7E).
inline constexpr std::array<BitText, 4> NteAreaTexts{{
    {0, "inside control area"},
    {1, "outside control area"},
    {2, "inside manufacturer-specific carve-out area"},
    {3, "deficiency active"},
}};

// Why the SCR inducement system acts (PID 88, byte A).
inline constexpr std::array<BitText, 5> ScrInducementTexts{{
    {0, "reagent level too low"},
    {1, "incorrect reagent"},
    {2, "deviation of reagent consumption"},
    {3, "NOx emissions too high"},
    {7, "inducement system active"},
}};

// The kind of particulate filter regeneration (PID 8B, byte B bit 1).
inline constexpr std::array<ValueText, 2> RegenerationTypeTexts{{
    {0x00, "passive"},
    {0x02, "active"},
}};

// The malfunction indicator's state on vehicles with world-wide harmonised
// OBD (PIDs 90 and 91, bits 0 and 1).
inline constexpr std::array<ValueText, 4> MiStatusTexts{{
    {0, "off"},
    {1, "on demand"},
    {2, "short MI"},
    {3, "continuous MI"},
}};

// Fuel system controllers in closed loop (PID 92, byte B).
inline constexpr std::array<BitText, 8> FuelControlTexts{{
    {0, "fuel pressure control 1 closed loop"},
    {1, "injection quantity control 1 closed loop"},
    {2, "injection timing control 1 closed loop"},
    {3, "idle fuel balance control 1 closed loop"},
    {4, "fuel pressure control 2 closed loop"},
    {5, "injection quantity control 2 closed loop"},
    {6, "injection timing control 2 closed loop"},
    {7, "idle fuel balance control 2 closed loop"},
}};

// The state of the NOx warning and inducement system (PID 94, byte B).
inline constexpr std::array<BitText, 4> NoxInducementTexts{{
    {0, "NOx warning active"},
    {1, "low-level inducement active"},
    {2, "high-level inducement active"},
    {3, "inducement overridden"},
}};

// How a hybrid or electric vehicle uses its battery (PID 9A, byte B bits 0 and 1).
inline constexpr std::array<ValueText, 4> ChargingStateTexts{{
    {0, "not reported"},
    {1, "charge sustaining"},
    {2, "charge depleting"},
    {3, "charge increasing"},
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
    {0x41, "Monitor status this drive cycle", 4, {Masked(Enumerated("Ignition type", IgnitionTypeTexts, 1), 0x08), Masked(Bits("Continuous monitors enabled", ContinuousMonitorTexts, 1), 0x07), Masked(Bits("Continuous monitors incomplete", ContinuousMonitorTexts, 1), 0x70), Bits("Drive cycle monitors enabled", DriveCycleMonitorTexts, 2), Bits("Drive cycle monitors incomplete", DriveCycleMonitorTexts, 3)}},
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
    {0x5F, "Emission requirements", 1, {Enumerated(nullptr, EmissionRequirementTexts)}},
    {0x61, "Driver's demand engine torque", 1, {Torque()}},
    {0x62, "Actual engine torque", 1, {Torque()}},
    {0x63, "Engine reference torque", 2, {Linear(nullptr, "Nm", 0, 2, 1, 1, 0, 0)}},
    {0x64, "Engine torque at idle", 5, {Torque(), Torque("Engine torque at point 1", 1), Torque("Engine torque at point 2", 2), Torque("Engine torque at point 3", 3), Torque("Engine torque at point 4", 4)}},
    {0x65, "Power take-off", 2, {OnOff(nullptr, 0x01, 1), OnOff("Automatic transmission in gear", 0x02, 1), OnOff("Manual transmission in gear", 0x04, 1), OnOff("Glow plug lamp", 0x08, 1)}},
    {0x66, "Mass air flow sensor A", 5, {Linear(nullptr, "g/s", 1, 2, 1, 32, 0, 2), Linear("Mass air flow sensor B", "g/s", 3, 2, 1, 32, 0, 2)}},
    {0x67, "Engine coolant temperature sensor 1", 3, {Celsius(nullptr, 1), Celsius("Engine coolant temperature sensor 2", 2)}},
    {0x68, "Intake air temperature sensor 1", 3, {Celsius(nullptr, 1), Celsius("Intake air temperature sensor 2", 2)}},
    {0x69, "Commanded EGR A duty cycle", 7, {Percent(nullptr, 1), Percent("Actual EGR A duty cycle", 2), Trim("EGR A error", 3), Percent("Commanded EGR B duty cycle", 4), Percent("Actual EGR B duty cycle", 5), Trim("EGR B error", 6)}},
    {0x6A, "Commanded intake air flow A control", 5, {Percent(nullptr, 1), Percent("Relative intake air flow A position", 2), Percent("Commanded intake air flow B control", 3), Percent("Relative intake air flow B position", 4)}},
    {0x6B, "EGR temperature Bank 1 Sensor 1", 5, {Celsius(nullptr, 1), Celsius("EGR temperature Bank 1 Sensor 2", 2), Celsius("EGR temperature Bank 2 Sensor 1", 3), Celsius("EGR temperature Bank 2 Sensor 2", 4)}},
    {0x6C, "Commanded throttle actuator A", 5, {Percent(nullptr, 1), Percent("Relative throttle A position", 2), Percent("Commanded throttle actuator B", 3), Percent("Relative throttle B position", 4)}},
    {0x6D, "Commanded fuel rail pressure A", 11, {KiloPascal10(nullptr, 1), KiloPascal10("Fuel rail pressure A", 3), Celsius("Fuel rail temperature A", 5), KiloPascal10("Commanded fuel rail pressure B", 6), KiloPascal10("Fuel rail pressure B", 8), Celsius("Fuel rail temperature B", 10)}},
    {0x6E, "Commanded injection control pressure A", 9, {KiloPascal10(nullptr, 1), KiloPascal10("Injection control pressure A", 3), KiloPascal10("Commanded injection control pressure B", 5), KiloPascal10("Injection control pressure B", 7)}},
    {0x6F, "Turbocharger compressor inlet pressure A", 3, {Linear(nullptr, "kPa", 1, 1, 1, 1, 0, 0), Linear("Turbocharger compressor inlet pressure B", "kPa", 2, 1, 1, 1, 0, 0)}},
    {0x70, "Commanded boost pressure A", 10, {Linear(nullptr, "kPa", 1, 2, 1, 32, 0, 1), Linear("Boost pressure A", "kPa", 3, 2, 1, 32, 0, 1), Linear("Commanded boost pressure B", "kPa", 5, 2, 1, 32, 0, 1), Linear("Boost pressure B", "kPa", 7, 2, 1, 32, 0, 1), Masked(Enumerated("Boost pressure A control", LoopStateTextsA, 9), 0x03), Masked(Enumerated("Boost pressure B control", LoopStateTextsB, 9), 0x0C)}},
    {0x71, "Commanded variable geometry turbo A position", 6, {Percent(nullptr, 1), Percent("Variable geometry turbo A position", 2), Percent("Commanded variable geometry turbo B position", 3), Percent("Variable geometry turbo B position", 4), Masked(Enumerated("Variable geometry turbo A control", LoopStateTextsA, 5), 0x03), Masked(Enumerated("Variable geometry turbo B control", LoopStateTextsB, 5), 0x0C)}},
    {0x72, "Commanded wastegate A position", 5, {Percent(nullptr, 1), Percent("Wastegate A position", 2), Percent("Commanded wastegate B position", 3), Percent("Wastegate B position", 4)}},
    {0x73, "Exhaust pressure Bank 1", 5, {Linear(nullptr, "kPa", 1, 2, 1, 100, 0, 2), Linear("Exhaust pressure Bank 2", "kPa", 3, 2, 1, 100, 0, 2)}},
    {0x74, "Turbocharger A speed", 5, {Linear(nullptr, "U/min", 1, 2, 10, 1, 0, 0), Linear("Turbocharger B speed", "U/min", 3, 2, 10, 1, 0, 0)}},
    {0x75, "Turbocharger A compressor inlet temperature", 7, {Celsius(nullptr, 1), Celsius("Turbocharger A compressor outlet temperature", 2), Celsius16("Turbocharger A turbine inlet temperature", 3), Celsius16("Turbocharger A turbine outlet temperature", 5)}},
    {0x76, "Turbocharger B compressor inlet temperature", 7, {Celsius(nullptr, 1), Celsius("Turbocharger B compressor outlet temperature", 2), Celsius16("Turbocharger B turbine inlet temperature", 3), Celsius16("Turbocharger B turbine outlet temperature", 5)}},
    {0x77, "Charge air cooler temperature Bank 1 Sensor 1", 5, {Celsius(nullptr, 1), Celsius("Charge air cooler temperature Bank 1 Sensor 2", 2), Celsius("Charge air cooler temperature Bank 2 Sensor 1", 3), Celsius("Charge air cooler temperature Bank 2 Sensor 2", 4)}},
    {0x78, "Exhaust gas temperature Bank 1 Sensor 1", 9, {Celsius16(nullptr, 1), Celsius16("Exhaust gas temperature Bank 1 Sensor 2", 3), Celsius16("Exhaust gas temperature Bank 1 Sensor 3", 5), Celsius16("Exhaust gas temperature Bank 1 Sensor 4", 7)}},
    {0x79, "Exhaust gas temperature Bank 2 Sensor 1", 9, {Celsius16(nullptr, 1), Celsius16("Exhaust gas temperature Bank 2 Sensor 2", 3), Celsius16("Exhaust gas temperature Bank 2 Sensor 3", 5), Celsius16("Exhaust gas temperature Bank 2 Sensor 4", 7)}},
    {0x7A, "Diesel particulate filter Bank 1 differential pressure", 7, {Signed(Linear(nullptr, "kPa", 1, 2, 1, 100, 0, 2)), Linear("Diesel particulate filter Bank 1 inlet pressure", "kPa", 3, 2, 1, 100, 0, 2), Linear("Diesel particulate filter Bank 1 outlet pressure", "kPa", 5, 2, 1, 100, 0, 2)}},
    {0x7B, "Diesel particulate filter Bank 2 differential pressure", 7, {Signed(Linear(nullptr, "kPa", 1, 2, 1, 100, 0, 2)), Linear("Diesel particulate filter Bank 2 inlet pressure", "kPa", 3, 2, 1, 100, 0, 2), Linear("Diesel particulate filter Bank 2 outlet pressure", "kPa", 5, 2, 1, 100, 0, 2)}},
    {0x7C, "Diesel particulate filter Bank 1 inlet temperature", 9, {Celsius16(nullptr, 1), Celsius16("Diesel particulate filter Bank 1 outlet temperature", 3), Celsius16("Diesel particulate filter Bank 2 inlet temperature", 5), Celsius16("Diesel particulate filter Bank 2 outlet temperature", 7)}},
    {0x7D, "NOx NTE control area status", 1, {Bits(nullptr, NteAreaTexts)}},
    {0x7E, "PM NTE control area status", 1, {Bits(nullptr, NteAreaTexts)}},
    {0x7F, "Total engine run time", 13, {Linear(nullptr, "s", 1, 4, 1, 1, 0, 0), Linear("Total idle run time", "s", 5, 4, 1, 1, 0, 0), Linear("Total run time with PTO active", "s", 9, 4, 1, 1, 0, 0)}},
    {0x81, "Run time with AECD #1 active", 21, {Seconds32(nullptr, 1), Seconds32("Run time with AECD #2 active", 5), Seconds32("Run time with AECD #3 active", 9), Seconds32("Run time with AECD #4 active", 13), Seconds32("Run time with AECD #5 active", 17)}},
    {0x82, "Run time with AECD #6 active", 21, {Seconds32(nullptr, 1), Seconds32("Run time with AECD #7 active", 5), Seconds32("Run time with AECD #8 active", 9), Seconds32("Run time with AECD #9 active", 13), Seconds32("Run time with AECD #10 active", 17)}},
    {0x83, "NOx sensor 1 concentration", 5, {Linear(nullptr, "ppm", 1, 2, 1, 1, 0, 0), Linear("NOx sensor 2 concentration", "ppm", 3, 2, 1, 1, 0, 0)}},
    {0x84, "Manifold surface temperature", 1, {Celsius()}},
    {0x85, "Average reagent consumption", 10, {Linear(nullptr, "L/h", 1, 2, 1, 200, 0, 3), Linear("Average demanded reagent consumption", "L/h", 3, 2, 1, 200, 0, 3), Percent("Reagent tank level", 5), Seconds32("Run time with NOx warning mode active", 6)}},
    {0x86, "Particulate matter sensor Bank 1", 5, {Linear(nullptr, "mg/m³", 1, 2, 1, 80, 0, 2), Linear("Particulate matter sensor Bank 2", "mg/m³", 3, 2, 1, 80, 0, 2)}},
    {0x87, "Intake manifold absolute pressure A", 5, {Linear(nullptr, "kPa", 1, 2, 1, 32, 0, 1), Linear("Intake manifold absolute pressure B", "kPa", 3, 2, 1, 32, 0, 1)}},
    {0x88, "SCR inducement system", 13, {Bits(nullptr, ScrInducementTexts), Linear("Distance with inducement system active", "km", 1, 2, 1, 1, 0, 0), Linear("Distance with reagent level too low", "km", 3, 2, 1, 1, 0, 0), Linear("Distance with incorrect reagent", "km", 5, 2, 1, 1, 0, 0), Linear("Distance with deviating reagent consumption", "km", 7, 2, 1, 1, 0, 0), Linear("Distance with NOx emissions too high", "km", 9, 2, 1, 1, 0, 0), Linear("Distance in current 10000 km block", "km", 11, 2, 1, 1, 0, 0)}},
    {0x89, "Run time with AECD #11 timer 1 active", 41, {Seconds32(nullptr, 1), Seconds32("Run time with AECD #11 timer 2 active", 5), Seconds32("Run time with AECD #12 timer 1 active", 9), Seconds32("Run time with AECD #12 timer 2 active", 13), Seconds32("Run time with AECD #13 timer 1 active", 17), Seconds32("Run time with AECD #13 timer 2 active", 21), Seconds32("Run time with AECD #14 timer 1 active", 25), Seconds32("Run time with AECD #14 timer 2 active", 29), Seconds32("Run time with AECD #15 timer 1 active", 33), Seconds32("Run time with AECD #15 timer 2 active", 37)}},
    {0x8A, "Run time with AECD #16 timer 1 active", 41, {Seconds32(nullptr, 1), Seconds32("Run time with AECD #16 timer 2 active", 5), Seconds32("Run time with AECD #17 timer 1 active", 9), Seconds32("Run time with AECD #17 timer 2 active", 13), Seconds32("Run time with AECD #18 timer 1 active", 17), Seconds32("Run time with AECD #18 timer 2 active", 21), Seconds32("Run time with AECD #19 timer 1 active", 25), Seconds32("Run time with AECD #19 timer 2 active", 29), Seconds32("Run time with AECD #20 timer 1 active", 33), Seconds32("Run time with AECD #20 timer 2 active", 37)}},
    {0x8B, "Particulate filter regeneration", 7, {OnOff(nullptr, 0x01, 1), Masked(Enumerated("Particulate filter regeneration type", RegenerationTypeTexts, 1), 0x02), Percent("Normalized trigger for particulate filter regeneration", 2), Linear("Average time between particulate filter regenerations", "min", 3, 2, 1, 1, 0, 0), Linear("Average distance between particulate filter regenerations", "km", 5, 2, 1, 1, 0, 0)}},
    {0x8C, "O2 concentration Bank 1 Sensor 1 (wide range)", 17, {O2Percent(nullptr, 1), O2Percent("O2 concentration Bank 1 Sensor 2 (wide range)", 3), O2Percent("O2 concentration Bank 2 Sensor 1 (wide range)", 5), O2Percent("O2 concentration Bank 2 Sensor 2 (wide range)", 7), O2Percent("O2 concentration Bank 3 Sensor 1 (wide range)", 9), O2Percent("O2 concentration Bank 3 Sensor 2 (wide range)", 11), O2Percent("O2 concentration Bank 4 Sensor 1 (wide range)", 13), O2Percent("O2 concentration Bank 4 Sensor 2 (wide range)", 15)}},
    {0x8D, "Throttle position G", 1, {Percent()}},
    {0x8E, "Engine friction torque", 1, {Torque()}},
    {0x8F, "Particulate matter sensor Bank 1 active", 7, {OnOff(nullptr, 0x01, 1), OnOff("Particulate matter sensor Bank 1 regenerating", 0x02, 1), Signed(Linear("Particulate matter sensor Bank 1 output", "%", 2, 2, 1, 100, 0, 2)), OnOff("Particulate matter sensor Bank 2 active", 0x01, 4), OnOff("Particulate matter sensor Bank 2 regenerating", 0x02, 4), Signed(Linear("Particulate matter sensor Bank 2 output", "%", 5, 2, 1, 100, 0, 2))}},
    {0x90, "Vehicle MI status", 3, {Masked(Enumerated(nullptr, MiStatusTexts), 0x03), Hours("Vehicle time with continuous MI", 1)}},
    {0x91, "ECU MI status", 5, {Masked(Enumerated(nullptr, MiStatusTexts), 0x03), Hours("ECU time with continuous MI", 1), Hours("ECU highest B1 counter", 3)}},
    {0x92, "Fuel system control", 2, {Bits(nullptr, FuelControlTexts, 1)}},
    {0x93, "Cumulative continuous MI counter", 3, {Hours(nullptr, 1)}},
    {0x94, "NOx warning and inducement system", 12, {Bits(nullptr, NoxInducementTexts, 1), Hours("Reagent quality counter", 2), Hours("Reagent consumption counter", 4), Hours("Dosing interruption counter", 6), Hours("EGR valve counter", 8), Hours("Monitoring system counter", 10)}},
    {0x98, "Exhaust gas temperature Bank 1 Sensor 5", 9, {Celsius16(nullptr, 1), Celsius16("Exhaust gas temperature Bank 1 Sensor 6", 3), Celsius16("Exhaust gas temperature Bank 1 Sensor 7", 5), Celsius16("Exhaust gas temperature Bank 1 Sensor 8", 7)}},
    {0x99, "Exhaust gas temperature Bank 2 Sensor 5", 9, {Celsius16(nullptr, 1), Celsius16("Exhaust gas temperature Bank 2 Sensor 6", 3), Celsius16("Exhaust gas temperature Bank 2 Sensor 7", 5), Celsius16("Exhaust gas temperature Bank 2 Sensor 8", 7)}},
    {0x9A, "Hybrid/EV charging state", 6, {Masked(Enumerated(nullptr, ChargingStateTexts, 1), 0x03), Linear("Hybrid/EV battery voltage", "V", 2, 2, 1, 64, 0, 2), Signed(Linear("Hybrid/EV battery current", "A", 4, 2, 1, 10, 0, 1))}},
    {0x9B, "Diesel exhaust fluid concentration", 4, {Linear(nullptr, "%", 1, 1, 1, 4, 0, 2), Celsius("Diesel exhaust fluid tank temperature", 2), Percent("Diesel exhaust fluid tank level", 3)}},
    {0x9C, "O2 sensor Bank 1 Sensor 1 equivalence ratio (wide range)", 17, {Lambda(nullptr, 1), Lambda("O2 sensor Bank 1 Sensor 2 equivalence ratio (wide range)", 3), Lambda("O2 sensor Bank 2 Sensor 1 equivalence ratio (wide range)", 5), Lambda("O2 sensor Bank 2 Sensor 2 equivalence ratio (wide range)", 7), Lambda("O2 sensor Bank 3 Sensor 1 equivalence ratio (wide range)", 9), Lambda("O2 sensor Bank 3 Sensor 2 equivalence ratio (wide range)", 11), Lambda("O2 sensor Bank 4 Sensor 1 equivalence ratio (wide range)", 13), Lambda("O2 sensor Bank 4 Sensor 2 equivalence ratio (wide range)", 15)}},
    {0x9D, "Engine fuel rate (mass)", 4, {Linear(nullptr, "g/s", 0, 2, 0.02, 1, 0, 2), Linear("Vehicle fuel rate (mass)", "g/s", 2, 2, 0.02, 1, 0, 2)}},
    {0x9E, "Engine exhaust flow rate", 2, {Linear(nullptr, "kg/h", 0, 2, 0.2, 1, 0, 1)}},
    {0x9F, "Fuel system A use Bank 1", 9, {Percent(nullptr, 1), Percent("Fuel system B use Bank 1", 2), Percent("Fuel system A use Bank 2", 3), Percent("Fuel system B use Bank 2", 4), Percent("Fuel system A use Bank 3", 5), Percent("Fuel system B use Bank 3", 6), Percent("Fuel system A use Bank 4", 7), Percent("Fuel system B use Bank 4", 8)}},
    {0xA1, "NOx sensor corrected Bank 1 Sensor 1", 9, {Ppm(nullptr, 1), Ppm("NOx sensor corrected Bank 1 Sensor 2", 3), Ppm("NOx sensor corrected Bank 2 Sensor 1", 5), Ppm("NOx sensor corrected Bank 2 Sensor 2", 7)}},
    {0xA2, "Cylinder fuel rate", 2, {Linear(nullptr, "mg/stroke", 0, 2, 1, 32, 0, 2)}},
    {0xA3, "Evap. system vapour pressure A", 9, {Signed(Linear(nullptr, "Pa", 1, 2, 1, 4, 0, 2)), Signed(Linear("Evap. system vapour pressure A (wide range)", "Pa", 3, 2, 1, 1, 0, 0)), Signed(Linear("Evap. system vapour pressure B", "Pa", 5, 2, 1, 4, 0, 2)), Signed(Linear("Evap. system vapour pressure B (wide range)", "Pa", 7, 2, 1, 1, 0, 0))}},
    {0xA4, "Transmission actual gear", 4, {Masked(Linear(nullptr, "", 1, 1, 1, 16, 0, 0), 0xF0), Linear("Transmission actual gear ratio", "", 2, 2, 1, 1000, 0, 3)}},
    {0xA5, "Commanded diesel exhaust fluid dosing", 4, {Linear(nullptr, "%", 1, 1, 1, 2, 0, 1)}},
    {0xA6, "Odometer", 4, {Linear(nullptr, "km", 0, 4, 1, 10, 0, 1)}},
    {0xA7, "NOx sensor 3 concentration", 5, {Ppm(nullptr, 1), Ppm("NOx sensor 4 concentration", 3)}},
    {0xA8, "NOx sensor 3 corrected concentration", 5, {Ppm(nullptr, 1), Ppm("NOx sensor 4 corrected concentration", 3)}},
    {0xA9, "ABS disable switch", 2, {OnOff(nullptr, 0x01, 1)}},
    {0xC3, "Fuel level input A", 2, {Percent(nullptr, 0), Percent("Fuel level input B", 1)}},
    {0xC4, "Exhaust particulate control system diagnostic time", 8, {Seconds32(nullptr, 0), Linear("Exhaust particulate control system diagnostic count", "", 4, 4, 1, 1, 0, 0)}},
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
