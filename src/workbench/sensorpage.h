// The "Sensordaten" page: the sensor grid with its owner-drawn columns E and S,
// "Show not Supported", the tabs "Tabelle" and "Einzeln", and live polling on
// the session's polling worker with the pass counter.
#pragma once

#include "services/j1979.h"

#include <QElapsedTimer>
#include <QList>
#include <QWidget>
#include <array>
#include <memory>
#include <utility>

class QCheckBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QTableView;
class QComboBox;

namespace obd {

struct WorkbenchContext;
class SensorPoller;
class SensorThread;
class LivePanel;
class TrendChart;
class SensorRecorder;
class SensorModel;

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

    // Starts writing every pass into path (FileError when it cannot be
    // created); StopRecording ends it. "Aufzeichnen" asks for the name.
    void StartRecording(const QString& path);
    void StopRecording();
    bool Recording() const { return m_recorder != nullptr; }
    // Shows a recording in the chart, whole: the values the panels watch as
    // far as the file has them, then its other numeric columns. The file is
    // read on a worker thread behind a progress box with "Abbrechen" (the
    // chart stays as it was when cancelled); raises FileError for a file
    // that is not a recording.
    void LoadRecording(const QString& path);
    void btnRecordClick();
    void btnLoadClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void SensorThreadStart();
    void NotifyEvent1();
    void SensorThreadTerminate(const QString& error);
    QWidget* makeSinglePage();
    QWidget* makeChartPage();
    // Offers the supported sensor rows in the four panels and names the
    // chart's series after their choices, when they changed.
    void refreshChoices();
    // Shows grid, panels and chart in the unit system of the settings, when
    // it changed.
    void applyUnitSystem();
    // The chart's scale of a panel's series in the unit system.
    void scaleSeries(int panel);
    void panelChosen(int panel, int entry);
    // The chart's series of a panel: its entry's name and unit, no points.
    void nameSeries(int panel, int entry);
    void showLive();
    void showRecordingState();
    void sizeColumns();
    // Switches polling of a grid row's sensor, if it is supported.
    void toggleEnabled(int row);

    WorkbenchContext& m_ctx;
    SensorPoller* m_poller = nullptr;
    SensorModel* m_model = nullptr;
    QTableView* SensorDataGrid = nullptr;
    QCheckBox* cbShowNotSupported = nullptr;
    QPushButton* btnSensorsRead = nullptr;
    QPushButton* btnSensorsStop = nullptr;
    QLabel* Label6 = nullptr;
    QTabBar* tcSensordata = nullptr;
    QStackedWidget* nbSensordata = nullptr;
    std::array<LivePanel*, 4> m_panels{};
    QList<std::pair<int, QString>> m_choices; // what the panels offer
    std::array<QString, 4> m_seriesUnits;     // the unit each chart series was read in
    TrendChart* m_chart = nullptr;
    QComboBox* m_span = nullptr;
    QLabel* m_picked = nullptr;
    QPushButton* btnRecord = nullptr;
    std::unique_ptr<SensorRecorder> m_recorder;
    QElapsedTimer m_clock; // the chart's time since the last "Read"
};

} // namespace obd
