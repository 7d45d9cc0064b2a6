#include "support_session.h"

namespace obd::test {

SimulatedCar::SimulatedCar(const QStringList& args) : simulator(args) {
    port.SetPort(simulator.slavePath());
}

void SimulatedCar::open() {
    link.SetReplyWaitForTesting(300);
    port.Open();
    link.SendCommand(QStringLiteral("ATE0"));
    link.ReceiveReply();
}

QStringList SimulatedCar::sentCommands() const {
    QStringList commands;
    for (const QString& line : logLines(folder.filePath(QStringLiteral("log.txt")))) {
        const qsizetype at = line.indexOf(QStringLiteral(" - S: "));
        if (at >= 0)
            commands << line.mid(at + 6);
    }
    return commands;
}

} // namespace obd::test
