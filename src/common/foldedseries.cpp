#include "common/foldedseries.h"

#include <algorithm>
#include <cmath>

namespace obd {

void FoldedSeries::Start(double bucketSeconds, double windowSeconds, size_t capacity) {
    m_bucketSeconds = bucketSeconds;
    m_windowSeconds = windowSeconds;
    m_head = m_tail = 0;
    m_inBucket = 0;
    // Filled once, so a running series neither allocates nor touches new memory.
    m_points.assign(std::max<size_t>(capacity, 4), QPointF());
}

void FoldedSeries::Stop() {
    std::vector<QPointF>().swap(m_points);
    m_head = m_tail = 0;
    m_inBucket = 0;
}

void FoldedSeries::Add(QPointF p) {
    if (m_points.empty() || !std::isfinite(p.x()) || !std::isfinite(p.y()) ||
        (!empty() && p.x() < m_points[m_tail - 1].x()))
        return;
    fold(p);
    if (m_windowSeconds > 0)
        while (m_points[m_head].x() < p.x() - m_windowSeconds)
            ++m_head;
}

void FoldedSeries::fold(QPointF p) {
    const auto b = static_cast<long long>(std::floor(p.x() / m_bucketSeconds));
    if (empty() || b != m_bucket || m_inBucket < 2) {
        m_inBucket = (!empty() && b == m_bucket) ? m_inBucket + 1 : 1;
        m_bucket = b;
        if (m_tail == m_points.size())
            makeRoom();
        m_points[m_tail++] = p;
        return;
    }
    // The bucket holds its lowest and highest point in time order. A new
    // extreme (or an equal one, so a flat line ends at the newest point)
    // takes the place of the one it passes; a value in between is folded.
    QPointF& older = m_points[m_tail - 2];
    QPointF& newer = m_points[m_tail - 1];
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

void FoldedSeries::makeRoom() {
    if (m_windowSeconds > 0) {
        // The window holds at most half the storage, so this runs once per
        // window; should it not, the oldest point makes room.
        m_head = std::max<size_t>(m_head, 1);
        std::copy(m_points.begin() + std::ptrdiff_t(m_head), m_points.end(), m_points.begin());
        m_tail -= m_head;
        m_head = 0;
        return;
    }
    // Twice as wide buckets, folded again in place (a point is never written
    // behind the one being read), until there is room: every point stays
    // inside the span it was in, only its neighbours in a wider bucket go.
    while (m_tail == m_points.size()) {
        m_bucketSeconds *= 2;
        const size_t count = m_tail;
        m_tail = 0;
        m_inBucket = 0;
        for (size_t i = 0; i < count; ++i)
            fold(m_points[i]);
    }
}

const QPointF* FoldedSeries::From(double t) const {
    return std::lower_bound(begin(), end(), t,
                            [](const QPointF& p, double v) { return p.x() < v; });
}

} // namespace obd
