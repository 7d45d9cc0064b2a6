// The tool bar's "Speichern": saves what the pages currently hold (the
// session's reading) as a visit of the current customer, after asking which
// customer it belongs to.
#pragma once

#include <functional>

namespace obd {

struct WorkbenchContext;

class VisitActions {
public:
    // showCustomerPage brings the "Customer" page forward, where the user
    // picks or adds the customer a visit is saved for.
    VisitActions(WorkbenchContext& ctx, std::function<void()> showCustomerPage)
        : m_ctx(ctx), m_showCustomerPage(std::move(showCustomerPage)) {}

    void btnSaveClick();

private:
    WorkbenchContext& m_ctx;
    std::function<void()> m_showCustomerPage;
};

} // namespace obd
