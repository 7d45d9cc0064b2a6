#include "link/protocollog.h"

#include "common/codec.h"
#include "common/errors.h"
#include "common/regional.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace obd {

namespace {

const QString AsteriskLine = QString(49, QLatin1Char('*')) + QLatin1Char(' ');

QString logErrorText(const char* what, const QString& fileName, int error) {
    return QStringLiteral("Protokolldatei %1 %2: %3")
        .arg(fileName, QString::fromUtf8(what), QString::fromLocal8Bit(std::strerror(error)));
}

FileError logError(const char* what, const QString& fileName, int error) {
    return FileError(logErrorText(what, fileName, error));
}

// Opens the log for appending. A FIFO, device or folder in its place is
// refused before it could block the open or swallow the lines.
int openLog(const QString& fileName) {
    const QByteArray path = fileName.toLocal8Bit();
    const FileError notAFile(
        QStringLiteral("Protokolldatei %1 ist keine gewöhnliche Datei").arg(fileName));
    struct stat st {};
    if (::stat(path.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        throw notAFile;
    const int fd =
        ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0)
        throw logError("kann nicht geöffnet werden", fileName, errno);
    // Swapped in after the check: still refused, and never waited on.
    if (::fstat(fd, &st) < 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw notAFile;
    }
    return fd;
}

} // namespace

ProtocolLog::ProtocolLog(const QString& fileName, qint64 rotateBytes)
    : m_fileName(fileName), m_rotateBytes(rotateBytes), m_rotateAt(rotateBytes) {
    m_fd = openLog(fileName);
    const std::lock_guard lock(m_mutex);
    // A failure here has nobody to go to yet: the next line hands it on.
    m_unreported = writeLocked(startBlockLocked(), true);
}

ProtocolLog::~ProtocolLog() {
    if (m_fd >= 0)
        ::close(m_fd);
}

QString ProtocolLog::generationName(int generation) const {
    const QFileInfo info(m_fileName);
    return info.dir().filePath(
        QStringLiteral("%1.%2.%3").arg(info.completeBaseName()).arg(generation).arg(info.suffix()));
}

void ProtocolLog::Close() {
    QString failure = WriteEvent(QStringLiteral("Programm terminated"));
    const QString last = WriteLine(AsteriskLine);
    if (failure.isEmpty())
        failure = last;
    const std::lock_guard lock(m_mutex);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) < 0)
        throw logError("kann nicht geschlossen werden", m_fileName, errno);
    // Nobody is left to report it later.
    if (!failure.isEmpty())
        throw FileError(failure);
}

QString ProtocolLog::WriteEvent(const QString& phrase) {
    const QByteArray text = toCp1252(QStringLiteral(" - ") + phrase) + "\r\n";
    const std::lock_guard lock(m_mutex);
    return reportLocked(writeLocked(toCp1252(stampLocked()) + text));
}

QString ProtocolLog::WriteLine(const QString& text) {
    const QByteArray line = toCp1252(text) + "\r\n";
    const std::lock_guard lock(m_mutex);
    return reportLocked(writeLocked(line));
}

QString ProtocolLog::stampLocked() {
    const qint64 now = std::time(nullptr);
    if (now != m_stampSecond) {
        m_stamp = TimeStampText(QDateTime::fromSecsSinceEpoch(now));
        m_stampSecond = now;
    }
    return m_stamp;
}

QByteArray ProtocolLog::startBlockLocked() {
    return toCp1252(QStringLiteral(" \r\n") + AsteriskLine + QStringLiteral("\r\n") +
                    stampLocked() + QStringLiteral(" - Programmstart\r\n"));
}

QByteArray ProtocolLog::continuationLocked() {
    return toCp1252(stampLocked() + QStringLiteral(" - Fortsetzung von ") +
                    QFileInfo(generationName(1)).fileName() + QStringLiteral("\r\n"));
}

QString ProtocolLog::reportLocked(const QString& failure) {
    return failure.isEmpty() ? std::exchange(m_unreported, QString()) : failure;
}

QString ProtocolLog::failedLocked(const QString& text) {
    if (m_failing)
        return QString();
    m_failing = true;
    return text;
}

bool ProtocolLog::appendLocked(const QByteArray& line, int& error) {
    const off_t start = ::lseek(m_fd, 0, SEEK_END);
    const char* p = line.constData();
    qsizetype left = line.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            // A line is whole or not there: cut off the part that got out.
            if (left < line.size() && start >= 0 && ::ftruncate(m_fd, start) < 0)
                error = errno;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

QString ProtocolLog::rotateLocked() {
    // LogFile.2.txt -> LogFile.3.txt, ..., LogFile.txt -> LogFile.1.txt; the
    // oldest generation is replaced.
    for (int g = Generations; g >= 1; --g) {
        const QString from = g == 1 ? m_fileName : generationName(g - 1);
        if (::rename(from.toLocal8Bit().constData(), generationName(g).toLocal8Bit().constData()) <
                0 &&
            errno != ENOENT)
            return logErrorText("kann nicht umbenannt werden", from, errno);
    }
    try {
        const int fd = openLog(m_fileName);
        ::close(m_fd);
        m_fd = fd;
    } catch (const FileError& e) {
        // The lines go on into the renamed file until a new one can be made.
        return e.text();
    }
    return QString();
}

QString ProtocolLog::writeLocked(const QByteArray& line, bool startsBlock) {
    if (m_fd < 0)
        throw logError("ist nicht zum Schreiben geöffnet", m_fileName, EBADF);
    QString rotationFailure;
    struct stat st {};
    if (::fstat(m_fd, &st) == 0 && st.st_size > 0 && st.st_size + line.size() > m_rotateAt) {
        rotationFailure = rotateLocked();
        // After a failure the next attempt comes one limit later, not per line.
        m_rotateAt = rotationFailure.isEmpty() ? m_rotateBytes : st.st_size + m_rotateBytes;
        int error = 0;
        // In the middle of a run the new file begins by naming the file it
        // continues; a run's start block is not repeated there.
        if (rotationFailure.isEmpty() && !startsBlock && !appendLocked(continuationLocked(), error))
            return failedLocked(logErrorText("kann nicht geschrieben werden", m_fileName, error));
    }
    int error = 0;
    if (!appendLocked(line, error))
        return failedLocked(logErrorText("kann nicht geschrieben werden", m_fileName, error));
    m_failing = false;
    return rotationFailure;
}

} // namespace obd
