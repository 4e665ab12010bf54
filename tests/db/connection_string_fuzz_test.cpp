#include <gtest/gtest.h>

#include <optional>

#include "db/connection_string.h"
#include "db/db_error.h"
#include "support/fuzz.h"
#include "wizard/text_helpers.h"

namespace koru::db {
namespace {

// No drivers installed but the ones named here; nothing is looked up on the system.
class FuzzCatalog : public OdbcDriverCatalog {
public:
    std::vector<std::string> installedDrivers() const override { return {"FreeTDS", "PostgreSQL Unicode"}; }
    std::string driverOfDsn(const std::string& dsn) const override { return dsn == "pg" ? "PostgreSQL Unicode" : ""; }
    std::optional<std::string> mssqlDriverOverride() const override { return std::nullopt; }
    std::vector<std::string> freeTdsServers() const override { return {"named"}; }
};

// The marker of every password the generator writes; it appears nowhere else.
const std::string kSecret = "S3cr3t#";

const std::vector<std::string> kKeys = {
    "Provider", "Data Source", "Initial Catalog", "User ID", "UID", "Password", "PWD", " pwd ", "PassWord",
    "DSN", "Driver", "FileDSN", "Extended Properties", "Connect Timeout", "Server", "Integrated Security",
    "Persist Security Info", "Database", "Port", "\r\nPassword"};
const std::vector<std::string> kValues = {
    "SQLOLEDB.1", "MSDASQL", "SQLite", "sqlite:/tmp/koru", "sqlite:", "TICKORDB", "SSPI", "25", "-1",
    "99999999999", "pg", "named", "host,1433", "FreeTDS", "PostgreSQL Unicode", "a;b", "'", "''", "\"", "\"\"",
    "{", "}", "}}", "=", ";", " ", "\\", "/", "..", "x.db", "C:\\koru\\dbs"};

std::string lower(std::string_view text) {
    std::string result;
    for (char c : text) result += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}
bool isPasswordKey(std::string_view key) { return lower(key) == "password" || lower(key) == "pwd"; }
bool isExtended(std::string_view key) { return lower(key) == "extended properties"; }

std::string escaped(std::string_view text) {
    std::string out;
    for (unsigned char c : text.substr(0, 400)) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

// A value written as the screens and users write one: bare, quoted or braced.
std::string written(test::Fuzz& fuzz, const std::string& value) {
    switch (fuzz.below(4)) {
        case 0: return quotedConnectionValue(value);
        case 1: {
            std::string braced = "{";
            for (char c : value) braced += c == '}' ? std::string("}}") : std::string(1, c);
            return braced + "}";
        }
        case 2: return " " + quotedConnectionValue(value) + " ";
        default: return value;
    }
}

std::string connectionString(test::Fuzz& fuzz) {
    if (fuzz.oneIn(5)) return fuzz.text(kKeys, 6) + fuzz.text(kValues, 12);  // anything at all
    std::string text;
    for (std::size_t n = fuzz.below(8); n > 0; --n) {
        const std::string& key = fuzz.oneIn(12) ? fuzz.hostile() : fuzz.pick(kKeys);
        std::string value;
        if (isPasswordKey(key) || key == "\r\nPassword") {
            value = written(fuzz, kSecret + fuzz.text(kValues, 3));
        } else if (key == "Extended Properties") {
            std::string inner = "DSN=pg;PWD=" + written(fuzz, kSecret + fuzz.text(kValues, 2)) + ";UID=u";
            value = fuzz.oneIn(2) ? quotedConnectionValue(inner) : written(fuzz, inner);
        } else {
            value = written(fuzz, fuzz.text(kValues, 3, 10));
        }
        text += key + (fuzz.oneIn(20) ? "" : "=") + value + (fuzz.oneIn(15) ? fuzz.hostile() : ";");
    }
    return text;
}

std::size_t occurrences(std::string_view text, std::string_view what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

// The ODBC reading of key=value;...: a value in braces runs to the "}" that is not doubled.
std::vector<std::pair<std::string, std::string>> readOdbc(std::string_view text) {
    std::vector<std::pair<std::string, std::string>> items;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t equals = text.find('=', at);
        std::string key(text.substr(at, equals - at));
        std::string value;
        at = equals + 1;
        if (at < text.size() && text[at] == '{') {
            for (++at; at < text.size(); ++at) {
                if (text[at] == '}' && (at + 1 >= text.size() || text[at + 1] != '}')) break;
                if (text[at] == '}') ++at;
                value += text[at];
            }
            at += 2;  // "}" and ";"
        } else {
            std::size_t end = std::min(text.find(';', at), text.size());
            value = std::string(text.substr(at, end - at));
            at = end + 1;
        }
        items.emplace_back(key, value);
    }
    return items;
}

TEST(DbConnectionStringFuzz, ParsingMaskingAndTranslatingHoldTheirPromises) {
    test::Fuzz fuzz;
    FuzzCatalog catalog;
    while (fuzz.next()) {
        const std::string text = connectionString(fuzz);
        SCOPED_TRACE(fuzz.where() + ": " + escaped(text));

        // A value written as the screens write it reads back as it was, and as the only entry.
        std::string value = fuzz.text(kValues, 4, 3);
        for (const std::string& written : {quotedConnectionValue(value), connectionValue(value)}) {
            ConnectionString one = ConnectionString::parse("Initial Catalog=" + written);
            ASSERT_EQ(one.items().size(), 1u) << escaped(written);
            ASSERT_EQ(one.get("Initial Catalog"), value) << escaped(written);
        }

        std::optional<ConnectionString> parsed;
        try {
            parsed = ConnectionString::parse(text);
        } catch (const DbError& error) {
            ASSERT_EQ(std::string(error.what()).find(kSecret), std::string::npos) << error.what();
        } catch (const std::exception& error) {
            FAIL() << "parsing threw " << error.what();
        }
        // The masked string says nothing of any password it holds, and reads as the same entries.
        std::string masked = maskPasswords(text);
        if (parsed) {
            std::size_t inPasswords = 0;
            for (const auto& item : parsed->items()) {
                if (isPasswordKey(item.key)) inPasswords += occurrences(item.value, kSecret);
                if (isExtended(item.key)) {
                    try {
                        ConnectionString nested = ConnectionString::parse(item.value);
                        for (const auto& inner : nested.items()) {
                            if (isPasswordKey(inner.key)) inPasswords += occurrences(inner.value, kSecret);
                        }
                    } catch (const DbError&) {
                    }
                }
            }
            if (inPasswords == occurrences(text, kSecret)) {
                ASSERT_EQ(masked.find(kSecret), std::string::npos) << escaped(masked);
            }
            ConnectionString reread;
            ASSERT_NO_THROW(reread = ConnectionString::parse(masked)) << escaped(masked);
            ASSERT_EQ(reread.items().size(), parsed->items().size()) << escaped(masked);
            for (std::size_t i = 0; i < reread.items().size(); ++i) {
                const auto& before = parsed->items()[i];
                const auto& after = reread.items()[i];
                ASSERT_EQ(after.key, before.key);
                if (isPasswordKey(before.key)) {
                    ASSERT_EQ(after.value, "*****");
                } else if (!isExtended(before.key)) {
                    ASSERT_EQ(after.value, before.value);
                }
            }

            // The ODBC string reads back, by ODBC's own rules, as the entries it was made of.
            bool plainKeys = true;
            for (const auto& item : parsed->items()) {
                plainKeys = plainKeys && item.key.find_first_of("{}") == std::string::npos;
            }
            if (plainKeys) {
                std::vector<std::pair<std::string, std::string>> expected;
                for (const auto& item : parsed->items()) expected.emplace_back(item.key, item.value);
                ASSERT_EQ(readOdbc(parsed->toOdbc()), expected) << escaped(parsed->toOdbc());
            }
        }

        // What opens a connection either opens something that is there to open, or is refused
        // with DbError, never naming a password.
        try {
            OpenTarget target = translateConnectionString(text, catalog);
            if (target.kind == OpenTarget::Kind::Odbc) {
                ASSERT_FALSE(target.odbcString.empty());
            } else {
                ASSERT_FALSE(target.file.empty());
                ASSERT_EQ(target.file.string().find('\0'), std::string::npos) << "a NUL cuts the file name short";
            }
            ASSERT_EQ(target.odbcString.find('\0'), std::string::npos) << "a NUL cuts the ODBC string short";
        } catch (const DbError& error) {
            ASSERT_EQ(std::string(error.what()).find(kSecret), std::string::npos) << error.what();
        } catch (const std::exception& error) {
            FAIL() << "translating threw " << error.what();
        }

        // The screens' own reading of one property stops at the next ";".
        std::string catalogName = wizard::UT_Get_Connection_Property(text, "Initial Catalog=");
        ASSERT_EQ(catalogName.find(';'), std::string::npos);
        ASSERT_NE(text.find(catalogName), std::string::npos);
    }
    RecordProperty("inputs", static_cast<int>(fuzz.rounds()));
}

}  // namespace
}  // namespace koru::db
