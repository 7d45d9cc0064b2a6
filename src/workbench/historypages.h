// The pages of a vehicle's history, from the saved visits: "Vehicle" shows
// the chosen vehicle and its visits, "DTC's" every code it ever had, by
// visit, so a returning fault is seen at a glance. Both follow the vehicle
// chosen in the context (from the "Customer Vehicles" grid or the DTC's
// page's drop-down box), or the current customer's latest one.
#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QTableWidget;

namespace obd {

struct WorkbenchContext;

class VehiclePage : public QWidget {
    Q_OBJECT
public:
    VehiclePage(WorkbenchContext& ctx, QWidget* parent = nullptr);
    void Refill();

protected:
    void showEvent(QShowEvent* event) override;

private:
    WorkbenchContext& m_ctx;
    QLabel* labVehicle = nullptr;
    QTableWidget* VisitsGrid = nullptr;
};

class DtcsPage : public QWidget {
    Q_OBJECT
public:
    DtcsPage(WorkbenchContext& ctx, QWidget* parent = nullptr);
    void Refill();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void vehicleChosen(int index);

    WorkbenchContext& m_ctx;
    QComboBox* FlatComboBox3 = nullptr;
    QTableWidget* DBGrid3 = nullptr;
    bool m_filling = false;
};

} // namespace obd
