#include "wizard/navigator.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "support/fake_connection.h"
#include "support/temp_home.h"
#include "wizard/scripted_dialogs.h"

namespace koru::wizard {
namespace {

// A plain screen that records what happened to it.
class ProbeScreen : public WizardScreen {
public:
    ProbeScreen(ScreenId id, ScreenServices services, std::vector<std::string>& journal)
        : WizardScreen(id, services), m_journal(journal) {}
    void Form_Load() override {
        if (failLoad) throw std::runtime_error("load failed");
        m_journal.push_back(std::string(screenName(id())) + " load");
    }
    void Form_Unload() override {
        m_journal.push_back(std::string(screenName(id())) + " unload, Unloading=" +
                            (m_services.context.Unloading ? "1" : "0"));
    }
    inline static bool failLoad = false;

private:
    std::vector<std::string>& m_journal;
};

class ProbeScreens : public ScreenSet {
public:
    void attach(ScreenServices services) { m_services.emplace(services); }
    Screen* find(ScreenId id) override {
        auto found = m_loaded.find(id);
        return found == m_loaded.end() ? nullptr : found->second.get();
    }
    Screen* load(ScreenId id) override {
        if (Screen* screen = find(id)) return screen;
        if (id == ScreenId::frmDBSave) return nullptr;  // a screen the program lacks
        auto screen = std::make_unique<ProbeScreen>(id, *m_services, journal);
        screen->Form_Load();
        return (m_loaded[id] = std::move(screen)).get();
    }
    void unload(ScreenId id) override {
        auto found = m_loaded.find(id);
        if (found == m_loaded.end()) return;
        m_dead.push_back(std::move(found->second));
        m_loaded.erase(found);
    }
    std::vector<ScreenId> loadedScreens() const override {
        std::vector<ScreenId> ids;
        for (auto& entry : m_loaded) ids.push_back(entry.first);
        return ids;
    }
    std::vector<std::string> journal;

private:
    std::optional<ScreenServices> m_services;
    std::map<ScreenId, std::unique_ptr<Screen>> m_loaded;
    std::vector<std::unique_ptr<Screen>> m_dead;
};

class NullReporter : public diag::ErrorReporter {
public:
    void UT_Report_Error(const diag::ErrorRecord& error, std::string_view location,
                         std::string_view) override {
        reports.push_back(std::string(location) + ": " + error.description);
    }
    void Show_Form(std::string_view, std::string_view, const diag::ErrorRecord&) override {}
    std::vector<std::string> reports;
};

class NavigatorTest : public ::testing::Test {
protected:
    NavigatorTest() : navigator(context, screens, host, dialogs, reporter) {
        screens.attach({context, dialogs, navigator, reporter});
        context.SourceConnection = std::make_unique<test::FakeConnection>("Provider=SQLite;Data Source=s.db");
        context.DestinationConnection = std::make_unique<test::FakeConnection>("Data Source=d");
    }
    using Event = HeadlessHost::Event;

    test::TempHome home;
    Context context;
    ProbeScreens screens;
    HeadlessHost host;
    ScriptedDialogs dialogs;
    NullReporter reporter;
    Navigator navigator;
};

TEST_F(NavigatorTest, ChangingScreensKeepsThePositionAndHidesOrUnloads) {
    navigator.start(ScreenId::frmWizIntro);
    Screen* intro = screens.find(ScreenId::frmWizIntro);
    intro->left = 120;
    intro->top = 80;

    navigator.UT_Wizard_Change_Forms(ScreenId::frmWizIntro, ScreenId::frmConn, false);
    Screen* conn = screens.find(ScreenId::frmConn);
    ASSERT_NE(conn, nullptr);
    EXPECT_EQ(conn->left, 120);
    EXPECT_EQ(conn->top, 80);
    EXPECT_TRUE(conn->visible);
    EXPECT_FALSE(intro->visible);
    EXPECT_EQ(screens.find(ScreenId::frmWizIntro), intro);  // kept while hidden

    // Unloading the screen left behind happens under the Unloading flag, cleared afterwards.
    navigator.UT_Wizard_Change_Forms(ScreenId::frmConn, ScreenId::frmMappings, true);
    EXPECT_EQ(screens.find(ScreenId::frmConn), nullptr);
    // The next screen is loaded before the previous one goes.
    std::vector<std::string> tail(screens.journal.end() - 2, screens.journal.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"frmMappings load", "frmConn unload, Unloading=1"}));
    EXPECT_FALSE(context.Unloading);
    EXPECT_FALSE(dialogs.busy());
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(NavigatorTest, AFailedChangeLeavesTheScreensAsTheyWere) {
    navigator.start(ScreenId::frmWizIntro);
    dialogs.expectMessage("This screen is not available yet: frmDBSave");
    navigator.UT_Wizard_Change_Forms(ScreenId::frmWizIntro, ScreenId::frmDBSave, false);
    EXPECT_TRUE(screens.find(ScreenId::frmWizIntro)->visible);

    ProbeScreen::failLoad = true;
    navigator.UT_Wizard_Change_Forms(ScreenId::frmWizIntro, ScreenId::frmConn, true);
    ProbeScreen::failLoad = false;
    EXPECT_TRUE(screens.find(ScreenId::frmWizIntro)->visible);
    ASSERT_EQ(reporter.reports.size(), 1u);
    EXPECT_EQ(reporter.reports[0], "Utility:UT_Wizard_Change_Forms: load failed");
    EXPECT_FALSE(dialogs.busy());
    EXPECT_FALSE(context.Unloading);
}

TEST_F(NavigatorTest, AnsweringNoToTheQuitQuestionKeepsEverything) {
    navigator.start(ScreenId::frmWizIntro);
    navigator.UT_Wizard_Change_Forms(ScreenId::frmWizIntro, ScreenId::frmConn, false);
    dialogs.expectMessage("Are You Sure You Want To Quit?", MsgResult::No);

    EXPECT_FALSE(navigator.requestClose(ScreenId::frmConn));  // the window frame's close

    EXPECT_EQ(dialogs.shown().back().buttons, MsgButtons::YesNo);
    EXPECT_EQ(dialogs.shown().back().icon, MsgIcon::Question);
    EXPECT_EQ(dialogs.shown().back().title, "Veltrane Data Import Utility");
    EXPECT_EQ(screens.loadedScreens().size(), 2u);
    EXPECT_TRUE(screens.find(ScreenId::frmConn)->visible);
    EXPECT_TRUE(context.sourceOpen());
    EXPECT_TRUE(context.destinationOpen());
    EXPECT_FALSE(context.Unloading);
    EXPECT_FALSE(host.finished());
}

TEST_F(NavigatorTest, QuittingClosesConnectionsAndUnloadsEveryScreenAskingOnce) {
    navigator.start(ScreenId::frmWizIntro);
    navigator.UT_Wizard_Change_Forms(ScreenId::frmWizIntro, ScreenId::frmConn, false);
    navigator.UT_Wizard_Change_Forms(ScreenId::frmConn, ScreenId::frmMappings, false);
    std::shared_ptr<int> sourceCloses =
        static_cast<test::FakeConnection*>(context.SourceConnection.get())->closeCalls;
    context.DestinationConnection->close();  // a closed connection is not closed again
    dialogs.expectMessage("Are You Sure You Want To Quit?", MsgResult::Yes);

    EXPECT_TRUE(navigator.requestClose(ScreenId::frmMappings));

    EXPECT_EQ(dialogs.pending(), 0u);
    EXPECT_EQ(dialogs.shown().size(), 1u);  // the other screens' close handlers asked nothing
    EXPECT_EQ(*sourceCloses, 1);
    EXPECT_EQ(context.SourceConnection, nullptr);
    EXPECT_EQ(context.DestinationConnection, nullptr);
    EXPECT_TRUE(screens.loadedScreens().empty());
    EXPECT_TRUE(context.Unloading);
    EXPECT_TRUE(host.finished());
    // Quitting again, as a late close event would, does nothing.
    EXPECT_EQ(navigator.UT_Quit_Wizard(true), 0);
    EXPECT_EQ(dialogs.shown().size(), 1u);
}

}  // namespace
}  // namespace koru::wizard
