#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "wizard/controls.h"

namespace koru::editor {

// The destination trees of the drag-map screen, in tab order.
enum class DestinationTree { tvDestin, tvDestinNum, tvDestinDate, tvDestinCurr, tvDiscovery, tvDestinLG, tvDestinTK, tvKB };

inline constexpr DestinationTree kDestinationTrees[] = {
    DestinationTree::tvDestin,    DestinationTree::tvDestinNum, DestinationTree::tvDestinDate,
    DestinationTree::tvDestinCurr, DestinationTree::tvDiscovery, DestinationTree::tvDestinLG,
    DestinationTree::tvDestinTK,  DestinationTree::tvKB};

// One field node a tree offers.
struct FieldNode {
    DestinationTree tree;
    std::string key;  // "CIID.Alpha1"
    std::string label;
    std::string image;
    bool mandatory = false;
};

// A style row as read: column name (any case) → value; null values are absent.
using StyleRow = std::map<std::string, std::string>;

// The value padded with blanks or cut to exactly `width` characters.
std::string labelOf(const std::string& value, std::size_t width);

// The field nodes of a style, in the order the trees show them. `assetStyle` is the style's
// AssetStyle row where the asset product is enabled (nullopt: no asset fields).
std::vector<FieldNode> styleFields(const StyleRow& style, bool lgEnabled, const std::optional<StyleRow>& assetStyle);

// The knowledge-base fields.
std::vector<FieldNode> knowledgeBaseFields();

// The table part of a destination key: the text before the first ".".
std::string UT_GET_SQL_LINK_TABLE_NAME(const std::string& key);
// The column part: the text after the first ".".
std::string destinationColumnOf(const std::string& key);

}  // namespace koru::editor
