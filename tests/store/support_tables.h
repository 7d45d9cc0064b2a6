// Helpers for the table tests: files made with our own writer, raw bytes, and
// the Python readers used as independent oracles.
#pragma once

#include "store/dbfformat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace obd::test {

// Writes an empty table with these fields (Windows-1252 language driver).
void makeTable(const QString& path, const std::vector<dbf::FieldSpec>& fields);
// The customer table as the build delivers it.
void makeCustomerTable(const QString& path);
// The data folder with the four tables as the build delivers them.
void copyDeliveredTables(const QString& folder);

QByteArray readBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);

// Runs a Python script with the system interpreter, which has dbf and
// dbfread; returns stdout and fails the test on a non-zero exit.
QString runPython(const QString& script, const QStringList& args = {});

// The text of the error (TableError, ServerError, ...) that action throws, or "<no error>".
QString errorText(const std::function<void()>& action);

} // namespace obd::test
