// The sensor table: one entry per service 01 PID 01..20 (hex) with its
// constants, the last value text and the polling flags, followed by the rows
// of the further PIDs, one per value of a PID. The polling worker and the GUI
// thread share it: Enabled, Supported and ShowNotSupported are atomics read
// whole per row, and the value texts are only reached through Value() and
// SetValue(), which hold the table's lock, so a text is never read while it is
// being replaced. Rows are added at start-up only, before any worker runs.
#pragma once

#include <QString>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

namespace obd {

// What a value shows when the vehicle gave none: not supported, not polled or
// its request failed.
inline const QString NotAvailable = QStringLiteral("N/A");

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
    qint32 Number = 0; // the value of the PID: 1..32, further rows beyond
    QString Pid;       // two upper-case hex digits, "01".."20", further rows beyond
    QString Name;      // at most 127 characters
    QString UnitText;  // at most 10 characters
    bool IsSensor = false;
    std::atomic<bool> Enabled{true};
    std::atomic<bool> Supported{false};
    // Which of the PID's values the row shows: 0 for the first (and for
    // every PID 01..20).
    int Field = 0;

    // What names the row among all: the PID text, and for a PID's further
    // values the PID text, "/" and the value's number ("24/2").
    QString Key() const;

private:
    friend class SensorTable;
    SensorReading m_reading; // guarded by SensorTable's lock
};

class SensorTable {
public:
    // The rows of PIDs 01..20; entry k holds PID k + 1.
    static constexpr int Size = 32;

    // The start-up state: numbers and PID texts set, value "0", enabled, not
    // supported; names, units and the sensor-row flag come with SetUp().
    SensorTable();
    SensorTable(const SensorTable&) = delete;
    SensorTable& operator=(const SensorTable&) = delete;

    // Takes name, unit and sensor-row flag of every PID from the PID table;
    // info is called with the PID value 1..32.
    void SetUp(const std::function<SensorRowInfo(int pid)>& info);

    // Adds a row after the last one: a value of a PID beyond 20, with the
    // start-up state (value "0", enabled, not supported, a sensor row).
    void AddRow(int pid, int field, const QString& name, const QString& unit);
    // Every row: the 32 of PIDs 01..20 and the added ones.
    int Count() const { return int(m_entries.size()); }

    TSensorData& operator[](int k) { return m_entries[static_cast<size_t>(k)]; }
    const TSensorData& operator[](int k) const { return m_entries[static_cast<size_t>(k)]; }

    QString Value(int k) const;
    // A value text without a number ("N/A", "Fehler", a state text).
    void SetValue(int k, QString value);
    SensorReading Reading(int k) const;
    void SetReading(int k, SensorReading reading);

    // Entry index of a PID text (the row of its first value), or -1.
    int IndexOfPid(const QString& pid) const;
    // Entry index of a row's Key(), or -1.
    int IndexOfKey(const QString& key) const;

    // The worker's copy of the sensor page's "Show not Supported" box.
    std::atomic<bool> ShowNotSupported{false};

private:
    std::deque<TSensorData> m_entries; // a deque: rows never move
    mutable std::mutex m_valueLock;
};

} // namespace obd
