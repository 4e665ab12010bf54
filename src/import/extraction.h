#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/connection.h"
#include "diag/error_reporter.h"
#include "import/recorded_keys.h"
#include "import/transfer_row.h"
#include "wizard/context.h"
#include "wizard/controls.h"

namespace koru::import {

// link is table.column: the table as written, or the column without brackets.
std::string Link_Sep(bool tablePart, std::string_view link);

// The keys (or CIID ids) an import and the imports it updated (`sessions`, newest first)
// recorded for a level, as a list of quoted texts; nullopt when the list would be longer than
// `listLimit` characters.
// `national`: the list goes to SQL Server, which keeps characters outside its code page only
// in N'...' literals.
// `keys`, when given, receives every key, however long the list.
std::optional<std::string> UT_Get_List_Imported(wizard::Context& context, bool ciidList,
                                                const std::vector<std::int32_t>& sessions, int structureID,
                                                bool national, std::size_t listLimit, RecordedKeys* keys = nullptr);

// The source's values of table.column for a from text, as a list: quoted, trimmed and
// without quotes, as XFRHash keeps keys. Nullopt as soon as the list passes `listLimit`
// characters.
std::optional<std::string> UT_Get_Source_Unique_List(db::Connection& connection, const std::string& table,
                                                     const std::string& column, const std::string& fromText,
                                                     bool national, std::size_t listLimit);

// Writes transfer rows into XFRTransfer, one level at a time.
class TransferWriter {
public:
    virtual ~TransferWriter() = default;
    virtual void beginLevel(const TransferLayout& layout) = 0;
    virtual void write(const std::vector<TransferValue>& values) = 0;
    // The level's rows are all written: a refused one fails here at the latest.
    virtual void endLevel() {}
    // The stage is over: what was written stays.
    virtual void finish() = 0;
    // The stage failed: what was written stays, rows still held back are dropped.
    virtual void abandon() { finish(); }
};

// SQL Server receives one INSERT text per row; the embedded destination binds the values to
// one prepared statement per level inside one transaction.
std::unique_ptr<TransferWriter> makeTransferWriter(db::Connection& destination, db::DestinationDialect::Kind kind);

// The import screen's progress as the extraction moves it.
struct ExtractionProgress {
    wizard::ProgressBar& pbOverall;
    wizard::ProgressBar& pbSave;
    wizard::ProgressBar& pbVerify;
    wizard::Label& lblRecNumImport;
    std::function<void()> repaint;
};

// Runs every level's source statement and writes its rows into the transfer table. False
// after a reported error; the rows written so far stay.
bool Write_To_Temp_Table_Hierachy(wizard::Context& context, diag::ErrorReporter& reporter,
                                  ExtractionProgress progress);

}  // namespace koru::import
