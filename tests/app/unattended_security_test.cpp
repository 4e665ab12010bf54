#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "support/files.h"
#include "support/lock_holder.h"
#include "support/unattended_program.h"

extern char** environ;

namespace koru::app {
namespace {

namespace fs = std::filesystem;

class DbUnattendedSecurity : public ::testing::Test, public test::UnattendedProgram {
protected:
    // Every row of every product table (the repository's XFR tables aside), by table.
    std::map<std::string, std::multiset<std::string>> productRows() {
        std::map<std::string, std::multiset<std::string>> all;
        for (const std::string& table : lines(rows("SELECT name FROM sqlite_master WHERE type = 'table' AND name "
                                                   "NOT LIKE 'XFR%' AND name NOT LIKE 'sqlite%'"))) {
            for (std::string& row : lines(rows("SELECT * FROM [" + table + "]"))) all[table].insert(std::move(row));
            all[table];
        }
        return all;
    }
    static std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> list;
        for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
            list.push_back(text.substr(at, end - at));
        }
        return list;
    }
    // Every file of the program folder that holds the text, by name.
    std::vector<std::string> filesHolding(const std::string& text) {
        std::vector<std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(home.path())) {
            if (entry.is_regular_file() && test::rawFile(entry.path()).find(text) != std::string::npos) {
                found.push_back(entry.path().filename().string());
            }
        }
        return found;
    }
};

const std::string kSecret = "Pw#9-hunter2";

TEST_F(DbUnattendedSecurity, NoPasswordReachesAFileTheOutputOrTheProcessList) {
    test::writeFile(home.path() / "TKImportLog.on", "");  // the debug log too
    const std::string password = "\"/Password='" + kSecret + "'\"";
    struct Run {
        std::string arguments;
        int status;
    } runs[] = {
        {"\"/MapFile='demo.xfo'\" /Product=tickora /UserID=admin " + password + " /Update=0", 0},
        {"--history /Product=tickora /UserID=admin " + password, 0},
        // Refused values that run on over the password when a shell gives the line as one argument.
        {"\"/MapFile=gone.xfo /Password=" + kSecret + " /Update=0\"", 2},
        {"\"/MapFile='demo.xfo' /Update='0' /UserID=admin /Product=helpdesk /Password=" + kSecret + "\"", 2},
        {"\"/MapFile=demo.xfo /Update=5 /Password=" + kSecret + "\"", 2},
        {"\"--import /Password=" + kSecret + "\"", 2},
        {"--undo \"/Password=" + kSecret + "\"", 2},
        {"--history \"--all /Password=" + kSecret + "\"", 2},
        // A failed connection names the database, not the login.
        {"\"/MapFile='demo.xfo'\" /Product=tickora /UserID=admin " + password + " /Update=0 /Database=NOSUCHDB", 1},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.arguments);
        test::Outcome outcome = this->run(run.arguments);
        EXPECT_EQ(outcome.status, run.status) << outcome.err;
        EXPECT_EQ(outcome.err.find(kSecret), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.out.find(kSecret), std::string::npos) << outcome.out;
    }
    EXPECT_TRUE(logged("VALUE=HELPDESK /PASSWORD=*****"));
    EXPECT_NE(home.read("TKImportLog.log"), "<missing>");
    EXPECT_EQ(filesHolding(kSecret), std::vector<std::string>{});

    // While the run waits for another import's lock, the process list shows no password.
    test::LockHolder other(home.path() / "TICKORDB.db");
    ASSERT_TRUE(other.held());
    std::vector<std::string> arguments = {KORU_BINARY, "/MapFile=demo.xfo", "/Product=tickora", "/UserID=admin",
                                          "/Password=" + kSecret, "/Update=0"};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, KORU_BINARY, &quiet, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&quiet);
    const fs::path lockFile = home.path() / "TICKORDB.db.koru-lock";
    bool waiting = false;
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
         !waiting && std::chrono::steady_clock::now() < until;
         std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
        std::error_code ec;
        for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
            waiting = waiting || fs::read_symlink(fd.path(), ec) == lockFile;
        }
    }
    std::string cmdline = test::rawFile("/proc/" + std::to_string(pid) + "/cmdline");
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    ASSERT_TRUE(waiting) << "the run never reached the destination lock";
    EXPECT_NE(cmdline.find("/Password="), std::string::npos) << cmdline;
    EXPECT_EQ(cmdline.find(kSecret), std::string::npos) << cmdline;
}

// The database name is a value of the connection string, not more of its keys.
TEST_F(DbUnattendedSecurity, ADatabaseNameCannotRedirectTheConnection) {
    test::TempHome elsewhere;
    db::createProductDatabase(elsewhere.path(), "TICKORDB", db::Product::Tickora, true);
    test::Outcome outcome = run("\"/MapFile='demo.xfo'\" /Product=tickora /UserID=admin /Update=0 "
                                "\"/Database=TICKORDB;Data Source=sqlite:" + elsewhere.path().string() + "\"");
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    db::SqliteConnection other;
    other.open(db::embeddedDestinationString(elsewhere.path(), "TICKORDB"));
    EXPECT_EQ(test::rowsOf(other, "SELECT count(*) FROM CIID"), "3\n");
    EXPECT_EQ(rows("SELECT count(*) FROM CIID"), "3\n");
}

// A mapping file changed by someone else: whatever text a field holds, it never becomes SQL. A
// field that names something is refused before anything is written; a field that is data stays
// data, or is refused where it does not fit its column.
TEST_F(DbUnattendedSecurity, HostileMappingFieldsAreRefusedOrStayData) {
    const std::string hostile[] = {"'); delete from CIID; --", "1; update ciid set parent=0 --"};
    // What becomes of each of the two texts: N refused naming the place, R refused, D kept as data.
    struct Field {
        const char* file;
        int line;
        int n;  // field number; 0 for a key of the parent file
        const char* name;
        const char* outcomes;
    } fields[] = {
        {"demo-XFRClause.xft", 1, 1, "StructureID", "NN"},
        {"demo-XFRClause.xft", 1, 2, "SourceTable", "NN"},
        {"demo-XFRClause.xft", 1, 3, "SourceColumn", "NN"},
        {"demo-XFRClause.xft", 1, 4, "Operator", "NN"},
        {"demo-XFRClause.xft", 1, 5, "Criteria", "ND"},
        {"demo-XFRClause.xft", 1, 6, "StrucOrder", "NN"},
        {"demo-XFRClause.xft", 1, 7, "AndClause", "NN"},
        {"demo-XFRTableLinks.xft", 1, 1, "StructureID", "NN"},
        {"demo-XFRTableLinks.xft", 1, 2, "SourceTable", "NN"},
        {"demo-XFRTableLinks.xft", 1, 3, "SourceColumn", "NN"},
        {"demo-XFRTableLinks.xft", 1, 4, "DestinTable", "NN"},
        {"demo-XFRTableLinks.xft", 1, 5, "DestinColumn", "NN"},
        {"demo-XFRStructure.xft", 2, 1, "ID", "NN"},
        {"demo-XFRStructure.xft", 2, 2, "Name", "NR"},  // longer than a level name may be
        {"demo-XFRStructure.xft", 2, 3, "ULink", "NN"},
        {"demo-XFRStructure.xft", 2, 4, "DLink", "NN"},
        {"demo-XFRStructure.xft", 2, 5, "ULinkID", "NN"},
        {"demo-XFRStructure.xft", 2, 6, "ULinkNumeric", "NN"},
        {"demo-XFRStructure.xft", 2, 7, "DLinkID", "NN"},
        {"demo-XFRStructure.xft", 2, 8, "StyleID", "NN"},
        {"demo-XFRMappings.xft", 1, 1, "StructureID", "NN"},
        {"demo-XFRMappings.xft", 1, 2, "SourceTable", "NN"},
        {"demo-XFRMappings.xft", 1, 3, "SourceColumn", "NN"},
        {"demo-XFRMappings.xft", 1, 4, "DestinTable", "NN"},
        {"demo-XFRMappings.xft", 1, 5, "DestinColumn", "NN"},
        {"demo-XFRMappings.xft", 1, 6, "Level", "NN"},
        // The parent file's values run to the next ";" and its GenParent reads as much of a
        // number as there is (none: 0).
        {"demo-XFRParent.xft", 1, 0, "GenParent", "DD"},
        {"demo-XFRParent.xft", 1, 0, "SourceCol", "NN"},
        {"demo-XFRParent.xft", 1, 0, "DestinCol", "NN"},
        {"demo-XFRParent.xft", 1, 0, "StyleID", "ND"},
        {"demo-XFRParent.xft", 1, 0, "Distinct", "ND"},
        {"demo-XFRParent.xft", 1, 0, "EXLAppLinkID", "ND"},
    };
    const auto before = productRows();
    const fs::path database = home.path() / "TICKORDB.db";
    fs::copy_file(database, home.path() / "pristine.db");

    for (const Field& field : fields) {
        const fs::path file = home.path() / field.file;
        const std::string original = test::rawFile(file);
        for (int which = 0; which < 2; ++which) {
            const std::string& text = hostile[which];
            SCOPED_TRACE(std::string(field.file) + " " + field.name + ": " + text);
            // The demo has no table link: one is given so that its fields can be changed.
            std::string content =
                original.empty() ? "'5',, 'Software',, 'AssetTag',, 'PC',, 'AssetTag',, \r\n" : original;
            std::size_t start = 0;
            for (int n = 1; n < field.line; ++n) start = content.find("\r\n", start) + 2;
            std::size_t end = std::min(content.find("\r\n", start), content.size());
            std::string line = content.substr(start, end - start);
            if (field.n == 0) {
                std::size_t value = line.find(std::string(field.name) + "=") + std::string(field.name).size() + 1;
                line.replace(value, line.find(';', value) - value, text);
            } else {
                std::size_t from = 0;
                for (int n = 1; n < field.n; ++n) from = line.find(",,", from) + 2;
                std::size_t to = std::min(line.find(",,", from), line.size());
                bool bare = std::string(field.file) == "demo-XFRMappings.xft" && field.n == 1;
                line.replace(from, to - from, (from > 0 ? " " : "") + (bare ? text : "'" + text + "'"));
            }
            test::writeFile(file, content.replace(start, end - start, line));

            test::Outcome outcome = import('0');
            if (field.outcomes[which] == 'D') {
                EXPECT_EQ(outcome.status, 0) << outcome.err;
                // Rows the product had before are all there, as they were.
                auto now = productRows();
                for (const auto& [table, earlier] : before) {
                    EXPECT_TRUE(std::includes(now[table].begin(), now[table].end(), earlier.begin(), earlier.end()))
                        << table;
                }
            } else {
                EXPECT_EQ(outcome.status, 1) << outcome.err;
                EXPECT_EQ(productRows(), before);
            }
            if (field.outcomes[which] == 'N') {
                EXPECT_NE(outcome.err.find(file.string() + ", line " + std::to_string(field.line)), std::string::npos)
                    << outcome.err;
                EXPECT_NE(outcome.err.find(field.name), std::string::npos) << outcome.err;
                EXPECT_EQ(rows("SELECT (SELECT count(*) FROM XFRStructure) + (SELECT count(*) FROM XFRMappings) + "
                               "(SELECT count(*) FROM XFRClause) + (SELECT count(*) FROM XFRTableLink)"),
                          "0\n");
            }
            fs::copy_file(home.path() / "pristine.db", database, fs::copy_options::overwrite_existing);
        }
        test::writeFile(file, original);
    }
}

}  // namespace
}  // namespace koru::app
