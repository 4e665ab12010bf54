#include "db/ado_types.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace koru::db {
namespace {

// SQL Server's own types, as its ODBC drivers report them.
constexpr int kSqlSsVariant = -150;
constexpr int kSqlSsXml = -152;
constexpr int kSqlSsTime2 = -154;
constexpr int kSqlSsTimestampOffset = -155;

// How ADO (through MSDASQL) describes each ODBC SQL type. A fixed size of 0 means the column
// size is the defined size; a precision of 0 means the column size is the precision.
struct TypeRow {
    int sqlType;
    int adoSigned;
    int adoUnsigned;
    long fixedSize;
    int precision;
};

constexpr TypeRow kTypes[] = {
    {SQL_CHAR, ado::kChar, ado::kChar, 0, 255},
    {SQL_VARCHAR, ado::kVarChar, ado::kVarChar, 0, 255},
    {SQL_LONGVARCHAR, ado::kLongVarChar, ado::kLongVarChar, kLongDefinedSize, 255},
    {SQL_WCHAR, ado::kWChar, ado::kWChar, 0, 255},
    {SQL_WVARCHAR, ado::kVarWChar, ado::kVarWChar, 0, 255},
    {SQL_WLONGVARCHAR, ado::kLongVarWChar, ado::kLongVarWChar, kLongDefinedSize / 2, 255},
    {kSqlSsXml, ado::kLongVarWChar, ado::kLongVarWChar, kLongDefinedSize / 2, 255},
    {SQL_BIT, ado::kBoolean, ado::kBoolean, 2, 255},
    {SQL_TINYINT, ado::kTinyInt, ado::kUnsignedTinyInt, 1, 3},
    {SQL_SMALLINT, ado::kSmallInt, ado::kUnsignedSmallInt, 2, 5},
    {SQL_INTEGER, ado::kInteger, ado::kUnsignedInt, 4, 10},
    {SQL_BIGINT, ado::kBigInt, ado::kUnsignedBigInt, 8, 19},
    {SQL_REAL, ado::kSingle, ado::kSingle, 4, 7},
    {SQL_FLOAT, ado::kDouble, ado::kDouble, 8, 15},
    {SQL_DOUBLE, ado::kDouble, ado::kDouble, 8, 15},
    {SQL_DECIMAL, ado::kNumeric, ado::kNumeric, 19, 0},
    {SQL_NUMERIC, ado::kNumeric, ado::kNumeric, 19, 0},
    {SQL_TYPE_DATE, ado::kDbDate, ado::kDbDate, 6, 10},
    {SQL_DATE, ado::kDbDate, ado::kDbDate, 6, 10},
    {SQL_TYPE_TIME, ado::kDbTime, ado::kDbTime, 6, 8},
    {SQL_TIME, ado::kDbTime, ado::kDbTime, 6, 8},
    {kSqlSsTime2, ado::kDbTime, ado::kDbTime, 6, 8},
    {SQL_TYPE_TIMESTAMP, ado::kDbTimeStamp, ado::kDbTimeStamp, 16, 23},
    {SQL_TIMESTAMP, ado::kDbTimeStamp, ado::kDbTimeStamp, 16, 23},
    {kSqlSsTimestampOffset, ado::kDbTimeStamp, ado::kDbTimeStamp, 16, 34},
    {SQL_GUID, ado::kGuid, ado::kGuid, 16, 255},
    {SQL_BINARY, ado::kBinary, ado::kBinary, 0, 255},
    {SQL_VARBINARY, ado::kVarBinary, ado::kVarBinary, 0, 255},
    {SQL_LONGVARBINARY, ado::kLongVarBinary, ado::kLongVarBinary, kLongDefinedSize, 255},
    {kSqlSsVariant, ado::kVariant, ado::kVariant, 16, 255},
};

std::string upper(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

bool isMoney(std::string_view typeName) {
    std::string name = upper(typeName);
    return name == "MONEY" || name == "SMALLMONEY" || name == "CURRENCY";
}

// The numbers in "(p, s)" of a declared type; -1 where absent, and "(max)" as -2.
std::pair<long, int> declaredSize(std::string_view declared) {
    auto open = declared.find('(');
    if (open == std::string_view::npos) return {-1, -1};
    auto close = declared.find(')', open);
    std::string inside = upper(declared.substr(open + 1, close == std::string_view::npos
                                                             ? std::string_view::npos
                                                             : close - open - 1));
    if (inside.find("MAX") != std::string::npos) return {-2, -1};
    long size = -1;
    int scale = -1;
    try {
        size = std::stol(inside);
        if (auto comma = inside.find(','); comma != std::string::npos) {
            scale = std::stoi(inside.substr(comma + 1));
        }
    } catch (const std::exception&) {
    }
    return {size, scale};
}

}  // namespace

FieldInfo fieldFromSql(std::string name, const SqlColumn& column, bool nullable) {
    FieldInfo field;
    field.name = std::move(name);
    field.nullable = nullable;
    field.typeName = std::string(column.typeName);
    const TypeRow* row = nullptr;
    for (const TypeRow& candidate : kTypes) {
        if (candidate.sqlType == column.sqlType) row = &candidate;
    }
    if (isMoney(column.typeName)) {
        field.adoType = ado::kCurrency;
        field.definedSize = 8;
        field.precision = 19;
        field.numericScale = 4;
        return field;
    }
    if (!row) {
        // Types ADO has no code for (intervals, arrays, ...) arrive as text.
        field.adoType = ado::kVarChar;
        field.definedSize = column.columnSize > 0 ? column.columnSize : kLongDefinedSize;
        field.precision = 255;
        return field;
    }
    field.adoType = column.isUnsigned ? row->adoUnsigned : row->adoSigned;
    field.definedSize = row->fixedSize != 0 ? row->fixedSize : column.columnSize;
    if (field.definedSize <= 0) field.definedSize = kLongDefinedSize;
    field.precision = row->precision != 0 ? row->precision : static_cast<int>(column.columnSize);
    if (column.sqlType == SQL_DECIMAL || column.sqlType == SQL_NUMERIC) {
        field.numericScale = column.decimalDigits;
    }
    return field;
}

SqlColumn sqlColumnOfDeclared(std::string_view declaredType, int storageClass) {
    SqlColumn column;
    column.typeName = declaredType;
    std::string declared = upper(declaredType);
    std::string base = declared.substr(0, declared.find('('));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    auto [size, scale] = declaredSize(declaredType);

    auto text = [&](int sqlType, int longType) {
        if (size == -2 || size < 0 || size > 8000) {
            column.sqlType = longType;
            column.columnSize = 0;
        } else {
            column.sqlType = sqlType;
            column.columnSize = size;
        }
    };
    auto binary = [&](int sqlType) {
        if (size == -2 || size < 0 || size > 8000) {
            column.sqlType = SQL_LONGVARBINARY;
        } else {
            column.sqlType = sqlType;
            column.columnSize = size;
        }
    };

    if (base.empty()) {
        switch (storageClass) {
            case SQLITE_INTEGER: column.sqlType = SQL_BIGINT; break;
            case SQLITE_FLOAT: column.sqlType = SQL_DOUBLE; break;
            case SQLITE_BLOB: column.sqlType = SQL_LONGVARBINARY; break;
            default: column.sqlType = SQL_LONGVARCHAR; break;
        }
    } else if (base == "INT" || base == "INTEGER" || base == "MEDIUMINT" || base == "INT4") {
        column.sqlType = SQL_INTEGER;
    } else if (base == "TINYINT") {
        column.sqlType = SQL_TINYINT;
        column.isUnsigned = true;  // as SQL Server, whose schemas the embedded database copies
    } else if (base == "SMALLINT" || base == "INT2") {
        column.sqlType = SQL_SMALLINT;
    } else if (base == "BIGINT" || base == "INT8" || base == "UNSIGNED BIG INT") {
        column.sqlType = SQL_BIGINT;
        column.isUnsigned = base == "UNSIGNED BIG INT";
    } else if (base == "REAL" || base == "FLOAT4") {
        column.sqlType = SQL_REAL;
    } else if (base == "FLOAT" || base == "DOUBLE" || base == "DOUBLE PRECISION" || base == "FLOAT8") {
        column.sqlType = SQL_DOUBLE;
    } else if (base == "DECIMAL" || base == "NUMERIC") {
        column.sqlType = base == "DECIMAL" ? SQL_DECIMAL : SQL_NUMERIC;
        column.columnSize = size > 0 ? size : 18;
        column.decimalDigits = scale > 0 ? scale : 0;
    } else if (base == "MONEY" || base == "SMALLMONEY") {
        column.sqlType = SQL_DECIMAL;
        column.columnSize = 19;
        column.decimalDigits = 4;
    } else if (base == "BIT" || base == "BOOLEAN" || base == "BOOL") {
        column.sqlType = SQL_BIT;
    } else if (base == "DATE") {
        column.sqlType = SQL_TYPE_DATE;
    } else if (base == "TIME") {
        column.sqlType = SQL_TYPE_TIME;
    } else if (base == "DATETIME" || base == "DATETIME2" || base == "SMALLDATETIME" ||
               base == "TIMESTAMP") {
        column.sqlType = SQL_TYPE_TIMESTAMP;
    } else if (base == "UNIQUEIDENTIFIER" || base == "GUID" || base == "UUID") {
        column.sqlType = SQL_GUID;
    } else if (base == "CHAR" || base == "CHARACTER") {
        text(SQL_CHAR, SQL_LONGVARCHAR);
    } else if (base == "NCHAR" || base == "NATIVE CHARACTER") {
        text(SQL_WCHAR, SQL_WLONGVARCHAR);
    } else if (base == "VARCHAR" || base == "VARYING CHARACTER" || base == "CHARACTER VARYING") {
        text(SQL_VARCHAR, SQL_LONGVARCHAR);
    } else if (base == "NVARCHAR" || base == "NVARCHAR2") {
        text(SQL_WVARCHAR, SQL_WLONGVARCHAR);
    } else if (base == "TEXT" || base == "CLOB") {
        column.sqlType = SQL_LONGVARCHAR;
    } else if (base == "NTEXT") {
        column.sqlType = SQL_WLONGVARCHAR;
    } else if (base == "BINARY") {
        binary(SQL_BINARY);
    } else if (base == "VARBINARY") {
        binary(SQL_VARBINARY);
    } else if (base == "BLOB" || base == "IMAGE") {
        column.sqlType = SQL_LONGVARBINARY;
    } else if (base.find("INT") != std::string::npos) {
        // SQLite's own affinity rules for the names it does not know.
        column.sqlType = SQL_INTEGER;
    } else if (base.find("CHAR") != std::string::npos || base.find("CLOB") != std::string::npos ||
               base.find("TEXT") != std::string::npos) {
        text(SQL_VARCHAR, SQL_LONGVARCHAR);
    } else if (base.find("BLOB") != std::string::npos) {
        column.sqlType = SQL_LONGVARBINARY;
    } else if (base.find("REAL") != std::string::npos || base.find("FLOA") != std::string::npos ||
               base.find("DOUB") != std::string::npos) {
        column.sqlType = SQL_DOUBLE;
    } else {
        column.sqlType = SQL_NUMERIC;
        column.columnSize = 18;
    }
    return column;
}

bool isTextType(int adoType) {
    switch (adoType) {
        case ado::kChar:
        case ado::kWChar:
        case ado::kVarChar:
        case ado::kLongVarChar:
        case ado::kVarWChar:
        case ado::kLongVarWChar:
            return true;
        default:
            return false;
    }
}

}  // namespace koru::db
