#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "editor/destination_catalogue.h"
#include "wizard/controls.h"
#include "wizard/navigator.h"

namespace koru::editor {

enum class MouseButton { Left, Right };

// frmDragMap: source columns are dragged onto destination fields of the selected level and
// style; every drop writes its XFRMappings row at once.
class DragMapScreen : public wizard::WizardScreen {
public:
    explicit DragMapScreen(wizard::ScreenServices services);

    void Form_Load() override;

    // Source tree.
    void Fill_TV_Source();
    void tvSource_Expand(const std::string& key);
    void UT_Tree_Column_Fill(wizard::Tree& tree, db::Connection& source, const std::string& tableKey);
    void tvSource_MouseDown(const std::string& key);
    void tvSource_MouseUp(MouseButton button);
    void tvSource_DblClick();
    // The source table menu: the first rows, or all rows, of the table in the data viewer.
    void Menu_Source_Popup_View_Data();
    void mnuViewAllData();
    // A drag may start from the drag node: it is a node that is still available.
    bool tvSource_CanDrag() const;

    // Destination trees and styles.
    void Fill_Styles_To_Destin(std::int16_t styleID);
    void Clear_Destin_Grids();
    void Format_Style_Combo();
    void POP_Load_Categories(wizard::Tree& tree);
    void Get_Discovery_Tool_Names(wizard::ComboBox& combo, db::Connection& connection);
    void cboDiscovery_Click();
    void cboStructure_Click();
    void cboStyle_Click();
    void chkFLY_Click();
    void chkMakeDefaultEXL_Click();
    void Add_New_Style();

    // Mapping entries.
    std::int64_t Add_Mapping_Entry(const wizard::TreeNode* sourceNode, const std::string& destTable,
                                   const std::string& destColumn, int level);
    void Add_Mappings();
    void Style_MouseDown(DestinationTree tree, MouseButton button, const std::string& key);
    void Style_Drag_Over(DestinationTree tree, const std::string& key);
    void Style_Drag_Drop(DestinationTree tree);
    void Menu_Remove_Mapping_Click();
    void Menu_Rename_Click();
    void tvKB_NodeClick(const std::string& key);
    void treCat_NodeClick(const std::string& key);
    void treCat_LostFocus();
    void ToolClick(const std::string& toolKey);
    std::string Get_Mappings_FileName();

    void cmdNext_Click();
    void cmdBack_Click();
    void cmdExit_Click();

    wizard::Tree& tree(DestinationTree which);
    // The tree of a tab, counted from 1.
    wizard::Tree& treeOfTab(int tab);
    // The selected level's ID, or 0 when none is selected.
    int selectedLevel() const;

    wizard::Label lblTitle;
    wizard::Label lblStructureLevel;
    wizard::ComboBox cboStructure;
    wizard::Label fraSource;
    wizard::Label fraDestin;
    wizard::Label lblStyle;
    wizard::ComboBox cboStyle;
    std::string cboStyleTag;
    wizard::CheckBox chkFLY;
    wizard::TabStrip ssTab1;
    wizard::Toolbar SSActiveToolBars1;
    wizard::Tree tvSource;
    wizard::Tree tvDestin, tvDestinNum, tvDestinDate, tvDestinCurr, tvDiscovery, tvDestinLG, tvDestinTK, tvKB;
    wizard::Tree treCat;
    wizard::Label lblDiscovery;
    wizard::ComboBox cboDiscovery;
    wizard::CheckBox chkMakeDefaultEXL;
    wizard::MenuItem Menu_Remove_Mapping;
    wizard::MenuItem Menu_Rename;
    bool popupShown = false;       // the destination context menu is open
    bool sourcePopupShown = false; // the source table menu is open
    wizard::Button cmdBack;
    wizard::Button cmdNext;
    wizard::Button cmdExit;

    // The source node last pressed: what a drag carries.
    std::string dragNode;

private:
    void viewData(bool allRows);
    std::int16_t selectedStyle() const;
    void fillStructureCombo();
    void addMappingChild(wizard::Tree& tree, const std::string& fieldKey, const std::string& sourceKey,
                         std::int64_t rowId);
    void makeAvailable(const std::string& sourceKey, bool available);
    void relabelOnTheFly(DestinationTree which, const std::string& fieldKey, const std::string& columnName);
    void dropColumn(DestinationTree which, const std::string& fieldKey, const wizard::TreeNode& column);
    void dropTable(DestinationTree which, const std::string& tableKey);
    std::optional<std::string> askSeparator();
    void removeChild(wizard::Tree& tree, const wizard::TreeNode& child);
    bool checksBeforeImport();
    std::vector<std::string> mappedAssetFields();

    // The node the context menu was opened on, and its tree.
    std::string m_menuNode;
    DestinationTree m_menuTree = DestinationTree::tvDestin;
};

// Keys of mapping child nodes: the source column key, "--MP" and the row ID; a separator is
// "TEXTSEP" and the row ID.
std::string mappingChildKey(const std::string& sourceKey, std::int64_t rowId);
std::int64_t mappingRowIdOf(const std::string& childKey);
bool isMappingChild(const std::string& key);

}  // namespace koru::editor
