// Windows-1252 conversion at the boundaries: files on disk and the serial line
// carry 8-bit Windows-1252 text, memory holds QString.
#pragma once

#include <QByteArray>
#include <QString>

namespace obd {

// Every byte maps to one character (the five unassigned bytes map to the C1
// control of the same value), so decoding never fails.
QString fromCp1252(const QByteArray& bytes);

// Characters without a Windows-1252 form become '?'.
QByteArray toCp1252(const QString& text);

} // namespace obd
