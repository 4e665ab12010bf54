#include "db/flat_file_connection.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

#include "db/connection_string.h"
#include "db/csv_table.h"
#include "db/dbf_table.h"
#include "db/flat_table.h"
#include "db/sql_quoting.h"

namespace koru::db {
namespace {

namespace fs = std::filesystem;

// Text and DBF strings never name an ODBC driver.
class NoOdbcDrivers : public OdbcDriverCatalog {
public:
    std::vector<std::string> installedDrivers() const override { return {}; }
    std::string driverOfDsn(const std::string&) const override { return {}; }
    std::optional<std::string> mssqlDriverOverride() const override { return std::nullopt; }
};

std::string lowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

struct TableFile {
    std::string table;
    fs::path path;
};

// The files a Data Source names: the file itself, or each file of the folder with one of the
// kind's extensions, in name order.
std::vector<TableFile> tableFiles(const OpenTarget& target) {
    bool text = target.kind == OpenTarget::Kind::TextFiles;
    const std::vector<std::string> extensions = text ? std::vector<std::string>{".csv", ".tsv", ".txt"}
                                                     : std::vector<std::string>{".dbf"};
    const std::string kinds = text ? ".csv, .tsv or .txt files" : ".dbf files";
    std::error_code ec;
    fs::file_status status = fs::status(target.file, ec);
    if (!fs::exists(status)) {
        throw DbError(kErrGeneralFailure, "The file or folder " + target.file.string() +
                                              " does not exist. Data Source names a file, or a folder of " + kinds +
                                              ", each of which is a table.");
    }
    if (!fs::is_directory(status)) return {{target.file.stem().string(), target.file}};

    std::vector<TableFile> files;
    for (fs::directory_iterator entry(target.file, ec), end; !ec && entry != end; entry.increment(ec)) {
        std::string extension = lowerAscii(entry->path().extension().string());
        if (std::find(extensions.begin(), extensions.end(), extension) == extensions.end()) continue;
        if (!entry->is_regular_file(ec)) continue;
        files.push_back({entry->path().stem().string(), entry->path()});
    }
    if (ec) {
        throw DbError(kErrGeneralFailure, "The folder " + target.file.string() + " cannot be read: " + ec.message() + ".");
    }
    if (files.empty()) {
        throw DbError(kErrGeneralFailure, "The folder " + target.file.string() + " holds no " + kinds +
                                              ". Put the files there, or name a file in Data Source.");
    }
    std::sort(files.begin(), files.end(), [](const TableFile& a, const TableFile& b) { return a.path < b.path; });
    for (std::size_t i = 1; i < files.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (lowerAscii(files[i].table) != lowerAscii(files[j].table)) continue;
            throw DbError(kErrGeneralFailure, "The folder " + target.file.string() + " holds both " +
                                                  files[j].path.filename().string() + " and " +
                                                  files[i].path.filename().string() + ", which would be one table " +
                                                  files[i].table + ". Rename or move one of them.");
        }
    }
    return files;
}

}  // namespace

void FlatFileConnection::open(const std::string& connectionString) {
    openPrivateDatabase(connectionString);
    try {
        OpenTarget target = translateConnectionString(connectionString, NoOdbcDrivers{});
        if (target.kind != OpenTarget::Kind::TextFiles && target.kind != OpenTarget::Kind::DbfFiles) {
            throw DbError(kErrProviderNotFound, "The connection string does not name text or dBase files.");
        }
        bool text = target.kind == OpenTarget::Kind::TextFiles;
        m_dbms = text ? "Text" : "DBF";
        std::vector<TableFile> files = tableFiles(target);
        // A copy that a failure throws away needs neither a journal nor syncing.
        execute("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF");
        UntimedCommands untimed(*this);
        Transaction transaction(*this);
        for (const TableFile& file : files) {
            std::unique_ptr<FlatTable> table = text ? openCsvTable(file.path, target.flatFile)
                                                    : openDbfTable(file.path, target.flatFile);
            std::vector<FlatColumn> columns = table->columns();
            std::string name = charQuoted(file.table, '"');
            std::string create = "CREATE TABLE " + name + " (";
            std::string insert = "INSERT INTO " + name + " VALUES (";
            for (std::size_t i = 0; i < columns.size(); ++i) {
                // Only whole numbers get an affinity; other text stays as written ("12.50").
                create += (i ? ", " : "") + charQuoted(columns[i].name, '"') + (columns[i].integer ? " integer" : " text");
                insert += i ? ", ?" : "?";
            }
            execute(create + ")");
            auto statement = prepare(insert + ")");
            std::vector<Value> parameters(columns.size());
            table->readRows([&](const std::vector<FlatValue>& row) {
                for (std::size_t i = 0; i < columns.size(); ++i) {
                    const FlatValue& value = row[i];
                    std::optional<std::int64_t> integer;
                    if (!value.null && columns[i].integer) integer = canonicalInteger(value.text);
                    if (value.null) {
                        parameters[i] = std::monostate{};
                    } else if (integer) {
                        parameters[i] = *integer;
                    } else if (auto* kept = std::get_if<std::string>(&parameters[i])) {
                        kept->assign(value.text);
                    } else {
                        parameters[i] = value.text;
                    }
                }
                statement->execute(parameters);
            });
            std::vector<std::string> names = {file.table};
            if (text && target.flatFile.jetTableNames) {
                // The name Jet's text driver gives the file's table, which mappings made with it use.
                std::string extension = file.path.extension().string();
                names.push_back(file.table + "#" + (extension.empty() ? std::string() : extension.substr(1)));
                execute("CREATE VIEW " + charQuoted(names.back(), '"') + " AS SELECT * FROM " + name);
            }
            for (const std::string& each : names) {
                for (const FlatColumn& column : columns) reportColumnType(each, column.name, column.type);
            }
        }
        transaction.commit();
    } catch (...) {
        close();
        throw;
    }
}

}  // namespace koru::db
