#include "widgets/trendchart.h"

#include "common/regional.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace obd {

namespace {

constexpr std::array<QRgb, TrendChart::MaxSeries> SeriesColours{0x1f5fbf, 0xc0392b, 0x1e8449,
                                                                0x8e44ad};
// Repaints are gathered: a fast poller adds points far more often than a
// screen can show them.
constexpr int RepaintIntervalMs = 40;
constexpr int LegendLineHeight = 14;

// Six significant digits with the user's separator, no grouping.
QString Number(double v) {
    return QString::number(v, 'g', 6).replace(QLatin1Char('.'), DecimalSeparator());
}

// A time on the axis: seconds under a minute, then minutes and seconds, then
// hours ("0 s", "12,5 s", "2:30 min", "1:05:00 h").
QString Duration(double seconds) {
    if (seconds < 59.95) {
        const double tenths = std::round(seconds * 10) / 10;
        return QStringLiteral("%1 s").arg(Number(tenths));
    }
    const auto whole = static_cast<long long>(std::llround(seconds));
    const QString ss = QStringLiteral("%1").arg(whole % 60, 2, 10, QLatin1Char('0'));
    if (whole < 3600)
        return QStringLiteral("%1:%2 min").arg(whole / 60).arg(ss);
    return QStringLiteral("%1:%2:%3 h")
        .arg(whole / 3600)
        .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(ss);
}

} // namespace

void TrendChart::Series::clear() {
    if (name.isEmpty())
        points.Stop();
    else
        points.Start(BucketSeconds, MaxSpanSeconds, SeriesCapacity);
}

TrendChart::TrendChart(QWidget* parent) : QWidget(parent) {
    setMinimumSize(200, 120);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void TrendChart::SetSeries(int slot, const QString& name, const QString& unit) {
    leaveRecording();
    Series& s = m_series[size_t(slot)];
    s.name = name;
    s.unit = unit;
    s.factor = 1;
    s.offset = 0;
    s.clear();
    scheduleRepaint();
}

void TrendChart::SetScale(int slot, const QString& unit, double factor, double offset) {
    Series& s = m_series[size_t(slot)];
    s.unit = unit;
    s.factor = factor;
    s.offset = offset;
    update();
}

void TrendChart::Append(double t, const std::array<std::optional<double>, MaxSeries>& values) {
    if (m_recording)
        return;
    for (size_t k = 0; k < m_series.size(); ++k) {
        Series& s = m_series[k];
        if (!s.name.isEmpty() && values[k])
            s.points.Add(QPointF(t, *values[k]));
    }
    scheduleRepaint();
}

void TrendChart::ShowRecording(double seconds, const std::array<Recorded, MaxSeries>& series) {
    for (size_t k = 0; k < m_series.size(); ++k) {
        Series& s = m_series[k];
        s.name = series[k].name;
        s.unit = series[k].unit;
        s.factor = 1;
        s.offset = 0;
        s.points = s.name.isEmpty() ? FoldedSeries() : series[k].points;
    }
    m_recording = true;
    m_span = std::max(seconds, 1.0);
    update();
}

void TrendChart::leaveRecording() {
    if (!m_recording)
        return;
    m_recording = false;
    for (Series& s : m_series)
        s.clear();
}

void TrendChart::SetSpan(double seconds) {
    leaveRecording();
    m_span = std::clamp(seconds, 1.0, MaxSpanSeconds);
    update();
}

void TrendChart::scheduleRepaint() {
    if (m_repaintPending)
        return;
    m_repaintPending = true;
    QTimer::singleShot(RepaintIntervalMs, this, [this] {
        m_repaintPending = false;
        update();
    });
}

double TrendChart::newest() const {
    double t = 0;
    for (const Series& s : m_series)
        if (!s.points.empty())
            t = std::max(t, (s.points.end() - 1)->x());
    return t;
}

std::pair<double, double> TrendChart::Axis() const {
    // A recording from its start; live values over the span up to the
    // newest, from 0 s on until the span is full.
    const double start = m_recording ? 0 : std::max(0.0, newest() - m_span);
    return {start, start + m_span};
}

QRectF TrendChart::plotArea() const {
    const int legend = LegendLineHeight * MaxSeries + 6;
    return QRectF(8, legend, width() - 16, height() - legend - 20);
}

void TrendChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = plotArea();
    if (area.width() < 2 || area.height() < 2)
        return;
    const auto [start, end] = Axis();
    painter.setPen(QColor(200, 200, 200));
    painter.drawRect(area);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRectF(area.left(), area.bottom() + 2, area.width(), 16), Qt::AlignLeft,
                     Duration(start));
    painter.drawText(QRectF(area.left(), area.bottom() + 2, area.width(), 16), Qt::AlignRight,
                     Duration(end));
    for (size_t k = 0; k < m_series.size(); ++k) {
        const Series& s = m_series[k];
        if (s.name.isEmpty())
            continue;
        const QPointF* first = s.points.From(start);
        double lo = 0, hi = 0;
        bool any = false;
        for (const QPointF* it = first; it != s.points.end(); ++it) {
            lo = any ? std::min(lo, it->y()) : it->y();
            hi = any ? std::max(hi, it->y()) : it->y();
            any = true;
        }
        const QColor colour{SeriesColours[k]};
        painter.setPen(colour);
        // The scale shows the series' units; the drawing does not change with
        // them.
        const auto shown = [&s](double v) { return Number(v * s.factor + s.offset); };
        const QString range =
            any ? QStringLiteral("%1 … %2").arg(shown(lo), shown(hi)) : QStringLiteral("N/A");
        painter.drawText(QPointF(8, LegendLineHeight * (int(k) + 1)),
                         QStringLiteral("%1: %2 %3").arg(s.name, range, s.unit));
        if (!any)
            continue;
        // Each series on its own scale: its visible range fills the height.
        if (hi - lo < 1e-9) {
            lo -= 1;
            hi += 1;
        }
        const auto xOf = [&](double t) {
            return area.left() + (t - start) / m_span * area.width();
        };
        const auto yOf = [&](double v) {
            return area.bottom() - (v - lo) / (hi - lo) * (area.height() - 2) - 1;
        };
        // One vertical stroke per pixel column from its lowest to its
        // highest value, so the cost stays with the width, not the points.
        QPolygonF line;
        line.reserve(2 * int(area.width()) + 4);
        int column = -1;
        double colLo = 0, colHi = 0;
        const auto flush = [&] {
            if (column < 0)
                return;
            line << QPointF(column, yOf(colLo)) << QPointF(column, yOf(colHi));
        };
        for (const QPointF* it = first; it != s.points.end(); ++it) {
            const int x = int(std::floor(xOf(it->x())));
            if (x != column) {
                flush();
                column = x;
                colLo = colHi = it->y();
            } else {
                colLo = std::min(colLo, it->y());
                colHi = std::max(colHi, it->y());
            }
        }
        flush();
        painter.save();
        painter.setClipRect(area);
        // A one-pixel aliased line: a noisy value turns the line at every
        // column, and a wide or antialiased stroke of such a line takes the
        // rasterizer seconds, a thin one a millisecond.
        QPen pen(colour, 1);
        pen.setCosmetic(true);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(pen);
        painter.drawPolyline(line);
        painter.restore();
    }
}

QString TrendChart::ValuesAt(int x) const {
    const QRectF area = plotArea();
    const double t = Axis().first + (x - area.left()) / area.width() * m_span;
    QStringList parts{Duration(std::max(t, 0.0))};
    for (const Series& s : m_series) {
        if (s.name.isEmpty())
            continue;
        const QPointF* it = s.points.From(t);
        std::optional<QPointF> nearest;
        if (it != s.points.end())
            nearest = *it;
        if (it != s.points.begin() && (!nearest || t - std::prev(it)->x() < nearest->x() - t))
            nearest = *std::prev(it);
        parts << QStringLiteral("%1: %2 %3")
                     .arg(s.name,
                          nearest ? Number(nearest->y() * s.factor + s.offset)
                                  : QStringLiteral("N/A"),
                          s.unit)
                     .trimmed();
    }
    return parts.join(QStringLiteral("; "));
}

void TrendChart::mousePressEvent(QMouseEvent* event) {
    const QString text = ValuesAt(event->position().toPoint().x());
    setToolTip(text);
    emit valuesPicked(text);
}

} // namespace obd
