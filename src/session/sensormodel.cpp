#include "session/sensormodel.h"

#include "common/pidtable.h"
#include "common/regional.h"
#include "services/pidvalues.h"

#include <algorithm>

namespace obd {

namespace {

constexpr const char* Titles[SensorModel::ColumnCount] = {" E", " S", "PID", "Sensor", "Value", ""};

const QString One = QStringLiteral("1");
const QString Zero = QStringLiteral("0");

} // namespace

SensorModel::SensorModel(SensorTable& table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table) {}

int SensorModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(int(m_rows.size()), 1);
}

int SensorModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SensorModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    const Row& row = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return row.texts[size_t(index.column())];
    case Qt::ToolTipRole:
        if (index.column() == ColValue)
            return row.valueTip;
        if (index.column() == ColName)
            return row.texts[ColName];
        return {};
    default:
        return {};
    }
}

QVariant SensorModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromLatin1(Titles[section]);
}

SensorModel::Row SensorModel::rowOf(int entry) const {
    const TSensorData& e = m_table[entry];
    const bool supported = e.Supported;
    const bool polled = supported && e.Enabled;
    Row row;
    row.entry = entry;
    row.texts[ColEnabled] = polled ? One : Zero;
    row.texts[ColSupported] = supported ? One : Zero;
    row.texts[ColPid] = e.Pid;
    row.texts[ColName] = e.Name;
    const SensorReading reading =
        polled ? m_table.Reading(entry) : SensorReading{NotAvailable, std::nullopt, 0};
    const QChar separator = DecimalSeparator();
    // A number at its precision in the chosen units; the tooltip keeps it whole.
    const ShownValue shown =
        InUnitSystem(reading.number.value_or(0), e.UnitText, reading.decimals, m_units);
    if (reading.number) {
        row.texts[ColValue] = DisplayText(shown.value, shown.decimals, separator);
        row.valueTip =
            m_units == UnitSystem::Metric ? reading.text : DecimalForm(shown.value, separator);
    } else {
        row.texts[ColValue] = reading.text;
        row.valueTip = reading.text;
    }
    row.texts[ColUnit] = shown.unit;
    return row;
}

void SensorModel::update(int r, const Row& next) {
    Row& row = m_rows[size_t(r)];
    row.entry = next.entry;
    for (int c = 0; c < ColumnCount; ++c) {
        const bool tipChanged = c == ColValue && row.valueTip != next.valueTip;
        if (row.texts[size_t(c)] == next.texts[size_t(c)] && !tipChanged)
            continue;
        row.texts[size_t(c)] = next.texts[size_t(c)];
        if (c == ColValue)
            row.valueTip = next.valueTip;
        emit dataChanged(index(r, c), index(r, c));
    }
}

void SensorModel::Refill(bool showAll) {
    std::vector<int> shown;
    for (int k = 0; k < m_table.Count(); ++k) {
        const TSensorData& e = m_table[k];
        if (e.IsSensor && (e.Supported || showAll))
            shown.push_back(k);
    }
    // Into or out of the empty row the grid keeps: the rows start anew.
    if (shown.empty() != m_rows.empty()) {
        beginResetModel();
        m_rows.clear();
        for (const int k : shown)
            m_rows.push_back(rowOf(k));
        endResetModel();
        return;
    }
    // Both lists are in table order: rows that went are removed, rows that
    // came are inserted where they belong, the others are updated in place.
    size_t n = 0;
    for (int r = 0; r < int(m_rows.size()) || n < shown.size();) {
        const bool gone =
            r < int(m_rows.size()) && (n == shown.size() || m_rows[size_t(r)].entry < shown[n]);
        if (gone) {
            beginRemoveRows({}, r, r);
            m_rows.erase(m_rows.begin() + r);
            endRemoveRows();
            continue;
        }
        const bool came = r == int(m_rows.size()) || shown[n] < m_rows[size_t(r)].entry;
        if (came) {
            beginInsertRows({}, r, r);
            m_rows.insert(m_rows.begin() + r, rowOf(shown[n]));
            endInsertRows();
        } else {
            update(r, rowOf(shown[n]));
        }
        ++r;
        ++n;
    }
}

void SensorModel::SetUnitSystem(UnitSystem system) {
    m_units = system;
    for (int r = 0; r < int(m_rows.size()); ++r) {
        Row next = m_rows[size_t(r)];
        const Row fresh = rowOf(next.entry);
        // Only the value and the unit follow the units; the rest waits for
        // the next refill as ever.
        next.texts[ColValue] = fresh.texts[ColValue];
        next.texts[ColUnit] = fresh.texts[ColUnit];
        next.valueTip = fresh.valueTip;
        update(r, next);
    }
}

int SensorModel::EntryOf(int row) const {
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)].entry : -1;
}

void SensorModel::ToggleEnabled(int row) {
    const int entry = EntryOf(row);
    if (entry < 0)
        return;
    Row next = m_rows[size_t(row)];
    QString& mark = next.texts[ColEnabled];
    if (next.texts[ColSupported] == One)
        mark = mark == One ? Zero : One;
    m_table[entry].Enabled = mark == One;
    update(row, next);
}

} // namespace obd
