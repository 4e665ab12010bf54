#include "editor/drag_map_screen.h"

#include <algorithm>
#include <filesystem>

#include "db/repository.h"
#include "db/source_dialect.h"
#include "diag/messages.h"
#include "diag/program_folder.h"
#include "diag/text.h"
#include "editor/data_clause_dialog.h"
#include "editor/parent_dialogs.h"
#include "editor/source_viewers.h"
#include "editor/styles.h"
#include "editor/table_link_dialog.h"
#include "editor/tree_keys.h"
#include "mapping/level_values.h"
#include "mapping/mapping_files.h"
#include "mapping/mapping_repository.h"
#include "wizard/error_trap.h"
#include "wizard/text_helpers.h"

namespace koru::editor {

using wizard::MsgButtons;
using wizard::MsgIcon;
using wizard::MsgResult;
using wizard::ScreenId;
using namespace tree_keys;


DragMapScreen::DragMapScreen(wizard::ScreenServices services) : WizardScreen(ScreenId::frmDragMap, services) {
    width = 860;
    height = 600;
    treCat.visible = false;
}

wizard::Tree& DragMapScreen::tree(DestinationTree which) {
    switch (which) {
        case DestinationTree::tvDestin: return tvDestin;
        case DestinationTree::tvDestinNum: return tvDestinNum;
        case DestinationTree::tvDestinDate: return tvDestinDate;
        case DestinationTree::tvDestinCurr: return tvDestinCurr;
        case DestinationTree::tvDiscovery: return tvDiscovery;
        case DestinationTree::tvDestinLG: return tvDestinLG;
        case DestinationTree::tvDestinTK: return tvDestinTK;
        case DestinationTree::tvKB: return tvKB;
    }
    return tvDestin;
}

wizard::Tree& DragMapScreen::treeOfTab(int tab) {
    return tree(kDestinationTrees[std::clamp(tab, 1, 8) - 1]);
}

int DragMapScreen::selectedLevel() const {
    return cboStructure.listIndex >= 0 ? static_cast<int>(cboStructure.items[cboStructure.listIndex].itemData) : 0;
}

std::int16_t DragMapScreen::selectedStyle() const {
    return cboStyle.listIndex >= 0 ? static_cast<std::int16_t>(cboStyle.items[cboStyle.listIndex].itemData) : 0;
}

void DragMapScreen::Form_Load() {
    try {
        caption = std::string(diag::kAppTitle);
        lblTitle.caption = "Select the fields you would like to map across from the source database to the Veltrane database";
        lblStructureLevel.caption = "Structure level:";
        fraSource.caption = "Source";
        fraDestin.caption = "Destination";
        lblStyle.caption = "Style";
        chkFLY.caption = "On the fly update";
        ssTab1.tabs = {{"Alpha numeric"}, {"Numeric"}, {"Date"}, {"Currency"},
                       {"External Data"}, {"LG-Specific"}, {"TK-Specific"}, {"Knowledge Base"}};
        cmdBack.caption = LS(167);
        cmdNext.caption = LS(168);
        cmdExit.caption = LS(169);
        lblDiscovery.caption = "EXL Application :";
        chkMakeDefaultEXL.caption = "Make EXL link, the default link for the item.";
        Menu_Remove_Mapping.caption = "Remove &Mapping";
        Menu_Rename.caption = "&Rename";
        SSActiveToolBars1.tools = {{"ID_SaveMapping", "Save Data Mappings"},
                                   {"ID_AddDataClause", "Add Data Clause"},
                                   {"ID_AddNewStyle", "Add New Style"},
                                   {"ID_SelectParent", "Select parent"},
                                   {"ID_TableLink", "Table Links"}};
        ssTab1.tab = 1;
        Fill_TV_Source();
        Format_Style_Combo();
        Get_Discovery_Tool_Names(cboDiscovery, m_services.context.destination());
        fillStructureCombo();
        if (cboStructure.listCount() > 0) {
            cboStructure.listIndex = 0;
            cboStructure.text = cboStructure.items[0].text;
            cboStructure_Click();
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmMap:form_load", "");
    }
}

void DragMapScreen::fillStructureCombo() {
    cboStructure.clear();
    auto rows = m_services.context.destination().query("Select * From XFRStructure");
    while (rows->next()) {
        cboStructure.addItem(rows->value("Name").value_or(""), static_cast<long>(integerText(rows->value("ID"))));
    }
}

void DragMapScreen::Fill_TV_Source() {
    std::string table;
    try {
        wizard::Context& context = m_services.context;
        db::Connection& source = context.source();
        tvSource.clear();
        tvSource.add("", "TABLES", "TABLES", "Database");
        auto addAll = [&](const char* folder, db::ObjectType type) {
            for (const std::string& name : source.tables(type)) {
                table = name;
                if (tvSource.find(name)) continue;  // a name listed twice is shown once
                tvSource.add(folder, name, name, "Table");
            }
            table.clear();
        };
        addAll("TABLES", db::ObjectType::Table);
        if (context.SourceIsSQLServer) {
            tvSource.add("", "VIEWS", "VIEWS", "Database");
            addAll("VIEWS", db::ObjectType::View);
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(
            wizard::errorRecordOf(error),
            table.empty() ? "frmDrapMap:Fill_TV_Source" : "frmDrapMap:Fill_TV_Source,Adding:" + table, "");
    }
}

void DragMapScreen::tvSource_Expand(const std::string& key) {
    try {
        wizard::TreeNode* node = tvSource.find(key);
        if (!node) return;
        node->expanded = true;
        if (tvSource.childCount(key) == 0 && !isColumnKey(key) && !node->parentKey.empty()) {
            UT_Tree_Column_Fill(tvSource, m_services.context.source(), key);
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDrapMap:tvSource_Expand", "");
    }
}

void DragMapScreen::UT_Tree_Column_Fill(wizard::Tree& tree, db::Connection& source, const std::string& tableKey) {
    wizard::Context& context = m_services.context;
    m_services.dialogs.setBusy(true);
    std::unique_ptr<db::Recordset> rows;
    std::string sql = "Select * From " + wizard::UT_Bracket_Name(tableKey, context.NoBrackets);
    try {
        rows = source.query(sql);
    } catch (const db::DbError&) {
        // The source does not read square brackets: it never will.
        context.NoBrackets = true;
        sql = wizard::withoutBrackets(sql);
        try {
            rows = source.query(sql);
        } catch (...) {
            m_services.dialogs.setBusy(false);
            throw;
        }
    }
    for (std::size_t i = 0; i < rows->fieldCount(); ++i) {
        const db::FieldInfo& field = rows->field(i);
        tree.add(tableKey, tableKey + std::string(kMarker) + field.name, field.name, "Column").tag =
            std::to_string(field.adoType);
    }
    m_services.dialogs.setBusy(false);
}

void DragMapScreen::tvSource_MouseDown(const std::string& key) {
    dragNode = tvSource.find(key) ? key : std::string();
    tvSource.selectedKey = dragNode;
}

bool DragMapScreen::tvSource_CanDrag() const {
    auto found = std::find_if(tvSource.nodes.begin(), tvSource.nodes.end(),
                              [&](const wizard::TreeNode& node) { return node.key == dragNode; });
    return found != tvSource.nodes.end() && found->available;
}

void DragMapScreen::tvSource_MouseUp(MouseButton button) {
    sourcePopupShown = button == MouseButton::Right && !dragNode.empty() && !isColumnKey(dragNode);
}

void DragMapScreen::tvSource_DblClick() {
    try {
        wizard::TreeNode* node = tvSource.find(tvSource.selectedKey);
        if (!node || node->parentKey.empty() || !isColumnKey(node->key)) return;
        std::string table = tvSource.find(node->parentKey)->text;
        std::string column = node->text;
        if (auto* dialog = dynamic_cast<ColumnPropertiesDialog*>(m_services.navigator.loadDialog(ScreenId::frmColProps))) {
            dialog->Show_Form(table, column);
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDragMap:tvSource_DBlClick", "");
    }
}

void DragMapScreen::viewData(bool allRows) {
    sourcePopupShown = false;
    wizard::TreeNode* node = tvSource.find(dragNode);
    if (!node || node->parentKey.empty() || isColumnKey(node->key)) return;
    wizard::Context& context = m_services.context;
    std::string table = wizard::UT_Bracket_Name(node->key, context.NoBrackets);
    std::string query = allRows ? "Select * from " + table
                                : db::sourceDialectOf(context.source())->selectTop(10, "* from " + table);
    if (auto* dialog = dynamic_cast<DataViewDialog*>(m_services.navigator.loadDialog(ScreenId::frmDataView))) {
        dialog->Show_Form(query, node->key, context.source().connectionString());
    }
}

void DragMapScreen::Menu_Source_Popup_View_Data() { viewData(false); }

void DragMapScreen::mnuViewAllData() { viewData(true); }

void DragMapScreen::Clear_Destin_Grids() {
    // Every tree: a stale mapping left in one could be removed or counted for another level.
    for (wizard::Tree* each : {&tvDestin, &tvDestinCurr, &tvDestinDate, &tvDestinNum, &tvDestinLG, &tvDestinTK, &tvDiscovery}) {
        each->clear();
    }
}

void DragMapScreen::Fill_Styles_To_Destin(std::int16_t styleID) {
    try {
        wizard::Context& context = m_services.context;
        for (wizard::Tree* each :
             {&tvDestin, &tvDestinNum, &tvDestinDate, &tvDestinCurr, &tvDestinLG, &tvDestinTK, &tvDiscovery}) {
            each->clear();
        }
        auto style = readStyleRow(context.destination(), "Select * From Style Where ID = " + std::to_string(styleID));
        if (!style) {
            m_services.dialogs.messageBox("Cannot Find Style : " + cboStyle.text, MsgButtons::OK, MsgIcon::Exclamation,
                                          diag::kAppTitle);
            return;
        }
        std::optional<StyleRow> assetStyle;
        if (context.LGEnabled) {
            assetStyle = readStyleRow(context.destination(),
                                      "Select * From AssetStyle Where StyleID = " + std::to_string(styleID));
        }
        for (const FieldNode& field : styleFields(*style, context.LGEnabled, assetStyle)) {
            tree(field.tree).add("", field.key, field.label, field.image).color = field.mandatory ? 255 : 0;
        }
        if (context.LGEnabled && !assetStyle) {
            m_services.dialogs.messageBox("Cannot Find Asset-Style : " + cboStyle.text, MsgButtons::OK,
                                          MsgIcon::Exclamation, diag::kAppTitle);
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmMap:fill_style_to_destin", "");
    }
}

void DragMapScreen::Format_Style_Combo() {
    wizard::Context& context = m_services.context;
    cboStyle.clear();
    cboStyle.text.clear();
    for (const auto& [id, name] : styleList(context.destination())) cboStyle.addItem(name, id);
    if (!context.KBImport) {
        const bool enabled[] = {true, true, context.LGEnabled, context.LGEnabled, context.EXLValid,
                                context.LGEnabled, !context.LGEnabled, false};
        for (int i = 0; i < 8; ++i) ssTab1.tabs[i].enabled = enabled[i];
        return;
    }
    ssTab1.tab = 8;
    for (int i = 0; i < 8; ++i) ssTab1.tabs[i].enabled = i == 7;
    for (wizard::Control* control : std::initializer_list<wizard::Control*>{&cboStyle, &lblStyle, &cboStructure,
                                                                           &lblStructureLevel, &chkFLY}) {
        control->enabled = false;
    }
    for (const char* key : {"ID_SaveMapping", "ID_AddNewStyle", "ID_SelectParent"}) {
        SSActiveToolBars1.find(key)->enabled = false;
    }
    tvKB.clear();
    for (const FieldNode& field : knowledgeBaseFields()) tvKB.add("", field.key, field.label, field.image);
    POP_Load_Categories(treCat);
}

void DragMapScreen::POP_Load_Categories(wizard::Tree& tree) {
    auto rows = m_services.context.destination().query("Select * from categories order by parent asc");
    tree.clear();
    struct Category {
        std::string id, parent, description;
    };
    std::vector<Category> categories;
    while (rows->next()) {
        categories.push_back({rows->value("ID").value_or(""), rows->value("Parent").value_or("0"),
                              diag::trimBlanks(rows->value("Description").value_or(""))});
    }
    rows.reset();
    if (categories.empty()) {
        m_services.dialogs.messageBox("No categories are defined in the Tickora database", MsgButtons::OK,
                                      MsgIcon::Exclamation, diag::kAppTitle);
    }
    tree.add("", "Main", "Categories", "CatItem");
    for (const Category& category : categories) {
        std::string parent = category.parent == "0" || !tree.find(category.parent) ? "Main" : category.parent;
        tree.add(parent, category.id, category.description, "CatItem").expanded = true;
    }
    tree.find("Main")->expanded = true;
}

void DragMapScreen::Get_Discovery_Tool_Names(wizard::ComboBox& combo, db::Connection& connection) {
    if (!m_services.context.EXLValid) return;
    auto rows = connection.query("Select appID, appDescription from EXTApps");
    combo.clear();
    while (rows->next()) {
        combo.addItem(rows->value("appDescription").value_or(""), static_cast<long>(integerText(rows->value("appID"))));
    }
}

void DragMapScreen::cboDiscovery_Click() {
    wizard::Context& context = m_services.context;
    if (cboDiscovery.listIndex < 0) {
        context.cboDiscovery.reset();
        return;
    }
    long id = cboDiscovery.items[cboDiscovery.listIndex].itemData;
    context.EXLAppLinkID = static_cast<std::int16_t>(id);
    context.cboDiscovery = static_cast<std::int32_t>(id);
    cboDiscovery.text = cboDiscovery.items[cboDiscovery.listIndex].text;
}

void DragMapScreen::chkMakeDefaultEXL_Click() { m_services.context.chkMakeDefaultEXL = chkMakeDefaultEXL.value; }

void DragMapScreen::cboStructure_Click() {
    try {
        wizard::Context& context = m_services.context;
        chkFLY.value = false;
        int level = selectedLevel();
        if (level < 1 || level >= static_cast<int>(context.Gstructures.size())) return;
        std::int16_t style = context.Gstructures[level].StyleID;
        if (style == 0) {
            cboStyle.listIndex = -1;
            cboStyle.text.clear();
            cboStyle_Click();
            return;
        }
        for (int i = 0; i < cboStyle.listCount(); ++i) {
            if (cboStyle.items[i].itemData == style) {
                cboStyle.listIndex = i;
                cboStyle.text = cboStyle.items[i].text;
                cboStyle_Click();
                return;
            }
        }
        chkFLY.value = false;
        cboStyleTag.clear();
        if (cboStyle.listIndex >= 0) {
            Fill_Styles_To_Destin(selectedStyle());
            Add_Mappings();
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDrapMap:cbostructure_click", "");
    }
}

void DragMapScreen::cboStyle_Click() {
    try {
        chkFLY.value = false;
        std::string selectedSource = tvSource.selectedKey;
        cboStyleTag.clear();
        if (cboStyle.listIndex < 0) {
            Clear_Destin_Grids();
            // Nothing of this level is shown as mapped: the previous level's greying goes.
            for (wizard::TreeNode& node : tvSource.nodes) node.available = true;
        } else {
            cboStyle.text = cboStyle.items[cboStyle.listIndex].text;
            Fill_Styles_To_Destin(selectedStyle());
            Add_Mappings();
            int level = selectedLevel();
            wizard::Context& context = m_services.context;
            if (level >= 1 && level < static_cast<int>(context.Gstructures.size())) {
                context.Gstructures[level].StyleID = selectedStyle();
            }
        }
        if (tvSource.find(selectedSource)) tvSource.selectedKey = selectedSource;
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDragMap:cboStyle_Click", "");
    }
}

void DragMapScreen::chkFLY_Click() {
    try {
        if (!chkFLY.value) return;
        MsgResult answer = m_services.dialogs.messageBox(
            "By Enabling 'on the fly' mode, you are letting the Veltrane style table be updated, on the fly.\r\n"
            "Please note that these updates will affect the style templates in your existing database,\r\n"
            "and not just the imported data.\r\n"
            "If you are not sure if you want to do this then you should create a blank style, and import into "
            "it.\r\n\r\n"
            "Do you wish to enable, 'on the fly' updates?",
            MsgButtons::YesNo, MsgIcon::None, diag::kAppTitle);
        if (answer != MsgResult::Yes) {
            chkFLY.value = false;
            return;
        }
        std::size_t fields = 0;
        for (const wizard::TreeNode& node : tvDestin.nodes) fields += node.parentKey.empty();
        if (fields < 15) return;
        std::vector<std::pair<DestinationTree, std::string>> order;
        for (int n = 1; n <= 15; ++n) order.push_back({DestinationTree::tvDestin, "CIID.Alpha" + std::to_string(n)});
        for (int n = 1; n <= 10; ++n) order.push_back({DestinationTree::tvDestinNum, "CIID.Num" + std::to_string(n)});
        if (m_services.context.LGEnabled) {
            for (int n = 1; n <= 5; ++n) {
                std::string i = std::to_string(n);
                order.push_back({DestinationTree::tvDestin, "AssetCiid.Alpha" + i});
                order.push_back({DestinationTree::tvDestinNum, "AssetCiid.Num" + i});
                order.push_back({DestinationTree::tvDestinDate, "AssetCiid.Date" + i});
                order.push_back({DestinationTree::tvDestinCurr, "AssetCiid.Curr" + i});
            }
        }
        for (const auto& [which, key] : order) {
            wizard::Tree& target = tree(which);
            wizard::TreeNode* node = target.find(key);
            if (!node || !diag::trimBlanks(node->text).empty()) continue;
            std::vector<wizard::TreeNode*> children = target.children(key);
            if (children.empty()) continue;
            std::size_t width = destinationColumnOf(key).rfind("Num", 0) == 0 ? 15 : 20;
            std::string label = diag::leftChars(diag::trimBlanks(children.front()->text), width);
            if (auto statement = relabelStatement(key, label, selectedStyle())) {
                node->text = label;
                m_services.context.destination().execute(*statement);
            }
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDrapMap:chkFLY_Click", "");
    }
}

void DragMapScreen::Add_New_Style() {
    try {
        wizard::Context& context = m_services.context;
        std::optional<std::int64_t> created = createBlankStyle(context.destination(), m_services.dialogs,
                                                               context.LGEnabled);
        if (!created) return;
        Format_Style_Combo();
        if (cboStyle.listCount() > 0) {
            cboStyle.listIndex = cboStyle.listCount() - 1;
            cboStyle_Click();
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDragMap:chkFly_MouseDown", "");
    }
}

void DragMapScreen::tvKB_NodeClick(const std::string& key) {
    tvKB.selectedKey = key;
    if (key == "Knowledge.CatID") {
        tvKB.dropHighlight = key;
        treCat.visible = true;
    }
}

void DragMapScreen::treCat_NodeClick(const std::string& key) {
    wizard::TreeNode* category = treCat.find(key);
    if (!category || diag::upperAscii(key) == "MAIN") return;
    treCat.visible = false;
    for (const wizard::TreeNode& child : childNodes(tvKB, "Knowledge.CatID")) tvKB.remove(child.key);
    tvKB.add("Knowledge.CatID", key, category->text, "CatItem");
    tvKB.find("Knowledge.CatID")->expanded = true;
    m_services.context.KBCategoryID = static_cast<std::int32_t>(integerText(key));
}

// Leaving the category tree takes its selected category, if any, and always hides it: with
// no categories at all it would otherwise cover the knowledge-base fields for good.
void DragMapScreen::treCat_LostFocus() {
    if (!treCat.selectedKey.empty()) treCat_NodeClick(treCat.selectedKey);
    treCat.visible = false;
}

std::string DragMapScreen::Get_Mappings_FileName() {
    wizard::Dialogs& dialogs = m_services.dialogs;
    std::string chosen = dialogs.saveFile(
        {"Save Data Mappings", "*.xfo", "Veltrane Data Object|*.xfo", diag::programFolder().string()});
    if (chosen.empty()) return {};
    // A name typed without an extension is saved as a mapping the start screen lists.
    if (std::filesystem::path(diag::trimBlanks(chosen)).extension().empty()) chosen = diag::trimBlanks(chosen) + ".xfo";
    std::error_code ec;
    if (std::filesystem::exists(diag::toNativeSeparatorsPath(chosen), ec) &&
        dialogs.messageBox("Are you sure you want to override this file?", MsgButtons::YesNo, MsgIcon::Exclamation,
                           diag::kAppTitle) == MsgResult::No) {
        return {};
    }
    return chosen;
}

void DragMapScreen::ToolClick(const std::string& toolKey) {
    try {
        wizard::Context& context = m_services.context;
        wizard::Navigator& navigator = m_services.navigator;
        if (toolKey == "ID_SaveMapping") {
            std::string file = diag::trimBlanks(Get_Mappings_FileName());
            if (!file.empty()) {
                mapping::MappingFiles(context, m_services.dialogs, m_services.reporter).UT_Save_Mappings_To_TXT(file);
            }
        } else if (toolKey == "ID_AddDataClause") {
            if (auto* dialog = dynamic_cast<DataClauseDialog*>(navigator.loadDialog(ScreenId::frmGenDataClause))) {
                dialog->Show_Form(selectedLevel());
            }
        } else if (toolKey == "ID_AddNewStyle") {
            Add_New_Style();
        } else if (toolKey == "ID_SelectParent") {
            if (auto* dialog = dynamic_cast<ParentDialog*>(navigator.loadDialog(ScreenId::frmParent))) {
                context.GenParent = dialog->Show_Form(selectedLevel() > 0 ? selectedLevel() : 1);
            }
        } else if (toolKey == "ID_TableLink") {
            auto rows = context.destination().query(std::string("Select distinct SourceTable From XFRMappings ") +
                                                    "where structureid = " + std::to_string(selectedLevel()) +
                                                    " and sourcetable <> ''");
            int tables = 0;
            while (rows->next()) ++tables;
            rows.reset();
            if (tables < 2) {
                m_services.dialogs.messageBox("Table linking not needed.  Only 1 source table has been used",
                                              MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
                return;
            }
            if (auto* dialog = dynamic_cast<TableLinkDialog*>(navigator.loadDialog(ScreenId::frmTableLink))) {
                dialog->Show_Form(selectedLevel());
            }
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDrapMap:SSactiveToolbars_ToolClick", "");
    }
}

std::vector<std::string> DragMapScreen::mappedAssetFields() {
    std::vector<std::string> fields;
    for (const wizard::TreeNode& node : tvDestinLG.nodes) {
        if (node.parentKey.empty() && tvDestinLG.childCount(node.key) > 0) fields.push_back(node.key);
    }
    return fields;
}

bool DragMapScreen::checksBeforeImport() {
    wizard::Context& context = m_services.context;
    wizard::Dialogs& dialogs = m_services.dialogs;
    auto refuse = [&](const std::string& message) {
        dialogs.setBusy(false);
        dialogs.messageBox(message, MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
        return false;
    };
    int levels = static_cast<int>(context.Gstructures.size()) - 1;
    if (!context.KBImport) {
        std::string missing;
        for (int i = 1; i <= levels; ++i) {
            if (context.Gstructures[i].StyleID == 0) missing += context.Gstructures[i].Name + "\n";
        }
        if (!missing.empty()) return refuse("The following Structures Do Not Have An Associated Style ...\n" + missing);
        if (tvDiscovery.nodes.size() >= 2 && cboDiscovery.listIndex < 0) {
            refuse("Please select a EXL application");
            ssTab1.tab = 5;
            cboDiscovery.droppedDown = true;
            return false;
        }
    } else if (tvKB.childCount("Knowledge.CatID") == 0) {
        return refuse("Please select a knowledge base category");
    }
    auto rows = context.destination().query(std::string("Select count(id) as CT , Structureid as 'Stru' from XFRMappings ") +
                                            "group by structureid order by structureid");
    int expected = 1;
    bool any = false;
    auto levelName = [&](int level) {
        return level >= 1 && level <= levels ? context.Gstructures[level].Name : std::string();
    };
    while (rows->next()) {
        any = true;
        auto stru = rows->value("Stru");
        if (stru && (integerText(stru) != expected || integerText(rows->value("CT")) < 1)) {
            return refuse("You Must Have At Least One Import Mapping For Structure : " + levelName(expected));
        }
        ++expected;
    }
    rows.reset();
    if (!any) return refuse("You must select at least one data mapping to import!");
    // A level after the last one with mappings has none either.
    if (!context.KBImport && expected <= levels) {
        return refuse("You Must Have At Least One Import Mapping For Structure : " + levelName(expected));
    }
    if (!context.KBImport) {
        for (int i = 1; i <= levels; ++i) {
            int tables = 0, links = 0;
            {
                auto distinct = context.destination().query(std::string("Select distinct SourceTable From XFRMappings ") +
                                                            "where structureid = " + std::to_string(i) +
                                                            " and sourcetable <> ''");
                while (distinct->next()) ++tables;
            }
            {
                auto linkRows = context.destination().query("Select * From XFRTableLink where structureid = " +
                                                            std::to_string(i));
                while (linkRows->next()) ++links;
            }
            if (tables > links + 1) return refuse("Please ensure you have linked all of the tables");
        }
        mapping::setLevelValuesForImport(context.destination(), context, mappedAssetFields());
        return true;
    }
    int tables = 0;
    {
        auto distinct = context.destination().query(std::string("Select distinct SourceTable From XFRMappings ") +
                                                    "where sourcetable <> ''");
        while (distinct->next()) ++tables;
    }
    if (tables > 1) {
        auto* dialog = dynamic_cast<TableLinkDialog*>(m_services.navigator.loadDialog(ScreenId::frmTableLink));
        if (!dialog || !dialog->Show_Form(1)) {
            dialogs.setBusy(false);
            return false;
        }
    }
    mapping::useKnowledgeBaseLevel(context);
    return true;
}

void DragMapScreen::cmdNext_Click() {
    m_services.dialogs.setBusy(true);
    try {
        if (!checksBeforeImport()) return;
        m_services.navigator.UT_Wizard_Change_Forms(ScreenId::frmDragMap, ScreenId::frmDBSave, false);
    } catch (const std::exception& error) {
        m_services.dialogs.setBusy(false);
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmDragMap:cmdnext_Click", "");
        return;
    }
    m_services.dialogs.setBusy(false);
}

void DragMapScreen::cmdBack_Click() {
    wizard::Context& context = m_services.context;
    context.Unloading = true;
    m_services.navigator.unloadScreen(ScreenId::frmStructureLinks);
    context.Unloading = false;
    m_services.navigator.UT_Wizard_Change_Forms(ScreenId::frmDragMap,
                                                context.KBImport ? ScreenId::frmMappings : ScreenId::frmStructure, false);
}

void DragMapScreen::cmdExit_Click() { m_services.navigator.requestClose(id()); }

}  // namespace koru::editor
