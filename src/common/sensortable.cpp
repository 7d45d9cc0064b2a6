#include "common/sensortable.h"

namespace obd {

namespace {
constexpr qsizetype NameCapacity = 127;
constexpr qsizetype UnitCapacity = 10;

QString PidText(int pid) {
    return QStringLiteral("%1").arg(pid, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

QString TSensorData::Key() const {
    return Field == 0 ? Pid : Pid + QLatin1Char('/') + QString::number(Field + 1);
}

SensorTable::SensorTable() {
    for (int k = 0; k < Size; ++k) {
        TSensorData& e = m_entries.emplace_back();
        e.Number = k + 1;
        e.Pid = PidText(k + 1);
        e.m_reading.text = QStringLiteral("0");
    }
}

void SensorTable::AddRow(int pid, int field, const QString& name, const QString& unit) {
    TSensorData& e = m_entries.emplace_back();
    e.Number = pid;
    e.Pid = PidText(pid);
    e.Field = field;
    e.Name = name.left(NameCapacity);
    e.UnitText = unit.left(UnitCapacity);
    e.IsSensor = true;
    e.m_reading.text = QStringLiteral("0");
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
    for (int k = 0; k < Count(); ++k) {
        if ((*this)[k].Pid == pid)
            return k;
    }
    return -1;
}

int SensorTable::IndexOfKey(const QString& key) const {
    // A PID's further values follow the row of its first one.
    const qsizetype slash = key.indexOf(QLatin1Char('/'));
    const int first = IndexOfPid(key.left(slash));
    if (slash < 0 || first < 0)
        return first;
    bool number = false;
    const int k = first + key.mid(slash + 1).toInt(&number) - 1;
    return number && k > first && k < Count() && (*this)[k].Pid == (*this)[first].Pid ? k : -1;
}

} // namespace obd
