// Records shared by the diagnostic services, the trouble-code file and the
// pages: support flags, the decoded monitor status and trouble-code entries.
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <initializer_list>
#include <vector>

namespace obd {

// Support flags of service 01 PIDs 01 to 20: element k stands for PID k + 1.
using TSupportedPids = std::array<bool, 32>;

// The answer to service 01 PID 01: MIL and stored-code count from byte A, one
// flag per bit of bytes B, C and D in bit order. Fourteen flags are decoded;
// the ten Undecoded ones are always false.
struct TMonitorStatus {
    qint32 DtcCount = 0;
    bool MilOn = false;
    // byte B
    bool MisfireSupported = false;
    bool FuelSystemSupported = false;
    bool ComponentsSupported = false;
    bool UndecodedB3 = false;
    bool MisfireIncomplete = false;
    bool FuelSystemIncomplete = false;
    bool ComponentsIncomplete = false;
    bool UndecodedB7 = false;
    // byte C
    bool CatalystSupported = false;
    bool UndecodedC1 = false;
    bool EvapSystemSupported = false;
    bool UndecodedC3 = false;
    bool UndecodedC4 = false;
    bool OxygenSensorSupported = false;
    bool OxygenSensorHeaterSupported = false;
    bool UndecodedC7 = false;
    // byte D
    bool CatalystIncomplete = false;
    bool UndecodedD1 = false;
    bool EvapSystemIncomplete = false;
    bool UndecodedD3 = false;
    bool UndecodedD4 = false;
    bool OxygenSensorIncomplete = false;
    bool OxygenSensorHeaterIncomplete = false;
    bool UndecodedD7 = false;

    bool operator==(const TMonitorStatus&) const = default;
};

// A trouble code (at most 5 characters) with one description line (at most
// 127 characters).
struct TTroubleCodeEntry {
    QString Code;
    QString Text;
};

// The trouble-code descriptions, one entry per file line in file order. The
// table is read-only once made, which lets it keep an index from code to
// lines: a lookup then costs a hash look-up instead of a walk over every
// entry, which matters for files of many thousand lines.
class TTroubleCodeFile {
public:
    TTroubleCodeFile() = default;
    TTroubleCodeFile(QList<TTroubleCodeEntry> entries);
    TTroubleCodeFile(std::initializer_list<TTroubleCodeEntry> entries);

    const QList<TTroubleCodeEntry>& entries() const { return m_entries; }
    qsizetype size() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    const TTroubleCodeEntry& operator[](qsizetype i) const { return m_entries[i]; }
    QList<TTroubleCodeEntry>::const_iterator begin() const { return m_entries.cbegin(); }
    QList<TTroubleCodeEntry>::const_iterator end() const { return m_entries.cend(); }

    // The texts of every entry whose code equals code exactly, in file order.
    QStringList textsOf(const QString& code) const;

private:
    QList<TTroubleCodeEntry> m_entries;
    // First line of each code, and for every line the next line of its code
    // (-1 after the last): the lines of one code in file order.
    QHash<QString, qsizetype> m_first;
    std::vector<qsizetype> m_next;
};

} // namespace obd
