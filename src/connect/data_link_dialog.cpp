#include "connect/data_link_dialog.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include <sql.h>
#include <sqlext.h>

#include "db/connection_factory.h"
#include "db/connection_string.h"
#include "db/odbc_support.h"
#include "diag/messages.h"
#include "diag/text.h"

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

namespace {

struct FileKindInfo {
    FileKind kind;
    const char* caption;
    const char* provider;
    const char* dialogTitle;
    const char* filter;
};

constexpr FileKindInfo kFileKinds[] = {
    {FileKind::Sqlite, "SQLite database", "SQLite", "Select SQLite Database",
     "SQLite Databases|*.db;*.sqlite;*.sqlite3|All Files|*.*"},
    {FileKind::Text, "Text files (CSV, TSV): a file or a folder of them", "Text", "Select Text File",
     "Text Files|*.csv;*.tsv;*.txt|All Files|*.*"},
    {FileKind::Dbf, "dBase / FoxPro files (DBF): a file or a folder of them", "DBF", "Select dBase File",
     "dBase Files|*.dbf|All Files|*.*"},
};

// Captions of the delimiter list and the values the Text provider reads; the first detects.
constexpr std::pair<const char*, const char*> kDelimiters[] = {
    {"Detect", ""}, {"Comma ,", ","}, {"Semicolon ;", ";"}, {"Tab", "Tab"}, {"Vertical bar |", "|"}};
constexpr const char* kEncodings[] = {"Detect", "UTF-8", "Windows-1252"};

bool sameNoCase(const std::string& a, const std::string& b) { return diag::upperAscii(a) == diag::upperAscii(b); }

bool containsNoCase(const std::string& text, const std::string& part) {
    return diag::upperAscii(text).find(diag::upperAscii(part)) != std::string::npos;
}

bool yes(const std::string& value) {
    return value == "1" || sameNoCase(value, "Yes") || sameNoCase(value, "True");
}

}  // namespace

DataLinkDialog::DataLinkDialog(wizard::ScreenServices services, std::vector<std::string> dataSources,
                               std::vector<std::string> drivers)
    : Screen(wizard::ScreenId::frmDataLink),
      m_services(services),
      m_dataSources(std::move(dataSources)),
      m_drivers(std::move(drivers)) {
    width = 560;
    height = 600;
}

void DataLinkDialog::Form_Load() {
    caption = "Source Database Connection";
    lblTitle.caption = "Choose the source database, then test the connection.";
    optDataSource.caption = "ODBC &data source";
    optDriver.caption = "ODBC d&river";
    optFile.caption = "Database or data &files";
    optTyped.caption = "Connection s&tring typed in full";
    lblServer.caption = "Ser&ver :";
    lblPort.caption = "Po&rt :";
    lblDatabase.caption = "Data&base :";
    lblUser.caption = "&User name :";
    lblPassword.caption = "&Password :";
    lblFile.caption = "&File :";
    cmdBrowse.caption = "Bro&wse...";
    cmdFolder.caption = "Fo&lder...";
    chkHeader.caption = "First row holds the column &names";
    chkHeader.value = true;
    lblDelimiter.caption = "D&elimiter :";
    lblEncoding.caption = "E&ncoding :";
    lblOther.caption = "Other &keys (key=value;...) :";
    lblConnectionString.caption = "Connection string :";
    cmdTest.caption = "Test &Connection";
    cmdOK.caption = "&OK";
    cmdCancel.caption = "Cancel";
    for (const std::string& name : m_dataSources) lstDataSources.addItem(name);
    for (const std::string& name : m_drivers) cboDriver.addItem(name);
    if (cboDriver.listCount() > 0) cboDriver.listIndex = 0;
    for (const FileKindInfo& kind : kFileKinds) cboFileKind.addItem(kind.caption);
    cboFileKind.listIndex = 0;
    for (const auto& [caption, value] : kDelimiters) cboDelimiter.addItem(caption);
    cboDelimiter.listIndex = 0;
    for (const char* encoding : kEncodings) cboEncoding.addItem(encoding);
    cboEncoding.listIndex = 0;

    // Start from the string the connection screen holds.
    const std::string& current = m_services.context.txtSConn;
    try {
        db::ConnectionString parsed = db::ConnectionString::parse(current);
        std::string provider = parsed.get("Provider").value_or("");
        auto kind = std::find_if(std::begin(kFileKinds), std::end(kFileKinds),
                                 [&](const FileKindInfo& info) { return sameNoCase(provider, info.provider); });
        if (current.empty()) {
            select(m_dataSources.empty() ? optFile : optDataSource);
        } else if (kind != std::end(kFileKinds)) {
            loadFileKeys(parsed, kind->kind);
            select(optFile);
        } else if (auto dsn = parsed.get("DSN")) {
            lstDataSources.listIndex = lstDataSources.indexOf(*dsn);
            txtUser.text = parsed.getAny({"UID", "User ID"}).value_or("");
            txtPassword.text = parsed.getAny({"PWD", "Password"}).value_or("");
            select(optDataSource);
        } else if (auto driver = parsed.get("Driver")) {
            cboDriver.text = *driver;
            cboDriver.listIndex = cboDriver.indexOf(*driver);
            txtServer.text = parsed.getAny({"Server", "Servername", "Data Source"}).value_or("");
            txtPort.text = parsed.get("Port").value_or("");
            txtDatabase.text = parsed.get("Database").value_or("");
            txtFile.text = parsed.getAny({"DBQ", "Database", "Data Source"}).value_or("");
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

void DataLinkDialog::loadFileKeys(const db::ConnectionString& parsed, FileKind kind) {
    cboFileKind.listIndex = static_cast<int>(kind);
    txtFile.text = parsed.getAny({"Data Source", "Database"}).value_or("");
    if (auto header = parsed.get("HDR")) chkHeader.value = yes(*header);
    std::string delimiter = parsed.get("Delimiter").value_or("");
    for (std::size_t i = 1; i < std::size(kDelimiters); ++i) {
        if (sameNoCase(delimiter, kDelimiters[i].second)) cboDelimiter.listIndex = static_cast<int>(i);
    }
    int encoding = cboEncoding.indexOf(parsed.get("Encoding").value_or(""));
    if (encoding > 0) cboEncoding.listIndex = encoding;
}

std::string DataLinkDialog::chosenDriver() const {
    return cboDriver.listIndex >= 0 ? cboDriver.selectedText() : cboDriver.text;
}

DataLinkDialog::DriverNeeds DataLinkDialog::driverNeeds() const {
    std::string driver = chosenDriver();
    bool access = containsNoCase(driver, "MDB") || containsNoCase(driver, "Access");
    return access || db::driverFamilyOf(driver) == db::DriverFamily::Sqlite ? DriverNeeds::File : DriverNeeds::Server;
}

FileKind DataLinkDialog::fileKind() const {
    return cboFileKind.listIndex > 0 ? kFileKinds[cboFileKind.listIndex].kind : FileKind::Sqlite;
}

void DataLinkDialog::select(wizard::OptionButton& choice) {
    for (wizard::OptionButton* option : {&optDataSource, &optDriver, &optFile, &optTyped}) {
        option->value = option == &choice;
    }
    showFields();
}

// Only the fields the chosen way of connecting reads are open for typing.
void DataLinkDialog::showFields() {
    bool server = optDriver.value && driverNeeds() == DriverNeeds::Server;
    bool driverFile = optDriver.value && driverNeeds() == DriverNeeds::File;
    bool text = optFile.value && fileKind() == FileKind::Text;
    lstDataSources.enabled = optDataSource.value;
    cboDriver.enabled = optDriver.value;
    cboFileKind.enabled = optFile.value;
    for (wizard::Control* field : {static_cast<wizard::Control*>(&txtServer), static_cast<wizard::Control*>(&txtPort),
                                   static_cast<wizard::Control*>(&txtDatabase)}) {
        field->enabled = server;
    }
    txtUser.enabled = optDataSource.value || server;
    txtPassword.enabled = optDataSource.value || optDriver.value;
    txtOther.enabled = optDataSource.value || optDriver.value;
    txtFile.enabled = optFile.value || driverFile;
    cmdBrowse.enabled = txtFile.enabled;
    cmdFolder.enabled = optFile.value && fileKind() != FileKind::Sqlite;
    chkHeader.enabled = text;
    cboDelimiter.enabled = text;
    cboEncoding.enabled = optFile.value && fileKind() != FileKind::Sqlite;
    lblServer.enabled = txtServer.enabled;
    lblPort.enabled = txtPort.enabled;
    lblDatabase.enabled = txtDatabase.enabled;
    lblUser.enabled = txtUser.enabled;
    lblPassword.enabled = txtPassword.enabled;
    lblFile.enabled = txtFile.enabled;
    lblDelimiter.enabled = text;
    lblEncoding.enabled = cboEncoding.enabled;
    lblOther.enabled = txtOther.enabled;
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

void DataLinkDialog::optFile_Click() {
    select(optFile);
    Field_Change();
}

void DataLinkDialog::optTyped_Click() { select(optTyped); }

void DataLinkDialog::cboDriver_Click() {
    showFields();
    Field_Change();
}

void DataLinkDialog::cboFileKind_Click() {
    showFields();
    Field_Change();
}

std::string DataLinkDialog::builtFile() const {
    FileKind kind = fileKind();
    std::string text = std::string("Provider=") + kFileKinds[static_cast<int>(kind)].provider +
                       ";Data Source=" + connectionStringValue(txtFile.text);
    if (kind == FileKind::Text) {
        if (!chkHeader.value) text += ";HDR=No";
        if (cboDelimiter.listIndex > 0) append(text, "Delimiter", kDelimiters[cboDelimiter.listIndex].second);
    }
    if (kind != FileKind::Sqlite && cboEncoding.listIndex > 0) append(text, "Encoding", cboEncoding.selectedText());
    return text;
}

std::string DataLinkDialog::built() const {
    std::string text;
    if (optDataSource.value) {
        text = "Provider=MSDASQL;DSN=" + connectionStringValue(lstDataSources.selectedText());
        append(text, "UID", txtUser.text);
    } else if (optDriver.value) {
        std::string driver = chosenDriver();
        text = "Provider=MSDASQL;Driver={" + driver + "}";
        if (driverNeeds() == DriverNeeds::File) {
            // The SQLite driver names its file Database, the Access driver DBQ.
            append(text, db::driverFamilyOf(driver) == db::DriverFamily::Sqlite ? "Database" : "DBQ", txtFile.text);
        } else {
            bool mssql = db::driverFamilyOf(driver) == db::DriverFamily::MsSql;
            // Microsoft's drivers take the port after the server name.
            append(text, "Server", mssql && !txtPort.text.empty() ? txtServer.text + "," + txtPort.text : txtServer.text);
            if (!mssql) append(text, "Port", txtPort.text);
            append(text, "Database", txtDatabase.text);
            append(text, "UID", txtUser.text);
        }
    } else if (optFile.value) {
        return builtFile();
    } else {
        return txtConnectionString.text;
    }
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
    wizard::FileDialogRequest request{"Select Access Database", txtFile.text,
                                      "Access Databases|*.mdb;*.accdb|All Files|*.*", {}};
    if (optFile.value || db::driverFamilyOf(chosenDriver()) == db::DriverFamily::Sqlite) {
        const FileKindInfo& kind = kFileKinds[optFile.value ? static_cast<int>(fileKind()) : 0];
        request.title = kind.dialogTitle;
        request.filter = kind.filter;
    }
    std::string file = m_services.dialogs.openFile(request);
    if (file.empty()) return;
    txtFile.text = file;
    Field_Change();
}

void DataLinkDialog::cmdFolder_Click() {
    std::string folder = m_services.dialogs.openFolder({"Select the Folder of the Files", txtFile.text, {}, {}});
    if (folder.empty()) return;
    txtFile.text = folder;
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
