#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "connect/users_check_screen.h"
#include "ui/qt_host.h"

namespace koru::ui {

class UsersCheckWidget : public ScreenWidget {
public:
    UsersCheckWidget(connect::UsersCheckScreen& model, QtHost& host);

protected:
    void syncControls() override;

private:
    connect::UsersCheckScreen& m_model;
    QLabel* m_lblTitle;
    QListWidget* m_lstUser;
    QLabel* m_lblTotal;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdRefresh;
    QPushButton* m_cmdIgnore;
};

}  // namespace koru::ui
