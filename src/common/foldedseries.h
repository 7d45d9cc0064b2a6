// A series of points by time kept in a fixed amount of memory: points closer
// in time than a bucket are folded into the bucket's lowest and highest point
// (in time order), so a short spike still shows however many points came.
// Either the series slides (points older than a window are dropped: a live
// chart) or it keeps everything from its first point on and widens its
// buckets whenever its storage fills (a recording read back, however long).
#pragma once

#include <QPointF>
#include <cstddef>
#include <vector>

namespace obd {

class FoldedSeries {
public:
    // Off: keeps nothing until Start.
    FoldedSeries() = default;

    // Starts empty with buckets of bucketSeconds and room for capacity points.
    // windowSeconds > 0: points older than that behind the newest are
    // dropped (capacity should hold two points per bucket of the window, and
    // as much again); windowSeconds == 0: nothing is dropped and the buckets
    // widen instead.
    void Start(double bucketSeconds, double windowSeconds, size_t capacity);
    // Off again, its storage given back.
    void Stop();
    bool IsOn() const { return !m_points.empty(); }

    // Adds p. A point that cannot be drawn (not finite) or that goes back in
    // time is ignored.
    void Add(QPointF p);

    const QPointF* begin() const { return m_points.data() + m_head; }
    const QPointF* end() const { return m_points.data() + m_tail; }
    bool empty() const { return m_head == m_tail; }
    size_t size() const { return m_tail - m_head; }
    // The first point at or after time t.
    const QPointF* From(double t) const;
    double BucketSeconds() const { return m_bucketSeconds; }

private:
    void fold(QPointF p);
    // Makes room at the end: drops the oldest points of a sliding series,
    // widens the buckets of a whole one.
    void makeRoom();

    std::vector<QPointF> m_points;
    size_t m_head = 0;
    size_t m_tail = 0;
    double m_bucketSeconds = 0;
    double m_windowSeconds = 0;
    long long m_bucket = 0;
    int m_inBucket = 0;
};

} // namespace obd
