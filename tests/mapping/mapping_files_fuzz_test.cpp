#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "mapping/mapping_checks.h"
#include "mapping/mapping_file_format.h"
#include "mapping/mapping_files.h"
#include "support/embedded_destination.h"
#include "support/files.h"
#include "support/temp_home.h"
#include "wizard/headless_dialogs.h"

namespace koru::mapping {
namespace {

namespace fs = std::filesystem;

// Random text built from the pieces the file format is made of, and a few it must survive.
std::string randomLine(std::mt19937& random) {
    static const std::vector<std::string> pieces = {
        ",,", ",", ", ", "'", "''", " ", "'True'", "'False'", "1", "42", "-7", "99999999999", "Company",
        "[Contacts].[CoID]", "TEXTSEP", ";", "=", "GenParent=", "StyleID=", "Distinct=", "\r", "\n", "\t",
        "\xC3\xA9", "\xE9", "\xFF", std::string(1, '\0'), std::string(300, 'x'), "'); delete from CIID; --",
        "<>1 or 1<>", "Alpha1 from ciid --", "like", "Alpha1", "SourceCol=", "[", "]", "."};
    std::uniform_int_distribution<std::size_t> count(0, 24);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::string line;
    for (std::size_t n = count(random); n > 0; --n) line += pieces[pick(random)];
    return line;
}

TEST(MappingFilesFuzz, LineFunctionsTakeAnyText) {
    std::mt19937 random(20261206);
    for (int i = 0; i < 100000; ++i) {
        std::string line = randomLine(random);
        int fields = UT_Count_TXTFile_Parameters(line);
        ASSERT_GE(fields, 1);
        ASSERT_EQ(UT_ParamsOnLine(line), fields);
        for (int n = 0; n <= fields + 1; ++n) {
            std::string field = Read_From_File(line, n);
            ASSERT_LE(field.size(), line.size());
            fieldValue(field, n == 1);
            integerColumnValue(field);
        }
        std::string upgraded = upgradeOlderLine(line);
        ASSERT_GE(upgraded.size(), line.size());
        try {
            parseParentFile(line);
        } catch (const std::invalid_argument&) {
        }
    }
}

TEST(MappingFilesFuzz, TheLoaderRefusesOrLoadsButNeverBreaks) {
    test::TempHome home;
    test::EmbeddedDestination destination;
    wizard::Context context;
    context.DestinationConnection = destination.connect();
    context.Unattended = true;
    std::ostringstream shown;
    wizard::HeadlessDialogs dialogs(shown);
    test::RecordingReporter reporter;
    MappingFiles files(context, dialogs, reporter);
    std::mt19937 random(7);
    const fs::path fixtures = fs::path(KORU_FIXTURES_DIR) / "mapping";
    const char* suffixes[] = {"-XFRClause.xft", "-XFRTableLinks.xft", "-XFRStructure.xft", "-XFRMappings.xft",
                              "-XFRParent.xft"};
    std::uniform_int_distribution<int> whichFile(0, 4);
    std::uniform_int_distribution<int> howMuch(0, 3);
    int loaded = 0;
    for (int round = 0; round < 500; ++round) {
        std::string base = (home.path() / ("set" + std::to_string(round))).string();
        for (const char* suffix : suffixes) {
            fs::copy_file(fixtures / (std::string("Customers") + suffix), base + suffix);
        }
        // Damage one file: replace a line, append garbage, or cut it.
        std::string target = base + suffixes[whichFile(random)];
        std::string content = test::rawFile(target);
        switch (howMuch(random)) {
            case 0: content = randomLine(random) + "\r\n" + content; break;
            case 1: content += randomLine(random); break;
            case 2: content = content.substr(0, content.size() / 2) + randomLine(random); break;
            default: content = randomLine(random); break;
        }
        test::writeFile(target, content);
        bool ok = false;
        ASSERT_NO_THROW(ok = files.UT_Load_Mappings_To_TXT(base + ".xfo")) << content;
        loaded += ok ? 1 : 0;
        if (ok) {
            // Whatever loads holds only what the checks let through.
            auto rows = context.DestinationConnection->query("SELECT Operator FROM XFRClause");
            while (rows->next()) ASSERT_TRUE(clauseOperator(rows->value(std::size_t{0}).value_or(""))) << content;
            rows = context.DestinationConnection->query("SELECT ULink, DLink FROM XFRStructure");
            while (rows->next()) {
                for (std::size_t i : {0u, 1u}) {
                    std::string link = rows->value(i).value_or("");
                    ASSERT_TRUE(link.empty() || isLinkColumn(link)) << content;
                }
            }
            ASSERT_TRUE(context.SourceCol.empty() || ciidParentColumn(context.SourceCol)) << content;
        }
        for (const char* table : {"XFRStructure", "XFRMappings", "XFRClause", "XFRTableLink"}) {
            context.DestinationConnection->execute(std::string("DELETE FROM ") + table);
        }
    }
    EXPECT_GT(loaded, 0);  // some damage leaves a set that still loads
    EXPECT_LT(loaded, 500);
    // Each refusal is either an error report (a malformed file) or a message (a value refused).
    std::size_t refused = 0;
    for (std::size_t at = 0; (at = shown.str().find("The mapping was not loaded: ", at)) != std::string::npos; ++at) {
        ++refused;
    }
    EXPECT_EQ(reporter.reports.size() + refused, static_cast<std::size_t>(500 - loaded));
    for (const auto& report : reporter.reports) EXPECT_EQ(report.message.rfind("Error Loading ", 0), 0u);
    // The product's own rows were never touched.
    EXPECT_EQ(test::rowsOf(*context.DestinationConnection, "SELECT count(*) FROM CIID"), "3\n");
}

}  // namespace
}  // namespace koru::mapping
