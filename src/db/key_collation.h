#pragma once

#include <string>
#include <string_view>

namespace koru::db {

// Source keys compare as SQL Server's default collation compares them: without regard to case,
// also outside ASCII (Émile and émile are one key). Every SqliteConnection registers the
// collation and the fold function under these names; statements name them explicitly, since
// a column declared with them would break every other program that opens the database.
inline constexpr const char* kKeyCollation = "koru_nocase";
inline constexpr const char* kKeyFold = "koru_fold";

// The key with every letter in lower case (simple Unicode case mapping). Bytes that are not
// UTF-8 stay as they are.
std::string foldKey(std::string_view key);

// <0, 0 or >0 as a comes before, equals or comes after b once both are folded.
int compareKeys(std::string_view a, std::string_view b);

}  // namespace koru::db
