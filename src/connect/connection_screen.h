#pragma once

#include <functional>
#include <memory>
#include <string>

#include "db/connection.h"
#include "wizard/controls.h"
#include "wizard/navigator.h"

namespace koru::connect {

// frmConn: the destination product, server, database and login, and the source connection
// string. Next opens both connections and prepares the mapping repository.
class ConnectionScreen : public wizard::WizardScreen {
public:
    explicit ConnectionScreen(wizard::ScreenServices services);

    void Form_Load() override;
    void cboProduct_Click();
    void optEXE_Click();
    void optNEW_Click();
    void cmdNew_Click();
    void cmdBack_Click();
    void cmdExit_Click();
    void cmdNext_Click();

    bool Connect_To_servers();
    bool Is_SourceDB_Bracket_Compatible();

    // How a connection string becomes an open connection; tests may stand in for the driver.
    using Opener = std::function<std::unique_ptr<db::Connection>(const std::string&)>;
    void setOpener(Opener opener) { m_open = std::move(opener); }

    wizard::Label lblTitle;
    wizard::Label fraDataSource;
    wizard::Label fraODBC;
    wizard::Label fraDestin;
    wizard::Label lblServer;
    wizard::Label lblUID;
    wizard::Label lblPWD;
    wizard::Label lblProduct;
    wizard::Label lblDBName;
    wizard::ComboBox cboServer;
    wizard::TextBox txtUID;
    wizard::TextBox txtPW;
    wizard::TextBox txtdbName;
    wizard::TextBox txtSConn;
    wizard::ComboBox cboProduct;
    wizard::OptionButton optEXE;
    wizard::OptionButton optNEW;
    wizard::Button cmdNew;
    wizard::Button cmdBack;
    wizard::Button cmdNext;
    wizard::Button cmdExit;

private:
    // The destination connection string, as the product has always written it.
    std::string destinationConnectionString() const;
    void closeConnections();

    Opener m_open;
};

}  // namespace koru::connect
