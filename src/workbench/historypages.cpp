#include "workbench/historypages.h"

#include "services/ecuanswers.h"
#include "store/records.h"
#include "store/tablestore.h"
#include "store/visits.h"
#include "workbench/context.h"
#include "workbench/messages.h"
#include "workbench/pagelook.h"
#include "workbench/vehicleinfoview.h"
#include "workbench/visitactions.h"
#include "workbench/visitdialogs.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMap>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace obd {

namespace {

constexpr const char* kVisitColumns[] = {"Datum", "Diagnose-Nr.", "Codes"};
// "Besuche": in how many of the vehicle's visits the code came up.
constexpr const char* kCodeColumns[] = {"Datum", "Nr.", "DTC", "Art", "Besuche", "Beschreibung"};

// The number of the current customer; none on an empty table or while it has
// no number yet.
std::optional<qint32> currentCustomer(WorkbenchContext& ctx) {
    Dataset& customers = ctx.records->Customers();
    if (!customers.Active() || customers.RecordCount() == 0)
        return std::nullopt;
    const QString number = customers.FieldByName(QStringLiteral("CUST_NR")).AsString();
    if (number.isEmpty())
        return std::nullopt;
    return number.toInt();
}

// The vehicle the pages show: the one chosen for the current customer, else
// that customer's latest one.
std::optional<WorkbenchContext::VehicleChoice> chosenVehicle(WorkbenchContext& ctx) {
    const std::optional<qint32> customer = currentCustomer(ctx);
    if (ctx.vehicle && (!customer || ctx.vehicle->customer == *customer))
        return ctx.vehicle;
    if (!customer || !ctx.records->VisitsReadable())
        return std::nullopt;
    const std::vector<VehicleSummary> vehicles = ctx.records->VehiclesOfCustomer(*customer);
    if (vehicles.empty())
        return std::nullopt;
    return WorkbenchContext::VehicleChoice{*customer, vehicles.front().vin};
}

QTableWidget* makeGrid(const QString& name, const QString& caption, const auto& columns,
                       QWidget* page, QVBoxLayout* layout) {
    auto* label = new QLabel(caption, page);
    layout->addWidget(label);
    auto* grid = named(new QTableWidget(0, int(std::size(columns)), page), name);
    grid->setAccessibleName(caption);
    label->setBuddy(grid);
    for (int c = 0; c < int(std::size(columns)); ++c)
        grid->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::fromUtf8(columns[c])));
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(grid, 1);
    return grid;
}

void addRow(QTableWidget* grid, const QStringList& cells, qint32 visit) {
    const int row = grid->rowCount();
    grid->insertRow(row);
    for (int c = 0; c < cells.size(); ++c) {
        auto* item = new QTableWidgetItem(cells[c]);
        item->setData(Qt::UserRole, visit);
        grid->setItem(row, c, item);
    }
}

} // namespace

VehiclePage::VehiclePage(WorkbenchContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("Vehicle"));
    auto* layout = new QVBoxLayout(this);
    // What the connected vehicle reports about itself, above its saved visits.
    layout->addWidget(new VehicleInfoView(m_ctx, this), 1);
    labVehicle = named(new QLabel(this), QStringLiteral("labVehicle"));
    labVehicle->setWordWrap(true);
    layout->addWidget(labVehicle);
    VisitsGrid = makeGrid(QStringLiteral("VisitsGrid"), QStringLiteral("Besuche"), kVisitColumns,
                          this, layout);
    // A visit of the list opens on the pages, as through "Öffnen".
    connect(VisitsGrid, &QTableWidget::cellDoubleClicked, this, [this](int row) {
        m_ctx.messages->Guard([this, row] {
            OpenVisit(m_ctx, VisitsGrid->item(row, 0)->data(Qt::UserRole).toInt());
        });
    });
}

void VehiclePage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_ctx.messages->Guard([this] { Refill(); });
}

void VehiclePage::Refill() {
    VisitsGrid->setRowCount(0);
    const std::optional<WorkbenchContext::VehicleChoice> vehicle = chosenVehicle(m_ctx);
    if (!vehicle) {
        labVehicle->setText(
            currentCustomer(m_ctx)
                ? QStringLiteral("Kein Fahrzeug: der Kunde hat noch keine gespeicherte Diagnose.")
                : QStringLiteral("Kein Fahrzeug: es gibt noch keinen Kunden."));
        labVehicle->setAccessibleName(labVehicle->text());
        return;
    }
    const Records& store = *m_ctx.records;
    int count = 0;
    for (const VisitSummary& v : store.ListVisits({vehicle->customer, {}})) {
        if (v.vin != vehicle->vin)
            continue;
        ++count;
        addRow(VisitsGrid,
               {VisitTimeText(v.when), QString::number(v.number), QString::number(v.codeCount)},
               v.number);
    }
    labVehicle->setText(QStringLiteral("Fahrzeug: %1\nKunde: %2 (Nr. %3)\nBesuche: %4")
                            .arg(VehicleText(vehicle->vin), store.CustomerName(vehicle->customer))
                            .arg(vehicle->customer)
                            .arg(count));
    labVehicle->setAccessibleName(labVehicle->text());
}

DtcsPage::DtcsPage(WorkbenchContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("DTC's"));
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto* label = named(new QLabel(QStringLiteral("Fahrzeug:"), this), QStringLiteral("Label16"));
    FlatComboBox3 = named(new QComboBox(this), QStringLiteral("FlatComboBox3"));
    FlatComboBox3->setAccessibleName(label->text());
    FlatComboBox3->setMinimumWidth(200);
    label->setBuddy(FlatComboBox3);
    bar->addWidget(label);
    bar->addWidget(FlatComboBox3);
    bar->addStretch(1);
    layout->addLayout(bar);
    DBGrid3 = makeGrid(QStringLiteral("DBGrid3"), QStringLiteral("Fehlercodes des Fahrzeugs"),
                       kCodeColumns, this, layout);
    connect(FlatComboBox3, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_ctx.messages->Guard([this, index] { vehicleChosen(index); }); });
}

void DtcsPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_ctx.messages->Guard([this] { Refill(); });
}

void DtcsPage::Refill() {
    const std::optional<WorkbenchContext::VehicleChoice> vehicle = chosenVehicle(m_ctx);
    m_filling = true;
    FlatComboBox3->clear();
    DBGrid3->setRowCount(0);
    if (vehicle) {
        for (const VehicleSummary& v : m_ctx.records->VehiclesOfCustomer(vehicle->customer))
            FlatComboBox3->addItem(VehicleText(v.vin), v.vin);
        FlatComboBox3->setCurrentIndex(FlatComboBox3->findData(vehicle->vin));
    }
    m_filling = false;
    if (!vehicle)
        return;
    // How many visits each code came up in: a code seen again is a returning fault.
    const std::vector<CodeHistoryEntry> history =
        m_ctx.records->CodeHistoryOfVehicle(vehicle->customer, vehicle->vin);
    QMap<QString, QSet<qint32>> visitsOfCode;
    for (const CodeHistoryEntry& e : history)
        visitsOfCode[e.code.code].insert(e.visit);
    for (const CodeHistoryEntry& e : history)
        addRow(DBGrid3,
               {VisitTimeText(e.when), QString::number(e.visit),
                CodeWithUnit(e.code.code, e.code.unit), CodeKindText(e.code.kind),
                QString::number(visitsOfCode[e.code.code].size()), e.code.description},
               e.visit);
}

void DtcsPage::vehicleChosen(int index) {
    if (m_filling || index < 0)
        return;
    const std::optional<WorkbenchContext::VehicleChoice> vehicle = chosenVehicle(m_ctx);
    if (!vehicle)
        return;
    m_ctx.vehicle = WorkbenchContext::VehicleChoice{vehicle->customer,
                                                    FlatComboBox3->itemData(index).toString()};
    Refill();
}

} // namespace obd
