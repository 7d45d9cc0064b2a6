// The trouble-code description file (dtc-gb.dat): Windows-1252 text, one entry
// per line, the first five characters the code, the rest its description.
#pragma once

#include "common/obdtypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace obd {

// Reads the whole file. A missing file raises FileError "Datei nicht
// gefunden"; another open or read failure raises FileError as well.
TTroubleCodeFile LoadTroubleCodeTexts(const QString& path);

// The entries of file content: a CR ends a line (an LF right after it belongs
// to the line end, an LF alone does not), Ctrl-Z ends the content, a trailing
// line end adds no entry. Codes are taken untrimmed; texts are trimmed of
// blanks and control characters and cut to 127 characters. The content is
// let go before the index is made, so a moved-in file is not held twice.
TTroubleCodeFile ParseTroubleCodeTexts(QByteArray content);

// The description lines of code, in file order; exact, case-sensitive match.
QStringList FindTroubleCodeTexts(const TTroubleCodeFile& table, const QString& code);

} // namespace obd
