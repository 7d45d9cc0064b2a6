// The page "General Options": the port box COM_CB, whose choice (a listed
// device, or a Wi-Fi adapter's host:port typed in) is the port the next
// connection sequence opens and is stored at once, the switch for rate
// detection, the unit system ("Maßsystem", stored at once and read at
// start-up), the folder of the program's files, and "Datenbank": the local
// tables or a PostgreSQL server shared by several workstations (stored at
// once, used from the next start), with "Import local tables".
#pragma once

#include "store/serverrecords.h"
#include "workbench/context.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSettings;

namespace obd {

// The server the "Datenbank" settings name; none when the local tables are chosen.
std::optional<ServerSettings> ServerFromSettings(const QSettings& settings);
// The records store the settings choose, not yet opened: the tables in the
// data folder unless a server is chosen.
std::unique_ptr<Records> RecordsFromSettings(const QSettings& settings, const ProgramPaths& paths,
                                             PasswordPrompt askPassword);
// Asks for the server's password in a box over parent.
PasswordPrompt PasswordBox(QWidget* parent);

class OptionsPage : public QWidget {
    Q_OBJECT
public:
    // settings is the store of the port settings.
    OptionsPage(WorkbenchContext& ctx, QSettings& settings, QWidget* parent = nullptr);

    // Start-up: the port names found, in order, then the one in use selected
    // (none if it is not among them; its name is then shown in the box) and
    // the detection switch as stored.
    void AddPorts(const QStringList& ports);
    void SelectPortInUse();

    void COM_CBChange(const QString& text);
    void FlatCheckBox1Click(bool checked);
    // Shows values in system from now on and stores the choice.
    void UnitSystemChange(UnitSystem system);
    // Stores the "Datenbank" group's choice.
    void DatabaseChange();
    // Copies the local tables into the server the group names and shows the counts.
    void btnImportTablesClick();

private:
    WorkbenchContext& m_ctx;
    QSettings& m_settings;
    QComboBox* COM_CB = nullptr;
    QCheckBox* FlatCheckBox1 = nullptr;
    QRadioButton* rbServer = nullptr;
    QLineEdit* edDbHost = nullptr;
    QLineEdit* edDbPort = nullptr;
    QLineEdit* edDbName = nullptr;
    QLineEdit* edDbUser = nullptr;
    QCheckBox* cbDbRequireTls = nullptr;
};

} // namespace obd
