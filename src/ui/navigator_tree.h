#pragma once

#include <functional>
#include <string>

#include "ui/model_tree_widget.h"
#include "wizard/controls.h"

namespace koru::ui {

// The navigator browse tree of the parent dialogs. The model marks a node not read yet with a
// placeholder child; the view shows such a node with an expand arrow and no placeholder.
class NavigatorTree {
public:
    NavigatorTree(wizard::Tree& tree, QWidget* parent);
    NavigatorTree(const NavigatorTree&) = delete;
    NavigatorTree& operator=(const NavigatorTree&) = delete;

    ModelTreeWidget* view() const { return m_view; }
    void mirror();

    std::function<void(const std::string& key)> onExpand;
    std::function<void(const std::string& key)> onCollapse;

private:
    wizard::Tree& m_tree;
    wizard::Tree m_shown;  // the model's tree without placeholders, which the view mirrors
    ModelTreeWidget* m_view;
};

}  // namespace koru::ui
