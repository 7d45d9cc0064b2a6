// The "Sensordaten" page: the sensor grid with its owner-drawn columns E and S,
// "Show not Supported", the tabs "Tabelle" and "Einzeln", and live polling on
// the session's polling worker with the pass counter.
#pragma once

#include "services/j1979.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QTableWidget;

namespace obd {

struct WorkbenchContext;
class SensorPoller;
class SensorThread;

class SensorPage : public QWidget {
    Q_OBJECT
public:
    // Sets up the sensor table from the PID table, fills the grid and installs
    // the poller hooks of the context.
    SensorPage(WorkbenchContext& ctx, QWidget* parent = nullptr);
    ~SensorPage() override;

    // Reads the supported PIDs from the vehicle and takes them over.
    void ApplySupportedPids();
    // Takes over the supported PIDs the connection sequence read and refills
    // the grid.
    void ApplySupportedPids(const TSupportedPids& flags);
    void FillSensorGrid();

    void btnSensorsReadClick();
    void btnSensorsStopClick();
    void cbShowNotSupportedClick();
    void tcSensordataTabChanged(int index);
    void SensorDataGridMouseUp(QPoint position);

    SensorThread& Poller();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SensorThreadStart();
    void NotifyEvent1();
    void SensorThreadTerminate(const QString& error);
    QWidget* makeSinglePage();
    void sizeColumns();
    // Switches polling of a grid row's sensor, if it is supported.
    void toggleEnabled(int row);

    WorkbenchContext& m_ctx;
    SensorPoller* m_poller = nullptr;
    QTableWidget* SensorDataGrid = nullptr;
    QCheckBox* cbShowNotSupported = nullptr;
    QPushButton* btnSensorsRead = nullptr;
    QPushButton* btnSensorsStop = nullptr;
    QLabel* Label6 = nullptr;
    QTabBar* tcSensordata = nullptr;
    QStackedWidget* nbSensordata = nullptr;
};

} // namespace obd
