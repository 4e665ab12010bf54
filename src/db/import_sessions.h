#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/connection.h"

namespace koru::db {

// One row of XFRTranLog with what the history shows of it.
struct ImportSession {
    std::int32_t id = 0;
    std::string dateTime;
    std::string user;
    std::string compName;
    std::string notes;
    std::string mapFile;           // empty: recorded before sessions named their mapping
    std::int64_t items = 0;        // XFRHash rows of the session
    std::int32_t updateImportId = 0;  // the session it updated; 0 for a plain import
};

// Every session, newest first. XFRTranLog must exist.
std::vector<ImportSession> importSessions(Connection& destination);

// The session and the sessions it updated, back to the plain import it started from, newest
// first; empty for 0. Stops at a session whose log row is gone and never loops.
std::vector<std::int32_t> sessionChain(Connection& destination, std::int32_t importId);

// "column = 7" for one session, "column in (9, 8, 7)" for several; "1 = 0" for none.
std::string sessionCondition(std::string_view column, const std::vector<std::int32_t>& chain);

// The mapping file a session ran (name without folder); nullopt when unknown.
std::optional<std::string> sessionMapFile(Connection& destination, std::int32_t importId);

// A mapping file as sessions record it: the name without its folder, either separator.
std::string mapFileName(std::string_view path);

// Whether two recorded mapping names are the same mapping (ASCII case ignored).
bool sameMapFile(std::string_view a, std::string_view b);

// The question to ask before session `importId` is updated with the mapping `mapFile`: nullopt
// when no mapping is named, or the session ran that mapping or named none.
std::optional<std::string> otherMappingQuestion(Connection& destination, std::int32_t importId,
                                                std::string_view mapFile);

}  // namespace koru::db
