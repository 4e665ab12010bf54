#include "ui/data_view_rows.h"

namespace koru::ui {

DataViewRows::DataViewRows(editor::DataViewDialog& dialog, QObject* parent)
    : QAbstractTableModel(parent), m_dialog(dialog) {}

void DataViewRows::sync() {
    int rows = static_cast<int>(m_dialog.rows.size());
    if (m_columns != m_dialog.columns || rows < m_rowCount) {
        beginResetModel();
        m_columns = m_dialog.columns;
        m_rowCount = rows;
        endResetModel();
    } else if (rows > m_rowCount) {
        beginInsertRows({}, m_rowCount, rows - 1);
        m_rowCount = rows;
        endInsertRows();
    }
}

int DataViewRows::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rowCount; }

int DataViewRows::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant DataViewRows::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rowCount) return {};
    const std::vector<std::string>& row = m_dialog.rows[static_cast<std::size_t>(index.row())];
    auto column = static_cast<std::size_t>(index.column());
    return column < row.size() ? QString::fromStdString(row[column]) : QString();
}

QVariant DataViewRows::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    return section >= 0 && section < static_cast<int>(m_columns.size())
               ? QString::fromStdString(m_columns[static_cast<std::size_t>(section)])
               : QVariant();
}

bool DataViewRows::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && (!m_dialog.atEnd() || m_rowCount < static_cast<int>(m_dialog.rows.size()));
}

void DataViewRows::fetchMore(const QModelIndex& parent) {
    if (parent.isValid()) return;
    if (m_rowCount == static_cast<int>(m_dialog.rows.size())) m_dialog.fetchMore();
    sync();
}

}  // namespace koru::ui
