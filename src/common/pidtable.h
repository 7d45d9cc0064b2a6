// The constant table of service 01 PIDs 01 to 20: display name, unit, whether
// the row is polled on the sensor page, how the value is decoded and written.
// Also the state-text tables and the two number forms of shown values.
#pragma once

#include <QChar>
#include <QString>
#include <array>
#include <cstdint>
#include <span>

namespace obd {

enum class PidDecoder : std::uint8_t {
    None,          // no decoder: no request, the result is "Fehler"
    MilState,      // "AN" / "AUS" from bit 7 of A
    FuelSystem,    // state text of A (PID 03)
    Percent,       // A * 100 / 255: 0 and 255 are exactly 0 % and 100 %
    Celsius,       // A - 40
    FuelTrim,      // (A - 128) * 100 / 128
    FuelPressure,  // A * 3 kPa
    Byte,          // A as it stands
    Rpm,           // (A * 256 + B) / 4
    Advance,       // A * 0.5 - 64
    AirFlow,       // (A * 256 + B) * 0.01
    SecondaryAir,  // state text of A (PID 12)
    OxygenSensors, // state text of A (PID 13)
    OxygenVolts,   // A / 200
    ObdType,       // text of the value A (PID 1C)
};

enum class NumberForm : std::uint8_t { Text, Integer, Decimal };

struct PidInfo {
    int pid;
    const char* name; // UTF-8
    const char* unit; // UTF-8, "" for none
    bool sensorRow;
    PidDecoder decoder;
    NumberForm form;
};

// The entry of pid (1 to 32), or nullptr for any other number.
const PidInfo* FindPid(int pid);

// Whether the decoder reads the second data byte B.
constexpr bool UsesByteB(PidDecoder d) {
    return d == PidDecoder::Rpm || d == PidDecoder::AirFlow;
}

// A state text for one set bit of A.
struct BitText {
    std::uint8_t bit;
    const char* text;
};
// A text for one value of A.
struct ValueText {
    std::uint8_t value;
    const char* text;
};

// Entry k holds PID k + 1.
inline constexpr std::array<PidInfo, 32> PidTable{{
    {0x01, "MIL status", "", false, PidDecoder::MilState, NumberForm::Text},
    {0x02, "trouble codes", "", false, PidDecoder::None, NumberForm::Text},
    {0x03, "Fuel System status", "", true, PidDecoder::FuelSystem, NumberForm::Text},
    {0x04, "Calculated Load", "%", true, PidDecoder::Percent, NumberForm::Decimal},
    {0x05, "Coolant Temp.", "°C", true, PidDecoder::Celsius, NumberForm::Integer},
    {0x06, "Short term fuel trim bank 1", "", true, PidDecoder::FuelTrim, NumberForm::Decimal},
    {0x07, "Long term fuel trim bank 1", "", true, PidDecoder::FuelTrim, NumberForm::Decimal},
    {0x08, "Short term fuel trim bank 2", "", true, PidDecoder::FuelTrim, NumberForm::Decimal},
    {0x09, "Long term fuel trim bank 2", "", true, PidDecoder::FuelTrim, NumberForm::Decimal},
    {0x0A, "Fuel Pressure", "KPa", true, PidDecoder::FuelPressure, NumberForm::Integer},
    {0x0B, "Manifold Air Pressure", "KPa", true, PidDecoder::Byte, NumberForm::Integer},
    {0x0C, "Engine RPM", "U/min", true, PidDecoder::Rpm, NumberForm::Decimal},
    {0x0D, "Vehicle Speed", "kph", true, PidDecoder::Byte, NumberForm::Integer},
    {0x0E, "Ignition Advance", "°", true, PidDecoder::Advance, NumberForm::Decimal},
    {0x0F, "Intake Air Temp", "°C", true, PidDecoder::Celsius, NumberForm::Integer},
    {0x10, "Air Flow", "gm/sec", true, PidDecoder::AirFlow, NumberForm::Decimal},
    {0x11, "Throttle Position", "%", true, PidDecoder::Percent, NumberForm::Decimal},
    {0x12, "Secondary Air Status", "", true, PidDecoder::SecondaryAir, NumberForm::Text},
    {0x13, "O2 Sensor location", "", true, PidDecoder::OxygenSensors, NumberForm::Text},
    {0x14, "O2 Volts Bank 1 Sensor 1", "V", true, PidDecoder::OxygenVolts, NumberForm::Decimal},
    {0x15, "O2 Volts Bank 1 Sensor 2", "V", true, PidDecoder::OxygenVolts, NumberForm::Decimal},
    {0x16, "O2 Volts Bank 1 Sensor 3", "V", true, PidDecoder::OxygenVolts, NumberForm::Decimal},
    {0x17, "O2 Volts Bank 1 Sensor 4", "V", true, PidDecoder::OxygenVolts, NumberForm::Decimal},
    {0x18, "O2 Volts Bank 2 Sensor 1", "V", true, PidDecoder::OxygenVolts, NumberForm::Decimal},
    {0x19, "O2 Volts Bank 2 Sensor 2", "V", true, PidDecoder::OxygenVolts, NumberForm::Decimal},
    {0x1A, "O2 Volts Bank 2 Sensor 3", "V", true, PidDecoder::OxygenVolts, NumberForm::Decimal},
    {0x1B, "O2 Volts Bank 2 Sensor 4", "V", true, PidDecoder::OxygenVolts, NumberForm::Decimal},
    {0x1C, "OBD type", "", false, PidDecoder::ObdType, NumberForm::Text},
    {0x1D, "O2 sensor locations - 7", "", true, PidDecoder::None, NumberForm::Text},
    {0x1E, "PTO Status", "", true, PidDecoder::None, NumberForm::Text},
    {0x1F, "", "", false, PidDecoder::None, NumberForm::Text},
    {0x20, "PIDs Supported 33-63(SAE J2190)", "", false, PidDecoder::None, NumberForm::Text},
}};

constexpr bool PidTableInOrder() {
    for (size_t k = 0; k < PidTable.size(); ++k)
        if (PidTable[k].pid != int(k) + 1)
            return false;
    return true;
}
static_assert(PidTableInOrder(), "entry k of the PID table must hold PID k + 1");

inline constexpr std::array<BitText, 8> FuelSystemTexts{{
    {0, "open loop"},
    {1, "closed loop"},
    {2, "open loop driving"},
    {3, "open loop fault"},
    {4, "closed loop fault"},
    {5, "reserved"},
    {6, "reserved"},
    {7, "reserved"},
}};

inline constexpr std::array<BitText, 8> SecondaryAirTexts{{
    {0, "air upstream cat"},
    {1, "air downstream cat"},
    {2, "air off"},
    {3, "air reserved"},
    {4, "air reserved"},
    {5, "air reserved"},
    {6, "air reserved"},
    {7, "air reserved"},
}};

inline constexpr std::array<BitText, 8> OxygenSensorTexts{{
    {0, "O2 location 1-1"},
    {1, "O2 location 1-2"},
    {2, "O2 location 1-3"},
    {3, "O2 location 1-4"},
    {4, "O2 location 2-1"},
    {5, "O2 location 2-2"},
    {6, "O2 location 2-3"},
    {7, "O2 location 2-4"},
}};

inline constexpr std::array<ValueText, 7> ObdTypeTexts{{
    {1, "OBD II CARB"},
    {2, "OBD Federal EPA"},
    {3, "OBD II and OBD"},
    {4, "OBD I"},
    {5, "???"},
    {6, "EOBD"},
    {12, "None"},
}};

// The text of the highest set bit of a that has one; nullptr when none.
const char* HighestBitText(std::span<const BitText> texts, std::uint8_t a);
// The text of the value a; nullptr when it has none.
const char* ValueTextOf(std::span<const ValueText> texts, int a);

// Decimal digits with a leading minus when negative.
QString IntegerForm(long long value);
// General form with at most 15 significant digits: no exponent for the values
// shown here, no trailing zeros, no separator when whole.
QString DecimalForm(double value, QChar decimalSeparator);

} // namespace obd
