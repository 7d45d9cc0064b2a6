// Bit and number-text helpers shared by the decoders and the terminal page's
// converters. Bits are numbered from the least significant (bit 0 = 1).
#pragma once

#include <QString>

namespace obd {

// True when the bit is set in value; bit numbers above 31 are never set.
bool TestBit(qint32 value, quint8 bit);

// Hexadecimal digits only (either case, at least one, nothing else), value in
// 32 bits; eight digits with the top bit set give a negative number. Raises
// ConversionError "'$<text>' ist kein gültiger Integerwert" otherwise.
qint32 HexToInt(const QString& text);

// Raises the ConversionError that HexToInt raises for text.
[[noreturn]] void RaiseConversionError(const QString& text);

// The first character is bit 0; each "1" sets its bit, any other character
// adds nothing. Characters past the 32nd have no bit and are ignored.
qint32 BinToInt(const QString& text);

// Replaces out with bits highBit down to 0 of value as "1"/"0", the most
// significant first. Bits above 31 are written as "0"; a negative highBit
// gives "".
void IntToBin(qint32 value, qint32 highBit, QString& out);

} // namespace obd
