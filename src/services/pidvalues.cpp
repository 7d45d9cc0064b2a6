#include "services/pidvalues.h"

#include "common/bits.h"
#include "services/j1979.h"
#include "services/pidspecs.h"

#include <QStringList>
#include <algorithm>

namespace obd {

namespace {

std::int64_t RawOf(const PidField& f, std::span<const std::uint8_t> data) {
    std::uint32_t raw = 0;
    for (int k = 0; k < f.width; ++k)
        raw = raw << 8 | data[size_t(f.offset + k)];
    std::int64_t value = raw;
    const int bits = 8 * f.width;
    if (f.isSigned && bits < 64 && (raw >> (bits - 1) & 1u) != 0)
        value -= std::int64_t(1) << bits;
    if (f.mask != 0)
        value &= f.mask;
    return value;
}

QString BitListText(const PidField& f, std::uint8_t byte) {
    QStringList parts;
    for (const BitText& entry : f.bitTexts)
        if (entry.bit < 8 && (byte >> entry.bit & 1) != 0)
            parts.append(QString::fromUtf8(entry.text));
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral(", "));
}

QString EnumeratedText(const PidField& f, std::int64_t raw) {
    const char* text = ValueTextOf(f.valueTexts, int(raw));
    return text ? QString::fromUtf8(text) : QStringLiteral("reserved (%1)").arg(raw);
}

// Two bytes as a trouble code: the first digit's prefix letter, then three digits.
QString CodeText(std::int64_t raw) {
    const QString digits = QStringLiteral("%1").arg(raw, 4, 16, QLatin1Char('0')).toUpper();
    return DtcPrefix(digits.left(1)) + digits.mid(1);
}

// A value without a name of its own carries the PID's name.
QString NameOf(const PidSpec& spec, const PidField& f) {
    return QString::fromUtf8(f.name ? f.name : spec.name);
}

} // namespace

std::span<const PidField> FieldsOf(const PidSpec& spec) {
    const auto end = std::find_if(spec.fields.begin(), spec.fields.end(),
                                  [](const PidField& f) { return f.kind == ValueKind::Unused; });
    return {spec.fields.data(), size_t(end - spec.fields.begin())};
}

const PidSpec* FindPidSpec(int pid) {
    const auto it = std::lower_bound(PidSpecs.begin(), PidSpecs.end(), pid,
                                     [](const PidSpec& s, int p) { return s.pid < p; });
    return it != PidSpecs.end() && it->pid == pid ? &*it : nullptr;
}

double NumberOf(const PidField& field, std::span<const std::uint8_t> data) {
    return double(RawOf(field, data)) * field.mul / field.div + field.add;
}

std::vector<PidValue> DecodePidValues(const PidSpec& spec, std::span<const std::uint8_t> data) {
    // The first missing byte is an empty text that cannot be converted.
    if (data.size() < spec.bytes)
        RaiseConversionError(QString());
    std::vector<PidValue> values;
    for (const PidField& f : FieldsOf(spec)) {
        PidValue v;
        v.name = NameOf(spec, f);
        v.unit = QString::fromUtf8(f.unit);
        v.decimals = f.decimals;
        const std::int64_t raw = RawOf(f, data);
        switch (f.kind) {
        case ValueKind::Unused:
            break;
        case ValueKind::Number:
            if (raw == f.unusedRaw)
                v.text = QStringLiteral("not used");
            else
                v.number = NumberOf(f, data);
            break;
        case ValueKind::BitList:
            v.text = BitListText(f, std::uint8_t(raw));
            break;
        case ValueKind::ValueText:
            v.text = EnumeratedText(f, raw);
            break;
        case ValueKind::OnOff:
            v.text = raw != 0 ? QStringLiteral("AN") : QStringLiteral("AUS");
            break;
        case ValueKind::Code:
            v.text = CodeText(raw);
            break;
        }
        values.push_back(v);
    }
    return values;
}

QString DisplayText(double value, int decimals, QChar decimalSeparator) {
    QString text = QString::number(value, 'f', decimals);
    // A value that rounds to zero shows no minus sign.
    if (text.toDouble() == 0.0)
        text = QString::number(0.0, 'f', decimals);
    text.replace(QLatin1Char('.'), decimalSeparator);
    return text;
}

QString DisplayText(const PidValue& value, QChar decimalSeparator) {
    return value.number ? DisplayText(*value.number, value.decimals, decimalSeparator) : value.text;
}

QString DisplayText(const SensorReading& value, QChar decimalSeparator) {
    return value.number ? DisplayText(*value.number, value.decimals, decimalSeparator) : value.text;
}

std::optional<int> NextSupportRange(std::span<const std::uint32_t> bitmaps) {
    if (bitmaps.empty())
        return 0x00;
    if (bitmaps.size() >= size_t(SupportRangeCount) || (bitmaps.back() & 1u) == 0)
        return std::nullopt;
    return int(bitmaps.size()) * 0x20;
}

PidSupport SupportedPidUnion(std::span<const std::uint32_t> bitmaps) {
    PidSupport support;
    const size_t ranges = std::min(bitmaps.size(), size_t(SupportRangeCount));
    for (size_t k = 0; k < ranges; ++k)
        for (int bit = 31; bit >= 0; --bit)
            if ((bitmaps[k] >> bit & 1u) != 0)
                support.set(k * 0x20 + size_t(32 - bit));
    return support;
}

std::uint32_t SupportBitmap(std::span<const std::uint8_t> data) {
    if (data.size() < 4)
        RaiseConversionError(QString());
    return std::uint32_t(data[0]) << 24 | std::uint32_t(data[1]) << 16 |
           std::uint32_t(data[2]) << 8 | data[3];
}

std::uint32_t SupportBitmap(const TSupportedPids& flags) {
    std::uint32_t bitmap = 0;
    for (const bool flag : flags)
        bitmap = bitmap << 1 | (flag ? 1u : 0u);
    return bitmap;
}

void SetUpSensorTable(SensorTable& table) {
    table.SetUp([](int pid) {
        const PidInfo& info = PidTable[size_t(pid - 1)];
        return SensorRowInfo{QString::fromUtf8(info.name), QString::fromUtf8(info.unit),
                             info.sensorRow};
    });
    // The further rows are added once, however often the table is set up.
    if (table.Count() > SensorTable::Size)
        return;
    for (const PidSpec& spec : PidSpecs) {
        if (spec.pid <= SensorTable::Size)
            continue;
        const std::span<const PidField> fields = FieldsOf(spec);
        for (size_t n = 0; n < fields.size(); ++n)
            table.AddRow(spec.pid, int(n), NameOf(spec, fields[n]),
                         QString::fromUtf8(fields[n].unit));
    }
}

} // namespace obd
