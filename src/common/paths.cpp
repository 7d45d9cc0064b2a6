#include "common/paths.h"

#include "common/errors.h"

#include <QFile>
#include <QFileInfo>

namespace obd {

namespace {

const QString TroubleCodeName = QStringLiteral("dtc-gb.dat");
const QString DataName = QStringLiteral("data");

} // namespace

QString ProgramPaths::troubleCodeFile() const {
    const QString own = file(TroubleCodeName);
    if (originals.isEmpty() || QFileInfo::exists(own))
        return own;
    return QDir(originals).filePath(TroubleCodeName);
}

ProgramPaths LocateProgramPaths(const QString& programDir, const QProcessEnvironment& env) {
    const QFileInfo dir(programDir);
    if (dir.isWritable() && QFileInfo(QDir(programDir).filePath(DataName)).isDir())
        return ProgramPaths(programDir);
    // The base folder of user data; a relative one is to be ignored.
    QString base = env.value(QStringLiteral("XDG_DATA_HOME"));
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        const QString home = env.value(QStringLiteral("HOME"), QDir::homePath());
        base = QDir(home).filePath(QStringLiteral(".local/share"));
    }
    return ProgramPaths(QDir(base).filePath(QStringLiteral("obd-torvane")),
                        QDir::cleanPath(QDir(programDir).filePath(OBD_ORIGINALS_FROM_PROGRAM)));
}

void CopyMissingTables(const ProgramPaths& paths) {
    const QString to = paths.dataFolder();
    if (!QDir().mkpath(to))
        throw FileError(QStringLiteral("Ordner %1 kann nicht erstellt werden").arg(to));
    if (paths.originals.isEmpty())
        return;
    const QDir from(QDir(paths.originals).filePath(DataName));
    for (const QString& name : from.entryList({QStringLiteral("*.dbf")}, QDir::Files)) {
        const QString target = QDir(to).filePath(name);
        if (QFileInfo::exists(target))
            continue;
        // The originals are read-only; the copy keeps their mode otherwise.
        if (!QFile::copy(from.filePath(name), target) ||
            !QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner))
            throw FileError(QStringLiteral("Datei %1 kann nicht erstellt werden").arg(target));
    }
}

} // namespace obd
