#include "editor/destination_catalogue.h"

#include "diag/text.h"

namespace koru::editor {
namespace {

std::string valueOf(const StyleRow& row, const std::string& column) {
    auto found = row.find(diag::upperAscii(column));
    return found == row.end() ? std::string() : found->second;
}

bool flagOf(const StyleRow& row, const std::string& column) {
    std::string value = diag::upperAscii(diag::trimBlanks(valueOf(row, column)));
    return !value.empty() && value != "0" && value != "FALSE";
}

}  // namespace

std::string labelOf(const std::string& value, std::size_t width) {
    std::string label = diag::leftChars(value, width);
    std::size_t characters = diag::characterCount(label);
    if (characters < width) label.append(width - characters, ' ');
    return label;
}

std::vector<FieldNode> styleFields(const StyleRow& style, bool lgEnabled, const std::optional<StyleRow>& assetStyle) {
    using T = DestinationTree;
    std::vector<FieldNode> fields;
    for (int n = 1; n <= 15; ++n) {
        std::string column = "Alpha" + std::to_string(n);
        fields.push_back({T::tvDestin, "CIID." + column, labelOf(valueOf(style, column), 20), "Alpha",
                          flagOf(style, column + "Req")});
    }
    for (int n = 1; n <= 10; ++n) {
        std::string column = "Num" + std::to_string(n);
        fields.push_back({T::tvDestinNum, "CIID." + column, labelOf(valueOf(style, column), 15), "Num",
                          flagOf(style, column + "Req")});
    }
    fields.push_back({T::tvDiscovery, "AssetCiid.DLinkID", "Link ID", "Disco"});
    if (!lgEnabled) {
        fields.push_back({T::tvDestinTK, "CIID.EmailID", "Email ID", "Email"});
        fields.push_back({T::tvDestinTK, "CIID.WebID", "Web ID", "Web"});
        return fields;
    }
    if (!assetStyle) return fields;
    for (int n = 1; n <= 5; ++n) {
        std::string i = std::to_string(n);
        fields.push_back({T::tvDestin, "AssetCiid.Alpha" + i, labelOf(valueOf(*assetStyle, "Alpha" + i), 20), "Alpha"});
        fields.push_back({T::tvDestinNum, "AssetCiid.Num" + i, labelOf(valueOf(*assetStyle, "Num" + i), 20), "Num"});
        fields.push_back({T::tvDestinDate, "AssetCiid.Date" + i, labelOf(valueOf(*assetStyle, "Date" + i), 20), "Date"});
        fields.push_back({T::tvDestinCurr, "AssetCiid.Curr" + i, labelOf(valueOf(*assetStyle, "Curr" + i), 20), "Curr"});
    }
    fields.push_back({T::tvDestinLG, "AssetCiid.AssetID", "Asset ID", "Alpha"});
    fields.push_back({T::tvDestinLG, "AssetCiid.CostCentre", "Cost Centre", "Alpha"});
    fields.push_back({T::tvDestinLG, "AssetCiid.Location", "Location", "Alpha"});
    fields.push_back({T::tvDestinLG, "AssetCiid.OriginalPrice", "Original Price", "Curr"});
    fields.push_back({T::tvDestinLG, "AssetCiid.SalvagePrice", "Salvage Price", "Curr"});
    fields.push_back({T::tvDestinLG, "AssetCiid.AcquireDate", "Acquire Date", "Date"});
    fields.push_back({T::tvDestinLG, "AssetCiid.DepPeriod", "Depreciation Period", "Num"});
    fields.push_back({T::tvDestinLG, "CIID.Notes", "Notes", "Alpha"});
    return fields;
}

std::vector<FieldNode> knowledgeBaseFields() {
    using T = DestinationTree;
    return {{T::tvKB, "Knowledge.KBDetails", "Details", "Alpha"},
            {T::tvKB, "Knowledge.KBReso", "Resolution", "Alpha"},
            {T::tvKB, "Knowledge.KBSummary", "Summary", "Alpha"},
            {T::tvKB, "Knowledge.CatID", "Category", "Alpha"}};
}

std::string UT_GET_SQL_LINK_TABLE_NAME(const std::string& key) { return key.substr(0, key.find('.')); }

std::string destinationColumnOf(const std::string& key) {
    std::size_t point = key.find('.');
    return point == std::string::npos ? std::string() : key.substr(point + 1);
}

}  // namespace koru::editor
