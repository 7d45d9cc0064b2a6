// The dialog of "Öffnen": the list of saved visits, newest first, filtered by
// customer and VIN; and the texts of a visit as the lists and the report show
// them.
#pragma once

#include "report/report.h"
#include "store/records.h"

#include <QDialog>

class QLineEdit;
class QTableWidget;

namespace obd {

class VisitListDialog : public QDialog {
    Q_OBJECT
public:
    VisitListDialog(const Records& visits, QWidget* parent = nullptr);

    // The number of the visit in the selected row; -1 when none is selected.
    qint32 SelectedVisit() const;
    // Fills the list from the store with the filter boxes' texts: the
    // customer box matches part of the name or the whole number, the VIN box
    // part of the VIN.
    void Refill();

private:
    const Records& m_visits;
    QLineEdit* edCustomer = nullptr;
    QLineEdit* edVin = nullptr;
    QTableWidget* VisitGrid = nullptr;
};

// A visit's vehicle by its VIN, "unbekannt" without one.
QString VehicleText(const QString& vin);
// A visit's date and time as the lists show them.
QString VisitTimeText(const QDateTime& when);
// The kind of a code as the lists show it.
QString CodeKindText(CodeKind kind);

// The report form's content for a visit of this customer.
ReportContent ReportOfVisit(const VisitRecord& visit, const QString& customerName,
                            const QString& address);

} // namespace obd
