// The dialogs of "Öffnen": the list of saved visits, newest first, filtered by
// customer and VIN, and the read-only view of one saved visit, marked with
// its date.
#pragma once

#include "report/report.h"
#include "store/visits.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QTableWidget;

namespace obd {

class VisitListDialog : public QDialog {
    Q_OBJECT
public:
    VisitListDialog(const VisitStore& visits, QWidget* parent = nullptr);

    // The number of the visit in the selected row; -1 when none is selected.
    qint32 SelectedVisit() const;
    // Fills the list from the store with the filter boxes' texts: the
    // customer box matches part of the name or the whole number, the VIN box
    // part of the VIN.
    void Refill();

private:
    const VisitStore& m_visits;
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

// The text of a saved visit as the view shows it, one line per item.
QString SavedVisitText(const VisitRecord& visit, const QString& customerName);

// The report form's content for a visit of this customer.
ReportContent ReportOfVisit(const VisitRecord& visit, const QString& customerName,
                            const QString& address);

class VisitViewDialog : public QDialog {
    Q_OBJECT
public:
    VisitViewDialog(const VisitRecord& visit, const QString& customerName,
                    QWidget* parent = nullptr);
};

} // namespace obd
