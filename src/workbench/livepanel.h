// One panel of the sensor page's "Einzeln" view: a drop-down of the supported
// PIDs and the chosen one's value, large, with its unit and its minimum and
// maximum since the last reset, in the chosen unit system.
#pragma once

#include "common/sensortable.h"
#include "common/units.h"

#include <QFrame>
#include <QList>
#include <optional>
#include <utility>

class QComboBox;
class QLabel;
class QPushButton;

namespace obd {

class LivePanel : public QFrame {
    Q_OBJECT
public:
    // number 1..4 names the drop-down cbSD<number>.
    LivePanel(int number, QWidget* parent);

    // The PIDs to choose from: sensor table entry and name. The chosen entry
    // stays chosen when it is among them; otherwise the first one is.
    void SetChoices(const QList<std::pair<int, QString>>& choices, int preferred);
    // The chosen sensor table entry, or -1.
    int Chosen() const;
    // Shows the chosen value, read in unit: a number at its precision, a
    // state text, or "N/A" for a value that is not live (not polled,
    // unsupported, failed).
    void Show(const SensorReading& reading, const QString& unit);
    // Shows the value, its unit and its range in system from now on.
    void SetUnitSystem(UnitSystem system);
    void ResetRange();

signals:
    void chosen(int entry);
    // The user chose entry in the drop-down.
    void picked(int entry);

private:
    // A new PID is shown: nothing of the one before stays.
    void choiceChanged();
    void showValue(const QString& text);
    // Writes value, unit and range of the last reading in the unit system.
    void render();

    QComboBox* m_list;
    QLabel* m_value;
    QLabel* m_unit;
    QLabel* m_range;
    QPushButton* m_reset;
    SensorReading m_reading{NotAvailable, std::nullopt, 0};
    QString m_readingUnit;
    UnitSystem m_units = UnitSystem::Metric;
    // The range in the reading's own unit.
    std::optional<double> m_min;
    std::optional<double> m_max;
    int m_decimals = 0;
};

} // namespace obd
