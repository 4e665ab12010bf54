#include "restore/restoration_screen.h"

#include <cstdint>
#include <optional>

#include "db/import_sessions.h"
#include "db/repository.h"
#include "diag/messages.h"
#include "diag/text.h"
#include "restore/import_deletion.h"
#include "wizard/error_trap.h"

namespace koru::restore {

using wizard::MsgButtons;
using wizard::MsgIcon;
using wizard::MsgResult;
using wizard::ScreenId;

RestorationScreen::RestorationScreen(wizard::ScreenServices services, DataViewer showData)
    : WizardScreen(ScreenId::frmRestoration, services), m_showData(std::move(showData)) {
    width = 640;
    height = 560;
}

void RestorationScreen::Form_Load() {
    wizard::Context& context = m_services.context;
    caption = std::string(diag::kAppTitle);
    lblTitle.caption = LS(353);
    framTran.caption = LS(551);
    lblEx.caption = LS(552);
    cmdEx.caption = LS(553);
    cmdDelete.caption = LS(356);
    lblDelete.caption = LS(504);
    cmdUpdateData.caption = LS(501);
    lblUpdateData.caption = LS(505);
    cmdUpdateAndNew.caption = LS(502);
    lblUpdateAndNew.caption = LS(506);
    cmdAddNewData.caption = LS(503);
    lblAddNewOnly.caption = LS(507);
    chkRemoveIfDeleted.caption = diag::upperAscii(context.DestinDBName) != "LEDGODB" ? LS(535) : LS(534);
    chkRemoveIfDeleted.value = context.chkRemoveIfDeleted;
    Command1.caption = "Select parent item";
    pbDelete.visible = false;
    cmdBack.caption = LS(167);
    cmdNext.caption = LS(168);
    cmdExit.caption = LS(169);

    bool history = false;
    try {
        // errors suppressed: the select is the test whether the history table exists
        context.destination().query("Select * From XFRTranLog");
        history = true;
    } catch (const std::exception&) {
    }
    if (!history) {
        m_services.dialogs.messageBox(LS(361), MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
        cmdNext.enabled = false;
        cmdDelete.enabled = false;
        return;
    }
    // A history written before sessions named their mapping gains the columns the grid shows.
    db::Repository repository(context.destination(), db::repositoryStatementsFor(context.dialect().kind()),
                              m_services.reporter);
    if (repository.Create_TB_XFR_TranLog()) Setup_Grid_Log();
}

void RestorationScreen::Setup_Grid_Log() {
    gridLog.columns = {"ID", "Date", "User", "Computer", "Notes", "Mapping", "Items", "Updates"};
    gridLog.rows.clear();
    gridLog.row = -1;
    try {
        for (const db::ImportSession& session : db::importSessions(m_services.context.destination())) {
            gridLog.rows.push_back({std::to_string(session.id), session.dateTime, session.user, session.compName,
                                    session.notes, session.mapFile, std::to_string(session.items),
                                    session.updateImportId > 0 ? std::to_string(session.updateImportId) : ""});
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmRestoration:Setup_Grid_Log", "");
    }
}

std::int32_t RestorationScreen::selectedSession() const {
    if (gridLog.row < 0 || gridLog.row >= static_cast<int>(gridLog.rows.size())) return 0;
    const std::vector<std::string>& row = gridLog.rows[gridLog.row];
    if (row.empty()) return 0;
    try {
        long long id = std::stoll(diag::trimBlanks(row[0]));
        return id > 0 && id <= INT32_MAX ? static_cast<std::int32_t>(id) : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

void RestorationScreen::cmdEx_Click() {
    std::int32_t id = selectedSession();
    if (id != 0 && !gridLog.rows.empty()) Setup_Grid_Sam(id);
}

void RestorationScreen::Setup_Grid_Sam(std::int32_t importID) {
    try {
        wizard::Context& context = m_services.context;
        std::string columns = "Alpha1, Alpha2, Alpha3, Alpha4, Alpha5, Num1, Num2, Num3, Num4, Num5 From Ciid";
        std::string session = " Where ID IN (Select CIIDID From XFRHash Where ImportID = " + std::to_string(importID) + ")";
        std::string query = context.dialect().kind() == db::DestinationDialect::Kind::Mssql
                                ? "Select top 50 " + columns + session
                                : context.dialect().selectTop(50, columns + session);
        m_showData(query, "Data (top 50 results) from Import ID : " + std::to_string(importID),
                   context.destination().connectionString());
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmRestoration:Setup_Grid_Sam", "");
    }
}

void RestorationScreen::cmdDelete_Click() {
    std::int32_t id = selectedSession();
    if (id == 0) return;
    wizard::Dialogs& dialogs = m_services.dialogs;
    std::string number = std::to_string(id);
    if (dialogs.messageBox(LS(348) + number + "\r\n" + LS(349) + "\r\n" + LS(350), MsgButtons::YesNo, MsgIcon::None,
                           diag::kAppTitle) != MsgResult::Yes) {
        return;
    }
    wizard::Context& context = m_services.context;
    dialogs.setBusy(true);
    pbDelete.min = 0;
    pbDelete.max = 0;
    pbDelete.value = 0;
    pbDelete.visible = true;
    m_lastDeletion = {};
    DeletionResult result = deleteImportSession(context, m_services.reporter, id, [this](std::int64_t total, std::int64_t done) {
        pbDelete.max = static_cast<int>(total);
        pbDelete.value = static_cast<int>(done);
        repaint();
    });
    m_lastDeletion = result;
    if (!result.refusal.empty()) {
        dialogs.setBusy(false);
        dialogs.messageBox(result.refusal, MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
    }
    if (result.success) {
        // The next run cannot update a session that is gone.
        if (context.UpdateImportID == id) {
            context.UpdateImportID = 0;
            context.UpdateMode = 0;
        }
        dialogs.messageBox(LS(352), MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
    }
    pbDelete.visible = false;
    pbDelete.value = 0;
    Setup_Grid_Log();
    dialogs.setBusy(false);
}

void RestorationScreen::Check_Import_Records(std::int32_t importID) {
    try {
        auto rows = m_services.context.destination().query("Select count(*) cid from XFRHash WHERE ImportID = " +
                                                           std::to_string(importID));
        if (rows->next() && diag::trimBlanks(rows->value(std::size_t{0}).value_or("0")) == "0") {
            m_services.dialogs.messageBox(
                "No previous import records were found in import transaction : " + std::to_string(importID) + "\r\n" +
                    "If you update/add to this import then you may create duplicate entries",
                MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmRestoration:cmdDelete_Click", "");
    }
}

bool RestorationScreen::sameMappingOrConfirmed(std::int32_t importID) {
    std::optional<std::string> question;
    try {
        question = db::otherMappingQuestion(m_services.context.destination(), importID, m_services.context.MapFileName);
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmRestoration:cmdDelete_Click", "");
        return false;
    }
    return !question || m_services.dialogs.messageBox(*question, MsgButtons::YesNo, MsgIcon::Exclamation,
                                                      diag::kAppTitle) == MsgResult::Yes;
}

void RestorationScreen::chooseUpdateMode(std::int16_t mode, const std::string& question) {
    std::int32_t id = selectedSession();
    if (id == 0) return;
    if (!sameMappingOrConfirmed(id)) return;
    Check_Import_Records(id);
    wizard::Context& context = m_services.context;
    context.UpdateMode = mode;
    context.UpdateImportID = id;
    if (m_services.dialogs.messageBox(question, MsgButtons::OKCancel, MsgIcon::Exclamation, diag::kAppTitle) ==
        MsgResult::OK) {
        // The mapping start screen shows it as it is shown: chosen before Next moves there.
        context.optLoadMappings = true;
        cmdNext_Click();
    } else {
        context.UpdateImportID = 0;
        context.UpdateMode = 0;
    }
}

void RestorationScreen::cmdUpdateData_Click() {
    chooseUpdateMode(1, LS(484) + std::to_string(selectedSession()));
}

void RestorationScreen::cmdUpdateAndNew_Click() {
    chooseUpdateMode(2, LS(538) + std::to_string(selectedSession()) + LS(539));
}

void RestorationScreen::cmdAddNewData_Click() {
    chooseUpdateMode(3, LS(536) + std::to_string(selectedSession()) + LS(537));
}

void RestorationScreen::chkRemoveIfDeleted_Click() {
    m_services.context.chkRemoveIfDeleted = chkRemoveIfDeleted.value;
    if (chkRemoveIfDeleted.value) showNewParent();
}

void RestorationScreen::Command1_Click() { showNewParent(); }

void RestorationScreen::showNewParent() {
    wizard::Context& context = m_services.context;
    context.chkRemoveIfDeleted = chkRemoveIfDeleted.value;
    if (wizard::Screen* dialog = m_services.navigator.loadDialog(ScreenId::frmNewParent)) {
        m_services.navigator.showModal(*dialog);
    }
    // Exit on the dialog clears the box: no move without a parent to move to.
    chkRemoveIfDeleted.value = context.chkRemoveIfDeleted;
}

void RestorationScreen::cmdNext_Click() {
    wizard::Context& context = m_services.context;
    if (context.UpdateMode == 1 || context.UpdateMode == 2) {
        context.MoveIfNotInSource = chkRemoveIfDeleted.value;
    } else {
        chkRemoveIfDeleted.value = false;
        context.chkRemoveIfDeleted = false;
    }
    m_services.navigator.UT_Wizard_Change_Forms(ScreenId::frmRestoration, ScreenId::frmMappings, false);
}

void RestorationScreen::cmdBack_Click() {
    m_services.navigator.UT_Wizard_Change_Forms(ScreenId::frmRestoration, ScreenId::frmMappings, false);
}

void RestorationScreen::cmdExit_Click() { m_services.navigator.requestClose(id()); }

}  // namespace koru::restore
