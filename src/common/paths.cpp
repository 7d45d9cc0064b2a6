#include "common/paths.h"

#include "common/errors.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <unistd.h>

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
    const QString data = QDir(programDir).filePath(DataName);
    const bool unpacked = QFileInfo(data).isDir();
    // access() rather than the mode bits: a read-only mount denies writing
    // whatever the bits say.
    const bool writable = ::access(QFile::encodeName(programDir).constData(), W_OK) == 0;
    const int whyNot = errno;
    if (unpacked && writable)
        return ProgramPaths(programDir);
    // The base folder of user data; a relative one is to be ignored.
    QString base = env.value(QStringLiteral("XDG_DATA_HOME"));
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        const QString home = env.value(QStringLiteral("HOME"), QDir::homePath());
        base = QDir(home).filePath(QStringLiteral(".local/share"));
    }
    const QString userFolder = QDir(base).filePath(QStringLiteral("obd-torvane"));
    if (!unpacked)
        return ProgramPaths(userFolder,
                            QDir::cleanPath(QDir(programDir).filePath(OBD_ORIGINALS_FROM_PROGRAM)));
    ProgramPaths paths(userFolder, programDir);
    paths.tables = data;
    paths.notice = QStringLiteral("Der Programmordner \"%1\" ist schreibgeschützt (%2). Die "
                                  "Tabellen und Fehlercode-Texte werden dort gelesen; das "
                                  "Protokoll steht in \"%3\".")
                       .arg(programDir, QString::fromLocal8Bit(std::strerror(whyNot)), userFolder);
    return paths;
}

void CopyMissingTables(const ProgramPaths& paths) {
    if (!paths.tables.isEmpty()) {
        if (!QDir().mkpath(paths.folder))
            throw FileError(
                QStringLiteral("Ordner %1 kann nicht erstellt werden").arg(paths.folder));
        return;
    }
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
