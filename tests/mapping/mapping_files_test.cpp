#include "mapping/mapping_files.h"

#include "mapping/mapping_file_format.h"

#include <gtest/gtest.h>

#include "support/embedded_destination.h"
#include "support/files.h"
#include "support/recording_reporter.h"
#include "support/temp_home.h"
#include "wizard/scripted_dialogs.h"

namespace koru::mapping {
namespace {

namespace fs = std::filesystem;
using wizard::MsgResult;

const fs::path kFixtures = fs::path(KORU_FIXTURES_DIR) / "mapping";
const char* kSetFiles[] = {"-XFRClause.xft", "-XFRTableLinks.xft", "-XFRStructure.xft", "-XFRMappings.xft",
                           "-XFRParent.xft"};

class MappingFilesTest : public ::testing::Test {
protected:
    MappingFilesTest() {
        context.DestinationConnection = destination.connect();
        folder = home.path() / "saved maps";  // a path with a blank
        fs::create_directories(folder);
    }

    db::Connection& repository() { return *context.DestinationConnection; }

    // The mapping of the fixture set "Customers", entered as the editors would.
    void enterCustomersMapping() {
        db::Connection& c = repository();
        c.execute("INSERT INTO XFRStructure (ID, Name, DLink, DLinkID) VALUES (1, 'Company', '[Company].[CoID]', 2)");
        c.execute("INSERT INTO XFRStructure (ID, Name, ULink, ULinkID, ULinkNumeric, DLink) "
                  "VALUES (2, 'Contacts', '[Contacts].[CoID]', 1, 0, '[Contacts].[ContactID]')");
        c.execute("INSERT INTO XFRMappings (StructureID, SourceTable, SourceColumn, DestinTable, DestinColumn, Level) "
                  "VALUES (1, 'Company', 'CoName', 'CIID', 'Alpha1', 1), (2, 'Contacts', 'FirstName', 'CIID', 'Alpha1', 1), "
                  "(2, NULL, NULL, 'TEXTSEP', ' ', 2), (2, 'Contacts', 'LastName', 'CIID', 'Alpha1', 3), "
                  "(2, 'Contacts', 'Email', 'CIID', 'EmailID', 1)");
        c.execute("INSERT INTO XFRClause (StructureID, SourceTable, SourceColumn, Operator, Criteria, StrucOrder, "
                  "AndClause) VALUES (2, 'Contacts', 'Region', '<>', 'North', 1, 1), "
                  "(2, 'Contacts', 'Name', 'like', '%an%', 0, 0)");
        c.execute("INSERT INTO XFRTableLink (StructureID, sourceTable, sourceColumn, destinTable, destinColumn) "
                  "VALUES (2, 'Contacts', 'DeptCode', 'Departments', 'Code')");
        context.Gstructures.resize(3);
        context.Gstructures[1].StyleID = 5;
        context.Gstructures[2].StyleID = 3;
        context.GenParent = 3;
        context.SourceCol = "Alpha1";
        context.DestinCol = "Alpha2";
        context.StyleID = 1;
        context.chkSelectDistinct = 1;
    }

    void emptyRepository() {
        for (const char* table : {"XFRStructure", "XFRMappings", "XFRClause", "XFRTableLink"}) {
            repository().execute(std::string("DELETE FROM ") + table);
        }
    }

    std::string repositoryRows() {
        return test::rowsOf(repository(), "SELECT ID, Name, ULink, DLink, ULinkID, ULinkNumeric, DLinkID, StyleID "
                                          "FROM XFRStructure ORDER BY ID") +
               test::rowsOf(repository(), "SELECT StructureID, SourceTable, SourceColumn, DestinTable, DestinColumn, "
                                          "Level FROM XFRMappings ORDER BY ID") +
               test::rowsOf(repository(), "SELECT StructureID, SourceTable, SourceColumn, Operator, Criteria, "
                                          "StrucOrder, AndClause FROM XFRClause ORDER BY ID") +
               test::rowsOf(repository(), "SELECT StructureID, sourceTable, sourceColumn, destinTable, destinColumn "
                                          "FROM XFRTableLink ORDER BY ID");
    }

    std::string copyFixtureSet(const std::string& fixture, const std::string& name) {
        return test::copyMappingSet(fixture, folder, name);
    }

    test::TempHome home;
    test::EmbeddedDestination destination;
    wizard::Context context;
    wizard::ScriptedDialogs dialogs;
    test::RecordingReporter reporter;
    MappingFiles files{context, dialogs, reporter};
    fs::path folder;
};

TEST_F(MappingFilesTest, SavedFilesMatchTheirFormatByteForByte) {
    enterCustomersMapping();
    std::string templatePath = (folder / "Customers.xfo").string();
    dialogs.expectMessage("Data Mappings Saved Successfully");
    ASSERT_TRUE(files.UT_Save_Mappings_To_TXT(templatePath));
    EXPECT_EQ(dialogs.shown().back().icon, wizard::MsgIcon::Exclamation);

    std::string base = (folder / "Customers").string();
    std::string expectedTemplate = test::rawFile(kFixtures / "Customers.xfo");
    for (std::size_t at; (at = expectedTemplate.find("{B}")) != std::string::npos;) expectedTemplate.replace(at, 3, base);
    EXPECT_EQ(test::rawFile(templatePath), expectedTemplate);
    for (const char* suffix : kSetFiles) {
        EXPECT_EQ(test::rawFile(base + suffix), test::rawFile(kFixtures / (std::string("Customers") + suffix))) << suffix;
    }
    // Nothing of the writing is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 6);
}

TEST_F(MappingFilesTest, ReloadReproducesRowsAndParentSettings) {
    enterCustomersMapping();
    // True and False are text in text columns.
    repository().execute("INSERT INTO XFRMappings (StructureID, SourceTable, SourceColumn, DestinTable, DestinColumn, "
                         "Level) VALUES (1, 'Company', 'True', 'CIID', 'Alpha2', 1)");
    repository().execute("INSERT INTO XFRClause (StructureID, SourceTable, SourceColumn, Operator, Criteria, "
                         "StrucOrder, AndClause) VALUES (1, 'True', 'False', '=', 'False', 2, 1)");
    std::string templatePath = (folder / "Customers.xfo").string();
    dialogs.expectMessage("Data Mappings Saved Successfully");
    ASSERT_TRUE(files.UT_Save_Mappings_To_TXT(templatePath));
    emptyRepository();
    context.GenParent = 0;
    context.SourceCol.clear();
    context.DestinCol.clear();
    context.StyleID = 0;
    context.chkSelectDistinct = 0;
    context.EXLAppLinkID = 4;

    dialogs.expectMessage("Data mappings loaded successfully");
    ASSERT_TRUE(files.UT_Load_Mappings_To_TXT(templatePath));
    EXPECT_TRUE(reporter.reports.empty());
    // Nulls of integer and bit columns come back as 0, null texts as empty texts; the style of
    // each level is the one its record had.
    EXPECT_EQ(repositoryRows(),
              "1|Company||[Company].[CoID]|0|0|2|5\n"
              "2|Contacts|[Contacts].[CoID]|[Contacts].[ContactID]|1|0|0|3\n"
              "1|Company|CoName|CIID|Alpha1|1\n"
              "2|Contacts|FirstName|CIID|Alpha1|1\n"
              "2|||TEXTSEP| |2\n"
              "2|Contacts|LastName|CIID|Alpha1|3\n"
              "2|Contacts|Email|CIID|EmailID|1\n"
              "1|Company|True|CIID|Alpha2|1\n"
              "2|Contacts|Region|<>        |North|1|1\n"
              "2|Contacts|Name|like      |%an%|0|0\n"
              "1|True|False|=         |False|2|1\n"
              "2|Contacts|DeptCode|Departments|Code\n");
    EXPECT_EQ(context.GenParent, 3);
    EXPECT_EQ(context.SourceCol, "Alpha1");
    EXPECT_EQ(context.DestinCol, "Alpha2");
    EXPECT_EQ(context.StyleID, 1);
    EXPECT_EQ(context.chkSelectDistinct, 1);
    EXPECT_TRUE(context.Distinct);
    EXPECT_EQ(context.EXLAppLinkID, 0);
}

TEST_F(MappingFilesTest, OlderFilesLoadAndWindowsTextIsRead) {
    std::string templatePath = copyFixtureSet("Legacy", "Legacy");
    context.GenParent = 9;
    context.Unattended = true;  // no success message
    ASSERT_TRUE(files.UT_Load_Mappings_To_TXT(templatePath));
    EXPECT_EQ(repositoryRows(),
              "1|Soci\xC3\xA9t\xC3\xA9||[Company].[CoID]|0|0|0|<null>\n"
              "1|Company|CoName|CIID|Alpha1|1\n"
              "1|Company|Caf\xC3\xA9|CIID|Alpha2|1\n"
              "1|Company|Country|=         |NZ|0|0\n");
    EXPECT_EQ(context.GenParent, 9);  // no parent file: settings unchanged
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(MappingFilesTest, AMissingRequiredFileInsertsNothingAndIsLogged) {
    for (const char* missing : {"-XFRClause.xft", "-XFRStructure.xft", "-XFRMappings.xft"}) {
        SCOPED_TRACE(missing);
        std::string templatePath = copyFixtureSet("Customers", std::string("Set") + missing);
        fs::path missingFile = folder / (std::string("Set") + missing + missing);
        fs::remove(missingFile);
        dialogs.expectMessage("File not found, please select the import file and try again");
        EXPECT_FALSE(files.UT_Load_Mappings_To_TXT(templatePath));
        EXPECT_EQ(repositoryRows(), "");
        EXPECT_NE(test::rawFile(home.path() / "XFRLog.log").find(missingFile.string()), std::string::npos);
    }
    EXPECT_TRUE(reporter.reports.empty());
}

TEST_F(MappingFilesTest, ASetSavedBeforeAnythingWasMappedLoadsAgain) {
    std::string templatePath = (folder / "Empty.xfo").string();
    dialogs.expectMessage("Data Mappings Saved Successfully").expectMessage("Data mappings loaded successfully");
    ASSERT_TRUE(files.UT_Save_Mappings_To_TXT(templatePath));
    ASSERT_TRUE(files.UT_Load_Mappings_To_TXT(templatePath));
    EXPECT_EQ(repositoryRows(), "");
    EXPECT_TRUE(reporter.reports.empty());
}

TEST_F(MappingFilesTest, MalformedFilesAreRefusedAsErrorLoading) {
    struct Case {
        const char* file;
        std::string content;
        bool named = true;  // the report names the file (the server's refusals name none)
    };
    const std::vector<Case> cases = {
        {"-XFRMappings.xft", "x,, 'Company',, 'CoName',, 'CIID',, 'Alpha1',, '1'\r\n"},       // non-numeric level
        {"-XFRMappings.xft", "1,, 'Company',, 'CoName'\r\n"},                                // too few fields
        {"-XFRStructure.xft", "'1 ',, 'Company Name Longer Than Twenty',, '',, '',, '',, '',,'' ,,'0'\r\n", false},
        {"-XFRClause.xft", "'2',, 'Contacts',, 'Region'\r\n"},
        {"-XFRParent.xft", "GenParent=3;SourceCol=;DestinCol=;Distinct=1;"},                 // StyleID= missing
        {"-XFRParent.xft", "GenParent=3;SourceCol=;DestinCol=;StyleID=;Distinct=yes;"},
        {"-XFRStructure.xft", "'1 ',, 'It's',, '',, '',, '',, '',,'' ,,'0'\r\n"},             // a stored quote
        // A raw quote would end the criteria's literal: refused, not doubled.
        {"-XFRClause.xft", "'2',, 'Contacts',, 'Region',, '=',, 'x' or 'a'='a',, '1',, 'True'\r\n"},
    };
    int n = 0;
    for (const Case& bad : cases) {
        SCOPED_TRACE(std::string(bad.file) + ": " + bad.content);
        std::string name = "Bad" + std::to_string(++n);
        std::string templatePath = copyFixtureSet("Customers", name);
        test::writeFile(folder / (name + bad.file), bad.content);
        EXPECT_FALSE(files.UT_Load_Mappings_To_TXT(templatePath));
        ASSERT_FALSE(reporter.reports.empty());
        EXPECT_EQ(reporter.reports.back().message, "Error Loading " + templatePath);
        EXPECT_EQ(reporter.reports.back().location, "UT_Load_Mappings_To_TXT");
        if (bad.named) {
            EXPECT_NE(reporter.reports.back().description.find(name + bad.file), std::string::npos);
        }
        if (std::string(bad.file) != "-XFRStructure.xft") {
            EXPECT_EQ(repositoryRows(), "");  // refused before anything was inserted
        }
        emptyRepository();
    }
    EXPECT_EQ(reporter.reports.size(), cases.size());
}

TEST_F(MappingFilesTest, InjectionThroughAnyFieldIsRefusedAndChangesNothing) {
    const std::string attack = "'x'); delete from CIID; --'";
    std::string before = test::rowsOf(repository(), "SELECT count(*) FROM CIID");
    ASSERT_NE(before, "0\n");
    int attempts = 0;
    for (const char* suffix : {"-XFRClause.xft", "-XFRTableLinks.xft", "-XFRStructure.xft", "-XFRMappings.xft"}) {
        std::string original = test::rawFile(kFixtures / (std::string("Customers") + suffix));
        std::string firstLine = original.substr(0, original.find("\r\n"));
        int fields = UT_Count_TXTFile_Parameters(firstLine);
        for (int field = 1; field <= fields; ++field) {
            // Rebuild the first line with this field replaced by the attack.
            std::string line;
            for (int n = 1; n <= fields; ++n) {
                std::size_t start = 0;
                for (int k = 1; k < n; ++k) start = firstLine.find(",,", start) + 2;
                std::size_t end = firstLine.find(",,", start);
                std::string piece = firstLine.substr(start, end == std::string::npos ? std::string::npos : end - start);
                if (n == field) piece = piece.find_first_not_of(' ') == std::string::npos ? piece : " " + attack;
                line += (n > 1 ? ",," : "") + piece;
            }
            if (line == firstLine) continue;  // the empty field after a table link's last separator
            std::string name = "Attack" + std::to_string(++attempts);
            std::string templatePath = copyFixtureSet("Customers", name);
            test::writeFile(folder / (name + suffix), line + "\r\n");
            SCOPED_TRACE(line);
            EXPECT_FALSE(files.UT_Load_Mappings_To_TXT(templatePath));
            EXPECT_EQ(test::rowsOf(repository(), "SELECT count(*) FROM CIID"), before);
            EXPECT_EQ(repositoryRows(), "");
        }
    }
    EXPECT_GE(attempts, 20);
    EXPECT_EQ(reporter.reports.size(), static_cast<std::size_t>(attempts));
}

// The Customers set with line `line` of one file replaced.
struct ChangedLine {
    const char* file;
    int line;
    std::string text;
    const char* field;  // the field a refusal names
};

std::string withLine(std::string content, int line, const std::string& text) {
    std::size_t start = 0;
    for (int n = 1; n < line; ++n) start = content.find("\r\n", start) + 2;
    std::size_t end = content.find("\r\n", start);
    return content.replace(start, end == std::string::npos ? std::string::npos : end - start, text);
}

TEST_F(MappingFilesTest, HostileValuesAreRefusedNamingFileLineAndFieldAndLoadNothing) {
    const std::string parent = "GenParent=3;SourceCol=Alpha1;DestinCol=Alpha2;StyleID=1;Distinct=1;EXLAppLinkID=0;";
    auto parentWith = [&](const std::string& from, const std::string& to) {
        return parent.substr(0, parent.find(from)) + to + parent.substr(parent.find(from) + from.size());
    };
    const std::vector<ChangedLine> cases = {
        {"-XFRClause.xft", 1, "'2',, 'Contacts',, 'Region',, '<>1 or 1<>',, 'North',, '1',, 'True'", "Operator"},
        {"-XFRClause.xft", 2, "'2',, 'Contacts',, 'Name',, 'in',, '%an%',, '0',, 'False'", "Operator"},
        {"-XFRClause.xft", 2, "'2',, 'Contacts] where 1=1 --',, 'Name',, 'like',, '%an%',, '0',, 'False'", "SourceTable"},
        {"-XFRClause.xft", 1, "'2',, 'Contacts',, 'Region) or (1=1',, '<>',, 'North',, '1',, 'True'", "SourceColumn"},
        {"-XFRStructure.xft", 1, "'1 ',, 'Company',, '',, '[Company].[CoID] from Company; delete from CIID --',, '',, '',,'2' ,,'5'", "DLink"},
        {"-XFRStructure.xft", 2, "'2 ',, 'Contacts',, '[Contacts].[CoID] or 1=1',, '[Contacts].[ContactID]',, '1',, 'False',, '' ,,'3'", "ULink"},
        {"-XFRStructure.xft", 2, "'2 ',, 'Contacts',, 'CoID',, '[Contacts].[ContactID]',, '1',, 'False',, '' ,,'3'", "ULink"},
        // Levels that would silently import nothing below them.
        {"-XFRStructure.xft", 2, "'1 ',, 'Contacts',, '[Contacts].[CoID]',, '[Contacts].[ContactID]',, '1',, 'False',, '' ,,'3'", "ID"},
        {"-XFRStructure.xft", 2, "'2 ',, 'Contacts',, '[Contacts].[CoID]',, '[Contacts].[ContactID]',, '7',, 'False',, '' ,,'3'", "ULinkID"},
        {"-XFRStructure.xft", 2, "'2 ',, 'Contacts',, '',, '[Contacts].[ContactID]',, '1',, 'False',, '' ,,'3'", "ULink"},
        {"-XFRMappings.xft", 5, "2,, 'Contacts',, 'Email',, 'CIID',, 'EmailID, Parent',, '1'", "DestinColumn"},
        {"-XFRMappings.xft", 1, "1,, 'Company',, 'CoName',, 'XFRHash',, 'Alpha1',, '1'", "DestinTable"},
        {"-XFRMappings.xft", 2, "2,, 'Contacts',, 'First--Name',, 'CIID',, 'Alpha1',, '1'", "SourceColumn"},
        {"-XFRTableLinks.xft", 1, "'2',, 'Contacts',, 'DeptCode = 1 or 1',, 'Departments',, 'Code',, ", "SourceColumn"},
        {"-XFRParent.xft", 1, parentWith("Alpha1;", "Alpha1 from ciid --;"), "SourceCol"},
        {"-XFRParent.xft", 1, parentWith("Alpha2;", "Alpha2 or ciid.Alpha2;"), "DestinCol"},
        {"-XFRParent.xft", 1, parentWith("Alpha2;", ";"), "DestinCol"},
    };
    context.GenParent = 77;
    context.SourceCol = "Num1";
    int n = 0;
    for (const ChangedLine& change : cases) {
        SCOPED_TRACE(change.text);
        std::string name = "Hostile" + std::to_string(++n);
        std::string templatePath = copyFixtureSet("Customers", name);
        fs::path changed = folder / (name + change.file);
        test::writeFile(changed, withLine(test::rawFile(changed), change.line, change.text));
        dialogs.expectMessageStartingWith("The mapping was not loaded: " + changed.string() + ", line " +
                                          std::to_string(change.line) + ", field " + change.field + ": ");
        EXPECT_FALSE(files.UT_Load_Mappings_To_TXT(templatePath));
        EXPECT_EQ(dialogs.pending(), 0u);
        EXPECT_EQ(dialogs.shown().back().icon, wizard::MsgIcon::Exclamation);
        EXPECT_EQ(dialogs.shown().back().title, "Veltrane Data Import Utility");
        EXPECT_EQ(repositoryRows(), "");
        EXPECT_EQ(context.GenParent, 77);
        EXPECT_EQ(context.SourceCol, "Num1");
    }
    EXPECT_TRUE(reporter.reports.empty());
}

TEST_F(MappingFilesTest, EverySpellingTheEditorsSavedLoads) {
    const std::vector<ChangedLine> cases = {
        {"-XFRClause.xft", 1, "'2',, 'Contacts',, 'Region',, 'IS NOT    ',, 'NULL',, '1',, 'True'", nullptr},
        {"-XFRClause.xft", 2, "'2',, 'Order Details',, 'Unit Price',, 'Not Like  ',, '%5%',, '0',, 'False'", nullptr},
        {"-XFRStructure.xft", 2, "'2 ',, 'Contacts',, 'Contacts.CoID',, '[Contacts].[Contact ID]',, '1',, 'False',, '' ,,'3'", nullptr},
        {"-XFRParent.xft", 1, "GenParent=3;SourceCol=alpha1;DestinCol= NUM3 ;StyleID=1;Distinct=1;EXLAppLinkID=0;", nullptr},
        // Saved by an editor that writes a byte-order mark first.
        {"-XFRStructure.xft", 1, "\xEF\xBB\xBF'1 ',, 'Company',, '',, '[Company].[CoID]',, '',, '',,'2' ,,'5'", nullptr},
    };
    std::string templatePath = copyFixtureSet("Customers", "Sound");
    for (const ChangedLine& change : cases) {
        fs::path changed = folder / (std::string("Sound") + change.file);
        test::writeFile(changed, withLine(test::rawFile(changed), change.line, change.text));
    }
    context.Unattended = true;
    ASSERT_TRUE(files.UT_Load_Mappings_To_TXT(templatePath));
    EXPECT_EQ(test::rowsOf(repository(), "SELECT SourceTable, SourceColumn, Operator FROM XFRClause ORDER BY ID"),
              "Contacts|Region|IS NOT    \nOrder Details|Unit Price|Not Like  \n");
    EXPECT_EQ(test::rowsOf(repository(), "SELECT ULink, DLink FROM XFRStructure WHERE ID = 2"),
              "Contacts.CoID|[Contacts].[Contact ID]\n");
    // The product's spelling, as the parent dialog lists it.
    EXPECT_EQ(context.SourceCol, "Alpha1");
    EXPECT_EQ(context.DestinCol, "Num3");
}

TEST_F(MappingFilesTest, SavingWhereItMayNotWriteKeepsTheOldSet) {
    enterCustomersMapping();
    // The system folder refuses new files even to root.
    std::string refused = "/sys/Customers.xfo";
    EXPECT_FALSE(files.UT_Save_Mappings_To_TXT(refused));
    ASSERT_EQ(reporter.reports.size(), 1u);
    EXPECT_EQ(reporter.reports[0].message, "Permission denied while over-writing file : " + refused);
    EXPECT_EQ(reporter.reports[0].location, "UT_Save_Mappings_To_TXT");

    // A failure half-way leaves the earlier set as it was.
    std::string templatePath = copyFixtureSet("Legacy", "Keep");
    std::string oldStructure = test::rawFile(folder / "Keep-XFRStructure.xft");
    fs::create_directory(folder / "Keep-XFRParent.xft.koru-new");  // the last file cannot be written
    EXPECT_FALSE(files.UT_Save_Mappings_To_TXT(templatePath));
    EXPECT_EQ(reporter.reports.back().message, "Error Saving " + templatePath);
    EXPECT_EQ(test::rawFile(folder / "Keep-XFRStructure.xft"), oldStructure);
    EXPECT_FALSE(fs::exists(folder / "Keep-XFRStructure.xft.koru-new"));
    EXPECT_TRUE(dialogs.shown().empty());
}

}  // namespace
}  // namespace koru::mapping
