// Every file place of the program derives from one program folder, so tests can
// give each case its own folder.
#pragma once

#include <QDir>
#include <QString>

namespace obd {

struct ProgramPaths {
    QString folder; // the folder that holds the program file

    QString file(const QString& name) const { return QDir(folder).filePath(name); }
    QString logFile() const { return file(QStringLiteral("LogFile.txt")); }
    QString troubleCodeFile() const { return file(QStringLiteral("dtc-gb.dat")); }
    QString dataFolder() const { return file(QStringLiteral("data")); }
    QString transcriptFile() const { return file(QStringLiteral("manual_log.txt")); }
};

} // namespace obd
