#pragma once

#include <filesystem>
#include <memory>

#include "db/demo_source.h"
#include "db/sqlite_connection.h"
#include "support/embedded_destination.h"
#include "wizard/context.h"

namespace koru::test {

// The demo source database in `folder` and an embedded destination, opened into the Context as
// the connection screen leaves them.
inline void connectDemo(wizard::Context& context, const std::filesystem::path& folder,
                        EmbeddedDestination& destination) {
    db::createDemoSourceDatabase(folder / "source.db");
    auto source = std::make_unique<db::SqliteConnection>();
    source->open("Provider=SQLite;Data Source=" + (folder / "source.db").string());
    context.SourceConnection = std::move(source);
    context.DestinationConnection = destination.connect();
    context.destinationDialect = db::makeDestinationDialect(db::DestinationDialect::Kind::Sqlite);
}

}  // namespace koru::test
