#include "import/import_preview.h"

#include "db/preview_connection.h"
#include "diag/text.h"
#include "import/row_accounting.h"

namespace koru::import {
namespace {

constexpr std::size_t kTreeItemsPerLevel = 3;

}  // namespace

std::int64_t highestItemId(db::Connection& destination) {
    auto rows = destination.query("SELECT max(ID) FROM CIID");
    return rows->next() ? std::stoll(std::string(rows->text(0).value_or("0"))) : 0;
}

void countPreview(db::Connection& destination, const std::vector<wizard::StructureLevel>& levels,
                  std::int32_t importId, bool updateRun, bool articles, std::int64_t itemsBefore,
                  const std::map<int, long>& moved, ImportPreview& preview) {
    preview.levels.clear();
    preview.tree.clear();
    for (std::size_t level = 1; level < levels.size(); ++level) {
        LevelPreview counts;
        counts.name = levels[level].Name;
        counts.read = levels[level].rowsRead;
        auto found = moved.find(static_cast<int>(level));
        if (found != moved.end()) counts.move = found->second;
        preview.levels.push_back(counts);
    }
    if (preview.levels.empty()) return;
    std::map<int, long> transferRows = transferRowsPerLevel(destination);
    if (articles) {
        LevelPreview& counts = preview.levels.front();
        counts.create = articleCount(destination) - static_cast<long>(itemsBefore);
        counts.failing = std::max(0L, transferRows[1] - counts.create);
        return;
    }
    std::string session = std::to_string(importId);
    std::string before = std::to_string(itemsBefore);
    // Each row that went in recorded its item; in an update several rows may update one item.
    auto rows = destination.query(
        "SELECT h.StructureID, count(c.ID), count(DISTINCT c.ID), count(DISTINCT CASE WHEN c.ID > " + before +
        " THEN c.ID END), count(DISTINCT CASE WHEN c.ID <= " + before +
        " THEN c.ID END) FROM XFRHash h LEFT JOIN CIID c ON c.ID = h.CIIDID WHERE h.ImportID = " + session +
        " GROUP BY h.StructureID");
    while (rows->next()) {
        std::size_t level = static_cast<std::size_t>(countOf(*rows, 0));
        if (level < 1 || level > preview.levels.size()) continue;
        LevelPreview& counts = preview.levels[level - 1];
        counts.create = countOf(*rows, 3);
        counts.update = countOf(*rows, 4);
        long made = countOf(*rows, updateRun ? 1 : 2);
        counts.failing = std::max(0L, transferRows[static_cast<int>(level)] - made);
        transferRows.erase(static_cast<int>(level));
    }
    rows.reset();
    for (const auto& [level, count] : transferRows) {
        if (level >= 1 && static_cast<std::size_t>(level) <= preview.levels.size()) {
            preview.levels[static_cast<std::size_t>(level) - 1].failing = count;
        }
    }
    for (std::size_t level = 1; level <= preview.levels.size(); ++level) {
        auto items = destination.query("SELECT XFRID, Parent FROM XFRHash WHERE ImportID = " + session +
                                       " AND StructureID = " + std::to_string(level) + " ORDER BY CIIDID");
        for (std::size_t shown = 0; shown < kTreeItemsPerLevel && items->next(); ++shown) {
            std::string parent = diag::trimBlanks(items->text(1).value_or(""));
            preview.tree.push_back(std::string(2 * (level - 1), ' ') + preview.levels[level - 1].name + ": " +
                                   diag::trimBlanks(items->text(0).value_or("")) +
                                   (parent.empty() ? "" : " (under " + parent + ")"));
        }
    }
}

std::string previewTable(const ImportPreview& preview) {
    std::string table;
    auto lines = [&](const std::string& text) {
        for (char c : text) {
            if (c != '\r') table += c;
        }
        table += '\n';
    };
    for (const LevelPreview& level : preview.levels) {
        table += level.name + '\t' + std::to_string(level.read) + '\t' + std::to_string(level.create) + '\t' +
                 std::to_string(level.update) + '\t' + std::to_string(level.move) + '\t' +
                 std::to_string(level.failing) + '\n';
    }
    for (const std::string& line : preview.diagnostics) lines(line);
    if (preview.failed) lines("The run would fail: " + (preview.failure.empty() ? "see the messages above" : preview.failure));
    return table;
}

PreviewScope::PreviewScope(wizard::Context& context) : m_context(context) {
    if (db::isPreview(context.DestinationConnection.get())) return;
    db::DestinationDialect::Kind kind = context.dialect().kind();
    context.destination();  // a closed destination fails here, as any work on it would
    context.DestinationConnection =
        std::make_unique<db::PreviewConnection>(std::move(context.DestinationConnection), kind);
    m_own = true;
}

PreviewScope::~PreviewScope() {
    if (m_own) db::endPreview(m_context.DestinationConnection);
}

std::string previewText(const ImportPreview& preview) {
    std::string text = "Level\tRead\tCreate\tUpdate\tMove\tFailing\n" + previewTable(preview);
    if (!preview.tree.empty()) text += "\nThe first items as they would hang:\n";
    for (const std::string& item : preview.tree) text += item + '\n';
    if (!preview.failed) text += "\nNothing was changed: the preview was rolled back.\n";
    return text;
}

}  // namespace koru::import
