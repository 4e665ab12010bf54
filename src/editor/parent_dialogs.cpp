#include "editor/parent_dialogs.h"

#include "diag/messages.h"
#include "diag/text.h"
#include "wizard/error_trap.h"

namespace koru::editor {

using wizard::MsgButtons;
using wizard::MsgIcon;
using wizard::ScreenId;

std::string listValue(const std::string& itemText) { return itemText.substr(0, itemText.find(':')); }

void NavigatorBrowseTree::reset() {
    m_tree.clear();
    m_tree.add("", "Main", "All");
    m_tree.add("Main", std::string(kPlaceholder) + "Main", "");
}

void NavigatorBrowseTree::addItem(const std::string& parent, const std::string& id, const std::string& text) {
    if (m_tree.find(id)) return;  // an item shows once
    m_tree.add(parent, id, text);
    m_tree.add(id, kPlaceholder + id, "");
}

void NavigatorBrowseTree::expand(db::Connection& destination, const std::string& key) {
    wizard::TreeNode* node = m_tree.find(key);
    if (!node) return;
    node->expanded = true;
    std::vector<wizard::TreeNode*> children = m_tree.children(key);
    if (children.size() != 1 || children.front()->key != kPlaceholder + key) return;
    m_tree.remove(kPlaceholder + key);
    std::string sql = key == "Main" ? std::string("Select * from CIID where parent=0 order by alpha1")
                                    : "Select slaid, parent, id, alpha1, styleid from CIID where Parent= " + key +
                                          " order by alpha1 asc";
    auto rows = destination.query(sql);
    while (rows->next()) {
        std::string parent = key == "Main" ? std::string("Main") : rows->value("parent").value_or(key);
        addItem(m_tree.find(parent) ? parent : key, rows->value("id").value_or(""), rows->value("alpha1").value_or(""));
    }
}

void NavigatorBrowseTree::collapse(const std::string& key) {
    wizard::TreeNode* node = m_tree.find(key);
    if (!node) return;
    node->expanded = false;
    std::vector<std::string> children;
    for (wizard::TreeNode* child : m_tree.children(key)) children.push_back(child->key);
    if (children.empty() || (children.size() == 1 && children.front() == kPlaceholder + key)) return;
    // Read again on the next expansion.
    for (const std::string& child : children) m_tree.remove(child);
    m_tree.add(key, kPlaceholder + key, "");
}

std::int32_t NavigatorBrowseTree::selectedId() const {
    const std::string& key = m_tree.selectedKey;
    if (key.empty() || key == "Main" || key.rfind(kPlaceholder, 0) == 0) return 0;
    try {
        return static_cast<std::int32_t>(std::stol(key));
    } catch (const std::exception&) {
        return 0;
    }
}

ParentDialog::ParentDialog(wizard::ScreenServices services) : Screen(ScreenId::frmParent), m_services(services) {
    width = 640;
    height = 460;
}

void ParentDialog::Form_Load() {
    caption = std::string(diag::kAppTitle);
    fraSelectParent.caption = "Select parent";
    fraMatchParent.caption = "Match Parent";
    cmdOK.caption = "&OK";
    cmdCancel.caption = "E&xit";
}

std::int32_t ParentDialog::Show_Form(int level) {
    wizard::Context& context = m_services.context;
    m_result = context.GenParent;  // Exit keeps what the last OK chose
    try {
        db::Connection& destination = context.destination();
        lstSourceParent.clear();
        {
            auto rows = destination.query("Select sourcetable, sourceColumn, destincolumn From XFRMappings Where "
                                          "destintable = 'ciid' and sourcetable is not null and StructureID = " +
                                          std::to_string(level));
            while (rows->next()) {
                std::string table = diag::trimBlanks(rows->value(std::size_t{0}).value_or(""));
                if (table.empty()) continue;
                lstSourceParent.addItem(diag::trimBlanks(rows->value(std::size_t{2}).value_or("")) + ": " + table + "." +
                                        diag::trimBlanks(rows->value(std::size_t{1}).value_or("")));
            }
        }
        if (lstSourceParent.listCount() == 0) {
            m_services.dialogs.messageBox("You Must Have At Least One Mapping To Enforce A Data Clause", MsgButtons::OK,
                                          MsgIcon::Exclamation, diag::kAppTitle);
            m_services.navigator.unloadScreen(id());
            return context.GenParent;
        }
        cboStyle.clear();
        {
            auto rows = destination.query("Select specstyle, id from style");
            while (rows->next()) {
                cboStyle.addItem(rows->value(std::size_t{0}).value_or(""), std::stol(rows->value(std::size_t{1}).value_or("0")));
            }
        }
        if (context.StyleID >= 1) {
            for (int i = 0; i < cboStyle.listCount(); ++i) {
                if (cboStyle.items[i].itemData == context.StyleID) cboStyle.listIndex = i;
            }
            if (cboStyle.listIndex >= 0) cboStyle_Click();
            for (int i = 0; i < lstSourceParent.listCount(); ++i) {
                if (listValue(lstSourceParent.items[i].text) == context.SourceCol) lstSourceParent.listIndex = i;
            }
            for (int i = 0; i < lstDestinParent.listCount(); ++i) {
                if (listValue(lstDestinParent.items[i].text) == context.DestinCol) lstDestinParent.listIndex = i;
            }
        }
        m_browse.reset();
        if (context.GenParent != 0) {
            auto rows = destination.query("Select alpha1 from CIID where id=" + std::to_string(context.GenParent));
            lblCurrentParent.caption = rows->next() ? "Current Parent : " + rows->value(std::size_t{0}).value_or("")
                                                    : std::string("Current Parent : Not Found In DB");
        } else {
            lblCurrentParent.caption = "Current Parent : All node";
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmParent:Show_Form", "");
        return m_result;
    }
    m_services.navigator.showModal(*this);
    return m_result;
}

void ParentDialog::SSTree1_Expand(const std::string& key) {
    try {
        m_services.dialogs.setBusy(true);
        m_browse.expand(m_services.context.destination(), key);
        m_services.dialogs.setBusy(false);
    } catch (const std::exception& error) {
        m_services.dialogs.setBusy(false);
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "NAVTrexp", "");
    }
}

void ParentDialog::SSTree1_Collapse(const std::string& key) {
    try {
        m_browse.collapse(key);
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "NavTreColl", "");
    }
}

void ParentDialog::cboStyle_Click() {
    lstDestinParent.clear();
    if (cboStyle.listIndex < 0) return;
    cboStyle.text = cboStyle.selectedText();
    auto rows = m_services.context.destination().query("Select * from style where id = " +
                                                       std::to_string(cboStyle.items[cboStyle.listIndex].itemData));
    if (!rows->next()) return;
    auto add = [&](const std::string& prefix, int count) {
        for (int n = 1; n <= count; ++n) {
            std::string column = prefix + std::to_string(n);
            std::string label = diag::trimBlanks(rows->value(column).value_or(""));
            if (!label.empty()) lstDestinParent.addItem(column + ": " + label);
        }
    };
    add("Alpha", 15);
    add("Num", 10);
}

void ParentDialog::cmdOK_Click() {
    try {
        wizard::Context& context = m_services.context;
        cmdOK.enabled = false;
        m_result = m_browse.selectedId();
        if (lstDestinParent.listIndex >= 0 && lstSourceParent.listIndex >= 0 && cboStyle.listIndex >= 0) {
            context.StyleID = static_cast<std::int16_t>(cboStyle.items[cboStyle.listIndex].itemData);
            context.SourceCol = listValue(lstSourceParent.selectedText());
            context.DestinCol = listValue(lstDestinParent.selectedText());
        }
        cmdOK.enabled = true;
    } catch (const std::exception& error) {
        cmdOK.enabled = true;
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmRepNode:OK", "");
        return;
    }
    m_services.navigator.unloadScreen(id());
}

void ParentDialog::cmdCancel_Click() { m_services.navigator.unloadScreen(id()); }

NewParentDialog::NewParentDialog(wizard::ScreenServices services)
    : Screen(ScreenId::frmNewParent), m_services(services) {
    width = 420;
    height = 460;
}

void NewParentDialog::Form_Load() {
    caption = std::string(diag::kAppTitle);
    cmdOK.caption = "&OK";
    cmdCancel.caption = "E&xit";
    m_browse.reset();
}

void NewParentDialog::SSTree1_Expand(const std::string& key) {
    try {
        m_browse.expand(m_services.context.destination(), key);
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "NAVTrexp", "");
    }
}

void NewParentDialog::SSTree1_Collapse(const std::string& key) { m_browse.collapse(key); }

void NewParentDialog::cmdOK_Click() {
    m_services.context.NewParentID = m_browse.selectedId();
    m_cancelled = false;
    m_services.navigator.unloadScreen(id());
}

void NewParentDialog::cmdCancel_Click() {
    // No move is requested without a parent to move to: the caller's box is cleared too.
    m_services.context.MoveIfNotInSource = false;
    m_services.context.chkRemoveIfDeleted = false;
    m_cancelled = true;
    m_services.navigator.unloadScreen(id());
}

}  // namespace koru::editor
