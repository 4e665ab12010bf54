#include "db/import_sessions.h"

#include <algorithm>
#include <map>

#include "diag/text.h"

namespace koru::db {
namespace {

std::int64_t numberOf(const std::optional<std::string>& text) {
    if (!text) return 0;
    try {
        return std::stoll(diag::trimBlanks(*text));
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace

std::vector<ImportSession> importSessions(Connection& destination) {
    std::map<std::int32_t, std::int64_t> items;
    {
        auto rows = destination.query("Select ImportID, count(*) as CT from XFRHash group by ImportID");
        while (rows->next()) items[static_cast<std::int32_t>(numberOf(rows->value(std::size_t{0})))] = numberOf(rows->value(1));
    }
    std::vector<ImportSession> sessions;
    auto rows = destination.query(
        "Select id, datetime, [user], compname, notes, MapFile, UpdateImportID from XFRTranLog order by id desc");
    while (rows->next()) {
        ImportSession session;
        session.id = static_cast<std::int32_t>(numberOf(rows->value(std::size_t{0})));
        session.dateTime = rows->value(1).value_or("");
        session.user = rows->value(2).value_or("");
        session.compName = rows->value(3).value_or("");
        session.notes = rows->value(4).value_or("");
        session.mapFile = rows->value(5).value_or("");
        session.updateImportId = static_cast<std::int32_t>(numberOf(rows->value(6)));
        auto found = items.find(session.id);
        session.items = found == items.end() ? 0 : found->second;
        sessions.push_back(std::move(session));
    }
    return sessions;
}

std::vector<std::int32_t> sessionChain(Connection& destination, std::int32_t importId) {
    std::vector<std::int32_t> chain;
    if (importId <= 0) return chain;
    auto base = destination.prepare("Select UpdateImportID from XFRTranLog where ID = ?");
    // The session asked for counts even without its log row: its hash rows may still be there.
    for (std::int32_t id = importId; id > 0 && std::find(chain.begin(), chain.end(), id) == chain.end();) {
        chain.push_back(id);
        auto rows = base->query({std::int64_t{id}});
        if (!rows->next()) break;  // the session is gone: what it updated is out of reach
        id = static_cast<std::int32_t>(numberOf(rows->value(std::size_t{0})));
    }
    return chain;
}

std::string sessionCondition(std::string_view column, const std::vector<std::int32_t>& chain) {
    if (chain.empty()) return "1 = 0";
    if (chain.size() == 1) return std::string(column) + " = " + std::to_string(chain.front());
    std::string list;
    for (std::int32_t id : chain) list += (list.empty() ? "" : ", ") + std::to_string(id);
    return std::string(column) + " in (" + list + ")";
}

std::optional<std::string> sessionMapFile(Connection& destination, std::int32_t importId) {
    auto rows = destination.prepare("Select MapFile from XFRTranLog where ID = ?")->query({std::int64_t{importId}});
    if (!rows->next()) return std::nullopt;
    auto name = rows->value(std::size_t{0});
    if (!name || diag::trimBlanks(*name).empty()) return std::nullopt;
    return diag::trimBlanks(*name);
}

std::string mapFileName(std::string_view path) {
    std::size_t slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool sameMapFile(std::string_view a, std::string_view b) {
    return diag::upperAscii(mapFileName(a)) == diag::upperAscii(mapFileName(b));
}

std::optional<std::string> otherMappingQuestion(Connection& destination, std::int32_t importId,
                                                std::string_view mapFile) {
    if (mapFile.empty() || importId <= 0) return std::nullopt;
    std::optional<std::string> recorded = sessionMapFile(destination, importId);
    if (!recorded || sameMapFile(*recorded, mapFile)) return std::nullopt;
    return "Import session " + std::to_string(importId) + " was made with the mapping " + *recorded + ", not with " +
           mapFileName(mapFile) + ".\r\nUpdate it all the same?";
}

}  // namespace koru::db
