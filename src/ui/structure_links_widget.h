#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "editor/structure_links_screen.h"
#include "ui/qt_host.h"

namespace koru::ui {

class StructureLinksWidget : public ScreenWidget {
public:
    StructureLinksWidget(editor::StructureLinksScreen& model, QtHost& host);

protected:
    void syncControls() override;

private:
    // A frame with a table choice over that table's columns.
    QGroupBox* linkFrame(QWidget* parent, QComboBox*& tables, QListWidget*& columns);

    editor::StructureLinksScreen& m_model;
    QLabel* m_lblTitle;
    QLabel* m_lblInstruct;
    QLabel* m_lblIdentifier;
    QListWidget* m_lstSummary;
    QGroupBox* m_fraDataSource;
    QGroupBox* m_fraLink1;
    QComboBox* m_cboLink1;
    QListWidget* m_lstLink1;
    QGroupBox* m_fraLink2;
    QComboBox* m_cboLink2;
    QListWidget* m_lstLink2;
    QPushButton* m_cmdAddLink;
    QPushButton* m_cmdBack;
    QPushButton* m_cmdNext;
    QPushButton* m_cmdExit;
};

}  // namespace koru::ui
