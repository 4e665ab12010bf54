#include "connect/data_link_dialog.h"

#include <sql.h>
#include <sqlext.h>

#include "db/connection_factory.h"
#include "db/connection_string.h"
#include "db/odbc_support.h"
#include "diag/messages.h"

namespace koru::connect {

using wizard::MsgButtons;
using wizard::MsgIcon;

namespace {

std::vector<std::string> odbcNames(bool dataSources) {
    std::vector<std::string> names;
    SQLHENV environment = db::odbc::environment();
    SQLCHAR name[512];
    SQLCHAR description[1024];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT descriptionLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (true) {
        SQLRETURN rc = dataSources
                           ? SQLDataSources(environment, direction, name, sizeof name, &nameLength, description,
                                            sizeof description, &descriptionLength)
                           : SQLDrivers(environment, direction, name, sizeof name, &nameLength, description,
                                        sizeof description, &descriptionLength);
        if (!db::odbc::succeeded(rc)) break;
        names.emplace_back(reinterpret_cast<char*>(name));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

void append(std::string& text, const std::string& key, const std::string& value) {
    if (value.empty()) return;
    text += ";" + key + "=" + connectionStringValue(value);
}

}  // namespace

std::vector<std::string> odbcDataSources() { return odbcNames(true); }
std::vector<std::string> odbcDrivers() { return odbcNames(false); }

std::string connectionStringValue(const std::string& value) {
    bool plain = !value.empty() && value.front() != ' ' && value.back() != ' ' &&
                 value.find_first_of(";'\"{}=") == std::string::npos;
    return plain ? value : db::quotedConnectionValue(value);
}

DataLinkDialog::DataLinkDialog(wizard::ScreenServices services, std::vector<std::string> dataSources,
                               std::vector<std::string> drivers)
    : Screen(wizard::ScreenId::frmDataLink),
      m_services(services),
      m_dataSources(std::move(dataSources)),
      m_drivers(std::move(drivers)) {
    width = 520;
    height = 470;
}

void DataLinkDialog::Form_Load() {
    caption = "Source Database Connection";
    lblTitle.caption = "Choose the source database, then test the connection.";
    optDataSource.caption = "ODBC &data source";
    optDriver.caption = "ODBC d&river";
    optSqliteFile.caption = "S&QLite database file";
    optTyped.caption = "Connection s&tring typed in full";
    lblServer.caption = "Ser&ver :";
    lblDatabase.caption = "Data&base :";
    lblUser.caption = "&User name :";
    lblPassword.caption = "&Password :";
    lblFile.caption = "&File :";
    cmdBrowse.caption = "Bro&wse...";
    lblOther.caption = "Other &keys (key=value;...) :";
    lblConnectionString.caption = "Connection string :";
    cmdTest.caption = "Test &Connection";
    cmdOK.caption = "&OK";
    cmdCancel.caption = "Cancel";
    for (const std::string& name : m_dataSources) lstDataSources.addItem(name);
    for (const std::string& name : m_drivers) cboDriver.addItem(name);

    // Start from the string the connection screen holds.
    const std::string& current = m_services.context.txtSConn;
    txtConnectionString.text = current;
    try {
        db::ConnectionString parsed = db::ConnectionString::parse(current);
        std::string provider = parsed.get("Provider").value_or("");
        if (current.empty()) {
            select(m_dataSources.empty() ? optSqliteFile : optDataSource);
        } else if (provider == "SQLite" || provider == "sqlite") {
            txtFile.text = parsed.get("Data Source").value_or("");
            select(optSqliteFile);
        } else if (auto dsn = parsed.get("DSN")) {
            lstDataSources.listIndex = lstDataSources.indexOf(*dsn);
            txtUser.text = parsed.getAny({"UID", "User ID"}).value_or("");
            txtPassword.text = parsed.getAny({"PWD", "Password"}).value_or("");
            select(optDataSource);
        } else if (auto driver = parsed.get("Driver")) {
            cboDriver.text = *driver;
            cboDriver.listIndex = cboDriver.indexOf(*driver);
            txtServer.text = parsed.get("Server").value_or("");
            txtDatabase.text = parsed.get("Database").value_or("");
            txtUser.text = parsed.getAny({"UID", "User ID"}).value_or("");
            txtPassword.text = parsed.getAny({"PWD", "Password"}).value_or("");
            select(optDriver);
        } else {
            select(optTyped);
        }
    } catch (const std::exception&) {
        select(optTyped);  // a string we cannot read is kept as typed
    }
    txtConnectionString.text = current;
}

void DataLinkDialog::select(wizard::OptionButton& choice) {
    for (wizard::OptionButton* option : {&optDataSource, &optDriver, &optSqliteFile, &optTyped}) {
        option->value = option == &choice;
    }
    lstDataSources.enabled = optDataSource.value;
    cboDriver.enabled = optDriver.value;
    txtServer.enabled = optDriver.value;
    txtDatabase.enabled = optDriver.value;
    txtUser.enabled = optDataSource.value || optDriver.value;
    txtPassword.enabled = txtUser.enabled;
    txtOther.enabled = txtUser.enabled;
    txtFile.enabled = optSqliteFile.value;
    cmdBrowse.enabled = optSqliteFile.value;
    txtConnectionString.locked = !optTyped.value;
}

void DataLinkDialog::optDataSource_Click() {
    select(optDataSource);
    Field_Change();
}

void DataLinkDialog::optDriver_Click() {
    select(optDriver);
    Field_Change();
}

void DataLinkDialog::optSqliteFile_Click() {
    select(optSqliteFile);
    Field_Change();
}

void DataLinkDialog::optTyped_Click() { select(optTyped); }

std::string DataLinkDialog::built() const {
    std::string text;
    if (optDataSource.value) {
        text = "Provider=MSDASQL;DSN=" + connectionStringValue(lstDataSources.selectedText());
    } else if (optDriver.value) {
        std::string driver = cboDriver.listIndex >= 0 ? cboDriver.selectedText() : cboDriver.text;
        text = "Provider=MSDASQL;Driver={" + driver + "}";
        append(text, "Server", txtServer.text);
        append(text, "Database", txtDatabase.text);
    } else if (optSqliteFile.value) {
        return "Provider=SQLite;Data Source=" + connectionStringValue(txtFile.text);
    } else {
        return txtConnectionString.text;
    }
    append(text, "UID", txtUser.text);
    append(text, "PWD", txtPassword.text);
    std::string other = txtOther.text;
    while (!other.empty() && (other.front() == ';' || other.front() == ' ')) other.erase(other.begin());
    if (!other.empty()) text += ";" + other;
    return text;
}

void DataLinkDialog::Field_Change() {
    if (!optTyped.value) txtConnectionString.text = built();
}

void DataLinkDialog::cmdBrowse_Click() {
    std::string file = m_services.dialogs.openFile(
        {"Select SQLite Database", txtFile.text, "SQLite Databases|*.db;*.sqlite;*.sqlite3|All Files|*.*", {}});
    if (file.empty()) return;
    txtFile.text = file;
    Field_Change();
}

void DataLinkDialog::cmdTest_Click() {
    Field_Change();
    m_services.dialogs.setBusy(true);
    try {
        std::unique_ptr<db::Connection> connection = db::openConnection(txtConnectionString.text);
        connection->close();
        m_services.dialogs.setBusy(false);
        m_services.dialogs.messageBox("Test connection succeeded.", MsgButtons::OK, MsgIcon::Information,
                                      diag::kAppTitle);
    } catch (const std::exception& error) {
        m_services.dialogs.setBusy(false);
        m_services.dialogs.messageBox(std::string("Test connection failed : ") + error.what(), MsgButtons::OK,
                                      MsgIcon::Exclamation, diag::kAppTitle);
    }
}

void DataLinkDialog::cmdOK_Click() {
    Field_Change();
    m_services.context.txtSConn = txtConnectionString.text;
    m_services.navigator.unloadScreen(id());
}

void DataLinkDialog::cmdCancel_Click() { m_services.navigator.unloadScreen(id()); }

}  // namespace koru::connect
