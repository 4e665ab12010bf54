#include <gtest/gtest.h>

#include "app/application.h"
#include "db/db_test_support.h"
#include "db/demo_source.h"
#include "db/sqlite_connection.h"
#include "editor/drag_map_screen.h"
#include "editor/structure_links_screen.h"
#include "editor/structure_screen.h"
#include "import/import_info_screen.h"
#include "import/import_screen.h"
#include "mapping/mappings_screen.h"
#include "support/demo_connections.h"
#include "support/embedded_destination.h"
#include "support/headless_wizard.h"
#include "support/temp_home.h"
#include "wizard/scripted_dialogs.h"

namespace koru::editor {
namespace {

using wizard::MsgResult;
using wizard::ScreenId;

const char* kNamePrompt = "Enter A Name For This Level";
const std::string kWarning =
    "\n\nPlease Note This Is Not A Recommended Practice And This Import Will Most Likely Not Succeed\n"
    "Are You Sure You Wish To Continue ?";

// A wizard on the demo source and an embedded destination, from the mapping start screen on.
class DbStructureTest : public ::testing::Test, protected test::HeadlessWizard {
protected:
    DbStructureTest() {
        test::connectDemo(context, home.path(), destination);
    }

    StructureScreen& structure() {
        application.navigator().start(ScreenId::frmStructure);
        return *application.screens().get<StructureScreen>(ScreenId::frmStructure);
    }
    StructureLinksScreen& links() { return *application.screens().get<StructureLinksScreen>(ScreenId::frmStructureLinks); }
    void add(StructureScreen& screen, const std::string& parentKey, const std::string& name) {
        screen.tvStructure.selectedKey = parentKey;
        dialogs.expectInput(kNamePrompt, name);
        screen.cmdAddChildNode_Click();
    }
    static void choose(wizard::ComboBox& table, const std::string& name) { table.listIndex = table.indexOf(name); }
    // Links the current level: its own table and column, then the parent's unless locked.
    void link(StructureLinksScreen& screen, const std::string& table, const std::string& column,
              const std::string& parentTable = {}, const std::string& parentColumn = {}) {
        if (!parentTable.empty()) {
            choose(screen.cboLink1, parentTable);
            screen.cboLink1_Click();
            screen.lstLink1.listIndex = screen.lstLink1.indexOf(parentColumn);
        }
        choose(screen.cboLink2, table);
        screen.cboLink2_Click();
        screen.lstLink2.listIndex = screen.lstLink2.indexOf(column);
        screen.cmdAddLink_Click();
    }
};

TEST_F(DbStructureTest, LevelNamesAreCheckedAndDeletingRenumbersWhatIsLeft) {
    StructureScreen& screen = structure();
    dialogs.expectInputCancelled(kNamePrompt);
    screen.cmdAddChildNode_Click();
    dialogs.expectInput(kNamePrompt, "   ").expectMessage("Please Enter A Valid Level Name");
    screen.cmdAddChildNode_Click();
    dialogs.expectInput(kNamePrompt, "A company name of 21c")
        .expectMessage("The Maximum Length Of A Level Name Is 20 Characters")
        .expectInput(kNamePrompt, " O'Brien \"Co\" ");
    screen.cmdAddChildNode_Click();
    EXPECT_EQ(dialogs.shown()[5].defaultText, "A company name of 21");
    add(screen, "lev1", "Department");
    add(screen, "lev2", "Contact");
    add(screen, "lev1", "Site");  // a later branch beside Department
    EXPECT_EQ(screen.tvStructure.find("lev1")->text, " O`Brien `Co` ");
    EXPECT_EQ(screen.tvStructure.find("lev4")->parentKey, "lev1");

    // A level with levels below asks first; what is left is numbered 1..n again.
    context.DestinationConnection->execute("INSERT INTO XFRMappings (StructureID) VALUES (1), (2), (3)");
    context.DestinationConnection->execute("INSERT INTO XFRTableLink (StructureID) VALUES (1), (2), (3)");
    screen.tvStructure.selectedKey = "lev2";
    dialogs.expectMessage("Do you Want To Delete All Structures Below Department ?", MsgResult::No);
    screen.cmdDelete_Click();
    EXPECT_EQ(screen.tvStructure.nodes.size(), 4u);
    dialogs.expectMessage("Do you Want To Delete All Structures Below Department ?", MsgResult::Yes);
    screen.cmdDelete_Click();
    EXPECT_EQ(screen.tvStructure.nodes.size(), 2u);
    EXPECT_EQ(screen.tvStructure.find("lev2")->text, "Site");
    EXPECT_EQ(screen.tvStructure.find("lev2")->parentKey, "lev1");
    EXPECT_EQ(screen.tvStructure.selectedKey, "lev1");
    EXPECT_EQ(rows("SELECT StructureID FROM XFRMappings UNION ALL SELECT StructureID FROM XFRTableLink"), "1\n1\n");
    screen.tvStructure.selectedKey = "lev2";
    screen.cmdDelete_Click();  // no levels below: no question
    EXPECT_EQ(dialogs.pending(), 0u);

    screen.cmdClear_Click();
    dialogs.expectMessage("You Must Have At Least One Level Of Structure\n\nIf You Are Unsure, Then Just Select One Level");
    screen.cmdNext_Click();
    EXPECT_TRUE(screen.visible);
}

TEST_F(DbStructureTest, TheSampleIsWalkedFromTheLastLevelUp) {
    StructureScreen& screen = structure();
    screen.cmdSampleData_Click();
    screen.chkSelectDistinct.value = true;
    screen.chkSelectDistinct_Click();
    screen.cmdNext_Click();
    ASSERT_EQ(context.Gstructures.size(), 6u);
    std::string shape;
    for (std::size_t i = 1; i < 6; ++i) {
        shape += context.Gstructures[i].Name + ":" + std::to_string(context.Gstructures[i].ULinkID) +
                 (context.Gstructures[i].bottomLevel ? "b " : " ");
    }
    EXPECT_EQ(shape, "Company:0 Department:1 Contact:2 PC:3 Software:4b ");
    EXPECT_TRUE(context.Distinct);

    StructureLinksScreen& walk = links();
    EXPECT_EQ(rows("SELECT ID, Name FROM XFRStructure"), "1|Company\n2|Department\n3|Contact\n4|PC\n5|Software\n");
    EXPECT_TRUE(walk.identifierMode());
    EXPECT_EQ(walk.lblInstruct.caption, "Please specify the unique identifier (primary key) for this structure level");
    EXPECT_FALSE(walk.cmdNext.enabled);
    dialogs.expectMessage("Please Select Link Criteria");
    walk.cmdAddLink_Click();
    link(walk, "Software", "SoftwareID");
    EXPECT_EQ(walk.lblInstruct.caption, "Specify The Links Between Structure Levels PC and Software");
    EXPECT_EQ(walk.cmdAddLink.caption, "&Add hierarchy link");
    // Two text columns: asked twice, the link is not numeric.
    dialogs.expectMessage("Column : PC.AssetTag\nIs Not Of Type Integer" + kWarning, MsgResult::Yes)
        .expectMessage("Column : Software.AssetTag\nIs Not Of Type Integer" + kWarning, MsgResult::Yes);
    link(walk, "Software", "AssetTag", "PC", "AssetTag");
    link(walk, "PC", "ContactID", "Contact", "ContactID");
    EXPECT_TRUE(walk.lblIdentifier.visible && !walk.lstSummary.visible);
    EXPECT_EQ(walk.lblIdentifier.caption, "Identifier of Contact: [Contact].[ContactID]");
    // Answering No stores nothing and stays on the level.
    dialogs.expectMessage("The Columns You Are Choosing To Link Are Of Different Types" + kWarning, MsgResult::Yes)
        .expectMessage("Column : Department.DeptName\nIs Not Of Type Integer" + kWarning, MsgResult::No);
    link(walk, "Contact", "DeptID", "Department", "DeptName");
    EXPECT_EQ(walk.currentLevel(), 3);
    link(walk, "Contact", "DeptID", "Department", "DeptID");
    link(walk, "Department", "CoID", "Company", "CoID");
    EXPECT_TRUE(walk.complete());
    EXPECT_EQ(walk.lblInstruct.caption, "Structure Level Links Selection Complete");
    EXPECT_TRUE(walk.cmdNext.enabled && walk.cmdNextDefault && !walk.cmdAddLink.enabled && !walk.fraLink2.visible);
    ASSERT_TRUE(walk.lstSummary.visible && walk.lstSummary.listCount() == 5);
    EXPECT_EQ(walk.lstSummary.items[0].text, "1  Company: identifier [Company].[CoID]");
    EXPECT_EQ(walk.lstSummary.items[4].text,
              "5  Software: identifier [Software].[SoftwareID], parent column [Software].[AssetTag] = PC [PC].[AssetTag]");
    EXPECT_EQ(dialogs.pending(), 0u);
    EXPECT_EQ(rows("SELECT ID, Name, ULink, ULinkID, ULinkNumeric, DLink, DLinkID FROM XFRStructure"),
              "1|Company|<null>|<null>|<null>|[Company].[CoID]|2\n"
              "2|Department|[Department].[CoID]|1|1|[Department].[DeptID]|3\n"
              "3|Contact|[Contact].[DeptID]|2|1|[Contact].[ContactID]|4\n"
              "4|PC|[PC].[ContactID]|3|1|[PC].[AssetTag]|5\n"
              "5|Software|[Software].[AssetTag]|4|0|[Software].[SoftwareID]|<null>\n");

    // Back, the structure changed, Next: the walk starts again.
    walk.cmdBack_Click();
    screen.tvStructure.selectedKey = "lev5";
    screen.cmdDelete_Click();
    screen.cmdNext_Click();
    EXPECT_EQ(walk.currentLevel(), 4);
    EXPECT_TRUE(walk.identifierMode() && walk.fraLink2.visible && walk.cmdAddLink.enabled && !walk.cmdNext.enabled);
    EXPECT_TRUE(walk.fraDataSource.visible && !walk.lstSummary.visible);
    EXPECT_EQ(rows("SELECT count(*) FROM XFRStructure WHERE DLink IS NOT NULL"), "0\n");
}

TEST_F(DbStructureTest, ASecondChildFindsItsParentsColumnChosen) {
    StructureScreen& screen = structure();
    add(screen, "", "Company");
    add(screen, "lev1", "Department");
    add(screen, "lev1", "Contact");
    screen.cmdNext_Click();
    StructureLinksScreen& walk = links();
    link(walk, "Contact", "ContactID");
    // Text to a number: two questions, and the link is numeric.
    dialogs.expectMessage("The Columns You Are Choosing To Link Are Of Different Types" + kWarning, MsgResult::Yes)
        .expectMessage("Column : Company.CoName\nIs Not Of Type Integer" + kWarning, MsgResult::Yes);
    link(walk, "Contact", "StaffNo", "Company", "CoName");
    EXPECT_EQ(rows("SELECT ULinkNumeric FROM XFRStructure WHERE ID = 3"), "1\n");
    link(walk, "Department", "DeptID");
    EXPECT_EQ(walk.cboLink1.selectedText(), "Company");
    EXPECT_EQ(walk.lstLink1.selectedText(), "CoName");
    EXPECT_FALSE(walk.cboLink1.enabled || walk.lstLink1.enabled);
}

// A mapping made from nothing on the screens imports what the same design saved and loaded
// imports, and the files it saves load as the same rows.
TEST_F(DbStructureTest, ANewMappingMadeOnTheScreensImportsAsItsSavedCopy) {
    StructureScreen& screen = structure();
    add(screen, "", "Company");
    add(screen, "lev1", "Department");
    screen.cmdNext_Click();
    StructureLinksScreen& walk = links();
    link(walk, "Department", "DeptID");
    link(walk, "Department", "CoID", "Company", "CoID");
    walk.cmdNext_Click();
    auto& map = *application.screens().get<DragMapScreen>(ScreenId::frmDragMap);
    auto drop = [&](const std::string& table, const std::string& column, const std::string& field) {
        map.tvSource_Expand(table);
        map.tvSource_MouseDown(table + "@--##--@" + column);
        map.Style_Drag_Over(DestinationTree::tvDestin, field);
        map.Style_Drag_Drop(DestinationTree::tvDestin);
    };
    map.cboStyle.listIndex = 0;
    map.cboStyle_Click();
    drop("Company", "CoName", "CIID.Alpha1");
    map.cboStructure.listIndex = 1;
    map.cboStructure_Click();
    map.cboStyle.listIndex = 1;
    map.cboStyle_Click();
    drop("Department", "DeptName", "CIID.Alpha1");
    drop("Department", "Floor", "CIID.Alpha2");
    // Typed without an extension: saved as made.xfo beside made-*.xft.
    std::string saved = (home.path() / "made.xfo").string();
    dialogs.expectSaveFile((home.path() / "made").string());
    map.ToolClick("ID_SaveMapping");
    for (const char* file : {"made.xfo", "made-XFRStructure.xft", "made-XFRMappings.xft", "made-XFRClause.xft"}) {
        EXPECT_TRUE(std::filesystem::exists(home.path() / file)) << file;
    }
    map.cmdNext_Click();
    host.onModal = [](wizard::Screen& modal) {
        if (auto* info = dynamic_cast<import::ImportInfoScreen*>(&modal)) info->cmdSave_Click();
    };
    const std::string items = "SELECT c.StyleID, c.Alpha1, c.Alpha2, p.Alpha1 FROM CIID c LEFT JOIN CIID p ON "
                              "p.ID = c.Parent WHERE c.ID > 3 ORDER BY c.ID";
    // The files keep an empty link for "none".
    const std::string design =
        "SELECT ID, Name, nullif(ULink, ''), nullif(ULinkID, 0), DLink FROM XFRStructure ORDER BY ID";
    std::string madeDesign = rows(design);
    dialogs.expectMessageStartingWith("Important Notice").expectMessage("Veltrane Data Import Completed Successfully");
    application.screens().get<import::ImportScreen>(ScreenId::frmDBSave)->cmdStart_Click();
    std::string made = rows(items);
    EXPECT_EQ(rows("SELECT count(*), count(CASE WHEN Parent > 3 THEN 1 END) FROM CIID WHERE ID > 3"), "9|5\n");

    // The saved copy, loaded into another destination and imported there.
    test::EmbeddedDestination other;
    wizard::HeadlessHost otherHost;
    wizard::ScriptedDialogs otherDialogs;
    app::Application second{otherHost, otherDialogs, false};
    second.context().SourceConnection = std::make_unique<db::SqliteConnection>();
    second.context().SourceConnection->open(context.SourceConnection->connectionString());
    second.context().DestinationConnection = other.connect();
    second.context().destinationDialect = db::makeDestinationDialect(db::DestinationDialect::Kind::Sqlite);
    second.context().optEXE = true;
    second.navigator().start(ScreenId::frmMappings);
    auto* start = second.screens().get<mapping::MappingsScreen>(ScreenId::frmMappings);
    start->templatePath = saved;
    otherDialogs.expectMessage("Data mappings loaded successfully");
    start->cmdNext_Click();
    EXPECT_EQ(test::rowsOf(*other.connect(), design), madeDesign);
    otherHost.onModal = host.onModal;
    otherDialogs.expectMessageStartingWith("Important Notice").expectMessage("Veltrane Data Import Completed Successfully");
    second.screens().get<import::ImportScreen>(ScreenId::frmDBSave)->cmdStart_Click();
    EXPECT_EQ(test::rowsOf(*other.connect(), items), made);
}

}  // namespace
}  // namespace koru::editor
