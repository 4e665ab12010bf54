#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "editor/parent_dialogs.h"
#include "ui/navigator_tree.h"
#include "ui/qt_host.h"

namespace koru::ui {

class ParentWidget : public ScreenWidget {
public:
    ParentWidget(editor::ParentDialog& model, QtHost& host);

protected:
    void syncControls() override;

private:
    editor::ParentDialog& m_model;
    QGroupBox* m_fraSelectParent;
    NavigatorTree m_SSTree1;
    QLabel* m_lblCurrentParent;
    QGroupBox* m_fraMatchParent;
    QListWidget* m_lstSourceParent;
    QComboBox* m_cboStyle;
    QListWidget* m_lstDestinParent;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdCancel;
};

class NewParentWidget : public ScreenWidget {
public:
    NewParentWidget(editor::NewParentDialog& model, QtHost& host);

protected:
    void syncControls() override;
    // The window frame's close is the exit button: no move is requested.
    void closeEvent(QCloseEvent* event) override;

private:
    editor::NewParentDialog& m_model;
    NavigatorTree m_SSTree1;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdCancel;
};

}  // namespace koru::ui
