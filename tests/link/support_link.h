// Test fixtures for the link: a pseudo-terminal whose master side plays the
// chip from a script, elmsim, a Wi-Fi adapter on 127.0.0.1, and a notifier
// that records the message boxes.
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
#include <netinet/in.h>
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

// 127.0.0.1 at port (the only address the tests connect to).
sockaddr_in Loopback(quint16 port);

// A listening socket on 127.0.0.1 at a port the system picks.
class Listener {
public:
    explicit Listener(int backlog = 4);
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;
    QString address() const; // "127.0.0.1:port"
    quint16 port() const { return m_port; }
    // The next connection, or -1 when none comes within 10 s.
    int accept() const;

private:
    int m_fd = -1;
    quint16 m_port = 0;
};

// A Wi-Fi adapter: elmsim (with args) behind a TCP server on 127.0.0.1 that
// passes the bytes of one connection to and from the chip's terminal, as the
// adapter's bridge does.
class WifiAdapter {
public:
    explicit WifiAdapter(const QStringList& args = {});
    ~WifiAdapter();
    QString address() const { return m_listener.address(); }

private:
    Simulator m_chip;
    Listener m_listener;
    int m_stop[2] = {-1, -1};
    std::thread m_thread;
};

// Lines of a log file as written (CR LF split off, Windows-1252 decoded).
QStringList logLines(const QString& fileName);

} // namespace obd::test
