// One open table file: its header and records in memory, and durable writes
// that keep the file readable whenever the process may be killed.
#pragma once

#include "store/dbfformat.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace obd::dbf {

class DbfFile {
public:
    DbfFile() = default;
    DbfFile(const DbfFile&) = delete;
    DbfFile& operator=(const DbfFile&) = delete;
    ~DbfFile();

    // Opens path for reading and writing (readOnly: for reading only, and
    // nothing may be written), shared with other readers. Throws TableError
    // for a missing, unreadable or invalid file; context goes in front of
    // texts that do not stand on their own.
    void Open(const QString& path, const QString& context, bool readOnly = false);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    const Header& header() const { return m_header; }
    const std::vector<FieldDef>& fields() const { return m_header.fields; }
    const QString& path() const { return m_path; }

    // Records trusted from the file: the stated count, but never more whole
    // records than the file holds.
    int RecordCount() const { return m_count; }
    const char* Record(int index) const {
        return m_records.constData() + qsizetype(index) * m_header.recordLength;
    }

    // Writes new records after the last one on disk, with the end mark and
    // the header's count and date, durable with one sync. Records another
    // writer appended meanwhile are read in first (RecordCount() grows by
    // them), so none is overwritten.
    void Append(const QByteArray& record);
    void AppendMany(const std::vector<QByteArray>& records);
    // Writes an existing record in place (also to set its deletion mark),
    // durably, with the header's date.
    void Rewrite(int index, const QByteArray& record);

private:
    void adoptRecordsOnDisk();
    void writeAt(qint64 offset, const char* data, qint64 size);
    void sync();
    void writeCountAndDate(quint32 count);
    [[noreturn]] void writeFailed(int error) const;

    int m_fd = -1;
    QString m_path;
    QString m_context;
    Header m_header;
    QByteArray m_records;
    int m_count = 0;
    qint64 m_fileSize = 0;
};

} // namespace obd::dbf
