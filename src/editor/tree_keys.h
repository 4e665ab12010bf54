#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wizard/controls.h"
#include "wizard/text_helpers.h"

// Keys of the drag-map trees, shared by the screen's files.
namespace koru::editor::tree_keys {

inline constexpr std::string_view kMarker = wizard::kKeyMarker;
inline constexpr std::string_view kRowMarker = wizard::kMappingRowMarker;
inline constexpr std::string_view kSeparator = "TEXTSEP";
// Holds the fields of mappings the shown style does not offer: they import all the same.
inline constexpr std::string_view kNotInStyle = "NOTINSTYLE";

inline bool isColumnKey(const std::string& key) { return key.find(kMarker) != std::string::npos; }

// Copies of a node's children: removing nodes moves the others in the tree.
inline std::vector<wizard::TreeNode> childNodes(wizard::Tree& tree, const std::string& key) {
    std::vector<wizard::TreeNode> copies;
    for (const wizard::TreeNode* child : tree.children(key)) copies.push_back(*child);
    return copies;
}

inline std::int64_t integerText(const std::optional<std::string>& text) {
    try {
        return text ? std::stoll(*text) : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace koru::editor::tree_keys
