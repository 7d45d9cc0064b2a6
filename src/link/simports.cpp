#include "link/simports.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>

namespace obd {

QString SimulatorPortFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return QDir(runtime).filePath(QStringLiteral("obd-torvane"));
    return QDir(QDir::tempPath()).filePath(QStringLiteral("obd-torvane-%1").arg(::getuid()));
}

QStringList SimulatorPorts() {
    QStringList ports;
    const QDir folder(SimulatorPortFolder());
    const QFileInfoList entries =
        folder.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        // A simulator that was killed leaves its link behind, pointing nowhere.
        if (entry.isSymLink() && entry.exists())
            ports << entry.filePath();
    }
    return ports;
}

} // namespace obd
