#include "import_bench.h"

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/application.h"
#include "db/product_schema.h"
#include "db/repository.h"
#include "db/sqlite_connection.h"
#include "diag/stage_clock.h"
#include "import/import_info_screen.h"
#include "import/import_screen.h"
#include "import_source.h"
#include "mapping/level_values.h"
#include "mapping/mapping_repository.h"
#include "restore/import_deletion.h"
#include "support/recording_connection.h"
#include "wizard/error_console.h"

namespace koru::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kDatabase = "TICKORDB";

double secondsSince(Clock::time_point started) {
    return std::chrono::duration<double>(Clock::now() - started).count();
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// Answers every message box OK, as a user clicking through would, and keeps what was shown.
class AcceptingDialogs : public wizard::Dialogs {
public:
    wizard::MsgResult messageBox(std::string_view text, wizard::MsgButtons, wizard::MsgIcon,
                                 std::string_view) override {
        shown.emplace_back(text);
        return wizard::MsgResult::OK;
    }
    std::string inputBox(std::string_view, std::string_view, std::string_view) override {
        return {};
    }
    std::string openFile(const wizard::FileDialogRequest&) override { return {}; }
    std::string saveFile(const wizard::FileDialogRequest&) override { return {}; }
    void setBusy(bool) override {}

    std::vector<std::string> shown;
};

// Repository set-up outside the measured run: any failure ends the benchmark.
class ThrowingReporter : public diag::ErrorReporter {
public:
    void UT_Report_Error(const diag::ErrorRecord& error, std::string_view location,
                         std::string_view) override {
        throw std::runtime_error(std::string(location) + ": " + error.description);
    }
    void Show_Form(std::string_view, std::string_view location,
                   const diag::ErrorRecord& error) override {
        throw std::runtime_error(std::string(location) + ": " + error.description);
    }
};

struct Mapped {
    const char* sourceColumn;
    const char* destinColumn;
};

// The mapping a user would have built in the editors: five levels linked by their keys, the
// contact's name combined from two columns, only software that has a licence.
void saveMapping(db::Connection& destination) {
    destination.execute(
        "INSERT INTO XFRStructure (ID, Name, DLink, StyleID) VALUES (1, 'Company', "
        "'[Company].[CompanyID]', 1)");
    destination.execute(
        "INSERT INTO XFRStructure (ID, Name, ULink, ULinkID, DLink, StyleID) VALUES "
        "(2, 'Department', '[Department].[CompanyID]', 1, '[Department].[DeptID]', 2)");
    destination.execute(
        "INSERT INTO XFRStructure (ID, Name, ULink, ULinkID, DLink, StyleID) VALUES "
        "(3, 'Contact', '[Contact].[DeptID]', 2, '[Contact].[ContactID]', 3)");
    destination.execute(
        "INSERT INTO XFRStructure (ID, Name, ULink, ULinkID, DLink, StyleID) VALUES "
        "(4, 'PC', '[PC].[ContactID]', 3, '[PC].[AssetTag]', 4), "
        "(5, 'Software', '[Software].[AssetTag]', 4, '[Software].[SoftwareID]', 4)");
    destination.execute(
        "INSERT INTO XFRClause (StructureID, SourceTable, SourceColumn, Operator, Criteria, StrucOrder, "
        "AndClause) VALUES (5, 'Software', 'Licence', 'is not', 'NULL', 0, 0)");

    auto dialect = db::makeDestinationDialect(db::DestinationDialect::Kind::Sqlite);
    mapping::MappingRepository repository(destination, *dialect);
    auto add = [&](std::int64_t level, const char* table, const std::vector<Mapped>& columns) {
        for (const Mapped& column : columns) {
            repository.addMapping({0, level, std::string(table), std::string(column.sourceColumn),
                                   "CIID", column.destinColumn, 1});
        }
    };
    add(1, "Company",
        {{"CompanyName", "Alpha1"},
         {"Street", "Alpha2"},
         {"Suburb", "Alpha3"},
         {"City", "Alpha4"},
         {"Region", "Alpha5"},
         {"PostCode", "Alpha6"},
         {"Country", "Alpha7"},
         {"Phone", "Alpha8"},
         {"Fax", "Alpha9"},
         {"Email", "Alpha10"},
         {"Web", "Alpha11"},
         {"AccountCode", "Alpha12"}});
    add(2, "Department",
        {{"DeptName", "Alpha1"},
         {"Building", "Alpha2"},
         {"Floor", "Alpha3"},
         {"Street", "Alpha4"},
         {"City", "Alpha5"},
         {"PostCode", "Alpha6"},
         {"Country", "Alpha7"},
         {"Phone", "Alpha8"},
         {"Fax", "Alpha9"},
         {"Email", "Alpha10"},
         {"Manager", "Alpha11"},
         {"CostCentre", "Alpha12"}});
    // The contact's name is one field: first name, a blank, last name.
    repository.addMapping(
        {0, 3, std::string("Contact"), std::string("FirstName"), "CIID", "Alpha1", 1});
    repository.addMapping({0, 3, std::nullopt, std::nullopt, "TEXTSEP", " ", 2});
    repository.addMapping(
        {0, 3, std::string("Contact"), std::string("LastName"), "CIID", "Alpha1", 3});
    add(3, "Contact",
        {{"Title", "Alpha2"},
         {"JobTitle", "Alpha3"},
         {"Phone", "Alpha4"},
         {"Mobile", "Alpha5"},
         {"Street", "Alpha6"},
         {"Suburb", "Alpha7"},
         {"City", "Alpha8"},
         {"PostCode", "Alpha9"},
         {"Country", "Alpha10"},
         {"Email", "EmailID"},
         {"EmployeeNo", "Num1"}});
    add(4, "PC",
        {{"MachineName", "Alpha1"},
         {"SerialNumber", "Alpha2"},
         {"Model", "Alpha3"},
         {"OperatingSystem", "Alpha4"},
         {"MemoryMB", "Num1"}});
    add(5, "Software", {{"Title", "Alpha1"}, {"Version", "Alpha2"}, {"Publisher", "Alpha3"}, {"Licence", "Alpha4"}});
}

std::int64_t integerOf(db::Connection& connection, const std::string& sql) {
    auto rows = connection.query(sql);
    if (!rows->next()) throw std::runtime_error("no row from " + sql);
    return std::stoll(rows->value(std::size_t{0}).value_or("0"));
}

// The CIID columns the import writes, in the order the copy is filled.
const std::vector<std::string>& landedColumns() {
    static const std::vector<std::string> columns = [] {
        std::vector<std::string> list = {"Parent", "StyleID", "SLAProvider"};
        for (int n = 1; n <= 12; ++n) list.push_back("Alpha" + std::to_string(n));
        list.insert(list.end(), {"Num1", "EmailID"});
        return list;
    }();
    return columns;
}

// Rows of one table as the import left them, packed, each value with its storage class, and
// what creates the table empty elsewhere.
struct LandedTable {
    struct Cell {
        int type = SQLITE_NULL;
        std::int64_t integer = 0;
        double real = 0;
        std::size_t offset = 0;  // text and blobs: where in the arena
        std::size_t length = 0;
    };
    std::string table;  // the table the schema creates
    std::vector<std::string> schema;
    std::vector<std::string> columns;
    std::vector<Cell> cells;
    std::string arena;
    std::size_t rows = 0;
};

// Reads `columns` of `from` in the order `condition` gives, as the destination file holds them.
LandedTable readLanded(const fs::path& database, const std::string& from, std::vector<std::string> columns,
                       const std::string& condition) {
    LandedTable landed;
    landed.columns = std::move(columns);
    sqlite3* db = nullptr;
    sqlite3_stmt* select = nullptr;
    std::string sql = "SELECT ";
    for (const std::string& column : landed.columns) sql += (sql.size() > 7 ? ", [" : "[") + column + "]";
    sql += " FROM [" + from + "] " + condition;
    bool opened = sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    if (!opened || sqlite3_prepare_v2(db, sql.c_str(), -1, &select, nullptr) != SQLITE_OK) {
        std::string message = "cannot read the landed rows: " + std::string(sqlite3_errmsg(db)) + " in " + sql;
        sqlite3_close(db);
        throw std::runtime_error(message);
    }
    int count = sqlite3_column_count(select), rc;
    while ((rc = sqlite3_step(select)) == SQLITE_ROW) {
        for (int c = 0; c < count; ++c) {
            LandedTable::Cell cell;
            cell.type = sqlite3_column_type(select, c);
            if (cell.type == SQLITE_INTEGER) cell.integer = sqlite3_column_int64(select, c);
            if (cell.type == SQLITE_FLOAT) cell.real = sqlite3_column_double(select, c);
            if (cell.type == SQLITE_TEXT || cell.type == SQLITE_BLOB) {
                const void* data = cell.type == SQLITE_TEXT ? static_cast<const void*>(sqlite3_column_text(select, c))
                                                            : sqlite3_column_blob(select, c);
                cell.length = static_cast<std::size_t>(sqlite3_column_bytes(select, c));
                cell.offset = landed.arena.size();
                landed.arena.append(static_cast<const char*>(data), cell.length);
            }
            landed.cells.push_back(cell);
        }
        ++landed.rows;
    }
    std::string error = rc == SQLITE_DONE ? "" : sqlite3_errmsg(db);
    sqlite3_finalize(select);
    sqlite3_close(db);
    if (!error.empty()) throw std::runtime_error("cannot read the landed rows: " + error + " in " + sql);
    return landed;
}

// Every column of a table, in the order it was created.
std::vector<std::string> columnsOf(db::Connection& destination, const std::string& table) {
    std::vector<std::string> names;
    for (const db::FieldInfo& field : destination.columns(table)) names.push_back(field.name);
    return names;
}

// What creates a table of the destination and the indexes it has while the import writes it.
std::vector<std::string> schemaOf(db::Connection& destination, const std::string& table, bool withIndexes) {
    std::vector<std::string> schema;
    auto rows = destination.query("SELECT sql FROM sqlite_master WHERE tbl_name = '" + table +
                                  "' AND sql IS NOT NULL AND (type = 'table' OR (type = 'index' AND " +
                                  (withIndexes ? "1" : "0") + ")) ORDER BY type DESC");
    while (rows->next()) schema.emplace_back(rows->text(0).value_or(""));
    if (schema.empty()) throw std::runtime_error("the destination has no table " + table);
    return schema;
}

// The product's CIID table and its index under another name, constraints and all.
std::vector<std::string> copyOfCiidSchema() {
    std::vector<std::string> copy;
    for (std::string statement : db::sqliteProductSchema(db::Product::Tickora)) {
        bool table = statement.rfind("CREATE TABLE [CIID] (", 0) == 0;
        bool index = statement.rfind("CREATE INDEX ", 0) == 0 &&
                     statement.find(" ON [CIID] ") != std::string::npos;
        if (!table && !index) continue;
        for (std::size_t at; (at = statement.find("[CIID]")) != std::string::npos;) {
            statement.replace(at, 6, "[CIID_copy]");
        }
        if (index)
            statement.replace(13, statement.find(']') - 13 + 1,
                              "[IX_CIID_copy_" + std::to_string(copy.size()) + "]");
        copy.push_back(statement);
    }
    if (copy.empty() || copy[0].rfind("CREATE TABLE", 0) != 0) {
        throw std::runtime_error("the product schema has no CIID table to copy");
    }
    return copy;
}

// Seconds to insert every landed row of each table into an empty copy of it in a fresh file
// opened as the embedded destination is: one prepared statement and one transaction per table.
double rawInsert(const fs::path& file, const std::vector<const LandedTable*>& tables) {
    fs::remove(file);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot create " + file.string());
    }
    sqlite3_stmt* insert = nullptr;
    auto check = [&](int rc, const std::string& what) {
        if (rc == SQLITE_OK || rc == SQLITE_DONE) return;
        std::string message = "raw insert: " + std::string(sqlite3_errmsg(db)) + " in " + what;
        sqlite3_finalize(insert);
        sqlite3_close(db);
        throw std::runtime_error(message);
    };
    std::string setup = "PRAGMA journal_mode=WAL; PRAGMA foreign_keys=ON";
    check(sqlite3_exec(db, setup.c_str(), nullptr, nullptr, nullptr), setup);
    double seconds = 0;
    for (const LandedTable* landed : tables) {
        for (const std::string& statement : landed->schema) {
            check(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr), statement);
        }
        std::string columns, marks;
        for (const std::string& column : landed->columns) {
            columns += (columns.empty() ? "[" : ", [") + column + "]";
            marks += marks.empty() ? "?" : ", ?";
        }
        std::string sql = "INSERT INTO [" + landed->table + "] (" + columns + ") VALUES (" + marks + ")";

        auto started = Clock::now();
        check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), "BEGIN");
        check(sqlite3_prepare_v2(db, sql.c_str(), -1, &insert, nullptr), sql);
        const LandedTable::Cell* cell = landed->cells.data();
        for (std::size_t row = 0; row < landed->rows; ++row) {
            for (int position = 1; position <= static_cast<int>(landed->columns.size()); ++position, ++cell) {
                const char* data = landed->arena.data() + cell->offset;
                int length = static_cast<int>(cell->length);
                switch (cell->type) {
                    case SQLITE_INTEGER: sqlite3_bind_int64(insert, position, cell->integer); break;
                    case SQLITE_FLOAT: sqlite3_bind_double(insert, position, cell->real); break;
                    case SQLITE_TEXT: sqlite3_bind_text(insert, position, data, length, SQLITE_STATIC); break;
                    case SQLITE_BLOB: sqlite3_bind_blob(insert, position, data, length, SQLITE_STATIC); break;
                    default: sqlite3_bind_null(insert, position);
                }
            }
            check(sqlite3_step(insert), sql);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        insert = nullptr;
        check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), "COMMIT");
        seconds += secondsSince(started);
    }
    sqlite3_close(db);
    return seconds;
}

// The peak resident memory (KiB) of this process since its program started.
long peakOfThisProgram() {
    if (auto kib = diag::peakResidentKib()) return *kib;
    throw std::runtime_error("/proc/self/status names no VmHWM");
}

struct ChildRun {
    double seconds = 0;
    std::int64_t importId = 0;
    long beforeKib = 0;
    long peakKib = 0;
    std::size_t longestStatement = 0;  // the longest statement the source received
    std::vector<diag::StageClock::Lap> stages;  // the run's stages
};

// Runs the import in a process of its own, so that its peak RSS is the import's alone.
ChildRun importInChild(const fs::path& folder, const UpdateRun& update = {}) {
    fs::path result = folder / "child.result";
    std::string self = fs::read_symlink("/proc/self/exe").string();
    std::string folderText = folder.string(), resultText = result.string();
    std::string mode = std::to_string(update.mode), session = std::to_string(update.importId),
                parent = std::to_string(update.newParentId);
    std::cout.flush();
    std::fflush(nullptr);
    pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        char* arguments[] = {self.data(), const_cast<char*>("--import-child"), folderText.data(),
                             resultText.data(), mode.data(), session.data(), parent.data(), nullptr};
        ::execv(self.c_str(), arguments);
        std::_Exit(127);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) throw std::runtime_error("lost the import child");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("the import child failed (status " + std::to_string(status) + ")");
    }
    ChildRun run;
    std::ifstream in(result);
    if (!(in >> run.seconds >> run.importId >> run.beforeKib >> run.longestStatement >> run.peakKib))
        throw std::runtime_error("the import child wrote no result");
    diag::StageClock::Lap lap;
    while (in >> lap.seconds >> lap.peakKib && std::getline(in >> std::ws, lap.name)) run.stages.push_back(lap);
    return run;
}

// Where the plain import's time went, stage by stage, with each stage's share of the run.
void printStages(const ChildRun& run) {
    std::printf("  stages of the import (seconds, share of the run, peak RSS at the stage's end):\n");
    double counted = 0;
    auto line = [&run](const std::string& name, double seconds, long peakKib) {
        std::printf("    %-44s %7.3f s %5.1f %% %7.1f MiB\n", name.c_str(), seconds, 100.0 * seconds / run.seconds,
                    peakKib / 1024.0);
    };
    for (const diag::StageClock::Lap& lap : run.stages) {
        line(lap.name, lap.seconds, lap.peakKib);
        counted += lap.seconds;
    }
    line("(before and after the stages)", run.seconds - counted, run.peakKib);
}

// Every item arrived, and every item below the companies hangs under the item of its source parent.
void checkImport(db::Connection& destination, const SourceShape& shape, std::int64_t importId,
                 std::int64_t ciidBefore) {
    std::string session = std::to_string(importId);
    // For the check only, after the timing: items are looked up by their id.
    destination.execute("CREATE INDEX IF NOT EXISTS [bench_check_XFRHASH_CIIDID] ON [XFRHASH] ([CIIDID])");
    std::int64_t gained = integerOf(destination, "SELECT count(*) FROM CIID") - ciidBefore;
    std::int64_t withoutParent = integerOf(
        destination,
        "SELECT count(*) FROM XFRHASH h JOIN CIID c ON c.ID = h.CIIDID WHERE h.ImportID = " +
            session + " AND h.StructureID > 1 AND c.Parent = 0");
    std::int64_t placed = integerOf(
        destination,
        "SELECT count(*) FROM XFRHASH h JOIN CIID c ON c.ID = h.CIIDID "
        "JOIN XFRHASH p INDEXED BY [bench_check_XFRHASH_CIIDID] ON p.CIIDID = c.Parent AND p.ImportID = h.ImportID "
        "AND p.StructureID = h.StructureID - 1 AND p.XFRID = h.Parent "
        "WHERE h.ImportID = " + session + " AND h.StructureID > 1");
    std::string problems;
    if (gained != shape.imported()) {
        problems += "CIID gained " + std::to_string(gained) + " rows, not " +
                    std::to_string(shape.imported()) + "; ";
    }
    if (withoutParent != 0) problems += std::to_string(withoutParent) + " items below the top have Parent 0; ";
    if (placed != shape.imported() - shape.companies) {
        problems += std::to_string(placed) + " of " + std::to_string(shape.imported() - shape.companies) +
                    " items below the top sit under their source parent; ";
    }
    if (!problems.empty()) throw std::runtime_error("the import is wrong: " + problems);
}

// Deletes the session just imported as the history screen does, and checks that CIID is back
// to what it held before.
void undoImport(const fs::path& folder, std::int64_t importId, std::int64_t ciidBefore) {
    wizard::Context context;
    auto destination = std::make_unique<db::SqliteConnection>();
    destination->open(db::embeddedDestinationString(folder, kDatabase));
    // The check's own index is not one the deletion may count on.
    destination->execute("DROP INDEX IF EXISTS [bench_check_XFRHASH_CIIDID]");
    context.DestinationConnection = std::move(destination);
    context.destinationDialect = db::makeDestinationDialect(db::DestinationDialect::Kind::Sqlite);
    ThrowingReporter reporter;
    context.LGEnabled = db::Repository(context.destination(), db::sqliteRepositoryStatements(), reporter).Is_LG_Enabled();
    auto started = Clock::now();
    restore::DeletionResult result =
        restore::deleteImportSession(context, reporter, static_cast<std::int32_t>(importId));
    double seconds = secondsSince(started);
    std::int64_t left = integerOf(context.destination(), "SELECT count(*) FROM CIID");
    if (!result.success || left != ciidBefore) {
        throw std::runtime_error("the undo left " + std::to_string(left) + " items, not " + std::to_string(ciidBefore));
    }
    std::printf("undo: %lld items in %.2f s\n", static_cast<long long>(result.itemsDeleted), seconds);
}

// Update runs of the plain import on a copy of its destination, each in a child process of its
// own: updating data, updating with new rows and adding new only of the unchanged source; then,
// after about 1% of the rows left the source, updating with new rows and moving the items no
// longer there. Each run is checked, and compared with the plain import of the same rows.
void runUpdateBench(const fs::path& folder, const SourceShape& shape, const ChildRun& plain) {
    auto destination = [&] {
        auto connection = std::make_unique<db::SqliteConnection>();
        connection->open(db::embeddedDestinationString(folder, kDatabase));
        return connection;
    };
    double plainRate = shape.imported() / plain.seconds;
    std::printf("\nUpdate runs of that import, each in a child process (rows/s: the rows its levels read over the "
                "seconds of Start)\n");
    std::printf("  plain import: peak RSS %.1f MiB; longest source statement: %zu chars\n", plain.peakKib / 1024.0,
                plain.longestStatement);
    auto report = [&](const std::string& label, long rows, const ChildRun& run) {
        double rate = rows / run.seconds;
        std::printf("update mode %s: %.0f rows/s; plain: %.0f rows/s; ratio: %.2f; peak RSS: %.1f MiB; longest source "
                    "statement: %zu chars\n",
                    label.c_str(), rate, plainRate, plainRate / rate, run.peakKib / 1024.0, run.longestStatement);
        std::fflush(stdout);
    };
    std::int64_t items = integerOf(*destination(), "SELECT count(*) FROM CIID");
    // No item is added, and the session records the items it updated.
    auto check = [&](const std::string& label, const ChildRun& run, long recorded) {
        auto connection = destination();
        std::int64_t now = integerOf(*connection, "SELECT count(*) FROM CIID");
        std::int64_t updated =
            integerOf(*connection, "SELECT count(*) FROM XFRHASH WHERE ImportID = " + std::to_string(run.importId));
        if (now != items || updated != recorded) {
            throw std::runtime_error("update mode " + label + ": CIID holds " + std::to_string(now) + " items, not " +
                                     std::to_string(items) + "; the session recorded " + std::to_string(updated) +
                                     ", not " + std::to_string(recorded));
        }
    };

    std::int64_t latest = plain.importId;
    for (int mode : {1, 2, 3}) {
        ChildRun run = importInChild(folder, {mode, latest, 0});
        check(std::to_string(mode), run, mode == 3 ? 0 : shape.imported());
        report(std::to_string(mode), shape.imported(), run);
        latest = run.importId;
    }

    // Every hundredth contact (none of them has a PC), PC (with its software) and software row
    // leaves the source; what stays is counted by following the links.
    long remaining = 0;
    {
        db::SqliteConnection source;
        source.open("Provider=SQLite;Data Source=" + (folder / "source.db").string());
        source.execute("DELETE FROM Software WHERE SoftwareID % 100 = 0 OR AssetTag IN (SELECT AssetTag FROM PC WHERE "
                       "rowid % 100 = 0)");
        source.execute("DELETE FROM PC WHERE rowid % 100 = 0");
        source.execute("DELETE FROM Contact WHERE ContactID % 100 = 0");
        remaining = static_cast<long>(integerOf(
            source,
            "SELECT (SELECT count(*) FROM Company) + (SELECT count(*) FROM Department WHERE CompanyID IN (SELECT "
            "CompanyID FROM Company)) + (SELECT count(*) FROM Contact WHERE DeptID IN (SELECT DeptID FROM Department)) "
            "+ (SELECT count(*) FROM PC WHERE ContactID IN (SELECT ContactID FROM Contact)) + (SELECT count(*) FROM "
            "Software WHERE Licence IS NOT NULL AND AssetTag IN (SELECT AssetTag FROM PC))"));
    }
    // Moved under the demo's first item.
    const std::string underNewParent = "SELECT count(*) FROM CIID WHERE Parent = 1";
    std::int64_t before = integerOf(*destination(), underNewParent);
    ChildRun run = importInChild(folder, {2, latest, 1});
    check("2 + move", run, remaining);
    std::int64_t moved = integerOf(*destination(), underNewParent) - before;
    if (moved != shape.imported() - remaining) {
        throw std::runtime_error("update mode 2 + move moved " + std::to_string(moved) + " items, not " +
                                 std::to_string(shape.imported() - remaining));
    }
    std::printf("  %ld of the %ld rows left the source (%.2f %%); the run moved their %lld items\n",
                shape.imported() - remaining, shape.imported(), 100.0 * (shape.imported() - remaining) / shape.imported(),
                static_cast<long long>(moved));
    report("2 + move", remaining, run);
    std::printf("  load average after the update runs: %s\n", loadAverage().c_str());
}

}  // namespace

int importChild(const fs::path& folder, const fs::path& result, const UpdateRun& update) try {
    fs::path home = folder / "home";
    fs::create_directories(home);
    ::setenv("KORU_HOME", home.c_str(), 1);

    wizard::HeadlessHost host;
    AcceptingDialogs dialogs;
    app::Application application(host, dialogs, false);
    wizard::Context& context = application.context();
    auto source = std::make_unique<db::SqliteConnection>();
    source->open("Provider=SQLite;Data Source=" + (folder / "source.db").string());
    auto recording = std::make_unique<test::RecordingConnection>(std::move(source));
    test::RecordingConnection& sourceStatements = *recording;
    auto destination = std::make_unique<db::SqliteConnection>();
    destination->open(db::embeddedDestinationString(folder, kDatabase));
    context.SourceConnection = std::move(recording);
    context.DestinationConnection = std::move(destination);
    context.destinationDialect = db::makeDestinationDialect(db::DestinationDialect::Kind::Sqlite);
    db::Repository repository(context.destination(), db::sqliteRepositoryStatements(),
                              application.reporter());
    context.LGEnabled = repository.Is_LG_Enabled();
    context.EXLValid = repository.Validate_EXT_DB();
    mapping::rebuildStructureLevels(context.destination(), context);
    mapping::setLevelValuesForImport(context.destination(), context, {});
    context.UpdateMode = static_cast<std::int16_t>(update.mode);
    context.UpdateImportID = static_cast<std::int32_t>(update.importId);
    context.MoveIfNotInSource = update.newParentId != 0;
    context.NewParentID = static_cast<std::int32_t>(update.newParentId);

    std::vector<std::string> errors;
    host.onModal = [&](wizard::Screen& screen) {
        if (auto* info = dynamic_cast<import::ImportInfoScreen*>(&screen)) {
            info->cmdSave_Click();
        } else if (auto* console = dynamic_cast<wizard::ErrorConsole*>(&screen)) {
            errors.push_back(console->lblError.caption + ": " + console->txtFullError.text);
        }
    };
    auto* screen = dynamic_cast<import::ImportScreen*>(
        application.navigator().loadScreen(wizard::ScreenId::frmDBSave));
    if (!screen) throw std::runtime_error("the import screen did not load");

    long beforeKib = peakOfThisProgram();
    auto started = Clock::now();
    screen->cmdStart_Click();
    double seconds = secondsSince(started);

    // Only a finished run enables Finish; it says no more than that it may take a while and that
    // it is done.
    bool said = false;
    for (const std::string& text : dialogs.shown) {
        said = said || (text.rfind("Important Notice", 0) != 0 && text != "Veltrane Data Import Completed Successfully");
    }
    if (!errors.empty() || !screen->cmdFinish.enabled || said) {
        std::cerr << "import child: the import did not finish (stage: " << screen->stage() << ")\n";
        for (const std::string& error : errors) std::cerr << "  error: " << error << "\n";
        for (const std::string& text : dialogs.shown) std::cerr << "  message: " << text << "\n";
        return 1;
    }
    std::ofstream out(result);
    out << seconds << " " << screen->importId() << " " << beforeKib << " " << sourceStatements.takeLongest()
        << " " << peakOfThisProgram() << "\n";
    for (const auto& lap : diag::StageClock::instance().laps()) {
        out << lap.seconds << " " << lap.peakKib << " " << lap.name << "\n";
    }
    return out ? 0 : 1;
} catch (const std::exception& error) {
    std::cerr << "import child: " << error.what() << "\n";
    return 1;
} catch (const diag::ProcessEnd& end) {
    std::cerr << "import child: the import ended the process with status " << end.status << "\n";
    return 1;
}

int runImportBench(long rows) {
    SourceShape shape = shapeForRows(rows);
    fs::path folder =
        fs::temp_directory_path() / ("koru-import-bench-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    struct Cleanup {
        fs::path folder;
        ~Cleanup() {
            std::error_code ec;
            fs::remove_all(folder, ec);
        }
    } cleanup{folder};

    std::printf(
        "\nImport of %ld companies, %ld departments, %ld contacts, %ld PCs and %ld software rows (%ld rows, "
        "%ld of them software without a licence, which the mapping leaves out) into the embedded destination\n",
        shape.companies, shape.departments, shape.contacts, shape.pcs, shape.software, shape.rows(),
        shape.unlicensed());
    std::printf("  load average before: %s\n", loadAverage().c_str());
    auto started = Clock::now();
    writeImportSource(folder / "source.db", shape);
    std::printf("  source written in %.1f s\n", secondsSince(started));

    db::createProductDatabase(folder, kDatabase, db::Product::Tickora, true);
    std::int64_t ciidBefore = 0, lastIdBefore = 0;
    {
        db::SqliteConnection destination;
        destination.open(db::embeddedDestinationString(folder, kDatabase));
        ThrowingReporter reporter;
        db::Repository repository(destination, db::sqliteRepositoryStatements(), reporter);
        if (!repository.Create_XFR_Tables() || !repository.Create_XFR_Indexes()) {
            throw std::runtime_error("the repository tables were not created");
        }
        saveMapping(destination);
        ciidBefore = integerOf(destination, "SELECT count(*) FROM CIID");
        lastIdBefore = integerOf(destination, "SELECT ifnull(max(ID), 0) FROM CIID");
    }

    ChildRun run = importInChild(folder);
    std::printf(
        "  import, Start on the import screen in a child process: %.2f s, peak RSS %.1f MiB "
        "(%.1f MiB before Start)\n",
        run.seconds, run.peakKib / 1024.0, run.beforeKib / 1024.0);

    LandedTable items, transfer, hash;
    {
        db::SqliteConnection destination;
        destination.open(db::embeddedDestinationString(folder, kDatabase));
        checkImport(destination, shape, run.importId, ciidBefore);
        destination.execute("DROP INDEX IF EXISTS [bench_check_XFRHASH_CIIDID]");
        fs::path file = folder / (std::string(kDatabase) + ".db");
        destination.execute("PRAGMA wal_checkpoint(TRUNCATE)");  // the file alone holds every row
        items = readLanded(file, "CIID", landedColumns(), "WHERE [ID] > " + std::to_string(lastIdBefore) + " ORDER BY [ID]");
        items.table = "CIID_copy";
        items.schema = copyOfCiidSchema();
        // The transfer index is built once its rows are in, after the writes this counts.
        transfer = readLanded(file, "XFRTransfer", columnsOf(destination, "XFRTransfer"), "ORDER BY rowid");
        transfer.table = "XFRTransfer";
        transfer.schema = schemaOf(destination, "XFRTransfer", false);
        hash = readLanded(file, "XFRHASH", columnsOf(destination, "XFRHASH"),
                          "WHERE [ImportID] = " + std::to_string(run.importId) + " ORDER BY rowid");
        hash.table = "XFRHASH";
        hash.schema = schemaOf(destination, "XFRHASH", true);
    }
    if (static_cast<long>(items.rows) != shape.imported())
        throw std::runtime_error("the landed rows are not all new items");
    // The update runs start from this import, in a folder of their own.
    fs::path updates = folder / "updates";
    fs::create_directories(updates);
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name.rfind("source.db", 0) == 0 || name.rfind(std::string(kDatabase) + ".db", 0) == 0) {
            fs::copy_file(entry.path(), updates / name);
        }
    }
    double rawSeconds = rawInsert(folder / "raw.db", {&items});
    std::printf(
        "  raw insert of the landed rows into an empty copy of CIID (sqlite3, one prepared INSERT, "
        "one transaction): %.2f s\n",
        rawSeconds);
    // What the design cannot do without: each source row written as a transfer row, an item and
    // a hash row. The time beyond it is what reading, checking and linking cost.
    double writesSeconds = rawInsert(folder / "raw-writes.db", {&transfer, &items, &hash});
    std::printf(
        "  raw insert of every row the import writes (%zu transfer rows, %zu items, %zu hash rows; one prepared "
        "INSERT and one transaction per table): %.2f s, %.2f times the raw insert of the items\n",
        transfer.rows, items.rows, hash.rows, writesSeconds, writesSeconds / rawSeconds);
    std::printf("  load average after: %s\n", loadAverage().c_str());
    undoImport(folder, run.importId, ciidBefore);

    printStages(run);
    double endToEnd = shape.imported() / run.seconds;
    double raw = shape.imported() / rawSeconds;
    std::printf(
        "end-to-end: %.0f rows/s; raw insert: %.0f rows/s; ratio: %.2f; peak RSS: %.1f MiB\n",
        endToEnd, raw, raw / endToEnd, run.peakKib / 1024.0);
    runUpdateBench(updates, shape, run);
    return 0;
}

}  // namespace koru::bench
