#include "import/row_accounting.h"

#include <map>

#include "diag/text.h"

namespace koru::import {
namespace {

// The first key of the level with more transfer rows than items recorded for it.
std::string firstUnrecordedKey(db::Connection& destination, const std::string& session, int level) {
    std::map<std::string, long> keys;
    {
        auto rows = destination.query("SELECT XFRID FROM XFRTransfer WHERE StructureID = " + std::to_string(level));
        while (rows->next()) ++keys[diag::trimBlanks(rows->text(0).value_or(""))];
    }
    {
        auto rows = destination.query("SELECT h.XFRID FROM XFRHash h INNER JOIN CIID c ON c.ID = h.CIIDID WHERE "
                                      "h.ImportID = " + session + " AND h.StructureID = " + std::to_string(level));
        while (rows->next()) --keys[diag::trimBlanks(rows->text(0).value_or(""))];
    }
    for (const auto& [key, surplus] : keys) {
        if (surplus > 0) return key;
    }
    return {};
}

}  // namespace

long countOf(const db::Recordset& rows, std::size_t position) {
    return std::stol(std::string(rows.text(position).value_or("0")));
}

std::map<int, long> transferRowsPerLevel(db::Connection& destination) {
    std::map<int, long> rows;
    auto counts = destination.query("SELECT StructureID, count(*) FROM XFRTransfer GROUP BY StructureID");
    while (counts->next()) rows[static_cast<int>(countOf(*counts, 0))] = countOf(*counts, 1);
    return rows;
}

std::string unaccountedRows(db::Connection& destination, std::int32_t importId, bool updateRun, long failedRows) {
    std::string session = std::to_string(importId);
    std::map<int, long> rows = transferRowsPerLevel(destination);
    // Each row that went in recorded its item; a record whose item is gone counts for nothing.
    std::map<int, long> items;
    {
        auto counts = destination.query(
            "SELECT h.StructureID, count(c.ID), count(DISTINCT c.ID) FROM XFRHash h LEFT JOIN CIID c ON c.ID = "
            "h.CIIDID WHERE h.ImportID = " + session + " GROUP BY h.StructureID");
        while (counts->next()) {
            items[static_cast<int>(countOf(*counts, 0))] = countOf(*counts, updateRun ? 1 : 2);
        }
    }
    long missing = 0;
    std::string perLevel;
    int firstLevel = 0;
    for (const auto& [level, count] : rows) {
        long lost = count - items[level];
        if (lost <= 0) continue;
        missing += lost;
        if (firstLevel == 0) firstLevel = level;
        perLevel += std::string(perLevel.empty() ? "" : ", ") + "level " + std::to_string(level) + ": " +
                    std::to_string(lost) + " of " + std::to_string(count) + " rows";
    }
    if (failedRows > 0) {
        // Which level the reported rows belong to is not known: only a surplus over them counts.
        missing -= failedRows;
        if (missing <= 0) return {};
        return std::to_string(missing) + " more transfer rows failed: no item was created or updated for them";
    }
    if (missing == 0) return {};
    return std::to_string(missing) + " transfer rows failed; the first: level " + std::to_string(firstLevel) +
           ", source key '" + firstUnrecordedKey(destination, session, firstLevel) +
           "': no item was created or updated for it (" + perLevel + ")";
}

long articleCount(db::Connection& destination) {
    auto rows = destination.query("SELECT count(*) FROM KNOWLEDGE");
    return rows->next() ? countOf(*rows, 0) : 0;
}

std::string unaccountedArticles(db::Connection& destination, long articlesBefore) {
    long rows = 0;
    {
        auto counts = destination.query("SELECT count(*) FROM XFRTransfer");
        if (counts->next()) rows = countOf(*counts, 0);
    }
    long missing = rows - (articleCount(destination) - articlesBefore);
    if (missing <= 0) return {};
    return std::to_string(missing) + " transfer rows failed: no article was created for them (level 1: " +
           std::to_string(missing) + " of " + std::to_string(rows) + " rows)";
}

std::string keylessRowsWarning(const std::vector<wizard::StructureLevel>& levels) {
    std::string lines;
    for (std::size_t level = 1; level < levels.size(); ++level) {
        long rows = levels[level].keylessRows;
        if (rows == 0) continue;
        lines += "\r\nLevel " + std::to_string(level) + " (" + levels[level].Name + "): " + std::to_string(rows) +
                 (rows == 1 ? " row" : " rows");
    }
    if (lines.empty()) return {};
    return "Rows without a source key were left out: an update cannot tell which item such a row is." + lines;
}

}  // namespace koru::import
