// Recordings of live values: every polling pass as one CSV row (seconds since
// the start, wall-clock time, one column per PID with its unit in the header,
// numbers in the C locale), and the reading of such a file back into series.
#pragma once

#include "common/sensortable.h"

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QPointF>
#include <QString>
#include <optional>
#include <vector>

namespace obd {

// One recorded column: the sensor table entry and the header it is written with.
struct RecordedColumn {
    int entry; // index into the sensor table
    QString name;
    QString unit;
};

class SensorRecorder {
public:
    // Creates the file (replacing one of that name) and writes the header;
    // raises FileError when it cannot.
    SensorRecorder(const QString& path, std::vector<RecordedColumn> columns, QDateTime start);

    // Appends the current values of the table as one row. A failed write
    // (full disk, folder removed) leaves the file as it was before the row
    // and returns the reason; then nothing more is written.
    std::optional<QString> AppendPass(const SensorTable& table, const QDateTime& now);

    qint64 Rows() const { return m_rows; }
    const QDateTime& Start() const { return m_start; }
    QString Path() const { return m_file.fileName(); }

private:
    std::optional<QString> writeLine(const QByteArray& line);

    QFile m_file;
    std::vector<RecordedColumn> m_columns;
    QDateTime m_start;
    qint64 m_rows = 0;
    bool m_failed = false;
};

// A recording read back: per column its header and its values by time.
struct RecordedSeries {
    QString name;
    QString unit;
    QList<QPointF> points; // x: seconds since the start; rows without a number are left out
};

// Reads a file written by SensorRecorder; raises FileError when it cannot be
// opened or is not such a recording.
QList<RecordedSeries> LoadRecording(const QString& path);

// The value written into a recording's cell.
QByteArray RecordedValue(const SensorReading& reading);

} // namespace obd
