#include "common/bits.h"

#include "common/errors.h"

namespace obd {

bool TestBit(qint32 value, quint8 bit) {
    return bit < 32 && (quint32(value) >> bit & 1u) != 0;
}

qint32 HexToInt(const QString& text) {
    quint32 value = 0;
    bool valid = !text.isEmpty();
    for (QChar c : text) {
        if (!valid)
            break;
        const char16_t u = c.unicode();
        int digit = -1;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        else if (u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        // Leading zeros never overflow; any other digit must still fit.
        valid = digit >= 0 && (value >> 28) == 0;
        value = value << 4 | quint32(digit < 0 ? 0 : digit);
    }
    if (!valid)
        RaiseConversionError(text);
    return qint32(value);
}

void RaiseConversionError(const QString& text) {
    throw ConversionError(QStringLiteral("'$%1' ist kein gültiger Integerwert").arg(text));
}

qint32 BinToInt(const QString& text) {
    quint32 value = 0;
    const qsizetype bits = qMin<qsizetype>(text.size(), 32);
    for (qsizetype j = 0; j < bits; ++j)
        if (text[j] == QLatin1Char('1'))
            value |= 1u << j;
    return qint32(value);
}

void IntToBin(qint32 value, qint32 highBit, QString& out) {
    out.clear();
    if (highBit < 0)
        return;
    out.reserve(qsizetype(highBit) + 1);
    for (qint32 bit = highBit; bit >= 0; --bit)
        out.append(bit < 32 && TestBit(value, quint8(bit)) ? QLatin1Char('1') : QLatin1Char('0'));
}

} // namespace obd
