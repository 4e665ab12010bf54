#include "connect/users_check_screen.h"

#include <gtest/gtest.h>

#include "app/application.h"
#include "wizard/error_console.h"
#include "support/scripted_connection.h"
#include "support/temp_home.h"
#include "wizard/scripted_dialogs.h"

namespace koru::connect {
namespace {

using test::ScriptedConnection;
using wizard::ScreenId;

const std::vector<std::string> kSessionColumns = {"SPID", "Status", "Login", "HostName", "BlkBy", "DBName",
                                                  "Command", "ProgramName"};

class UsersCheckTest : public ::testing::Test {
protected:
    UsersCheckTest() {
        auto server = std::make_unique<ScriptedConnection>();
        destination = server.get();
        context.DestinationConnection = std::move(server);
        context.destinationDialect = db::makeDestinationDialect(db::DestinationDialect::Kind::Mssql);
        context.DestinDBName = "TickorDB";
        context.cboProductText = "Tickora";
        destination->answer("Select * From WebCount", {{"userID", "IP", "DateTime"}, {{"web1", "10.1.1.1", "x"}}});
        screen = dynamic_cast<UsersCheckScreen*>(application.navigator().loadScreen(ScreenId::frmAnyOneThere));
    }

    std::vector<std::string> listed() const {
        std::vector<std::string> lines;
        for (const auto& item : screen->lstUser.items) lines.push_back(item.text);
        return lines;
    }

    test::TempHome home;
    wizard::HeadlessHost host;
    wizard::ScriptedDialogs dialogs;
    app::Application application{host, dialogs, false};
    wizard::Context& context = application.context();
    ScriptedConnection* destination = nullptr;
    UsersCheckScreen* screen = nullptr;
};

TEST_F(UsersCheckTest, ServerSessionsOfTheDatabaseAreListedExceptSa) {
    destination->answer("EXEC sp_WHO2", {kSessionColumns,
                                         {{"51", "sleeping", "ann", "PC-ANN  ", "  .", "TICKORDB  ", "AWAITING", "Tickora"},
                                          {"52", "runnable", "Sa", "PC-SA", "  .", "TICKORDB", "SELECT", "Studio"},
                                          {"53", "sleeping", "bob", "PC-BOB", "  .", "master", "", "Other"},
                                          {"54", "sleeping", "koru", "PC-ME", "  .", " tickordb", "", std::nullopt}}});
    screen->Get_SP_WHO();
    EXPECT_EQ(listed(), (std::vector<std::string>{"User : ann on PC: PC-ANN   Using Tickora",
                                                  "User : koru on PC: PC-ME Using ",
                                                  "User : web1 (10.1.1.1 - Web Interface)"}));
    EXPECT_EQ(screen->lblTotal.caption, "Total Users : 3");
    EXPECT_FALSE(dialogs.busy());
}

TEST_F(UsersCheckTest, NoSessionListIsSaidAndStops) {
    destination->answer("EXEC sp_WHO2", {kSessionColumns, {}});
    dialogs.expectMessage("Veltrane Data Import Utility could not read the current Logins!");
    screen->Get_SP_WHO();
    EXPECT_TRUE(screen->lstUser.items.empty());
    EXPECT_EQ(dialogs.shown().back().icon, wizard::MsgIcon::Exclamation);
}

TEST_F(UsersCheckTest, AMissingWebCountTableIsReportedAndKeepsTheSessions) {
    // A server without the product's web table.
    auto replacement = std::make_unique<ScriptedConnection>();
    replacement->answer("EXEC sp_WHO2", {kSessionColumns, {{"51", "", "ann", "PC", "", "TICKORDB", "", "App"}}});
    context.DestinationConnection = std::move(replacement);
    screen->lblTotal.caption = "Total Users : 7";
    screen->Get_SP_WHO();
    EXPECT_EQ(listed(), (std::vector<std::string>{"User : ann on PC: PC Using App"}));
    EXPECT_EQ(screen->lblTotal.caption, "Total Users : 7");  // not updated after the failure
    auto* console = dynamic_cast<wizard::ErrorConsole*>(application.screens().find(ScreenId::Error_Handle));
    ASSERT_NE(console, nullptr);
    EXPECT_NE(console->txtFullError.text.find("Occured On : frmCurrentLogins: Show_Form"), std::string::npos);
}

TEST_F(UsersCheckTest, ShowFormAnswersWhetherTheWizardMayGoOn) {
    destination->answer("EXEC sp_WHO2", {kSessionColumns, {{"51", "", "sa", "PC", "", "TICKORDB", "", "App"}}});
    destination->answer("Select * From WebCount", {{"userID", "IP"}, {}});
    EXPECT_TRUE(screen->Show_Form());  // nobody there: not shown
    EXPECT_EQ(application.screens().find(ScreenId::frmAnyOneThere), nullptr);

    destination->answer("Select * From WebCount", {{"userID", "IP"}, {{"web1", "10.1.1.1"}}});
    auto* again = dynamic_cast<UsersCheckScreen*>(application.navigator().loadScreen(ScreenId::frmAnyOneThere));
    host.onModal = [](wizard::Screen& shown) { dynamic_cast<UsersCheckScreen&>(shown).cmdIgnore_Click(); };
    EXPECT_TRUE(again->Show_Form());
    again = dynamic_cast<UsersCheckScreen*>(application.navigator().loadScreen(ScreenId::frmAnyOneThere));
    host.onModal = [](wizard::Screen& shown) { dynamic_cast<UsersCheckScreen&>(shown).cmdOK_Click(); };
    EXPECT_FALSE(again->Show_Form());
    again = dynamic_cast<UsersCheckScreen*>(application.navigator().loadScreen(ScreenId::frmAnyOneThere));
    host.onModal = [&](wizard::Screen&) { application.navigator().requestClose(ScreenId::frmAnyOneThere); };
    EXPECT_FALSE(again->Show_Form());  // closing the window is an OK
}

}  // namespace
}  // namespace koru::connect
