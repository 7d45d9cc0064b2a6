// The sensor grid's model over the sensor table: one row per shown entry
// (sensor rows that are supported, or all of them when the unsupported ones
// are shown) with the columns E, S, PID, name, value and unit, values and
// units in the chosen unit system. A refill announces only the cells whose
// text changed, so a polling pass repaints what moved and nothing else.
#pragma once

#include "common/sensortable.h"
#include "common/units.h"

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <vector>

namespace obd {

class SensorModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColEnabled, ColSupported, ColPid, ColName, ColValue, ColUnit, ColumnCount };

    explicit SensorModel(SensorTable& table, QObject* parent = nullptr);

    // At least one row: without any shown entry the grid keeps one empty row.
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // The cell texts: E "1" when the entry is polled (enabled and
    // supported), S "1" when supported, else "0"; the value of a polled entry
    // at its precision, else "N/A". Tooltips hold the whole value and name.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Rewrites the rows from the table in table order; showAll adds the
    // unsupported sensor rows.
    void Refill(bool showAll);
    // Values and units from now on in system; the shown cells follow at once.
    void SetUnitSystem(UnitSystem system);
    UnitSystem Units() const { return m_units; }
    // The sensor table entry of a row, -1 for the empty row.
    int EntryOf(int row) const;
    // Column E of a row: a supported row's mark is switched; the entry is
    // polled when the mark now reads "1" (an unsupported row's entry is no
    // longer polled, which shows only when the vehicle supports it later).
    void ToggleEnabled(int row);

private:
    struct Row {
        int entry = -1;
        std::array<QString, ColumnCount> texts;
        QString valueTip;
    };
    Row rowOf(int entry) const;
    // Takes over the texts of next into row r and announces the cells that changed.
    void update(int r, const Row& next);

    SensorTable& m_table;
    std::vector<Row> m_rows;
    UnitSystem m_units = UnitSystem::Metric;
};

} // namespace obd
