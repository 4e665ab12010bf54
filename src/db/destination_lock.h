#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "db/connection.h"
#include "db/destination_dialect.h"

namespace koru::db {

// How long an import or undo waits for another one on the same destination to finish.
inline constexpr std::chrono::milliseconds kDestinationLockWait{30000};

// One import or undo at a time per destination database, whichever program folder or machine
// it runs from: the work tables are shared. Held until release() or destruction, and freed by
// the server or the system when the holding process dies.
class DestinationLock {
public:
    virtual ~DestinationLock() = default;
    // True once held (at once when this object holds it already); false after waiting `wait`,
    // with holder() naming who has it.
    virtual bool acquire(std::chrono::milliseconds wait) = 0;
    virtual void release() = 0;
    // "user, computer, since time" of the holder a failed acquire met.
    const std::string& holder() const { return m_holder; }

protected:
    std::string m_holder;
};

// SQL Server: an application lock owned by the connection's session. Embedded: an flock on
// "<database file>.koru-lock", which holds the holder's line.
std::unique_ptr<DestinationLock> makeDestinationLock(Connection& destination, DestinationDialect::Kind kind);
std::unique_ptr<DestinationLock> makeFileDestinationLock(const std::filesystem::path& databaseFile);

// The message a second import or undo stops with.
std::string destinationBusyMessage(std::string_view database, std::string_view holder);

// The statements of the SQL Server lock, for the fixture test.
std::string mssqlAcquireLock(std::chrono::milliseconds wait);
std::string mssqlLockHolder();
std::string mssqlReleaseLock();

}  // namespace koru::db
