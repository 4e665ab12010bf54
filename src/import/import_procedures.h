#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "db/connection.h"
#include "db/destination_dialect.h"
#include "diag/error_reporter.h"

namespace koru::import {

// The four procedures of an import. SQL Server runs them as stored procedures the import
// creates; the embedded destination performs the same steps here, one transaction per call.
// Each call takes the connection it works on, since the run may reopen it.
class ImportProcedures {
public:
    virtual ~ImportProcedures() = default;
    // Drops what is there and creates the procedures (or what the steps need); throws.
    virtual void create(db::Connection& destination) = 0;
    // Every transfer row becomes a new or updated item, recorded in XFRHash.
    virtual void XFR_Update_CIID(db::Connection& destination, std::int32_t importID, std::int32_t updateImportID) = 0;
    // Every transfer row becomes a knowledge-base article.
    virtual void XFR_Update_KB(db::Connection& destination) = 0;
    // The items of `level` become the recorded parents of the items that name them.
    virtual void XFR_Update_DB_Hierachy(db::Connection& destination, std::int32_t importID, int level) = 0;
};

std::unique_ptr<ImportProcedures> makeImportProcedures(db::DestinationDialect::Kind kind);

// Creates the procedures; false after a reported error.
bool Create_XFR_SPs(db::Connection& destination, ImportProcedures& procedures, diag::ErrorReporter& reporter);

}  // namespace koru::import
