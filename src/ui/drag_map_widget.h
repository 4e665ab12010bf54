#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <array>

#include "editor/drag_map_screen.h"
#include "ui/model_tree_widget.h"
#include "ui/qt_host.h"

namespace koru::ui {

class DragMapWidget : public ScreenWidget {
public:
    DragMapWidget(editor::DragMapScreen& model, QtHost& host);

protected:
    void syncControls() override;

private:
    void pressDestination(editor::DestinationTree which, const std::string& key, Qt::MouseButton button,
                          const QPoint& globalPosition);
    void syncToolbar();

    editor::DragMapScreen& m_model;
    QLabel* m_lblTitle;
    QLabel* m_lblStructureLevel;
    QComboBox* m_cboStructure;
    QLabel* m_lblStyle;
    QComboBox* m_cboStyle;
    QCheckBox* m_chkFLY;
    QToolBar* m_toolbar;
    QGroupBox* m_fraSource;
    ModelTreeWidget* m_tvSource;
    QGroupBox* m_fraDestin;
    QTabWidget* m_ssTab1;
    std::array<ModelTreeWidget*, 8> m_destinations;  // in tab order
    QLabel* m_lblDiscovery;
    QComboBox* m_cboDiscovery;
    QCheckBox* m_chkMakeDefaultEXL;
    ModelTreeWidget* m_treCat;
    QMenu* m_popup;
    QAction* m_menuRemoveMapping;
    QAction* m_menuRename;
    QPushButton* m_cmdBack;
    QPushButton* m_cmdNext;
    QPushButton* m_cmdExit;
};

}  // namespace koru::ui
