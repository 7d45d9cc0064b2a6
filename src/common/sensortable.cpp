#include "common/sensortable.h"

namespace obd {

namespace {
constexpr qsizetype NameCapacity = 127;
constexpr qsizetype UnitCapacity = 10;
} // namespace

SensorTable::SensorTable() {
    for (int k = 0; k < Size; ++k) {
        TSensorData& e = (*this)[k];
        e.Number = k + 1;
        e.Pid = QStringLiteral("%1").arg(k + 1, 2, 16, QLatin1Char('0')).toUpper();
        e.m_reading.text = QStringLiteral("0");
    }
}

void SensorTable::SetUp(const std::function<SensorRowInfo(int pid)>& info) {
    for (int k = 0; k < Size; ++k) {
        const SensorRowInfo row = info(k + 1);
        TSensorData& e = (*this)[k];
        e.Name = row.name.left(NameCapacity);
        e.UnitText = row.unit.left(UnitCapacity);
        e.IsSensor = row.isSensor;
    }
}

QString SensorTable::Value(int k) const {
    std::lock_guard lock(m_valueLock);
    return (*this)[k].m_reading.text;
}

void SensorTable::SetValue(int k, QString value) {
    SetReading(k, SensorReading{std::move(value), std::nullopt, 0});
}

SensorReading SensorTable::Reading(int k) const {
    std::lock_guard lock(m_valueLock);
    return (*this)[k].m_reading;
}

void SensorTable::SetReading(int k, SensorReading reading) {
    // Swapped in under the lock; the old text is released after it, by the
    // last of its holders.
    std::lock_guard lock(m_valueLock);
    std::swap((*this)[k].m_reading, reading);
}

int SensorTable::IndexOfPid(const QString& pid) const {
    for (int k = 0; k < Size; ++k) {
        if ((*this)[k].Pid == pid)
            return k;
    }
    return -1;
}

} // namespace obd
