#include "session/recording.h"

#include "common/errors.h"

#include <QStringList>
#include <cerrno>
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

QList<RecordedSeries> LoadRecording(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Aufzeichnung %1 kann nicht gelesen werden: %2")
                            .arg(path, file.errorString()));
    const QStringList header = CsvCells(file.readLine().trimmed());
    if (header.size() < 2 || header[0] != QLatin1String(TimeTitle) ||
        header[1] != QLatin1String(ClockTitle))
        throw FileError(QStringLiteral("%1 ist keine Aufzeichnung.").arg(path));
    QList<RecordedSeries> series;
    for (qsizetype c = 2; c < header.size(); ++c) {
        RecordedSeries s;
        const QString& title = header[c];
        const qsizetype open = title.lastIndexOf(QLatin1String(" ["));
        if (open > 0 && title.endsWith(QLatin1Char(']'))) {
            s.name = title.left(open);
            s.unit = title.mid(open + 2, title.size() - open - 3);
        } else {
            s.name = title;
        }
        series << s;
    }
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty())
            continue;
        const QStringList cells = CsvCells(line);
        bool ok = false;
        const double t = cells[0].toDouble(&ok);
        if (!ok)
            throw FileError(QStringLiteral("%1 ist keine Aufzeichnung.").arg(path));
        for (qsizetype c = 2; c < cells.size() && c - 2 < series.size(); ++c) {
            const double v = cells[c].toDouble(&ok);
            if (ok)
                series[c - 2].points << QPointF(t, v);
        }
    }
    return series;
}

} // namespace obd
