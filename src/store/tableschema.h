// The fields of the four delivered tables, and the upgrade that gives a table
// written by an earlier release the fields it lacks without losing a record.
#pragma once

#include "store/dbfformat.h"

#include <QString>
#include <span>
#include <vector>

namespace obd {

struct TableFieldDef {
    const char* file;
    const char* name;
    char type;
    int length;
    int decimals;
};

// Every field of every delivered table, grouped by file, in field order.
std::span<const TableFieldDef> DeliveredFields();

// The names of the delivered table files, in the order the store opens them.
std::vector<QString> DeliveredTableFiles();

// The delivered fields of one file as the format's field list.
std::vector<dbf::FieldSpec> FieldsOf(const QString& file);

// Multi-line texts (an address, a freeze frame) are kept in one C field with
// their lines separated by CR LF; in memory the lines end in "\n".
QString LinesForField(const QString& text);
QString LinesFromField(const QString& stored);

// Gives the table at path every field of fields it lacks, appended after its
// own fields; records (deleted ones included), their order and the existing
// fields stay as they are. The new file is written beside the old one, made
// durable and renamed over it, so a kill leaves either the old or the new
// table. Returns whether the file changed. Throws TableError when the file
// cannot be read or replaced.
bool UpgradeTable(const QString& path, const std::vector<dbf::FieldSpec>& fields,
                  const QString& context);

} // namespace obd
