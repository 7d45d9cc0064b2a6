#include "store/dbffile.h"

#include "common/errors.h"

#include <QDate>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace obd::dbf {

namespace {

QString errnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

DbfFile::~DbfFile() {
    Close();
}

void DbfFile::Open(const QString& path, const QString& context) {
    Close();
    const QByteArray native = path.toLocal8Bit();
    const int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT)
            throw TableError(QStringLiteral("Open: file not found: \"%1\".").arg(path));
        throw TableError(
            QStringLiteral("Open: cannot open \"%1\": %2.").arg(path, errnoText(error)));
    }
    // Read the whole file: tables are small, and a single snapshot makes every
    // later access a bounds-checked memory read.
    QByteArray bytes;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw TableError(QStringLiteral("Open: \"%1\" is no regular file.").arg(path));
    }
    bytes.resize(qsizetype(st.st_size));
    qint64 got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + got, size_t(bytes.size() - got), got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw TableError(
                QStringLiteral("Open: cannot read \"%1\": %2.").arg(path, errnoText(error)));
        }
        if (n == 0)
            break; // shrunk meanwhile: work with what is there
        got += n;
    }
    bytes.truncate(got);
    try {
        m_header = ParseHeader(bytes, path);
    } catch (...) {
        ::close(fd);
        throw;
    }
    const qint64 whole = RecordsOnDisk(m_header, got);
    const qint64 trusted = std::min<qint64>(whole, m_header.recordCount);
    if (trusted > std::numeric_limits<int>::max() / 2) {
        ::close(fd);
        throw TableError(
            QStringLiteral("'%1' ist keine gültige dBase-Tabelle: zu viele Datensätze").arg(path));
    }
    m_count = int(trusted);
    m_records = bytes.mid(m_header.headerLength, qsizetype(trusted) * m_header.recordLength);
    m_fileSize = got;
    m_fd = fd;
    m_path = path;
    m_context = context;
}

void DbfFile::Close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_records.clear();
    m_count = 0;
    m_header = Header{};
}

void DbfFile::Append(const QByteArray& record) {
    Q_ASSERT(record.size() == m_header.recordLength);
    const qint64 offset = m_header.headerLength + qint64(m_count) * m_header.recordLength;
    QByteArray tail = record;
    tail.append(kEndMark);
    writeAt(offset, tail.constData(), tail.size());
    const qint64 end = offset + tail.size();
    // Bytes beyond the new end are the remains of a post that never finished;
    // they must not turn into records later.
    if (m_fileSize > end && ::ftruncate(m_fd, end) != 0)
        writeFailed(errno);
    sync();
    updateHeader(quint32(m_count + 1));
    m_records.append(record);
    ++m_count;
    m_fileSize = end;
}

void DbfFile::Rewrite(int index, const QByteArray& record) {
    Q_ASSERT(index >= 0 && index < m_count && record.size() == m_header.recordLength);
    const qint64 offset = m_header.headerLength + qint64(index) * m_header.recordLength;
    writeAt(offset, record.constData(), record.size());
    sync();
    updateHeader(quint32(m_count));
    std::memcpy(m_records.data() + qsizetype(index) * m_header.recordLength, record.constData(),
                size_t(record.size()));
}

void DbfFile::writeAt(qint64 offset, const char* data, qint64 size) {
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(m_fd, data + done, size_t(size - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            writeFailed(n < 0 ? errno : ENOSPC);
        done += n;
    }
}

void DbfFile::sync() {
    if (::fdatasync(m_fd) != 0)
        writeFailed(errno);
}

void DbfFile::updateHeader(quint32 count) {
    char bytes[8] = {};
    PutCountAndDate(bytes, count, QDate::currentDate());
    writeAt(1, bytes + 1, 7);
    sync();
}

void DbfFile::writeFailed(int error) const {
    throw TableError(m_context +
                     QStringLiteral("Schreibfehler in \"%1\": %2").arg(m_path, errnoText(error)));
}

} // namespace obd::dbf
