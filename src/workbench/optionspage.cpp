#include "workbench/optionspage.h"

#include "common/errors.h"
#include "link/comport.h"
#include "link/portsettings.h"
#include "session/offthread.h"
#include "workbench/messages.h"
#include "workbench/pagelook.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace obd {

namespace {

const QString UnitSystemKey = QStringLiteral("Masssystem");

} // namespace

OptionsPage::OptionsPage(WorkbenchContext& ctx, QSettings& settings, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_settings(settings) {
    setObjectName(QStringLiteral("General Options"));
    auto* com =
        named(new QGroupBox(QStringLiteral("COM-Port"), this), QStringLiteral("FlatGroupBox3"));
    com->setGeometry(8, 8, 220, 80);
    auto* comLayout = new QVBoxLayout(com);
    COM_CB = named(new QComboBox(com), QStringLiteral("COM_CB"));
    // A Wi-Fi adapter is typed in as host:port; Return takes what is typed.
    COM_CB->setEditable(true);
    COM_CB->setInsertPolicy(QComboBox::NoInsert);
    COM_CB->lineEdit()->setPlaceholderText(QStringLiteral("192.168.0.10:35000"));
    comLayout->addWidget(COM_CB);
    FlatCheckBox1 = named(new QCheckBox(QStringLiteral("automatisch erkennen"), com),
                          QStringLiteral("FlatCheckBox1"));
    comLayout->addWidget(FlatCheckBox1);
    connect(COM_CB, &QComboBox::textActivated, this, [this](const QString& text) {
        m_ctx.messages->Guard([this, text] { COM_CBChange(text); });
    });
    connect(COM_CB->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { m_ctx.messages->Guard([this] { COM_CBChange(COM_CB->currentText()); }); });
    // Toggled, so that a screen reader's toggle action counts as a click.
    connect(FlatCheckBox1, &QCheckBox::toggled, this, [this](bool checked) {
        m_ctx.messages->Guard([this, checked] { FlatCheckBox1Click(checked); });
    });
    m_ctx.storePortSettings = [this] { StorePortSettings(*m_ctx.port, m_settings); };

    auto* units =
        named(new QGroupBox(QStringLiteral("Maßsystem"), this), QStringLiteral("FlatGroupBox4"));
    units->setGeometry(8, 96, 220, 70);
    auto* unitsLayout = new QVBoxLayout(units);
    auto* metric = named(new QRadioButton(UnitSystemText(UnitSystem::Metric), units),
                         QStringLiteral("FlatRadioButton1"));
    auto* us = named(new QRadioButton(UnitSystemText(UnitSystem::Us), units),
                     QStringLiteral("FlatRadioButton2"));
    unitsLayout->addWidget(metric);
    unitsLayout->addWidget(us);
    // A missing or unknown stored text means the default, metric.
    m_ctx.unitSystem =
        UnitSystemFromText(m_settings.value(UnitSystemKey).toString()).value_or(UnitSystem::Metric);
    (m_ctx.unitSystem == UnitSystem::Us ? us : metric)->setChecked(true);
    for (auto [button, system] : {std::pair{metric, UnitSystem::Metric}, {us, UnitSystem::Us}})
        connect(button, &QRadioButton::toggled, this, [this, system](bool on) {
            if (on)
                m_ctx.messages->Guard([this, system] { UnitSystemChange(system); });
        });

    // Where the log, the transcript and the tables are kept, to copy from.
    auto* files = named(new QGroupBox(QStringLiteral("Dateien"), this), QStringLiteral("gbFiles"));
    files->setGeometry(8, 174, 460, 60);
    auto* folder = named(new QLineEdit(QDir::toNativeSeparators(m_ctx.paths.folder), files),
                         QStringLiteral("edFileFolder"));
    folder->setReadOnly(true);
    folder->setAccessibleName(folder->text());
    (new QVBoxLayout(files))->addWidget(folder);
}

void OptionsPage::UnitSystemChange(UnitSystem system) {
    m_ctx.unitSystem = system;
    m_settings.setValue(UnitSystemKey, UnitSystemText(system));
    m_settings.sync();
    if (m_settings.status() != QSettings::NoError)
        throw DriverError(QStringLiteral("Failed to store settings"));
}

void OptionsPage::AddPorts(const QStringList& ports) {
    COM_CB->addItems(ports);
}

void OptionsPage::SelectPortInUse() {
    const QString& port = m_ctx.port->Port();
    COM_CB->setCurrentIndex(COM_CB->findText(port));
    if (COM_CB->currentIndex() < 0)
        COM_CB->setEditText(port);
    const QSignalBlocker quiet(FlatCheckBox1);
    FlatCheckBox1->setChecked(m_ctx.port->AutoBaud());
}

void OptionsPage::COM_CBChange(const QString& text) {
    // Another name reopens the port: the poller's requests end first.
    StopPollerAndWait(m_ctx);
    // Connecting to a Wi-Fi adapter takes up to its bound: the window stays
    // drawn meanwhile.
    BusyCursor busy;
    RunOffThread([this, &text] { m_ctx.port->SetPort(text); });
    m_ctx.storePortSettings();
}

void OptionsPage::FlatCheckBox1Click(bool checked) {
    // Takes effect at the next opening of the port; nothing on the line.
    m_ctx.port->SetAutoBaud(checked);
    m_ctx.storePortSettings();
}

} // namespace obd
