#include "store/datasetmodel.h"

namespace obd {

DatasetModel::DatasetModel(Dataset& dataset, QList<std::pair<QString, QString>> columns,
                           QObject* parent)
    : QAbstractTableModel(parent), m_dataset(dataset), m_columns(std::move(columns)),
      m_rows(datasetRows()) {
    connect(&m_dataset, &Dataset::DataChange, this, &DatasetModel::refresh);
    connect(&m_dataset, &Dataset::StateChange, this, [this] { refresh(); });
}

int DatasetModel::datasetRows() const {
    if (!m_dataset.Active())
        return 0;
    return m_dataset.RecordCount() + (m_dataset.State() == DatasetState::Insert ? 1 : 0);
}

void DatasetModel::refresh(const QString& fieldName) {
    const int rows = datasetRows();
    if (rows != m_rows) {
        beginResetModel();
        m_rows = rows;
        endResetModel();
        return;
    }
    if (rows == 0 || m_columns.isEmpty())
        return;
    // A written field touches only the current row; anything else may touch all.
    const int current = m_dataset.RecNo();
    const bool oneRow = !fieldName.isEmpty() && current >= 0 && current < rows;
    Q_EMIT dataChanged(index(oneRow ? current : 0, 0),
                       index(oneRow ? current : rows - 1, int(m_columns.size()) - 1));
}

int DatasetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int DatasetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.column() >= m_columns.size())
        return {};
    // Rows the views were not yet told about, or no longer exist, read as "".
    return m_dataset.DisplayText(index.row(),
                                 m_dataset.FieldIndex(m_columns[index.column()].first));
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= m_columns.size())
        return {};
    return m_columns[section].second;
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

} // namespace obd
