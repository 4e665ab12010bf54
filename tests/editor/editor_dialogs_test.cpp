#include <gtest/gtest.h>

#include <fstream>
#include <iostream>

#include "app/application.h"
#include "editor/data_clause_dialog.h"
#include "editor/parent_dialogs.h"
#include "editor/source_viewers.h"
#include "editor/table_link_dialog.h"
#include "import/import_info_screen.h"
#include "import/import_screen.h"
#include "mapping/level_values.h"
#include "mapping/mapping_repository.h"
#include "support/demo_connections.h"
#include "support/headless_wizard.h"
#include "support/temp_home.h"
#include "wizard/scripted_dialogs.h"

namespace koru::editor {
namespace {

using wizard::MsgResult;
using wizard::ScreenId;

const std::string kTail =
    "\n\nPlease Note This Is Not A Recommended Practice And This Import Will Most Likely Not Succeed\n"
    "Are You Sure You Wish To Continue ?";

class DbEditorDialogsTest : public ::testing::Test, protected test::HeadlessWizard {
protected:
    DbEditorDialogsTest() {
        test::connectDemo(context, home.path(), destination);
        execute("INSERT INTO XFRStructure (ID, Name, DLink, StyleID) VALUES (1, 'Company', '[Company].[CoID]', 1)");
        mapping::rebuildStructureLevels(*context.DestinationConnection, context);
    }
    DataClauseDialog& clauses() {
        auto* dialog = dynamic_cast<DataClauseDialog*>(application.navigator().loadScreen(ScreenId::frmGenDataClause));
        dialog->Show_Form(1);
        return *dialog;
    }
    void add(DataClauseDialog& dialog, const std::string& column, int op, const std::string& value) {
        dialog.lstDB2.listIndex = dialog.lstDB2.indexOf(column);
        dialog.cboOperator.listIndex = op - 1;
        dialog.cboCriteria.text = value;
        dialog.cboCriteria_Change();
        dialog.cmdAdd_Click();
    }
};

TEST_F(DbEditorDialogsTest, ClausesAreStoredListedAndReordered) {
    dialogs.expectMessage("You Must Have At Least One Mapping To Enforce A Data Clause");
    clauses();
    EXPECT_FALSE(application.screens().find(ScreenId::frmGenDataClause));

    execute("INSERT INTO XFRMappings (StructureID, SourceTable, SourceColumn, DestinTable, DestinColumn, Level) "
            "VALUES (1, 'Company', 'CoName', 'CIID', 'Alpha1', 1)");
    DataClauseDialog& dialog = clauses();
    EXPECT_FALSE(dialog.cboAndOr.visible || dialog.cmdRemove.enabled);
    add(dialog, "CoName", 1, "O'Hara");
    add(dialog, "Phone", 3, "555");
    dialog.cboAndOr.listIndex = 1;
    add(dialog, "Address", 1, "null");
    dialogs.expectMessage("Null queries can only be used with...\nEquals, and does not equal");
    add(dialog, "Address", 4, "NULL");
    add(dialog, "CoName", 2, std::string(40, 'x'));
    EXPECT_EQ(rows("SELECT SourceColumn, Operator, Criteria, StrucOrder, AndClause FROM XFRClause ORDER BY ID"),
              "CoName|=         |O`Hara|0|0\nPhone|like      |%555%|1|0\nAddress|is        |null|2|1\n"
              "CoName|<>        |" + std::string(35, 'x') + "|3|1\n");
    EXPECT_EQ(dialog.lstDataClauses.items[0].text, "Company.CoName =  O`Hara");
    EXPECT_EQ(dialog.lstDataClauses.items[2].text, "or Company.Address is  null");

    // Up from the second line, no-ops at both ends, a removal renumbers.
    dialog.lstDataClauses.listIndex = 1;
    dialog.UpDown1_UpClick();
    EXPECT_EQ(dialog.lstDataClauses.listIndex, 0);
    dialog.UpDown1_UpClick();
    dialog.lstDataClauses.listIndex = 3;
    dialog.UpDown1_DownClick();
    dialog.lstDataClauses.listIndex = 0;
    dialog.cmdRemove_Click();
    EXPECT_EQ(rows("SELECT SourceColumn, StrucOrder FROM XFRClause ORDER BY StrucOrder"),
              "CoName|0\nAddress|1\nCoName|2\n");
    // Editing follows the rules of Add: a value instead of NULL compares with equals, NULL
    // instead of a value with "is", and a Contains clause keeps its wildcards.
    auto edit = [&](int index, const std::string& shown, const std::string& value) {
        dialog.lstDataClauses.listIndex = index;
        dialog.lstDataClauses_DblClick();
        EXPECT_EQ(dialog.cboCriteria.text, shown);
        dialog.cboCriteria.text = value;
        dialog.cboAndOr.listIndex = 0;
        dialog.cmdUpdate_Click();
    };
    edit(1, "null", "none");
    EXPECT_EQ(rows("SELECT trim(Operator), Criteria, AndClause FROM XFRClause WHERE StrucOrder = 1"), "=|none|0\n");
    edit(1, "none", "NULL");
    add(dialog, "Phone", 4, "555");
    edit(3, "555", "556");
    dialogs.expectMessage("Null queries can only be used with...\nEquals, and does not equal");
    edit(3, "556", "null");
    EXPECT_EQ(rows("SELECT trim(Operator), Criteria FROM XFRClause WHERE StrucOrder IN (1, 3) ORDER BY StrucOrder"),
              "is|NULL\nnot like|%556%\n");
    EXPECT_EQ(dialogs.pending(), 0u);
}

// Links are checked, stored and used by the import together with the clauses.
TEST_F(DbEditorDialogsTest, LinksAndClausesMadeInTheDialogsShapeTheImport) {
    execute("INSERT INTO XFRMappings (StructureID, SourceTable, SourceColumn, DestinTable, DestinColumn, Level) VALUES "
            "(1, 'Company', 'CoName', 'CIID', 'Alpha1', 1), (1, 'Department', 'DeptName', 'CIID', 'Alpha2', 1), "
            "(1, 'Contact', 'LastName', 'CIID', 'Alpha3', 1)");
    auto* links = dynamic_cast<TableLinkDialog*>(application.navigator().loadScreen(ScreenId::frmTableLink));
    links->Show_Form(1);
    EXPECT_EQ(links->lblTitle.caption, "Define the table links for structure level : Company");
    auto choose = [&](const std::string& first, const std::string& column1, const std::string& second,
                      const std::string& column2) {
        links->cboSTable.listIndex = links->cboSTable.indexOf(first);
        links->cboSTable_Click();
        links->lstDB1.listIndex = links->lstDB1.indexOf(column1);
        links->cboTable.listIndex = links->cboTable.indexOf(second);
        links->cboTable_Click();
        links->lstDB2.listIndex = links->lstDB2.indexOf(column2);
        links->cmdAdd_Click();
    };
    dialogs.expectMessage("A Table Link Cannot Exist Within The Same Table");
    choose("Company", "CoID", "Company", "CoName");
    dialogs.expectMessage("The Columns You Are Choosing To Link Are Of Different Types" + kTail, MsgResult::Yes)
        .expectMessage("Column : Company.CoName Is Not Of Type Integer" + kTail, MsgResult::No);
    choose("Company", "CoName", "Department", "CoID");
    dialogs.expectMessage("Table Link Added");
    choose("Company", "CoID", "Department", "CoID");
    dialogs.expectMessage("There Are 3 Tables\nWhich Requires At Least 2 Table Links\nYou Only Have 1 Table Links\n\n"
                              "Please Note This Is Not A Recommended Practice And This Import Will Most Likely Not "
                              "Succeed\nAre You Sure You Wish To Continue ?",
                          MsgResult::No);
    links->cmdExit_Click();
    EXPECT_FALSE(application.screens().find(ScreenId::frmTableLink));
    execute("DELETE FROM XFRMappings WHERE SourceTable = 'Contact'");

    DataClauseDialog& dialog = clauses();
    dialog.cboTable.listIndex = dialog.cboTable.indexOf("Department");
    dialog.cboTable_Click();
    add(dialog, "Floor", 1, "NULL");
    mapping::setLevelValuesForImport(*context.DestinationConnection, context, {});
    // Parent matching: the item's Alpha2 names an existing Department item.
    execute("INSERT INTO CIID (Parent, StyleID, Alpha1) VALUES (0, 2, 'Sales `East`')");
    host.onModal = [](wizard::Screen& modal) {
        if (auto* info = dynamic_cast<import::ImportInfoScreen*>(&modal)) info->cmdSave_Click();
        if (auto* parent = dynamic_cast<ParentDialog*>(&modal)) {
            parent->cboStyle.listIndex = parent->cboStyle.indexOf("Department");
            parent->cboStyle_Click();
            parent->lstSourceParent.listIndex = parent->lstSourceParent.indexOf("Alpha2: Department.DeptName");
            parent->lstDestinParent.listIndex = parent->lstDestinParent.indexOf("Alpha1: Department");
            parent->SSTree1.selectedKey = "Main";
            parent->cmdOK_Click();
        }
    };
    auto* parent = dynamic_cast<ParentDialog*>(application.navigator().loadScreen(ScreenId::frmParent));
    context.GenParent = parent->Show_Form(1);
    dialogs.expectMessageStartingWith("Important Notice").expectMessage("Veltrane Data Import Completed Successfully");
    application.navigator().start(ScreenId::frmDBSave);
    application.screens().get<import::ImportScreen>(ScreenId::frmDBSave)->cmdStart_Click();
    // Departments without a floor, each with its own company, under the matching item.
    EXPECT_EQ(rows("SELECT Parent, Alpha1, Alpha2 FROM CIID WHERE ID > 4 ORDER BY Alpha1"),
              "4|O`Brien & Sons|Sales `East`\n");
}

}  // namespace
}  // namespace koru::editor

namespace koru::editor {
namespace {

TEST_F(DbEditorDialogsTest, TheParentDialogsBrowseTheNavigatorAndSetTheParentSettings) {
    dialogs.expectMessage("You Must Have At Least One Mapping To Enforce A Data Clause");
    auto* parent = dynamic_cast<ParentDialog*>(application.navigator().loadScreen(ScreenId::frmParent));
    EXPECT_EQ(parent->Show_Form(1), 0);
    execute("INSERT INTO XFRMappings (StructureID, SourceTable, SourceColumn, DestinTable, DestinColumn, Level) "
            "VALUES (1, 'Company', 'CoName', 'CIID', 'Alpha1', 1), (1, 'Company', 'Phone', 'CIID', 'Alpha3', 1)");
    execute("INSERT INTO CIID (Parent, StyleID, Alpha1) VALUES (0, 1, 'Acme'), (1, 2, 'Accounts')");
    std::vector<std::string> labels;
    host.onModal = [&](wizard::Screen& screen) {
        auto& dialog = dynamic_cast<ParentDialog&>(screen);
        labels.push_back(dialog.lblCurrentParent.caption);
        dialog.SSTree1_Expand("Main");
        dialog.SSTree1_Expand("1");
        std::vector<std::string> shown;
        for (const auto& node : dialog.SSTree1.nodes) {
            if (node.key.rfind(NavigatorBrowseTree::kPlaceholder, 0) != 0) shown.push_back(node.text);
        }
        EXPECT_EQ(shown, (std::vector<std::string>{"All", "Acme", "Veltrane Ltd", "Accounts", "Help Desk"}));
        dialog.SSTree1_Collapse("1");
        EXPECT_EQ(dialog.SSTree1.childCount("1"), 1u);  // read again when expanded
        dialog.SSTree1.selectedKey = labels.size() == 1 ? "5" : "Main";
        dialog.cboStyle.listIndex = 0;  // Company
        dialog.cboStyle_Click();
        EXPECT_EQ(dialog.lstDestinParent.items.front().text, "Alpha1: Company Name");
        dialog.lstDestinParent.listIndex = 1;
        if (labels.size() == 1) dialog.lstSourceParent.listIndex = 1;  // both lists: the rule is taken
        dialog.cmdOK_Click();
    };
    parent = dynamic_cast<ParentDialog*>(application.navigator().loadScreen(ScreenId::frmParent));
    EXPECT_EQ(parent->Show_Form(1), 5);
    EXPECT_EQ(context.SourceCol + ">" + context.DestinCol + "/" + std::to_string(context.StyleID), "Alpha3>Alpha2/1");
    context.GenParent = 5;
    parent = dynamic_cast<ParentDialog*>(application.navigator().loadScreen(ScreenId::frmParent));
    EXPECT_EQ(parent->Show_Form(1), 0);  // "All", one list only: the rule stays
    EXPECT_EQ(context.SourceCol, "Alpha3");
    context.GenParent = 999;
    host.onModal = [&](wizard::Screen& screen) {
        labels.push_back(dynamic_cast<ParentDialog&>(screen).lblCurrentParent.caption);
        dynamic_cast<ParentDialog&>(screen).cmdCancel_Click();
    };
    parent = dynamic_cast<ParentDialog*>(application.navigator().loadScreen(ScreenId::frmParent));
    EXPECT_EQ(parent->Show_Form(1), 999);  // Exit keeps what was chosen before
    EXPECT_EQ(labels, (std::vector<std::string>{"Current Parent : All node", "Current Parent : Accounts",
                                                "Current Parent : Not Found In DB"}));

    auto* newParent = dynamic_cast<NewParentDialog*>(application.navigator().loadScreen(ScreenId::frmNewParent));
    newParent->SSTree1_Expand("Main");
    newParent->SSTree1.selectedKey = "4";
    newParent->cmdOK_Click();
    EXPECT_EQ(context.NewParentID, 4);
    context.MoveIfNotInSource = true;
    newParent = dynamic_cast<NewParentDialog*>(application.navigator().loadScreen(ScreenId::frmNewParent));
    newParent->cmdCancel_Click();
    EXPECT_FALSE(context.MoveIfNotInSource);
}

long residentKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

TEST_F(DbEditorDialogsTest, TheDataViewerReadsAPageAtATimeAndColumnsDescribeTheirType) {
    auto* view = dynamic_cast<DataViewDialog*>(application.navigator().loadScreen(ScreenId::frmDataView));
    view->Show_Form("SELECT * from [Company] LIMIT 10", "Company", context.SourceConnection->connectionString());
    EXPECT_EQ(view->rows.size(), 4u);  // fewer than ten: all of them
    EXPECT_TRUE(view->atEnd());
    EXPECT_EQ(view->columns.front(), "CoID");

    // A million rows open at once in little memory.
    context.SourceConnection->execute("CREATE TABLE Big (ID integer, Name text, Note text)");
    context.SourceConnection->execute("CREATE TABLE [Order Lines] ([Unit Price] real)");
    context.SourceConnection->execute(
        "INSERT INTO Big WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000) "
        "SELECT i, 'name ' || i, 'a note of some length for row ' || i FROM n");
    long before = residentKib();
    view = dynamic_cast<DataViewDialog*>(application.navigator().loadScreen(ScreenId::frmDataView));
    view->Show_Form("Select * from [Big]", "Big", context.SourceConnection->connectionString());
    view->fetchMore();
    EXPECT_EQ(view->rows.size(), 2 * DataViewDialog::kPageRows);
    EXPECT_FALSE(view->atEnd());
    long after = residentKib();
    std::cout << "data viewer on 1,000,000 rows: resident " << after / 1024 << " MiB (" << (after - before) / 1024
              << " MiB more than before opening)\n";
    // What opening the viewer adds: the process's own size differs by build (sanitizers).
    EXPECT_LT(after - before, 100 * 1024);

    auto* properties = dynamic_cast<ColumnPropertiesDialog*>(application.navigator().loadScreen(ScreenId::frmColProps));
    properties->Show_Form("Contact", "StaffNo");
    EXPECT_EQ(properties->txtName.text, "StaffNo");
    EXPECT_EQ(properties->txtDataType.text, "Integer (4 byte)");
    properties->Show_Form("Order Lines", "Unit Price");
    EXPECT_EQ(properties->txtName.text, "Unit Price");
    EXPECT_EQ(dataTypeDescription(202), "Null terminated unicode character string");
    EXPECT_EQ(dataTypeDescription(201), "");
}

}  // namespace
}  // namespace koru::editor
