// The tool bar's "Speichern" and "Öffnen": saving what the pages currently
// hold (the session's reading) as a visit of the current customer, after
// asking which customer it belongs to; and picking a saved visit from the
// list to view it.
#pragma once

#include <functional>

class QWidget;

namespace obd {
class TfReport;
}

namespace obd {

struct WorkbenchContext;

class VisitActions {
public:
    // showCustomerPage brings the "Customer" page forward, where the user
    // picks or adds the customer a visit is saved for.
    VisitActions(WorkbenchContext& ctx, QWidget* window, std::function<void()> showCustomerPage)
        : m_ctx(ctx), m_window(window), m_showCustomerPage(std::move(showCustomerPage)) {}

    void btnSaveClick();
    void btnOpenClick();
    // The report of the visit saved or opened last; the blank form without one.
    void btnPrintClick(TfReport& report);

private:
    WorkbenchContext& m_ctx;
    QWidget* m_window;
    std::function<void()> m_showCustomerPage;
};

} // namespace obd
