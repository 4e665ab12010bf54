#include <gtest/gtest.h>

#include "app/application.h"
#include "editor/data_clause_dialog.h"
#include "editor/table_link_dialog.h"
#include "import/import_info_screen.h"
#include "import/import_screen.h"
#include "mapping/level_values.h"
#include "mapping/mapping_repository.h"
#include "support/demo_connections.h"
#include "support/temp_home.h"
#include "wizard/scripted_dialogs.h"

namespace koru::editor {
namespace {

using wizard::MsgResult;
using wizard::ScreenId;

const std::string kTail =
    "\n\nPlease Note This Is Not A Recommended Practice And This Import Will Most Likely Not Succeed\n"
    "Are You Sure You Wish To Continue ?";

class DbEditorDialogsTest : public ::testing::Test {
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
    void execute(const std::string& sql) { context.DestinationConnection->execute(sql); }
    std::string rows(const std::string& sql) { return test::rowsOf(*destination.connect(), sql); }

    test::TempHome home;
    test::EmbeddedDestination destination;
    wizard::HeadlessHost host;
    wizard::ScriptedDialogs dialogs;
    app::Application application{host, dialogs, false};
    wizard::Context& context = application.context();
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
    // Editing changes the value and the joining word only.
    dialog.lstDataClauses.listIndex = 1;
    dialog.lstDataClauses_DblClick();
    EXPECT_EQ(dialog.cboCriteria.text, "null");
    dialog.cboCriteria.text = "none";
    dialog.cboAndOr.listIndex = 0;
    dialog.cmdUpdate_Click();
    EXPECT_EQ(rows("SELECT Operator, Criteria, AndClause FROM XFRClause WHERE StrucOrder = 1"), "is        |none|0\n");
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
    host.onModal = [](wizard::Screen& modal) {
        if (auto* info = dynamic_cast<import::ImportInfoScreen*>(&modal)) info->cmdSave_Click();
    };
    dialogs.expectMessageStartingWith("Important Notice").expectMessage("Veltrane Data Import Completed Successfully");
    application.navigator().start(ScreenId::frmDBSave);
    application.screens().get<import::ImportScreen>(ScreenId::frmDBSave)->cmdStart_Click();
    // Departments without a floor, each with its own company.
    EXPECT_EQ(rows("SELECT Alpha1, Alpha2 FROM CIID WHERE ID > 3 ORDER BY Alpha1"), "O`Brien & Sons|Sales `East`\n");
}

}  // namespace
}  // namespace koru::editor
