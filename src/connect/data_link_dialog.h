#pragma once

#include <string>
#include <vector>

#include "wizard/controls.h"
#include "wizard/navigator.h"

namespace koru::connect {

// The ODBC data sources and drivers unixODBC knows.
std::vector<std::string> odbcDataSources();
std::vector<std::string> odbcDrivers();

// A value as an OLE DB connection string reads it back: bare when it can be, otherwise in
// quotes (double quotes when it holds a single quote, a double quote doubled).
std::string connectionStringValue(const std::string& value);

// frmDataLink, behind "&GET": builds a source connection string from an ODBC data source, an
// ODBC driver with its keys, a SQLite file, or typed text, and can test it.
class DataLinkDialog : public wizard::Screen {
public:
    DataLinkDialog(wizard::ScreenServices services, std::vector<std::string> dataSources,
                   std::vector<std::string> drivers);

    void Form_Load() override;
    void optDataSource_Click();
    void optDriver_Click();
    void optSqliteFile_Click();
    void optTyped_Click();
    // Any of the entry fields changed.
    void Field_Change();
    void cmdBrowse_Click();
    void cmdTest_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    wizard::Label lblTitle;
    wizard::OptionButton optDataSource;
    wizard::OptionButton optDriver;
    wizard::OptionButton optSqliteFile;
    wizard::OptionButton optTyped;
    wizard::ListBox lstDataSources;
    wizard::ComboBox cboDriver;
    wizard::Label lblServer;
    wizard::TextBox txtServer;
    wizard::Label lblDatabase;
    wizard::TextBox txtDatabase;
    wizard::Label lblUser;
    wizard::TextBox txtUser;
    wizard::Label lblPassword;
    wizard::TextBox txtPassword;
    wizard::Label lblFile;
    wizard::TextBox txtFile;
    wizard::Button cmdBrowse;
    wizard::Label lblOther;
    wizard::TextBox txtOther;
    wizard::Label lblConnectionString;
    wizard::TextBox txtConnectionString;
    wizard::Button cmdTest;
    wizard::Button cmdOK;
    wizard::Button cmdCancel;

private:
    void select(wizard::OptionButton& choice);
    std::string built() const;

    wizard::ScreenServices m_services;
    std::vector<std::string> m_dataSources;
    std::vector<std::string> m_drivers;
};

}  // namespace koru::connect
