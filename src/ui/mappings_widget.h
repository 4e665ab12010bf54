#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "mapping/mappings_screen.h"
#include "ui/qt_host.h"

namespace koru::ui {

class MappingsWidget : public ScreenWidget {
public:
    MappingsWidget(mapping::MappingsScreen& model, QtHost& host);

protected:
    void syncControls() override;

private:
    mapping::MappingsScreen& m_model;
    QLabel* m_lblTitle;
    QRadioButton* m_optNewMappings;
    QRadioButton* m_optLoadMappings;
    QRadioButton* m_optRestore;
    QRadioButton* m_optKBImport;
    QGroupBox* m_framLoadMappings;
    QLabel* m_folder;
    QListWidget* m_File;
    QPushButton* m_cmdBrowse;
    QPushButton* m_cmdBack;
    QPushButton* m_cmdNext;
    QPushButton* m_cmdExit;
};

}  // namespace koru::ui
