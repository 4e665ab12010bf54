#include "editor/styles.h"

#include <gtest/gtest.h>

#include "support/statement_fixtures.h"

namespace koru::editor {
namespace {

TEST(MssqlStatements, StyleStatementsMatchTheirFixturesCharacterForCharacter) {
    std::map<std::string, std::string> named = {
        {"Add_New_Style.Style", newStyleInsert("O`Neil Sites")},
        {"Add_New_Style.AssetStyle", newAssetStyleInsert("O`Neil Sites", 12)},
        {"chkFLY_Click.CIID.Alpha3", relabelStatement("CIID.Alpha3", "Phone", 4).value_or("")},
        {"chkFLY_Click.CIID.Num10", relabelStatement("CIID.Num10", "Staff No", 4).value_or("")},
        {"chkFLY_Click.AssetCiid.Curr2", relabelStatement("AssetCiid.Curr2", "Book Value", 4).value_or("")},
        {"chkFLY_Click.AssetCiid.Date5", relabelStatement("AssetCiid.Date5", "Warranty", 4).value_or("")},
        {"Menu_Rename_Click.CIID.Alpha1", renameStatement("CIID.Alpha1", "Full 'Name'", 4).value_or("")},
        {"Menu_Rename_Click.AssetCiid.Location", renameStatement("AssetCiid.Location", "Room", 4).value_or("")},
    };
    test::expectStatementFixture("mssql/editor.tsv", named);
    // Fields without a label in the style are not relabelled on the fly, nor renamed outside it.
    EXPECT_FALSE(relabelStatement("CIID.EmailID", "Mail", 4));
    EXPECT_FALSE(relabelStatement("AssetCiid.Location", "Room", 4));
    EXPECT_FALSE(renameStatement("Knowledge.KBSummary", "Summary", 4));
    EXPECT_FALSE(renameStatement("CIID.EmailID", "Mail", 4) || renameStatement("CIID.WebID", "Web", 4));
}

}  // namespace
}  // namespace koru::editor
