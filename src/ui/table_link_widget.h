#pragma once

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "editor/table_link_dialog.h"
#include "ui/qt_host.h"

namespace koru::ui {

class TableLinkWidget : public ScreenWidget {
public:
    TableLinkWidget(editor::TableLinkDialog& model, QtHost& host);

protected:
    void syncControls() override;
    // The window frame's close is the exit button: it warns about missing links.
    void closeEvent(QCloseEvent* event) override;

private:
    editor::TableLinkDialog& m_model;
    QLabel* m_lblTitle;
    QComboBox* m_cboSTable;
    QListWidget* m_lstDB1;
    QComboBox* m_cboTable;
    QListWidget* m_lstDB2;
    QListWidget* m_lstLinks;
    QPushButton* m_cmdAdd;
    QPushButton* m_cmdRemoveLink;
    QPushButton* m_cmdExit;
};

}  // namespace koru::ui
