#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "db/connection.h"

namespace koru::db {

enum class Product { Tickora, Ledgora };

// The product tables the import reads and writes, for the embedded SQLite destination.
// Tickora has no asset or external-application tables; Ledgora has both. Text columns keep
// their declared widths and compare without regard to case, as on SQL Server; update
// triggers on CIID, AssetCIID and AssetMaintain write the history tables while their row in
// koru_trigger_switch is enabled.
std::vector<std::string> sqliteProductSchema(Product product);

void createProductSchema(Connection& destination, Product product);

// Styles (one named "REQUEST"), categories, external applications and a few items, so that
// the wizard has something to show and to import under.
void addDemoContent(Connection& destination, Product product);

// Creates the embedded destination database <folder>/<database>.db with the product tables
// (and the demo content when asked). Connecting never creates a database; this does. Refuses a
// file that exists already.
void createProductDatabase(const std::filesystem::path& folder, const std::string& database, Product product,
                           bool withDemoContent);

// The connection string of the embedded destination database <folder>/<database>.db.
std::string embeddedDestinationString(const std::filesystem::path& folder, const std::string& database);

}  // namespace koru::db
