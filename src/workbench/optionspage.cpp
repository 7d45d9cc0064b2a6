#include "workbench/optionspage.h"

#include "common/errors.h"
#include "link/comport.h"
#include "link/portsettings.h"
#include "workbench/messages.h"
#include "workbench/pagelook.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
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
    COM_CB->setEditable(false);
    comLayout->addWidget(COM_CB);
    auto* auto_ = named(new QCheckBox(QStringLiteral("automatisch erkennen"), com),
                        QStringLiteral("FlatCheckBox1"));
    auto_->setEnabled(false);
    comLayout->addWidget(auto_);
    connect(COM_CB, &QComboBox::textActivated, this, [this](const QString& text) {
        m_ctx.messages->Guard([this, text] { COM_CBChange(text); });
    });

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
    COM_CB->setCurrentIndex(COM_CB->findText(m_ctx.port->Port()));
}

void OptionsPage::COM_CBChange(const QString& text) {
    // Another name reopens the port: the poller's requests end first.
    StopPollerAndWait(m_ctx);
    m_ctx.port->SetPort(text);
    StorePortSettings(*m_ctx.port, m_settings);
}

} // namespace obd
