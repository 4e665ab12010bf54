#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/qt_host.h"
#include "wizard/error_console.h"

namespace koru::ui {

class ErrorConsoleWidget : public ScreenWidget {
public:
    ErrorConsoleWidget(wizard::ErrorConsole& model, QtHost& host);

protected:
    void syncControls() override;

private:
    wizard::ErrorConsole& m_model;
    QLabel* m_lblError;
    QPlainTextEdit* m_txtFullError;
    QPushButton* m_cmdSaveError;
    QPushButton* m_cmdDetails;
    QPushButton* m_cmdClose;
};

}  // namespace koru::ui
