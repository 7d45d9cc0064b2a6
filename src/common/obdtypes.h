// Records shared by the diagnostic services, the trouble-code file and the
// pages: support flags, the decoded monitor status and trouble-code entries.
#pragma once

#include <QList>
#include <QString>
#include <array>

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

// The trouble-code descriptions, one entry per file line in file order.
using TTroubleCodeFile = QList<TTroubleCodeEntry>;

} // namespace obd
