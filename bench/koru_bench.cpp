// Read throughput of the database layer: PostgreSQL through psqlODBC against a plain unixODBC
// loop on the same rows in the same run, SQLite through its C API, and the peak memory of
// large forward-only reads, each measured in a child process of its own. Then an end-to-end
// import of about N rows (--import-rows) into the embedded destination against a raw insert of
// the same rows, and update runs of that import against it.
//
// Usage: koru_bench [--rows N] [--rss-rows N] [--repeat N] [--import-rows N] [--import-only]
// The reads need the PostgreSQL server that ./run bench starts (KORU_PG_HOST, KORU_PG_PORT, ...);
// --import-only skips them. koru_bench --write-source N FILE only writes the import's source of
// N contacts to the SQLite file FILE (bench/text_source_rss.sh imports it from CSV).

#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "db/connection_factory.h"
#include "db/odbc_connection.h"
#include "import_bench.h"
#include "import_source.h"
#include "plain_odbc_loop.h"

namespace {

using Clock = std::chrono::steady_clock;
using koru::db::Connection;

constexpr int kColumns = 15;

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string psqlOdbcDriver() {
    for (const char* folder : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc",
                               "/usr/lib/odbc", "/usr/local/lib/odbc"}) {
        std::filesystem::path candidate = std::filesystem::path(folder) / "psqlodbcw.so";
        if (std::filesystem::exists(candidate)) return candidate.string();
    }
    return {};
}

std::string sqliteOdbcDriver() {
    for (const char* folder : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc",
                               "/usr/lib/odbc", "/usr/local/lib/odbc"}) {
        std::filesystem::path candidate = std::filesystem::path(folder) / "libsqlite3odbc.so";
        if (std::filesystem::exists(candidate)) return candidate.string();
    }
    return {};
}

std::string pgString(const std::string& database) {
    return "Driver=" + psqlOdbcDriver() + ";Server=" + env("KORU_PG_HOST") + ";Port=" +
           env("KORU_PG_PORT") + ";Database=" + database + ";UID=" + env("KORU_PG_USER") + ";PWD={" +
           env("KORU_PG_PASSWORD") + "}";
}

std::string selectAll(const std::string& table) {
    std::string sql = "SELECT ";
    for (int c = 1; c <= kColumns; ++c) sql += (c > 1 ? ", c" : "c") + std::to_string(c);
    return sql + " FROM " + table;
}

// Fifteen text columns of 8 to 32 characters, made by the server.
void fillPostgres(Connection& connection, const std::string& table, long rows) {
    std::string create = "CREATE TABLE " + table + " (";
    std::string select = "SELECT ";
    for (int c = 1; c <= kColumns; ++c) {
        create += (c > 1 ? ", c" : "c") + std::to_string(c) + " varchar(32)";
        select += (c > 1 ? ", " : "") + std::string("substr(md5(g::text || '") + std::to_string(c) +
                  "'), 1, 8 + (g + " + std::to_string(c) + ") % 25)";
    }
    connection.execute("DROP TABLE IF EXISTS " + table);
    connection.execute(create + ")");
    connection.execute("INSERT INTO " + table + " " + select + " FROM generate_series(1, " +
                       std::to_string(rows) + ") g");
}

// The same rows in a SQLite file, copied through the layer's own prepared statements.
void copyToSqlite(Connection& source, const std::string& table, const std::filesystem::path& file) {
    std::filesystem::remove(file);
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_close(db);
    auto target = koru::db::openConnection("Provider=SQLite;Data Source=" + file.string());
    std::string create = "CREATE TABLE " + table + " (";
    std::string insert = "INSERT INTO " + table + " VALUES (";
    for (int c = 1; c <= kColumns; ++c) {
        create += (c > 1 ? ", c" : "c") + std::to_string(c) + " varchar(32)";
        insert += c > 1 ? ", ?" : "?";
    }
    target->execute(create + ")");
    koru::db::Transaction transaction(*target);
    auto statement = target->prepare(insert + ")");
    auto rows = source.query(selectAll(table));
    std::vector<koru::db::Value> values(kColumns);
    while (rows->next()) {
        for (int c = 0; c < kColumns; ++c) values[c] = rows->value(c).value_or("");
        statement->execute(values);
    }
    transaction.commit();
}

struct ReadResult {
    long long rows = 0;
    unsigned long long bytes = 0;
    double seconds = 0;
};

// The layer's forward-only read; `copy` reads each value as a std::string, else as a view.
ReadResult koruRead(Connection& connection, const std::string& sql, bool copy) {
    ReadResult result;
    auto started = Clock::now();
    auto rows = connection.query(sql);
    std::size_t fields = rows->fieldCount();
    while (rows->next()) {
        for (std::size_t c = 0; c < fields; ++c) {
            if (copy) {
                auto value = rows->value(c);
                if (value) result.bytes += value->size();
            } else {
                auto value = rows->text(c);
                if (value) result.bytes += value->size();
            }
        }
        ++result.rows;
    }
    result.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    return result;
}

ReadResult plainRead(const std::string& connectionString, const std::string& sql) {
    ReadResult result;
    char error[1024] = "";
    result.rows = plainOdbcRead(connectionString.c_str(), sql.c_str(), &result.bytes, &result.seconds,
                                error, sizeof error);
    if (result.rows < 0) throw std::runtime_error(std::string("plain ODBC loop: ") + error);
    return result;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long peakRssKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Child mode: one read through the layer; prints rows, peak RSS before and after (KiB).
int child(const std::string& connectionString, const std::string& sql) {
    auto connection = koru::db::openConnection(connectionString);
    long before = peakRssKib();
    ReadResult result = koruRead(*connection, sql, true);
    std::printf("%lld %ld %ld\n", result.rows, before, peakRssKib());
    return 0;
}

struct ChildResult {
    long long rows = -1;
    long beforeKib = 0;
    long peakKib = 0;
};

ChildResult inChild(const std::string& connectionString, const std::string& sql) {
    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    auto quote = [](const std::string& text) {
        std::string quoted = "'";
        for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return quoted + "'";
    };
    std::string command = quote(self) + " --child " + quote(connectionString) + " " + quote(sql);
    ChildResult result;
    if (FILE* output = ::popen(command.c_str(), "r")) {
        if (std::fscanf(output, "%lld %ld %ld", &result.rows, &result.beforeKib, &result.peakKib) != 3) {
            result.rows = -1;
        }
        ::pclose(output);
    }
    return result;
}

void printRss(const char* what, const ChildResult& result) {
    if (result.rows < 0) {
        std::printf("  %-52s failed\n", what);
        return;
    }
    std::printf("  %-52s %7.1f MiB peak (%5.1f MiB before the read), %lld rows\n", what,
                result.peakKib / 1024.0, result.beforeKib / 1024.0, result.rows);
}


int readBenchmarks(long rows, long rssRows, int repeat) {
    if (env("KORU_PG_HOST").empty() || psqlOdbcDriver().empty()) {
        std::cerr << "needs psqlODBC and the PostgreSQL server of ./run bench (KORU_PG_*); "
                     "--import-only runs without them\n";
        return 2;
    }

    koru::db::OdbcConnection admin;
    admin.open(pgString("postgres"));
    admin.execute("DROP DATABASE IF EXISTS koru_bench WITH (FORCE)");
    admin.execute("CREATE DATABASE koru_bench");
    std::string pg = pgString("koru_bench");
    auto source = koru::db::openConnection(pg);
    source->setCommandTimeout(0);
    std::printf("Preparing %ld rows x %d text columns ...\n", rows, kColumns);
    fillPostgres(*source, "bench_rows", rows);
    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("koru-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    copyToSqlite(*source, "bench_rows", folder / "bench.db");
    // The reads run as the import would: a connection of its own with the default timeouts.
    auto reader = koru::db::openConnection(pg);
    auto sqlite = koru::db::openConnection("Provider=SQLite;Data Source=" + (folder / "bench.db").string());

    std::string sql = selectAll("bench_rows");
    std::vector<double> plain, viewed, copied, native;
    for (int run = 0; run < repeat; ++run) {
        // Same rows, same driver settings: the layer adds UseDeclareFetch=1 itself.
        ReadResult reference = plainRead(pg + ";UseDeclareFetch=1", sql);
        ReadResult views = koruRead(*reader, sql, false);
        ReadResult copies = koruRead(*reader, sql, true);
        ReadResult local = koruRead(*sqlite, sql, true);
        if (reference.rows != rows || views.rows != rows || copies.rows != rows || local.rows != rows ||
            views.bytes != reference.bytes || copies.bytes != reference.bytes || local.bytes != reference.bytes) {
            std::cerr << "the reads disagree: " << reference.rows << "/" << reference.bytes << " "
                      << views.rows << "/" << views.bytes << " " << local.rows << "/" << local.bytes << "\n";
            return 1;
        }
        plain.push_back(rows / reference.seconds);
        viewed.push_back(rows / views.seconds);
        copied.push_back(rows / copies.seconds);
        native.push_back(rows / local.seconds);
    }
    double reference = median(plain);
    std::printf("\nRead of %ld rows x %d text columns, median of %d runs\n", rows, kColumns, repeat);
    std::printf("  PostgreSQL, plain C unixODBC loop (1,000-row arrays)  %10.0f rows/s\n", reference);
    std::printf("  PostgreSQL, KORU OdbcConnection, text()              %10.0f rows/s  %.2f of the loop\n",
                median(viewed), median(viewed) / reference);
    std::printf("  PostgreSQL, KORU OdbcConnection, value()             %10.0f rows/s  %.2f of the loop\n",
                median(copied), median(copied) / reference);
    std::printf("  SQLite, KORU SqliteConnection, value()               %10.0f rows/s\n", median(native));

    if (rssRows > 0) {
        std::printf("\nPreparing %ld rows for the memory test ...\n", rssRows);
        fillPostgres(*source, "bench_large", rssRows);
        copyToSqlite(*source, "bench_large", folder / "large.db");
        std::string large = selectAll("bench_large");
        std::string sqliteOdbc = "Driver=" + sqliteOdbcDriver() + ";Database=" + (folder / "large.db").string();
        std::printf("Peak RSS of a child process reading %ld rows x %d columns with value():\n", rssRows, kColumns);
        printRss("PostgreSQL via KORU (UseDeclareFetch=1 added)", inChild(pg, large));
        printRss("PostgreSQL via KORU with UseDeclareFetch=0", inChild(pg + ";UseDeclareFetch=0", large));
        if (!sqliteOdbcDriver().empty()) {
            printRss("SQLite ODBC driver via KORU (StepAPI=1 added)", inChild(sqliteOdbc, large));
            printRss("SQLite ODBC driver via KORU with StepAPI=0", inChild(sqliteOdbc + ";StepAPI=0", large));
        }
        printRss("SQLite native via KORU", inChild("Provider=SQLite;Data Source=" + (folder / "large.db").string(), large));
    }
    reader.reset();
    source.reset();
    admin.execute("DROP DATABASE IF EXISTS koru_bench WITH (FORCE)");
    std::filesystem::remove_all(folder);
    return 0;
}

}  // namespace

int main(int argc, char** argv) try {
    if (argc == 4 && std::string(argv[1]) == "--child") return child(argv[2], argv[3]);
    if (argc == 7 && std::string(argv[1]) == "--import-child") {
        return koru::bench::importChild(argv[2], argv[3], {std::stoi(argv[4]), std::stoll(argv[5]), std::stoll(argv[6])});
    }
    if (argc == 4 && std::string(argv[1]) == "--write-source") {
        koru::bench::writeImportSource(argv[3], koru::bench::shapeFor(std::stol(argv[2])));
        return 0;
    }
    long rows = 100000;
    long rssRows = 1000000;
    int repeat = 5;
    long importRows = 100000;
    bool importOnly = false;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--import-only") {
            importOnly = true;
            continue;
        }
        if (i + 1 >= argc) throw std::invalid_argument(option + " needs a value");
        std::string value = argv[++i];
        if (option == "--rows") rows = std::stol(value);
        else if (option == "--rss-rows") rssRows = std::stol(value);
        else if (option == "--repeat") repeat = std::stoi(value);
        else if (option == "--import-rows") importRows = std::stol(value);
        else throw std::invalid_argument("unknown option " + option);
    }
    if (!importOnly) {
        if (int status = readBenchmarks(rows, rssRows, repeat); status != 0) return status;
    }
    return koru::bench::runImportBench(importRows);
} catch (const std::exception& error) {
    std::cerr << "koru_bench: " << error.what() << "\n";
    return 1;
}
