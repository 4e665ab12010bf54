#pragma once

#include <algorithm>
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
    bool expanded = false;
};

struct Tree : Control {
    std::vector<TreeNode> nodes;
    std::string selectedKey;

    TreeNode* find(const std::string& key) {
        auto found = std::find_if(nodes.begin(), nodes.end(),
                                  [&](const TreeNode& node) { return node.key == key; });
        return found == nodes.end() ? nullptr : &*found;
    }
    void clear() {
        nodes.clear();
        selectedKey.clear();
    }
};

}  // namespace koru::wizard
