// Large generated files for the benchmarks, written a block at a time.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>

namespace bench {

// Writes head, then line(0), line(1), ... until the file holds about bytes;
// false when it cannot be written.
inline bool WriteLines(const QString& path, qint64 bytes, const QByteArray& head,
                       const std::function<QByteArray(qint64)>& line) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray block = head;
    qint64 written = 0;
    for (qint64 n = 0; written + block.size() < bytes; ++n) {
        block += line(n);
        if (block.size() > (1 << 20)) {
            if (file.write(block) != block.size())
                return false;
            written += block.size();
            block.clear();
        }
    }
    return file.write(block) == block.size();
}

} // namespace bench
