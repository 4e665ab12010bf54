#include "import/level_query.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace koru::import {
namespace {

// What reaches a level's statement from the repository stays a name, an operator or a value,
// whoever changed the repository.
TEST(LevelQuery, ClauseValuesStayLiteralsAndOnlyNamesAndOperatorsAreSpliced) {
    std::vector<wizard::StructureLevel> levels(2);
    levels[1].DLink = "[Company].[CoID]";
    auto dialect = db::makeSourceDialect("Microsoft SQL Server", "\"");
    LevelQueryInput input;
    input.levels = &levels;
    input.dialect = dialect.get();
    input.ordinaryRows = {{0, 1, "Company", "CoName", "CIID", "Alpha1", 1}};
    input.clauses = {{"Company", "Name", "=         ", "O'Hara' or 'a'='a", false},
                     {"Company", "Region", "IS NOT", "null", true}};
    EXPECT_EQ(composeLevelQuery(input).statement,
              "Select [Company].[CoName] as XFR1 , [Company].[CoID] From [Company] Where "
              "([Company].[Name] = "
              "'O''Hara'' or ''a''=''a' or [Company].[Region] IS NOT null ) ");

    input.clauses[1].op = "<>1 or 1<>";
    EXPECT_THROW(composeLevelQuery(input), std::invalid_argument);
    input.clauses.pop_back();
    input.noBrackets = true;
    EXPECT_NO_THROW(composeLevelQuery(input));
    input.ordinaryRows[0].sourceColumn = "CoName from Secrets --";
    EXPECT_THROW(composeLevelQuery(input), std::invalid_argument);
    input.noBrackets = false;
    input.ordinaryRows[0].sourceColumn = "CoName";
    levels[1].DLink = "[Company].[CoID] from Secrets --";
    EXPECT_THROW(composeLevelQuery(input), std::invalid_argument);
}

}  // namespace
}  // namespace koru::import
