// Types no driver on this machine reports; the real columns of every backend are checked in the
// connection contract.

#include "db/ado_types.h"

#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

namespace koru::db {
namespace {

TEST(DbAdoTypes, SqlServerAndOlderOdbcTypesHaveTheirAdoCodes) {
    struct Case {
        SqlColumn column;
        int adoType;
        long definedSize;
    };
    const Case table[] = {
        {{-152, 0, 0, false, "xml"}, ado::kLongVarWChar, kLongDefinedSize / 2},
        {{-150, 8016, 0, false, "sql_variant"}, ado::kVariant, 16},
        {{-154, 16, 7, false, "time"}, ado::kDbTime, 6},
        {{-155, 34, 7, false, "datetimeoffset"}, ado::kDbTimeStamp, 16},
        {{SQL_DATE, 10, 0, false, "DATE"}, ado::kDbDate, 6},
        {{SQL_TIME, 8, 0, false, "TIME"}, ado::kDbTime, 6},
        {{SQL_TIMESTAMP, 23, 3, false, "DATETIME"}, ado::kDbTimeStamp, 16},
        {{SQL_TINYINT, 3, 0, true, "tinyint"}, ado::kUnsignedTinyInt, 1},
        {{SQL_SMALLINT, 5, 0, true, "smallint unsigned"}, ado::kUnsignedSmallInt, 2},
        {{SQL_INTEGER, 10, 0, true, "int unsigned"}, ado::kUnsignedInt, 4},
        {{SQL_BIGINT, 20, 0, true, "bigint unsigned"}, ado::kUnsignedBigInt, 8},
        {{SQL_DECIMAL, 19, 4, false, "smallmoney"}, ado::kCurrency, 8},
        {{SQL_WVARCHAR, 4000, 0, false, "nvarchar"}, ado::kVarWChar, 4000},
        {{SQL_WCHAR, 10, 0, false, "nchar"}, ado::kWChar, 10},
        {{SQL_VARCHAR, 0, 0, false, "varchar"}, ado::kVarChar, kLongDefinedSize},
        {{SQL_INTERVAL_YEAR, 9, 0, false, "interval year"}, ado::kVarChar, 9},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.column.typeName);
        FieldInfo field = fieldFromSql("f", c.column, true);
        EXPECT_EQ(field.adoType, c.adoType);
        EXPECT_EQ(field.definedSize, c.definedSize);
    }
    FieldInfo amount = fieldFromSql("amount", {SQL_DECIMAL, 12, 3, false, "decimal"}, false);
    EXPECT_EQ(amount.adoType, ado::kNumeric);
    EXPECT_EQ(amount.precision, 12);
    EXPECT_EQ(amount.numericScale, 3);
    EXPECT_FALSE(amount.nullable);
    EXPECT_TRUE(isTextType(ado::kLongVarWChar));
    EXPECT_FALSE(isTextType(ado::kVarBinary));
}

}  // namespace
}  // namespace koru::db
