#include "db/destination_access.h"

#include <algorithm>

#include "db/db_error.h"

namespace koru::db {

std::optional<std::string> destinationWriteRefusal(Connection& destination,
                                                   DestinationDialect::Kind kind,
                                                   std::string_view database,
                                                   std::chrono::milliseconds wait) {
    // A server names its own refusals at the first statement, promptly.
    if (kind != DestinationDialect::Kind::Sqlite) return std::nullopt;
    auto seconds = std::max(std::chrono::seconds(1), std::chrono::ceil<std::chrono::seconds>(wait));
    const int commandTimeout = destination.commandTimeout();
    destination.setCommandTimeout(static_cast<int>(seconds.count()));
    try {
        destination.execute("BEGIN IMMEDIATE");
        // A write taken back at once: a read-only file refuses it, a writable one keeps nothing.
        destination.execute("CREATE TABLE [koru_write_probe] ([x] int)");
        destination.execute("ROLLBACK");
    } catch (const DbError& error) {
        try {
            destination.rollback();
        } catch (const DbError&) {
            // the refusal below is what counts
        }
        destination.setCommandTimeout(commandTimeout);
        if (error.code() == kErrTimeout) return destinationLockedMessage(database, seconds);
        if (error.code() == kErrPermissionDenied)
            return destinationReadOnlyMessage(database, error.what());
        throw;
    }
    destination.setCommandTimeout(commandTimeout);
    return std::nullopt;
}

std::string destinationReadOnlyMessage(std::string_view database, std::string_view reason) {
    return "The destination database " + std::string(database) +
           " cannot be written: it is read-only (" + std::string(reason) +
           "). Nothing was changed; the import writes into the destination, so its file and folder "
           "must be "
           "writable for this user.";
}

std::string destinationLockedMessage(std::string_view database, std::chrono::seconds waited) {
    return "The destination database " + std::string(database) +
           " is locked by another program that is writing to "
           "it (waited " +
           std::to_string(waited.count()) +
           " s). Nothing was changed; try again when it has finished.";
}

}  // namespace koru::db
