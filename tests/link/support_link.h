// Test fixtures for the link: a pseudo-terminal whose master side plays the
// chip from a script, and a notifier that records the message boxes.
#pragma once

#include "link/link.h"

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <mutex>
#include <thread>

namespace obd::test {

class RecordingNotifier : public LinkNotifier {
public:
    void showChipError(const QString& message) override;
    void showNoCommunication(const QString& message) override;
    void showLogFailure(const QString& message) override;
    QStringList boxes() const;

private:
    mutable std::mutex m_mutex;
    QStringList m_boxes;
};

// A pty pair. The test opens slavePath() with the real driver; answer() starts
// a thread that reads one CR-terminated command from the master and then
// writes the chunks with a pause between them.
class ScriptedChip {
public:
    ScriptedChip();
    ~ScriptedChip();
    const QString& slavePath() const { return m_slavePath; }
    void answer(const QList<QByteArray>& chunks, int pauseMs = 0);
    // Waits for the script to end and returns the command it read (CR included).
    QByteArray finish();

private:
    int m_master = -1;
    QString m_slavePath;
    std::thread m_thread;
    QByteArray m_command;
};

// elmsim on its own pseudo-terminal, announced in a private folder; stopped
// (SIGTERM) when the object goes.
class Simulator {
public:
    explicit Simulator(const QStringList& args = {}, const QString& link = {});
    ~Simulator();
    const QString& slavePath() const { return m_slavePath; }
    const QString& linkPath() const { return m_linkPath; }
    qint64 processId() const { return m_process->processId(); }
    void terminate(); // SIGTERM, waits for the exit
    void kill();      // SIGKILL, waits for the exit

private:
    std::unique_ptr<QProcess> m_process;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_slavePath;
    QString m_linkPath;
};

// Lines of a log file as written (CR LF split off, Windows-1252 decoded).
QStringList logLines(const QString& fileName);

} // namespace obd::test
