#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "editor/source_viewers.h"
#include "ui/data_view_rows.h"
#include "ui/qt_host.h"

namespace koru::ui {

class DataViewWidget : public ScreenWidget {
public:
    DataViewWidget(editor::DataViewDialog& model, QtHost& host);

protected:
    void syncControls() override;

private:
    editor::DataViewDialog& m_model;
    DataViewRows* m_rows;
    QTableView* m_gridExam;
    std::vector<std::string> m_sizedFor;  // the columns the grid was last sized to
};

class ColumnPropertiesWidget : public ScreenWidget {
public:
    ColumnPropertiesWidget(editor::ColumnPropertiesDialog& model, QtHost& host);

protected:
    void syncControls() override;

private:
    editor::ColumnPropertiesDialog& m_model;
    QLabel* m_lblName;
    QLabel* m_lblDataType;
    QLabel* m_lblLength;
    QLabel* m_lblPrimaryKey;
    QLineEdit* m_txtName;
    QLineEdit* m_txtDataType;
    QLineEdit* m_txtLength;
    QPushButton* m_cmdOK;
};

}  // namespace koru::ui
