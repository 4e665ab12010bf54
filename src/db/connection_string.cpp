#include "db/connection_string.h"

#include <algorithm>
#include <cctype>

#include "db/db_error.h"
#include "db/sql_quoting.h"
#include "diag/program_folder.h"

namespace koru::db {
namespace {

// A key as parsing reads it: line ends around it are blanks too.
std::string trimmedLower(std::string_view text) {
    auto begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string_view::npos) return {};
    auto end = text.find_last_not_of(" \t\r\n");
    std::string key(text.substr(begin, end - begin + 1));
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return key;
}

// End (exclusive) of a value starting at `start`: a quoted or braced value runs to its
// closing mark (a doubled mark stands for one), anything else to the next ';'.
std::size_t valueEnd(std::string_view text, std::size_t start) {
    std::size_t i = start;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < text.size() && (text[i] == '\'' || text[i] == '"' || text[i] == '{')) {
        char close = text[i] == '{' ? '}' : text[i];
        for (std::size_t k = i + 1; k < text.size(); ++k) {
            if (text[k] != close) continue;
            if (k + 1 < text.size() && text[k + 1] == close) {
                ++k;
                continue;
            }
            std::size_t semicolon = text.find(';', k + 1);
            return semicolon == std::string_view::npos ? text.size() : semicolon;
        }
        return text.size();  // unbalanced: the rest of the string belongs to this value
    }
    std::size_t semicolon = text.find(';', start);
    return semicolon == std::string_view::npos ? text.size() : semicolon;
}

// The nested connection string of Extended Properties, which the ODBC provider unpacks, with its
// own passwords masked; a quoted one is unquoted first and quoted again the same way.
std::string maskedNestedString(std::string_view value) {
    std::size_t open = value.find_first_not_of(" \t");
    if (open == std::string_view::npos || (value[open] != '\'' && value[open] != '"' && value[open] != '{')) {
        return maskPasswords(value);
    }
    char close = value[open] == '{' ? '}' : value[open];
    std::string inner;
    std::size_t k = open + 1;
    for (; k < value.size(); ++k) {
        if (value[k] != close) {
            inner += value[k];
        } else if (k + 1 < value.size() && value[k + 1] == close) {
            inner += close;
            ++k;
        } else {
            break;
        }
    }
    std::string masked(value.substr(0, open + 1));
    for (char c : maskPasswords(inner)) {
        masked += c;
        if (c == close) masked += close;
    }
    if (k < value.size()) masked.append(value.substr(k));
    return masked;
}

}  // namespace

std::string quotedConnectionValue(std::string_view value) {
    if (value.find('\'') == std::string_view::npos) return "'" + std::string(value) + "'";
    return charQuoted(value, '"');
}

std::string connectionValue(std::string_view value) {
    bool bare = value.find_first_of(";'\"{}") == std::string_view::npos &&
                (value.empty() || (!std::isspace(static_cast<unsigned char>(value.front())) &&
                                   !std::isspace(static_cast<unsigned char>(value.back()))));
    return bare ? std::string(value) : quotedConnectionValue(value);
}

std::string maskPasswords(std::string_view text) {
    std::string masked;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t equals = text.find('=', pos);
        std::size_t semicolon = text.find(';', pos);
        if (equals == std::string_view::npos || (semicolon != std::string_view::npos && semicolon < equals)) {
            std::size_t end = semicolon == std::string_view::npos ? text.size() : semicolon + 1;
            masked.append(text.substr(pos, end - pos));
            pos = end;
            continue;
        }
        std::string key = trimmedLower(text.substr(pos, equals - pos));
        std::size_t end = valueEnd(text, equals + 1);
        masked.append(text.substr(pos, equals + 1 - pos));
        if (key == "password" || key == "pwd") {
            masked.append("*****");
        } else if (key == "extended properties") {
            masked.append(maskedNestedString(text.substr(equals + 1, end - equals - 1)));
        } else {
            masked.append(text.substr(equals + 1, end - equals - 1));
        }
        if (end < text.size()) masked += ';';
        pos = end + 1;
    }
    return masked;
}

namespace {

std::string lower(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string_view trim(std::string_view text) {
    auto begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string_view::npos) return {};
    auto end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A key or provider as a message may name it: a name, not text that may be a password the
// user meant to give (a missing "=" or quote makes it part of a key).
std::string shownName(std::string_view name) {
    bool plain = !name.empty() && name.size() <= 64 && std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == ' ' || c == '_' || c == '.' || c == '-';
    });
    return plain ? std::string(name) : std::string("an entry");
}

[[noreturn]] void malformed(const std::string& problem) {
    // The value is never quoted back: it may be a password.
    throw DbError(kErrGeneralFailure, "The connection string is malformed: " + problem + ".");
}

}  // namespace

ConnectionString ConnectionString::parse(std::string_view text) {
    ConnectionString parsed;
    std::size_t pos = 0;
    std::string previousKey;
    while (pos < text.size()) {
        if (isSpace(text[pos]) || text[pos] == ';') {
            ++pos;
            continue;
        }
        std::size_t equals = text.find('=', pos);
        std::size_t semicolon = text.find(';', pos);
        if (equals == std::string_view::npos ||
            (semicolon != std::string_view::npos && semicolon < equals)) {
            malformed(previousKey.empty() ? "its first entry has no '='"
                                          : "an entry without '=' follows " + shownName(previousKey));
        }
        std::string key(trim(text.substr(pos, equals - pos)));
        if (key.empty()) malformed("an entry has no key before '='");
        pos = equals + 1;
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;

        std::string value;
        if (pos < text.size() && (text[pos] == '\'' || text[pos] == '"' || text[pos] == '{')) {
            char close = text[pos] == '{' ? '}' : text[pos];
            bool closed = false;
            for (++pos; pos < text.size(); ++pos) {
                if (text[pos] != close) {
                    value += text[pos];
                } else if (pos + 1 < text.size() && text[pos + 1] == close) {
                    value += close;
                    ++pos;
                } else {
                    closed = true;
                    ++pos;
                    break;
                }
            }
            if (!closed) malformed("the value of " + shownName(key) + " has an unbalanced quote");
            while (pos < text.size() && isSpace(text[pos])) ++pos;
            if (pos < text.size() && text[pos] != ';') {
                malformed("text follows the quoted value of " + shownName(key));
            }
        } else {
            std::size_t end = text.find(';', pos);
            if (end == std::string_view::npos) end = text.size();
            value = std::string(trim(text.substr(pos, end - pos)));
            pos = end;
        }
        parsed.m_items.push_back({key, std::move(value)});
        previousKey = key;
    }
    return parsed;
}

bool ConnectionString::has(std::string_view key) const { return get(key).has_value(); }

std::optional<std::string> ConnectionString::get(std::string_view key) const {
    for (const Item& item : m_items) {
        if (equalsNoCase(item.key, key)) return item.value;
    }
    return std::nullopt;
}

std::optional<std::string> ConnectionString::getAny(
    std::initializer_list<std::string_view> keys) const {
    for (std::string_view key : keys) {
        if (auto value = get(key)) return value;
    }
    return std::nullopt;
}

void ConnectionString::set(std::string_view key, std::string value) {
    for (Item& item : m_items) {
        if (equalsNoCase(item.key, key)) {
            item.value = std::move(value);
            return;
        }
    }
    m_items.push_back({std::string(key), std::move(value)});
}

void ConnectionString::remove(std::string_view key) {
    std::erase_if(m_items, [&](const Item& item) { return equalsNoCase(item.key, key); });
}

std::string ConnectionString::toOdbc() const {
    std::string result;
    for (const Item& item : m_items) {
        if (!result.empty()) result += ';';
        result += item.key;
        result += '=';
        const std::string& value = item.value;
        bool braced = equalsNoCase(item.key, "Driver") ||
                      value.find_first_of(";{}") != std::string::npos ||
                      (!value.empty() && (isSpace(value.front()) || isSpace(value.back())));
        if (!braced) {
            result += value;
            continue;
        }
        result += '{';
        for (char c : value) {
            result += c;
            if (c == '}') result += '}';
        }
        result += '}';
    }
    return result;
}

DriverFamily driverFamilyOf(std::string_view driverNameOrPath) {
    std::string name = lower(driverNameOrPath);
    if (name.find("psqlodbc") != std::string::npos || name.find("postgres") != std::string::npos) {
        return DriverFamily::PostgreSql;
    }
    if (name.find("sqlite") != std::string::npos) return DriverFamily::Sqlite;
    if (name.find("tds") != std::string::npos) return DriverFamily::FreeTds;
    if (name.find("sql server") != std::string::npos || name.find("msodbcsql") != std::string::npos) {
        return DriverFamily::MsSql;
    }
    if (name.find("mysql") != std::string::npos || name.find("maria") != std::string::npos) {
        return DriverFamily::MySql;
    }
    if (name.find("mdb") != std::string::npos || name.find("access driver") != std::string::npos) {
        return DriverFamily::Access;
    }
    return DriverFamily::Other;
}

namespace {

std::optional<int> connectTimeoutOf(const ConnectionString& parsed) {
    auto text = parsed.getAny({"Connect Timeout", "Connection Timeout"});
    if (!text) return std::nullopt;
    try {
        std::size_t used = 0;
        int seconds = std::stoi(*text, &used);
        if (used == text->size() && seconds >= 0) return seconds;
    } catch (const std::exception&) {
    }
    malformed("Connect Timeout is not a number of seconds");
}

// Keys that only the OLE DB providers understand; the ODBC drivers get their own keys instead.
constexpr std::string_view kOleDbOnlyKeys[] = {
    "Provider", "Data Source", "Server", "Address", "Addr", "Network Address", "Initial Catalog",
    "Database", "User ID", "UID", "Password", "PWD", "Integrated Security", "Trusted_Connection",
    "Application Name", "Workstation ID", "Connect Timeout", "Connection Timeout",
    "Persist Security Info", "Auto Translate", "Packet Size", "Use Procedure for Prepare",
    "Use Encryption for Data", "Tag with column collation when possible", "Network Library",
    "Locale Identifier", "Initial File Name", "Extended Properties", "Mode"};

void addOdbcDefaults(ConnectionString& odbc, DriverFamily family) {
    switch (family) {
        case DriverFamily::PostgreSql:
            // Without it psqlODBC holds the whole result set in memory.
            if (!odbc.has("UseDeclareFetch")) odbc.set("UseDeclareFetch", "1");
            break;
        case DriverFamily::Sqlite:
            // StepAPI streams rows instead of caching the result; NoCreat stops the driver
            // creating an empty database in place of a missing source file.
            if (!odbc.has("StepAPI")) odbc.set("StepAPI", "1");
            odbc.set("NoCreat", "1");
            break;
        case DriverFamily::FreeTds:
            // FreeTDS otherwise converts text to ISO-8859-1 and loses everything else.
            if (!odbc.has("ClientCharset")) odbc.set("ClientCharset", "UTF-8");
            break;
        default:
            break;
    }
}

// The ODBC keys of an MSDASQL string: OLE DB names become the ODBC ones the provider passed on,
// and Extended Properties (the ODBC string itself) is unpacked.
ConnectionString odbcKeysOf(const ConnectionString& parsed) {
    constexpr std::pair<std::string_view, std::string_view> kRenamed[] = {
        {"Data Source", "DSN"}, {"User ID", "UID"}, {"Password", "PWD"},
        {"Initial Catalog", "Database"}};
    constexpr std::string_view kDropped[] = {"Provider", "Persist Security Info",
                                             "Connect Timeout", "Connection Timeout"};
    ConnectionString odbc;
    auto add = [&](const std::string& key, const std::string& value) {
        for (auto [oleDb, odbcName] : kRenamed) {
            if (equalsNoCase(key, oleDb)) {
                if (!odbc.has(odbcName)) odbc.set(odbcName, value);
                return;
            }
        }
        if (!odbc.has(key)) odbc.set(key, value);
    };
    for (const auto& item : parsed.items()) {
        if (std::any_of(std::begin(kDropped), std::end(kDropped),
                        [&](std::string_view key) { return equalsNoCase(key, item.key); })) {
            continue;
        }
        if (equalsNoCase(item.key, "Extended Properties")) {
            ConnectionString inner = ConnectionString::parse(item.value);
            for (const auto& innerItem : inner.items()) add(innerItem.key, innerItem.value);
        } else {
            add(item.key, item.value);
        }
    }
    return odbc;
}

// The string with its Data Source under the key the named driver reads: the file of a SQLite
// driver, the server of the others.
ConnectionString withDataSourceFor(const ConnectionString& parsed) {
    std::optional<std::string> dataSource = parsed.get("Data Source");
    if (!dataSource) return parsed;
    std::string_view key = "Server";
    switch (driverFamilyOf(parsed.get("Driver").value_or(""))) {
        case DriverFamily::Sqlite: key = "Database"; break;
        case DriverFamily::PostgreSql: key = "Servername"; break;
        case DriverFamily::Access: key = "DBQ"; break;
        default: break;
    }
    ConnectionString result;
    for (const auto& item : parsed.items()) {
        if (equalsNoCase(item.key, "Data Source")) {
            if (!parsed.has(key)) result.set(std::string(key), item.value);
        } else {
            result.set(item.key, item.value);
        }
    }
    return result;
}

// The installed driver a string names: as written, or a name users write for it ("PostgreSQL",
// "SQLite", "MySQL", "MariaDB"); a library path is taken as it is. Anything else is refused
// listing what is installed.
std::string installedDriver(const std::string& named, const OdbcDriverCatalog& catalog) {
    std::string driver(trim(named));
    if (driver.find('/') != std::string::npos) return driver;
    std::vector<std::string> installed = catalog.installedDrivers();
    auto find = [&](std::string_view name) -> std::optional<std::string> {
        for (const std::string& each : installed) {
            if (equalsNoCase(each, name)) return each;
        }
        return std::nullopt;
    };
    // Debian registers "SQLite" for a library it does not ship; SQLite3 reads the same files.
    if (equalsNoCase(driver, "SQLite") || equalsNoCase(driver, "SQLite3")) {
        if (auto sqlite3 = find("SQLite3")) return *sqlite3;
    }
    if (auto exact = find(driver)) return *exact;
    constexpr std::pair<std::string_view, std::string_view> kAliases[] = {
        {"PostgreSQL", "PostgreSQL Unicode"}, {"MySQL", "MariaDB Unicode"}, {"MariaDB", "MariaDB Unicode"},
        {"MySQL", "MySQL ODBC 8.0 Unicode Driver"}, {"Microsoft Access Driver (*.mdb)", "MDBTools"},
        {"Microsoft Access Driver (*.mdb, *.accdb)", "MDBTools"}};
    for (auto [alias, name] : kAliases) {
        if (!equalsNoCase(driver, alias)) continue;
        if (auto found = find(name)) return *found;
    }
    std::string list;
    for (const std::string& each : installed) list += (list.empty() ? "" : ", ") + each;
    throw DbError(kErrProviderNotFound,
                  "The ODBC driver " + (shownName(driver) == driver ? driver : std::string("the string names")) +
                      " is not installed. Installed drivers: " + (list.empty() ? std::string("none") : list) +
                      ". Name one of them in Driver={...}.");
}

bool namedInFreeTdsConfiguration(const std::string& server, const OdbcDriverCatalog& catalog) {
    std::vector<std::string> named = catalog.freeTdsServers();
    return std::any_of(named.begin(), named.end(), [&](const std::string& name) { return equalsNoCase(name, server); });
}

OpenTarget translateSqlServer(const ConnectionString& parsed, const OdbcDriverCatalog& catalog) {
    std::string driver;
    if (auto chosen = catalog.mssqlDriverOverride(); chosen && !trim(*chosen).empty()) {
        driver = std::string(trim(*chosen));
    } else {
        std::vector<std::string> installed = catalog.installedDrivers();
        for (std::string_view candidate : kMssqlDrivers) {
            if (std::any_of(installed.begin(), installed.end(),
                            [&](const std::string& name) { return equalsNoCase(name, candidate); })) {
                driver = candidate;
                break;
            }
        }
        if (driver.empty()) {
            throw DbError(kErrProviderNotFound,
                          "No SQL Server ODBC driver is installed (looked for ODBC Driver 18 for "
                          "SQL Server, ODBC Driver 17 for SQL Server and FreeTDS); set "
                          "KORU_MSSQL_DRIVER to the driver's name.");
        }
    }
    DriverFamily family = driverFamilyOf(driver);
    if (family == DriverFamily::Other) family = DriverFamily::MsSql;

    ConnectionString odbc;
    odbc.set("Driver", driver);
    std::string server = parsed.getAny({"Data Source", "Server", "Address", "Addr",
                                        "Network Address"}).value_or("");
    if (server.empty()) malformed("it names no server (Data Source)");
    if (auto comma = server.find(','); family == DriverFamily::FreeTds && comma != std::string::npos) {
        // FreeTDS takes the port as a key of its own.
        odbc.set("Server", std::string(trim(server.substr(0, comma))));
        odbc.set("Port", std::string(trim(server.substr(comma + 1))));
    } else if (family == DriverFamily::FreeTds && namedInFreeTdsConfiguration(server, catalog)) {
        // A server of the FreeTDS configuration is known by its section, not as a host.
        odbc.set("Servername", server);
    } else {
        odbc.set("Server", server);
    }
    if (auto database = parsed.getAny({"Initial Catalog", "Database"})) odbc.set("Database", *database);
    std::string integrated = lower(parsed.getAny({"Integrated Security", "Trusted_Connection"})
                                       .value_or(""));
    if (integrated == "sspi" || integrated == "true" || integrated == "yes") {
        odbc.set("Trusted_Connection", "yes");
    } else {
        if (auto user = parsed.getAny({"User ID", "UID"})) odbc.set("UID", *user);
        if (auto password = parsed.getAny({"Password", "PWD"})) odbc.set("PWD", *password);
    }
    if (auto application = parsed.get("Application Name")) odbc.set("APP", *application);
    if (auto workstation = parsed.get("Workstation ID")) odbc.set("WSID", *workstation);
    for (const auto& item : parsed.items()) {
        bool oleDbOnly = std::any_of(std::begin(kOleDbOnlyKeys), std::end(kOleDbOnlyKeys),
                                     [&](std::string_view key) { return equalsNoCase(key, item.key); });
        if (!oleDbOnly && !odbc.has(item.key)) odbc.set(item.key, item.value);
    }
    // Driver 18 encrypts and checks the certificate by default; the OLE DB provider did neither.
    if (equalsNoCase(driver, kMssqlDrivers[0]) && !odbc.has("Encrypt") &&
        !odbc.has("TrustServerCertificate")) {
        odbc.set("TrustServerCertificate", "yes");
    }
    addOdbcDefaults(odbc, family);

    OpenTarget target;
    target.kind = OpenTarget::Kind::Odbc;
    target.odbcString = odbc.toOdbc();
    target.driver = family;
    target.connectTimeout = connectTimeoutOf(parsed);
    return target;
}

// Provider=Microsoft.Jet.OLEDB.4.0 and Microsoft.ACE.OLEDB.12.0 with an Access database (.mdb,
// .accdb), read through MDBTools; nullopt for other providers. MDBTools reads Jet files without
// their database password and only reads, so User ID, the passwords and Mode have nothing to say.
std::optional<OpenTarget> translateAccess(const ConnectionString& parsed, std::string_view provider,
                                          const OdbcDriverCatalog& catalog) {
    if (!startsWithNoCase(provider, "Microsoft.Jet.OLEDB") && !startsWithNoCase(provider, "Microsoft.ACE.OLEDB")) {
        return std::nullopt;
    }
    if (auto properties = parsed.get("Extended Properties"); properties && !trim(*properties).empty()) {
        std::string isam(trim(properties->substr(0, properties->find(';'))));
        throw DbError(kErrProviderNotFound,
                      "Provider cannot be found: the files of Jet's " +
                          (shownName(isam) == isam ? isam : std::string("Extended Properties")) +
                          " driver are not read here; Access databases, text and dBASE files are.");
    }
    std::string file(trim(parsed.getAny({"Data Source", "DBQ"}).value_or("")));
    if (file.empty()) malformed("it names no Access database file (Data Source)");
    OpenTarget target;
    target.kind = OpenTarget::Kind::Odbc;
    target.driver = DriverFamily::Access;
    target.file = diag::toNativeSeparatorsPath(file);
    ConnectionString odbc;
    odbc.set("Driver", installedDriver("MDBTools", catalog));
    odbc.set("DBQ", target.file.string());
    target.odbcString = odbc.toOdbc();
    target.connectTimeout = connectTimeoutOf(parsed);
    return target;
}

OpenTarget translateEmbedded(const ConnectionString& parsed, std::string_view folder) {
    std::string database(trim(parsed.getAny({"Initial Catalog", "Database"}).value_or("")));
    if (database.empty()) malformed("it names no database (Initial Catalog)");
    if (database.find_first_of("/\\") != std::string::npos || database == "." || database == "..") {
        malformed("the database name (Initial Catalog) holds a path separator");
    }
    std::string folderText(trim(folder));
    if (folderText.empty()) malformed("the sqlite: data source names no folder");
    OpenTarget target;
    target.kind = OpenTarget::Kind::EmbeddedDestination;
    target.file = diag::toNativeSeparatorsPath(folderText) / (database + ".db");
    target.database = database;
    target.connectTimeout = connectTimeoutOf(parsed);
    return target;
}

// Jet's Extended Properties: the ISAM it names ("text", "dBASE IV") and its keys. A ';' between
// parentheses belongs to its key, as in FMT=Delimited(;).
struct ExtendedProperties {
    std::string isam;
    ConnectionString keys;
};

ExtendedProperties extendedPropertiesOf(std::string_view text) {
    ExtendedProperties result;
    std::size_t start = 0;
    int depth = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size()) {
            if (text[i] == '(') ++depth;
            if (text[i] == ')' && depth > 0) --depth;
            if (text[i] != ';' || depth > 0) continue;
        }
        std::string_view piece = trim(text.substr(start, i - start));
        start = i + 1;
        if (piece.empty()) continue;
        std::size_t equals = piece.find('=');
        if (equals == std::string_view::npos) {
            if (result.isam.empty()) result.isam = std::string(piece);
        } else {
            result.keys.set(std::string(trim(piece.substr(0, equals))), std::string(trim(piece.substr(equals + 1))));
        }
    }
    return result;
}

TextEncoding encodingNamed(std::string_view value, std::string_view key) {
    std::string name;
    for (char c : value) {
        if (c != '-' && c != '_' && c != ' ') name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (name == "utf8" || name == "65001") return TextEncoding::Utf8;
    // ISO-8859-1 differs from Windows-1252 only in control characters no text file holds.
    for (std::string_view ansi : {"windows1252", "cp1252", "1252", "ansi", "iso88591", "latin1"}) {
        if (name == ansi) return TextEncoding::Windows1252;
    }
    malformed(std::string(key) + " must be UTF-8 or Windows-1252 (the encodings read here)");
}

char delimiterNamed(std::string_view value) {
    if (equalsNoCase(value, "Tab") || value == "\\t") return '\t';
    if (value.size() == 1 && value[0] != '"' && value[0] != '\r' && value[0] != '\n') return value[0];
    malformed("Delimiter must be one character such as , or ; or |, or Tab");
}

FlatFileOptions flatFileOptionsOf(const ConnectionString& keys) {
    FlatFileOptions options;
    if (auto header = keys.get("HDR")) {
        std::string value = lower(trim(*header));
        if (value == "yes" || value == "true" || value == "1") {
            options.header = true;
        } else if (value == "no" || value == "false" || value == "0") {
            options.header = false;
        } else {
            malformed("HDR must be Yes or No");
        }
    }
    if (auto format = keys.get("FMT")) {
        std::string value(trim(*format));
        if (equalsNoCase(value, "TabDelimited")) {
            options.delimiter = '\t';
        } else if (equalsNoCase(value, "CSVDelimited")) {
            options.delimiter = ',';
        } else if (startsWithNoCase(value, "Delimited(") && value.size() == 12 && value.back() == ')') {
            options.delimiter = delimiterNamed(std::string_view(value).substr(10, 1));
        } else if (!equalsNoCase(value, "Delimited")) {
            malformed("only delimited text files are read (FMT=Delimited, TabDelimited or Delimited(x))");
        }
    }
    if (auto delimiter = keys.get("Delimiter")) options.delimiter = delimiterNamed(*delimiter);
    if (auto characterSet = keys.get("CharacterSet")) options.encoding = encodingNamed(*characterSet, "CharacterSet");
    if (auto encoding = keys.get("Encoding")) options.encoding = encodingNamed(*encoding, "Encoding");
    return options;
}

// Provider=Text / Provider=DBF, and the Jet and ACE strings for text and dBASE files; nullopt
// for any other string.
std::optional<OpenTarget> translateFlatFiles(const ConnectionString& parsed, std::string_view provider) {
    OpenTarget target;
    ConnectionString keys = parsed;
    if (equalsNoCase(provider, "Text")) {
        target.kind = OpenTarget::Kind::TextFiles;
    } else if (equalsNoCase(provider, "DBF")) {
        target.kind = OpenTarget::Kind::DbfFiles;
    } else if (startsWithNoCase(provider, "Microsoft.Jet.OLEDB") || startsWithNoCase(provider, "Microsoft.ACE.OLEDB")) {
        ExtendedProperties properties = extendedPropertiesOf(parsed.get("Extended Properties").value_or(""));
        if (equalsNoCase(properties.isam, "text")) {
            target.kind = OpenTarget::Kind::TextFiles;
            target.flatFile.jetTableNames = true;
        } else if (startsWithNoCase(properties.isam, "dBASE")) {
            target.kind = OpenTarget::Kind::DbfFiles;
        } else {
            return std::nullopt;
        }
        keys = properties.keys;
    } else {
        return std::nullopt;
    }
    std::string source(trim(parsed.getAny({"Data Source", "Database"}).value_or("")));
    if (source.empty()) malformed("it names no file or folder (Data Source)");
    target.file = diag::toNativeSeparatorsPath(source);
    FlatFileOptions options = flatFileOptionsOf(keys);
    options.jetTableNames = target.flatFile.jetTableNames;
    target.flatFile = options;
    return target;
}

}  // namespace

OpenTarget translateConnectionString(std::string_view connectionString,
                                     const OdbcDriverCatalog& catalog) {
    // The C APIs below would read the string, or a file name in it, only up to the NUL.
    if (connectionString.find('\0') != std::string_view::npos) malformed("it holds a NUL character");
    ConnectionString parsed = ConnectionString::parse(connectionString);
    std::string provider(trim(parsed.get("Provider").value_or("")));
    bool odbcKeys = parsed.has("DSN") || parsed.has("Driver") || parsed.has("FileDSN");

    if (startsWithNoCase(provider, "MSDASQL") || (provider.empty() && odbcKeys)) {
        OpenTarget target;
        target.kind = OpenTarget::Kind::Odbc;
        target.connectTimeout = connectTimeoutOf(parsed);
        // With a driver named, Data Source is the file or the server, not a data source name:
        // read as DSN it would open the driver's default, often an empty database.
        ConnectionString odbc = parsed.has("Driver") && !parsed.has("DSN") ? odbcKeysOf(withDataSourceFor(parsed))
                                                                         : odbcKeysOf(parsed);
        if (!odbc.has("DSN") && !odbc.has("Driver") && !odbc.has("FileDSN")) {
            malformed("it names no ODBC data source or driver (DSN or Driver)");
        }
        if (odbc.has("Driver")) odbc.set("Driver", installedDriver(odbc.get("Driver").value_or(""), catalog));
        std::string driverName = odbc.get("Driver").value_or("");
        if (driverName.empty()) {
            std::string dsn = odbc.get("DSN").value_or("");
            if (!dsn.empty()) driverName = catalog.driverOfDsn(dsn);
        }
        target.driver = driverFamilyOf(driverName);
        addOdbcDefaults(odbc, target.driver);
        target.odbcString = odbc.toOdbc();
        if (target.driver == DriverFamily::Access) {
            target.file = diag::toNativeSeparatorsPath(std::string(trim(odbc.get("DBQ").value_or(""))));
        }
        return target;
    }
    if (provider.empty()) malformed("it names no provider, data source name or driver");
    if (auto flatFiles = translateFlatFiles(parsed, provider)) return *flatFiles;

    if (equalsNoCase(provider, "SQLite")) {
        std::string file(trim(parsed.getAny({"Data Source", "Database"}).value_or("")));
        if (file.empty()) malformed("it names no SQLite file (Data Source)");
        OpenTarget target;
        target.kind = OpenTarget::Kind::SqliteFile;
        target.file = diag::toNativeSeparatorsPath(file);
        target.connectTimeout = connectTimeoutOf(parsed);
        return target;
    }
    if (auto access = translateAccess(parsed, provider, catalog)) return *access;

    if (startsWithNoCase(provider, "SQLOLEDB") || startsWithNoCase(provider, "SQLNCLI") ||
        startsWithNoCase(provider, "MSOLEDBSQL")) {
        std::string dataSource(trim(parsed.getAny({"Data Source", "Server"}).value_or("")));
        if (startsWithNoCase(dataSource, "sqlite:")) {
            return translateEmbedded(parsed, std::string_view(dataSource).substr(7));
        }
        return translateSqlServer(parsed, catalog);
    }

    throw DbError(kErrProviderNotFound,
                  "Provider cannot be found: " +
                      (shownName(provider) == provider ? provider : std::string("the provider it names")) +
                      " is not available here; connect through an ODBC driver (Driver=... or "
                      "DSN=...) instead.");
}

}  // namespace koru::db
