#include "wizard/error_console.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "app/application.h"
#include "support/fake_connection.h"
#include "support/files.h"
#include "support/temp_home.h"
#include "wizard/scripted_dialogs.h"

namespace koru::wizard {
namespace {

class ErrorConsoleTest : public ::testing::Test {
protected:
    ErrorConsole* console() {
        return dynamic_cast<ErrorConsole*>(application.screens().find(ScreenId::Error_Handle));
    }
    void report(std::int32_t number, std::string_view message, std::string_view location = "frmConn:cmdNext_click") {
        application.reporter().UT_Report_Error({number, "Provider said no"}, location, message);
    }
    std::size_t modalCount() const {
        return std::count_if(host.events().begin(), host.events().end(), [](auto& e) {
            return e.kind == HeadlessHost::Event::Modal;
        });
    }

    test::TempHome home;
    HeadlessHost host;
    ScriptedDialogs dialogs;
    app::Application application{host, dialogs, false};
    Context& context = application.context();
};

TEST_F(ErrorConsoleTest, ReportShowsTheConsoleWithTheMessageAndLogsIt) {
    report(5, "");
    ASSERT_NE(console(), nullptr);
    EXPECT_EQ(console()->lblError.caption, "An Error Has Occurred");
    EXPECT_EQ(console()->txtFullError.text, "5\nProvider said no\nOccured On : frmConn:cmdNext_click");
    EXPECT_EQ(console()->caption, "Veltrane Data Import Utility - Error Diagnostic Console");
    EXPECT_EQ(console()->height, 1530);
    EXPECT_EQ(console()->cmdSaveError.caption, "&Save Error");
    EXPECT_EQ(console()->cmdSaveError.toolTip, " - Error Diagnostic Console");
    EXPECT_EQ(console()->cmdDetails.caption, "&Details");
    EXPECT_EQ(console()->cmdClose.caption, "&Close");
    EXPECT_EQ(modalCount(), 1u);
    EXPECT_NE(home.read("XFRLog.log").find(
                  "XFR Import Module Error :An Error Has Occurred : Provider said no : 5 : frmConn:cmdNext_click"),
              std::string::npos);

    console()->cmdDetails_Click();
    EXPECT_EQ(console()->height, 2895);
    console()->cmdDetails_Click();
    EXPECT_EQ(console()->height, 1530);

    console()->cmdClose_Click();
    EXPECT_EQ(console(), nullptr);
    EXPECT_TRUE(dialogs.shown().empty());  // closing the console asks nothing
}

TEST_F(ErrorConsoleTest, AReportReplacesAnOpenConsole) {
    report(1, "first");
    ErrorConsole* first = console();
    first->cmdDetails_Click();
    report(2, "second");
    ASSERT_NE(console(), nullptr);
    EXPECT_EQ(console()->lblError.caption, "second");
    EXPECT_EQ(console()->height, 1530);  // a fresh console
    EXPECT_EQ(modalCount(), 2u);
    auto unloads = std::count(host.events().begin(), host.events().end(),
                              HeadlessHost::Event{HeadlessHost::Event::Unload, ScreenId::Error_Handle});
    EXPECT_EQ(unloads, 1);
    std::string log = home.read("XFRLog.log");
    EXPECT_LT(log.find("first"), log.find("second"));
}

TEST_F(ErrorConsoleTest, LostConnectionsAreNamedInTheMessage) {
    context.SourceConnection = std::make_unique<test::FakeConnection>("src");
    context.DestinationConnection = std::make_unique<test::FakeConnection>("dst");
    report(3709, "custom");
    EXPECT_EQ(console()->lblError.caption, "custom");  // both open: the message stands

    context.SourceConnection->close();
    report(3709, "");
    EXPECT_EQ(console()->lblError.caption, "The Connection To The Source Database Has Been Severred");

    context.DestinationConnection->close();
    report(3709, "");
    EXPECT_EQ(console()->lblError.caption, "The Connection To The Destination Database Has Been Severred");

    context.SourceConnection.reset();
    context.DestinationConnection = std::make_unique<test::FakeConnection>("dst");
    report(3709, "");
    EXPECT_EQ(console()->lblError.caption, "The Connection To The Source Database Has Been Severred");
}

TEST(ErrorConsoleUnattended, AReportIsLoggedAndEndsTheProcess) {
    test::TempHome home;
    HeadlessHost host;
    ScriptedDialogs dialogs;
    app::Application application{host, dialogs, true};
    try {
        application.reporter().UT_Report_Error({-2147467259, "Login failed"}, "frmConn:Connect_To_servers", "");
        FAIL() << "the process should have ended";
    } catch (const diag::ProcessEnd& end) {
        EXPECT_EQ(end.status, 1);
    }
    EXPECT_TRUE(host.events().empty());
    EXPECT_EQ(application.screens().find(ScreenId::Error_Handle), nullptr);
    EXPECT_NE(home.read("XFRLog.log").find("XFR Import Module Error :An Error Has Occurred : Login failed : "
                                           "-2147467259 : frmConn:Connect_To_servers"),
              std::string::npos);
}

class SaveErrorTest : public ErrorConsoleTest {
protected:
    void SetUp() override {
        report(-2147217843, "Invalid Destination User Name / Password", "frmConn:Connect_To_servers");
        target = home.path() / "saved error.txt";
    }
    std::filesystem::path target;
};

TEST_F(SaveErrorTest, WritesTheDiagnosticLinesWithPasswordsMasked) {
    context.SourceConnection = std::make_unique<test::FakeConnection>(
        "Provider=MSDASQL;Driver={PostgreSQL};Server=db;UID=me;PWD={p;w}}d=1};Port=5432", 2);
    context.DestinationConnection = std::make_unique<test::FakeConnection>(
        "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password='It''s;secret';"
        "Initial Catalog=TICKORDB;Data Source=srv", 0);
    dialogs.expectSaveFile(target.string());

    console()->cmdSaveError_Click();

    ASSERT_EQ(dialogs.fileRequests().size(), 1u);
    EXPECT_EQ(dialogs.fileRequests()[0].title, "Save Error Log");
    EXPECT_EQ(dialogs.fileRequests()[0].fileName, "Errorlog");
    EXPECT_EQ(dialogs.fileRequests()[0].filter, "*.txt|*.txt");
    std::regex expected(
        "CompDate : \\d\\d/\\d\\d/\\d{4}\r\n"
        "CompTime : \\d\\d:\\d\\d:\\d\\d\r\n"
        "Source Server : 1\r\n"
        "Destin Server : 1\r\n"
        "Source Conn String : Provider=MSDASQL;Driver=\\{PostgreSQL\\};Server=db;UID=me;PWD=\\*\\*\\*\\*\\*;Port=5432\r\n"
        "Source Error Count : 2\r\n"
        "Destin Conn String : Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=\\*\\*\\*\\*\\*;"
        "Initial Catalog=TICKORDB;Data Source=srv\r\n"
        "Destin Error Count : 0\r\n"
        "Full Error MSG : -2147217843\nProvider said no\nOccured On : frmConn:Connect_To_servers\r\n"
        "Nice Error MSG : Invalid Destination User Name / Password\r\n");
    std::string saved = test::rawFile(target);
    EXPECT_TRUE(std::regex_match(saved, expected)) << saved;
    EXPECT_EQ(saved.find("secret"), std::string::npos);
    EXPECT_EQ(saved.find("w}"), std::string::npos);
}

TEST_F(SaveErrorTest, ClosedConnectionsGiveOnlyTheirState) {
    context.SourceConnection = std::make_unique<test::FakeConnection>("Data Source=x;Password=hidden");
    context.SourceConnection->close();
    dialogs.expectSaveFile(target.string());
    console()->Save_Error();
    std::string saved = test::rawFile(target);
    EXPECT_NE(saved.find("Source Server : 0\r\nDestin Server : 0\r\nFull Error MSG : "), std::string::npos);
    EXPECT_EQ(saved.find("Conn String"), std::string::npos);
    EXPECT_EQ(saved.find("Error Count"), std::string::npos);
}

TEST_F(SaveErrorTest, AnExistingFileIsReplacedOnlyWhenConfirmed) {
    std::ofstream(target) << "keep me";
    dialogs.expectSaveFile(target.string())
        .expectMessage("Are You Sure You Want To Override This File", MsgResult::No);
    console()->Save_Error();
    EXPECT_EQ(test::rawFile(target), "keep me");
    EXPECT_EQ(dialogs.shown().back().icon, MsgIcon::Exclamation);

    dialogs.expectSaveFile("   ");  // cancelled or blank: nothing happens
    console()->Save_Error();

    dialogs.expectSaveFile(target.string())
        .expectMessage("Are You Sure You Want To Override This File", MsgResult::Yes);
    console()->Save_Error();
    EXPECT_NE(test::rawFile(target).find("Nice Error MSG : "), std::string::npos);
    EXPECT_EQ(dialogs.pending(), 0u);
}

TEST_F(SaveErrorTest, AFileThatCannotBeWrittenKeepsTheConsole) {
    std::filesystem::path notAFolder = home.path() / "plainfile";
    std::ofstream(notAFolder) << "x";
    std::string path = (notAFolder / "err.txt").string();
    dialogs.expectSaveFile(path).expectMessage("Could Not Save The Error Log To " + path +
                                               " : Not a directory");
    console()->Save_Error();
    ASSERT_NE(console(), nullptr);
    EXPECT_EQ(console()->lblError.caption, "Invalid Destination User Name / Password");
    EXPECT_EQ(dialogs.pending(), 0u);
}

}  // namespace
}  // namespace koru::wizard
