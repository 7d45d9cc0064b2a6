#include "common/pidtable.h"

#include <cmath>

namespace obd {

const PidInfo* FindPid(int pid) {
    return pid >= 1 && pid <= int(PidTable.size()) ? &PidTable[size_t(pid - 1)] : nullptr;
}

const char* HighestBitText(std::span<const BitText> texts, std::uint8_t a) {
    const char* text = nullptr;
    for (const BitText& entry : texts)
        if (entry.bit < 8 && (a >> entry.bit & 1) != 0)
            text = entry.text;
    return text;
}

const char* ValueTextOf(std::span<const ValueText> texts, int a) {
    for (const ValueText& entry : texts)
        if (entry.value == a)
            return entry.text;
    return nullptr;
}

QString IntegerForm(long long value) {
    return QString::number(value);
}

QString DecimalForm(double value, QChar decimalSeparator) {
    // Qt's 'g' form never uses the locale; negative zero is shown as 0.
    QString text = QString::number(value == 0.0 ? 0.0 : value, 'g', 15);
    text.replace(QLatin1Char('.'), decimalSeparator);
    return text;
}

} // namespace obd
