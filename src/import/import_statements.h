#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/connection.h"
#include "db/destination_dialect.h"
#include "diag/error_reporter.h"

namespace koru::import {

// The destination statements of an import run that SQL Server and SQLite read differently.
class ImportStatements {
public:
    virtual ~ImportStatements() = default;
    // The table, then its index where it is made with the table.
    virtual std::vector<std::string> createTransferTable() const = 0;
    // The index where it is made once the rows are written; empty otherwise.
    virtual std::string indexTransferTable() const = 0;
    virtual std::string createTempPTable() const = 0;
    // "ciid", "assetciid", "assetmaintain"
    virtual std::string disableTriggers(std::string_view table) const = 0;
    virtual std::string enableTriggers(std::string_view table) const = 0;
    // The tables among those three whose triggers are off now (column table_name).
    virtual std::string triggersOff() const = 0;
    // Copies each imported item's resolved parent into CIID.
    virtual std::string updateParents(std::int32_t importId) const = 0;
    // Assets of the session without an asset id, or sharing one, become 'NOT ASSIGNED'.
    virtual std::vector<std::string> invalidAssetIds(std::int32_t importId) const = 0;
    // Writes each item of the session (table's `key` in XFRHash.CIIDID) back with `column`
    // unchanged, so that the product's update trigger records it in the history.
    virtual std::string touchForHistory(std::string_view table, std::string_view key, std::string_view column,
                                        std::int32_t importId) const = 0;
};

const ImportStatements& importStatementsFor(db::DestinationDialect::Kind kind);

// Drop and create the work tables; false after a reported error.
bool Create_Temp_P_Table(db::Connection& destination, const ImportStatements& statements,
                         diag::ErrorReporter& reporter);
bool Create_Temp_Table(db::Connection& destination, const ImportStatements& statements, diag::ErrorReporter& reporter);

// The new transaction-log row, with its values bound; returns its identity. A mapping never
// saved is recorded as empty text: null is left to the sessions recorded before the column.
std::int32_t insertTranLog(db::Connection& destination, db::DestinationDialect::Kind kind, const std::string& user,
                           const std::string& computer, const std::string& notes, std::int32_t updateImportId,
                           const std::string& mapFile);

}  // namespace koru::import
