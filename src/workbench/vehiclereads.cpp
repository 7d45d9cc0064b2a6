#include "workbench/vehiclereads.h"

#include "link/link.h"
#include "session/offthread.h"
#include "workbench/context.h"
#include "workbench/pagelook.h"
#include "workbench/valuetext.h"

#include <QHeaderView>
#include <QTableWidget>

namespace obd {

bool ReadFromVehicle(WorkbenchContext& ctx, const std::function<void(const VehicleBus&)>& read) {
    if (ctx.link->CheckCommFailure() || !ctx.vehicleBus)
        return false;
    StopPollerAndWait(ctx);
    BusyCursor busy;
    const VehicleBus& bus = *ctx.vehicleBus;
    RunOffThread([&] { read(bus); });
    return true;
}

QTableWidget* MakeValueGrid(QWidget* parent, const QString& name, const QStringList& titles) {
    auto* grid = named(new QTableWidget(0, int(titles.size()), parent), name);
    grid->setHorizontalHeaderLabels(titles);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->verticalHeader()->hide();
    // Columns as wide as their titles and texts; the last takes the rest.
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

void AddGridRow(QTableWidget* grid, const QStringList& texts) {
    const int row = grid->rowCount();
    grid->insertRow(row);
    for (int column = 0; column < texts.size(); ++column) {
        auto* item = new QTableWidgetItem(texts[column]);
        // A screen reader reads a cell by what it shows.
        item->setData(Qt::AccessibleTextRole, texts[column]);
        grid->setItem(row, column, item);
    }
}

QString RowText(const PidRow& row, UnitSystem system) {
    if (!row.error.isEmpty())
        return row.error;
    QStringList parts;
    for (const PidValue& value : row.values) {
        const QString text = ShownValueText(value, system);
        parts << (row.values.size() > 1 ? value.name + QStringLiteral(": ") + text : text);
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace obd
