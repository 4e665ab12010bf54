#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "db/product_schema.h"
#include "db/repository.h"
#include "db/sqlite_connection.h"
#include "support/recording_reporter.h"

namespace koru::test {

// A product database of its own in a fresh folder, opened as the embedded destination, with
// the mapping repository in place.
class EmbeddedDestination {
public:
    explicit EmbeddedDestination(db::Product product = db::Product::Tickora, std::string database = "TICKORDB")
        : m_database(std::move(database)) {
        std::string pattern = (std::filesystem::temp_directory_path() / "koru-dest-XXXXXX").string();
        m_folder = ::mkdtemp(pattern.data());
        db::createProductDatabase(m_folder, m_database, product, true);
    }
    ~EmbeddedDestination() {
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
    }

    // A new open connection; the repository tables are created on the first call.
    std::unique_ptr<db::Connection> connect() {
        auto connection = std::make_unique<db::SqliteConnection>();
        connection->open(connectionString());
        if (!m_repositoryReady) {
            RecordingReporter reporter;
            db::Repository repository(*connection, db::sqliteRepositoryStatements(), reporter);
            EXPECT_TRUE(repository.Create_XFR_Tables() && repository.Create_XFR_Indexes());
            m_repositoryReady = true;
        }
        return connection;
    }

    std::string connectionString() const { return db::embeddedDestinationString(m_folder, m_database); }
    const std::filesystem::path& folder() const { return m_folder; }

private:
    std::filesystem::path m_folder;
    std::string m_database;
    bool m_repositoryReady = false;
};

// Every row of a query, fields joined by "|", rows by "\n"; null is written as <null>.
inline std::string rowsOf(db::Connection& connection, const std::string& sql) {
    std::string text;
    auto rows = connection.query(sql);
    while (rows->next()) {
        for (std::size_t i = 0; i < rows->fieldCount(); ++i) {
            if (i > 0) text += "|";
            text += rows->value(i).value_or("<null>");
        }
        text += "\n";
    }
    return text;
}

}  // namespace koru::test
