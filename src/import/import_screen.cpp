#include "import/import_screen.h"

#include <cctype>
#include <ctime>
#include <optional>
#include <set>
#include <stdexcept>
#include <string_view>

#include "db/destination_access.h"
#include "db/preview_connection.h"
#include "db/repository.h"
#include "db/sql_quoting.h"
#include "db/trigger_switch.h"
#include "diag/logs.h"
#include "diag/messages.h"
#include "diag/stage_clock.h"
#include "diag/stop_request.h"
#include "diag/text.h"
#include "import/extraction.h"
#include "import/import_info_screen.h"
#include "import/import_procedures.h"
#include "import/import_statements.h"
#include "import/row_accounting.h"
#include "mapping/mapping_checks.h"
#include "wizard/error_trap.h"
#include "wizard/triggers_left_off.h"
#include "wizard/text_helpers.h"

namespace koru::import {

using wizard::MsgButtons;
using wizard::MsgIcon;
using wizard::MsgResult;
using wizard::ScreenId;

namespace {

// The item procedure goes on past a row that fails and then says "N transfer rows failed; the
// first: level L, source key 'K': reason"; the server's and driver's prefixes are left out.
std::string failedRowsOf(std::string_view error) {
    std::size_t found = error.find(" transfer rows failed");
    if (found == std::string_view::npos) return {};
    std::size_t start = found;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(error[start - 1]))) --start;
    return diag::trimBlanks(error.substr(start));
}

// The first failing row's level by its name as well as its number.
std::string withLevelName(std::string message, const std::vector<wizard::StructureLevel>& levels) {
    const std::string marker = "; the first: level ";
    std::size_t start = message.find(marker);
    if (start == std::string::npos) return message;
    start += marker.size();
    std::size_t end = start;
    while (end < message.size() && std::isdigit(static_cast<unsigned char>(message[end]))) ++end;
    if (end == start || end - start > 6 || message.compare(end, 1, ",") != 0) return message;
    std::size_t level = std::stoul(message.substr(start, end - start));
    if (level >= 1 && level < levels.size()) message.insert(end, " (" + levels[level].Name + ")");
    return message;
}

std::string now() {
    std::time_t time = std::time(nullptr);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%d/%m/%Y %H:%M:%S", std::localtime(&time));
    return buffer;
}

}  // namespace

ImportScreen::ImportScreen(wizard::ScreenServices services) : WizardScreen(ScreenId::frmDBSave, services) {
    width = 560;
    height = 480;
}

void ImportScreen::Form_Load() {
    caption = std::string(diag::kAppTitle);
    lblTitle.caption = LS(280);
    fraProgress.caption = LS(281);
    fraOverall.caption = LS(282);
    fraSave.caption = LS(283);
    fraVerify.caption = LS(284);
    fraLive.caption = LS(285);
    fraHRAC.caption = LS(286);
    cmdBack.caption = LS(167);
    cmdStart.caption = LS(278);
    cmdPreview.caption = "Preview";
    cmdPreview.toolTip = "Run the whole import and take it back: see what it would do, level by level";
    txtPreview.locked = true;
    txtPreview.visible = false;
    cmdFinish.caption = LS(279);
    cmdFinish.enabled = false;
    wizard::Context& context = m_services.context;
    if (!context.KBImport) {
        bool hierarchy = context.Gstructures.size() > 2;
        fraHRAC.enabled = hierarchy;
        pbHRAC.enabled = hierarchy;
    }
}

void ImportScreen::cmdStart_Click() {
    m_previewing = false;
    cmdPreview.enabled = false;
    txtPreview.visible = false;  // the run shows its own progress; a preview's counts would be stale
    run();
    cmdPreview.enabled = cmdStart.enabled;
}

void ImportScreen::cmdPreview_Click() {
    m_preview = {};
    m_previewing = true;
    cmdPreview.enabled = false;
    struct Done {
        bool& previewing;
        ~Done() { previewing = false; }
    } done{m_previewing};
    try {
        run();
    } catch (const diag::ProcessEnd& end) {
        // An unattended preview reports the failure with its table, after the rollback.
        if (end.status == 0) throw;
        m_preview.failed = true;
    }
    cmdStart.enabled = true;
    cmdBack.enabled = true;
    cmdPreview.enabled = true;
    cmdFinish.enabled = false;
    txtPreview.text = previewText(m_preview);
    txtPreview.visible = true;
}

void ImportScreen::run() {
    wizard::Context& context = m_services.context;
    m_stage = LS(262);
    cmdStart.enabled = false;
    cmdBack.enabled = false;
    cmdFinishDefault = false;
    for (wizard::ProgressBar* bar : {&pbOverall, &pbHRAC, &pbLive, &pbSave, &pbVerify}) bar->value = 0;
    m_triggersOff = false;
    m_triggersStillOff.clear();
    m_reportFailure = false;
    m_timeoutRetries = 0;
    if (!takeDestinationLock()) return;
    struct Release {
        std::shared_ptr<db::DestinationLock>& lock;
        ~Release() { lock.reset(); }
    } release{m_destinationLock};
    // Declared after the lock: everything is rolled back before another run may begin, and
    // counted before that.
    std::optional<PreviewScope> previewScope;
    struct Count {
        ImportScreen& screen;
        ~Count() { screen.countPreviewNow(); }
    };
    std::optional<Count> count;
    if (m_previewing) {
        try {
            previewScope.emplace(context);
        } catch (const std::exception& error) {
            m_services.dialogs.setBusy(false);
            m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDBSave:cmdPreview", "");
            m_preview.failed = true;
            cmdStart.enabled = true;
            cmdBack.enabled = true;
            return;
        }
        count.emplace(*this);
        for (wizard::StructureLevel& level : context.Gstructures) level.rowsRead = 0;
        m_movedItems.clear();
        m_itemsBefore = 0;
        m_previewCounted = false;
        m_stageError.clear();
    }
    diag::UT_Output_Debug(now() + " - Creating tables");
    diag::StageClock::instance().clear();
    struct StopClock {
        ~StopClock() { diag::StageClock::instance().stop(); }
    } stopClock;
    try {
        diag::stageLap("work tables");
        runStages();
    } catch (const RunFailed&) {
        failureExit();
        return;
    } catch (const Aborted&) {
        cmdStart.enabled = true;
        cmdBack.enabled = true;
        return;
    } catch (const diag::ProcessEnd& end) {
        // An unattended run ends at the first error a stage reports: the triggers go on first,
        // and the stage is named as in the wizard.
        if (end.status != 0) failureExit();
        throw;
    } catch (const std::exception& error) {
        // Triggers first: whatever happened, the product records its changes again.
        enableTriggers();
        m_services.dialogs.setBusy(false);
        cmdStart.enabled = true;
        cmdBack.enabled = true;
        std::string detail = failedRowsOf(error.what());
        if (m_previewing) {
            m_preview.failed = true;
            m_preview.failure = LS(276) + m_stage + "\r\n" + error.what();
        }
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDBSave:cmdStart",
                                            LS(276) + m_stage + (detail.empty() ? "" : "\r\n" + detail) +
                                                (m_triggersStillOff.empty() ? "" : "\r\n" + m_triggersStillOff));
        // Rows that failed while the others went in: the run did not succeed, and says which.
        if (m_reportFailure || context.Unattended || !detail.empty()) failureExit(detail);
        return;
    }
}

bool ImportScreen::takeDestinationLock() {
    wizard::Context& context = m_services.context;
    m_services.dialogs.setBusy(true);
    try {
        m_destinationLock = context.destinationLock();
        std::optional<std::string> refusal;
        if (!m_destinationLock->acquire(context.destinationLockWait)) {
            refusal = db::destinationBusyMessage(context.DestinDBName, m_destinationLock->holder());
        } else if (!db::isPreview(context.DestinationConnection.get())) {
            // A preview's transaction holds the write lock already.
            refusal = db::destinationWriteRefusal(context.destination(), context.dialect().kind(),
                                                  context.DestinDBName, context.destinationLockWait);
        }
        if (!refusal) return true;
        std::string message = *refusal;
        m_destinationLock.reset();
        m_services.dialogs.setBusy(false);
        m_services.dialogs.messageBox(message, MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
    } catch (const std::exception& error) {
        m_destinationLock.reset();
        m_services.dialogs.setBusy(false);
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDBSave:cmdStart", "");
    }
    cmdStart.enabled = true;
    cmdBack.enabled = true;
    if (context.Unattended) diag::endProcess(1);
    return false;
}


// A session opened again has lost the server's lock: take it back or stop.
void ImportScreen::retakeDestinationLock() {
    wizard::Context& context = m_services.context;
    if (m_destinationLock && !m_destinationLock->acquire(context.destinationLockWait)) {
        throw std::runtime_error(db::destinationBusyMessage(context.DestinDBName, m_destinationLock->holder()));
    }
}

void ImportScreen::runStages() {
    wizard::Context& context = m_services.context;
    wizard::Dialogs& dialogs = m_services.dialogs;
    // A preview keeps the error a stage reported, to say why the run would fail.
    struct PreviewReporter : diag::ErrorReporter {
        diag::ErrorReporter& real;
        std::string& reported;
        PreviewReporter(diag::ErrorReporter& real, std::string& reported) : real(real), reported(reported) {}
        void UT_Report_Error(const diag::ErrorRecord& error, std::string_view location,
                             std::string_view message) override {
            reported = error.description;
            real.UT_Report_Error(error, location, message);
        }
        void Show_Form(std::string_view message, std::string_view location, const diag::ErrorRecord& error) override {
            real.Show_Form(message, location, error);
        }
    } previewReporter(m_services.reporter, m_stageError);
    diag::ErrorReporter& reporter = m_previewing ? previewReporter : m_services.reporter;
    db::DestinationDialect::Kind kind = context.dialect().kind();
    const ImportStatements& statements = importStatementsFor(kind);
    auto procedures = makeImportProcedures(kind);
    int levels = static_cast<int>(context.Gstructures.size()) - 1;

    auto prepare = [&](int stage, auto step) {
        m_stage = LS(stage);
        if (!step()) throw RunFailed{};
    };
    if (levels < 1) {
        // A mapping saved before any level was made: an import of it would import nothing.
        dialogs.messageBox("The mapping has no structure level: there is nothing to import.", MsgButtons::OK,
                           MsgIcon::Exclamation, diag::kAppTitle);
        throw RunFailed{};
    }
    wizard::restoreTriggersLeftOff(m_services);
    prepare(263, [&] { return Create_Temp_P_Table(context.destination(), statements, reporter); });
    prepare(264, [&] { return Create_Temp_Table(context.destination(), statements, reporter); });
    db::Repository repository(context.destination(), db::repositoryStatementsFor(kind), reporter);
    prepare(265, [&] { return repository.Create_TB_XFR_Hash(); });
    m_stage = " Creating Hash Indexes";
    if (!repository.Update_XFR_Hash_Indexes()) throw RunFailed{};
    prepare(266, [&] { return Create_XFR_SPs(context.destination(), *procedures, reporter); });
    prepare(267, [&] { return repository.Create_TB_XFR_TranLog(); });

    m_stage = LS(268);
    if (context.Unattended || m_previewing) {
        // A preview's session row is rolled back with the rest: nothing to ask the user.
        auto* info = dynamic_cast<ImportInfoScreen*>(m_services.navigator.loadScreen(ScreenId::frmImportInfo));
        m_importId = info ? info->Show_Form(true) : -1;
        if (m_importId == -1 && !context.Unattended) throw Aborted{};
        if (m_importId == -1) diag::endProcess(1);
    } else {
        auto* info = dynamic_cast<ImportInfoScreen*>(m_services.navigator.loadScreen(ScreenId::frmImportInfo));
        m_importId = info ? info->Show_Form(false) : -1;
        if (m_importId == -1) throw Aborted{};
        dialogs.messageBox(LS(269) + "\r\n\r\n" + LS(470) + "\r\n" + LS(471), MsgButtons::OK, MsgIcon::Exclamation,
                           diag::kAppTitle);
    }

    diag::UT_Output_Debug(" - Writing to temp table");
    diag::stageLap("extraction setup");
    m_stage = LS(270);
    for (wizard::StructureLevel& level : context.Gstructures) level.keyFindings.clear();
    if (!Write_To_Temp_Table_Hierachy(context, reporter,
                                      {pbOverall, pbSave, pbVerify, lblRecNumImport, [this] { repaint(); }})) {
        throw RunFailed{};
    }
    std::string keyless = keylessRowsWarning(context.Gstructures);
    if (!keyless.empty()) warn(keyless);
    for (const wizard::StructureLevel& level : context.Gstructures) sayFindings(level.keyFindings);

    dialogs.setBusy(true);
    diag::stageLap("triggers off");
    m_stage = LS(473);
    m_triggersOff = true;
    context.destination().execute(statements.disableTriggers("ciid"));
    if (context.LGEnabled) {
        m_stage = LS(472);
        context.destination().execute(statements.disableTriggers("assetciid"));
        context.destination().execute(statements.disableTriggers("assetmaintain"));
    }

    diag::UT_Output_Debug(" - Updating live database");
    m_stage = LS(271);
    std::optional<db::DbError> failedRows;
    std::string lostRows;  // rows that made nothing, and that no failure counted
    if (m_previewing && !context.KBImport) m_itemsBefore = highestItemId(context.destination());
    if (context.KBImport) {
        db::UntimedCommands untimed(context.destination());
        long articlesBefore = articleCount(context.destination());
        m_itemsBefore = articlesBefore;
        procedures->XFR_Update_KB(context.destination());
        lostRows = unaccountedArticles(context.destination(), articlesBefore);
    } else {
        db::UntimedCommands untimed(context.destination());
        try {
            procedures->XFR_Update_CIID(context.destination(), m_importId, context.UpdateImportID);
        } catch (const db::DbError& error) {
            // The rows that went in still get their parents, triggers and history; the run then
            // fails at this stage, naming the rows that did not.
            if (failedRowsOf(error.what()).empty()) throw;
            failedRows = db::DbError(error.code(), withLevelName(error.what(), context.Gstructures), error.records(),
                                     error.statement());
        }
        diag::stageLap("row accounting");
        std::string failed = failedRows ? failedRowsOf(failedRows->what()) : std::string();
        lostRows = unaccountedRows(context.destination(), m_importId, context.UpdateImportID > 0,
                                   failed.empty() ? 0 : std::stol(failed));
    }
    pbLive.value = pbLive.max;
    repaint();
    if (context.LGEnabled) UT_Update_Invalid_AssetID(statements);

    // From here on a failure also ends with the stage's failure message.
    m_reportFailure = true;
    if (levels > 1) {
        pbHRAC.max = levels + 1;
        if (context.LGEnabled) {
            pbHRAC.max += 2;
            UT_Update_Invalid_AssetID(statements);
            ++pbHRAC.value;
        }
        diag::stageLap("hierarchy");
        m_stage = LS(272);
        for (int level = 1; level <= levels; ++level) {
            diag::UT_Output_Debug("Level " + std::to_string(level) + " - ImportID " + std::to_string(m_importId));
            updateHierarchy(*procedures, level);
            ++pbHRAC.value;
            repaint();
        }
        diag::UT_Output_Debug(" - Updating HRAC ");
        diag::stageLap("parent update");
        m_stage = LS(474);
        context.destination().execute(statements.updateParents(m_importId));
        pbHRAC.value = pbHRAC.max;
    }

    diag::stageLap("parents matched, items moved");
    if (!context.SourceCol.empty()) matchParents();
    // Only an update of recorded items knows which of them left the source; another run's
    // conditions would be stale.
    if (context.MoveIfNotInSource && (context.UpdateMode == 1 || context.UpdateMode == 2)) moveItemsNotInSource(levels);

    diag::stageLap("triggers and history");
    m_stage = LS(475);
    context.destination().execute(statements.enableTriggers("ciid"));
    if (context.LGEnabled) {
        m_stage = LS(476);
        if (!Update_Ciid_History(m_importId)) throw RunFailed{};
        m_stage = LS(477);
        context.destination().execute(statements.enableTriggers("assetciid"));
        context.destination().execute(statements.enableTriggers("assetmaintain"));
        m_stage = LS(478);
        m_triggersOff = false;
        if (!Update_AssetCiid_History(m_importId)) throw RunFailed{};
    }
    m_triggersOff = false;

    ++pbOverall.value;
    if (context.cboDiscovery) {
        if (!Update_EXT_Conn_Str(*context.cboDiscovery, diag::trimBlanks(context.txtSConn))) throw RunFailed{};
    }
    // The rows that fail are said by the failure that follows.
    countPreviewNow();
    if (failedRows || !lostRows.empty()) {
        m_stage = LS(271);
        if (!failedRows) throw db::DbError(db::kErrGeneralFailure, lostRows);
        if (lostRows.empty()) throw *failedRows;
        throw db::DbError(failedRows->code(), std::string(failedRows->what()) + "\r\n" + lostRows,
                          failedRows->records(), failedRows->statement());
    }
    diag::stageLap("finish");
    m_stage = LS(274);
    pbOverall.value = pbOverall.max;
    repaint();

    if (m_previewing) {
        dialogs.setBusy(false);
        return;
    }
    if (context.Unattended) {
        std::string result = "Data import completed successfully" + std::string("     -    ") + lblRecNumImport.caption;
        diag::UT_Write_To_Internal_Log(result);
        diag::endProcess(0, result);
    }
    dialogs.messageBox(LS(275), MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
    cmdStart.enabled = false;
    cmdFinish.enabled = true;
    cmdFinishDefault = true;
    dialogs.setBusy(false);
}

// Said in the log of every run, and by a preview.
void ImportScreen::sayFindings(const std::vector<std::string>& findings) {
    for (const std::string& finding : findings) {
        diag::UT_Write_To_Internal_Log("Source: " + finding);
        if (m_previewing) m_preview.diagnostics.push_back(finding);
    }
}

void ImportScreen::repaint() {
    if (int signal = diag::stopRequested()) {
        throw std::runtime_error("The import was stopped by signal " + std::to_string(signal) + ".");
    }
    m_services.navigator.repaint(*this);
}

void ImportScreen::UT_Update_Invalid_AssetID(const ImportStatements& statements) {
    try {
        for (const std::string& statement : statements.invalidAssetIds(m_importId)) {
            m_services.context.destination().execute(statement);
        }
    } catch (const std::exception& error) {
        // Reported, and the run goes on: the hierarchy must still be built.
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "UT_Update_Invalid_AssetID", "");
    }
}

void ImportScreen::updateHierarchy(ImportProcedures& procedures, int level) {
    wizard::Context& context = m_services.context;
    while (true) {
        try {
            db::UntimedCommands untimed(context.destination());
            procedures.XFR_Update_DB_Hierachy(context.destination(), m_importId, level);
            m_timeoutRetries = 0;
            return;
        } catch (const db::DbError& error) {
            if (error.code() != db::kErrTimeout) {
                m_timeoutRetries = 0;
                throw;  // reported with the stage, never passed over
            }
        }
        db::Connection& destination = *context.DestinationConnection;
        std::string connectionString = destination.connectionString();
        if (m_timeoutRetries == 4) {
            try {
                destination.cancel();
                destination.close();
            } catch (const std::exception&) {
                // the connection is opened anew below
            }
            MsgResult answer = m_services.dialogs.messageBox(LS(273), MsgButtons::AbortRetryIgnore, MsgIcon::None,
                                                             diag::kAppTitle);
            m_timeoutRetries = 0;
            if (answer == MsgResult::Abort) {
                // Open again all the same, so that the triggers can be switched on and the user go on.
                destination.open(connectionString);
                retakeDestinationLock();
                throw RunFailed{};
            }
        } else {
            ++m_timeoutRetries;
        }
        try {
            destination.close();
        } catch (const std::exception&) {
            // errors ignored: it is opened again at once
        }
        destination.open(connectionString);
        retakeDestinationLock();
    }
}

void ImportScreen::matchParents() {
    wizard::Context& context = m_services.context;
    db::Connection& destination = context.destination();
    std::string session = std::to_string(m_importId);
    struct Item {
        std::string id;
        std::string value;
    };
    // Only a CIID column ever reaches the statements: the settings may come from a mapping file.
    std::optional<std::string> sourceCol = mapping::ciidParentColumn(context.SourceCol);
    std::optional<std::string> destinCol = mapping::ciidParentColumn(context.DestinCol);
    if (!sourceCol || !destinCol) {
        throw std::invalid_argument("Parent matching compares no CIID fields: '" + context.SourceCol + "', '" +
                                    context.DestinCol + "'");
    }
    std::vector<Item> items;
    {
        auto rows = destination.query("Select ciid.id, ciid." + *sourceCol +
                                      " , ciid.parent From ciid INNER JOIN XFRHash ON XFRHash.CIIDID = CIID.ID Where "
                                      "XfrHash.importid = " +
                                      session + " and XfrHash.StructureID = 1");
        while (rows->next()) items.push_back({rows->value(std::size_t{0}).value_or(""), rows->value(std::size_t{1}).value_or("")});
    }
    bool kestrix = diag::upperAscii(wizard::UT_Get_Connection_Property(context.source().connectionString(),
                                                                       "Initial Catalog=")) == "KESTRIX";
    std::string candidates = "id from ciid where styleID = " + std::to_string(context.StyleID) + " and ciid." +
                             *destinCol +
                             " = ? and ciid.id not in (select xfrhash.ciidid from xfrhash where XfrHash.importid = " +
                             session + ") order by id asc";
    auto find = destination.prepare(context.dialect().kind() == db::DestinationDialect::Kind::Mssql
                                        ? "Select top 1 " + candidates
                                        : "Select " + candidates + " LIMIT 1");
    for (const Item& item : items) {
        std::string value = diag::trimBlanks(item.value);
        if (value.empty()) continue;
        if (kestrix && value.find('\\', 1) != std::string::npos) {
            value = value.substr(0, value.rfind('\\'));
            value = value.substr(value.rfind('\\') == std::string::npos ? 0 : value.rfind('\\') + 1);
        }
        std::optional<std::string> parent;
        {
            auto rows = find->query({value});
            if (rows->next()) parent = rows->value(std::size_t{0});
        }
        if (parent) destination.execute("UPDATE CIID SET Parent = " + *parent + " where id = " + item.id);
    }
}

void ImportScreen::moveItemsNotInSource(int levels) {
    wizard::Context& context = m_services.context;
    db::Connection& destination = context.destination();
    for (int level = 1; level <= levels; ++level) {
        const wizard::StructureLevel& record = context.Gstructures[level];
        if (record.noKeysInSource) {
            // An emptied table or a wrong connection must not move every item of the level.
            warn("No items of level " + std::to_string(level) + " (" + record.Name +
                 ") were moved: the source database returned no rows for that level.");
            continue;
        }
        const std::string& condition = record.notInSourceCondition;
        // Without a condition the level has nothing the updated session recorded to compare.
        if (condition.empty()) continue;
        if (record.transferRowsCompared) {
            // Compared with fewer transfer rows than the run wrote, items still in the source
            // would move.
            std::int64_t held = 0;
            {
                auto rows = destination.query("SELECT count(*) FROM XFRTransfer WHERE StructureID = " +
                                              std::to_string(level));
                if (rows->next()) held = std::stoll(rows->value(std::size_t{0}).value_or("0"));
            }
            if (held != *record.transferRowsCompared) {
                warn("No items of level " + std::to_string(level) + " (" + record.Name +
                     ") were moved: the transfer table holds " + std::to_string(held) + " of the " +
                     std::to_string(*record.transferRowsCompared) + " rows this run read for that level.");
                continue;
            }
        }
        std::string list;
        {
            // A preview also reads where each item hangs now: one already there does not move.
            auto rows = destination.query(std::string(m_previewing ? "Select ciid.id, ciid.Parent" : "Select ciid.id") +
                                          " from ciid " + condition);
            const std::string newParent = std::to_string(context.NewParentID);
            std::set<std::string> moving;
            while (rows->next()) {
                std::string id = rows->value(std::size_t{0}).value_or("");
                list += id + " , ";
                if (m_previewing && rows->value(std::size_t{1}).value_or("") != newParent) moving.insert(id);
            }
            if (!moving.empty()) m_movedItems[level] = static_cast<long>(moving.size());
        }
        if (list.size() >= 2) list.resize(list.size() - 2);
        // A list longer than a statement may be goes in parts.
        std::size_t room = context.statementLimit > 100 ? context.statementLimit - 100 : 1;
        for (std::size_t start = 0; start < list.size();) {
            std::size_t end = list.size();
            if (end - start > room) {
                std::size_t cut = list.rfind(" , ", start + room);
                end = cut != std::string::npos && cut > start ? cut : list.find(" , ", start);
                if (end == std::string::npos) end = list.size();
            }
            destination.execute("UPDATE CIID SET Parent = " + std::to_string(context.NewParentID) + " WHERE ID IN (" +
                                list.substr(start, end - start) + ")");
            start = end == list.size() ? end : end + 3;
        }
    }
}

void ImportScreen::warn(const std::string& text) {
    if (m_previewing) m_preview.diagnostics.push_back(text);
    m_services.dialogs.messageBox(text, MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
}

void ImportScreen::countPreviewNow() noexcept {
    if (!m_previewing || m_previewCounted) return;
    m_previewCounted = true;
    try {
        wizard::Context& context = m_services.context;
        countPreview(context.destination(), context.Gstructures, m_importId, context.UpdateImportID > 0,
                     context.KBImport, m_itemsBefore, m_movedItems, m_preview);
    } catch (const std::exception& error) {
        // The run failed before the tables it counts were written: the levels keep what was counted.
        diag::UT_Output_Debug(std::string(" - Preview counts: ") + error.what());
    }
}

void ImportScreen::enableTriggers() {
    if (!m_triggersOff) return;
    m_triggersOff = false;
    wizard::Context& context = m_services.context;
    db::DestinationDialect::Kind kind = context.dialect().kind();
    std::vector<std::string> tables = {"ciid"};
    if (context.LGEnabled) tables.insert(tables.end(), {"assetciid", "assetmaintain"});
    std::vector<std::string> stillOff;
    std::string reason;
    for (const std::string& table : tables) {
        try {
            context.destination().execute(db::enableTriggersStatement(kind, table));
        } catch (const std::exception& error) {
            stillOff.push_back(table);
            if (reason.empty()) reason = error.what();
        }
    }
    if (stillOff.empty()) return;
    // The product records no history while they are off: the user must know, and how to end it.
    std::vector<std::string> statements;
    for (const std::string& table : stillOff) statements.push_back(db::enableTriggersStatement(kind, table));
    m_triggersStillOff = "The triggers of " + db::joined(stillOff, ", ") +
                         " are still switched off, so the product records no history of its items (switching them "
                         "on failed: " + reason +
                         "). The next import or undo switches them on; or run on the destination database: " +
                         db::joined(statements, "; ");
}

void ImportScreen::failureExit(const std::string& detail) {
    enableTriggers();
    if (m_previewing && !m_preview.failed) {
        m_preview.failed = true;
        m_preview.failure = LS(276) + m_stage + (detail.empty() ? "" : "\r\n" + detail) +
                            (m_stageError.empty() ? "" : "\r\n" + m_stageError);
    }
    m_services.dialogs.setBusy(false);
    m_services.dialogs.messageBox(LS(276) + m_stage + (detail.empty() ? "" : "\r\n" + detail) +
                                      (m_triggersStillOff.empty() ? "" : "\r\n" + m_triggersStillOff),
                                  MsgButtons::OK, MsgIcon::None, diag::kAppTitle);
    cmdStart.enabled = true;
    cmdBack.enabled = true;
    if (m_services.context.Unattended) diag::endProcess(1);
}

bool ImportScreen::Update_EXT_Conn_Str(std::int32_t appID, const std::string& connectionString) {
    try {
        m_services.context.destination()
            .prepare("UPDATE EXTapps SET connectionstring = ? WHERE appid = " + std::to_string(appID))
            ->execute({connectionString});
        return true;
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDBSave:Update_EXT_Conn_Str", "");
        return false;
    }
}

bool ImportScreen::touchForHistory(const std::string& table, const std::string& key, const std::string& column,
                                   std::int32_t importID) {
    try {
        wizard::Context& context = m_services.context;
        context.destination().execute(
            importStatementsFor(context.dialect().kind()).touchForHistory(table, key, column, importID));
        return true;
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDBSave:Update_Ciid_history", "");
        return false;
    }
}

bool ImportScreen::Update_Ciid_History(std::int32_t importID) { return touchForHistory("ciid", "id", "num10", importID); }

bool ImportScreen::Update_AssetCiid_History(std::int32_t importID) {
    return touchForHistory("assetciid", "ciidid", "num5", importID);
}

void ImportScreen::cmdBack_Click() {
    m_services.navigator.UT_Wizard_Change_Forms(ScreenId::frmDBSave, ScreenId::frmDragMap, true);
}

void ImportScreen::cmdFinish_Click() {
    try {
        wizard::Context& context = m_services.context;
        // While another import runs, the work tables are its own: they are left to it.
        auto lock = context.destinationLock();
        if (lock->acquire(context.destinationLockWait)) {
            for (const char* table : {"XFRTransfer", "XFRMappings", "XFRClause", "XFRStructure", "XFRTempP"}) {
                context.destination().execute(context.dialect().truncateTable(table));
            }
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDBSave:cmdFinish_Click", "");
        return;
    }
    m_services.navigator.UT_Quit_Wizard(false);
}

}  // namespace koru::import
