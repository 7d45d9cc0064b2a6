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

// Two points per bucket over the longest span, and as much again so the
// points in view are moved to the front only once per span.
constexpr size_t PointCapacity =
    4 * (size_t(TrendChart::MaxSpanSeconds / TrendChart::BucketSeconds) + 2);

} // namespace

void TrendChart::Series::clear() {
    head = tail = 0;
    inBucket = 0;
    if (name.isEmpty())
        std::vector<QPointF>().swap(points);
    else
        points.resize(PointCapacity);
}

void TrendChart::Series::add(QPointF p) {
    // A slot that is off keeps nothing. A value that cannot be drawn, or a
    // time running backwards (an edited recording), would break the drawing
    // and the search by time.
    if (points.empty() || !std::isfinite(p.x()) || !std::isfinite(p.y()) ||
        (!empty() && p.x() < points[tail - 1].x()))
        return;
    const auto b = static_cast<long long>(std::floor(p.x() / BucketSeconds));
    if (empty() || b != bucket || inBucket < 2) {
        inBucket = (!empty() && b == bucket) ? inBucket + 1 : 1;
        bucket = b;
        if (tail == points.size()) {
            // The span holds at most half the storage, so this runs once per
            // span; should it not, the oldest point makes room.
            head = std::max<size_t>(head, 1);
            std::copy(points.begin() + std::ptrdiff_t(head), points.end(), points.begin());
            tail -= head;
            head = 0;
        }
        points[tail++] = p;
    } else {
        // The bucket holds its lowest and highest point in time order. A new
        // extreme (or an equal one, so a flat line ends at the newest point)
        // takes the place of the one it passes; a value in between is folded.
        QPointF& older = points[tail - 2];
        QPointF& newer = points[tail - 1];
        const bool olderHigh = older.y() >= newer.y();
        if (p.y() >= std::max(older.y(), newer.y())) {
            if (olderHigh)
                older = newer;
            newer = p;
        } else if (p.y() <= std::min(older.y(), newer.y())) {
            if (!olderHigh)
                older = newer;
            newer = p;
        }
    }
    while (points[head].x() < p.x() - MaxSpanSeconds)
        ++head;
}

const QPointF* TrendChart::Series::from(double t) const {
    return std::lower_bound(begin(), end(), t,
                            [](const QPointF& p, double v) { return p.x() < v; });
}

TrendChart::TrendChart(QWidget* parent) : QWidget(parent) {
    setMinimumSize(200, 120);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void TrendChart::SetSeries(int slot, const QString& name, const QString& unit) {
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
    for (size_t k = 0; k < m_series.size(); ++k) {
        Series& s = m_series[k];
        if (!s.name.isEmpty() && values[k])
            s.add(QPointF(t, *values[k]));
    }
    scheduleRepaint();
}

void TrendChart::SetPoints(int slot, const QList<QPointF>& points) {
    Series& s = m_series[size_t(slot)];
    s.clear();
    for (const QPointF& p : points)
        s.add(p);
    scheduleRepaint();
}

void TrendChart::SetSpan(double seconds) {
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
        if (!s.empty())
            t = std::max(t, (s.end() - 1)->x());
    return t;
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
    const double end = newest();
    const double start = end - m_span;
    painter.setPen(QColor(200, 200, 200));
    painter.drawRect(area);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRectF(area.left(), area.bottom() + 2, area.width(), 16), Qt::AlignLeft,
                     QStringLiteral("-%1 s").arg(Number(m_span)));
    painter.drawText(QRectF(area.left(), area.bottom() + 2, area.width(), 16), Qt::AlignRight,
                     QStringLiteral("%1 s").arg(Number(end)));
    for (size_t k = 0; k < m_series.size(); ++k) {
        const Series& s = m_series[k];
        if (s.name.isEmpty())
            continue;
        const QPointF* first = s.from(start);
        double lo = 0, hi = 0;
        bool any = false;
        for (const QPointF* it = first; it != s.end(); ++it) {
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
        for (const QPointF* it = first; it != s.end(); ++it) {
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
    const double t = newest() - m_span + (x - area.left()) / area.width() * m_span;
    QStringList parts{QStringLiteral("%1 s").arg(Number(t))};
    for (const Series& s : m_series) {
        if (s.name.isEmpty())
            continue;
        const QPointF* it = s.from(t);
        std::optional<QPointF> nearest;
        if (it != s.end())
            nearest = *it;
        if (it != s.begin() && (!nearest || t - std::prev(it)->x() < nearest->x() - t))
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
