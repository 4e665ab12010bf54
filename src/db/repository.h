#pragma once

#include <string>
#include <vector>

#include "db/connection.h"
#include "db/destination_dialect.h"
#include "diag/error_reporter.h"

namespace koru::db {

// The statements that lay out the mapping repository in one destination dialect.
class RepositoryStatements {
public:
    virtual ~RepositoryStatements() = default;
    // Run with errors suppressed: a missing table is not an error.
    virtual std::vector<std::string> dropMappingTables() const = 0;
    // XFRTableLink, XFRClause, XFRMappings, XFRStructure.
    virtual std::vector<std::string> createMappingTables() const = 0;
    virtual std::vector<std::string> createMappingIndexes() const = 0;
    virtual std::string addHashStructureParent() const = 0;
    // The table, then its clustered index.
    virtual std::vector<std::string> createHashTable() const = 0;
    virtual std::vector<std::string> updateHashIndexes() const = 0;
    virtual std::string addTranLogUpdateImportId() const = 0;
    // The mapping file each session ran; older rows keep null.
    virtual std::string addTranLogMapFile() const = 0;
    virtual std::string createTranLog() const = 0;
};

// SQL Server: the statements exactly as the product has always sent them.
const RepositoryStatements& mssqlRepositoryStatements();
// The embedded SQLite destination: the same tables, columns, nullability, identities and
// indexes; declared text widths are enforced and text compares without regard to case,
// as on SQL Server.
const RepositoryStatements& sqliteRepositoryStatements();
const RepositoryStatements& repositoryStatementsFor(DestinationDialect::Kind kind);

// The repository procedures of the destination database. Each returns true on success and
// reports a failure through the reporter.
class Repository {
public:
    Repository(Connection& destination, const RepositoryStatements& statements,
               diag::ErrorReporter& reporter)
        : m_destination(destination), m_statements(statements), m_reporter(reporter) {}

    bool Create_XFR_Tables();
    bool Create_XFR_Indexes();
    // True when the destination has the product's item table CIID, so it is a product database.
    bool isProductDatabase();
    bool Is_LG_Enabled();
    bool Validate_EXT_DB();
    bool Create_TB_XFR_Hash();
    bool Update_XFR_Hash_Indexes();
    bool Create_TB_XFR_TranLog();

private:
    // True when the select runs: the existence test of a table or column.
    bool selectSucceeds(const std::string& sql);

    Connection& m_destination;
    const RepositoryStatements& m_statements;
    diag::ErrorReporter& m_reporter;
};

}  // namespace koru::db
