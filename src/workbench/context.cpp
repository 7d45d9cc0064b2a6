#include "workbench/context.h"

#include "link/comport.h"
#include "link/link.h"
#include "link/protocollog.h"
#include "store/records.h"

namespace obd {

// Defined here, where the owned types are complete.
WorkbenchContext::~WorkbenchContext() = default;

} // namespace obd
