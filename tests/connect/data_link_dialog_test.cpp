#include "connect/data_link_dialog.h"

#include <gtest/gtest.h>

#include "app/application.h"
#include "connect/connection_screen.h"
#include "db/connection_string.h"
#include "db/db_test_support.h"
#include "support/temp_home.h"
#include "wizard/scripted_dialogs.h"

namespace koru::connect {
namespace {

using wizard::ScreenId;

class DataLinkTest : public ::testing::Test {
protected:
    DataLinkDialog& open(const std::string& current) {
        context.txtSConn = current;
        dialog = std::make_unique<DataLinkDialog>(services, std::vector<std::string>{"Sales", "Stock"},
                                                  std::vector<std::string>{"PostgreSQL Unicode", "SQLite3", "MDBTools", "ODBC Driver 18 for SQL Server"});
        dialog->Form_Load();
        return *dialog;
    }

    test::TempHome home;
    wizard::HeadlessHost host;
    wizard::ScriptedDialogs dialogs;
    app::Application application{host, dialogs, false};
    wizard::Context& context = application.context();
    wizard::ScreenServices services{context, dialogs, application.navigator(), application.reporter()};
    std::unique_ptr<DataLinkDialog> dialog;
};

TEST_F(DataLinkTest, BuildsStringsThatReadBackAsTyped) {
    DataLinkDialog& d = open("");
    d.optDriver_Click();
    d.cboDriver.listIndex = 0;
    d.txtServer.text = "db.example";
    d.txtDatabase.text = "Sales";
    d.txtUser.text = "ann";
    d.txtPassword.text = "p;w}d='1\"";
    d.txtOther.text = "Port=5432";
    d.Field_Change();
    EXPECT_EQ(d.txtConnectionString.text,
              "Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=db.example;Database=Sales;UID=ann;"
              "PWD=\"p;w}d='1\"\"\";Port=5432");
    db::ConnectionString parsed = db::ConnectionString::parse(d.txtConnectionString.text);
    EXPECT_EQ(parsed.get("PWD"), "p;w}d='1\"");
    EXPECT_EQ(parsed.get("Port"), "5432");

    d.optDataSource_Click();
    d.lstDataSources.listIndex = 1;
    d.txtPassword.text = "";
    d.txtOther.text = "";
    d.Field_Change();
    EXPECT_EQ(d.txtConnectionString.text, "Provider=MSDASQL;DSN=Stock;UID=ann");

    d.optFile_Click();
    dialogs.expectOpenFile("/data/my files/src.db");
    d.cmdBrowse_Click();
    EXPECT_EQ(d.txtConnectionString.text, "Provider=SQLite;Data Source=/data/my files/src.db");
    EXPECT_FALSE(d.txtServer.enabled);
    EXPECT_TRUE(d.txtConnectionString.locked);
}

// Each driver and file kind asks for what it reads, and the string it builds opens it.
TEST_F(DataLinkTest, EachDriverAndFileKindTakesItsOwnFields) {
    struct Case {
        bool driver;  // an ODBC driver, else a file kind
        int choice;   // index in the driver or file-kind list
        bool header;
        int delimiter;
        int encoding;
        const char* expected;
        const char* open;  // the fields open for typing, in the order checked below
    };
    const Case cases[] = {
        {true, 0, true, 0, 0, "Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=h;Port=5433;Database=d;UID=u;PWD=p",
         "SPDU.-"},
        {true, 1, true, 0, 0, "Provider=MSDASQL;Driver={SQLite3};Database=/f/x y.db;PWD=p", "----F-"},
        {true, 2, true, 0, 0, "Provider=MSDASQL;Driver={MDBTools};DBQ=/f/x y.db;PWD=p", "----F-"},
        {true, 3, true, 0, 0, "Provider=MSDASQL;Driver={ODBC Driver 18 for SQL Server};Server=h,5433;Database=d;UID=u;PWD=p",
         "SPDU.-"},
        {false, 0, true, 0, 0, "Provider=SQLite;Data Source=/f/x y.db", "----F-"},
        {false, 1, true, 0, 0, "Provider=Text;Data Source=/f/x y.db", "----FT"},
        {false, 1, false, 2, 2, "Provider=Text;Data Source=/f/x y.db;HDR=No;Delimiter=';';Encoding=Windows-1252",
         "----FT"},
        {false, 1, true, 3, 1, "Provider=Text;Data Source=/f/x y.db;Delimiter=Tab;Encoding=UTF-8", "----FT"},
        {false, 2, true, 1, 1, "Provider=DBF;Data Source=/f/x y.db;Encoding=UTF-8", "----F-"},
    };
    for (const Case& c : cases) {
        DataLinkDialog& d = open("");
        d.txtServer.text = "h";
        d.txtPort.text = "5433";
        d.txtDatabase.text = "d";
        d.txtUser.text = "u";
        d.txtPassword.text = "p";
        d.txtFile.text = "/f/x y.db";
        d.chkHeader.value = c.header;
        d.cboDelimiter.listIndex = c.delimiter;
        d.cboEncoding.listIndex = c.encoding;
        if (c.driver) {
            d.optDriver_Click();
            d.cboDriver.listIndex = c.choice;
            d.cboDriver_Click();
        } else {
            d.optFile_Click();
            d.cboFileKind.listIndex = c.choice;
            d.cboFileKind_Click();
        }
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(d.txtConnectionString.text, c.expected);
        std::string fields;
        fields += d.txtServer.enabled ? 'S' : '-';
        fields += d.txtPort.enabled ? 'P' : '-';
        fields += d.txtDatabase.enabled ? 'D' : '-';
        fields += d.txtUser.enabled ? 'U' : '-';
        fields += d.txtFile.enabled ? 'F' : (c.driver ? '.' : '-');
        fields += d.cboDelimiter.enabled && d.chkHeader.enabled ? 'T' : '-';
        EXPECT_EQ(fields, c.open);
        EXPECT_EQ(d.cmdFolder.enabled, !c.driver && c.choice > 0);

        // The dialog opened again on the string it built shows the same choice.
        context.txtSConn = d.txtConnectionString.text;
        DataLinkDialog& again = open(context.txtSConn);
        EXPECT_EQ(again.optDriver.value, c.driver);
        EXPECT_EQ(again.optFile.value, !c.driver);
        again.Field_Change();
        EXPECT_EQ(again.txtConnectionString.text, c.expected);
    }
}

TEST_F(DataLinkTest, StartsFromTheStringTheConnectionScreenHolds) {
    DataLinkDialog& d = open("Provider=MSDASQL;DSN=Sales;UID=bob;PWD=x");
    EXPECT_TRUE(d.optDataSource.value);
    EXPECT_EQ(d.lstDataSources.selectedText(), "Sales");
    EXPECT_EQ(d.txtUser.text, "bob");

    DataLinkDialog& file = open("Provider=SQLite;Data Source=/srv/a.db");
    EXPECT_TRUE(file.optFile.value);
    EXPECT_EQ(file.txtFile.text, "/srv/a.db");

    DataLinkDialog& odd = open("Provider=Jet;Data Source='unbalanced");
    EXPECT_TRUE(odd.optTyped.value);
    EXPECT_FALSE(odd.txtConnectionString.locked);
    EXPECT_EQ(odd.txtConnectionString.text, "Provider=Jet;Data Source='unbalanced");
}

TEST_F(DataLinkTest, TestsTheConnectionAndHandsBackTheString) {
    std::filesystem::path source = home.path() / "src.db";
    test::createSqliteFile(source);
    application.navigator().start(ScreenId::frmWizIntro);
    application.navigator().UT_Wizard_Change_Forms(ScreenId::frmWizIntro, ScreenId::frmConn, false);
    auto* connection = application.screens().get<ConnectionScreen>(ScreenId::frmConn);
    connection->txtSConn.text = "typed before";

    host.onModal = [&](wizard::Screen& shown) {
        auto& d = dynamic_cast<DataLinkDialog&>(shown);
        EXPECT_TRUE(d.optTyped.value);
        d.optFile_Click();
        d.txtFile.text = (home.path() / "missing.db").string();
        d.Field_Change();
        dialogs.expectMessageStartingWith("Test connection failed : ");
        d.cmdTest_Click();
        d.txtFile.text = source.string();
        d.Field_Change();
        dialogs.expectMessage("Test connection succeeded.");
        d.cmdTest_Click();
        d.cmdOK_Click();
    };
    connection->cmdNew_Click();
    EXPECT_EQ(connection->txtSConn.text, "Provider=SQLite;Data Source=" + source.string());
    EXPECT_TRUE(connection->cmdNew.enabled);
    EXPECT_EQ(application.screens().find(ScreenId::frmDataLink), nullptr);

    host.onModal = [](wizard::Screen& shown) {
        auto& d = dynamic_cast<DataLinkDialog&>(shown);
        d.txtFile.text = "/elsewhere.db";
        d.Field_Change();
        d.cmdCancel_Click();
    };
    connection->cmdNew_Click();
    EXPECT_EQ(connection->txtSConn.text, "Provider=SQLite;Data Source=" + source.string());
}

}  // namespace
}  // namespace koru::connect
