#pragma once

#include <string>
#include <vector>

#include "db/connection_string.h"
#include "wizard/controls.h"
#include "wizard/navigator.h"

namespace koru::connect {

// The ODBC data sources and drivers unixODBC knows.
std::vector<std::string> odbcDataSources();
std::vector<std::string> odbcDrivers();

// A value as an OLE DB connection string reads it back: bare when it can be, otherwise in
// quotes (double quotes when it holds a single quote, a double quote doubled).
std::string connectionStringValue(const std::string& value);

// The kinds of source read from files rather than through a named ODBC driver.
enum class FileKind { Sqlite, Text, Dbf };

// frmDataLink, behind "&GET": builds a source connection string from an ODBC data source, an
// installed ODBC driver with the fields that driver needs, a file (SQLite database, CSV/TSV or
// DBF files), or typed text, and can test it.
class DataLinkDialog : public wizard::Screen {
public:
    DataLinkDialog(wizard::ScreenServices services, std::vector<std::string> dataSources,
                   std::vector<std::string> drivers);

    void Form_Load() override;
    void optDataSource_Click();
    void optDriver_Click();
    void optFile_Click();
    void optTyped_Click();
    // Another driver or file kind was chosen: the fields follow it.
    void cboDriver_Click();
    void cboFileKind_Click();
    // Any of the entry fields changed.
    void Field_Change();
    void cmdBrowse_Click();
    void cmdFolder_Click();
    void cmdTest_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    wizard::Label lblTitle;
    wizard::OptionButton optDataSource;
    wizard::OptionButton optDriver;
    wizard::OptionButton optFile;
    wizard::OptionButton optTyped;
    wizard::ListBox lstDataSources;
    wizard::ComboBox cboDriver;
    wizard::ComboBox cboFileKind;
    wizard::Label lblServer;
    wizard::TextBox txtServer;
    wizard::Label lblPort;
    wizard::TextBox txtPort;
    wizard::Label lblDatabase;
    wizard::TextBox txtDatabase;
    wizard::Label lblUser;
    wizard::TextBox txtUser;
    wizard::Label lblPassword;
    wizard::TextBox txtPassword;
    wizard::Label lblFile;
    wizard::TextBox txtFile;
    wizard::Button cmdBrowse;
    wizard::Button cmdFolder;
    wizard::CheckBox chkHeader;
    wizard::Label lblDelimiter;
    wizard::ComboBox cboDelimiter;
    wizard::Label lblEncoding;
    wizard::ComboBox cboEncoding;
    wizard::Label lblOther;
    wizard::TextBox txtOther;
    wizard::Label lblConnectionString;
    wizard::TextBox txtConnectionString;
    wizard::Button cmdTest;
    wizard::Button cmdOK;
    wizard::Button cmdCancel;

private:
    // What the chosen driver reads: a file (SQLite, Access) or a server.
    enum class DriverNeeds { Server, File };

    void select(wizard::OptionButton& choice);
    void showFields();
    DriverNeeds driverNeeds() const;
    FileKind fileKind() const;
    std::string chosenDriver() const;
    void loadFileKeys(const db::ConnectionString& parsed, FileKind kind);
    std::string built() const;
    std::string builtFile() const;

    wizard::ScreenServices m_services;
    std::vector<std::string> m_dataSources;
    std::vector<std::string> m_drivers;
};

}  // namespace koru::connect
