#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/connection.h"
#include "db/destination_dialect.h"

namespace koru::db {

// The product's triggers on "ciid", "assetciid" and "assetmaintain", which an import switches
// off while it writes items and on again afterwards.
std::string disableTriggersStatement(DestinationDialect::Kind kind, std::string_view table);
std::string enableTriggersStatement(DestinationDialect::Kind kind, std::string_view table);
// The tables among those three whose triggers are off now (column table_name).
std::string triggersOffStatement(DestinationDialect::Kind kind);

// Switches on the triggers a run that did not finish left off, and returns their tables (none
// where the database has no trigger switch). Only call it holding the destination lock: a
// running import has them off on purpose.
std::vector<std::string> switchOnTriggersLeftOff(Connection& destination, DestinationDialect::Kind kind);

// What the user is told about the tables switchOnTriggersLeftOff returned.
std::string triggersLeftOffMessage(const std::vector<std::string>& tables);

}  // namespace koru::db
