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

const QString NoFrame = QStringLiteral("Das Fahrzeug hat keinen Freeze Frame gespeichert.");
const QString NotRead = QStringLiteral("Der Freeze Frame konnte nicht gelesen werden: ");
const QString StoredBy = QStringLiteral("Gespeichert durch DTC");
const QString NameValue = QStringLiteral(": ");

QString PidText(int pid) {
    return QString::number(pid, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

// The frame as a visit keeps it: the line of the code that stored it, then a
// "name: value" line per PID in metric units; "" when there is no frame.
QString FrameText(const FreezeFrame& frame) {
    if (!frame.code)
        return {};
    QStringList lines{StoredBy + NameValue + *frame.code};
    for (const PidRow& row : frame.rows)
        lines << row.name + NameValue + RowText(row, UnitSystem::Metric);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

FreezeFramePage::FreezeFramePage(WorkbenchContext& ctx, QWidget* parent)
    : QWidget(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("Seite2"));
    auto* layout = new QGridLayout(this);
    auto* caption = named(new QLabel(StoredBy, this), QStringLiteral("labFreezeFrameCaption"));
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
    if (!ReadFromVehicle(m_ctx,
                         [&](const VehicleBus& bus) { frame = ReadFreezeFrame(bus, *m_ctx.link); }))
        return;
    m_ctx.reading.freezeFrame = FrameText(frame);
    // The car was read: the pages show its reading again.
    if (m_ctx.endSavedVisit)
        m_ctx.endSavedVisit();
    showFrame(frame);
}

void FreezeFramePage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_frame && !m_ctx.savedVisitOnPages)
        showFrame(*m_frame);
}

void FreezeFramePage::ShowSavedVisit(const VisitRecord& visit) {
    QStringList lines = visit.freezeFrame.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QString codeLine = StoredBy + NameValue;
    const bool stored = !lines.isEmpty() && lines.first().startsWith(codeLine);
    showCode(stored ? lines.takeFirst().mid(codeLine.size()) : NotAvailable, QString());
    FreezeFrameGrid->setRowCount(0);
    // The lines keep no PID.
    for (const QString& line : lines)
        AddGridRow(FreezeFrameGrid,
                   {QString(), line.section(NameValue, 0, 0), line.section(NameValue, 1)});
}

void FreezeFramePage::EndSavedVisit() {
    if (m_frame) {
        showFrame(*m_frame);
        return;
    }
    showCode(NotAvailable, QString());
    FreezeFrameGrid->setRowCount(0);
}

void FreezeFramePage::showCode(const QString& code, const QString& state) {
    labFreezeFrameDTC->setText(code);
    labFreezeFrameDTC->setAccessibleName(code);
    labFreezeFrameState->setText(state);
    labFreezeFrameState->setAccessibleName(state);
}

void FreezeFramePage::showFrame(const FreezeFrame& frame) {
    m_frame = frame;
    showCode(frame.code.value_or(NotAvailable), frame.code ? QString()
                                                : frame.failure.isEmpty()
                                                    ? NoFrame
                                                    : NotRead + frame.failure);
    FreezeFrameGrid->setRowCount(0);
    for (const PidRow& row : frame.rows)
        AddGridRow(FreezeFrameGrid, {PidText(row.pid), row.name, RowText(row, m_ctx.unitSystem)});
}

} // namespace obd
