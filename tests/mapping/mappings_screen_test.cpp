#include "mapping/mappings_screen.h"

#include <gtest/gtest.h>

#include "app/application.h"
#include "wizard/error_console.h"
#include "db/db_test_support.h"
#include "db/sqlite_connection.h"
#include "support/embedded_destination.h"
#include "support/files.h"
#include "support/temp_home.h"
#include "wizard/scripted_dialogs.h"

namespace koru::mapping {
namespace {

namespace fs = std::filesystem;
using wizard::MsgResult;
using wizard::ScreenId;

class MappingsScreenTest : public ::testing::Test {
protected:
    MappingsScreenTest() {
        templates = home.path() / "XFRTemplates";
        fs::create_directories(templates);
        test::copyMappingSet("Customers", templates, "Customers");
        test::copyMappingSet("Customers", home.path(), "NotListed");
        useSource("CREATE TABLE Company (CoID int, CoName text);"
                  "CREATE TABLE Contacts (ContactID int, CoID int, FirstName text, LastName text, Email text, "
                  "Region text, Name text, DeptCode text);"
                  "CREATE TABLE Departments (Code text)");
        context.DestinationConnection = destination.connect();
        context.destinationDialect = db::makeDestinationDialect(db::DestinationDialect::Kind::Sqlite);
        context.Unattended = false;
    }

    void useSource(const std::string& schema) {
        static int count = 0;
        fs::path file = home.path() / ("source" + std::to_string(++count) + ".db");
        test::createSqliteFile(file, schema);
        auto source = std::make_unique<db::SqliteConnection>();
        source->open("Provider=SQLite;Data Source=" + file.string());
        context.SourceConnection = std::move(source);
    }

    MappingsScreen* show() {
        application.navigator().start(ScreenId::frmMappings);
        return application.screens().get<MappingsScreen>(ScreenId::frmMappings);
    }

    std::string count(const std::string& table) {
        return test::rowsOf(*context.DestinationConnection, "SELECT count(*) FROM " + table);
    }

    void fillRepository() {
        context.DestinationConnection->execute("INSERT INTO XFRStructure (ID, Name) VALUES (1, 'Old')");
        context.DestinationConnection->execute("INSERT INTO XFRTableLink (StructureID) VALUES (1)");
    }

    test::TempHome home;
    fs::path templates;
    test::EmbeddedDestination destination;
    wizard::HeadlessHost host;
    wizard::ScriptedDialogs dialogs;
    app::Application application{host, dialogs, false};
    wizard::Context& context = application.context();
};

TEST_F(MappingsScreenTest, ListsTheTemplatesAndStartsWithANewMapping) {
    test::writeFile(templates / "FROMWIN.XFO", "");
    MappingsScreen* screen = show();
    EXPECT_EQ(screen->lblTitle.caption,
              "Select If you Wish To Load A Mapping Template, Create  A New One, Or Restore A Backup");
    EXPECT_EQ(screen->fileFolder, templates);
    ASSERT_EQ(screen->File.listCount(), 2);
    EXPECT_EQ(screen->File.items[0].text, "Customers.xfo");
    EXPECT_EQ(screen->File.items[1].text, "FROMWIN.XFO");
    EXPECT_TRUE(screen->optNewMappings.value);
    EXPECT_FALSE(screen->File.enabled);
    screen->optLoadMappings_Click();
    EXPECT_TRUE(screen->File.enabled && screen->cmdBrowse.enabled && screen->framLoadMappings.enabled);
    screen->optRestore_Click();
    EXPECT_FALSE(screen->cmdBrowse.enabled);

    // Without the templates folder the program folder is listed.
    fs::remove_all(templates);
    application.navigator().unloadScreen(ScreenId::frmMappings);
    screen = show();
    EXPECT_EQ(screen->fileFolder, home.path());
    ASSERT_EQ(screen->File.listCount(), 1);
    EXPECT_EQ(screen->File.items[0].text, "NotListed.xfo");
}

TEST_F(MappingsScreenTest, EveryOptionEmptiesTheRepositoryFirst) {
    MappingsScreen* screen = show();
    fillRepository();
    screen->optRestore_Click();
    dialogs.expectMessage("There is no import history on your destination database");
    screen->cmdNext_Click();
    EXPECT_EQ(count("XFRStructure"), "0\n");
    EXPECT_EQ(count("XFRTableLink"), "0\n");
    EXPECT_TRUE(application.screens().find(ScreenId::frmRestoration)->visible);
    EXPECT_FALSE(dialogs.busy());
    application.navigator().UT_Wizard_Change_Forms(ScreenId::frmRestoration, ScreenId::frmMappings, false);

    fillRepository();
    context.MapFileName = "Customers.xfo";  // loaded before: a new mapping is not that file
    screen->optNewMappings_Click();
    screen->cmdNext_Click();
    EXPECT_EQ(context.MapFileName, "");
    EXPECT_EQ(count("XFRStructure"), "0\n");
    EXPECT_TRUE(application.screens().find(ScreenId::frmStructure)->visible);
    EXPECT_EQ(dialogs.pending(), 0u);
}

TEST_F(MappingsScreenTest, LoadingRebuildsTheLevelsAndKeepsExistingParents) {
    MappingsScreen* screen = show();
    screen->optLoadMappings_Click();
    // One click and Next load the listed mapping, without a file dialog.
    screen->File.listIndex = 0;
    screen->File_Click();
    dialogs.expectMessage("Data mappings loaded successfully");
    screen->cmdNext_Click();
    EXPECT_TRUE(application.screens().find(ScreenId::frmDragMap)->visible);
    EXPECT_EQ(screen->templatePath, (templates / "Customers.xfo").string());
    EXPECT_EQ(count("XFRMappings"), "5\n");
    ASSERT_EQ(context.Gstructures.size(), 3u);
    EXPECT_EQ(context.Gstructures[1].Name, "Company");
    EXPECT_EQ(context.Gstructures[1].DLink, "[Company].[CoID]");
    EXPECT_EQ(context.Gstructures[1].StyleID, 5);
    EXPECT_EQ(context.Gstructures[2].ULink, "[Contacts].[CoID]");
    EXPECT_EQ(context.Gstructures[2].ULinkID, 1);
    EXPECT_FALSE(context.Gstructures[2].ULinkNumeric);
    EXPECT_EQ(context.Gstructures[2].StyleID, 3);
    EXPECT_EQ(context.GenParent, 3);  // item 3 and style 1 exist in the destination
    EXPECT_EQ(context.StyleID, 1);
    EXPECT_EQ(dialogs.pending(), 0u);
}

TEST_F(MappingsScreenTest, UpdatingAnotherMappingsSessionIsAskedFirst) {
    db::Connection& destination = *context.DestinationConnection;
    destination.execute("CREATE TABLE XFRTranLog (ID integer PRIMARY KEY, UpdateImportID int, MapFile text)");
    destination.execute("INSERT INTO XFRTranLog VALUES (4, 0, 'Assets.xfo'), (5, 0, 'CUSTOMERS.XFO'), (6, 0, NULL)");
    const std::string question = "Import session 4 was made with the mapping Assets.xfo, not with Customers.xfo.\r\n"
                                 "Update it all the same?";
    MappingsScreen* screen = show();
    screen->optLoadMappings_Click();
    screen->templatePath = (templates / "Customers.xfo").string();
    context.UpdateMode = 2;
    context.UpdateImportID = 4;
    dialogs.expectMessage("Data mappings loaded successfully").expectMessage(question, MsgResult::No);
    screen->cmdNext_Click();
    EXPECT_TRUE(screen->visible);
    EXPECT_EQ(count("XFRMappings"), "0\n");
    EXPECT_EQ(context.MapFileName, "");

    // The same mapping in another case, or a session that names none, goes on without a question.
    for (std::int32_t session : {5, 6}) {
        context.UpdateImportID = session;
        dialogs.expectMessage("Data mappings loaded successfully");
        screen->cmdNext_Click();
        EXPECT_TRUE(application.screens().find(ScreenId::frmDragMap)->visible);
        application.navigator().UT_Wizard_Change_Forms(ScreenId::frmDragMap, ScreenId::frmMappings, false);
    }
    context.UpdateImportID = 4;
    dialogs.expectMessage("Data mappings loaded successfully").expectMessage(question, MsgResult::Yes);
    screen->cmdNext_Click();
    EXPECT_EQ(context.MapFileName, "Customers.xfo");
    EXPECT_EQ(context.UpdateImportID, 4);
    EXPECT_EQ(dialogs.pending(), 0u);
}

TEST_F(MappingsScreenTest, ParentItemsAndStylesThatAreGoneAreDropped) {
    test::writeFile(templates / "Customers-XFRParent.xft",
                    "GenParent=99;SourceCol=Alpha1;DestinCol=Alpha2;StyleID=42;Distinct=0;");
    MappingsScreen* screen = show();
    screen->optLoadMappings_Click();
    screen->templatePath = (templates / "Customers.xfo").string();
    dialogs.expectMessage("Data mappings loaded successfully");
    screen->cmdNext_Click();
    EXPECT_EQ(context.GenParent, 0);
    EXPECT_EQ(context.StyleID, 0);
    EXPECT_EQ(context.SourceCol, "Alpha1");
}

TEST_F(MappingsScreenTest, AMappingTheSourceCannotServeIsRefusedWhole) {
    useSource("CREATE TABLE Company (CoID int, CoName text); CREATE TABLE Contacts (FirstName text)");
    MappingsScreen* screen = show();
    screen->optLoadMappings_Click();
    screen->templatePath = (templates / "Customers.xfo").string();
    dialogs.expectMessage("Data mappings loaded successfully")
        .expectMessage("The Mappings You Have Loaded Are Not Compatable With The Source Database You Have Selected");
    screen->cmdNext_Click();
    EXPECT_EQ(count("XFRMappings"), "0\n");
    EXPECT_EQ(count("XFRStructure"), "0\n");
    EXPECT_TRUE(screen->visible);
    // An empty source (a mistyped file name opens one) is named as such.
    useSource("");
    dialogs.expectMessage("Data mappings loaded successfully")
        .expectMessageStartingWith("The source database has no tables or views, so no mapping can read it.");
    screen->cmdNext_Click();
    EXPECT_EQ(count("XFRMappings"), "0\n");
    EXPECT_EQ(dialogs.pending(), 0u);
}

TEST_F(MappingsScreenTest, ExecutingASavedMappingGoesStraightToTheImport) {
    MappingsScreen* screen = show();
    screen->cmdBack_Click();
    context.optEXE = true;  // chosen on the connection screen after a first visit
    application.navigator().UT_Wizard_Change_Forms(ScreenId::frmConn, ScreenId::frmMappings, false);
    EXPECT_TRUE(screen->optLoadMappings.value);
    EXPECT_FALSE(screen->optNewMappings.enabled);
    EXPECT_FALSE(screen->optRestore.enabled);
    EXPECT_TRUE(screen->File.enabled);
    screen->templatePath = (templates / "Customers.xfo").string();
    dialogs.expectMessage("Data mappings loaded successfully");
    screen->cmdNext_Click();
    EXPECT_EQ(count("XFRMappings"), "5\n");
    EXPECT_EQ(dialogs.pending(), 0u);
    EXPECT_TRUE(application.screens().find(ScreenId::frmDBSave)->visible);
    // The level's table link is its join, as the drag-map editor's Next would have left it.
    EXPECT_EQ(context.Gstructures.at(2).joinCondition, "Contacts.DeptCode = Departments.Code ");

    context.optEXE = false;
    application.navigator().UT_Wizard_Change_Forms(ScreenId::frmDBSave, ScreenId::frmMappings, false);
    EXPECT_TRUE(screen->optNewMappings.enabled && screen->optRestore.enabled);
}

TEST_F(MappingsScreenTest, AKnowledgeBaseImportCannotBeAnUpdate) {
    context.UpdateMode = 2;
    context.UpdateImportID = 5;
    MappingsScreen* screen = show();
    screen->optKBImport_Click();
    dialogs
        .expectMessage("You have selected to update a data import, knowledge base imports cannot be updated\r\n"
                       "Update flag has been removed.");
    screen->cmdNext_Click();
    EXPECT_EQ(context.UpdateMode, 0);
    EXPECT_EQ(context.UpdateImportID, 0);
    EXPECT_TRUE(context.KBImport);
    EXPECT_TRUE(application.screens().find(ScreenId::frmDragMap)->visible);

    screen->cmdNext_Click();  // once only: the update is gone
    screen->optNewMappings_Click();
    screen->cmdNext_Click();
    EXPECT_TRUE(application.screens().find(ScreenId::frmStructure)->visible);
    EXPECT_TRUE(context.KBImport);  // the other options never clear it
    EXPECT_EQ(dialogs.shown().size(), 1u);
}

TEST_F(MappingsScreenTest, BrowsingAndAskingForAFile) {
    MappingsScreen* screen = show();
    screen->optLoadMappings_Click();
    dialogs.expectOpenFile("");
    screen->cmdBrowse_Click();
    EXPECT_EQ(screen->templatePath, "");
    ASSERT_EQ(dialogs.fileRequests().size(), 1u);
    EXPECT_EQ(dialogs.fileRequests()[0].title, "Load Data Mappings");
    EXPECT_EQ(dialogs.fileRequests()[0].filter, "Veltrane Data Object|*.xfo");

    std::string missing = (home.path() / "gone.xfo").string();
    dialogs.expectOpenFile(missing).expectMessage("Cannot Load File : " + missing + "\nMissing Extension Files");
    screen->cmdBrowse_Click();
    EXPECT_EQ(screen->templatePath, missing);

    // Next with no file chosen asks for one; a cancelled dialog leaves the screen as it is.
    screen->templatePath.clear();
    dialogs.expectOpenFile("");
    screen->cmdNext_Click();
    dialogs.expectOpenFile(missing).expectMessage("Cannot Load File : " + missing);
    screen->cmdNext_Click();
    EXPECT_TRUE(screen->visible);

    // A set without its clause file: the loader's message, and the screen stays.
    fs::remove(home.path() / "NotListed-XFRClause.xft");
    dialogs.expectOpenFile((home.path() / "NotListed.xfo").string())
        .expectMessage("File not found, please select the import file and try again");
    screen->cmdBrowse_Click();
    EXPECT_TRUE(screen->visible);
    EXPECT_EQ(dialogs.pending(), 0u);
    EXPECT_FALSE(dialogs.busy());
}

TEST_F(MappingsScreenTest, WithoutADestinationTheUserIsToldWhichConnectionIsGone) {
    MappingsScreen* screen = show();
    context.DestinationConnection->close();
    screen->cmdNext_Click();
    auto* console = dynamic_cast<wizard::ErrorConsole*>(application.screens().find(ScreenId::Error_Handle));
    ASSERT_NE(console, nullptr);
    EXPECT_EQ(console->lblError.caption, "The Connection To The Destination Database Has Been Severred");
    EXPECT_NE(console->txtFullError.text.find("Occured On : frmMappings:CmdNext_Click"), std::string::npos);
    EXPECT_TRUE(screen->visible);
    EXPECT_FALSE(dialogs.busy());
}

}  // namespace
}  // namespace koru::mapping
