#pragma once

#include "wizard/controls.h"
#include "wizard/navigator.h"

namespace koru::connect {

// frmAnyOneThere: the other sessions of the destination database, before the wizard goes on.
class UsersCheckScreen : public wizard::Screen {
public:
    explicit UsersCheckScreen(wizard::ScreenServices services);

    void Form_Load() override;
    // True when the wizard may go on: nobody else is there, or the user chose Ignore.
    bool Show_Form();
    void Get_SP_WHO();
    void cmdOK_Click();
    void cmdRefresh_Click();
    void cmdIgnore_Click();

    wizard::Label lblTitle;
    wizard::ListBox lstUser;
    wizard::Label lblTotal;
    wizard::Button cmdOK;
    wizard::Button cmdRefresh;
    wizard::Button cmdIgnore;

private:
    std::string LS(int number);

    wizard::ScreenServices m_services;
    bool m_proceed = false;
};

}  // namespace koru::connect
