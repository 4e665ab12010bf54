#include "connect/users_check_screen.h"

#include "diag/messages.h"
#include "diag/text.h"
#include "wizard/error_trap.h"

namespace koru::connect {
namespace {

}  // namespace

UsersCheckScreen::UsersCheckScreen(wizard::ScreenServices services)
    : Screen(wizard::ScreenId::frmAnyOneThere), m_services(services) {
    width = 460;
    height = 320;
}

std::string UsersCheckScreen::LS(int number) { return diag::LS(number, m_services.reporter); }

void UsersCheckScreen::Form_Load() {
    caption = LS(243);
    lblTitle.caption = LS(246) + m_services.context.cboProductText + LS(494);
    cmdOK.caption = LS(244);
    cmdRefresh.caption = LS(245);
    cmdIgnore.caption = LS(497);
}

bool UsersCheckScreen::Show_Form() {
    Get_SP_WHO();
    if (lstUser.items.empty()) {
        m_services.navigator.unloadScreen(id());
        return true;
    }
    m_proceed = false;  // closing the window any other way is an OK
    m_services.navigator.showModal(*this);
    return m_proceed;
}

void UsersCheckScreen::Get_SP_WHO() {
    wizard::Context& context = m_services.context;
    wizard::Dialogs& dialogs = m_services.dialogs;
    dialogs.setBusy(true);
    try {
        db::Connection& destination = context.destination();
        bool serverSessions = context.dialect().kind() == db::DestinationDialect::Kind::Mssql;
        // The embedded destination has no server sessions: only the web sessions are listed.
        if (serverSessions) {
            std::unique_ptr<db::Recordset> sessions = destination.query("EXEC sp_WHO2");
            bool any = sessions->next();
            if (!any) {
                dialogs.messageBox(std::string(diag::kAppTitle) + LS(460), wizard::MsgButtons::OK,
                                   wizard::MsgIcon::Exclamation, diag::kAppTitle);
                dialogs.setBusy(false);
                return;
            }
            lstUser.clear();
            std::string database = diag::upperAscii(context.DestinDBName);
            for (; any; any = sessions->next()) {
                std::string login = sessions->value("Login").value_or("");
                std::string sessionDatabase = sessions->value("dbName").value_or("");
                if (diag::upperAscii(login) == "SA" || diag::upperAscii(diag::trimBlanks(sessionDatabase)) != database) continue;
                lstUser.addItem(LS(239) + login + LS(462) + sessions->value("HostName").value_or("") + LS(240) +
                                sessions->value("Programname").value_or(""));
            }
        } else {
            lstUser.clear();
        }
        std::unique_ptr<db::Recordset> web = destination.query("Select * From WebCount");
        while (web->next()) {
            lstUser.addItem(LS(239) + web->value("userID").value_or("") + " (" + web->value("IP").value_or("") +
                            LS(241));
        }
        lblTotal.caption = LS(242) + std::to_string(lstUser.listCount());
    } catch (const std::exception& error) {
        dialogs.setBusy(false);
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmCurrentLogins: Show_Form", "");
        return;
    }
    dialogs.setBusy(false);
}

void UsersCheckScreen::cmdOK_Click() {
    m_proceed = false;
    m_services.navigator.unloadScreen(id());
}

void UsersCheckScreen::cmdIgnore_Click() {
    m_proceed = true;
    m_services.navigator.unloadScreen(id());
}

void UsersCheckScreen::cmdRefresh_Click() {
    cmdRefresh.enabled = false;
    Get_SP_WHO();
    cmdRefresh.enabled = true;
}

}  // namespace koru::connect
