#include "db/sql_quoting.h"

#include <gtest/gtest.h>

namespace koru::db {
namespace {

// Bare table.column references of known tables are quoted; literals, bracketed names, schema
// prefixes, unknown tables and numbers stay as they are.
TEST(SqlQuoting, BareColumnReferencesOfKnownTablesAreQuoted) {
    const std::pair<const char*, const char*> cases[] = {
        {"Select x From [Asset], [Extra] Where Asset.Tag = extra.Tag ",
         "Select x From [Asset], [Extra] Where <Asset.Tag> = <extra.Tag> "},
        {"Where Asset.Tag = 'Asset.Tag' and [Asset.Tag] = 1.5", "Where <Asset.Tag> = 'Asset.Tag' and [Asset.Tag] = 1.5"},
        {"From public.Asset, Other.Tag, Asset2.Tag", "From public.Asset, Other.Tag, Asset2.Tag"},
        {"Asset.Tag+Extra.Cost", "<Asset.Tag>+<Extra.Cost>"},
        {"Where a = 'it''s Asset.Tag' and Asset.", "Where a = 'it''s Asset.Tag' and Asset."},
    };
    auto isTable = [](const std::string& name) { return name == "Asset" || name == "extra" || name == "Extra"; };
    auto quoted = [](const std::string& table, const std::string& column) { return "<" + table + "." + column + ">"; };
    for (const auto& [sql, expected] : cases) {
        EXPECT_EQ(withBareColumnReferencesRewritten(sql, isTable, quoted), expected) << sql;
    }
}

}  // namespace
}  // namespace koru::db
