#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/destination_dialect.h"
#include "db/destination_lock.h"
#include "wizard/structure_level.h"

namespace koru::wizard {

// The process-wide record the screens share. Created empty in main and passed by reference.
struct Context {
    std::unique_ptr<db::Connection> SourceConnection;
    std::unique_ptr<db::Connection> DestinationConnection;
    std::string DestinConnString;
    std::string DestinDBName;
    bool SourceIsSQLServer = false;
    bool NoBrackets = false;
    bool LGEnabled = false;
    bool EXLValid = false;
    bool KBImport = false;
    // Index 0 is unused: levels are numbered from 1.
    std::vector<StructureLevel> Gstructures = std::vector<StructureLevel>(1);
    std::int32_t GenParent = 0;
    std::int16_t StyleID = 0;
    std::string SourceCol;
    std::string DestinCol;
    std::int16_t EXLAppLinkID = 0;
    std::int32_t KBCategoryID = 0;
    bool Distinct = false;
    std::int16_t UpdateMode = 0;
    std::int32_t UpdateImportID = 0;
    bool MoveIfNotInSource = false;
    // Characters a statement of an update run may have where it lists keys: sources refuse long
    // statements (Access takes about 64,000). Past it the run compares the keys on its side.
    std::size_t statementLimit = 60000;
    std::int32_t NewParentID = 0;  // a CIID id: 32-bit like every item id
    // The loaded or saved mapping file, without its folder; empty for a mapping never saved.
    std::string MapFileName;
    bool Unattended = false;
    bool Unloading = false;
    // How long an import or undo waits for another one on the same destination.
    std::chrono::milliseconds destinationLockWait = db::kDestinationLockWait;

    // Controls of one screen that rules of another read, kept here by their owner.
    bool optEXE = false;              // connection screen: executing a saved mapping
    std::string txtSConn;             // connection screen: source connection string
    std::string cboProductText;       // connection screen: the product as listed
    int chkSelectDistinct = 0;        // structure editor: select distinct rows (0 or 1)
    bool chkDelRoot = false;          // structure editor: do not import items that do not fit
    // drag-map editor: item data of the chosen external application; none when not chosen
    std::optional<std::int32_t> cboDiscovery;
    bool chkMakeDefaultEXL = false;   // drag-map editor: the external link is the item's default
    bool chkRemoveIfDeleted = false;  // history screen: move items no longer in the source
    bool optLoadMappings = false;     // history screen: the mapping start screen opens on loading

    // How the destination reads SQL that is not portable; set when it is connected.
    std::unique_ptr<db::DestinationDialect> destinationDialect;
    // Held by an unattended run from connecting to its end, so that no other import or undo
    // rewrites the shared tables or records a session under it; empty otherwise.
    std::shared_ptr<db::DestinationLock> heldDestinationLock;
    // An unattended preview: from connect on, the destination runs inside one transaction that
    // the run rolls back at its end.
    bool previewOnly = false;

    bool sourceOpen() const { return SourceConnection && SourceConnection->isOpen(); }
    bool destinationOpen() const { return DestinationConnection && DestinationConnection->isOpen(); }

    // The open connections, for work that needs them; without one this fails as a severed
    // connection does (3709), so the error reporter names the database that is missing.
    db::Connection& source() {
        if (!sourceOpen()) throw db::DbError(db::kErrConnectionNotUsable, "The source database is not connected.");
        return *SourceConnection;
    }
    db::Connection& destination() {
        if (!destinationOpen()) {
            throw db::DbError(db::kErrConnectionNotUsable, "The destination database is not connected.");
        }
        return *DestinationConnection;
    }
    // The destination lock for a piece of work: the one held already, else one of its own.
    std::shared_ptr<db::DestinationLock> destinationLock() {
        if (heldDestinationLock) return heldDestinationLock;
        return db::makeDestinationLock(destination(), dialect().kind());
    }
    const db::DestinationDialect& dialect() {
        if (!destinationDialect) {
            throw db::DbError(db::kErrConnectionNotUsable, "The destination database is not connected.");
        }
        return *destinationDialect;
    }
};

}  // namespace koru::wizard
