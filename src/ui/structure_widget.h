#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "editor/structure_screen.h"
#include "ui/model_tree_widget.h"
#include "ui/qt_host.h"

namespace koru::ui {

class StructureWidget : public ScreenWidget {
public:
    StructureWidget(editor::StructureScreen& model, QtHost& host);

protected:
    void syncControls() override;

private:
    editor::StructureScreen& m_model;
    QLabel* m_lblTitle;
    QGroupBox* m_fraStructure;
    ModelTreeWidget* m_tvStructure;
    QPlainTextEdit* m_rtbStructure;
    QPushButton* m_cmdAddChildNode;
    QPushButton* m_cmdRename;
    QPushButton* m_cmdDelete;
    QPushButton* m_cmdClear;
    QPushButton* m_cmdSampleData;
    QCheckBox* m_chkDelRoot;
    QCheckBox* m_chkSelectDistinct;
    QPushButton* m_cmdBack;
    QPushButton* m_cmdNext;
    QPushButton* m_cmdExit;
};

}  // namespace koru::ui
