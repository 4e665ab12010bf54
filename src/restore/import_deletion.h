#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "diag/error_reporter.h"
#include "wizard/context.h"

namespace koru::restore {

// What the deletion of one import session did.
struct DeletionResult {
    bool success = false;             // every step ran; the session is gone from the history
    std::int64_t itemsDeleted = 0;    // CIID rows the session made, now deleted
    std::int64_t itemsKept = 0;       // items an earlier session recorded: left as they are
    std::int64_t requestsDeleted = 0;
    std::int64_t hashRowsRemoved = -1;  // XFRHash rows of the session; -1 when the database does not say
    std::string refusal;  // set when another import or undo held the destination: nothing was done
};

// Items done so far of the total; called once before the first item and after each one.
using DeletionProgress = std::function<void(std::int64_t total, std::int64_t done)>;

// The session's recorded items that are still in CIID.
std::int64_t importItemCount(wizard::Context& context, std::int32_t importId);

// Deletes everything the session imported: its items (their children move up to the item's
// parent), their requests or asset companion rows, its hash rows and its XFRTranLog row. Items
// an earlier session recorded stay, so undoing an update leaves the import it updated whole.
// Sessions that updated this one are re-pointed to the session it updated. Errors are reported
// with the history screen's location; the triggers are on again whatever happened. Waits for an
// import or undo running on the destination, and does nothing if it does not end in time.
DeletionResult deleteImportSession(wizard::Context& context, diag::ErrorReporter& reporter, std::int32_t importId,
                                   const DeletionProgress& progress = {});

}  // namespace koru::restore
