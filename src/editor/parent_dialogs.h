#pragma once

#include <cstdint>
#include <string>

#include "wizard/controls.h"
#include "wizard/navigator.h"

namespace koru::editor {

// The destination navigator as a browse tree read one level at a time: "Main" ("All") stands for
// no parent; an item not yet expanded carries one placeholder child.
class NavigatorBrowseTree {
public:
    explicit NavigatorBrowseTree(wizard::Tree& tree) : m_tree(tree) {}
    void reset();
    // Reads the node's level on its first expansion (again after a collapse).
    void expand(db::Connection& destination, const std::string& key);
    void collapse(const std::string& key);
    // The selected item's ID; 0 for "Main" or no selection.
    std::int32_t selectedId() const;

    static constexpr const char* kPlaceholder = "--placeholder--";

private:
    void addItem(const std::string& parent, const std::string& id, const std::string& text);

    wizard::Tree& m_tree;
};

// frmParent: the item the top level is imported under, and the parent-matching rule.
class ParentDialog : public wizard::Screen {
public:
    explicit ParentDialog(wizard::ScreenServices services);

    void Form_Load() override;
    // Shows the dialog for the drag-map screen's level; the chosen item ID (0 for none).
    std::int32_t Show_Form(int level);
    void SSTree1_Expand(const std::string& key);
    void SSTree1_Collapse(const std::string& key);
    void SSTree1_DblClick() {}
    void cboStyle_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    wizard::Tree SSTree1;
    wizard::Label fraSelectParent;
    wizard::Label fraMatchParent;
    wizard::Label lblCurrentParent;
    wizard::ListBox lstSourceParent;
    wizard::ComboBox cboStyle;
    wizard::ListBox lstDestinParent;
    wizard::Button cmdOK;
    wizard::Button cmdCancel;

private:
    wizard::ScreenServices m_services;
    NavigatorBrowseTree m_browse{SSTree1};
    std::int32_t m_result = 0;
};

// frmNewParent: the item that previously imported items gone from the source move under.
class NewParentDialog : public wizard::Screen {
public:
    explicit NewParentDialog(wizard::ScreenServices services);

    void Form_Load() override;
    void SSTree1_Expand(const std::string& key);
    void SSTree1_Collapse(const std::string& key);
    void cmdOK_Click();
    void cmdCancel_Click();
    // Whether the user left with Exit: the caller then requests no move.
    bool cancelled() const { return m_cancelled; }

    wizard::Tree SSTree1;
    wizard::Button cmdOK;
    wizard::Button cmdCancel;

private:
    wizard::ScreenServices m_services;
    NavigatorBrowseTree m_browse{SSTree1};
    bool m_cancelled = false;
};

// The value a parent-matching list item stands for: the text before its first ":".
std::string listValue(const std::string& itemText);

}  // namespace koru::editor
