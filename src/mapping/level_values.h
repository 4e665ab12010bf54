#pragma once

#include <string>
#include <vector>

#include "db/connection.h"
#include "wizard/context.h"

namespace koru::mapping {

// The level's table links joined into one condition: "a.x = b.y and c.z = d.w".
std::string joinConditionOf(db::Connection& destination, int level);

// 2 when a salvage price or depreciation period is mapped, 1 when a location, original price or
// acquire date is, else 0. `mappedAssetFields` are the asset field keys that have a mapping.
short assetDetailKindOf(const std::vector<std::string>& mappedAssetFields);

// What the drag-map editor's Next leaves in every structure level for the import: the join
// condition and the asset detail kind.
void setLevelValuesForImport(db::Connection& destination, wizard::Context& context,
                             const std::vector<std::string>& mappedAssetFields);

// The AssetCiid fields a level maps, as destination field keys ("AssetCiid.Location").
std::vector<std::string> mappedAssetFields(db::Connection& destination, int level);

// A knowledge-base import has one level, "KB".
void useKnowledgeBaseLevel(wizard::Context& context);

}  // namespace koru::mapping
