// The page "Start": the status list of the connection sequence, the OBD type
// and VIN fields, the protocol and the distances the car reports, the MIL and
// readiness column, "Neu Initialisieren" and the demo switch. InitInterface
// runs the connection sequence and shows what it reports.
#pragma once

#include "common/obdtypes.h"
#include "workbench/context.h"

#include <QWidget>
#include <functional>
#include <optional>

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
    // A saved visit in place of the car's reading: its MIL, readiness, code
    // count, VIN, remark, protocol and distances, the boxes read-only; and
    // back to the reading.
    void ShowSavedVisit(const VisitRecord& visit);
    void EndSavedVisit();
    // The protocol, odometer and distance since the codes were cleared of
    // the saved visit on the pages, else of the reading, in the chosen units.
    void ShowReadValues();

    // Status list line roles: the text, and whether it carries the OK (true)
    // or the error picture (false).
    static constexpr int OkRole = Qt::UserRole + 1;

protected:
    // The distances in the units chosen meanwhile.
    void showEvent(QShowEvent* event) override;

private:
    void add(const QString& text, bool ok);
    void clearRun();
    void showPort(const QString& label, bool open);
    QWidget* makeMilColumn();
    void connectSequence();
    // Shows the status, "N/A" for none, without taking it into the reading.
    void showStatus(const std::optional<TMonitorStatus>& status);
    void showMil(bool milOn);
    void showVisitTexts(const QString& vin, const QString& remark, bool readOnly);

    WorkbenchContext& m_ctx;
    ConnectionStatus m_status;
    std::function<void(const TSupportedPids&)> m_applyEcu;
    ConnectionSequence* m_sequence = nullptr;

    QListWidget* LogListBox = nullptr;
    QLineEdit* edOBDType = nullptr;
    QLineEdit* FlatEdit4 = nullptr;
    QString m_readVin; // the VIN the last sequence read, "" for none
    QLineEdit* edRemark = nullptr;
    QLineEdit* edProtocol = nullptr;
    QLineEdit* edOdometer = nullptr;
    QLineEdit* edDistanceSinceClear = nullptr;
    QPushButton* NeuInitialisierenBtn = nullptr;
    QCheckBox* cbDemoMode = nullptr;
    QLabel* MIL_Image = nullptr;
    QLabel* labMIL_Status = nullptr;
    QLabel* DTCCountLabel = nullptr;
    // Supported and Completed cells, monitor by monitor in display order.
    QList<std::pair<QLabel*, QLabel*>> m_readiness;
    // What the car last told about its monitors; none: not read or unreadable.
    std::optional<TMonitorStatus> m_carStatus;
};

} // namespace obd
