// The page "General Options": the port box COM_CB, whose choice (a listed
// device, or a Wi-Fi adapter's host:port typed in) is the port the next
// connection sequence opens and is stored at once, the switch for rate
// detection, the unit system ("Maßsystem", stored at once and read at
// start-up), and the folder of the program's files.
#pragma once

#include "workbench/context.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QSettings;

namespace obd {

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

private:
    WorkbenchContext& m_ctx;
    QSettings& m_settings;
    QComboBox* COM_CB = nullptr;
    QCheckBox* FlatCheckBox1 = nullptr;
};

} // namespace obd
