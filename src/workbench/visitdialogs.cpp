#include "workbench/visitdialogs.h"

#include "common/regional.h"
#include "workbench/pagelook.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace obd {

namespace {

constexpr const char* kListColumns[] = {"Kunde", "Fahrzeug", "Datum", "Codes"};
constexpr const char* kKindNames[] = {"gespeichert", "anstehend", "permanent"};
constexpr const char* kReadinessNames[] = {"unbekannt", "nicht unterstützt", "nicht abgeschlossen",
                                           "abgeschlossen"};

QLineEdit* filterBox(const QString& caption, const QString& name, QFormLayout* form,
                     QWidget* parent) {
    auto* box = named(new QLineEdit(parent), name);
    box->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    auto* label = new QLabel(caption, parent);
    label->setBuddy(box);
    form->addRow(label, box);
    return box;
}

} // namespace

QString VehicleText(const QString& vin) {
    return vin.isEmpty() ? QStringLiteral("unbekannt") : vin;
}

QString VisitTimeText(const QDateTime& when) {
    return ShortDateText(when.date()) + QLatin1Char(' ') +
           when.time().toString(QStringLiteral("HH:mm"));
}

QString CodeKindText(CodeKind kind) {
    return QString::fromUtf8(kKindNames[size_t(kind)]);
}

VisitListDialog::VisitListDialog(const Records& visits, QWidget* parent)
    : QDialog(parent), m_visits(visits) {
    setObjectName(QStringLiteral("VisitListDialog"));
    setWindowTitle(QStringLiteral("Diagnose öffnen"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    edCustomer =
        filterBox(QStringLiteral("&Kunde:"), QStringLiteral("edVisitCustomer"), form, this);
    edVin = filterBox(QStringLiteral("&VIN:"), QStringLiteral("edVisitVin"), form, this);
    layout->addLayout(form);

    VisitGrid =
        named(new QTableWidget(0, int(std::size(kListColumns)), this), QStringLiteral("VisitGrid"));
    VisitGrid->setAccessibleName(QStringLiteral("Gespeicherte Diagnosen"));
    for (int c = 0; c < int(std::size(kListColumns)); ++c)
        VisitGrid->setHorizontalHeaderItem(
            c, new QTableWidgetItem(QString::fromUtf8(kListColumns[c])));
    VisitGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    VisitGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    VisitGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    VisitGrid->verticalHeader()->hide();
    VisitGrid->horizontalHeader()->setStretchLastSection(true);
    VisitGrid->setColumnWidth(0, 200);
    VisitGrid->setColumnWidth(1, 170);
    VisitGrid->setColumnWidth(2, 130);
    layout->addWidget(VisitGrid, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* open = buttons->addButton(QStringLiteral("Öffnen"), QDialogButtonBox::AcceptRole);
    open->setObjectName(QStringLiteral("btnVisitOpen"));
    buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (SelectedVisit() >= 0)
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(VisitGrid, &QTableWidget::cellDoubleClicked, this, [this] { accept(); });
    for (QLineEdit* box : {edCustomer, edVin})
        connect(box, &QLineEdit::textChanged, this, &VisitListDialog::Refill);
    resize(640, 420);
    Refill();
}

void VisitListDialog::Refill() {
    const QString customer = edCustomer->text().trimmed();
    bool isNumber = false;
    const qint32 number = customer.toInt(&isNumber);
    VisitGrid->setRowCount(0);
    for (const VisitSummary& v : m_visits.ListVisits({std::nullopt, edVin->text().trimmed()})) {
        if (!customer.isEmpty() && !v.customerName.contains(customer, Qt::CaseInsensitive) &&
            !(isNumber && number == v.customer))
            continue;
        const int row = VisitGrid->rowCount();
        VisitGrid->insertRow(row);
        const QString cells[] = {v.customerName, VehicleText(v.vin), VisitTimeText(v.when),
                                 QString::number(v.codeCount)};
        for (int c = 0; c < int(std::size(cells)); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setData(Qt::UserRole, v.number);
            VisitGrid->setItem(row, c, item);
        }
    }
    if (VisitGrid->rowCount() > 0)
        VisitGrid->selectRow(0);
}

qint32 VisitListDialog::SelectedVisit() const {
    const QList<QTableWidgetItem*> selected = VisitGrid->selectedItems();
    return selected.isEmpty() ? -1 : selected.first()->data(Qt::UserRole).toInt();
}

QString milText(const std::optional<bool>& milOn) {
    return !milOn   ? QStringLiteral("unbekannt")
           : *milOn ? QStringLiteral("AN")
                    : QStringLiteral("AUS");
}

ReportContent ReportOfVisit(const VisitRecord& visit, const QString& customerName,
                            const QString& address) {
    ReportContent report;
    report.customer << QStringLiteral("%1 (Kunden-Nr. %2)").arg(customerName).arg(visit.customer);
    report.customer << address.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QString vehicle = QStringLiteral("Fahrzeug: %1").arg(VehicleText(visit.vin));
    if (!visit.vehicle.isEmpty())
        vehicle += QStringLiteral(", ") + visit.vehicle;
    if (visit.odometerKm)
        vehicle += QStringLiteral(", %1 km").arg(*visit.odometerKm);
    if (visit.distanceSinceClearKm)
        vehicle += QStringLiteral(" (seit Fehlerlöschung %1 km)").arg(*visit.distanceSinceClearKm);
    QString diagnosis =
        QStringLiteral("Diagnose Nr. %1 vom %2").arg(visit.number).arg(VisitTimeText(visit.when));
    if (!visit.protocol.isEmpty())
        diagnosis += QStringLiteral(", Protokoll: ") + visit.protocol;
    report.customer << vehicle << diagnosis;
    report.mil << QStringLiteral("MIL: %1").arg(milText(visit.milOn));
    // Permanent codes go with the pending ones, as the trouble-code page lists them.
    for (const VisitCode& c : visit.codes) {
        QStringList& list = c.kind == CodeKind::Stored ? report.storedCodes : report.pendingCodes;
        QString text = c.description;
        if (c.kind == CodeKind::Permanent)
            text = QStringLiteral("(permanent) ") + text;
        list << c.code + QLatin1Char('\t') + text;
    }
    report.freezeFrame = visit.freezeFrame.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (size_t i = 0; i < kMonitors.size(); ++i)
        report.readiness << QStringLiteral("%1: %2").arg(
            QLatin1String(kMonitors[i].name),
            QString::fromUtf8(kReadinessNames[size_t(visit.readiness[i])]));
    if (!visit.remark.isEmpty())
        report.notes << visit.remark;
    return report;
}

} // namespace obd
