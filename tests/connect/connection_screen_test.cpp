#include "connect/connection_screen.h"

#include <gtest/gtest.h>

#include "app/application.h"
#include "wizard/error_console.h"
#include "connect/users_check_screen.h"
#include "db/connection_factory.h"
#include "db/connection_string.h"
#include "db/db_test_support.h"
#include "support/embedded_destination.h"
#include "support/failing_connection.h"
#include "support/files.h"
#include "support/lock_holder.h"
#include "support/temp_home.h"
#include "wizard/scripted_dialogs.h"

namespace koru::connect {
namespace {

namespace fs = std::filesystem;
using wizard::MsgResult;
using wizard::ScreenId;

class ConnectionScreenTest : public ::testing::Test {
protected:
    ConnectionScreenTest() {
        sourceFile = home.path() / "source.db";
        test::createSqliteFile(sourceFile, "CREATE TABLE Company (CoID int, CoName text)");
        application.navigator().start(ScreenId::frmWizIntro);
        application.navigator().UT_Wizard_Change_Forms(ScreenId::frmWizIntro, ScreenId::frmConn, false);
        screen = application.screens().get<ConnectionScreen>(ScreenId::frmConn);
    }

    // The values a user types for the embedded destination and a SQLite source.
    void fillIn(long product = 2) {
        screen->cboProduct.listIndex = static_cast<int>(product - 1);
        screen->cboProduct_Click();
        screen->cboServer.text = "sqlite:" + destination.folder().string();
        screen->txtUID.text = "admin";
        screen->txtPW.text = "";
        screen->txtSConn.text = "Provider=SQLite;Data Source=" + sourceFile.string();
    }

    bool bothClosed() { return !context.sourceOpen() && !context.destinationOpen(); }
    std::string logText() { return home.read("XFRLog.log"); }

    test::TempHome home;
    test::EmbeddedDestination destination;
    fs::path sourceFile;
    wizard::HeadlessHost host;
    wizard::ScriptedDialogs dialogs;
    app::Application application{host, dialogs, false};
    wizard::Context& context = application.context();
    ConnectionScreen* screen = nullptr;
};

TEST_F(ConnectionScreenTest, LoadsCaptionsProductsAndTheLastSettings) {
    EXPECT_EQ(screen->lblTitle.caption, "Specify connection information for the databases to transfer data between");
    EXPECT_EQ(screen->cmdNew.caption, "&GET");
    EXPECT_EQ(screen->optNEW.caption, "&Creating / Editing new mapping");
    EXPECT_TRUE(screen->optNEW.value);
    ASSERT_EQ(screen->cboProduct.listCount(), 2);
    EXPECT_EQ(screen->cboProduct.items[0].text, "Ledgora");
    EXPECT_EQ(screen->cboProduct.items[0].itemData, 1);
    EXPECT_EQ(screen->cboProduct.items[1].text, "Tickora");
    EXPECT_EQ(screen->cboProduct.items[1].itemData, 2);
    EXPECT_EQ(screen->txtdbName.text, "TICKORDB");

    screen->cboProduct.listIndex = 0;
    screen->cboProduct_Click();
    EXPECT_FALSE(screen->txtdbName.visible);
    EXPECT_FALSE(screen->lblDBName.visible);
    screen->cboProduct.listIndex = 1;
    screen->cboProduct_Click();
    EXPECT_TRUE(screen->txtdbName.visible);
}

TEST_F(ConnectionScreenTest, UserMistakesAreRefusedWithTheirMessage) {
    screen->cmdNext.enabled = true;
    dialogs.expectMessage("Please select a product");
    screen->cmdNext_Click();
    EXPECT_TRUE(screen->cboProduct.droppedDown);
    EXPECT_TRUE(screen->cmdNext.enabled);
    EXPECT_EQ(context.SourceConnection, nullptr);

    fillIn();
    screen->txtUID.text = "   ";
    dialogs.expectMessage("Invalid Destination Connection Information");
    screen->cmdNext_Click();
    EXPECT_TRUE(bothClosed());

    fillIn();
    screen->cboServer.text = "";
    dialogs.expectMessage("Invalid Destination Connection Information");
    screen->cmdNext_Click();
    EXPECT_TRUE(bothClosed());
    EXPECT_TRUE(screen->cmdNext.enabled);
    EXPECT_EQ(dialogs.shown().back().icon, wizard::MsgIcon::Exclamation);
    EXPECT_FALSE(fs::exists(home.path() / "ConnSet"));
}

TEST_F(ConnectionScreenTest, ConnectionFailuresGetTheirOwnMessages) {
    fillIn();
    screen->txtSConn.text = "Provider=SQLite;Data Source=" + (home.path() / "missing.db").string();
    screen->cmdNext_Click();
    ASSERT_NE(application.screens().find(ScreenId::Error_Handle), nullptr);
    auto* console = dynamic_cast<wizard::ErrorConsole*>(application.screens().find(ScreenId::Error_Handle));
    EXPECT_EQ(console->lblError.caption, "Could not open source data source");
    EXPECT_NE(console->txtFullError.text.find("Occured On : frmConn:Connect_To_Servers"), std::string::npos);
    EXPECT_TRUE(bothClosed());

    screen->txtSConn.text = "Provider=Nonsense;Data Source='unbalanced";
    screen->cmdNext_Click();
    console = dynamic_cast<wizard::ErrorConsole*>(application.screens().find(ScreenId::Error_Handle));
    EXPECT_EQ(console->lblError.caption, "Could not open source data source");

    // A destination database that does not exist in the folder.
    fillIn();
    screen->txtdbName.text = "NOSUCHDB";
    screen->cmdNext_Click();
    console = dynamic_cast<wizard::ErrorConsole*>(application.screens().find(ScreenId::Error_Handle));
    EXPECT_EQ(console->lblError.caption,
              "Could Not Connect To Destination Server, Check Server Name Is Correct, and that the NOSUCHDB "
              "database exists.");
    EXPECT_NE(console->txtFullError.text.find("Occured On : frmConnect:Connect_To_servers"), std::string::npos);
    EXPECT_TRUE(bothClosed());
    EXPECT_TRUE(screen->cmdNext.enabled);
    EXPECT_FALSE(fs::exists(home.path() / "ConnSet"));  // a failed attempt saves nothing
    EXPECT_NE(logText().find("XFR Import Module Error :Could Not Connect To Destination Server"), std::string::npos);
}

TEST_F(ConnectionScreenTest, ARefusedSourceLoginIsReported) {
    test::PgServer server;
    KORU_NEED(server.available(), server.whyNot());
    fillIn();
    screen->txtSConn.text = "Provider=MSDASQL;" + server.connectionString("postgres", server.user, "wrong password");
    screen->cmdNext_Click();
    auto* console = dynamic_cast<wizard::ErrorConsole*>(application.screens().find(ScreenId::Error_Handle));
    ASSERT_NE(console, nullptr);
    EXPECT_EQ(console->lblError.caption, "Could not open source data source");
    EXPECT_EQ(console->txtFullError.text.rfind(std::to_string(db::kErrLoginRefused) + "\n", 0), 0u)
        << console->txtFullError.text;
    EXPECT_TRUE(bothClosed());
}

TEST_F(ConnectionScreenTest, ConnectsAndPreparesEverythingOnSuccess) {
    fillIn();
    screen->txtPW.text = "  ";  // blanks only: no password clause
    screen->cmdNext_Click();
    ASSERT_NE(application.screens().find(ScreenId::frmMappings), nullptr);
    EXPECT_TRUE(application.screens().find(ScreenId::frmMappings)->visible);
    EXPECT_FALSE(screen->visible);

    EXPECT_TRUE(context.sourceOpen());
    EXPECT_TRUE(context.destinationOpen());
    EXPECT_EQ(context.DestinDBName, "TICKORDB");
    EXPECT_EQ(context.DestinConnString,
              "Provider=SQLOLEDB.1;Persist Security Info=true;Initial Catalog=TICKORDB;Data Source='sqlite:" +
                  destination.folder().string() +
                  "';Locale Identifier=2057;Connect Timeout=25;Use Procedure for Prepare=1;Auto Translate=False;"
                  "Packet Size=4096;User ID='admin'");
    EXPECT_EQ(context.DestinationConnection->connectionString(), context.DestinConnString);
    EXPECT_FALSE(context.SourceIsSQLServer);
    EXPECT_FALSE(context.LGEnabled);
    EXPECT_FALSE(context.EXLValid);
    EXPECT_FALSE(context.NoBrackets);
    EXPECT_EQ(test::rowsOf(*context.DestinationConnection, "SELECT count(*) FROM XFRMappings"), "0\n");
    EXPECT_TRUE(screen->cmdNext.enabled);
    // Settings are saved after success, without the password.
    EXPECT_EQ(test::rawFile(home.path() / "ConnSet"),
              "Veltrane Data Import Utility Connection Settings File\r\n\r\n\r\n" + screen->txtSConn.text +
                  "\r\n\r\nsqlite:" + destination.folder().string() + "\r\nadmin\r\n");
    EXPECT_EQ(dialogs.pending(), 0u);
}

TEST_F(ConnectionScreenTest, ADatabaseThatIsNotTheProductsIsRefusedAndLeftAsItWas) {
    // An empty file, and a database of something else.
    for (const std::string& sql : {std::string(), std::string("CREATE TABLE Company (CoID int)")}) {
        std::string database = sql.empty() ? "EMPTY" : "SALES";
        SCOPED_TRACE(database);
        fs::path file = destination.folder() / (database + ".db");
        if (sql.empty()) {
            test::writeFile(file, "");
        } else {
            test::createSqliteFile(file, sql);
        }
        const std::string before = test::rawFile(file);
        fillIn();
        screen->txtdbName.text = database;
        dialogs.expectMessage(database + " is not a Tickora or Ledgora database: it has no table CIID.");
        screen->cmdNext_Click();
        EXPECT_EQ(dialogs.pending(), 0u);
        EXPECT_TRUE(bothClosed());
        EXPECT_TRUE(screen->cmdNext.enabled);
        EXPECT_FALSE(application.screens().find(ScreenId::frmMappings));
        EXPECT_TRUE(test::rawFile(file) == before) << "the file was written to";
    }
    EXPECT_FALSE(fs::exists(home.path() / "ConnSet"));
}

TEST_F(ConnectionScreenTest, TriggersLeftOffAreSwitchedOnUnlessAnotherImportHoldsTheDestination) {
    const std::string switchOff = "UPDATE koru_trigger_switch SET enabled = 0 WHERE table_name = 'ciid'";
    const std::string state = "SELECT lower(table_name), enabled FROM koru_trigger_switch WHERE table_name = 'ciid'";
    destination.connect()->execute(switchOff);
    {
        // Another import running now has them off on purpose.
        test::LockHolder holder(destination.folder() / "TICKORDB.db");
        ASSERT_TRUE(holder.held());
        fillIn();
        screen->cmdNext_Click();
        EXPECT_EQ(test::rowsOf(*destination.connect(), state), "ciid|0\n");
    }
    application.navigator().UT_Wizard_Change_Forms(ScreenId::frmMappings, ScreenId::frmConn, false);
    const std::string told =
        "The triggers of ciid were left switched off by an import that did not finish, so the product recorded no "
        "history meanwhile. They have been switched on again.";
    dialogs.expectMessage(told);
    screen->cmdNext_Click();
    EXPECT_EQ(dialogs.pending(), 0u);
    EXPECT_EQ(test::rowsOf(*destination.connect(), state), "ciid|1\n");
    EXPECT_NE(logText().find(told), std::string::npos);
}

TEST_F(ConnectionScreenTest, TheAssetProductConnectsToItsOwnDatabase) {
    test::EmbeddedDestination ledgora(db::Product::Ledgora, "LEDGODB");
    fillIn(1);
    screen->cboServer.text = "sqlite:" + ledgora.folder().string();
    screen->txtdbName.text = "IGNORED";
    screen->txtPW.text = " secret ";
    fs::path emptySource = home.path() / "empty.db";
    test::createSqliteFile(emptySource);
    screen->txtSConn.text = "Provider=SQLite;Data Source=" + emptySource.string();
        screen->cmdNext_Click();
    EXPECT_EQ(context.DestinDBName, "LEDGODB");
    EXPECT_NE(context.DestinConnString.find("Initial Catalog=LEDGODB;"), std::string::npos);
    EXPECT_NE(context.DestinConnString.find(";User ID='admin';Password=' secret '"), std::string::npos);
    EXPECT_TRUE(context.LGEnabled);
    EXPECT_TRUE(context.EXLValid);
    EXPECT_TRUE(context.NoBrackets);  // a source without tables fails the bracket test
}

TEST_F(ConnectionScreenTest, QuotesInServerUserAndPasswordKeepTheStringWhole) {
    fs::path quotedFolder = home.path() / "o'neil";
    db::createProductDatabase(quotedFolder, "TICKORDB", db::Product::Tickora, false);
    fillIn();
    screen->cboServer.text = "sqlite:" + quotedFolder.string();
    screen->txtUID.text = "d'arcy";
    screen->txtPW.text = "p'w\"d";
        screen->cmdNext_Click();
    ASSERT_TRUE(context.destinationOpen());
    EXPECT_NE(context.DestinConnString.find("Data Source=\"sqlite:" + quotedFolder.string() + "\";"),
              std::string::npos);
    EXPECT_NE(context.DestinConnString.find("User ID=\"d'arcy\";Password=\"p'w\"\"d\""), std::string::npos);
    db::ConnectionString parsed = db::ConnectionString::parse(context.DestinConnString);
    EXPECT_EQ(parsed.get("User ID"), "d'arcy");
    EXPECT_EQ(parsed.get("Password"), "p'w\"d");
}

TEST_F(ConnectionScreenTest, ACommandTextErrorOnSelectingTheDatabaseIsRetriedOnce) {
    std::string useStatement = "SELECT count(*) FROM sqlite_master";
    int failures = 2;
    test::FailingConnection* destinationSeen = nullptr;
    screen->setOpener([&](const std::string& text) -> std::unique_ptr<db::Connection> {
        auto real = db::openConnection(text);
        if (text.find("SQLOLEDB") == std::string::npos) return real;
        auto failing = std::make_unique<test::FailingConnection>(std::move(real), useStatement, db::kErrCommandText,
                                                                 failures);
        destinationSeen = failing.get();
        return failing;
    });
    fillIn();
        screen->cmdNext_Click();
    EXPECT_TRUE(context.destinationOpen());  // failing twice with that code still connects
    EXPECT_EQ(destinationSeen->attempts, 2);

    // Another code on the database selection is the "could not open" failure.
    failures = 1;
    screen->setOpener([&](const std::string& text) -> std::unique_ptr<db::Connection> {
        auto real = db::openConnection(text);
        if (text.find("SQLOLEDB") == std::string::npos) return real;
        return std::make_unique<test::FailingConnection>(std::move(real), useStatement, db::kErrGeneralFailure, 1);
    });
    screen->cmdNext_Click();
    auto* console = dynamic_cast<wizard::ErrorConsole*>(application.screens().find(ScreenId::Error_Handle));
    ASSERT_NE(console, nullptr);
    EXPECT_EQ(console->lblError.caption,
              "Could Not Open TICKORDB database on sqlite:" + destination.folder().string());
    EXPECT_TRUE(bothClosed());
}

TEST_F(ConnectionScreenTest, OtherUsersAreListedAndTheUserDecides) {
    {
        auto connection = destination.connect();
        connection->execute("INSERT INTO WebCount (userID, IP) VALUES ('ann', '10.0.0.7'), ('bob', '10.0.0.9')");
    }
    fillIn();
    connect::UsersCheckScreen* shown = nullptr;
    host.onModal = [&](wizard::Screen& dialog) {
        shown = dynamic_cast<connect::UsersCheckScreen*>(&dialog);
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->caption, "Current database users");
        EXPECT_EQ(shown->lblTitle.caption,
                  "The following users are logged into the Tickora database. In order to use the Veltrane Data "
                  "Import Utility, you must log all of the follwoing users out of the database.");
        ASSERT_EQ(shown->lstUser.listCount(), 2);
        EXPECT_EQ(shown->lstUser.items[0].text, "User : ann (10.0.0.7 - Web Interface)");
        EXPECT_EQ(shown->lblTotal.caption, "Total Users : 2");
        shown->cmdRefresh_Click();
        EXPECT_EQ(shown->lstUser.listCount(), 2);
        shown->cmdOK_Click();
    };
    screen->cmdNext_Click();
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(fs::exists(home.path() / "ConnSet"));  // OK stops before anything is saved
    EXPECT_TRUE(screen->visible);
    EXPECT_TRUE(screen->cmdNext.enabled);

    host.onModal = [&](wizard::Screen& dialog) { dynamic_cast<connect::UsersCheckScreen&>(dialog).cmdIgnore_Click(); };
    screen->cmdNext_Click();
    EXPECT_TRUE(application.screens().find(ScreenId::frmMappings)->visible);
    EXPECT_TRUE(fs::exists(home.path() / "ConnSet"));
    EXPECT_EQ(dialogs.pending(), 0u);
}

TEST(ConnectionScreenUnattended, NoUsersCheckAndNoSettingsFile) {
    test::TempHome home;
    test::EmbeddedDestination destination;
    {
        auto connection = destination.connect();
        connection->execute("INSERT INTO WebCount (userID, IP) VALUES ('ann', '10.0.0.7')");
    }
    fs::path source = home.path() / "source.db";
    test::createSqliteFile(source, "CREATE TABLE t (a int)");
    wizard::HeadlessHost host;
    wizard::ScriptedDialogs dialogs;
    app::Application application{host, dialogs, true};
    auto* screen = application.screens().get<ConnectionScreen>(ScreenId::frmConn);
    screen->cboProduct.listIndex = 1;
    screen->cboProduct_Click();
    screen->cboServer.text = "sqlite:" + destination.folder().string();
    screen->txtUID.text = "admin";
    screen->txtSConn.text = "Provider=SQLite;Data Source=" + source.string();
        screen->cmdNext_Click();
    EXPECT_TRUE(application.context().destinationOpen());
    EXPECT_FALSE(fs::exists(home.path() / "ConnSet"));
    EXPECT_TRUE(host.events().empty() ||
                std::none_of(host.events().begin(), host.events().end(),
                             [](auto& e) { return e.kind == wizard::HeadlessHost::Event::Modal; }));

    // A connection failure ends the unattended run through the error reporter.
    screen->txtSConn.text = "Provider=SQLite;Data Source=" + (home.path() / "missing.db").string();
    try {
        screen->cmdNext_Click();
        FAIL() << "the run should have ended";
    } catch (const diag::ProcessEnd& end) {
        EXPECT_EQ(end.status, 1);
    }
    EXPECT_NE(home.read("XFRLog.log").find("XFR Import Module Error :Could not open source data source"),
              std::string::npos);
}

}  // namespace
}  // namespace koru::connect
