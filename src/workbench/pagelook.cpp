#include "workbench/pagelook.h"

#include "workbench/context.h"

#include <QGuiApplication>

namespace obd {

void StopPollerAndWait(WorkbenchContext& ctx) {
    if (ctx.pollerRunning && ctx.pollerRunning() && ctx.requestPollerStop)
        ctx.requestPollerStop();
    if (ctx.waitForPollerIdle)
        ctx.waitForPollerIdle();
}

BusyCursor::BusyCursor() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
    QGuiApplication::restoreOverrideCursor();
}

} // namespace obd
