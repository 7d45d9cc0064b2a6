// Recordings of live values: every polling pass as one CSV row (seconds since
// the start, wall-clock time, one column per PID with its unit in the header,
// numbers in the C locale), and the reading of such a file back for the chart.
#pragma once

#include "common/foldedseries.h"
#include "common/sensortable.h"

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
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

// A recorded column as its header names it.
struct RecordingTitle {
    QString name;
    QString unit;
};

// A recording read back for the chart: of the chosen columns the header and
// the values by time (x: seconds since the start; cells without a number
// are left out), folded into a fixed amount of memory however long the file.
struct LoadedRecording {
    struct Series {
        QString name;
        QString unit;
        FoldedSeries points;
    };
    std::vector<Series> series; // in the order chosen
    double seconds = 0;         // the last row's time
    bool cancelled = false;
};

// The longest line a recording can have: a header or row of every sensor
// with its longest text is far shorter. A longer one means another file.
constexpr qsizetype MaxRecordingLine = 64 * 1024;

// Picks the columns to read (indices into columns, at most as many as the
// chart shows) from the recording's columns and whether each held a number
// in the first row.
using RecordingColumnChoice = std::function<std::vector<int>(const QList<RecordingTitle>& columns,
                                                             const std::vector<bool>& numeric)>;

// Reads a file written by SensorRecorder as a stream, one block at a time,
// so memory stays bounded whatever the file: each chosen column is folded
// into capacity points. progress(bytes read, file size) is called after each
// block and stops the reading when it returns false (the result is then
// marked cancelled). Raises FileError when the file cannot be read, is no
// recording or has a line longer than MaxRecordingLine.
LoadedRecording ReadRecording(const QString& path, size_t capacity,
                              const RecordingColumnChoice& choose,
                              const std::function<bool(qint64, qint64)>& progress);

// The columns a chart shows of a recording: those named in watched (the
// values the user watches), in that order, then further columns with a
// number in the first row, in file order, up to count columns in all. Text
// columns (a state text) are never chosen.
std::vector<int> ChooseRecordingColumns(const QList<RecordingTitle>& columns,
                                        const std::vector<bool>& numeric,
                                        const QStringList& watched, int count);

// The file a recording typed as path is written to: path with ".csv" added
// when its file name has no suffix of its own.
QString RecordingPath(const QString& path);

// The value written into a recording's cell.
QByteArray RecordedValue(const SensorReading& reading);

} // namespace obd
