#include "editor/drag_map_screen.h"

#include <gtest/gtest.h>

#include "app/application.h"
#include "db/db_test_support.h"
#include "db/sqlite_connection.h"
#include "import/import_info_screen.h"
#include "import/import_screen.h"
#include "mapping/mapping_repository.h"
#include "support/embedded_destination.h"
#include "support/headless_wizard.h"
#include "support/temp_home.h"
#include "wizard/scripted_dialogs.h"

namespace koru::editor {
namespace {

using T = DestinationTree;
using wizard::MsgResult;
using wizard::ScreenId;

const char* kCombine =
    "Are you sure you want to combine these two source database fields?\r\n"
    "Please be aware that the maximum field length is 35 characters, therefore data may be truncated.\r\n"
    "Also, please be aware that both of the fields that are to be combined have to be 'string' types, not "
    "numeric.  If this is not the case, the import will fail.";
const char* kSeparatorPrompt = "What text would you like to use to seperate the two database fields";
const char* kStyleName = "Enter The Name For This Style";

class DbDragMapTest : public ::testing::Test, protected test::HeadlessWizard {
protected:
    explicit DbDragMapTest(db::Product product = db::Product::Tickora) : HeadlessWizard(product) {
        test::createSqliteFile(home.path() / "source.db",
                               "CREATE TABLE Company (CoID integer, CoName text, Phone text);"
                               "INSERT INTO Company VALUES (1, 'Alpha', '555'), (2, 'Beta', NULL);"
                               "CREATE TABLE Contact (ContactID integer, CoID integer, FirstName text, "
                               "LastName text, Email text);"
                               "INSERT INTO Contact VALUES (10, 1, 'Ann', 'Lee', 'ann@x'), (20, 2, 'Bo', 'Ng', NULL);"
                               "CREATE TABLE Detail (ContactID integer, [Pager No] text);");
        auto source = std::make_unique<db::SqliteConnection>();
        source->open("Provider=SQLite;Data Source=" + (home.path() / "source.db").string());
        context.SourceConnection = std::move(source);
        context.DestinationConnection = destination.connect();
        context.destinationDialect = db::makeDestinationDialect(db::DestinationDialect::Kind::Sqlite);
        context.LGEnabled = product == db::Product::Ledgora;
        context.EXLValid = context.LGEnabled;
        execute("INSERT INTO XFRStructure (ID, Name, DLink, StyleID) VALUES (1, 'Company', '[Company].[CoID]', 1)");
        execute("INSERT INTO XFRStructure (ID, Name, ULink, ULinkID, DLink, StyleID) VALUES "
                "(2, 'Contact', '[Contact].[CoID]', 1, '[Contact].[ContactID]', 0)");
        mapping::rebuildStructureLevels(*context.DestinationConnection, context);
    }

    DragMapScreen& show() {
        application.navigator().start(ScreenId::frmDragMap);
        return *application.screens().get<DragMapScreen>(ScreenId::frmDragMap);
    }
    // Drags a source node onto a destination node, as the mouse would.
    void drag(DragMapScreen& screen, const std::string& source, T target, const std::string& field) {
        if (!screen.tvSource.find(source)) screen.tvSource_Expand(source.substr(0, source.find("@--##--@")));
        screen.tvSource_MouseDown(source);
        screen.Style_Drag_Over(target, field);
        screen.Style_Drag_Drop(target);
    }
    void selectLevel(DragMapScreen& screen, int index) {
        screen.cboStructure.listIndex = index;
        screen.cboStructure_Click();
    }
    std::vector<std::string> childrenOf(wizard::Tree& tree, const std::string& key) {
        std::vector<std::string> texts;
        for (auto* child : tree.children(key)) texts.push_back(child->text);
        return texts;
    }
};

const std::string kCoName = "Company@--##--@CoName";
const std::string kFirst = "Contact@--##--@FirstName";
const std::string kLast = "Contact@--##--@LastName";
const std::string kEmail = "Contact@--##--@Email";

TEST_F(DbDragMapTest, TheTreesShowTheSourceAndTheLevelsStyle) {
    DragMapScreen& screen = show();
    EXPECT_EQ(screen.ssTab1.tabs[0].caption, "Alpha numeric");
    EXPECT_EQ(childrenOf(screen.tvSource, "TABLES"), (std::vector<std::string>{"Company", "Contact", "Detail"}));
    EXPECT_FALSE(screen.tvSource.find("VIEWS"));  // not a SQL Server source
    screen.tvSource_Expand("Detail");
    EXPECT_EQ(childrenOf(screen.tvSource, "Detail"), (std::vector<std::string>{"ContactID", "Pager No"}));
    EXPECT_EQ(screen.tvSource.find("Detail@--##--@ContactID")->tag, "3");  // ADO type code

    // Level 1 has style 1 (Company): labels at their widths, the mandatory field red, no REQUEST.
    EXPECT_EQ(screen.cboStyle.text, "Company");
    for (const auto& item : screen.cboStyle.items) EXPECT_NE(item.text, "REQUEST");
    EXPECT_EQ(screen.tvDestin.find("CIID.Alpha1")->text, "Company Name        ");
    EXPECT_EQ(screen.tvDestin.find("CIID.Alpha1")->color, 255);
    EXPECT_EQ(screen.tvDestin.find("CIID.Alpha2")->color, 0);
    EXPECT_EQ(screen.tvDestinNum.find("CIID.Num1")->text, "Account No     ");
    EXPECT_EQ(screen.tvDestinTK.nodes.size(), 2u);
    // Only fields with a label column in the style can be renamed.
    screen.Style_MouseDown(T::tvDestinTK, MouseButton::Right, "CIID.EmailID");
    EXPECT_TRUE(screen.popupShown && !screen.Menu_Rename.enabled);
    screen.Style_MouseDown(T::tvDestin, MouseButton::Right, "CIID.Alpha2");
    EXPECT_TRUE(screen.popupShown && screen.Menu_Rename.enabled);
    EXPECT_FALSE(screen.ssTab1.tabs[2].enabled || screen.ssTab1.tabs[5].enabled);  // no asset product
    EXPECT_TRUE(screen.ssTab1.tabs[6].enabled);

    // Level 2 has no style: empty trees; choosing one attaches it to the level. The source tree
    // stays open, and greys the columns of the shown level only.
    drag(screen, kCoName, T::tvDestin, "CIID.Alpha1");
    EXPECT_FALSE(screen.tvSource.find(kCoName)->available);
    selectLevel(screen, 1);
    EXPECT_TRUE(screen.tvSource.find(kCoName)->available && screen.tvSource.find("Detail")->expanded);
    EXPECT_EQ(screen.cboStyle.listIndex, -1);
    EXPECT_TRUE(screen.tvDestin.nodes.empty() && screen.tvDestinTK.nodes.empty() && screen.tvDiscovery.nodes.empty());
    screen.cboStyle.listIndex = 2;
    screen.cboStyle_Click();
    EXPECT_EQ(context.Gstructures[2].StyleID, 3);
    EXPECT_EQ(screen.tvDestin.find("CIID.Alpha1")->text, "Full Name           ");
    selectLevel(screen, 0);
    EXPECT_TRUE(!screen.tvSource.find(kCoName)->available && screen.tvSource.find("Detail")->expanded);
}

TEST_F(DbDragMapTest, DropsWriteRowsAndRefuseWhatCannotBeMapped) {
    DragMapScreen& screen = show();
    drag(screen, kCoName, T::tvDestin, "CIID.Alpha1");
    EXPECT_EQ(childrenOf(screen.tvDestin, "CIID.Alpha1"), std::vector<std::string>{"CoName"});
    EXPECT_FALSE(screen.tvSource.find(kCoName)->available);

    // A mapped column cannot be dragged again; a mapped field takes no second column.
    screen.tvSource_MouseDown(kCoName);
    EXPECT_FALSE(screen.tvSource_CanDrag());
    drag(screen, "Company@--##--@Phone", T::tvDestin, "CIID.Alpha2");
    dialogs.expectMessage("You cannot map more than one field to another");
    drag(screen, "Company@--##--@CoID", T::tvDestin, "CIID.Alpha2");
    // Another table's column does not combine with the name.
    dialogs.expectMessage(kCombine, MsgResult::Yes).expectMessage("You can only combine 2 fields from the same table");
    drag(screen, kFirst, T::tvDestin, "CIID.Alpha1");
    // A folder maps nothing.
    drag(screen, "TABLES", T::tvDestin, "CIID.Alpha3");
    EXPECT_EQ(dialogs.pending(), 0u);
    EXPECT_EQ(rows("SELECT StructureID, SourceTable, SourceColumn, DestinTable, DestinColumn, Level FROM XFRMappings"),
              "1|Company|CoName|CIID|Alpha1|1\n1|Company|Phone|CIID|Alpha2|1\n");

    // Removing a mapping frees its column.
    screen.ssTab1.tab = 1;
    std::string phone = screen.tvDestin.children("CIID.Alpha2").front()->key;
    screen.Style_MouseDown(T::tvDestin, MouseButton::Right, phone);
    EXPECT_TRUE(screen.popupShown && screen.Menu_Remove_Mapping.enabled && !screen.Menu_Rename.enabled);
    screen.Menu_Remove_Mapping_Click();
    EXPECT_TRUE(screen.tvSource.find("Company@--##--@Phone")->available);
    EXPECT_EQ(rows("SELECT count(*) FROM XFRMappings"), "1\n");
}

TEST_F(DbDragMapTest, TwoColumnsCombineIntoTheNameWithAnAcceptedSeparator) {
    DragMapScreen& screen = show();
    selectLevel(screen, 1);
    screen.cboStyle.listIndex = 2;
    screen.cboStyle_Click();
    drag(screen, kFirst, T::tvDestin, "CIID.Alpha1");
    dialogs.expectMessage(kCombine, MsgResult::No);
    drag(screen, kLast, T::tvDestin, "CIID.Alpha1");
    dialogs.expectMessage(kCombine, MsgResult::Yes).expectInputCancelled(kSeparatorPrompt);
    drag(screen, kLast, T::tvDestin, "CIID.Alpha1");
    // Each refusal offers the text again, mended.
    dialogs.expectMessage(kCombine, MsgResult::Yes)
        .expectInput(kSeparatorPrompt, "a'b")
        .expectMessage("Sorry, you cannot use quote (') characters in the text sperator")
        .expectInput(kSeparatorPrompt, "x,,y")
        .expectMessage("Sorry, you cannot use double comma (,,) characters in the text seperator")
        .expectInput(kSeparatorPrompt, " -- ")
        .expectMessage("Sorry, the text seperator has a maximum length of 3 characters")
        .expectInput(kSeparatorPrompt, " - ");
    drag(screen, kLast, T::tvDestin, "CIID.Alpha1");
    EXPECT_EQ(dialogs.pending(), 0u);
    std::vector<std::string> offered;
    for (const auto& shown : dialogs.shown()) {
        if (shown.kind == "input") offered.push_back(shown.defaultText);
    }
    EXPECT_EQ(offered, (std::vector<std::string>{", ", ", ", "a`b", "xy", " --", }));
    EXPECT_EQ(childrenOf(screen.tvDestin, "CIID.Alpha1"), (std::vector<std::string>{"FirstName", " - ", "LastName"}));
    dialogs.expectMessage("You cannot map more than 2 fields to this field");
    drag(screen, kEmail, T::tvDestin, "CIID.Alpha1");
    EXPECT_EQ(rows("SELECT SourceColumn, DestinTable, DestinColumn, Level FROM XFRMappings ORDER BY ID"),
              "FirstName|CIID|Alpha1|1\n<null>|TEXTSEP| - |2\nLastName|CIID|Alpha1|3\n");

    // Removing one part removes the combined field whole.
    screen.ssTab1.tab = 1;
    screen.tvDestin.selectedKey = screen.tvDestin.children("CIID.Alpha1").back()->key;
    screen.Menu_Remove_Mapping_Click();
    EXPECT_TRUE(screen.tvDestin.children("CIID.Alpha1").empty());
    EXPECT_TRUE(screen.tvSource.find(kFirst)->available && screen.tvSource.find(kLast)->available);
    EXPECT_EQ(rows("SELECT count(*) FROM XFRMappings"), "0\n");
}

TEST_F(DbDragMapTest, AWholeTableMapsItsColumnsOntoTheFieldsInOrder) {
    DragMapScreen& screen = show();
    drag(screen, kCoName, T::tvDestinNum, "CIID.Num3");
    dialogs.expectMessage("Are you sure you want to add the whole table as data mappings?", MsgResult::No);
    drag(screen, "Contact", T::tvDestinNum, "CIID.Num1");
    EXPECT_EQ(rows("SELECT count(*) FROM XFRMappings"), "1\n");
    dialogs.expectMessage("Are you sure you want to add the whole table as data mappings?", MsgResult::Yes);
    drag(screen, "Contact", T::tvDestinNum, "CIID.Num1");
    EXPECT_EQ(rows("SELECT SourceColumn || '>' || DestinColumn FROM XFRMappings ORDER BY ID"),
              "ContactID>Num1\nCoID>Num2\nFirstName>Num3\nLastName>Num4\nEmail>Num5\n");
    EXPECT_TRUE(screen.tvSource.find(kCoName)->available);

    // More columns than fields: as many as fit, and the user is told.
    dialogs.expectMessage("Are you sure you want to add the whole table as data mappings?", MsgResult::Yes)
        .expectMessage("4 of the 5 columns of Contact were not mapped: this tab offers only 1 fields.");
    drag(screen, "Contact", T::tvDiscovery, "AssetCiid.DLinkID");
    EXPECT_EQ(dialogs.pending(), 0u);
}

TEST_F(DbDragMapTest, OnTheFlyRelabelsBlankLabelsThenEveryDrop) {
    DragMapScreen& screen = show();
    drag(screen, kCoName, T::tvDestin, "CIID.Alpha1");
    drag(screen, "Company@--##--@Phone", T::tvDestin, "CIID.Alpha4");  // a blank label
    screen.chkFLY.value = true;
    dialogs.expectMessageStartingWith("By Enabling 'on the fly' mode", MsgResult::Yes);
    screen.chkFLY_Click();
    EXPECT_EQ(rows("SELECT Alpha1, Alpha4 FROM Style WHERE ID = 1"), "Company Name|Phone\n");
    EXPECT_EQ(screen.tvDestin.find("CIID.Alpha4")->text, "Phone");
    drag(screen, "Company@--##--@CoID", T::tvDestin, "CIID.Alpha2");
    EXPECT_EQ(rows("SELECT Alpha2 FROM Style WHERE ID = 1"), "CoID\n");
    // Changing the level switches it off.
    selectLevel(screen, 1);
    EXPECT_FALSE(screen.chkFLY.value);

    // Renaming a label.
    selectLevel(screen, 0);
    screen.Style_MouseDown(T::tvDestinNum, MouseButton::Right, "CIID.Num2");
    dialogs.expectInput(kStyleName, "A very 'long' label for a number")
        .expectMessage("Maximum Length For A Style Is 20 Characters")
        .expectInput(kStyleName, "Staff 'No'");
    screen.Menu_Rename_Click();
    EXPECT_EQ(rows("SELECT Num2 FROM Style WHERE ID = 1"), "Staff `No`\n");
}

TEST_F(DbDragMapTest, ANewStyleNeedsAValidUniqueName) {
    DragMapScreen& screen = show();
    dialogs.expectMessage("Do You Want To Create A Blank Style?", MsgResult::Yes)
        .expectInput(kStyleName, " request ")
        .expectMessage("Please Select A Valid Name")
        .expectInput(kStyleName, "Company")
        .expectMessage("Sorry, a style named Company already exists")
        .expectInput(kStyleName, "Twenty-one characters")
        .expectMessage("Maximum Length For A Style Is 20 Characters")
        .expectInput(kStyleName, "O'Neil Sites");
    screen.ToolClick("ID_AddNewStyle");
    EXPECT_EQ(dialogs.pending(), 0u);
    EXPECT_EQ(rows("SELECT ID, Specstyle, DisplayID, Alpha1, Alpha1Req FROM Style WHERE ID = 6"),
              "6|O`Neil Sites|Alpha1|<null>|0\n");
    EXPECT_EQ(screen.cboStyle.text, "O`Neil Sites");
    EXPECT_EQ(context.Gstructures[1].StyleID, 6);
}

TEST_F(DbDragMapTest, NextChecksInOrderAndLeavesTheJoinsForTheImport) {
    DragMapScreen& screen = show();
    auto next = [&](const std::string& message) {
        dialogs.expectMessage(message);
        screen.cmdNext_Click();
        EXPECT_EQ(dialogs.pending(), 0u) << message;
    };
    next("The following Structures Do Not Have An Associated Style ...\nContact\n");
    context.Gstructures[2].StyleID = 3;
    next("You must select at least one data mapping to import!");
    selectLevel(screen, 1);
    drag(screen, kFirst, T::tvDestin, "CIID.Alpha1");
    next("You Must Have At Least One Import Mapping For Structure : Company");
    selectLevel(screen, 0);
    drag(screen, kCoName, T::tvDestin, "CIID.Alpha1");
    selectLevel(screen, 1);
    drag(screen, "Detail@--##--@Pager No", T::tvDestin, "CIID.Alpha2");
    next("Please ensure you have linked all of the tables");
    execute("INSERT INTO XFRTableLink (StructureID, sourceTable, sourceColumn, destinTable, destinColumn) "
            "VALUES (2, 'Contact', 'ContactID', 'Detail', 'ContactID')");
    screen.ToolClick("ID_TableLink");
    EXPECT_EQ(host.events().back(), (wizard::HeadlessHost::Event{wizard::HeadlessHost::Event::Modal, ScreenId::frmTableLink}));
    screen.cmdNext_Click();
    EXPECT_EQ(context.Gstructures[2].joinCondition, "Contact.ContactID = Detail.ContactID ");
    EXPECT_TRUE(application.screens().find(ScreenId::frmDBSave)->visible);
}

// A saved mapping, two more columns dropped, Next and Start: the items as the mapping says.
TEST_F(DbDragMapTest, AMappingMadeOnTheScreenImports) {
    execute("INSERT INTO XFRMappings (StructureID, SourceTable, SourceColumn, DestinTable, DestinColumn, Level) "
            "VALUES (1, 'Company', 'CoName', 'CIID', 'Alpha1', 1), (2, 'Contact', 'FirstName', 'CIID', 'Alpha1', 1)");
    context.Gstructures[2].StyleID = 3;
    DragMapScreen& screen = show();
    drag(screen, "Company@--##--@Phone", T::tvDestin, "CIID.Alpha3");
    selectLevel(screen, 1);
    EXPECT_EQ(childrenOf(screen.tvDestin, "CIID.Alpha1"), std::vector<std::string>{"FirstName"});
    drag(screen, kEmail, T::tvDestinTK, "CIID.EmailID");
    screen.cmdNext_Click();
    auto* import = application.screens().get<import::ImportScreen>(ScreenId::frmDBSave);
    ASSERT_NE(import, nullptr);
    host.onModal = [](wizard::Screen& modal) {
        if (auto* info = dynamic_cast<import::ImportInfoScreen*>(&modal)) info->cmdSave_Click();
    };
    dialogs.expectMessageStartingWith("Important Notice").expectMessage("Veltrane Data Import Completed Successfully");
    import->cmdStart_Click();
    EXPECT_EQ(rows("SELECT c.Alpha1, c.Alpha3, c.EmailID, p.Alpha1 FROM CIID c LEFT JOIN CIID p ON p.ID = c.Parent "
                   "WHERE c.ID > 3 ORDER BY c.Alpha1"),
              "Alpha|555|<null>|<null>\nAnn|<null>|ann@x|Alpha\nBeta|<null>|<null>|<null>\nBo|<null>|<null>|Beta\n");
}

class DbDragMapLedgoraTest : public DbDragMapTest {
protected:
    DbDragMapLedgoraTest() : DbDragMapTest(db::Product::Ledgora) {}
};

TEST_F(DbDragMapLedgoraTest, AssetFieldsExternalLinksAndTheAssetStyleOfANewStyle) {
    // Style 1 has no asset style.
    dialogs.expectMessage("Cannot Find Asset-Style : Company");
    DragMapScreen& screen = show();
    EXPECT_TRUE(screen.ssTab1.tabs[5].enabled && !screen.ssTab1.tabs[6].enabled);
    selectLevel(screen, 1);
    screen.cboStyle.listIndex = 3;  // PC, with an asset style
    screen.cboStyle_Click();
    EXPECT_EQ(screen.tvDestinDate.find("AssetCiid.Date1")->text, "Warranty Ends       ");
    EXPECT_EQ(screen.tvDestinLG.nodes.size(), 8u);
    drag(screen, "Contact@--##--@ContactID", T::tvDiscovery, "AssetCiid.DLinkID");
    drag(screen, kEmail, T::tvDestinLG, "AssetCiid.Location");
    drag(screen, kFirst, T::tvDestin, "CIID.Alpha1");
    // A style without an asset style shows the asset mapping apart, where it can be removed.
    dialogs.expectMessage("Cannot Find Asset-Style : Company");
    screen.cboStyle.listIndex = 0;
    screen.cboStyle_Click();
    ASSERT_EQ(childrenOf(screen.tvDestinLG, "NOTINSTYLE"), std::vector<std::string>{"AssetCiid.Location"});
    screen.Style_Drag_Over(T::tvDestinLG, "AssetCiid.Location");
    EXPECT_TRUE(screen.tvDestinLG.dropHighlight.empty());
    screen.ssTab1.tab = 6;
    screen.Style_MouseDown(T::tvDestinLG, MouseButton::Right,
                           screen.tvDestinLG.children("AssetCiid.Location").front()->key);
    screen.Menu_Remove_Mapping_Click();
    EXPECT_TRUE(screen.tvDestinLG.nodes.empty());
    EXPECT_EQ(rows("SELECT count(*) FROM XFRMappings WHERE DestinColumn = 'Location'"), "0\n");
    screen.cboStyle.listIndex = 3;
    screen.cboStyle_Click();
    drag(screen, kEmail, T::tvDestinLG, "AssetCiid.Location");
    dialogs.expectMessage("Cannot Find Asset-Style : Company");
    selectLevel(screen, 0);
    drag(screen, kCoName, T::tvDestin, "CIID.Alpha1");
    selectLevel(screen, 1);
    dialogs.expectMessage("Please select a EXL application");
    screen.cmdNext_Click();
    EXPECT_EQ(screen.ssTab1.tab, 5);
    EXPECT_TRUE(screen.cboDiscovery.droppedDown);
    screen.cboDiscovery.listIndex = 1;
    screen.cboDiscovery_Click();
    EXPECT_EQ(context.cboDiscovery, std::optional<std::int32_t>(2));
    screen.cmdNext_Click();
    EXPECT_EQ(context.Gstructures[2].assetDetailKind, 1);

    dialogs.expectMessage("Do You Want To Create A Blank Style?", MsgResult::Yes).expectInput(kStyleName, "Laptop");
    application.screens().get<DragMapScreen>(ScreenId::frmDragMap)->ToolClick("ID_AddNewStyle");
    EXPECT_EQ(rows("SELECT StyleID, Specstyle, Location, CustomF1, CustomF2, Curr5Req FROM AssetStyle WHERE "
                   "Specstyle = 'Laptop'"),
              "6|Laptop|1|Alpha1|Alpha2|0\n");
}

TEST_F(DbDragMapTest, AKnowledgeBaseImportMapsArticlesIntoACategory) {
    context.KBImport = true;
    DragMapScreen& screen = show();
    EXPECT_EQ(screen.ssTab1.tab, 8);
    EXPECT_FALSE(screen.cboStyle.enabled || screen.SSActiveToolBars1.find("ID_SaveMapping")->enabled);
    EXPECT_EQ(childrenOf(screen.treCat, "Main"), (std::vector<std::string>{"Hardware", "Software"}));
    drag(screen, kFirst, T::tvKB, "Knowledge.KBSummary");
    dialogs.expectMessage("Please select a knowledge base category");
    screen.cmdNext_Click();
    screen.tvKB_NodeClick("Knowledge.CatID");
    EXPECT_TRUE(screen.treCat.visible);
    screen.treCat_LostFocus();  // leaving it without a choice hides it and chooses nothing
    EXPECT_TRUE(!screen.treCat.visible && screen.tvKB.children("Knowledge.CatID").empty());
    screen.tvKB_NodeClick("Knowledge.CatID");
    screen.treCat_NodeClick("4");
    EXPECT_FALSE(screen.treCat.visible);
    EXPECT_EQ(childrenOf(screen.tvKB, "Knowledge.CatID"), std::vector<std::string>{"Office Suites"});
    EXPECT_EQ(context.KBCategoryID, 4);
    drag(screen, kLast, T::tvKB, "4");  // the chosen category is no field
    EXPECT_EQ(rows("SELECT DestinTable, DestinColumn FROM XFRMappings"), "Knowledge|KBSummary\n");
    screen.cmdNext_Click();
    ASSERT_EQ(context.Gstructures.size(), 2u);
    EXPECT_EQ(context.Gstructures[1].Name, "KB");
}

}  // namespace
}  // namespace koru::editor
