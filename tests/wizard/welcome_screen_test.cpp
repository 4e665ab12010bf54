#include "wizard/welcome_screen.h"

#include <gtest/gtest.h>

#include "app/application.h"
#include "support/temp_home.h"
#include "wizard/scripted_dialogs.h"

namespace koru::wizard {
namespace {

TEST(WelcomeScreen, VersionLabelHasPlainNumbers) {
    test::TempHome home;
    HeadlessHost host;
    ScriptedDialogs dialogs;
    app::Application application(host, dialogs, false);
    ScreenServices services{application.context(), dialogs, application.navigator(), application.reporter()};
    WelcomeScreen welcome(services, {6, 4, 9});
    welcome.Form_Load();
    EXPECT_EQ(welcome.lblVersion.caption, "Version : 6.4.9");
    EXPECT_EQ(welcome.caption, "Veltrane Data Import Utility");
    EXPECT_EQ(welcome.cmdNext.caption, "&Next >");
    EXPECT_EQ(welcome.cmdBack.caption, "< &Back");
    EXPECT_EQ(welcome.cmdExit.caption, "E&xit");
    EXPECT_EQ(welcome.cmdconditions.caption, "Terms and &conditions");
    EXPECT_EQ(welcome.lblContinue.caption, "To Continue, Click Next");
}

TEST(WelcomeScreen, ExitAsksBeforeEndingTheWizard) {
    test::TempHome home;
    HeadlessHost host;
    ScriptedDialogs dialogs;
    app::Application application(host, dialogs, false);
    application.navigator().start(ScreenId::frmWizIntro);
    auto* welcome = application.screens().get<WelcomeScreen>(ScreenId::frmWizIntro);
    ASSERT_NE(welcome, nullptr);
    EXPECT_TRUE(welcome->visible);

    dialogs.expectMessage("Are You Sure You Want To Quit?", MsgResult::No);
    welcome->cmdExit_Click();
    EXPECT_EQ(application.screens().find(ScreenId::frmWizIntro), welcome);
    EXPECT_FALSE(host.finished());

    // Next moves on to the connection screen, in the same place; the welcome screen is kept.
    welcome->left = 40;
    welcome->top = 30;
    welcome->cmdNext_Click();
    Screen* connection = application.screens().find(ScreenId::frmConn);
    ASSERT_NE(connection, nullptr);
    EXPECT_TRUE(connection->visible);
    EXPECT_EQ(connection->left, 40);
    EXPECT_EQ(connection->top, 30);
    EXPECT_FALSE(welcome->visible);
    EXPECT_TRUE(welcome->cmdNext.enabled);

    dialogs.expectMessage("Are You Sure You Want To Quit?", MsgResult::Yes);
    EXPECT_TRUE(application.navigator().requestClose(ScreenId::frmConn));
    EXPECT_TRUE(application.screens().loadedScreens().empty());
    EXPECT_TRUE(host.finished());
    EXPECT_EQ(dialogs.pending(), 0u);
}

}  // namespace
}  // namespace koru::wizard
