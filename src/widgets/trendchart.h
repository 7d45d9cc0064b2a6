// The trend chart: up to four series over the last seconds of time, each
// drawn on its own scale with its name, range and unit in its colour. Points
// arrive by time; the chart shows the span up to the newest point, so it
// stands still when no points come, or a whole recording from its start. The
// time axis counts from the start (never below 0 s) in readable units. A
// click names the values at that moment.
#pragma once

#include "common/foldedseries.h"

#include <QString>
#include <QWidget>
#include <array>
#include <optional>
#include <utility>

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
    // The points a series keeps: two per bucket over the longest span, and
    // as much again so the points in view are moved to the front only once
    // per span. A recording shown is folded into as many.
    static constexpr size_t SeriesCapacity = 4 * (size_t(MaxSpanSeconds / BucketSeconds) + 2);

    explicit TrendChart(QWidget* parent = nullptr);

    // Names slot's series (empty name: the slot is off) and drops its points.
    // A recording shown is left for the live values: every slot's points go.
    void SetSeries(int slot, const QString& name, const QString& unit);
    // Shows slot's values as value * factor + offset in unit (factor > 0),
    // the points staying as they came; SetSeries shows them as they are.
    void SetScale(int slot, const QString& unit, double factor, double offset);
    // Adds one moment: t in seconds since the start, a value per slot (none:
    // no number then). Ignored while a recording is shown.
    void Append(double t, const std::array<std::optional<double>, MaxSeries>& values);

    // A series of a recording: its name (empty: the slot is off), unit and
    // points folded from the recording's start (FoldedSeries without window).
    struct Recorded {
        QString name;
        QString unit;
        FoldedSeries points;
    };
    // Shows a recording of the given length, whole, from 0 s on.
    void ShowRecording(double seconds, const std::array<Recorded, MaxSeries>& series);
    bool ShowsRecording() const { return m_recording; }
    // The live span; a recording shown is left for the live values.
    void SetSpan(double seconds);
    double Span() const { return m_span; }
    // The times at the left and the right end of the axis.
    std::pair<double, double> Axis() const;
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
        // Its storage is taken once when the series is named, so a running
        // chart neither allocates nor touches new memory.
        FoldedSeries points;
        // Empties the series for live values (a slot without name keeps nothing).
        void clear();
    };
    QRectF plotArea() const;
    double newest() const;
    void scheduleRepaint();
    void leaveRecording();

    std::array<Series, MaxSeries> m_series;
    double m_span = 60;
    bool m_recording = false;
    bool m_repaintPending = false;
};

} // namespace obd
