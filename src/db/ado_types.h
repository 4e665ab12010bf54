#pragma once

#include <string_view>

#include "db/connection.h"

namespace koru::db {

// ADO DataTypeEnum codes, the type codes the rules test.
namespace ado {
inline constexpr int kEmpty = 0;
inline constexpr int kSmallInt = 2;
inline constexpr int kInteger = 3;
inline constexpr int kSingle = 4;
inline constexpr int kDouble = 5;
inline constexpr int kCurrency = 6;
inline constexpr int kDate = 7;
inline constexpr int kBoolean = 11;
inline constexpr int kVariant = 12;
inline constexpr int kDecimal = 14;
inline constexpr int kTinyInt = 16;
inline constexpr int kUnsignedTinyInt = 17;
inline constexpr int kUnsignedSmallInt = 18;
inline constexpr int kUnsignedInt = 19;
inline constexpr int kBigInt = 20;
inline constexpr int kUnsignedBigInt = 21;
inline constexpr int kGuid = 72;
inline constexpr int kBinary = 128;
inline constexpr int kChar = 129;
inline constexpr int kWChar = 130;
inline constexpr int kNumeric = 131;
inline constexpr int kDbDate = 133;
inline constexpr int kDbTime = 134;
inline constexpr int kDbTimeStamp = 135;
inline constexpr int kVarNumeric = 139;
inline constexpr int kVarChar = 200;
inline constexpr int kLongVarChar = 201;
inline constexpr int kVarWChar = 202;
inline constexpr int kLongVarWChar = 203;
inline constexpr int kVarBinary = 204;
inline constexpr int kLongVarBinary = 205;
}  // namespace ado

// ADO's DefinedSize of text and binary columns too long to state.
inline constexpr long kLongDefinedSize = 2147483647;

// A column described the ODBC way (SQLDescribeCol, SQLColumns).
struct SqlColumn {
    int sqlType = 0;  // SQL_VARCHAR, SQL_INTEGER, ...
    long columnSize = 0;
    int decimalDigits = 0;
    bool isUnsigned = false;
    std::string_view typeName;
};

// The field as ADO describes it: type code, defined size, precision and scale.
FieldInfo fieldFromSql(std::string name, const SqlColumn& column, bool nullable);

// The ODBC description of a SQLite declared type ("nvarchar(50)", "INTEGER", "decimal(10,2)").
// An empty declared type (an expression) takes the storage class of its first value
// (SQLITE_INTEGER, ...; 0 when unknown).
SqlColumn sqlColumnOfDeclared(std::string_view declaredType, int storageClass = 0);

// True for the ADO codes that hold text.
bool isTextType(int adoType);

}  // namespace koru::db
