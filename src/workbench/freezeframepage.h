// The page "Freeze Frames": on "Read", the trouble code that stored freeze
// frame 0 and every value the frame holds, in the chosen units; "N/A" before
// a read, and a clear line when the vehicle stored no frame. The frame read
// goes into the session's reading; a saved visit's frame shows in its place.
#pragma once

#include "session/vehicledata.h"
#include "store/visits.h"

#include <QWidget>
#include <optional>

class QLabel;
class QTableWidget;

namespace obd {

struct WorkbenchContext;

class FreezeFramePage : public QWidget {
    Q_OBJECT
public:
    explicit FreezeFramePage(WorkbenchContext& ctx, QWidget* parent = nullptr);

    void btnFreezeFrameReadClick();
    // A saved visit's frame in place of the one read; and back to that one.
    void ShowSavedVisit(const VisitRecord& visit);
    void EndSavedVisit();

protected:
    // Shown again in the units chosen meanwhile.
    void showEvent(QShowEvent* event) override;

private:
    void showFrame(const FreezeFrame& frame);
    void showCode(const QString& code, const QString& state);

    WorkbenchContext& m_ctx;
    std::optional<FreezeFrame> m_frame;
    QLabel* labFreezeFrameDTC = nullptr;
    QLabel* labFreezeFrameState = nullptr;
    QTableWidget* FreezeFrameGrid = nullptr;
};

} // namespace obd
