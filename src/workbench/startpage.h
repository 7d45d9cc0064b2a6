// The page "Start": the status list of the connection sequence, the OBD type
// and VIN fields, the MIL and readiness column, "Neu Initialisieren" and the
// demo switch. InitInterface runs the connection sequence and shows what it
// reports.
#pragma once

#include "common/obdtypes.h"
#include "workbench/context.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace obd {

class ConnectionSequence;
class TQXLed;

// The status bar controls the connection sequence writes.
struct ConnectionStatus {
    QLabel* InterfaceLabel = nullptr;
    QLabel* COM_Label = nullptr;
    // The vehicle's protocol an ELM327-style adapter found; empty otherwise.
    QLabel* ProtocolLabel = nullptr;
    TQXLed* COM_Led = nullptr;
    TQXLed* ELM_Led = nullptr;
    TQXLed* ECU_Led = nullptr;
};

class StartPage : public QWidget {
    Q_OBJECT
public:
    // applyEcu: after a successful ECU check, takes the supported PIDs into
    // the sensor table and refills the sensor grid.
    StartPage(WorkbenchContext& ctx, ConnectionStatus status,
              std::function<void(const TSupportedPids&)> applyEcu, QWidget* parent = nullptr);

    void InitInterface();
    void NeuInitialisierenBtnClick();
    void DemoModeClick();
    // Ticks the demo switch as a click on it does.
    void StartInDemoMode();

    void ShowMilLamp(bool milOn);
    void ShowMonitorStatus(TMonitorStatus status);
    // "N/A" in every field the monitor status fills.
    void ShowMonitorStatusUnknown();

    // Status list line roles: the text, and whether it carries the OK (true)
    // or the error picture (false).
    static constexpr int OkRole = Qt::UserRole + 1;

private:
    void add(const QString& text, bool ok);
    void clearRun();
    void showPort(const QString& label, bool open);
    QWidget* makeMilColumn();
    void connectSequence();

    WorkbenchContext& m_ctx;
    ConnectionStatus m_status;
    std::function<void(const TSupportedPids&)> m_applyEcu;
    ConnectionSequence* m_sequence = nullptr;

    QListWidget* LogListBox = nullptr;
    QLineEdit* edOBDType = nullptr;
    QLineEdit* FlatEdit4 = nullptr;
    QString m_readVin; // the VIN the last sequence read, "" for none
    QPushButton* NeuInitialisierenBtn = nullptr;
    QCheckBox* cbDemoMode = nullptr;
    QLabel* MIL_Image = nullptr;
    QLabel* labMIL_Status = nullptr;
    QLabel* DTCCountLabel = nullptr;
    // Supported and Completed cells, monitor by monitor in display order.
    QList<std::pair<QLabel*, QLabel*>> m_readiness;
};

} // namespace obd
