#include "mapping/level_values.h"

#include <algorithm>

namespace koru::mapping {

std::string joinConditionOf(db::Connection& destination, int level) {
    std::string condition;
    auto rows = destination.query("Select * From XFRTableLink where structureid = " + std::to_string(level));
    while (rows->next()) {
        condition += rows->value("sourcetable").value_or("") + "." + rows->value("sourcecolumn").value_or("") + " = " +
                     rows->value("destintable").value_or("") + "." + rows->value("destincolumn").value_or("") +
                     " and ";
    }
    if (condition.size() > 4) condition.resize(condition.size() - 4);
    return condition;
}

short assetDetailKindOf(const std::vector<std::string>& mappedAssetFields) {
    auto has = [&](const char* key) {
        return std::find(mappedAssetFields.begin(), mappedAssetFields.end(), key) != mappedAssetFields.end();
    };
    if (has("AssetCiid.SalvagePrice") || has("AssetCiid.DepPeriod")) return 2;
    if (has("AssetCiid.Location") || has("AssetCiid.OriginalPrice") || has("AssetCiid.AcquireDate")) return 1;
    return 0;
}

void setLevelValuesForImport(db::Connection& destination, wizard::Context& context,
                             const std::vector<std::string>& mappedAssetFields) {
    short kind = assetDetailKindOf(mappedAssetFields);
    for (std::size_t level = 1; level < context.Gstructures.size(); ++level) {
        context.Gstructures[level].joinCondition = joinConditionOf(destination, static_cast<int>(level));
        context.Gstructures[level].assetDetailKind = kind;
    }
}

std::vector<std::string> mappedAssetFields(db::Connection& destination, int level) {
    std::vector<std::string> fields;
    auto rows = destination.query("Select DestinColumn From XFRMappings Where StructureID = " + std::to_string(level) +
                                  " and DestinTable = 'AssetCiid'");
    while (rows->next()) fields.push_back("AssetCiid." + rows->value(std::size_t{0}).value_or(""));
    return fields;
}

void useKnowledgeBaseLevel(wizard::Context& context) {
    context.Gstructures = std::vector<wizard::StructureLevel>(2);
    context.Gstructures[1].Name = "KB";
}

}  // namespace koru::mapping
