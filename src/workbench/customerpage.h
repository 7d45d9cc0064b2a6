// The "Customer" page: the customer list bound to customer.dbf, the detail
// boxes with the address and the Add/Save/Cancel/Delete buttons, and the
// "Customer Vehicles" grid with the current customer's vehicles from the
// saved visits.
#pragma once

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace obd {

struct WorkbenchContext;
class Dataset;
class DatasetModel;

class CustomerPage : public QWidget {
    Q_OBJECT
public:
    CustomerPage(WorkbenchContext& ctx, QWidget* parent = nullptr);

    void dsCustomerDataChange(const QString& fieldName);
    void btnCustomerAddClick();
    void btnCustomerSaveClick();
    void btnCustomerCancelClick();
    void btnCustomerDeleteClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    Dataset& customers();
    void postPending();
    void selectCurrentRow();
    void DBGrid1Clicked(int row);
    void DBGrid1CtrlDelete();
    void showVehicles(const QString& customerNumber);

    WorkbenchContext& m_ctx;
    DatasetModel* m_model = nullptr;
    QStandardItemModel* m_vehicles = nullptr;
    bool m_syncingGrid = false; // the grid follows the dataset, not the other way
    QTableView* DBGrid1 = nullptr;
    QTableView* DBGrid2 = nullptr;
    QLineEdit* edCustomerNr = nullptr;
    QLineEdit* edCustomerDate = nullptr;
    QLineEdit* edCustomerName = nullptr;
    QPlainTextEdit* edCustomerAddress = nullptr;
};

} // namespace obd
