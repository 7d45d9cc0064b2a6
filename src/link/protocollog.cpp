#include "link/protocollog.h"

#include "common/codec.h"
#include "common/errors.h"
#include "common/regional.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace obd {

namespace {

const QString AsteriskLine = QString(49, QLatin1Char('*')) + QLatin1Char(' ');

FileError logError(const char* what, const QString& fileName, int error) {
    return FileError(
        QStringLiteral("Protokolldatei %1 %2: %3")
            .arg(fileName, QString::fromUtf8(what), QString::fromLocal8Bit(std::strerror(error))));
}

} // namespace

ProtocolLog::ProtocolLog(const QString& fileName) : m_fileName(fileName) {
    const QByteArray path = fileName.toLocal8Bit();
    m_fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0)
        throw logError("kann nicht geöffnet werden", m_fileName, errno);
    WriteLine(QStringLiteral(" "));
    WriteLine(AsteriskLine);
    WriteEvent(QStringLiteral("Programmstart"));
}

ProtocolLog::~ProtocolLog() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void ProtocolLog::Close() {
    WriteEvent(QStringLiteral("Programm terminated"));
    WriteLine(AsteriskLine);
    const std::lock_guard lock(m_mutex);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) < 0)
        throw logError("kann nicht geschlossen werden", m_fileName, errno);
}

void ProtocolLog::WriteEvent(const QString& phrase) {
    const QByteArray text = toCp1252(QStringLiteral(" - ") + phrase) + "\r\n";
    const std::lock_guard lock(m_mutex);
    writeLocked(toCp1252(stampLocked()) + text);
}

void ProtocolLog::WriteLine(const QString& text) {
    const QByteArray line = toCp1252(text) + "\r\n";
    const std::lock_guard lock(m_mutex);
    writeLocked(line);
}

QString ProtocolLog::stampLocked() {
    const qint64 now = std::time(nullptr);
    if (now != m_stampSecond) {
        m_stamp = TimeStampText(QDateTime::fromSecsSinceEpoch(now));
        m_stampSecond = now;
    }
    return m_stamp;
}

void ProtocolLog::writeLocked(const QByteArray& line) {
    if (m_fd < 0)
        throw logError("ist nicht zum Schreiben geöffnet", m_fileName, EBADF);
    const char* p = line.constData();
    qsizetype left = line.size();
    // One write() per line; a short write (disk nearly full) continues where
    // it stopped, still under the lock, so the line stays whole.
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw logError("kann nicht geschrieben werden", m_fileName, n < 0 ? errno : EIO);
        p += n;
        left -= n;
    }
}

} // namespace obd
