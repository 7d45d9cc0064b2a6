// Every file place of the program derives from one folder of its own files, so
// tests can give each case its own folder. An installed program keeps that
// folder in the user's data folder and takes the delivered, read-only files
// from the installation's share folder.
#pragma once

#include <QDir>
#include <QProcessEnvironment>
#include <QString>

namespace obd {

struct ProgramPaths {
    // Implicit from a folder: a program that keeps everything in one folder.
    ProgramPaths(QString folder = {}, QString originals = {})
        : folder(std::move(folder)), originals(std::move(originals)) {}

    QString folder;    // the files the program writes: log, transcript, tables
    QString originals; // the delivered files of an installation; empty: in folder
    // The tables where they lie elsewhere than in folder (a copy on a
    // write-protected stick: read there, never copied); empty: folder's.
    QString tables;
    // Why the files are where they are, for the user when it is not the
    // plain case; empty otherwise.
    QString notice;

    QString file(const QString& name) const { return QDir(folder).filePath(name); }
    QString logFile() const { return file(QStringLiteral("LogFile.txt")); }
    QString dataFolder() const { return tables.isEmpty() ? file(QStringLiteral("data")) : tables; }
    QString transcriptFile() const { return file(QStringLiteral("manual_log.txt")); }
    // The user's own dtc-gb.dat where there is one, else the delivered one.
    QString troubleCodeFile() const;
};

// Where the files of the program in programDir live: beside it when that folder
// is writable and holds the delivered data folder (a build tree, an unpacked
// copy), otherwise in the user's data folder ($XDG_DATA_HOME/obd-torvane,
// ~/.local/share/obd-torvane) with the installation's share folder as originals.
// An unpacked copy in a folder that cannot be written (a write-protected
// stick) keeps its own tables and trouble-code texts, read there, and writes
// its log into the user's data folder; notice says so.
ProgramPaths LocateProgramPaths(const QString& programDir, const QProcessEnvironment& env);

// Creates the data folder and copies each delivered table that it lacks,
// writable by its owner; a table already there is never replaced. Tables
// read elsewhere (paths.tables) are left where they are; only folder is made.
// Throws FileError when a folder or a copy cannot be made.
void CopyMissingTables(const ProgramPaths& paths);

} // namespace obd
