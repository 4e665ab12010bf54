#include "app/command_line.h"

#include <gtest/gtest.h>

#include <sstream>

#include <fstream>

#include "support/temp_home.h"

namespace koru::app {
namespace {

std::string parameter(const std::vector<std::string>& arguments, std::string_view key) {
    std::string value;
    EXPECT_TRUE(CommandLine(arguments).UT_Get_Command_Parameter(key, value));
    return value;
}

TEST(CommandLine, QuotedValuesRunToTheirClosingQuote) {
    // One argument holding quotes, as a Windows shortcut or a quoted shell word delivers it.
    std::vector<std::string> quoted = {"/MapFile='sub\\map.xfo' /UserID='import user' /Update=' 2 '"};
    EXPECT_EQ(parameter(quoted, "/MapFile="), "sub\\map.xfo");
    EXPECT_EQ(parameter(quoted, "/UserID="), "import user");
    EXPECT_EQ(parameter(quoted, "/Update="), " 2 ");
    EXPECT_EQ(parameter(quoted, "/Database="), "");
    // A value without its closing quote is empty.
    EXPECT_EQ(parameter({"/Password='secret"}, "/Password="), "");
    // Keys are case-sensitive.
    EXPECT_EQ(parameter({"/mapfile='x.xfo'"}, "/MapFile="), "");
    EXPECT_EQ(CommandLine({"/A='1'", "/B='2'"}).raw(), "/A='1' /B='2'");
}

TEST(CommandLine, ValuesWhoseQuotesTheShellRemovedRunToTheEndOfTheirArgument) {
    std::vector<std::string> stripped = {"/Database=Sales", "/UserID=import user", "/Update="};
    EXPECT_EQ(parameter(stripped, "/Database="), "Sales");
    EXPECT_EQ(parameter(stripped, "/UserID="), "import user");
    EXPECT_EQ(parameter(stripped, "/Update="), "");
    // Mixed forms on one line.
    std::vector<std::string> mixed = {"/Product=tickora", "/Password='p w'"};
    EXPECT_EQ(parameter(mixed, "/Product="), "tickora");
    EXPECT_EQ(parameter(mixed, "/Password="), "p w");
}

class UnattendedParametersTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_home.path() / "sub");
        std::ofstream(m_home.path() / "map.xfo") << "x";
        std::ofstream(m_home.path() / "sub" / "map.xfo") << "x";
    }
    std::optional<UnattendedParameters> read(std::string line) {
        return readUnattendedParameters(CommandLine({std::move(line)}), err);
    }
    std::string log() const { return m_home.read("XFRLog.log"); }

    test::TempHome m_home;
    std::ostringstream err;
};

TEST_F(UnattendedParametersTest, AcceptsAValidLineAndDefaultsTheDatabase) {
    auto parameters = read("/MapFile='sub\\map.xfo' /Product='tickora' /UserID='import user' "
                           "/Password='pw' /Update=' 2 '");
    ASSERT_TRUE(parameters);
    EXPECT_TRUE(std::filesystem::is_regular_file(parameters->mapFile));
    EXPECT_EQ(parameters->mapFile, m_home.path() / "sub" / "map.xfo");
    EXPECT_EQ(parameters->product, "tickora");
    EXPECT_EQ(parameters->userId, "import user");
    EXPECT_EQ(parameters->update, " 2 ");
    EXPECT_EQ(parameters->database, "TICKORDB");
    EXPECT_EQ(log(), "<missing>");
}

TEST_F(UnattendedParametersTest, RefusesAMissingMappingFile) {
    EXPECT_FALSE(read("/MapFile='missing.xfo' /Update='0'"));
    EXPECT_NE(log().find("Incorrect parameter passed, Arguement=MapFile, VALUE=missing.xfo"),
              std::string::npos);
    // The user at the terminal is told too.
    EXPECT_EQ(err.str(), "koru: Incorrect parameter passed, Arguement=MapFile, VALUE=missing.xfo\n");
    // Blanks only: not an empty command line, and no mapping file.
    EXPECT_FALSE(read("   "));
    EXPECT_NE(log().find("Incorrect parameter passed, Arguement=MapFile, VALUE="), std::string::npos);
    // An absolute path is taken as it stands.
    std::string absolute = (m_home.path() / "sub" / "map.xfo").string();
    auto parameters = read("/MapFile='" + absolute + "' /Update='0'");
    ASSERT_TRUE(parameters);
    EXPECT_EQ(parameters->mapFile, absolute);
    // A folder is not a mapping file.
    EXPECT_FALSE(read("/MapFile='sub' /Update='0'"));
}

TEST_F(UnattendedParametersTest, UpdateMustBeOneDigitFromZeroToThree) {
    for (const char* refused : {"10", "", "4", "-", "+", ".", "a"}) {
        SCOPED_TRACE(refused);
        EXPECT_FALSE(read(std::string("/MapFile='map.xfo' /Update='") + refused + "'"));
        EXPECT_NE(log().find(std::string("Incorrect parameter passed, Arguement=Update, VALUE=") +
                             refused),
                  std::string::npos);
    }
    for (const char* accepted : {"0", "3", " 2 "}) {
        SCOPED_TRACE(accepted);
        EXPECT_TRUE(read(std::string("/MapFile='map.xfo' /Update='") + accepted + "'"));
    }
    // The untrimmed value is logged.
    EXPECT_FALSE(read("/MapFile='map.xfo' /Update=' 7 '"));
    EXPECT_NE(log().find("Arguement=Update, VALUE= 7 "), std::string::npos);
}

}  // namespace
}  // namespace koru::app
