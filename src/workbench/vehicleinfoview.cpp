#include "workbench/vehicleinfoview.h"

#include "workbench/context.h"
#include "workbench/messages.h"
#include "workbench/pagelook.h"
#include "workbench/valuetext.h"
#include "workbench/vehiclereads.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace obd {

namespace {

QString ProtocolText(ProtocolFamily family) {
    switch (family) {
    case ProtocolFamily::Can11:
        return QStringLiteral("ISO 15765-4 (CAN 11 bit)");
    case ProtocolFamily::Can29:
        return QStringLiteral("ISO 15765-4 (CAN 29 bit)");
    case ProtocolFamily::KLine:
        break;
    }
    return QStringLiteral("K-Line (ISO 9141-2 / ISO 14230-4)");
}

QString OrNotAvailable(const QString& text) {
    return text.isEmpty() ? NotAvailable : text;
}

} // namespace

VehicleInfoView::VehicleInfoView(WorkbenchContext& ctx, QWidget* parent)
    : QWidget(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("VehicleInfo"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    VehicleInfoGrid = MakeValueGrid(this, QStringLiteral("VehicleInfoGrid"),
                                    {QStringLiteral("Angabe"), QStringLiteral("Wert")});
    VehicleInfoGrid->setAccessibleName(QStringLiteral("Fahrzeug"));
    layout->addWidget(VehicleInfoGrid, 1);
    auto* bar = new QHBoxLayout;
    auto* read =
        named(new QPushButton(QStringLiteral("Read"), this), QStringLiteral("btnVehicleRead"));
    bar->addWidget(read);
    bar->addStretch(1);
    layout->addLayout(bar);
    connect(read, &QPushButton::clicked, this,
            guarded(m_ctx.messages, this, &VehicleInfoView::btnVehicleReadClick));
}

void VehicleInfoView::btnVehicleReadClick() {
    VehicleInformation info;
    ProtocolFamily family{};
    std::optional<double> volts;
    // An ELM327-style chip measures the voltage at the socket itself.
    const bool adapterMeasures = m_ctx.busFraming.has_value();
    if (ReadFromVehicle(m_ctx, [&](const VehicleBus& bus) {
            family = bus.Family();
            info = ReadVehicleInformation(bus, *m_ctx.link);
            volts = ReadBatteryVoltage(bus, *m_ctx.link, adapterMeasures);
        }))
        ShowVehicleInformation(info, family, volts);
}

void VehicleInfoView::ShowVehicleInformation(const VehicleInformation& info, ProtocolFamily family,
                                             std::optional<double> batteryVolts) {
    VehicleInfoGrid->setRowCount(0);
    AddGridRow(VehicleInfoGrid,
               {QStringLiteral("VIN"), OrNotAvailable(info.vin.value_or(QString()))});
    AddGridRow(VehicleInfoGrid, {QStringLiteral("Protokoll"), ProtocolText(family)});
    AddGridRow(VehicleInfoGrid, {QStringLiteral("Batteriespannung"),
                                 batteryVolts ? ShownNumberText(*batteryVolts, QStringLiteral("V"),
                                                                1, m_ctx.unitSystem)
                                              : NotAvailable});
    QStringList units;
    for (const UnitVehicleInfo& u : info.units)
        units << u.unit;
    units.removeAll(QString());
    AddGridRow(VehicleInfoGrid, {QStringLiteral("Steuergeräte"),
                                 units.isEmpty() ? QString::number(info.units.size())
                                                 : units.join(QStringLiteral(", "))});
    for (const UnitVehicleInfo& u : info.units) {
        const QString of = u.unit.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(u.unit);
        AddGridRow(VehicleInfoGrid, {QStringLiteral("ECU Name") + of, OrNotAvailable(u.ecuName)});
        AddGridRow(VehicleInfoGrid, {QStringLiteral("Calibration ID") + of,
                                     OrNotAvailable(u.calibrationIds.join(QStringLiteral(", ")))});
        AddGridRow(VehicleInfoGrid,
                   {QStringLiteral("CVN") + of,
                    OrNotAvailable(u.calibrationNumbers.join(QStringLiteral(", ")))});
    }
}

} // namespace obd
