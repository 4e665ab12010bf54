#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "import/import_info_screen.h"
#include "ui/qt_host.h"

namespace koru::ui {

class ImportInfoWidget : public ScreenWidget {
public:
    ImportInfoWidget(import::ImportInfoScreen& model, QtHost& host);

protected:
    void syncControls() override;

private:
    import::ImportInfoScreen& m_model;
    QLabel* m_lblTitle;
    QGroupBox* m_framImportInformation;
    QLabel* m_lblUserID;
    QLineEdit* m_txtUserID;
    QLabel* m_lblCompName;
    QLineEdit* m_txtCompName;
    QGroupBox* m_framNotes;
    QPlainTextEdit* m_rtbNotes;
    QPushButton* m_cmdSave;
    QPushButton* m_cmdQuit;
};

}  // namespace koru::ui
