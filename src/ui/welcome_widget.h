#pragma once

#include <QLabel>
#include <QPushButton>

#include "ui/qt_host.h"
#include "wizard/welcome_screen.h"

namespace koru::ui {

class WelcomeWidget : public ScreenWidget {
public:
    WelcomeWidget(wizard::WelcomeScreen& model, QtHost& host);

protected:
    void syncControls() override;

private:
    wizard::WelcomeScreen& m_model;
    QLabel* m_lblVersion;
    QLabel* m_lblTitle;
    QLabel* m_lblInform;
    QLabel* m_label1;
    QLabel* m_lblDisclaim;
    QLabel* m_lblDisclaimDetail;
    QLabel* m_lblContinue;
    QPushButton* m_cmdconditions;
    QPushButton* m_cmdBack;
    QPushButton* m_cmdNext;
    QPushButton* m_cmdExit;
};

}  // namespace koru::ui
