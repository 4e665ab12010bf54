#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "app/application.h"
#include "import/import_info_screen.h"
#include "import/import_screen.h"
#include "support/recording_reporter.h"
#include "support/scripted_connection.h"
#include "support/statement_fixtures.h"
#include "support/temp_home.h"
#include "wizard/error_console.h"
#include "wizard/scripted_dialogs.h"

namespace koru::import {
namespace {

using test::Row;
using test::ScriptedConnection;
using Answer = ScriptedConnection::Answer;
using Transcript = std::shared_ptr<std::vector<std::string>>;

constexpr int kInteger = 3;
constexpr int kTimeStamp = 135;

const std::vector<std::string> kMappingColumns = {"SourceTable", "SourceColumn", "DestinTable", "DestinColumn", "Level"};
const std::vector<std::string> kClauseColumns = {"ID",       "StructureID", "SourceTable", "SourceColumn",
                                                 "Operator", "Criteria",    "StrucOrder",  "AndClause"};
const Answer kExists = {{"x"}, {}};

wizard::StructureLevel level(std::string name, std::string dLink, std::string uLink, short uLinkId, short styleId,
                             std::string joinCondition = "") {
    wizard::StructureLevel record;
    record.Name = std::move(name);
    record.DLink = std::move(dLink);
    record.ULink = std::move(uLink);
    record.ULinkID = uLinkId;
    record.StyleID = styleId;
    record.joinCondition = std::move(joinCondition);
    return record;
}

void addNamed(std::map<std::string, std::string>& named, const std::string& prefix, const Transcript& transcript) {
    for (std::size_t i = 0; i < transcript->size(); ++i) {
        std::string number = std::to_string(i + 1);
        named[prefix + "." + std::string(number.size() < 2 ? 1 : 0, '0') + number] = (*transcript)[i];
    }
}

// Compares the statements named "<run>.*" with the fixture, in order. An expected text "@file
// name" is a statement of another fixture; one starting with "~" is a pattern, for a read the
// rules describe without fixing its text. A difference is shown as a diff of the two lists.
void expectTranscript(const std::string& run, const std::map<std::string, std::string>& actual) {
    std::vector<std::pair<std::string, std::string>> expected, sent;
    for (auto [name, text] : test::loadStatementFixture("mssql/import_run.tsv")) {
        if (name.rfind(run + ".", 0) != 0) continue;
        if (text.starts_with("@")) {
            std::size_t blank = text.find(' ');
            text = test::loadStatementFixture(text.substr(1, blank - 1)).at(text.substr(blank + 1));
        }
        expected.emplace_back(name, text);
    }
    if (const char* dump = std::getenv("KORU_DUMP_TRANSCRIPT")) {
        std::FILE* out = std::fopen(dump, "a");
        for (const auto& [name, text] : actual) {
            std::string escaped = text;
            for (std::size_t at; (at = escaped.find("\r\n")) != std::string::npos;) escaped.replace(at, 2, "\\r\\n");
            for (std::size_t at; (at = escaped.find("\n")) != std::string::npos;) escaped.replace(at, 1, "\\n");
            std::fprintf(out, "%s\t%s\n", name.c_str(), escaped.c_str());
        }
        std::fclose(out);
    }
    ASSERT_FALSE(expected.empty()) << run;
    for (const auto& entry : actual) sent.push_back(entry);
    auto same = [](const std::string& want, const std::string& got) {
        return want.starts_with("~") ? std::regex_match(got, std::regex(want.substr(1))) : want == got;
    };
    // Longest common subsequence, so that one missing or extra statement shows as one line.
    std::size_t n = expected.size(), m = sent.size();
    std::vector<std::vector<std::size_t>> common(n + 1, std::vector<std::size_t>(m + 1, 0));
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t j = m; j-- > 0;) {
            common[i][j] = same(expected[i].second, sent[j].second) ? common[i + 1][j + 1] + 1
                                                                     : std::max(common[i + 1][j], common[i][j + 1]);
        }
    }
    std::string diff;
    bool equal = n == m;
    for (std::size_t i = 0, j = 0; i < n || j < m;) {
        if (i < n && j < m && same(expected[i].second, sent[j].second)) {
            equal = equal && expected[i].first == sent[j].first;
            ++i, ++j;
        } else if (j < m && (i == n || common[i][j + 1] >= common[i + 1][j])) {
            diff += "+ sent " + sent[j].first + ": " + sent[j].second + "\n";
            ++j, equal = false;
        } else {
            diff += "- expected " + expected[i].first + ": " + expected[i].second + "\n";
            ++i, equal = false;
        }
    }
    EXPECT_TRUE(equal) << run << " differs:\n" << diff;
}

std::string mappingRead(int level, const std::string& condition = "") {
    return "Select SourceTable, SourceColumn, DestinTable, DestinColumn, [Level]  From XFRMappings Where StructureID = " +
           std::to_string(level) + condition;
}

// A level's mapping rows and clauses as the repository answers them. With `combined` (the
// separator and second-column rows), the first ordinary row is the identifying one.
void scriptLevel(ScriptedConnection& destination, int level, std::vector<Row> ordinary, std::vector<Row> clauses = {},
                 std::vector<Row> combined = {}) {
    if (!combined.empty()) {
        std::vector<Row> named = {ordinary.front()};
        named.insert(named.end(), combined.begin(), combined.end());
        destination.answerStartingWith(mappingRead(level), {kMappingColumns, named});
    }
    destination.answerStartingWith(mappingRead(level, " and [level] = 1"), {kMappingColumns, std::move(ordinary)});
    destination.answerStartingWith(mappingRead(level, " and [level] > 1"), {kMappingColumns, std::move(combined)});
    destination.answerStartingWith("Select * From XFRClause Where StructureID = " + std::to_string(level),
                                   {kClauseColumns, std::move(clauses)});
}

// One import run against a scripted SQL Server destination and a SQL Server source, its
// buttons pressed as a user would; both transcripts outlive the connections.
class ScriptedImport {
public:
    explicit ScriptedImport(const std::string& sourceConnectionString) {
        auto server = std::make_unique<ScriptedConnection>();
        server->open("Provider=SQLOLEDB.1;Data Source=HDSRV;Initial Catalog=TICKORDB;User ID=sa;Password=pw;");
        server->answerStartingWith(db::mssqlAcquireLock(db::kDestinationLockWait), {{"result"}, {{"0"}}});
        destination = server.get();
        destinationLog = server->transcript;
        context.DestinationConnection = std::move(server);
        context.destinationDialect = db::makeDestinationDialect(db::DestinationDialect::Kind::Mssql);
        auto sourceServer = std::make_unique<ScriptedConnection>();
        sourceServer->dbms = "Microsoft SQL Server";
        sourceServer->open(sourceConnectionString);
        source = sourceServer.get();
        sourceLog = sourceServer->transcript;
        context.SourceConnection = std::move(sourceServer);
    }

    // `during`: the messages the run shows between the notice and the success message.
    void start(const std::vector<std::string>& during = {}) {
        dialogs.expectMessage("Important Notice\r\n\r\nThe Data Import may take some time, and the application may "
                              "stop responding\r\nPlease do not close application until import is complete");
        for (const std::string& message : during) dialogs.expectMessage(message);
        dialogs.expectMessage("Veltrane Data Import Completed Successfully");
        host.onModal = [](wizard::Screen& screen) {
            if (auto* info = dynamic_cast<ImportInfoScreen*>(&screen)) {
                info->txtUserID.text = "jsmith";
                info->txtCompName.text = "WS-07";
                info->cmdSave_Click();
            } else if (auto* console = dynamic_cast<wizard::ErrorConsole*>(&screen)) {
                ADD_FAILURE() << console->lblError.caption << "\n" << console->txtFullError.text;
            }
        };
        screen = dynamic_cast<ImportScreen*>(application.navigator().loadScreen(wizard::ScreenId::frmDBSave));
        ASSERT_NE(screen, nullptr);
        try {
            screen->cmdStart_Click();
        } catch (const std::exception& error) {
            ADD_FAILURE() << error.what();
        }
        EXPECT_EQ(dialogs.pending(), 0u) << "messages expected but not shown";
    }

    std::map<std::string, std::string> named(const std::string& run) const {
        std::map<std::string, std::string> statements;
        addNamed(statements, run + ".destination", destinationLog);
        addNamed(statements, run + ".source", sourceLog);
        return statements;
    }

    test::TempHome home;
    wizard::HeadlessHost host;
    wizard::ScriptedDialogs dialogs;
    app::Application application{host, dialogs, false};
    wizard::Context& context = application.context();
    ScriptedConnection* destination = nullptr;
    ScriptedConnection* source = nullptr;
    Transcript destinationLog;
    Transcript sourceLog;
    ImportScreen* screen = nullptr;
};

// Updates data of session 17, moving what left the source: `statementLimit` 0 makes the run
// compare every recorded key itself and the move compare with the transfer rows.
void hierarchyUpdateRun(const std::string& name, std::size_t statementLimit) {
    ScriptedImport run("Provider=SQLOLEDB.1;Data Source=CRMSRV;Initial Catalog=CRM;User ID=sa;Password=pw;");
    wizard::Context& context = run.context;
    context.statementLimit = statementLimit;
    context.Gstructures = {{},
                           level("Company", "[Companies].[CompanyID]", "", 0, 3),
                           level("Department", "[Departments].[DeptID]", "[Departments].[CompanyID]", 1, 4,
                                 "Departments.ManagerID = Managers.ManagerID"),
                           level("Contact", "[Contacts].[ContactID]", "[Contacts].[DeptID]", 2, 5)};
    context.LGEnabled = true;
    context.EXLValid = true;
    context.Distinct = true;
    context.chkDelRoot = true;
    context.GenParent = 1000;
    context.cboDiscovery = 7;
    context.chkMakeDefaultEXL = true;
    context.txtSConn = "  DSN=CRM;UID=sa  ";
    context.SourceCol = "Alpha3";
    context.DestinCol = "Alpha1";
    context.StyleID = 9;
    context.UpdateMode = 1;
    context.UpdateImportID = 17;
    context.MoveIfNotInSource = true;
    context.NewParentID = 555;

    ScriptedConnection& destination = *run.destination;
    destination.answerStartingWith("Select ciidid from xfrhash", kExists);
    destination.answerStartingWith("Select structureparent from xfrhash", kExists);
    destination.answerStartingWith("Select id from xfrtranlog", kExists);
    destination.answerStartingWith("SET NOCOUNT ON; Insert Into XFRTranLog", {{"ID"}, {{"42"}}});
    // Session 17 updated session 12, a plain import: both sessions' keys count.
    const std::string chain = "Select UpdateImportID from XFRTranLog where ID";
    destination.answerStartingWith(chain, {{"UpdateImportID"}, {{"12"}}});
    destination.answerStartingWith(chain, {{"UpdateImportID"}, {{std::nullopt}}});
    scriptLevel(destination, 1,
                {{"Companies", "CompanyName", "CIID", "Alpha1", "1"},
                 {"Companies", "Phone", "CIID", "Num1", "1"},
                 {"Companies", "Email", "CIID", "EmailID", "1"},
                 {"Companies", "Founded", "AssetCIID", "Date1", "1"},
                 {"Companies", "Region", "AssetCIID", "Location", "1"},
                 {"Companies", "ServiceTag", "CIID", "DLinkID", "1"}},
                {{"1", "1", "Companies", "Country", "=         ", "UK", "0", "0"},
                 {"2", "1", "Companies", "CompanyName", "like      ", "%Ltd%", "1", "1"},
                 {"3", "1", "Companies", "Closed", "is        ", "NULL", "2", "0"}},
                {{std::nullopt, std::nullopt, "TEXTSEP", " - ", "2"}, {"Companies", "City", "CIID", "Alpha1", "3"}});
    scriptLevel(destination, 2,
                {{"Departments", "DeptName", "CIID", "Alpha1", "1"},
                 {"Managers", "ManagerName", "CIID", "Alpha2", "1"},
                 {"Departments", "Budget", "AssetCIID", "OriginalPrice", "1"},
                 {"Departments", "Notes", "CIID", "Notes", "1"},
                 {"Departments", "Web", "CIID", "WebID", "1"}},
                {{"4", "2", "Departments", "DeptName", "<>        ", "D'Arcy", "0", "0"}});
    scriptLevel(destination, 3,
                {{"Contacts", "FullName", "CIID", "Alpha1", "1"}, {"Contacts", "Mobile", "CIID", "Num2", "1"}});
    auto recorded = [&](int level, std::vector<Row> keys) {
        destination.answerStartingWith(
            "Select distinct XFRID as LstWoop From XFRHash where importid in (17, 12) and StructureID = " +
                std::to_string(level),
            {{"LstWoop"}, std::move(keys)});
    };
    recorded(1, {{"C001"}, {"C002"}});
    recorded(2, {{"D10"}, {"D20"}});
    recorded(3, {{"301"}, {"302"}});
    destination.answerStartingWith("Select ciid.id, ciid.Alpha3",
                                   {{"id", "Alpha3", "parent"},
                                    {{"701", "HQ-North", "1000"}, {"702", std::nullopt, "1000"}, {"703", " HQ-South ", "1000"}}});
    destination.answerStartingWith("Select top 1 id from ciid", {{"id"}, {{"900"}}});
    destination.answerStartingWith("Select top 1 id from ciid", {{"id"}, {}});
    const std::string notInSource = "Select ciid.id from ciid inner join xfrhash on xfrhash.ciidid = ciid.id Where "
                                    "xfrhash.ImportID in (17, 12) and xfrhash.structureid = ";
    destination.answerStartingWith(notInSource + "1", {{"id"}, {{"611"}, {"612"}}});
    destination.answerStartingWith(notInSource + "2", {{"id"}, {}});
    destination.answerStartingWith("SELECT count(*) FROM XFRTransfer WHERE StructureID = ", {{"n"}, {{"2"}}});
    destination.answerStartingWith("SELECT StructureID, count(*) FROM XFRTransfer", {{"l", "n"}, {{"1", "2"}, {"2", "2"}}});
    destination.answerStartingWith("SELECT h.StructureID", {{"l", "n", "d"}, {{"1", "2", "2"}, {"2", "2", "2"}}});

    ScriptedConnection& source = *run.source;
    source.tableColumns["Contacts"] = {{"ContactID", kInteger}, {"DeptID", kInteger}};
    source.answerStartingWith("Select count(*) as NoKey", {{"NoKey"}, {{"0"}}});
    source.answerStartingWith("Select count(*)  From", {{"n"}, {{"0"}}});
    source.answerStartingWith("Select count(*) as CT", {{"CT"}, {{"2"}}});
    source.answerStartingWith("Select count(*) as CT", {{"CT"}, {{"2"}}});
    source.answerStartingWith("Select count(*) as CT", {{"CT"}, {{"0"}}});
    source.answerStartingWith("Select [Companies].CompanyID", {{"CompanyID"}, {{"C001 "}, {"C002"}}});
    source.answerStartingWith(
        "Select distinct ltrim(rtrim(",
        {{"XFR1", "XFR2", "XFR3", "XFR4", "XFR5", "XFR6", "CompanyID"},
         {{"Acme Ltd - Leeds", "12.5", "info@acme.example", "2008-02-01 00:00:00", "North", "TAG-1", "C001 "},
          {"O'Brien Ltd - York", std::nullopt, std::nullopt, std::nullopt, "  ", std::nullopt, "C002"}},
         {200, 200, 200, kTimeStamp, 200, 200, 200}});
    source.answerStartingWith("Select [Departments].DeptID", {{"DeptID"}, {{"D10"}, {"D20"}}});
    source.answerStartingWith(
        "Select distinct [Departments].[DeptName]",
        {{"XFR1", "XFR2", "XFR3", "XFR4", "XFR5", "DeptID", "CompanyID"},
         {{"Sales", "Mary Major", "1234.5", "Quarterly \"targets\"", "http://sales.example/o'neil", "D10", " C001 "},
          {"Support", std::nullopt, "99.99", std::nullopt, std::nullopt, "D20 ", "C002"}}});
    source.answerStartingWith("Select [Contacts].ContactID", {{"ContactID"}, {}, {kInteger}});
    source.answerStartingWith("Select distinct [Contacts].[FullName]",
                              {{"XFR1", "XFR2", "ContactID", "DeptID"}, {}});

    // The contacts' source returns no rows at all: none of the recorded contacts is moved.
    run.start({"No items of level 3 (Contact) were moved: the source database returned no rows for that level."});
    // The procedures run as long as they need; every other statement keeps its timeout.
    for (std::size_t i = 0; i < destination.executed.size(); ++i) {
        bool procedure = destination.executed[i].rfind("XFR_Update_", 0) == 0;
        EXPECT_EQ(destination.executedTimeouts[i], procedure ? 0 : 30) << destination.executed[i];
    }
    run.screen->cmdFinish_Click();
    expectTranscript(name, run.named(name));
}

TEST(MssqlImportRun, HierarchyUpdateRunSendsEveryStatementAsWritten) { hierarchyUpdateRun("run1", 60000); }

TEST(MssqlImportRun, HierarchyUpdateRunComparingTheRecordedKeysItselfSendsEveryStatementAsWritten) {
    hierarchyUpdateRun("run1c", 0);
}

TEST(MssqlImportRun, KnowledgeBaseImportSendsEveryStatementAsWritten) {
    ScriptedImport run("Provider=SQLOLEDB.1;Data Source=KBSRV;Initial Catalog=KB");
    wizard::Context& context = run.context;
    context.KBImport = true;
    context.KBCategoryID = 12;
    context.Gstructures = {{}, level("KB", "", "", 0, 0)};

    ScriptedConnection& destination = *run.destination;
    destination.answerStartingWith("SET NOCOUNT ON; Insert Into XFRTranLog", {{"ID"}, {{"1"}}});
    scriptLevel(destination, 1,
                {{"Articles", "Problem", "KNOWLEDGE", "KBDetails", "1"},
                 {"Articles", "Fix", "KNOWLEDGE", "KBReso", "1"},
                 {"Articles", "Title", "KNOWLEDGE", "KBSummary", "1"}},
                {{"1", "1", "Articles", "Status", "=         ", "Published", "0", "0"}});
    destination.answerStartingWith("SELECT count(*) FROM KNOWLEDGE", {{"n"}, {{"40"}}});
    destination.answerStartingWith("SELECT count(*) FROM KNOWLEDGE", {{"n"}, {{"41"}}});
    destination.answerStartingWith("SELECT count(*) FROM XFRTransfer", {{"n"}, {{"1"}}});
    run.source->answerStartingWith("Select count(*) as CT", {{"CT"}, {{"1"}}});
    run.source->answerStartingWith("Select [Articles].[Problem]",
                                   {{"XFR1", "XFR2", "XFR3"},
                                    {{"The printer jams when printing more than fifty pages",
                                      " Open tray 2 and remove the sheet ", "Paper jam on \"Tray 2\""}}});

    run.start();
    expectTranscript("run2", run.named("run2"));
}

TEST(MssqlImportRun, KestrixSourceSendsEveryStatementAsWritten) {
    ScriptedImport run("Provider=SQLOLEDB.1;Data Source=SCANSRV;Initial Catalog=KESTRIX;User ID=sa;Password=pw;");
    wizard::Context& context = run.context;
    context.Gstructures = {{},
                           level("PC", "[PCs].[PCName]", "", 0, 6),
                           level("Software", "[Software].[SoftwareID]", "[Software].[PCName]", 1, 8)};
    context.GenParent = 2000;
    context.UpdateMode = 2;
    context.UpdateImportID = 42;
    context.SourceCol = "Alpha2";
    context.DestinCol = "Alpha1";
    context.StyleID = 2;

    ScriptedConnection& destination = *run.destination;
    destination.answerStartingWith("Select ciidid from xfrhash", kExists);
    destination.answerStartingWith("Select id from xfrtranlog", kExists);
    destination.answerStartingWith("Select UpdateImportID from xfrtranlog", kExists);
    destination.answerStartingWith("SET NOCOUNT ON; Insert Into XFRTranLog", {{"ID"}, {{"43"}}});
    destination.answerStartingWith("Select UpdateImportID from XFRTranLog where ID", {{"UpdateImportID"}, {{"0"}}});
    scriptLevel(destination, 1,
                {{"PCs", "PCName", "CIID", "Alpha1", "1"},
                 {"PCs", "Generation_Phonebook", "CIID", "Alpha2", "1"},
                 {"ScanSchedule", "NextScan", "CIID", "Alpha3", "1"}});
    scriptLevel(destination, 2, {{"Software", "Title", "CIID", "Alpha1", "1"}});
    destination.answerStartingWith("Select distinct XFRID as LstWoop From XFRHash where importid = 42 and StructureID = 1",
                                   {{"LstWoop"}, {{"PC-01"}}});
    destination.answerStartingWith("Select distinct XFRID as LstWoop From XFRHash where importid = 42 and StructureID = 2",
                                   {{"LstWoop"}, {{"S1"}}});
    destination.answerStartingWith(
        "Select ciid.id, ciid.Alpha2",
        {{"id", "Alpha2", "parent"},
         {{"801", "ACME\\Sales\\PC-01", "2000"}, {"802", "Standalone\\PC-02", "2000"}, {"803", "\\PC-03", "2000"}}});
    destination.answerStartingWith("Select top 1 id from ciid", {{"id"}, {{"950"}}});
    destination.answerStartingWith("Select top 1 id from ciid", {{"id"}, {}});
    destination.answerStartingWith("SELECT StructureID, count(*) FROM XFRTransfer", {{"l", "n"}, {{"1", "1"}, {"2", "1"}}});
    destination.answerStartingWith("SELECT h.StructureID", {{"l", "n", "d"}, {{"1", "1", "1"}, {"2", "1", "1"}}});

    ScriptedConnection& source = *run.source;
    source.answerStartingWith("Select count(*) as NoKey", {{"NoKey"}, {{"0"}}});
    source.answerStartingWith("Select count(*)  From", {{"n"}, {{"0"}}});
    source.answerStartingWith("Select count(*) as CT", {{"CT"}, {{"1"}}});
    source.answerStartingWith("Select [PCs].PCName", {{"PCName"}, {{"PC-01"}}});
    source.answerStartingWith("Select [PCs].[PCName] as XFR1",
                              {{"XFR1", "XFR2", "XFR3", "PCName"},
                               {{"PC-01", "ACME\\Sales\\PC-01", "2024-05-06 07:08:09", "PC-01"}},
                               {200, 200, kTimeStamp, 200}});
    source.answerStartingWith("Select [Software].SoftwareID", {{"SoftwareID"}, {{"S1"}}});
    // A program of a PC the source does not hold is left out and said.
    source.answerStartingWith("Select count(*)  From [Software], [TopScan] Where 1 = 1", {{"n"}, {{"2"}}});
    source.answerStartingWith("Select [Software].[SoftwareID], [Software].[PCName]", {{"k", "u"}, {{"S9", "PC-99"}}});
    source.answerStartingWith("Select [Software].[Title]", {{"XFR1", "SoftwareID", "PCName"}, {{"Office 2019", "S1", "PC-01"}}});

    run.start();
    expectTranscript("run3", run.named("run3"));
}

TEST(MssqlImportRun, LatestSessionDeletesTrailingSessionsWithoutItems) {
    struct Case {
        std::string name;
        std::string mapFile;
        std::vector<std::string> latest;  // successive answers of the newest session
        std::vector<std::pair<std::string, std::string>> itemCounts;
        std::int32_t expected;
        std::vector<std::string> legacy = {"0"};  // the same for sessions that name no mapping
    };
    const std::vector<Case> cases = {
        {"latest", "", {"44", "43"}, {{"44", "0"}, {"43", "5"}}, 43},
        {"latestNone", "", {"0"}, {}, 0},
        // Only sessions of the mapping; where none has items, those recorded before mappings were.
        {"latestMapped", "/srv/jobs/Nightly.XFO", {"52", "0"}, {{"52", "0"}, {"31", "9"}}, 31, {"31"}},
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.name);
        wizard::Context context;
        auto server = std::make_unique<ScriptedConnection>();
        Transcript transcript = server->transcript;
        server->answerStartingWith("Select id from xfrtranlog", kExists);
        server->answerStartingWith("Select UpdateImportID from xfrtranlog", kExists);
        server->answerStartingWith("Select MapFile from xfrtranlog", kExists);
        const std::string newest = "Select isnull(max(id),0) as ID from XFRTranLog";
        for (const std::string& id : entry.latest) {
            server->answerStartingWith(newest + (entry.mapFile.empty() ? "" : " where upper"), {{"ID"}, {{id}}});
        }
        for (const std::string& id : entry.legacy) server->answerStartingWith(newest + " where MapFile", {{"ID"}, {{id}}});
        for (const auto& [id, count] : entry.itemCounts) {
            server->answerStartingWith("Select count(*) cid from XFRHash WHERE ImportID = " + id, {{"cid"}, {{count}}});
        }
        context.DestinationConnection = std::move(server);
        context.destinationDialect = db::makeDestinationDialect(db::DestinationDialect::Kind::Mssql);
        test::RecordingReporter reporter;

        EXPECT_EQ(UT_GET_LATEST_Transaction_ImportID(context, reporter, entry.mapFile), entry.expected);
        EXPECT_TRUE(reporter.reports.empty());
        std::map<std::string, std::string> named;
        addNamed(named, entry.name + ".destination", transcript);
        expectTranscript(entry.name, named);
    }
}

}  // namespace
}  // namespace koru::import
