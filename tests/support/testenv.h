// Helpers shared by the test programs: per-case folders, the built tools, and
// running a command as an unprivileged user where a test needs a permission
// failure (CI runs as root, which ignores file modes).
#pragma once

#include <QString>
#include <QStringList>

namespace obd::test {

// Folder of the built program and tools (build/bin).
QString binDir();
// The four tables as the build generates them (build/tables): fresh, unlike
// the ones beside the program, which a run of the program may have changed.
QString tablesDir();
// Root of the source tree.
QString sourceDir();
// Path of a built tool in binDir(), e.g. "elmsim".
QString tool(const QString& name);

bool runningAsRoot();

// Runs program with args as uid/gid 65534 through setpriv when the tests run as
// root, otherwise directly. Returns the exit code; output goes to *output.
int runUnprivileged(const QString& program, const QStringList& args, QString* output = nullptr,
                    int timeoutMs = 30000);

// Selects a C library locale for LC_TIME (e.g. "de_DE.UTF-8"); returns false
// when the machine lacks it.
bool useTimeLocale(const char* name);

} // namespace obd::test
