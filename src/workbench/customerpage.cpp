#include "workbench/customerpage.h"

#include "common/regional.h"
#include "store/datasetmodel.h"
#include "store/records.h"
#include "store/tableschema.h"
#include "workbench/context.h"
#include "workbench/look.h"
#include "workbench/messages.h"
#include "workbench/pagelook.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace obd {

namespace {

struct GridColumn {
    const char* field;
    const char* title;
    int width; // 0: the field's display width
};

constexpr GridColumn CustomerColumns[] = {
    {"NAME", "Name", 329}, {"DATE", "Date", 0}, {"CUST_NR", "Customer-Nr.", 0}};
constexpr GridColumn VehicleColumns[] = {
    {"NAME", "Vehicle", 318}, {"DATE", "Date", 0}, {"CUST_NR", "Customer-Nr.", 0}};

// The name column has its designed width; the others are at least as wide as
// their title, and the name column gives way so the whole row stays in view.
void setColumnWidths(QTableView* grid, const GridColumn (&columns)[3]) {
    QHeaderView* header = grid->horizontalHeader();
    for (int c = 0; c < 3; ++c) {
        if (columns[c].width > 0)
            grid->setColumnWidth(c, columns[c].width);
        else
            grid->setColumnWidth(c, std::max(header->sectionSize(c), header->sectionSizeHint(c)));
    }
    header->setSectionResizeMode(0, QHeaderView::Stretch);
}

QTableView* makeGrid(const QString& name, QWidget* parent) {
    auto* grid = named(new QTableView(parent), name);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setShowGrid(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(17);
    grid->setStyleSheet(look::RecordGridStyle());
    return grid;
}

QLineEdit* makeEdit(const QString& name, const QString& caption, QRect place, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->move(place.x(), place.y() - 14);
    auto* edit = named(new QLineEdit(parent), name);
    labelFor(label, edit);
    edit->setGeometry(place);
    edit->setStyleSheet(look::CellFieldStyle());
    return edit;
}

// Suspends a dataset's view updates for a scope; resuming also follows a failure.
class ControlsDisabled {
public:
    explicit ControlsDisabled(Dataset& ds) : m_ds(ds) { m_ds.DisableControls(); }
    ~ControlsDisabled() { m_ds.EnableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    Dataset& m_ds;
};

bool pending(const Dataset& ds) {
    return ds.State() == DatasetState::Edit || ds.State() == DatasetState::Insert;
}

} // namespace

CustomerPage::CustomerPage(WorkbenchContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("Customer"));
    auto* layout = new QVBoxLayout(this);

    DBGrid1 = makeGrid(QStringLiteral("DBGrid1"), this);
    QList<std::pair<QString, QString>> columns;
    for (const GridColumn& c : CustomerColumns)
        columns.append({QLatin1String(c.field), QLatin1String(c.title)});
    m_model = new DatasetModel(customers(), columns, this);
    DBGrid1->setModel(m_model);
    setColumnWidths(DBGrid1, CustomerColumns);
    DBGrid1->installEventFilter(this);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { DBGrid1Clicked(current.row()); });
    layout->addWidget(DBGrid1, 1);

    auto* details = new QWidget(this);
    details->setFixedHeight(110);
    edCustomerNr = makeEdit(QStringLiteral("edCustomerNr"), QStringLiteral("Customer-Nr."),
                            QRect(8, 14, 89, 21), details);
    edCustomerNr->setReadOnly(true);
    edCustomerDate = makeEdit(QStringLiteral("edCustomerDate"), QStringLiteral("Date"),
                              QRect(104, 14, 137, 21), details);
    edCustomerName = makeEdit(QStringLiteral("edCustomerName"), QStringLiteral("Name"),
                              QRect(8, 54, 233, 21), details);
    auto* addressLabel = new QLabel(QStringLiteral("Address"), details);
    addressLabel->move(248, 0);
    edCustomerAddress = named(new QPlainTextEdit(details), QStringLiteral("edCustomerAddress"));
    labelFor(addressLabel, edCustomerAddress);
    edCustomerAddress->setGeometry(248, 14, 241, 59);
    edCustomerAddress->setStyleSheet(look::CellFieldStyle());

    struct Button {
        const char* name;
        const char* caption;
        void (CustomerPage::*handler)();
    };
    static constexpr Button buttons[] = {
        {"btnCustomerAdd", "Add", &CustomerPage::btnCustomerAddClick},
        {"btnCustomerSave", "Save", &CustomerPage::btnCustomerSaveClick},
        {"btnCustomerCancel", "Cancel", &CustomerPage::btnCustomerCancelClick},
        {"btnCustomerDelete", "Delete", &CustomerPage::btnCustomerDeleteClick}};
    int left = 8;
    for (const Button& b : buttons) {
        auto* button =
            named(new QPushButton(QLatin1String(b.caption), details), QLatin1String(b.name));
        button->setGeometry(left, 80, 75, 25);
        connect(button, &QPushButton::clicked, this, guarded(m_ctx.messages, this, b.handler));
        left += 80;
    }
    layout->addWidget(details);

    auto* vehicles = named(new QGroupBox(QStringLiteral("Customer Vehicles"), this),
                           QStringLiteral("FlatGroupBox5"));
    auto* vehiclesLayout = new QVBoxLayout(vehicles);
    DBGrid2 = makeGrid(QStringLiteral("DBGrid2"), vehicles);
    DBGrid2->setAccessibleName(vehicles->title());
    m_vehicles = new QStandardItemModel(0, 3, this);
    for (int c = 0; c < 3; ++c)
        m_vehicles->setHeaderData(c, Qt::Horizontal, QLatin1String(VehicleColumns[c].title));
    DBGrid2->setModel(m_vehicles);
    setColumnWidths(DBGrid2, VehicleColumns);
    vehiclesLayout->addWidget(DBGrid2);
    // A vehicle opens its history on the page "Vehicle".
    connect(DBGrid2, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        m_ctx.vehicle = WorkbenchContext::VehicleChoice{edCustomerNr->text().toInt(),
                                                        index.data(Qt::UserRole).toString()};
        if (m_ctx.showPage)
            m_ctx.showPage(QStringLiteral("Vehicle"));
    });
    // A visit saved meanwhile shows at once.
    connect(m_ctx.records.get(), &Records::VisitsChanged, this,
            [this] { m_ctx.messages->Guard([this] { showVehicles(edCustomerNr->text()); }); });
    layout->addWidget(vehicles, 1);

    connect(&customers(), &Dataset::DataChange, this, &CustomerPage::dsCustomerDataChange);
    dsCustomerDataChange({});
}

Dataset& CustomerPage::customers() {
    return m_ctx.records->Customers();
}

void CustomerPage::dsCustomerDataChange(const QString&) {
    Dataset& ds = customers();
    const auto text = [&ds](const char* field) {
        return ds.Active() ? ds.FieldByName(QLatin1String(field)).AsString() : QString();
    };
    edCustomerName->setText(text("NAME"));
    edCustomerNr->setText(text("CUST_NR"));
    edCustomerDate->setText(text("DATE"));
    // Tables of an earlier release that this copy may not upgrade (another
    // copy writes them) have no address: the box then stays empty.
    edCustomerAddress->setPlainText(ds.FieldIndex(QStringLiteral("ADDRESS")) >= 0
                                        ? LinesFromField(text("ADDRESS"))
                                        : QString());
    selectCurrentRow();
    showVehicles(edCustomerNr->text());
}

void CustomerPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Customers other workstations added or changed show when the list is
    // shown again.
    m_ctx.messages->Guard([this] { m_ctx.records->RefreshCustomers(); });
}

void CustomerPage::showVehicles(const QString& customerNumber) {
    m_vehicles->removeRows(0, m_vehicles->rowCount());
    if (customerNumber.isEmpty() || !m_ctx.records->VisitsReadable())
        return;
    const std::vector<VehicleSummary> vehicles =
        m_ctx.records->VehiclesOfCustomer(customerNumber.toInt());
    for (const VehicleSummary& v : vehicles) {
        const QString vin = v.vin.isEmpty() ? QStringLiteral("unbekannt") : v.vin;
        QList<QStandardItem*> row{new QStandardItem(vin),
                                  new QStandardItem(ShortDateText(v.lastVisit.date())),
                                  new QStandardItem(customerNumber)};
        for (QStandardItem* item : row) {
            item->setData(item->text(), Qt::AccessibleTextRole);
            item->setData(v.vin, Qt::UserRole);
        }
        m_vehicles->appendRow(row);
    }
}

void CustomerPage::selectCurrentRow() {
    const int row = customers().RecNo();
    if (row == DBGrid1->currentIndex().row())
        return;
    m_syncingGrid = true;
    if (row < 0)
        DBGrid1->selectionModel()->clear();
    else
        DBGrid1->selectRow(row);
    m_syncingGrid = false;
}

void CustomerPage::DBGrid1Clicked(int row) {
    if (m_syncingGrid || row < 0 || row == customers().RecNo())
        return;
    m_ctx.messages->Guard([&] { customers().MoveTo(row); });
}

void CustomerPage::postPending() {
    if (pending(customers()))
        customers().Post();
}

void CustomerPage::btnCustomerAddClick() {
    postPending();
    Dataset& ds = customers();
    ds.Insert();
    const QString today = ShortDateText(QDate::currentDate());
    ds.FieldByName(QStringLiteral("DATE")).SetAsString(today);
    edCustomerDate->setText(today);
    edCustomerName->clear();
    edCustomerNr->clear();
    edCustomerAddress->clear();
}

void CustomerPage::btnCustomerSaveClick() {
    if (edCustomerName->text().isEmpty()) {
        m_ctx.messages->Warning(QStringLiteral("Das Feld \"Name\" darf nicht leer sein."));
        return;
    }
    Dataset& ds = customers();
    ControlsDisabled suspended(ds);
    if (ds.State() == DatasetState::Browse)
        ds.Edit();
    ds.FieldByName(QStringLiteral("NAME")).SetAsString(edCustomerName->text());
    ds.FieldByName(QStringLiteral("CUST_NR")).SetAsString(edCustomerNr->text());
    ds.FieldByName(QStringLiteral("DATE")).SetAsString(edCustomerDate->text());
    ds.FieldByName(QStringLiteral("ADDRESS"))
        .SetAsString(LinesForField(edCustomerAddress->toPlainText()));
    ds.Post();
}

void CustomerPage::btnCustomerDeleteClick() {
    postPending();
    if (m_ctx.messages->AskYesNo(QStringLiteral("Wollen Sie wirklich diesen Datensatz löschen?")) ==
        BoxButton::Yes)
        customers().Delete();
}

void CustomerPage::btnCustomerCancelClick() {
    if (pending(customers()))
        customers().Cancel();
    dsCustomerDataChange({});
}

void CustomerPage::DBGrid1CtrlDelete() {
    if (m_ctx.messages->AskOkCancel(QStringLiteral("Datensatz löschen?")) == BoxButton::Ok)
        customers().Delete();
}

bool CustomerPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DBGrid1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::ControlModifier) {
            guarded(m_ctx.messages, this, &CustomerPage::DBGrid1CtrlDelete)();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace obd
