// The sensor table: one entry per service 01 PID 01..20 (hex) with its
// constants, the last value text and the polling flags. The polling worker and
// the GUI thread share it: Enabled, Supported and ShowNotSupported are atomics
// read whole per row, and the value texts are only reached through Value() and
// SetValue(), which hold the table's lock, so a text is never read while it is
// being replaced.
#pragma once

#include <QString>
#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>

namespace obd {

// One polled value: the value text as the table keeps it, and for a number
// its full value and the digits after the separator it is shown with.
struct SensorReading {
    QString text;
    std::optional<double> number;
    int decimals = 0;
};

// What the sensor table takes over from the PID table for one PID.
struct SensorRowInfo {
    QString name;
    QString unit;
    bool isSensor = false;
};

class SensorTable;

class TSensorData {
public:
    qint32 Number = 0; // 1..32, the value of the PID
    QString Pid;       // two upper-case hex digits, "01".."20"
    QString Name;      // at most 127 characters
    QString UnitText;  // at most 10 characters
    bool IsSensor = false;
    std::atomic<bool> Enabled{true};
    std::atomic<bool> Supported{false};

private:
    friend class SensorTable;
    SensorReading m_reading; // guarded by SensorTable's lock
};

class SensorTable {
public:
    static constexpr int Size = 32;

    // The start-up state: numbers and PID texts set, value "0", enabled, not
    // supported; names, units and the sensor-row flag come with SetUp().
    SensorTable();
    SensorTable(const SensorTable&) = delete;
    SensorTable& operator=(const SensorTable&) = delete;

    // Takes name, unit and sensor-row flag of every PID from the PID table;
    // info is called with the PID value 1..32.
    void SetUp(const std::function<SensorRowInfo(int pid)>& info);

    TSensorData& operator[](int k) { return m_entries[static_cast<size_t>(k)]; }
    const TSensorData& operator[](int k) const { return m_entries[static_cast<size_t>(k)]; }

    QString Value(int k) const;
    // A value text without a number ("N/A", "Fehler", a state text).
    void SetValue(int k, QString value);
    SensorReading Reading(int k) const;
    void SetReading(int k, SensorReading reading);

    // Entry index of a PID text, or -1.
    int IndexOfPid(const QString& pid) const;

    // The worker's copy of the sensor page's "Show not Supported" box.
    std::atomic<bool> ShowNotSupported{false};

private:
    std::array<TSensorData, Size> m_entries;
    mutable std::mutex m_valueLock;
};

} // namespace obd
