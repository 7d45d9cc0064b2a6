// The page "O2 Sensors": every O2 sensor the vehicle reports with its live
// values, read again and again from "Read" until "Stop" (or until the page is
// left), and the sensors' stored test results with limits and verdict.
#pragma once

#include "session/vehicledata.h"

#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

class QPushButton;
class QTableWidget;

namespace obd {

struct WorkbenchContext;

class O2SensorPage : public QWidget {
    Q_OBJECT
public:
    explicit O2SensorPage(WorkbenchContext& ctx, QWidget* parent = nullptr);

    // Reads the supported PIDs and the test results, then the live values
    // until stopped.
    void btnO2ReadClick();
    void btnO2StopClick();
    // True from "Read" until "Stop", leaving the page or a failed read.
    bool Reading() const { return m_looping; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // One read of the live values; the next follows while reading goes on.
    void readLive();
    // Runs read through the vehicle-read guard; a refused or failed read
    // ends the reading loop.
    bool readOrStop(const std::function<void(const VehicleBus&)>& read);
    void showLive(const QList<O2Reading>& readings);
    void showTests(const QList<O2SensorTests>& tests);
    void showButtons();

    WorkbenchContext& m_ctx;
    QTimer m_next; // the next live read, after the events of the last one
    bool m_looping = false;
    PidSupport m_supported;
    QList<O2Reading> m_live;
    QList<O2SensorTests> m_tests;
    QTableWidget* O2SensorGrid = nullptr;
    QTableWidget* O2TestGrid = nullptr;
    QPushButton* btnO2Read = nullptr;
    QPushButton* btnO2Stop = nullptr;
};

} // namespace obd
