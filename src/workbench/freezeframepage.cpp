#include "workbench/freezeframepage.h"

#include "workbench/context.h"
#include "workbench/messages.h"
#include "workbench/pagelook.h"
#include "workbench/vehiclereads.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace obd {

namespace {

const QString NotAvailable = QStringLiteral("N/A");
const QString NoFrame = QStringLiteral("Das Fahrzeug hat keinen Freeze Frame gespeichert.");

} // namespace

FreezeFramePage::FreezeFramePage(WorkbenchContext& ctx, QWidget* parent)
    : QWidget(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("Seite2"));
    auto* layout = new QGridLayout(this);
    auto* caption = named(new QLabel(QStringLiteral("Gespeichert durch DTC"), this),
                          QStringLiteral("labFreezeFrameCaption"));
    labFreezeFrameDTC = named(new QLabel(NotAvailable, this), QStringLiteral("labFreezeFrameDTC"));
    labFreezeFrameDTC->setAccessibleName(NotAvailable);
    labelFor(caption, labFreezeFrameDTC);
    layout->addWidget(caption, 0, 0);
    layout->addWidget(labFreezeFrameDTC, 0, 1);
    labFreezeFrameState = named(new QLabel(QString(), this), QStringLiteral("labFreezeFrameState"));
    layout->addWidget(labFreezeFrameState, 1, 0, 1, 3);
    FreezeFrameGrid =
        MakeValueGrid(this, QStringLiteral("FreezeFrameGrid"),
                      {QStringLiteral("PID"), QStringLiteral("Name"), QStringLiteral("Wert")});
    FreezeFrameGrid->setAccessibleName(QStringLiteral("Freeze Frame"));
    layout->addWidget(FreezeFrameGrid, 2, 0, 1, 3);
    auto* read =
        named(new QPushButton(QStringLiteral("Read"), this), QStringLiteral("btnFreezeFrameRead"));
    layout->addWidget(read, 3, 0);
    layout->setColumnStretch(2, 1);
    connect(read, &QPushButton::clicked, this,
            guarded(m_ctx.messages, this, &FreezeFramePage::btnFreezeFrameReadClick));
}

void FreezeFramePage::btnFreezeFrameReadClick() {
    FreezeFrame frame;
    if (ReadFromVehicle(m_ctx,
                        [&](const VehicleBus& bus) { frame = ReadFreezeFrame(bus, *m_ctx.link); }))
        showFrame(frame);
}

void FreezeFramePage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_frame)
        showFrame(*m_frame);
}

void FreezeFramePage::showFrame(const FreezeFrame& frame) {
    m_frame = frame;
    const QString code = frame.code.value_or(NotAvailable);
    labFreezeFrameDTC->setText(code);
    labFreezeFrameDTC->setAccessibleName(code);
    labFreezeFrameState->setText(frame.code ? QString() : NoFrame);
    labFreezeFrameState->setAccessibleName(labFreezeFrameState->text());
    FreezeFrameGrid->setRowCount(0);
    for (const PidRow& row : frame.rows)
        AddGridRow(FreezeFrameGrid,
                   {QString::number(row.pid, 16).toUpper().rightJustified(2, QLatin1Char('0')),
                    row.name, RowText(row, m_ctx.unitSystem)});
}

} // namespace obd
