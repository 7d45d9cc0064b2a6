// The tool bar's "Speichern" and "Öffnen": saving what the pages currently
// hold (the session's reading) as a visit of the current customer, after
// asking which customer it belongs to; and picking a saved visit from the
// list to show it on the pages.
#pragma once

#include <QtGlobal>
#include <functional>

class QWidget;

namespace obd {
class TfReport;
}

namespace obd {

struct WorkbenchContext;

// Shows the saved visit with this number on the pages.
void OpenVisit(WorkbenchContext& ctx, qint32 number);

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
    // False, after saying why, when the reading holds nothing the car said,
    // lacks the stored codes it failed to read, or was saved already.
    bool refuseUnfitReading();

    WorkbenchContext& m_ctx;
    QWidget* m_window;
    std::function<void()> m_showCustomerPage;
};

} // namespace obd
