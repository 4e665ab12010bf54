#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "app/command_line.h"
#include "support/fuzz.h"
#include "support/temp_home.h"

namespace koru::app {
namespace {

const std::vector<std::string> kKeys = {"/MapFile=", "/Product=", "/UserID=", "/Password=", "/Update=", "/Database="};
const std::vector<std::string> kPieces = {
    "/MapFile=", "/Product=", "/UserID=", "/Password=", "/Update=", "/Database=", "/mapfile=", "'", "''", " ", "=",
    "/", "--", "map.xfo", "sub\\map.xfo", "tickora", "TICKORA", "2", " 2 ", "10", "-", "import user"};
// Value text: no quote, and nothing that reads as a key.
const std::vector<std::string> kValuePieces = {"map", ".xfo", "sub\\", "a b", "2", "-", "=", "/", "\xC3\xA9", "x"};

std::string valueText(test::Fuzz& fuzz) {
    std::string value = fuzz.text(kValuePieces, 5, 8);
    std::erase(value, '\'');
    return value;
}

TEST(CommandLineFuzz, ValuesComeBackAsWrittenAndAnyLineIsReadWithoutHarm) {
    test::Fuzz fuzz;
    test::TempHome home;
    std::ofstream(home.path() / "map.xfo") << "x";
    while (fuzz.next()) {
        // Written by a user or a shell: each key once, quoted or not, among other arguments.
        std::vector<std::string> arguments;
        std::map<std::string, std::string> written;
        std::vector<std::string> keys = kKeys;
        std::shuffle(keys.begin(), keys.end(), fuzz.random());
        bool lastQuoted = false;
        for (const std::string& key : keys) {
            if (fuzz.oneIn(3)) continue;
            std::string value = valueText(fuzz);
            if (key == "/Password=") value = "S3cr3t#" + value;
            bool quoted = fuzz.oneIn(2) || value.empty();
            written[key] = value;
            std::string argument = key + (quoted ? "'" + value + "'" : value);
            if (lastQuoted && fuzz.oneIn(3)) {
                arguments.back() += " " + argument;  // several keys in one argument
            } else {
                arguments.push_back(argument);
            }
            lastQuoted = quoted;
        }
        std::string line;
        for (const std::string& argument : arguments) line += "[" + argument + "]";
        SCOPED_TRACE(fuzz.where() + ": " + line);
        CommandLine commandLine(arguments);
        for (const std::string& key : kKeys) {
            std::string value = "untouched";
            ASSERT_TRUE(commandLine.UT_Get_Command_Parameter(key, value));
            ASSERT_EQ(value, written.count(key) ? written[key] : "untouched") << key;
        }

        // Anything at all: the parameters are read or refused, and a refusal never shows the
        // password, whatever place it took on the line.
        std::vector<std::string> anything;
        std::size_t form = fuzz.below(3);
        if (form == 0) {
            for (std::size_t n = fuzz.below(5); n > 0; --n) anything.push_back(fuzz.text(kPieces, 6));
        } else if (form == 1) {
            anything = arguments;
        } else {
            // All in one argument, as the README shows it; unquoted values then run on.
            anything = {commandLine.raw()};
        }
        std::string password;
        CommandLine(anything).UT_Get_Command_Parameter("/Password=", password);
        std::ostringstream err;
        std::optional<UnattendedParameters> accepted;
        ASSERT_NO_THROW(accepted = readUnattendedParameters(CommandLine(anything), err));
        if (accepted) {
            ASSERT_TRUE(std::filesystem::is_regular_file(accepted->mapFile));
            std::string update = accepted->update.substr(accepted->update.find_first_not_of(' '));
            ASSERT_TRUE(update[0] >= '0' && update[0] <= '3' && update.find_first_not_of(' ', 1) == std::string::npos)
                << accepted->update;
            ASSERT_EQ(accepted->password, password);
        } else {
            std::string said = err.str();
            std::size_t value = said.find(", VALUE=");
            ASSERT_NE(value, std::string::npos) << said;
            std::string shown = said.substr(value + 8, said.size() - 9 - value);  // the value, up to the line end
            if (!password.empty()) {
                ASSERT_EQ(shown.find(password), std::string::npos) << said;
            }
            if (form > 0) {
                ASSERT_EQ(said.find("S3cr3t#"), std::string::npos) << said;
            }
        }
    }
    // Every refusal was logged as it was said.
    ASSERT_EQ(home.read("XFRLog.log").find("S3cr3t#"), std::string::npos);
}

TEST(CommandLine, PasswordArgumentsAreOverwrittenInPlace) {
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> hidden;
    } cases[] = {
        {{"/MapFile=m.xfo", "/Password=secret", "/Update=0"}, {"/MapFile=m.xfo", "/Password=******", "/Update=0"}},
        {{"/Password='p w' /Update='0'"}, {"/Password='***' /Update='0'"}},
        // A quoted value that the shell split goes on into the next argument.
        {{"/Password='p", "w'", "/Update=0"}, {"/Password='*", "*'", "/Update=0"}},
        {{"/UserID=me /Password=x /Update=2"}, {"/UserID=me /Password=***********"}},
        {{"/password=kept", "/Password=''"}, {"/password=kept", "/Password=''"}},
        {{"--history", "/Product=tickora"}, {"--history", "/Product=tickora"}},
    };
    for (Case& c : cases) {
        std::vector<char*> argv = {const_cast<char*>("koru")};
        for (std::string& argument : c.arguments) argv.push_back(argument.data());
        hidePasswordArguments(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(c.arguments, c.hidden);
    }
    EXPECT_EQ(withoutPassword("gone.xfo /Password=abc /Update=1", ""), "gone.xfo /Password=*****");
    EXPECT_EQ(withoutPassword("X /PASSWORD='ABC' abc", "abc"), "X /PASSWORD='ABC' *****");
    EXPECT_EQ(withoutPassword("/Password=''", ""), "/Password=''");
}

}  // namespace
}  // namespace koru::app
