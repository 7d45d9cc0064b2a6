// A link over the real driver to elmsim, with the commands the log shows sent.
#pragma once

#include "link/comport.h"
#include "link/link.h"
#include "link/protocollog.h"
#include "link/support_link.h"

#include <QStringList>
#include <QTemporaryDir>

namespace obd::test {

struct SimulatedCar {
    explicit SimulatedCar(const QStringList& args);
    // Opens the port and switches the chip's echo off, as after a sequence;
    // a reply that does not come is waited for briefly.
    void open();
    QStringList sentCommands() const;

    Simulator simulator;
    QTemporaryDir folder;
    TComPort port;
    ProtocolLog log{folder.filePath(QStringLiteral("log.txt"))};
    RecordingNotifier notifier;
    Link link{port, &log, notifier};
};

} // namespace obd::test
