#include "db/destination_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "db/db_error.h"
#include "diag/account.h"
#include "diag/clock.h"

namespace koru::db {
namespace {

constexpr std::chrono::milliseconds kPollInterval{100};

std::string orUnknown(std::string text, const char* unknown) { return text.empty() ? unknown : text; }

// The embedded destination: an flock, which the system drops with the process that held it.
class FileDestinationLock : public DestinationLock {
public:
    explicit FileDestinationLock(std::filesystem::path lockFile) : m_lockFile(std::move(lockFile)) {}
    ~FileDestinationLock() override { release(); }

    bool acquire(std::chrono::milliseconds wait) override {
        if (m_fd >= 0) return true;
        int fd = ::open(m_lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            throw DbError(kErrGeneralFailure, "Cannot create the lock file " + m_lockFile.string() + ": " +
                                                  std::strerror(errno));
        }
        auto deadline = std::chrono::steady_clock::now() + wait;
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR) {
                int error = errno;
                ::close(fd);
                throw DbError(kErrGeneralFailure, "Cannot lock " + m_lockFile.string() + ": " + std::strerror(error));
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                m_holder = holderLine(fd);
                ::close(fd);
                return false;
            }
            std::this_thread::sleep_for(kPollInterval);
        }
        std::string line = orUnknown(diag::loggedOnUserName(), "unknown user") + ", " +
                           orUnknown(diag::computerName(), "unknown computer") + ", since " + diag::isoDateTime();
        // The line is only for the next one who waits: a failure to write it does not matter.
        if (::ftruncate(fd, 0) == 0) {
            [[maybe_unused]] ssize_t written = ::pwrite(fd, line.data(), line.size(), 0);
        }
        m_fd = fd;
        return true;
    }

    void release() override {
        if (m_fd < 0) return;
        // The file stays: removing it would let a waiter lock a name no longer in use.
        [[maybe_unused]] int truncated = ::ftruncate(m_fd, 0);
        ::close(m_fd);
        m_fd = -1;
    }

private:
    static std::string holderLine(int fd) {
        char buffer[512];
        ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
        std::string line = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
        return line.empty() ? "a process that has not yet said who it is" : line;
    }

    std::filesystem::path m_lockFile;
    int m_fd = -1;
};

// SQL Server: an application lock of the session, freed by the server when the session ends.
class MssqlDestinationLock : public DestinationLock {
public:
    explicit MssqlDestinationLock(Connection& destination) : m_destination(destination) {}
    ~MssqlDestinationLock() override {
        try {
            release();
        } catch (...) {
            // the session ends with the process, and the lock with it
        }
    }

    bool acquire(std::chrono::milliseconds wait) override {
        std::string result;
        {
            UntimedCommands untimed(m_destination);  // the server does the waiting
            auto rows = m_destination.query(mssqlAcquireLock(wait));
            if (rows->next()) result = rows->value(std::size_t{0}).value_or("");
        }
        // 0 granted at once, 1 after waiting; -1 timed out; -2, -3, -999 refused.
        if (result == "0" || result == "1") {
            m_held = true;
            return true;
        }
        if (result != "-1") throw DbError(kErrGeneralFailure, "sp_getapplock refused the import lock: " + result);
        m_holder = holderOnServer();
        return false;
    }

    void release() override {
        if (!m_held) return;
        m_held = false;
        if (!m_destination.isOpen()) return;  // a closed session holds nothing
        try {
            m_destination.execute(mssqlReleaseLock());
        } catch (const DbError&) {
            // errors suppressed: a session opened again after a timeout no longer holds it
        }
    }

private:
    std::string holderOnServer() {
        try {
            auto rows = m_destination.query(mssqlLockHolder());
            if (rows->next()) {
                return rows->value(std::size_t{0}).value_or("?") + ", " + rows->value(std::size_t{1}).value_or("?") +
                       ", since " + rows->value(std::size_t{2}).value_or("?");
            }
        } catch (const DbError&) {
            // errors suppressed: reading the server's sessions needs VIEW SERVER STATE
        }
        return "another session";
    }

    Connection& m_destination;
    bool m_held = false;
};

// Any other lock: always granted (an in-memory database has no second process).
class NoDestinationLock : public DestinationLock {
public:
    bool acquire(std::chrono::milliseconds) override { return true; }
    void release() override {}
};

}  // namespace

std::string mssqlAcquireLock(std::chrono::milliseconds wait) {
    // The test first: a session that holds it already (after a reconnect) must not count it twice.
    return "SET NOCOUNT ON; DECLARE @result int; SET @result = 0; "
           "IF APPLOCK_MODE('public', 'KORU import', 'Session') <> 'Exclusive' "
           "EXEC @result = sp_getapplock @Resource = 'KORU import', @LockMode = 'Exclusive', "
           "@LockOwner = 'Session', @LockTimeout = " +
           std::to_string(wait.count()) + "; SELECT @result AS result";
}

std::string mssqlLockHolder() {
    return "SELECT TOP 1 s.login_name, s.host_name, CONVERT(varchar(19), s.login_time, 120) "
           "FROM sys.dm_tran_locks l INNER JOIN sys.dm_exec_sessions s ON s.session_id = l.request_session_id "
           "WHERE l.resource_type = 'APPLICATION' AND l.resource_database_id = DB_ID() "
           "AND l.request_mode = 'X' AND l.request_status = 'GRANT' "
           "AND l.resource_description LIKE '%KORU import%'";
}

std::string mssqlReleaseLock() {
    return "EXEC sp_releaseapplock @Resource = 'KORU import', @LockOwner = 'Session'";
}

std::unique_ptr<DestinationLock> makeFileDestinationLock(const std::filesystem::path& databaseFile) {
    std::filesystem::path lockFile = databaseFile;
    lockFile += ".koru-lock";
    return std::make_unique<FileDestinationLock>(std::move(lockFile));
}

std::unique_ptr<DestinationLock> makeDestinationLock(Connection& destination, DestinationDialect::Kind kind) {
    if (kind == DestinationDialect::Kind::Mssql) return std::make_unique<MssqlDestinationLock>(destination);
    auto rows = destination.query("PRAGMA database_list");
    while (rows->next()) {
        std::string file = rows->value(std::size_t{2}).value_or("");
        if (rows->value(std::size_t{1}).value_or("") == "main" && !file.empty()) return makeFileDestinationLock(file);
    }
    return std::make_unique<NoDestinationLock>();
}

std::string destinationBusyMessage(std::string_view database, std::string_view holder) {
    return "Another import or undo is running on the database " + std::string(database) + " (" +
           std::string(holder) + "). Nothing was changed; try again when it has finished.";
}

}  // namespace koru::db
