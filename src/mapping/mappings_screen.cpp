#include "mapping/mappings_screen.h"

#include <algorithm>

#include "db/import_sessions.h"
#include "diag/messages.h"
#include "diag/program_folder.h"
#include "diag/text.h"
#include "mapping/mapping_file_format.h"
#include "mapping/level_values.h"
#include "mapping/mapping_files.h"
#include "mapping/mapping_repository.h"
#include "wizard/error_trap.h"
#include "wizard/text_helpers.h"

namespace koru::mapping {

namespace fs = std::filesystem;
using wizard::MsgButtons;
using wizard::MsgIcon;
using wizard::ScreenId;

MappingsScreen::MappingsScreen(wizard::ScreenServices services) : WizardScreen(ScreenId::frmMappings, services) {
    width = 560;
    height = 440;
    optNewMappings.value = true;
}

void MappingsScreen::Form_Load() {
    try {
        caption = std::string(diag::kAppTitle);
        lblTitle.caption = "Select If you Wish To Load A Mapping Template, Create  A New One, Or Restore A Backup";
        optNewMappings.caption = "&New data transfer mappings";
        optLoadMappings.caption = "Load data transfer mappings";
        optRestore.caption = "Perform advanced tasks";
        optKBImport.caption = "Tickora Knowledge Base Import";
        cmdBrowse.caption = "Bro&wse";
        cmdBack.caption = LS(167);
        cmdNext.caption = LS(168);
        cmdExit.caption = LS(169);

        fs::path programFolder = diag::programFolder();
        std::error_code ec;
        fileFolder = fs::is_directory(programFolder / "XFRTemplates", ec) ? programFolder / "XFRTemplates" : programFolder;
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(fileFolder, ec)) {
            if (entry.is_regular_file(ec) && diag::upperAscii(entry.path().extension().string()) == ".XFO") {
                names.push_back(entry.path().filename().string());
            }
        }
        std::sort(names.begin(), names.end());
        File.clear();
        for (const std::string& name : names) File.addItem(name);

        enableLoading(false);
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmMappings:Form_Load", "");
    }
}

// optEXE may change on the connection screen between visits.
void MappingsScreen::Form_Activate() {
    bool executing = m_services.context.optEXE;
    optNewMappings.enabled = !executing;
    optRestore.enabled = !executing;
    optLoadMappings.enabled = true;
    if (executing) {
        choose(optLoadMappings);
        enableLoading(true);
    }
    // The history screen chose a session to update: its mapping is loaded next.
    if (m_services.context.optLoadMappings) {
        m_services.context.optLoadMappings = false;
        optLoadMappings_Click();
    }
}

void MappingsScreen::choose(wizard::OptionButton& option) {
    for (wizard::OptionButton* each : {&optNewMappings, &optLoadMappings, &optRestore, &optKBImport}) {
        each->value = each == &option;
    }
}

void MappingsScreen::enableLoading(bool enabled) {
    framLoadMappings.enabled = enabled;
    File.enabled = enabled;
    cmdBrowse.enabled = enabled;
}

void MappingsScreen::optNewMappings_Click() {
    choose(optNewMappings);
    enableLoading(false);
}

void MappingsScreen::optLoadMappings_Click() {
    choose(optLoadMappings);
    enableLoading(true);
}

void MappingsScreen::optRestore_Click() {
    choose(optRestore);
    enableLoading(false);
}

void MappingsScreen::optKBImport_Click() { choose(optKBImport); }

// A click chooses the listed mapping that Next loads; a double click loads it at once.
void MappingsScreen::File_Click() {
    if (File.listIndex >= 0) templatePath = (fileFolder / File.selectedText()).string();
}

void MappingsScreen::File_DblClick() {
    if (File.listIndex < 0) return;
    File_Click();
    cmdNext_Click();
}

wizard::FileDialogRequest MappingsScreen::loadDialog() const {
    return {"Load Data Mappings", "*.xfo", "Veltrane Data Object|*.xfo", diag::programFolder().string()};
}

void MappingsScreen::cmdBrowse_Click() {
    try {
        std::string chosen = m_services.dialogs.openFile(loadDialog());
        if (chosen.empty()) return;
        templatePath = chosen;
        std::error_code ec;
        if (!fs::exists(diag::toNativeSeparatorsPath(chosen), ec)) {
            m_services.dialogs.messageBox("Cannot Load File : " + chosen + "\n" + "Missing Extension Files",
                                          MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
            return;
        }
        cmdNext_Click();
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmMappings:cmdBrowse_CLick", "");
    }
}

std::string MappingsScreen::Get_Mapping_FileName() {
    try {
        std::string chosen = m_services.dialogs.openFile(loadDialog());
        if (chosen.empty()) return {};
        std::error_code ec;
        if (!fs::exists(diag::toNativeSeparatorsPath(chosen), ec)) {
            m_services.dialogs.messageBox("Cannot Load File : " + chosen, MsgButtons::OK, MsgIcon::Exclamation,
                                          diag::kAppTitle);
            return {};
        }
        return chosen;
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmMappings:Get_Mapping_Filename", "");
        return {};
    }
}

void MappingsScreen::clearRepository() {
    wizard::Context& context = m_services.context;
    // A new mapping is not the file loaded before: its imports must not be taken for that file's.
    context.MapFileName.clear();
    MappingRepository(context.destination(), context.dialect()).ut_clear_map_table();
}

bool MappingsScreen::compatibleWithSource() {
    wizard::Context& context = m_services.context;
    auto rows = context.destination().query(
        "Select sourcecolumn, sourcetable From XFRMappings order by sourcetable");
    while (rows->next()) {
        std::string column = rows->value("sourcecolumn").value_or("");
        if (column.empty()) continue;  // separator rows name no source column
        std::string table = rows->value("sourcetable").value_or("");
        try {
            context.source().query("Select " + wizard::UT_Bracket_Name(column, context.NoBrackets) +
                                            " From " + wizard::UT_Bracket_Name(table, context.NoBrackets));
        } catch (const db::DbError&) {
            return false;  // errors suppressed: a failing select is the answer
        }
    }
    return true;
}

void MappingsScreen::dropVanishedParentSettings() {
    wizard::Context& context = m_services.context;
    auto count = [&context](const std::string& sql) {
        auto rows = context.destination().query(sql);
        return rows->next() ? integerColumnValue(rows->value("cid").value_or("")).value_or(0) : 0;
    };
    if (context.GenParent > 0 &&
        count("Select count(id) as CID from ciid where id = " + std::to_string(context.GenParent)) == 0) {
        context.GenParent = 0;
    }
    if (context.StyleID > 0 &&
        count("Select count(id) as CID from style where id = " + std::to_string(context.StyleID)) == 0) {
        context.StyleID = 0;
    }
}

void MappingsScreen::cmdNext_Click() {
    wizard::Context& context = m_services.context;
    wizard::Dialogs& dialogs = m_services.dialogs;
    wizard::Navigator& navigator = m_services.navigator;
    dialogs.setBusy(true);
    try {
        clearRepository();
        if (optKBImport.value) {
            if (context.UpdateImportID != 0) {
                dialogs.messageBox(
                    "You have selected to update a data import, knowledge base imports cannot be updated\r\n"
                    "Update flag has been removed.",
                    MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
                context.UpdateMode = 0;
                context.UpdateImportID = 0;
            }
            context.KBImport = true;
            navigator.UT_Wizard_Change_Forms(ScreenId::frmMappings, ScreenId::frmDragMap, false);
            dialogs.setBusy(false);
            return;
        }
        if (!optLoadMappings.value) {
            navigator.UT_Wizard_Change_Forms(ScreenId::frmMappings,
                                             optNewMappings.value ? ScreenId::frmStructure : ScreenId::frmRestoration,
                                             false);
            dialogs.setBusy(false);
            return;
        }
        if (templatePath.empty()) templatePath = Get_Mapping_FileName();
        if (templatePath.empty()) {
            dialogs.setBusy(false);
            return;
        }
        MappingFiles files(context, dialogs, m_services.reporter);
        if (!files.UT_Load_Mappings_To_TXT(templatePath)) {
            dialogs.setBusy(false);
            return;
        }
        // An empty source fails every mapping: say what is wrong instead of "Not Compatable".
        if (context.source().tables(db::ObjectType::Table).empty() &&
            context.source().tables(db::ObjectType::View).empty()) {
            dialogs.messageBox("The source database has no tables or views, so no mapping can read it. Check the "
                               "source's connection string: a wrong file or database name may have opened an empty "
                               "database.",
                               MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
            clearRepository();
            dialogs.setBusy(false);
            return;
        }
        if (!compatibleWithSource()) {
            dialogs.messageBox(
                "The Mappings You Have Loaded Are Not Compatable With The Source Database You Have Selected",
                MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
            clearRepository();
            dialogs.setBusy(false);
            return;
        }
        // Another mapping's keys would match other rows: its session is updated only when asked.
        if (auto question = db::otherMappingQuestion(context.destination(), context.UpdateImportID, context.MapFileName);
            question && dialogs.messageBox(*question, MsgButtons::YesNo, MsgIcon::Exclamation, diag::kAppTitle) !=
                            wizard::MsgResult::Yes) {
            clearRepository();
            dialogs.setBusy(false);
            return;
        }
        dropVanishedParentSettings();
        if (!Append_Gstructures()) {
            dialogs.setBusy(false);
            return;
        }
        if (context.optEXE) {
            // Straight to the import: the joins the drag-map editor's Next would have built are
            // built here, or linked tables would be read as every combination of their rows.
            setLevelValuesForImport(context.destination(), context, mappedAssetFields(context.destination(), 1));
        }
        navigator.UT_Wizard_Change_Forms(ScreenId::frmMappings,
                                         context.optEXE ? ScreenId::frmDBSave : ScreenId::frmDragMap, false);
    } catch (const std::exception& error) {
        dialogs.setBusy(false);
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmMappings:CmdNext_Click", "");
        return;
    }
    dialogs.setBusy(false);
}

bool MappingsScreen::Append_Gstructures() {
    m_services.context.Gstructures = std::vector<wizard::StructureLevel>(1);  // even when the destination is gone
    try {
        rebuildStructureLevels(m_services.context.destination(), m_services.context);
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmMappings:Append_GStructures", "");
        return false;
    }
    return true;
}

void MappingsScreen::cmdBack_Click() {
    m_services.navigator.UT_Wizard_Change_Forms(ScreenId::frmMappings, ScreenId::frmConn, false);
}

void MappingsScreen::cmdExit_Click() { m_services.navigator.requestClose(id()); }

}  // namespace koru::mapping
