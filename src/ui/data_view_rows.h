#pragma once

#include <QAbstractTableModel>

#include "editor/source_viewers.h"

namespace koru::ui {

// The data viewer's columns and rows for a QTableView, read further a page at a time as the
// view scrolls towards the end.
class DataViewRows : public QAbstractTableModel {
public:
    explicit DataViewRows(editor::DataViewDialog& dialog, QObject* parent = nullptr);

    // Takes in what the dialog read since the last call; starts over for a new query.
    void sync();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    editor::DataViewDialog& m_dialog;
    // What the view has been told of, which trails the dialog's vectors until sync().
    std::vector<std::string> m_columns;
    int m_rowCount = 0;
};

}  // namespace koru::ui
