#include "import/mssql_procedures.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/statement_fixtures.h"

namespace koru::import {
namespace {

// The text as the server parses it: comments and string literals blanked out, lower case
// unless asked (names of variables compare without case, as under the server's default collation).
std::string codeOf(const std::string& text, bool keepCase = false) {
    std::string code;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "--") == 0) {
            while (i < text.size() && text[i] != '\n') ++i;
            code += '\n';
        } else if (text[i] == '\'') {
            std::size_t close = text.find('\'', i + 1);
            i = close == std::string::npos ? text.size() : close;
            code += "''";
        } else {
            code += keepCase ? text[i] : static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        }
    }
    return code;
}

std::vector<std::string> linesOf(const std::string& code) {
    std::vector<std::string> lines;
    std::istringstream in(code);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> matches(const std::string& text, const std::string& pattern,
                                 int group = 0) {
    std::vector<std::string> found;
    std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
         ++it) {
        found.push_back((*it)[group].str());
    }
    return found;
}

std::size_t countOf(const std::string& text, const std::string& pattern) {
    return matches(text, pattern).size();
}

// Parameters (between the procedure name and AS) and DECLAREd variables, with their types.
std::map<std::string, std::string> declaredVariables(const std::string& code) {
    std::map<std::string, std::string> declared;
    bool inParameters = false;
    for (const std::string& line : linesOf(code)) {
        if (line.find("create procedure") != std::string::npos) inParameters = true;
        if (std::regex_match(line, std::regex(R"(\s*as\s*)"))) inParameters = false;
        std::smatch declaration;
        std::string list;
        if (std::regex_match(line, declaration, std::regex(R"(\s*declare\s+(@.*))"))) {
            list = declaration[1];
        } else if (inParameters) {
            list = line;
        }
        std::stringstream pieces(list);
        for (std::string piece; std::getline(pieces, piece, ',');) {
            std::smatch variable;
            if (!std::regex_search(piece, variable, std::regex(R"((@\w+)\s+(\w+\s*(\((\d+|max)\))?))"))) {
                continue;
            }
            std::string type = std::regex_replace(variable[2].str(), std::regex(" "), "");
            EXPECT_TRUE(declared.emplace(variable[1], type).second)
                << variable[1] << " declared twice";
        }
    }
    return declared;
}

TEST(MssqlProcedures, TextsMatchTheirFixturesCharacterForCharacter) {
    std::map<std::string, std::string> actual;
    test::addNumbered(actual, "Create_XFR_SPs.drop", mssqlProcedureDrops());
    test::addNumbered(actual, "Create_XFR_SPs.create", mssqlProcedureCreations());
    test::expectStatementFixture("mssql/procedures.tsv", actual);
}

TEST(MssqlProcedures, ProceduresAreBalancedDeclaredAndBuildStatementsInUnboundedUnicodeText) {
    for (const std::string& text : mssqlProcedureCreations()) {
        const std::string code = codeOf(text);
        const std::string name = matches(code, R"(create procedure \[dbo\]\.\[(\w+)\])", 1).at(0);
        SCOPED_TRACE(name);

        int depth = 0;
        for (const std::string& word : matches(code, R"(\b(begin|end)\b)")) {
            depth += word == "begin" ? 1 : -1;
            ASSERT_GE(depth, 0) << "END without BEGIN";
        }
        EXPECT_EQ(depth, 0) << "BEGIN without END";

        // A local cursor goes with the batch that an error aborts.
        std::vector<std::string> cursors = matches(code, R"(declare (\w+) cursor local for)", 1);
        ASSERT_EQ(cursors.size(), 1u);
        EXPECT_EQ(countOf(code, R"(declare \w+ cursor\b)"), 1u);
        const std::string& cursor = cursors[0];
        EXPECT_EQ(countOf(code, "\\bopen " + cursor + "\\b"), 1u);
        EXPECT_EQ(countOf(code, "\\bclose " + cursor + "\\b"), 1u);
        EXPECT_EQ(countOf(code, "\\bdeallocate " + cursor + "\\b"), 1u);
        EXPECT_LT(code.find("open " + cursor), code.find("while @@fetch_status = 0"));
        EXPECT_LT(code.rfind("close " + cursor), code.rfind("deallocate " + cursor));
        std::string selectList =
            matches(code, R"(cursor local for\s+select\s+(distinct\s+)?([\s\S]*?)\s+from\s)", 2).at(0);
        std::vector<std::string> fetches =
            matches(code, "fetch next from " + cursor + " into ([^\\r\\n]*)", 1);
        ASSERT_EQ(fetches.size(), 2u) << "one fetch before the loop, one at its end";
        for (const std::string& into : fetches) {
            EXPECT_EQ(into, fetches[0]);
            EXPECT_EQ(countOf(into, "@\\w+"), countOf(selectList, ",") + 1)
                << "columns and variables differ";
        }

        std::map<std::string, std::string> declared = declaredVariables(code);
        for (const std::string& used : matches(code, R"(@@?\w+)")) {
            if (used.starts_with("@@")) continue;
            EXPECT_TRUE(declared.count(used)) << used << " is neither declared nor a parameter";
        }

        // Every text run, and every text appended to one, was built in an unbounded variable,
        // and every one built is run.
        std::set<std::string> built;
        for (const auto& [variable, type] : declared) {
            if (type == "nvarchar(max)") built.insert(variable);
        }
        std::set<std::string> run;
        for (const std::string& argument :
             matches(code, R"(\bexec\s*\(([^)]*)\)|\bexec sp_executesql (@\w+))", 0)) {
            for (const std::string& variable : matches(argument, R"(@\w+)")) run.insert(variable);
        }
        for (const std::string& assignment : matches(code, R"(set (@\w+) = \1 \+ (@\w+))", 0)) {
            std::vector<std::string> both = matches(assignment, R"(@\w+)");
            if (run.count(both[0])) run.insert(both[2]);
        }
        EXPECT_EQ(run, built);
        // A text that takes in a 4000-character value must grow from an unbounded one, or the
        // server cuts the sum at 4000 characters.
        for (const std::string& assignment : matches(code, R"(set @\w+ = [^\r\n]*)")) {
            std::vector<std::string> used = matches(assignment, R"(@\w+)");
            if (!run.count(used[0])) continue;
            for (const std::string& variable : used) {
                if (declared[variable] == "nvarchar(4000)") {
                    EXPECT_TRUE(built.count(used.at(1))) << assignment;
                }
            }
        }
    }
}

// On a server with a case-sensitive collation, @ciidid and @CiidID are two variables.
TEST(MssqlProcedures, EachVariableIsSpelledOneWay) {
    for (const std::string& text : mssqlProcedureCreations()) {
        std::map<std::string, std::set<std::string>> spellings;
        for (const std::string& name : matches(codeOf(text, true), R"(@@?\w+)")) {
            if (!name.starts_with("@@")) spellings[codeOf(name)].insert(name);
        }
        for (const auto& [name, spelt] : spellings) {
            EXPECT_EQ(spelt.size(), 1u) << *spelt.begin() << " is spelt " << spelt.size() << " ways";
        }
    }
}

}  // namespace
}  // namespace koru::import
