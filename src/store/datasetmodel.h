// A read-only table model over a dataset for a grid: the visible records in
// table order (the record being inserted last), one column per field given.
#pragma once

#include "store/dataset.h"

#include <QAbstractTableModel>
#include <QList>
#include <utility>

namespace obd {

class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // columns: field name and column title, in order.
    DatasetModel(Dataset& dataset, QList<std::pair<QString, QString>> columns,
                 QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const QString& fieldOfColumn(int column) const { return m_columns[column].first; }

private:
    void refresh(const QString& fieldName = {});
    int datasetRows() const;

    Dataset& m_dataset;
    QList<std::pair<QString, QString>> m_columns;
    int m_rows = 0; // what the views were last told
};

} // namespace obd
