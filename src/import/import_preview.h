#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "db/connection.h"
#include "wizard/context.h"
#include "wizard/structure_level.h"

namespace koru::import {

// What a run would do to one level.
struct LevelPreview {
    std::string name;
    long read = 0;     // rows the source returned
    long create = 0;   // items that would be created
    long update = 0;   // recorded items that would be updated
    long move = 0;     // items moved because they left the source
    long failing = 0;  // rows that would make no item
};

// A whole run, done and rolled back.
struct ImportPreview {
    std::vector<LevelPreview> levels;       // level 1 first
    std::vector<std::string> tree;          // the first items of each level, indented by level
    std::vector<std::string> diagnostics;   // what the run would say about its rows
    bool failed = false;
    std::string failure;  // the stage's failure message
};

// The item ids that existed before the item procedure ran: ids above it are new.
std::int64_t highestItemId(db::Connection& destination);

// Counts the session's items level by level while the run's work is still in the destination.
// `itemsBefore` is highestItemId() before the item procedure (the article count for articles);
// `moved` counts per level.
void countPreview(db::Connection& destination, const std::vector<wizard::StructureLevel>& levels,
                  std::int32_t importId, bool updateRun, bool articles, std::int64_t itemsBefore,
                  const std::map<int, long>& moved, ImportPreview& preview);

// The table printed by an unattended preview: a line per level, then the diagnostics.
std::string previewTable(const ImportPreview& preview);
// The same for the import screen: a heading over the levels, the diagnostics and the first
// items as they would hang.
std::string previewText(const ImportPreview& preview);

// The context's destination inside a preview for a scope: rolled back and handed back at its end.
// Within a preview begun already (an unattended preview begins at connect) it leaves the
// destination to that one.
class PreviewScope {
public:
    explicit PreviewScope(wizard::Context& context);
    ~PreviewScope();
    PreviewScope(const PreviewScope&) = delete;
    PreviewScope& operator=(const PreviewScope&) = delete;

private:
    wizard::Context& m_context;
    bool m_own = false;
};

}  // namespace koru::import
