#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "db/connection.h"
#include "db/destination_dialect.h"

namespace koru::db {

// Whether the destination takes writes now, asked once before anything is written: a read-only
// file, or another program holding the embedded database's write lock, is named at once instead
// of failing each statement after a wait of its own. Waits up to `wait` for such a lock to end.
// Empty when it takes writes; otherwise what the user is told.
std::optional<std::string> destinationWriteRefusal(Connection& destination,
                                                   DestinationDialect::Kind kind,
                                                   std::string_view database,
                                                   std::chrono::milliseconds wait);

std::string destinationReadOnlyMessage(std::string_view database, std::string_view reason);
std::string destinationLockedMessage(std::string_view database, std::chrono::seconds waited);

}  // namespace koru::db
