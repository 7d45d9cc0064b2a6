// The protocol log LogFile.txt: one Windows-1252 line per command, reply and
// user action, each ended by CR LF and appended across runs. Every line goes to
// the operating system in one write() as it is logged, so a killed program
// loses no line; lines from different threads never interleave.
#pragma once

#include <QString>
#include <mutex>

namespace obd {

class ProtocolLog {
public:
    // Opens the file for appending (creating it) and writes the start of a
    // run's block: a single blank, the asterisk line, " - Programmstart".
    explicit ProtocolLog(const QString& fileName);
    // Releases the file without the closing lines (as a killed run would).
    ~ProtocolLog();
    ProtocolLog(const ProtocolLog&) = delete;
    ProtocolLog& operator=(const ProtocolLog&) = delete;

    // Writes " - Programm terminated" and the asterisk line, then closes.
    void Close();

    // Appends text and CR LF. After Close, or on a write failure, FileError.
    void WriteLine(const QString& text);
    // Appends the time stamp, " - " and the phrase ("S: 0100", "Read DTC", ...).
    // The stamp is taken under the lock, so stamps never go back in the file.
    void WriteEvent(const QString& phrase);

    const QString& fileName() const { return m_fileName; }

private:
    void writeLocked(const QByteArray& line);
    QString stampLocked();

    QString m_fileName;
    std::mutex m_mutex; // held while one line is written
    int m_fd = -1;
    // The time stamp text changes once a second; it is made again only then.
    qint64 m_stampSecond = -1;
    QString m_stamp;
};

} // namespace obd
