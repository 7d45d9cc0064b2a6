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

TableError NotRegularFile(const QString& path) {
    return TableError(QStringLiteral("Open: \"%1\" is no regular file.").arg(path));
}

} // namespace

DbfFile::~DbfFile() {
    Close();
}

void DbfFile::Open(const QString& path, const QString& context, bool readOnly) {
    Close();
    const QByteArray native = path.toLocal8Bit();
    // Non-blocking, so that a FIFO or a device in place of the table cannot
    // hold the opening; anything but a regular file is refused below.
    const int fd = ::open(native.constData(),
                          (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT)
            throw TableError(QStringLiteral("Open: file not found: \"%1\".").arg(path));
        if (error == EISDIR || error == ENXIO)
            throw NotRegularFile(path);
        throw TableError(
            QStringLiteral("Open: cannot open \"%1\": %2.").arg(path, errnoText(error)));
    }
    // Read the whole file: tables are small, and a single snapshot makes every
    // later access a bounds-checked memory read.
    QByteArray bytes;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw NotRegularFile(path);
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
    AppendMany({record});
}

void DbfFile::AppendMany(const std::vector<QByteArray>& records) {
    if (records.empty())
        return;
    adoptRecordsOnDisk();
    const qint64 offset = m_header.headerLength + qint64(m_count) * m_header.recordLength;
    // The records go out marked deleted and are switched live with one-byte
    // writes once all of them are in the file: a write cut short by a kill (it
    // can stop at a page boundary) leaves hidden records, never a half-filled
    // one, also for readers that read up to the end mark instead of the count.
    QByteArray tail;
    tail.reserve(qsizetype(records.size()) * m_header.recordLength + 1);
    for (const QByteArray& record : records) {
        Q_ASSERT(record.size() == m_header.recordLength);
        tail.append(record);
        tail[tail.size() - m_header.recordLength] = kDeletedMark;
    }
    tail.append(kEndMark);
    writeAt(offset, tail.constData(), tail.size());
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i][0] != kDeletedMark)
            writeAt(offset + qint64(i) * m_header.recordLength, records[i].constData(), 1);
    const qint64 end = offset + tail.size();
    // Bytes beyond the new end are the remains of a post that never finished;
    // they must not turn into records later.
    if (m_fileSize > end && ::ftruncate(m_fd, end) != 0)
        writeFailed(errno);
    // One sync makes the records and the count durable together. The count
    // is trusted only as far as the file holds whole records, and the file
    // systems extend a file's durable size only once its new blocks are
    // written, so a count that reaches the disk before its records counts
    // none of them; a kill leaves the writes done so far in this order.
    writeCountAndDate(quint32(m_count + int(records.size())));
    sync();
    for (const QByteArray& record : records)
        m_records.append(record);
    m_count += int(records.size());
    m_fileSize = end;
}

void DbfFile::adoptRecordsOnDisk() {
    // Another writer (one that took no lock, or an earlier release) may have
    // appended since the file was read: the records its header counts are
    // taken over, so the new ones go after them and overwrite none.
    struct stat st {};
    unsigned char count[4] = {};
    if (::fstat(m_fd, &st) != 0)
        writeFailed(errno);
    const ssize_t n = ::pread(m_fd, count, 4, 4);
    if (n != 4)
        writeFailed(n < 0 ? errno : EIO);
    const quint32 stated = quint32(count[0]) | quint32(count[1]) << 8 | quint32(count[2]) << 16 |
                           quint32(count[3]) << 24;
    const qint64 onDisk = std::min<qint64>(stated, RecordsOnDisk(m_header, st.st_size));
    m_fileSize = std::max<qint64>(m_fileSize, st.st_size);
    if (onDisk <= m_count || onDisk > std::numeric_limits<int>::max() / 2)
        return;
    const qint64 extra = (onDisk - m_count) * m_header.recordLength;
    QByteArray bytes(qsizetype(extra), '\0');
    const qint64 offset = m_header.headerLength + qint64(m_count) * m_header.recordLength;
    qint64 got = 0;
    while (got < extra) {
        const ssize_t n = ::pread(m_fd, bytes.data() + got, size_t(extra - got), offset + got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            writeFailed(n < 0 ? errno : EIO);
        got += n;
    }
    m_records.append(bytes);
    m_count = int(onDisk);
}

void DbfFile::Rewrite(int index, const QByteArray& record) {
    Q_ASSERT(index >= 0 && index < m_count && record.size() == m_header.recordLength);
    // The count written with the date must include what another writer
    // appended meanwhile, or their records would drop out of the file.
    adoptRecordsOnDisk();
    const qint64 offset = m_header.headerLength + qint64(index) * m_header.recordLength;
    // Both writes replace bytes in place, so their order on disk does not
    // matter and one sync makes them durable together.
    writeAt(offset, record.constData(), record.size());
    writeCountAndDate(quint32(m_count));
    sync();
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

void DbfFile::writeCountAndDate(quint32 count) {
    char bytes[8] = {};
    PutCountAndDate(bytes, count, QDate::currentDate());
    writeAt(1, bytes + 1, 7);
}

void DbfFile::writeFailed(int error) const {
    throw TableError(m_context +
                     QStringLiteral("Schreibfehler in \"%1\": %2").arg(m_path, errnoText(error)));
}

} // namespace obd::dbf
