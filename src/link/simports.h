// Where the chip simulator announces its pseudo-terminals: symlinks in one
// per-user folder, so the program can offer them beside the real devices.
#pragma once

#include <QString>
#include <QStringList>

namespace obd {

// $XDG_RUNTIME_DIR/obd-torvane, or obd-torvane-<uid> in the temp folder when
// that variable is unset.
QString SimulatorPortFolder();

// The announced ports whose pseudo-terminal still exists, in name order.
QStringList SimulatorPorts();

} // namespace obd
