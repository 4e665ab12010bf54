#include "import/import_screen.h"

#include <gtest/gtest.h>

#include "app/application.h"
#include "db/db_test_support.h"
#include "db/sqlite_connection.h"
#include "diag/account.h"
#include "import/import_info_screen.h"
#include "support/embedded_destination.h"
#include "support/files.h"
#include "support/headless_wizard.h"
#include "support/lock_holder.h"
#include "support/temp_home.h"
#include "wizard/error_console.h"
#include "wizard/scripted_dialogs.h"

namespace koru::import {
namespace {

using wizard::ScreenId;

const char* kNotice =
    "Important Notice\r\n\r\nThe Data Import may take some time, and the application may stop responding\r\n"
    "Please do not close application until import is complete";

class DbImportScreenTest : public ::testing::Test, protected test::HeadlessWizard {
protected:
    DbImportScreenTest() {
        test::createSqliteFile(home.path() / "source.db",
                               "CREATE TABLE Company (CoID integer, CoName text);"
                               "INSERT INTO Company VALUES (1, 'Alpha'), (2, 'Beta');"
                               "CREATE TABLE Contact (ContactID integer, CoID integer, Name text);"
                               "INSERT INTO Contact VALUES (10, 1, 'Ann'), (11, 1, 'Bob'), (20, 2, 'Cy');");
        auto source = std::make_unique<db::SqliteConnection>();
        source->open("Provider=SQLite;Data Source=" + (home.path() / "source.db").string());
        context.SourceConnection = std::move(source);
        context.DestinationConnection = destination.connect();
        context.destinationDialect = db::makeDestinationDialect(db::DestinationDialect::Kind::Sqlite);
        execute("INSERT INTO XFRStructure (ID, Name, DLink, StyleID) VALUES (1, 'Company', '[Company].[CoID]', 1)");
        execute("INSERT INTO XFRMappings (StructureID, SourceTable, SourceColumn, DestinTable, DestinColumn, Level) "
                "VALUES (1, 'Company', 'CoName', 'CIID', 'Alpha1', 1)");
        execute("INSERT INTO XFRTableLink (StructureID) VALUES (1)");
        context.Gstructures.resize(2);
        context.Gstructures[1].Name = "Company";
        context.Gstructures[1].DLink = "[Company].[CoID]";
        context.Gstructures[1].StyleID = 1;
        host.onModal = [this](wizard::Screen& screen) {
            if (auto* info = dynamic_cast<ImportInfoScreen*>(&screen)) onInfo(*info);
            if (auto* console = dynamic_cast<wizard::ErrorConsole*>(&screen)) consoles.push_back(console->lblError.caption);
        };
    }

    void addContactLevel() {
        execute("INSERT INTO XFRStructure (ID, Name, ULink, ULinkID, DLink, StyleID) "
                "VALUES (2, 'Contact', '[Contact].[CoID]', 1, '[Contact].[ContactID]', 3)");
        execute("INSERT INTO XFRMappings (StructureID, SourceTable, SourceColumn, DestinTable, DestinColumn, Level) "
                "VALUES (2, 'Contact', 'Name', 'CIID', 'Alpha1', 1)");
        context.Gstructures.resize(3);
        context.Gstructures[2].Name = "Contact";
        context.Gstructures[2].ULink = "[Contact].[CoID]";
        context.Gstructures[2].ULinkID = 1;
        context.Gstructures[2].DLink = "[Contact].[ContactID]";
        context.Gstructures[2].StyleID = 3;
    }

    ImportScreen* show() {
        application.navigator().start(ScreenId::frmDBSave);
        return application.screens().get<ImportScreen>(ScreenId::frmDBSave);
    }
    std::function<void(ImportInfoScreen&)> onInfo = [](ImportInfoScreen& info) { info.cmdSave_Click(); };
    std::vector<std::string> consoles;
};

TEST_F(DbImportScreenTest, ARunShowsItsProgressAndFinishEmptiesTheWorkTables) {
    addContactLevel();
    ImportScreen* screen = show();
    EXPECT_EQ(screen->lblTitle.caption, "Please wait while the import takes place");
    EXPECT_EQ(screen->fraHRAC.caption, "Updating HRAC");
    EXPECT_TRUE(screen->pbHRAC.enabled);
    EXPECT_FALSE(screen->cmdFinish.enabled);
    dialogs.expectMessage(kNotice).expectMessage("Veltrane Data Import Completed Successfully");
    screen->cmdStart_Click();
    EXPECT_EQ(dialogs.pending(), 0u);
    EXPECT_EQ(screen->lblRecNumImport.caption, "Total Records Imported : 5");
    EXPECT_EQ(screen->pbOverall.max, 4);
    EXPECT_EQ(screen->pbOverall.value, 4);
    EXPECT_EQ(screen->pbSave.value, screen->pbSave.max);
    EXPECT_EQ(screen->pbSave.max, 3);  // the last level's rows
    EXPECT_EQ(screen->pbHRAC.value, screen->pbHRAC.max);
    EXPECT_EQ(screen->pbHRAC.max, 3);
    EXPECT_GE(host.repaints, 5);
    EXPECT_FALSE(screen->cmdStart.enabled || screen->cmdBack.enabled);
    EXPECT_TRUE(screen->cmdFinish.enabled && screen->cmdFinishDefault);
    EXPECT_FALSE(dialogs.busy());

    screen->cmdFinish_Click();
    EXPECT_EQ(rows("SELECT (SELECT count(*) FROM XFRTransfer) + (SELECT count(*) FROM XFRMappings) + "
                   "(SELECT count(*) FROM XFRClause) + (SELECT count(*) FROM XFRStructure) + "
                   "(SELECT count(*) FROM XFRTempP), (SELECT count(*) FROM XFRTableLink), (SELECT count(*) FROM CIID)"),
              "0|1|8\n");
    EXPECT_TRUE(host.finished());
}

TEST_F(DbImportScreenTest, OneLevelLeavesTheHierarchyBarOffAndAFailedRunCanStillBeFinished) {
    ImportScreen* screen = show();
    EXPECT_FALSE(screen->pbHRAC.enabled || screen->fraHRAC.enabled);
    execute("UPDATE XFRMappings SET SourceColumn = 'Missing'");
    dialogs.expectMessage(kNotice).expectMessage("XFR Import Failed At Stage : Writing To Temp Table");
    screen->cmdStart_Click();
    EXPECT_EQ(consoles, std::vector<std::string>{"An Error Has Occurred"});
    EXPECT_TRUE(screen->cmdStart.enabled && screen->cmdBack.enabled);
    EXPECT_FALSE(screen->cmdFinish.enabled);
    EXPECT_EQ(screen->pbHRAC.value, 0);
    screen->cmdFinish_Click();
    EXPECT_EQ(rows("SELECT count(*) FROM XFRMappings"), "0\n");

    // Back leaves the import screen for the drag-map editor.
    application.navigator().start(ScreenId::frmDBSave);
    dialogs.expectMessage("This screen is not available yet: frmDragMap");
    application.screens().get<ImportScreen>(ScreenId::frmDBSave)->cmdBack_Click();
}

TEST_F(DbImportScreenTest, AnImportRunningElsewhereStopsTheRunBeforeAnythingIsWritten) {
    const std::filesystem::path database = destination.folder() / "TICKORDB.db";
    const std::string workTables =
        "SELECT count(*) FROM sqlite_master "
        "WHERE lower(name) IN ('xfrtempp', 'xfrtransfer', 'xfrhash', 'xfrtranlog')";
    context.DestinDBName = "TICKORDB";
    context.destinationLockWait = std::chrono::milliseconds(200);
    ImportScreen* screen = show();
    {
        test::LockHolder other(database);
        ASSERT_TRUE(other.held());
        std::string holder = test::rawFile(database.string() + ".koru-lock");
        dialogs.expectMessage(db::destinationBusyMessage("TICKORDB", holder));
        screen->cmdStart_Click();
        EXPECT_EQ(dialogs.pending(), 0u);
        EXPECT_NE(holder.find(", since "), std::string::npos) << holder;
        EXPECT_TRUE(screen->cmdStart.enabled && screen->cmdBack.enabled);
        EXPECT_EQ(rows(workTables), "0\n");
        EXPECT_TRUE(consoles.empty());
    }

    // The holder is gone: the run goes ahead and leaves the lock free behind it.
    dialogs.expectMessage(kNotice).expectMessage("Veltrane Data Import Completed Successfully");
    screen->cmdStart_Click();
    EXPECT_EQ(rows(workTables), "4\n");
    EXPECT_TRUE(test::LockHolder(database).held());
}

TEST_F(DbImportScreenTest, TheImportInformationIsStoredAsTypedAndCanBeAborted) {
    context.DestinationConnection = std::make_unique<db::SqliteConnection>();
    context.DestinationConnection->open(destination.connectionString());
    ImportScreen* screen = show();
    onInfo = [this](ImportInfoScreen& info) {
        EXPECT_EQ(info.framImportInformation.caption, "Import Information");
        EXPECT_EQ(info.cmdQuit.caption, "&Abort Import");
        EXPECT_EQ(info.txtUserID.text, diag::loggedOnUserName());
        EXPECT_EQ(info.rtbNotes.text.substr(0, 21), "Import From Server : ");
        info.txtUserID.text = "o'brien \"x\"";
        info.txtUserID.selStart = 3;
        info.txtUserID_Change();
        EXPECT_EQ(info.txtUserID.text, "o`brien `x`");
        EXPECT_EQ(info.txtUserID.selStart, 3);
        // Too long for the log: refused, reported, and Save may be pressed again.
        info.rtbNotes.text = std::string(300, 'n');
        info.cmdSave_Click();
        EXPECT_TRUE(info.cmdSave.enabled);
        EXPECT_EQ(consoles.size(), 1u);
        info.rtbNotes.text = "Ann's import; DROP TABLE CIID; --";
        info.cmdSave_Click();
    };
    dialogs.expectMessage(kNotice).expectMessage("Veltrane Data Import Completed Successfully");
    screen->cmdStart_Click();
    EXPECT_EQ(rows("SELECT ID, [User], Notes, UpdateImportID FROM XFRTranLog"),
              "1|o`brien `x`|Ann's import; DROP TABLE CIID; --|0\n");
    EXPECT_EQ(screen->importId(), 1);

    // Aborting returns to idle without a word; nothing is recorded.
    application.navigator().unloadScreen(ScreenId::frmDBSave);
    screen = show();
    onInfo = [](ImportInfoScreen& info) { info.cmdQuit_Click(); };
    screen->cmdStart_Click();
    EXPECT_TRUE(screen->cmdStart.enabled && screen->cmdBack.enabled);
    EXPECT_EQ(rows("SELECT count(*) FROM XFRTranLog"), "1\n");
}

TEST(ImportInformation, ConnectionStringValuesEndAtTheirSemicolon) {
    const std::string source = "Provider=SQLOLEDB;Data Source=SRV1;Initial Catalog=Sales";
    EXPECT_EQ(UT_Conn_String_Value("Data Source", source), "SRV1");
    EXPECT_EQ(UT_Conn_String_Value("Initial Catalog", source), "");  // the last pair has no ";"
    EXPECT_EQ(UT_Conn_String_Value("User ID", source), "");
    EXPECT_EQ(UT_Conn_String_Value("data source", source), "");  // exact case
}

}  // namespace
}  // namespace koru::import
