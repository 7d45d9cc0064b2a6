#include "workbench/pagelook.h"

#include "workbench/context.h"

namespace obd {

void WaitForPoller(WorkbenchContext& ctx) {
    if (ctx.waitForPollerIdle)
        ctx.waitForPollerIdle();
}

} // namespace obd
