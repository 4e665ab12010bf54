#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include "editor/data_clause_dialog.h"
#include "ui/qt_host.h"

namespace koru::ui {

class DataClauseWidget : public ScreenWidget {
public:
    DataClauseWidget(editor::DataClauseDialog& model, QtHost& host);

protected:
    void syncControls() override;

private:
    editor::DataClauseDialog& m_model;
    QLabel* m_lblTitle;
    QGroupBox* m_fraMappings;
    QComboBox* m_cboTable;
    QListWidget* m_lstDB2;
    QComboBox* m_cboOperator;
    QLabel* m_lblCriteria;
    QComboBox* m_cboCriteria;
    QComboBox* m_cboAndOr;
    QListWidget* m_lstDataClauses;
    QToolButton* m_upDown1Up;
    QToolButton* m_upDown1Down;
    QPushButton* m_cmdAdd;
    QPushButton* m_cmdRemove;
    QPushButton* m_cmdUpdate;
    QPushButton* m_cmdExit;
};

}  // namespace koru::ui
