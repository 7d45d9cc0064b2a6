// The exchange's message boxes, shown on the GUI thread. Called from the
// polling worker, the call waits until the user has closed the box, as a
// modal box would on one thread.
#pragma once

#include "link/link.h"

namespace obd {

class MessageBoxes;

class GuiNotifier : public LinkNotifier {
public:
    explicit GuiNotifier(MessageBoxes& boxes) : m_boxes(boxes) {}
    void showChipError(const QString& message) override;
    void showNoCommunication(const QString& message) override;
    void showLogFailure(const QString& message) override;

private:
    void showError(const QString& message);
    MessageBoxes& m_boxes;
};

} // namespace obd
