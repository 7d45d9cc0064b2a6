// Every standard service 01 PID with a defined formula, as data: per PID its
// name, the number of data bytes and up to ten values, each with its own
// name, unit, formula or text table and display precision. PIDs 01 to 20 keep
// the names and units of the sensor table's PID table. Pure decoders turn the
// data bytes of one answer into named values; the supported-range walk says
// which "01 xx" bitmap requests to send and which PIDs they announce.
#pragma once

#include "common/pidtable.h"
#include "common/sensortable.h"

#include <QChar>
#include <QString>
#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace obd {

enum class ValueKind : std::uint8_t {
    Unused,    // an empty slot of a PID's value list
    Number,    // raw * mul / div + add
    BitList,   // the texts of every set bit, joined
    ValueText, // the text of the raw value
    OnOff,     // "AN" when any bit of the mask is set, "AUS" otherwise
    Code,      // a trouble code such as P0133
};

// One value of a PID. The raw value is `width` bytes from `offset` (0 = A),
// most significant first, optionally two's complement, then masked.
struct PidField {
    ValueKind kind = ValueKind::Unused;
    const char* name = nullptr; // nullptr: the PID's own name
    const char* unit = "";      // UTF-8, "" for none
    std::uint8_t offset = 0;
    std::uint8_t width = 1;
    bool isSigned = false;
    std::uint32_t mask = 0; // 0: every bit
    double mul = 1;
    double div = 1;
    double add = 0;
    std::uint8_t decimals = 0; // digits after the separator when shown
    std::span<const BitText> bitTexts{};
    std::span<const ValueText> valueTexts{};
    std::optional<std::int64_t> unusedRaw{}; // a raw value meaning "not used"
};

inline constexpr std::size_t MaxPidFields = 10;

struct PidSpec {
    std::uint8_t pid;
    const char* name; // UTF-8
    std::uint8_t bytes;
    std::array<PidField, MaxPidFields> fields;
};

// How a value is written when it is not a text.
constexpr NumberForm FormOf(const PidField& f) {
    if (f.kind != ValueKind::Number)
        return NumberForm::Text;
    return f.decimals == 0 ? NumberForm::Integer : NumberForm::Decimal;
}

// The fields of a PID that are in use.
std::span<const PidField> FieldsOf(const PidSpec& spec);

// The record of pid, or nullptr when the table has none (the bitmap PIDs 00,
// 20, 40, ... and PIDs without a defined formula).
const PidSpec* FindPidSpec(int pid);

// One decoded value. A number keeps its full value; text holds the state text
// of text values and of numbers whose raw value means "not used".
struct PidValue {
    QString name;
    QString unit;
    std::optional<double> number;
    QString text;
    int decimals = 0;
};

// The values of one answer; data are the bytes after the PID byte. Fewer bytes
// than the PID has raise ConversionError; further bytes are ignored.
std::vector<PidValue> DecodePidValues(const PidSpec& spec, std::span<const std::uint8_t> data);
// The number of a Number field from data that hold enough bytes.
double NumberOf(const PidField& field, std::span<const std::uint8_t> data);

// A number with the given digits after the separator; negative zero shows as 0.
QString DisplayText(double value, int decimals, QChar decimalSeparator);
// What a grid cell shows for the value: its text, or its number at its precision.
QString DisplayText(const PidValue& value, QChar decimalSeparator);
// What a polled value shows: its text, or its number at its precision.
QString DisplayText(const SensorReading& value, QChar decimalSeparator);

// Supported PIDs, bit p for PID p (hexadecimal 00 to FF).
using PidSupport = std::bitset<256>;
// The bitmap PIDs 00, 20, ..., C0: each announces the 32 PIDs after it.
inline constexpr int SupportRangeCount = 7;

// The next bitmap PID to ask, given the bitmaps read so far in range order
// (element k answers PID k * 0x20; bit 31 stands for the first PID after it,
// bit 0 for the next bitmap PID). Empty: ask 00. None when the last bitmap's
// bit 0 says no more ranges follow or every range has been read.
std::optional<int> NextSupportRange(std::span<const std::uint32_t> bitmaps);
// The union of the PIDs the bitmaps announce.
PidSupport SupportedPidUnion(std::span<const std::uint32_t> bitmaps);
// The bitmap of data bytes A to D; fewer than four raise ConversionError.
std::uint32_t SupportBitmap(std::span<const std::uint8_t> data);

} // namespace obd
