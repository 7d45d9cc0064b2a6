// The stored port settings: the port name and line settings under the value
// names Port, BaudRate, CustomBaudRate, StopBits, DataBits, Parity and
// FlowControl, as texts (CustomBaudRate as a number), and AutoBaud "True"
// while rate detection is on. The program keeps them
// in QSettings("Quorix", "OBDTorvane"); tests pass their own file.
#pragma once

#include <QSettings>

namespace obd {

class TComPort;

// Writes the port's settings; "Failed to store settings" when the store
// cannot be written.
void StorePortSettings(const TComPort& port, QSettings& settings);

// Reads the settings into the port. Names and texts are matched without regard
// to case; a missing or unknown text gives the default of its value.
// "Failed to load settings" when a value cannot be read as its type, or the
// port name holds a NUL or a line break.
void LoadPortSettings(TComPort& port, QSettings& settings);

// True when the settings file exists and may be written.
bool PortSettingsWritable(const QSettings& settings);

// Start-up: loads the settings when the store exists and may be written,
// otherwise stores the port's current settings (the first start writes the
// defaults). A store that exists but may not be written is loaded before the
// store is tried, so its port is used although "Failed to store settings"
// follows.
void LoadOrStorePortSettings(TComPort& port, QSettings& settings);

} // namespace obd
