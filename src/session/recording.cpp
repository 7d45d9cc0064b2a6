#include "session/recording.h"

#include "common/errors.h"

#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

namespace obd {

namespace {

constexpr char TimeTitle[] = "time_s";
constexpr char ClockTitle[] = "clock";

// A cell as CSV writes it: quoted when it holds a separator, a quote or a
// line break, with inner quotes doubled.
QByteArray CsvCell(const QString& text) {
    QByteArray cell = text.toUtf8();
    if (!cell.contains(',') && !cell.contains('"') && !cell.contains('\n') && !cell.contains('\r'))
        return cell;
    cell.replace("\"", "\"\"");
    return '"' + cell + '"';
}

// The cells of one CSV line (no line breaks inside quotes: none are written).
QStringList CsvCells(const QByteArray& line) {
    QStringList cells;
    QByteArray cell;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            cells << QString::fromUtf8(cell);
            cell.clear();
        } else {
            cell += c;
        }
    }
    cells << QString::fromUtf8(cell);
    return cells;
}

QString Title(const RecordedColumn& c) {
    return c.unit.isEmpty() ? c.name : QStringLiteral("%1 [%2]").arg(c.name, c.unit);
}

} // namespace

QString RecordingPath(const QString& path) {
    if (!QFileInfo(path).suffix().isEmpty())
        return path;
    // "fahrt." gets its suffix after the dot it already has.
    return path +
           (path.endsWith(QLatin1Char('.')) ? QStringLiteral("csv") : QStringLiteral(".csv"));
}

QByteArray RecordedValue(const SensorReading& reading) {
    // The full value, in the C locale whatever the user's separator is.
    return reading.number ? QByteArray::number(*reading.number, 'g', 15) : CsvCell(reading.text);
}

SensorRecorder::SensorRecorder(const QString& path, std::vector<RecordedColumn> columns,
                               QDateTime start)
    : m_file(path), m_columns(std::move(columns)), m_start(std::move(start)) {
    // Unbuffered, so a failed write is seen at the row it belongs to.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw FileError(QStringLiteral("Aufzeichnung %1 kann nicht angelegt werden: %2")
                            .arg(path, m_file.errorString()));
    QByteArray header = QByteArray(TimeTitle) + ',' + ClockTitle;
    for (const RecordedColumn& c : m_columns)
        header += ',' + CsvCell(Title(c));
    if (const auto failure = writeLine(header))
        throw FileError(*failure);
}

std::optional<QString> SensorRecorder::AppendPass(const SensorTable& table, const QDateTime& now) {
    if (m_failed)
        return QStringLiteral("Die Aufzeichnung ist beendet.");
    const qint64 ms = m_start.msecsTo(now);
    QByteArray line = QByteArray::number(double(ms) / 1000.0, 'f', 3) + ',' +
                      now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
    for (const RecordedColumn& c : m_columns)
        line += ',' + RecordedValue(table.Reading(c.entry));
    if (auto failure = writeLine(line))
        return failure;
    ++m_rows;
    return std::nullopt;
}

std::optional<QString> SensorRecorder::writeLine(const QByteArray& line) {
    const qint64 before = m_file.size();
    const QByteArray bytes = line + '\n';
    errno = 0;
    if (m_file.write(bytes) == bytes.size())
        return std::nullopt;
    const int error = errno;
    // A row cut short by the failure is taken back, so the file ends with
    // the last whole row.
    m_file.resize(before);
    m_failed = true;
    m_file.close();
    return QStringLiteral("Die Aufzeichnung wurde angehalten (%1): %2")
        .arg(m_file.fileName(),
             error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : m_file.errorString());
}

namespace {

std::optional<double> NumberIn(QByteArrayView cell) {
    double v = 0;
    const char* end = cell.data() + cell.size();
    const auto [at, error] = std::from_chars(cell.data(), end, v);
    // Only a value the chart can draw ("nan" and "inf" are no readings).
    if (cell.isEmpty() || error != std::errc() || at != end || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// The cells of a row one after the other, without copying: a quoted cell
// (a text) is skipped whole, commas inside it included.
class RowCells {
public:
    explicit RowCells(QByteArrayView line) : m_line(line) {}
    bool next(QByteArrayView& cell) {
        if (m_at > m_line.size())
            return false;
        const qsizetype start = m_at;
        bool quoted = false;
        qsizetype i = start;
        for (; i < m_line.size(); ++i) {
            if (m_line[i] == '"')
                quoted = !quoted;
            else if (m_line[i] == ',' && !quoted)
                break;
        }
        cell = m_line.sliced(start, i - start);
        m_at = i + 1;
        return true;
    }

private:
    QByteArrayView m_line;
    qsizetype m_at = 0;
};

FileError NoRecording(const QString& path) {
    return FileError(QStringLiteral("%1 ist keine Aufzeichnung.").arg(path));
}

RecordingTitle TitleOf(const QString& title) {
    const qsizetype open = title.lastIndexOf(QLatin1String(" ["));
    if (open > 0 && title.endsWith(QLatin1Char(']')))
        return {title.left(open), title.mid(open + 2, title.size() - open - 3)};
    return {title, {}};
}

// Reading one recording: header, the first row that decides the columns,
// then every row folded into the chosen series.
class RecordingReader {
public:
    RecordingReader(const QString& path, size_t capacity, const RecordingColumnChoice& choose)
        : m_path(path), m_capacity(capacity), m_choose(choose) {}

    void line(QByteArrayView text) {
        ++m_lines;
        if (text.endsWith('\r'))
            text.chop(1);
        if (m_lines == 1) {
            header(text);
            return;
        }
        if (text.trimmed().isEmpty())
            return;
        if (!m_chosen)
            choose(text);
        row(text);
    }
    LoadedRecording take() {
        if (m_lines == 0)
            throw NoRecording(m_path);
        return std::move(m_result);
    }

private:
    void header(QByteArrayView text) {
        const QStringList cells = CsvCells(QByteArray(text.data(), text.size()).trimmed());
        if (cells.size() < 2 || cells[0] != QLatin1String(TimeTitle) ||
            cells[1] != QLatin1String(ClockTitle))
            throw NoRecording(m_path);
        for (qsizetype c = 2; c < cells.size(); ++c)
            m_titles << TitleOf(cells[c]);
    }
    void choose(QByteArrayView text) {
        std::vector<bool> numeric(size_t(m_titles.size()), false);
        RowCells cells(text);
        QByteArrayView cell;
        for (qsizetype c = 0; cells.next(cell); ++c)
            if (c >= 2 && c - 2 < m_titles.size())
                numeric[size_t(c - 2)] = NumberIn(cell.trimmed()).has_value();
        m_slotOf.assign(size_t(m_titles.size()), -1);
        for (int column : m_choose(m_titles, numeric)) {
            if (column < 0 || column >= m_titles.size() || m_slotOf[size_t(column)] >= 0)
                continue;
            m_slotOf[size_t(column)] = int(m_result.series.size());
            LoadedRecording::Series series{m_titles[column].name, m_titles[column].unit, {}};
            series.points.Start(BucketSeconds, 0, m_capacity);
            m_result.series.push_back(std::move(series));
        }
        m_chosen = true;
    }
    void row(QByteArrayView text) {
        RowCells cells(text);
        QByteArrayView cell;
        cells.next(cell);
        const auto t = NumberIn(cell.trimmed());
        if (!t)
            throw NoRecording(m_path);
        m_result.seconds = std::max(m_result.seconds, *t);
        for (qsizetype c = 1; cells.next(cell); ++c) {
            if (c < 2 || c - 2 >= qsizetype(m_slotOf.size()) || m_slotOf[size_t(c - 2)] < 0)
                continue;
            if (const auto v = NumberIn(cell.trimmed()))
                m_result.series[size_t(m_slotOf[size_t(c - 2)])].points.Add(QPointF(*t, *v));
        }
    }

    // The chart's finest bucket: the folded series widen theirs as needed.
    static constexpr double BucketSeconds = 0.05;
    QString m_path;
    size_t m_capacity;
    const RecordingColumnChoice& m_choose;
    QList<RecordingTitle> m_titles;
    std::vector<int> m_slotOf; // per column: its series, or -1
    bool m_chosen = false;
    qint64 m_lines = 0;
    LoadedRecording m_result;
};

} // namespace

LoadedRecording ReadRecording(const QString& path, size_t capacity,
                              const RecordingColumnChoice& choose,
                              const std::function<bool(qint64, qint64)>& progress) {
    QFile file(path);
    // A FIFO or a device in the file's place would never end.
    if (QFileInfo(path).exists() && !QFileInfo(path).isFile())
        throw NoRecording(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Aufzeichnung %1 kann nicht gelesen werden: %2")
                            .arg(path, file.errorString()));
    const qint64 total = file.size();
    RecordingReader reader(path, capacity, choose);
    constexpr qint64 BlockBytes = 1024 * 1024;
    // A block and the start of a line that goes on in the next one.
    QByteArray buffer;
    buffer.reserve(BlockBytes + MaxRecordingLine);
    qint64 done = 0;
    qint64 lineNumber = 0;
    const auto tooLong = [&] {
        return FileError(QStringLiteral("%1 ist keine Aufzeichnung: Zeile %2 ist länger als %3 KB.")
                             .arg(path)
                             .arg(lineNumber + 1)
                             .arg(MaxRecordingLine / 1024));
    };
    for (;;) {
        const qsizetype kept = buffer.size();
        buffer.resize(kept + BlockBytes);
        const qint64 got = file.read(buffer.data() + kept, BlockBytes);
        if (got < 0)
            throw FileError(QStringLiteral("Aufzeichnung %1 kann nicht gelesen werden: %2")
                                .arg(path, file.errorString()));
        buffer.resize(kept + got);
        done += got;
        const QByteArrayView all(buffer);
        qsizetype start = 0;
        for (qsizetype end; (end = all.indexOf('\n', start)) >= 0; start = end + 1) {
            if (end - start > MaxRecordingLine)
                throw tooLong();
            reader.line(all.sliced(start, end - start));
            ++lineNumber;
        }
        buffer.remove(0, start);
        if (buffer.size() > MaxRecordingLine)
            throw tooLong();
        if (got == 0)
            break;
        if (progress && !progress(done, total)) {
            LoadedRecording cancelled;
            cancelled.cancelled = true;
            return cancelled;
        }
    }
    if (!buffer.isEmpty())
        reader.line(buffer);
    return reader.take();
}

std::vector<int> ChooseRecordingColumns(const QList<RecordingTitle>& columns,
                                        const std::vector<bool>& numeric,
                                        const QStringList& watched, int count) {
    std::vector<int> chosen;
    const auto taken = [&](int c) {
        return std::find(chosen.begin(), chosen.end(), c) != chosen.end();
    };
    for (const QString& name : watched)
        for (int c = 0; c < columns.size(); ++c)
            if (columns[c].name == name && !taken(c) && int(chosen.size()) < count) {
                chosen.push_back(c);
                break;
            }
    for (int c = 0; c < columns.size() && int(chosen.size()) < count; ++c)
        if (size_t(c) < numeric.size() && numeric[size_t(c)] && !taken(c))
            chosen.push_back(c);
    return chosen;
}

} // namespace obd
