#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "db/connection.h"
#include "editor/destination_catalogue.h"
#include "wizard/dialogs.h"

namespace koru::editor {

// The first row of a style query as column (upper case) → value; nullopt without a row.
std::optional<StyleRow> readStyleRow(db::Connection& destination, const std::string& sql);

// (ID, trimmed name) of every style but "REQUEST", in ascending ID.
std::vector<std::pair<long, std::string>> styleList(db::Connection& destination);

// The label update of a field of the style (Style for CIID fields, AssetStyle for asset ones);
// nullopt for a field the style has no label column for. Quotes in the label become backquotes.
std::optional<std::string> relabelStatement(const std::string& fieldKey, const std::string& label,
                                            std::int16_t styleId);
// The same for a renamed field: any CIID or AssetCiid column.
std::optional<std::string> renameStatement(const std::string& fieldKey, const std::string& label,
                                           std::int16_t styleId);

// Asks for a label of at most 20 characters, quotes neutralised and trimmed; nullopt: cancelled.
std::optional<std::string> askLabel(wizard::Dialogs& dialogs, const std::string& offered);

// The insert texts of a new blank style and of its asset style.
std::string newStyleInsert(const std::string& name);
std::string newAssetStyleInsert(const std::string& name, std::int64_t styleId);

// Asks whether and under which name to create a blank style and creates it (with its asset
// style when the asset product is enabled). The new ID, or nullopt when the user declined.
std::optional<std::int64_t> createBlankStyle(db::Connection& destination, wizard::Dialogs& dialogs, bool lgEnabled);

}  // namespace koru::editor
