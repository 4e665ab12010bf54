#pragma once

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace koru::wizard {

// The state of a screen's controls as data; the Qt layer mirrors these into widgets.

struct Control {
    bool enabled = true;
    bool visible = true;
    std::string toolTip;
};

struct Label : Control {
    std::string caption;
};

struct Button : Control {
    std::string caption;
};

struct TextBox : Control {
    std::string text;
    int selStart = 0;  // caret position, in characters
    bool locked = false;
};

struct CheckBox : Control {
    std::string caption;
    bool value = false;
};

struct OptionButton : Control {
    std::string caption;
    bool value = false;
};

struct ListItem {
    std::string text;
    long itemData = 0;
};

struct ListBox : Control {
    std::vector<ListItem> items;
    int listIndex = -1;  // -1: nothing selected

    void addItem(std::string text, long itemData = 0) { items.push_back({std::move(text), itemData}); }
    void clear() {
        items.clear();
        listIndex = -1;
    }
    int listCount() const { return static_cast<int>(items.size()); }
    // The text of the selected item, or "" when none is selected.
    std::string selectedText() const {
        return listIndex >= 0 && listIndex < listCount() ? items[listIndex].text : std::string{};
    }
    int indexOf(const std::string& text) const {
        auto found = std::find_if(items.begin(), items.end(),
                                  [&](const ListItem& item) { return item.text == text; });
        return found == items.end() ? -1 : static_cast<int>(found - items.begin());
    }
};

struct ComboBox : ListBox {
    std::string text;  // the edit portion
    int selStart = 0;
    bool droppedDown = false;
};

struct ProgressBar : Control {
    int min = 0;
    int max = 100;
    int value = 0;
};

struct TreeNode {
    std::string key;
    std::string parentKey;  // "" for a root node
    std::string text;
    std::string image;      // image key: "Table", "Column", "Alpha", ...
    std::string tag;
    int color = 0;          // 255 (red): a mandatory field
    bool expanded = false;
    bool available = true;  // a source column that may be dragged
};

// Nodes in insertion order; a node's children are the nodes that name it as parent.
struct Tree : Control {
    std::vector<TreeNode> nodes;
    std::string selectedKey;
    std::string dropHighlight;  // the node a drag would drop on

    TreeNode* find(const std::string& key) {
        auto found = std::find_if(nodes.begin(), nodes.end(),
                                  [&](const TreeNode& node) { return node.key == key; });
        return found == nodes.end() ? nullptr : &*found;
    }
    // Adds a node; like the platform's tree, a key may be used once only.
    TreeNode& add(const std::string& parentKey, const std::string& key, const std::string& text,
                  const std::string& image = {}) {
        if (find(key)) throw std::invalid_argument("Key is not unique in collection: " + key);
        TreeNode node;
        node.key = key;
        node.parentKey = parentKey;
        node.text = text;
        node.image = image;
        nodes.push_back(std::move(node));
        return nodes.back();
    }
    std::vector<TreeNode*> children(const std::string& key) {
        std::vector<TreeNode*> list;
        for (TreeNode& node : nodes) {
            if (node.parentKey == key && !node.key.empty()) list.push_back(&node);
        }
        return list;
    }
    std::size_t childCount(const std::string& key) { return children(key).size(); }
    // Removes the node and everything below it.
    void remove(const std::string& key) {
        std::vector<std::string> childKeys;
        for (TreeNode* child : children(key)) childKeys.push_back(child->key);
        for (const std::string& childKey : childKeys) remove(childKey);
        nodes.erase(std::remove_if(nodes.begin(), nodes.end(), [&](const TreeNode& node) { return node.key == key; }),
                    nodes.end());
        if (selectedKey == key) selectedKey.clear();
        if (dropHighlight == key) dropHighlight.clear();
    }
    void clear() {
        nodes.clear();
        selectedKey.clear();
        dropHighlight.clear();
    }
};

// Tabs with captions; `tab` is the selected one, counted from 1.
struct TabStrip : Control {
    struct Tab {
        std::string caption;
        bool enabled = true;
    };
    std::vector<Tab> tabs;
    int tab = 1;
};

struct ToolbarTool {
    std::string key;
    std::string caption;
    bool enabled = true;
};

struct Toolbar : Control {
    std::vector<ToolbarTool> tools;
    ToolbarTool* find(const std::string& key) {
        auto found = std::find_if(tools.begin(), tools.end(), [&](const ToolbarTool& tool) { return tool.key == key; });
        return found == tools.end() ? nullptr : &*found;
    }
};

struct MenuItem : Control {
    std::string caption;
};

}  // namespace koru::wizard
