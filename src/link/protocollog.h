// The protocol log LogFile.txt: one Windows-1252 line per command, reply and
// user action, each ended by CR LF and appended across runs. Every line goes to
// the operating system as it is logged, whole or not at all, so a killed
// program loses no line and a full disk leaves no torn one; lines from
// different threads never interleave. A failed write does not stop the caller:
// it is handed back once to be reported, and logging goes on when it can. The
// file is rotated at a size limit to LogFile.1.txt ... LogFile.3.txt; the new
// file then begins with a line naming LogFile.1.txt as the file it continues.
#pragma once

#include <QString>
#include <mutex>

namespace obd {

class ProtocolLog {
public:
    static constexpr qint64 RotateBytes = 10 * 1024 * 1024;
    static constexpr int Generations = 3;

    // Opens the file for appending (creating it; anything but a regular file
    // is refused with FileError) and writes the start of a run's block: a
    // single blank, the asterisk line, " - Programmstart". A file that would
    // grow past rotateBytes is rotated first.
    explicit ProtocolLog(const QString& fileName, qint64 rotateBytes = RotateBytes);
    // Releases the file without the closing lines (as a killed run would).
    ~ProtocolLog();
    ProtocolLog(const ProtocolLog&) = delete;
    ProtocolLog& operator=(const ProtocolLog&) = delete;

    // Writes " - Programm terminated" and the asterisk line, then closes. A
    // failure of those lines not yet reported is raised (FileError) after the
    // close.
    void Close();

    // Appends text and CR LF. After Close, FileError. Returns the text of a
    // write failure the first time it happens (the disk is full, the file too
    // large), empty otherwise: while the failure lasts lines are dropped
    // without a further report, and the next line that can be written ends it.
    QString WriteLine(const QString& text);
    // Appends the time stamp, " - " and the phrase ("S: 0100", "Read DTC", ...).
    // The stamp is taken under the lock, so stamps never go back in the file.
    QString WriteEvent(const QString& phrase);

    const QString& fileName() const { return m_fileName; }
    // LogFile.<generation>.txt beside the log.
    QString generationName(int generation) const;

private:
    // Appends one line (or the start block, which a rotation then does not add
    // again); the failure to report, if new.
    QString writeLocked(const QByteArray& line, bool startsBlock = false);
    // The text of a failure to report, empty when none is new.
    QString failedLocked(const QString& text);
    // The failure to hand back: this line's, or the start block's.
    QString reportLocked(const QString& failure);
    bool appendLocked(const QByteArray& line, int& error);
    QString rotateLocked();
    QByteArray startBlockLocked();
    // The first line of a file rotated in the middle of a run:
    // " - Fortsetzung von LogFile.1.txt".
    QByteArray continuationLocked();
    QString stampLocked();

    QString m_fileName;
    qint64 m_rotateBytes;
    qint64 m_rotateAt;  // the size at which the next rotation is tried
    std::mutex m_mutex; // held while one line is written
    int m_fd = -1;
    bool m_failing = false; // a failure was reported and no line written since
    QString m_unreported;   // a failure of the start block, handed on with the next line
    // The time stamp text changes once a second; it is made again only then.
    qint64 m_stampSecond = -1;
    QString m_stamp;
};

} // namespace obd
