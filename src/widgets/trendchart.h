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
#include <deque>
#include <optional>

namespace obd {

class TrendChart : public QWidget {
    Q_OBJECT
public:
    static constexpr int MaxSeries = 4;
    // The longest span that can be chosen; older points are dropped.
    static constexpr double MaxSpanSeconds = 600;

    explicit TrendChart(QWidget* parent = nullptr);

    // Names slot's series (empty name: the slot is off) and drops its points.
    void SetSeries(int slot, const QString& name, const QString& unit);
    // Shows slot's values as value * factor + offset in unit (factor > 0),
    // the points staying as they came; SetSeries shows them as they are.
    void SetScale(int slot, const QString& unit, double factor, double offset);
    // Adds one moment: t in seconds, a value per slot (none: no number then).
    void Append(double t, const std::array<std::optional<double>, MaxSeries>& values);
    // Shows a whole series at once (a loaded recording).
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
        std::deque<QPointF> points;
    };
    QRectF plotArea() const;
    double newest() const;
    void scheduleRepaint();

    std::array<Series, MaxSeries> m_series;
    double m_span = 60;
    bool m_repaintPending = false;
};

} // namespace obd
