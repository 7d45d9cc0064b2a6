#include "workbench/optionspage.h"

#include "common/errors.h"
#include "link/comport.h"
#include "link/portsettings.h"
#include "store/recordsimport.h"
#include "session/offthread.h"
#include "workbench/messages.h"
#include "workbench/pagelook.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace obd {

namespace {

const QString UnitSystemKey = QStringLiteral("Masssystem");

// The "Datenbank" settings; the password is never among them.
const QString DbKindKey = QStringLiteral("Datenbank/Art");
const QString DbServerKind = QStringLiteral("PostgreSQL");
const QString DbTablesKind = QStringLiteral("Tabellen");
const QString DbHostKey = QStringLiteral("Datenbank/Host");
const QString DbPortKey = QStringLiteral("Datenbank/Port");
const QString DbNameKey = QStringLiteral("Datenbank/Name");
const QString DbUserKey = QStringLiteral("Datenbank/Benutzer");
const QString DbTlsKey = QStringLiteral("Datenbank/TlsVerlangen");

void storeSettings(QSettings& settings) {
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw DriverError(QStringLiteral("Failed to store settings"));
}

ServerSettings serverOf(const QSettings& settings) {
    ServerSettings server;
    server.host = settings.value(DbHostKey).toString();
    server.port = settings.value(DbPortKey, 5432).toInt();
    server.database = settings.value(DbNameKey, QStringLiteral("torvane")).toString();
    server.user = settings.value(DbUserKey).toString();
    server.requireTls = settings.value(DbTlsKey, false).toBool();
    return server;
}

} // namespace

std::optional<ServerSettings> ServerFromSettings(const QSettings& settings) {
    if (settings.value(DbKindKey).toString() != DbServerKind)
        return std::nullopt;
    return serverOf(settings);
}

std::unique_ptr<Records> RecordsFromSettings(const QSettings& settings, const ProgramPaths& paths,
                                             PasswordPrompt askPassword) {
    if (const std::optional<ServerSettings> server = ServerFromSettings(settings))
        return std::make_unique<ServerRecords>(*server, std::move(askPassword));
    return std::make_unique<TableRecords>(paths.dataFolder());
}

PasswordPrompt PasswordBox(QWidget* parent) {
    return [parent](const QString& question) -> std::optional<QString> {
        bool ok = false;
        const QString password = QInputDialog::getText(
            parent, QStringLiteral("Datenbank"), question, QLineEdit::Password, QString(), &ok);
        if (!ok)
            return std::nullopt;
        return password;
    };
}

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

    // Where customers and visits are kept.
    auto* database =
        named(new QGroupBox(QStringLiteral("Datenbank"), this), QStringLiteral("gbDatabase"));
    database->setGeometry(8, 242, 460, 190);
    auto* grid = new QGridLayout(database);
    grid->setVerticalSpacing(4);
    auto* local = named(new QRadioButton(QStringLiteral("Lokale Tabellen"), database),
                        QStringLiteral("rbLocalTables"));
    rbServer = named(new QRadioButton(QStringLiteral("PostgreSQL-Server"), database),
                     QStringLiteral("rbServer"));
    grid->addWidget(local, 0, 0, 1, 2);
    grid->addWidget(rbServer, 0, 2, 1, 2);
    const ServerSettings server = serverOf(m_settings);
    int place = 0;
    const auto edit = [&](const char* caption, const char* name, const QString& value) {
        auto* box = named(new QLineEdit(value, database), QLatin1String(name));
        auto* label = new QLabel(QLatin1String(caption), database);
        labelFor(label, box);
        grid->addWidget(label, 1 + place / 2, (place % 2) * 2);
        grid->addWidget(box, 1 + place / 2, (place % 2) * 2 + 1);
        ++place;
        connect(box, &QLineEdit::editingFinished, this,
                [this] { m_ctx.messages->Guard([this] { DatabaseChange(); }); });
        return box;
    };
    edDbHost = edit("Host", "edDbHost", server.host);
    edDbHost->setPlaceholderText(QStringLiteral("localhost"));
    edDbPort = edit("Port", "edDbPort", QString::number(server.port));
    edDbName = edit("Datenbank", "edDbName", server.database);
    edDbUser = edit("Benutzer", "edDbUser", server.user);
    cbDbRequireTls = named(new QCheckBox(QStringLiteral("TLS verlangen"), database),
                           QStringLiteral("cbDbRequireTls"));
    cbDbRequireTls->setToolTip(QStringLiteral("Ohne Haken wird verschlüsselt, wenn der Server es "
                                              "anbietet."));
    cbDbRequireTls->setChecked(server.requireTls);
    grid->addWidget(cbDbRequireTls, 3, 0, 1, 2);
    auto* import = named(new QPushButton(QStringLiteral("Import local tables"), database),
                         QStringLiteral("btnImportTables"));
    grid->addWidget(import, 3, 2, 1, 2);
    auto* note = named(new QLabel(QStringLiteral("Gilt ab dem nächsten Start. Kennwort aus "
                                                 "~/.pgpass oder auf Nachfrage."),
                                  database),
                       QStringLiteral("labDatabaseNote"));
    note->setWordWrap(true);
    note->setAccessibleName(note->text());
    grid->addWidget(note, 4, 0, 1, 4);
    (ServerFromSettings(m_settings) ? rbServer : local)->setChecked(true);
    connect(rbServer, &QRadioButton::toggled, this,
            [this] { m_ctx.messages->Guard([this] { DatabaseChange(); }); });
    connect(cbDbRequireTls, &QCheckBox::toggled, this,
            [this] { m_ctx.messages->Guard([this] { DatabaseChange(); }); });
    connect(import, &QPushButton::clicked, this,
            [this] { m_ctx.messages->Guard([this] { btnImportTablesClick(); }); });
}

void OptionsPage::DatabaseChange() {
    m_settings.setValue(DbKindKey, rbServer->isChecked() ? DbServerKind : DbTablesKind);
    m_settings.setValue(DbHostKey, edDbHost->text().trimmed());
    bool isNumber = false;
    const int port = edDbPort->text().trimmed().toInt(&isNumber);
    if (isNumber && port > 0 && port < 65536)
        m_settings.setValue(DbPortKey, port);
    else
        edDbPort->setText(QString::number(serverOf(m_settings).port));
    m_settings.setValue(DbNameKey, edDbName->text().trimmed());
    m_settings.setValue(DbUserKey, edDbUser->text().trimmed());
    m_settings.setValue(DbTlsKey, cbDbRequireTls->isChecked());
    storeSettings(m_settings);
}

void OptionsPage::btnImportTablesClick() {
    DatabaseChange();
    const ServerSettings server = serverOf(m_settings);
    if (m_ctx.messages->AskYesNo(
            QStringLiteral("Kunden und Diagnosen aus den lokalen Tabellen in \"%1\" in die "
                           "Datenbank \"%2\" übernehmen? Schon übernommene werden nicht doppelt "
                           "angelegt.")
                .arg(QDir::toNativeSeparators(m_ctx.paths.dataFolder()), server.database)) !=
        BoxButton::Yes)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ImportResult result;
    try {
        ServerRecords records(server, PasswordBox(this));
        result = ImportLocalTables(m_ctx.paths.dataFolder(), records);
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
    // The lists in use show the imported records from now on.
    m_ctx.records->RefreshCustomers();
    m_ctx.messages->Information(result.Text());
}

void OptionsPage::UnitSystemChange(UnitSystem system) {
    m_ctx.unitSystem = system;
    m_settings.setValue(UnitSystemKey, UnitSystemText(system));
    storeSettings(m_settings);
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
