#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include "app/application.h"
#include "app/unattended_run.h"
#include "db/db_test_support.h"
#include "db/destination_access.h"
#include "db/destination_lock.h"
#include "db/odbc_connection.h"
#include "support/files.h"
#include "support/full_disk_vfs.h"
#include "support/lock_holder.h"
#include "support/unattended_program.h"
#include "wizard/headless_dialogs.h"

extern char** environ;

namespace koru::app {
namespace {

namespace fs = std::filesystem;
using test::Outcome;

const std::string kLogin = " /Product=tickora /UserID=admin";
const std::string kLeftOff = "were left switched off by an import that did not finish";
const std::string kStillOff = "are still switched off";
const std::string kFailedAt = "XFR Import Failed At Stage : ";

bool holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The real program on the demo, with the destination as it was before any import kept aside.
class UnattendedFaults : public test::UnattendedProgram {
protected:
    UnattendedFaults() {
        rows("SELECT 1");  // a product database is put in WAL mode when it is first opened
        fs::copy_file(database(), home.path() / "snapshot.db");
    }

    fs::path database() const { return home.path() / "TICKORDB.db"; }
    void restore() {
        for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(database().string() + suffix);
        fs::copy_file(home.path() / "snapshot.db", database());
    }

    // What the imports left, without the ids that differ from run to run: every item by its path
    // in the tree with its fields, the hash rows by item, the sessions, the history of the items
    // there are, and the trigger switches.
    std::string state() {
        std::string fields = rows(
            "SELECT group_concat('c.[' || name || ']', ', ') FROM pragma_table_info('CIID') "
            "WHERE name NOT IN ('ID', 'Parent')");
        fields.pop_back();
        const std::string tree =
            "WITH RECURSIVE tree(id, path) AS (SELECT ID, Alpha1 FROM CIID WHERE Parent = 0 "
            "UNION ALL SELECT c.ID, tree.path || '/' || c.Alpha1 FROM CIID c "
            "JOIN tree ON c.Parent = tree.id) ";
        return sorted(rows(tree + "SELECT tree.path, " + fields +
                           " FROM tree JOIN CIID c ON c.ID = tree.id")) +
               sorted(rows(tree + "SELECT tree.path, h.StructureID, h.XFRID FROM XFRHash h "
                                  "LEFT JOIN tree ON tree.id = h.CIIDID")) +
               rows(
                   "SELECT (SELECT count(*) FROM CIID), (SELECT count(*) FROM XFRTranLog), "
                   "(SELECT count(*) FROM CIIDHistory WHERE CIIDID IN (SELECT ID FROM CIID))") +
               rows("SELECT table_name, enabled FROM koru_trigger_switch ORDER BY 1");
    }
    static std::string sorted(const std::string& lines) {
        std::multiset<std::string> set;
        std::istringstream in(lines);
        for (std::string line; std::getline(in, line);) set.insert(line);
        std::string text;
        for (const std::string& line : set) text += line + "\n";
        return text;
    }
    // The newest session; empty when none was recorded.
    std::string newestSession() {
        if (rows("SELECT count(*) FROM sqlite_master WHERE name = 'XFRTranLog'") == "0\n")
            return {};
        std::string id = rows("SELECT ifnull(max(ID), '') FROM XFRTranLog");
        return id.substr(0, id.size() - 1);
    }
    std::string triggersOn() { return rows("SELECT min(enabled) FROM koru_trigger_switch"); }

    // Starts the program on the demo mapping in `folder` without waiting for it, with `settings`
    // added to its environment; its standard error goes to `name`.err in the program folder.
    pid_t start(const fs::path& folder, const std::vector<std::string>& settings,
                const std::string& name) {
        std::vector<std::string> environment = settings;
        environment.push_back("KORU_HOME=" + folder.string());
        for (char** variable = environ; *variable; ++variable) environment.emplace_back(*variable);
        std::vector<char*> envp;
        for (std::string& variable : environment) envp.push_back(variable.data());
        envp.push_back(nullptr);
        std::vector<std::string> arguments = {KORU_BINARY, "/MapFile=demo.xfo", "/Product=tickora",
                                              "/UserID=admin", "/Update=2"};
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&files, 2, (home.path() / (name + ".err")).c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = 0;
        EXPECT_EQ(posix_spawn(&pid, KORU_BINARY, &files, nullptr, argv.data(), envp.data()), 0);
        posix_spawn_file_actions_destroy(&files);
        return pid;
    }
    // One that stops itself as it enters `stage`.
    pid_t startStoppingAt(const std::string& stage, const fs::path& folder,
                          const std::string& name) {
        pid_t pid = start(folder, {"KORU_FAULT_AT=" + std::to_string(SIGSTOP) + ":" + stage}, name);
        int status = 0;
        EXPECT_TRUE(::waitpid(pid, &status, WUNTRACED) == pid && WIFSTOPPED(status))
            << home.read(name + ".err");
        return pid;
    }
    // The exit status, 128 + the signal for one a signal ended.
    static int finish(pid_t pid) {
        int status = 0;
        if (::waitpid(pid, &status, 0) != pid) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
};

class DbUnattendedFaults : public ::testing::Test, protected UnattendedFaults {};

TEST_F(DbUnattendedFaults, AKillOrAStopAtAnyStageIsUndoneAndRunAgainAsOneCleanRun) {
    ASSERT_EQ(import('0').status, 0);
    const std::string clean = state();

    // A kill leaves what the stage found: a session from the extraction on, the triggers off
    // while the items are written. A stop ends the run at the next step that looks for it.
    struct Case {
        std::string stage;
        bool recorded;
        bool triggersOff;
        std::string stoppedAt;
    } cases[] = {
        {"Initialisation", false, false, "Writing To Temp Table"},
        {"Creating XFRTempP Table", false, false, "Writing To Temp Table"},
        {"Creating Temp Table", false, false, "Writing To Temp Table"},
        {"Creating Hash Table", false, false, "Writing To Temp Table"},
        {"Creating Hash Indexes", false, false, "Writing To Temp Table"},
        {"Creating Stored Procedures", false, false, "Writing To Temp Table"},
        {"Creating Transaction Log", false, false, "Writing To Temp Table"},
        {"Getting Import Information", false, false, "Writing To Temp Table"},
        {"Writing To Temp Table", true, false, "Writing To Temp Table"},
        {"Deactivating CIID Trigger", true, false, "Updating Live Database"},
        {"Updating Live Database", true, true, "Updating Live Database"},
        {"Updating Navigator Structure", true, true, "Updating Navigator Structure"},
        {"Updating HRAC in live database", true, true, "De-Initiialisation"},
        {"Activating CIID Trigger", true, true, "De-Initiialisation"},
        {"De-Initiialisation", true, false, "De-Initiialisation"},
    };
    for (int signal : {SIGKILL, SIGTERM}) {
        for (const Case& c : cases) {
            SCOPED_TRACE("signal " + std::to_string(signal) + " at " + c.stage);
            restore();
            Outcome fault =
                import('0', "KORU_FAULT_AT='" + std::to_string(signal) + ":" + c.stage + "' ");
            const bool killed = signal == SIGKILL;
            if (killed) {
                EXPECT_EQ(fault.status, 128 + SIGKILL) << fault.err;
            } else {
                EXPECT_EQ(fault.status, 1);
                EXPECT_TRUE(holds(fault.err, kFailedAt + c.stoppedAt)) << fault.err;
            }
            const bool leftOff = killed && c.triggersOff;
            EXPECT_EQ(triggersOn(), leftOff ? "0\n" : "1\n");
            const std::string session = newestSession();
            EXPECT_EQ(!session.empty(), !killed || c.recorded);

            // The next run, whichever it is, switches the triggers on first and says so.
            Outcome next = session.empty() ? import('0') : run("--undo " + session + kLogin);
            EXPECT_EQ(next.status, 0) << next.err;
            EXPECT_EQ(holds(next.err, kLeftOff), leftOff) << next.err;
            if (!session.empty()) {
                EXPECT_EQ(import('0').status, 0);
            }
            EXPECT_EQ(state(), clean);
        }
    }
}

TEST_F(DbUnattendedFaults, ADiskThatFillsUpFailsTheRunNamingWhereAndNothingStaysUnexplained) {
    const UnattendedParameters parameters{
        home.path() / "demo.xfo", "tickora", "admin", "", "0", "TICKORDB"};
    auto importHere = [&] {
        std::ostringstream out, err;
        int status = runUnattended(parameters, out, err);
        return Outcome{status, err.str(), out.str()};
    };
    std::int64_t needed = 0;
    {
        test::FullDiskVfs disk;
        ASSERT_EQ(importHere().status, 0);
        needed = disk.written();
    }
    const std::string clean = state();

    // Less and less room, until the run fails before its import starts.
    std::set<std::string> stages;
    bool sawStillOff = false;
    for (int percent = 100; percent > 0; --percent) {
        SCOPED_TRACE("room for " + std::to_string(percent) + "% of what an import writes");
        restore();
        Outcome full;
        {
            test::FullDiskVfs disk(needed * percent / 100);
            full = importHere();
        }
        if (full.status == 0) {
            EXPECT_EQ(state(), clean);
            continue;
        }
        EXPECT_EQ(full.status, 1);
        EXPECT_TRUE(holds(full.err, "database or disk is full")) << full.err;
        // Triggers the failure could not switch on are named, with the way to switch them on.
        const bool stillOff = holds(full.err, kStillOff);
        sawStillOff = sawStillOff || stillOff;
        EXPECT_EQ(triggersOn(), stillOff ? "0\n" : "1\n") << full.err;
        if (stillOff) {
            EXPECT_TRUE(
                holds(full.err,
                      "UPDATE [koru_trigger_switch] SET [enabled] = 1 WHERE [table_name] = 'ciid'"))
                << full.err;
        }

        // With room again, what the run recorded is undone and the next run is a clean one.
        const std::string session = newestSession();
        if (!session.empty()) {
            Outcome undo = run("--undo " + session + kLogin);
            EXPECT_EQ(undo.status, 0) << undo.err;
            EXPECT_EQ(holds(undo.err, kLeftOff), stillOff) << undo.err;
        }
        EXPECT_EQ(import('0').status, 0);
        EXPECT_EQ(state(), clean);

        std::size_t at = full.err.find(kFailedAt);
        if (at == std::string::npos) break;  // it failed connecting or loading the mapping
        at += kFailedAt.size();
        stages.insert(full.err.substr(at, full.err.find_first_of("\r\n", at) - at));
    }
    EXPECT_TRUE(sawStillOff);
    EXPECT_GE(stages.size(), 5u) << "the full disk should stop the import at most of its stages";
}

TEST_F(DbUnattendedFaults, ADestinationLockedOrReadOnlyIsNamedAtOnceAndLeftAsItWas) {
    ASSERT_EQ(import('0').status, 0);
    const std::string before =
        rows("SELECT (SELECT count(*) FROM CIID), (SELECT count(*) FROM XFRStructure)");
    auto connectHere = [&](std::chrono::milliseconds wait) {
        wizard::HeadlessHost host;
        std::ostringstream err;
        wizard::HeadlessDialogs dialogs(err);
        Application application(host, dialogs, true);
        application.echoReportsTo(err);
        application.context().destinationLockWait = wait;
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(connectUnattended(application, {"tickora", "admin", "", "TICKORDB"}, err), 1);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5))
            << "one short wait, not one per statement";
        return err.str();
    };

    {
        // Another program writing to the database.
        db::SqliteConnection other;
        other.open(db::embeddedDestinationString(home.path(), "TICKORDB"));
        other.execute("BEGIN EXCLUSIVE");
        std::string err = connectHere(std::chrono::milliseconds(300));
        EXPECT_TRUE(holds(err, db::destinationLockedMessage("TICKORDB", std::chrono::seconds(1))))
            << err;
        other.execute("ROLLBACK");
    }
    {
        // Another import: it is named.
        test::LockHolder other(database());
        ASSERT_TRUE(other.held());
        std::string err = connectHere(std::chrono::milliseconds(300));
        EXPECT_TRUE(holds(err, db::destinationBusyMessage(
                                   "TICKORDB", test::rawFile(database().string() + ".koru-lock"))))
            << err;
    }
    EXPECT_EQ(rows("SELECT (SELECT count(*) FROM CIID), (SELECT count(*) FROM XFRStructure)"),
              before);

    // A read-only file, then its folder too. The superuser writes anything: it runs the program
    // as nobody instead.
    const bool superuser = ::geteuid() == 0;
    const std::string launcher =
        superuser ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    if (superuser) {
        fs::permissions(home.path(), fs::perms::all);
        for (const auto& entry : fs::directory_iterator(home.path())) {
            fs::permissions(entry.path(), fs::perms::owner_read | fs::perms::owner_write |
                                              fs::perms::group_read | fs::perms::group_write |
                                              fs::perms::others_read | fs::perms::others_write);
        }
    }
    const fs::path folder = home.path() / "readonly";
    fs::create_directory(folder);
    fs::rename(database(), folder / "TICKORDB.db");
    settings("sqlite:" + folder.string());
    const fs::perms readable =
        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    for (fs::perms folderPerms :
         {fs::perms::all,
          readable | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec}) {
        fs::permissions(folder / "TICKORDB.db", readable);
        fs::permissions(folder, folderPerms);
        Outcome refused = import('0', launcher);
        EXPECT_EQ(refused.status, 1);
        EXPECT_TRUE(holds(refused.err,
                          "The destination database TICKORDB cannot be written: it is read-only"))
            << refused.err;
        fs::permissions(folder, fs::perms::all);
    }
    fs::permissions(folder / "TICKORDB.db", fs::perms::owner_read | fs::perms::owner_write);
    fs::rename(folder / "TICKORDB.db", database());
    settings("sqlite:" + home.path().string());
    EXPECT_EQ(rows("SELECT (SELECT count(*) FROM CIID), (SELECT count(*) FROM XFRStructure)"),
              before);
}

TEST_F(DbUnattendedFaults, TwoRunsAtOnceTakeTurnsAndNeverImportAnItemTwice) {
    // A second program folder on the same source and destination, as another machine would be.
    const fs::path second = home.path() / "second";
    fs::create_directory(second);
    for (const auto& entry : fs::directory_iterator(home.path())) {
        const std::string name = entry.path().filename().string();
        if (name == "ConnSet" || name.rfind("demo", 0) == 0)
            fs::copy_file(entry.path(), second / name);
    }

    // Update + new, the first held as its import starts, its mapping loaded and the session it
    // updates chosen: the second waits for it, then updates what it imported.
    pid_t first = startStoppingAt("Initialisation", home.path(), "first");
    pid_t waiting = start(second, {}, "second");
    const fs::path lockFile = database().string() + ".koru-lock";
    bool waits = false;
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
         !waits && std::chrono::steady_clock::now() < until;
         std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
        std::error_code ec;
        for (const auto& fd :
             fs::directory_iterator("/proc/" + std::to_string(waiting) + "/fd", ec)) {
            waits = waits || fs::read_symlink(fd.path(), ec) == lockFile;
        }
    }
    EXPECT_TRUE(waits) << home.read("second.err");
    ::kill(first, SIGCONT);
    EXPECT_EQ(finish(first), 0) << home.read("first.err");
    EXPECT_EQ(finish(waiting), 0) << home.read("second.err");
    EXPECT_EQ(rows("SELECT count(*) FROM CIID"), "26\n");
    EXPECT_EQ(rows("SELECT ID, UpdateImportID, "
                   "(SELECT count(*) FROM XFRHash h WHERE h.ImportID = t.ID) FROM XFRTranLog t "
                   "ORDER BY ID"),
              "1|0|23\n2|1|23\n");

    // From the same program folder the second is refused at once.
    first = startStoppingAt("Creating XFRTempP Table", home.path(), "first");
    EXPECT_EQ(finish(start(home.path(), {}, "second")), 1);
    EXPECT_TRUE(
        holds(home.read("second.err"), "You already have Veltrane Data Import Utility running!"));
    ::kill(first, SIGCONT);
    EXPECT_EQ(finish(first), 0) << home.read("first.err");
    EXPECT_EQ(rows("SELECT count(*), (SELECT count(*) FROM XFRTranLog) FROM CIID"), "26|3\n");
}

class OdbcUnattendedFaults : public ::testing::Test, protected UnattendedFaults {};

TEST_F(OdbcUnattendedFaults, ASourceServerEndingTheSessionDuringTheExtractionFailsThatStage) {
    test::PgServer server;
    KORU_NEED(server.available(), server.whyNot());
    test::PgDatabase source(server);
    {
        // The demo source with plain names, which PostgreSQL keeps in lower case.
        db::OdbcConnection target;
        target.open(source.connectionString());
        copyDemoSource(target, "");
    }
    settings("sqlite:" + home.path().string(), source.connectionString());
    Outcome first = import('0');
    ASSERT_EQ(first.status, 0) << first.err;
    const std::string clean = state();
    restore();

    // The run stops itself as it starts extracting; the server ends its session meanwhile.
    pid_t pid = startStoppingAt("Writing To Temp Table", home.path(), "stopped");
    EXPECT_EQ(test::rowsOf(source.admin(),
                           "SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
                           "WHERE datname = '" +
                               source.name() + "'"),
              "1\n");
    ::kill(pid, SIGCONT);
    EXPECT_EQ(finish(pid), 1);
    const std::string err = home.read("stopped.err");
    EXPECT_TRUE(holds(err, kFailedAt + "Writing To Temp Table")) << err;
    EXPECT_EQ(triggersOn(), "1\n");
    const std::string failed = newestSession();

    // The next run imports everything; the failed session recorded nothing and goes.
    Outcome next = import('0');
    EXPECT_EQ(next.status, 0) << next.err;
    EXPECT_EQ(rows("SELECT count(*) FROM XFRHash WHERE ImportID = " + failed), "0\n");
    EXPECT_EQ(run("--undo " + failed + kLogin).status, 0);
    EXPECT_EQ(state(), clean);
}

}  // namespace
}  // namespace koru::app
