#include "workbench/o2sensorpage.h"

#include "workbench/context.h"
#include "workbench/messages.h"
#include "workbench/pagelook.h"
#include "workbench/valuetext.h"
#include "workbench/vehiclereads.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace obd {

namespace {

const QString NoSensors = QStringLiteral("N/A");

QString LimitText(const std::optional<double>& limit, const O2TestResult& r, UnitSystem system) {
    return limit ? ShownNumberText(*limit, r.unit, r.decimals, system) : QStringLiteral("-");
}

} // namespace

O2SensorPage::O2SensorPage(WorkbenchContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("Seite3"));
    auto* layout = new QVBoxLayout(this);
    auto* liveCaption = new QLabel(QStringLiteral("O2 Sensoren"), this);
    layout->addWidget(liveCaption);
    O2SensorGrid = MakeValueGrid(this, QStringLiteral("O2SensorGrid"),
                                 {QStringLiteral("Sensor"), QStringLiteral("Werte")});
    labelFor(liveCaption, O2SensorGrid);
    layout->addWidget(O2SensorGrid, 1);
    auto* testCaption = new QLabel(QStringLiteral("Testergebnisse"), this);
    layout->addWidget(testCaption);
    O2TestGrid =
        MakeValueGrid(this, QStringLiteral("O2TestGrid"),
                      {QStringLiteral("Sensor"), QStringLiteral("Test"), QStringLiteral("Wert"),
                       QStringLiteral("Min"), QStringLiteral("Max"), QStringLiteral("Ergebnis")});
    labelFor(testCaption, O2TestGrid);
    layout->addWidget(O2TestGrid, 1);
    auto* bar = new QHBoxLayout;
    btnO2Read = named(new QPushButton(QStringLiteral("Read"), this), QStringLiteral("btnO2Read"));
    btnO2Stop = named(new QPushButton(QStringLiteral("Stop"), this), QStringLiteral("btnO2Stop"));
    btnO2Stop->setEnabled(false);
    bar->addWidget(btnO2Read);
    bar->addWidget(btnO2Stop);
    bar->addStretch(1);
    layout->addLayout(bar);
    MessageBoxes* boxes = m_ctx.messages;
    connect(btnO2Read, &QPushButton::clicked, this,
            guarded(boxes, this, &O2SensorPage::btnO2ReadClick));
    connect(btnO2Stop, &QPushButton::clicked, this,
            guarded(boxes, this, &O2SensorPage::btnO2StopClick));
    m_next.setSingleShot(true);
    m_next.setInterval(0);
    connect(&m_next, &QTimer::timeout, this,
            [this] { m_ctx.messages->Guard([this] { readLive(); }); });
}

void O2SensorPage::btnO2ReadClick() {
    if (m_looping)
        return;
    m_looping = true;
    showButtons();
    QList<O2SensorTests> tests;
    if (!readOrStop([&](const VehicleBus& bus) {
            m_supported = ReadSupportedPidRanges(bus, *m_ctx.link);
            tests = ReadO2Tests(bus, *m_ctx.link, m_supported);
        }))
        return;
    showTests(tests);
    if (m_looping)
        readLive();
}

void O2SensorPage::btnO2StopClick() {
    m_next.stop();
    m_looping = false;
    showButtons();
}

bool O2SensorPage::readOrStop(const std::function<void(const VehicleBus&)>& read) {
    bool done = false;
    try {
        done = ReadFromVehicle(m_ctx, read);
    } catch (...) {
        // A read that fails ends the loop before its error reaches the box.
        btnO2StopClick();
        throw;
    }
    if (!done)
        btnO2StopClick();
    return done;
}

void O2SensorPage::readLive() {
    QList<O2Reading> readings;
    if (!readOrStop([&](const VehicleBus& bus) {
            readings = ReadO2Sensors(bus, *m_ctx.link, m_supported);
        }))
        return;
    showLive(readings);
    // Nothing to refresh without sensors. "Stop" or leaving the page while the
    // read was under way has ended the loop already; otherwise the next read
    // comes after the events that arrived meanwhile.
    if (readings.isEmpty() || !isVisible())
        m_looping = false;
    if (m_looping)
        m_next.start();
    showButtons();
}

void O2SensorPage::showButtons() {
    btnO2Read->setEnabled(!m_looping);
    btnO2Stop->setEnabled(m_looping);
}

void O2SensorPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showLive(m_live);
    showTests(m_tests);
}

void O2SensorPage::hideEvent(QHideEvent* event) {
    btnO2StopClick();
    QWidget::hideEvent(event);
}

void O2SensorPage::showLive(const QList<O2Reading>& readings) {
    m_live = readings;
    O2SensorGrid->setRowCount(0);
    for (const O2Reading& r : readings) {
        QStringList values;
        for (const PidRow& row : r.rows)
            values << RowText(row, m_ctx.unitSystem);
        AddGridRow(
            O2SensorGrid,
            {r.sensor.name, values.isEmpty() ? NoSensors : values.join(QStringLiteral("; "))});
    }
}

void O2SensorPage::showTests(const QList<O2SensorTests>& tests) {
    m_tests = tests;
    O2TestGrid->setRowCount(0);
    const UnitSystem system = m_ctx.unitSystem;
    for (const O2SensorTests& t : tests) {
        if (!t.error.isEmpty())
            AddGridRow(O2TestGrid, {t.sensor.name, t.error});
        for (const O2TestResult& r : t.results)
            AddGridRow(
                O2TestGrid,
                {t.sensor.name, r.test, ShownNumberText(r.value, r.unit, r.decimals, system),
                 LimitText(r.minimum, r, system), LimitText(r.maximum, r, system),
                 r.passed() ? QStringLiteral("bestanden") : QStringLiteral("nicht bestanden")});
    }
}

} // namespace obd
