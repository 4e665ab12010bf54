#include "import/import_info_screen.h"

#include "db/import_sessions.h"
#include "diag/account.h"
#include "db/repository.h"
#include "diag/messages.h"
#include "import/import_statements.h"
#include "wizard/error_trap.h"
#include "wizard/text_helpers.h"

namespace koru::import {

using wizard::ScreenId;

ImportInfoScreen::ImportInfoScreen(wizard::ScreenServices services)
    : Screen(ScreenId::frmImportInfo), m_services(services) {
    width = 460;
    height = 400;
}

std::string UT_Conn_String_Value(std::string_view key, std::string_view connectionString) {
    std::string pair = std::string(key) + "=";
    std::size_t found = connectionString.find(pair);
    if (found == std::string_view::npos) return {};
    std::size_t start = found + pair.size();
    std::size_t end = connectionString.find(';', start);
    if (end == std::string_view::npos) return {};
    return std::string(connectionString.substr(start, end - start));
}

void ImportInfoScreen::Form_Load() {
    try {
        diag::ErrorReporter& reporter = m_services.reporter;
        caption = std::string(diag::kAppTitle);
        lblTitle.caption = diag::LS(310, reporter);
        framImportInformation.caption = diag::LS(310, reporter);
        lblUserID.caption = diag::LS(311, reporter);
        lblCompName.caption = diag::LS(312, reporter);
        framNotes.caption = diag::LS(313, reporter);
        cmdSave.caption = diag::LS(314, reporter);
        cmdQuit.caption = diag::LS(315, reporter);
        txtCompName.text = diag::computerName();
        txtUserID.text = diag::loggedOnUserName();
        wizard::Context& context = m_services.context;
        std::string source = context.SourceConnection ? context.SourceConnection->connectionString() : std::string();
        std::string destination =
            context.DestinationConnection ? context.DestinationConnection->connectionString() : std::string();
        rtbNotes.text = diag::LS(316, reporter) + UT_Conn_String_Value("Data Source", source) + "\n" +
                        diag::LS(318, reporter) + UT_Conn_String_Value("Initial Catalog", source) + "\n" +
                        diag::LS(320, reporter) + UT_Conn_String_Value("Data Source", destination);
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmImportInfo:form_load", "");
    }
}

void ImportInfoScreen::txtUserID_Change() {
    int caret = txtUserID.selStart;
    wizard::UT_Remove_Quotes(txtUserID.text);
    txtUserID.selStart = caret;
}

void ImportInfoScreen::cmdSave_Click() {
    cmdSave.enabled = false;
    try {
        wizard::Context& context = m_services.context;
        // Bound, so that any text the user typed is stored as typed.
        m_savedImportId = insertTranLog(context.destination(), context.dialect().kind(), txtUserID.text,
                                        txtCompName.text, rtbNotes.text, context.UpdateImportID, context.MapFileName);
    } catch (const std::exception& error) {
        cmdSave.enabled = true;
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmImportInfo", "");
        return;
    }
    m_services.navigator.unloadScreen(id());
}

void ImportInfoScreen::cmdQuit_Click() {
    m_aborted = true;
    m_services.navigator.unloadScreen(id());
}

std::int32_t ImportInfoScreen::Show_Form(bool unattended) {
    m_aborted = false;
    m_savedImportId = 0;
    try {
        if (!unattended) {
            m_services.navigator.showModal(*this);
        } else {
            cmdSave_Click();
            m_aborted = false;
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmImportInfo:Show_Form", "");
        return -1;
    }
    // A window closed without Save records nothing: that is an abort too.
    if (m_aborted || m_savedImportId <= 0) return -1;
    return m_savedImportId;
}

std::int32_t UT_GET_LATEST_Transaction_ImportID(wizard::Context& context, diag::ErrorReporter& reporter,
                                                std::string_view mapFile) {
    try {
        db::Connection& destination = context.destination();
        db::DestinationDialect::Kind kind = context.dialect().kind();
        db::Repository repository(destination, db::repositoryStatementsFor(kind), reporter);
        if (!repository.Create_TB_XFR_TranLog()) return 0;
        std::string name = db::mapFileName(mapFile.empty() ? std::string_view(context.MapFileName) : mapFile);
        const std::string latest = kind == db::DestinationDialect::Kind::Mssql ? "Select isnull(max(id),0) as ID from XFRTranLog"
                                                                               : "Select ifnull(max(id),0) as ID from XFRTranLog";
        // Another mapping's session is never the base of an update: its keys mean other rows.
        std::vector<std::string> sessionsOf = {latest + " order by id desc"};
        if (!name.empty()) sessionsOf = {latest + " where upper(MapFile) = upper(?)", latest + " where MapFile is null"};
        for (const std::string& sql : sessionsOf) {
            bool named = sql.find('?') != std::string::npos;
            auto newest = named ? destination.prepare(sql) : nullptr;
            while (true) {
                std::int32_t id = 0;
                {
                    auto rows = named ? newest->query({name}) : destination.query(sql);
                    if (rows->next()) id = static_cast<std::int32_t>(std::stol(rows->value("ID").value_or("0")));
                }
                if (id < 1) break;
                {
                    auto rows =
                        destination.query("Select count(*) cid from XFRHash WHERE ImportID = " + std::to_string(id));
                    if (rows->next() && rows->value("cid").value_or("0") != "0") return id;
                }
                destination.execute("DELETE FROM XFRTranLog Where ID = " + std::to_string(id));
            }
        }
        return 0;
    } catch (const std::exception& error) {
        reporter.UT_Report_Error(wizard::errorRecordOf(error), "UT_GET_LATEST_Transaction_ImportID", "");
        return 0;
    }
}

}  // namespace koru::import
