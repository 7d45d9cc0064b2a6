// The trend chart: up to four series over the last seconds of time, each
// drawn on its own scale with its name, range and unit in its colour. Points
// arrive by time; the chart shows the span up to the newest point, so it
// stands still when no points come. A click names the values at that moment.
#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <array>
#include <optional>
#include <vector>

namespace obd {

class TrendChart : public QWidget {
    Q_OBJECT
public:
    static constexpr int MaxSeries = 4;
    // The longest span that can be chosen; older points are dropped.
    static constexpr double MaxSpanSeconds = 600;
    // Points closer in time than this are folded: of each such bucket a
    // series keeps only its lowest and its highest point, so a fast poller's
    // thousands of points a second cost no more memory and drawing than
    // twenty buckets a second, and a short spike still shows.
    static constexpr double BucketSeconds = 0.05;

    explicit TrendChart(QWidget* parent = nullptr);

    // Names slot's series (empty name: the slot is off) and drops its points.
    void SetSeries(int slot, const QString& name, const QString& unit);
    // Shows slot's values as value * factor + offset in unit (factor > 0),
    // the points staying as they came; SetSeries shows them as they are.
    void SetScale(int slot, const QString& unit, double factor, double offset);
    // Adds one moment: t in seconds, a value per slot (none: no number then).
    void Append(double t, const std::array<std::optional<double>, MaxSeries>& values);
    // Shows a whole series at once (a loaded recording), folded and limited
    // to the longest span like appended points.
    void SetPoints(int slot, const QList<QPointF>& points);
    void SetSpan(double seconds);
    double Span() const { return m_span; }
    // The text a click at x shows: the time and each series' value there.
    QString ValuesAt(int x) const;

signals:
    void valuesPicked(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct Series {
        QString name;
        QString unit;
        double factor = 1;
        double offset = 0;
        // The points in view are points[head, tail), in time order. The
        // storage is filled once when the series is named, so a running
        // chart neither allocates nor touches new memory.
        std::vector<QPointF> points;
        size_t head = 0;
        size_t tail = 0;
        long long bucket = 0;
        int inBucket = 0;
        const QPointF* begin() const { return points.data() + head; }
        const QPointF* end() const { return points.data() + tail; }
        bool empty() const { return head == tail; }
        // The first point at or after time t.
        const QPointF* from(double t) const;
        void clear();
        void add(QPointF p);
    };
    QRectF plotArea() const;
    double newest() const;
    void scheduleRepaint();

    std::array<Series, MaxSeries> m_series;
    double m_span = 60;
    bool m_repaintPending = false;
};

} // namespace obd
