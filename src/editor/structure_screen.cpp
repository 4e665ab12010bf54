#include "editor/structure_screen.h"

#include <algorithm>
#include <map>

#include "diag/messages.h"
#include "diag/text.h"
#include "wizard/error_trap.h"
#include "wizard/text_helpers.h"

namespace koru::editor {

using wizard::MsgButtons;
using wizard::MsgIcon;
using wizard::MsgResult;
using wizard::ScreenId;

namespace {

std::string levelKey(int level) { return "lev" + std::to_string(level); }

int levelOf(const std::string& key) {
    try {
        return key.size() > 3 ? std::stoi(key.substr(3)) : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace

StructureScreen::StructureScreen(wizard::ScreenServices services) : WizardScreen(ScreenId::frmStructure, services) {
    width = 600;
    height = 460;
}

void StructureScreen::Form_Load() {
    caption = std::string(diag::kAppTitle);
    lblTitle.caption = "Simulate Database Hierarchy";
    fraStructure.caption = "Structure";
    rtbStructure.text =
        "Generate Navigator Structure To Simulate Your Business's Current Way Of Working.\n\n"
        "For A Sample Of This  Structure, Click on The Sample Button.";
    rtbStructure.locked = true;
    cmdAddChildNode.caption = "&Add structure level";
    cmdRename.caption = "&Rename";
    cmdDelete.caption = "&Delete selected node";
    cmdClear.caption = "&Clear all nodes";
    cmdSampleData.caption = "&Sample structure";
    chkDelRoot.caption = "Do Not Import Items Which Do Not Fit This Structure";
    chkSelectDistinct.caption = "Select distinct records only";
    cmdBack.caption = LS(167);
    cmdNext.caption = LS(168);
    cmdExit.caption = LS(169);
    wizard::Context& context = m_services.context;
    chkSelectDistinct.value = context.chkSelectDistinct != 0 || context.Distinct;
    chkDelRoot.value = context.chkDelRoot;
    LoadChildNodes();
}

void StructureScreen::LoadChildNodes() {
    try {
        const auto& levels = m_services.context.Gstructures;
        for (std::size_t i = 1; i < levels.size(); ++i) {
            std::string parent = tvStructure.nodes.empty() || !tvStructure.find(levelKey(levels[i].ULinkID))
                                     ? std::string()
                                     : levelKey(levels[i].ULinkID);
            tvStructure.add(parent, levelKey(static_cast<int>(i)), levels[i].Name).expanded = true;
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmStructure:LoadChildNodes", "");
    }
}

std::optional<std::string> StructureScreen::askName(std::string proposed) {
    wizard::Dialogs& dialogs = m_services.dialogs;
    while (true) {
        std::optional<std::string> typed = dialogs.askText("Enter A Name For This Level", diag::kAppTitle, proposed);
        if (!typed) return std::nullopt;
        std::string name = wizard::UT_Remove_Quotes_Value(*typed);
        std::string trimmed = diag::trimBlanks(name);
        if (trimmed.empty()) {
            dialogs.messageBox("Please Enter A Valid Level Name", MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
            return std::nullopt;
        }
        if (diag::characterCount(trimmed) > 20) {
            dialogs.messageBox("The Maximum Length Of A Level Name Is 20 Characters", MsgButtons::OK,
                               MsgIcon::Exclamation, diag::kAppTitle);
            proposed = diag::leftChars(trimmed, 20);
            continue;
        }
        // Checked trimmed, kept as typed while it still fits the level name's width.
        return diag::characterCount(name) > 20 ? trimmed : name;
    }
}

void StructureScreen::expandAll() {
    for (wizard::TreeNode& node : tvStructure.nodes) node.expanded = true;
}

void StructureScreen::AddChildNodes() {
    try {
        wizard::Dialogs& dialogs = m_services.dialogs;
        bool selected = tvStructure.find(tvStructure.selectedKey) != nullptr;
        if (!tvStructure.nodes.empty() && !selected) {
            dialogs.messageBox("Please select the node you wish to add a new node to", MsgButtons::OK,
                               MsgIcon::Exclamation, diag::kAppTitle);
            return;
        }
        int number = static_cast<int>(tvStructure.nodes.size()) + 1;
        std::optional<std::string> name = askName("Default");
        if (!name) return;
        dialogs.setBusy(true);
        std::string parent = tvStructure.nodes.empty() ? std::string() : tvStructure.selectedKey;
        tvStructure.add(parent, levelKey(number), *name);
        expandAll();
        tvStructure.selectedKey = levelKey(number);
        dialogs.setBusy(false);
    } catch (const std::exception& error) {
        m_services.dialogs.setBusy(false);
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmStructure:AddChildNodes", "");
    }
}

void StructureScreen::cmdRename_Click() {
    try {
        wizard::TreeNode* node = tvStructure.find(tvStructure.selectedKey);
        if (!node) {
            m_services.dialogs.messageBox("Please Select A Structure Level To Rename", MsgButtons::OK,
                                          MsgIcon::Exclamation, diag::kAppTitle);
            return;
        }
        std::string key = node->key;
        if (std::optional<std::string> name = askName(node->text)) tvStructure.find(key)->text = *name;
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmStructure:cmdRename_Click", "");
    }
}

void StructureScreen::cmdDelete_Click() {
    try {
        wizard::Dialogs& dialogs = m_services.dialogs;
        wizard::TreeNode* node = tvStructure.find(tvStructure.selectedKey);
        if (!node) {
            dialogs.messageBox("Please select the structure level you wish to delete", MsgButtons::OK,
                               MsgIcon::Exclamation, diag::kAppTitle);
            return;
        }
        int deleted = levelOf(node->key);
        std::string key = node->key;
        std::string parent = node->parentKey;
        if (tvStructure.childCount(key) > 0 &&
            dialogs.messageBox("Do you Want To Delete All Structures Below " + node->text + " ?", MsgButtons::YesNo,
                               MsgIcon::Exclamation, diag::kAppTitle) != MsgResult::Yes) {
            return;
        }
        tvStructure.remove(key);
        db::Connection& destination = m_services.context.destination();
        std::string n = std::to_string(deleted);
        destination.execute("Delete From XFRMappings Where StructureID >= " + n);
        destination.execute("Delete From XFRClause Where StructureID >= " + n);
        destination.execute("Delete From XFRStructure Where ID >= " + n);
        // Table links go with their levels, or the level taking the number would inherit them.
        destination.execute("Delete From XFRTableLink Where StructureID >= " + n);

        // The levels left are numbered 1..n again in the order they were made.
        std::vector<wizard::TreeNode*> ordered;
        for (wizard::TreeNode& each : tvStructure.nodes) ordered.push_back(&each);
        std::sort(ordered.begin(), ordered.end(),
                  [](const wizard::TreeNode* a, const wizard::TreeNode* b) { return levelOf(a->key) < levelOf(b->key); });
        std::map<std::string, std::string> renamed;
        for (std::size_t i = 0; i < ordered.size(); ++i) renamed[ordered[i]->key] = levelKey(static_cast<int>(i + 1));
        for (wizard::TreeNode& each : tvStructure.nodes) {
            each.key = renamed[each.key];
            if (!each.parentKey.empty()) each.parentKey = renamed[each.parentKey];
        }
        tvStructure.selectedKey = parent.empty() ? std::string() : renamed[parent];
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmStructure:cmdDelete_Click", "");
    }
}

void StructureScreen::cmdClear_Click() { tvStructure.clear(); }

void StructureScreen::cmdSampleData_Click() {
    tvStructure.clear();
    const char* names[] = {"Company", "Department", "Contact", "PC", "Software"};
    for (int level = 1; level <= 5; ++level) {
        tvStructure.add(level == 1 ? std::string() : levelKey(level - 1), levelKey(level), names[level - 1]).expanded =
            true;
    }
}

void StructureScreen::chkSelectDistinct_Click() {
    m_services.context.Distinct = chkSelectDistinct.value;
    m_services.context.chkSelectDistinct = chkSelectDistinct.value ? 1 : 0;
}

void StructureScreen::chkDelRoot_Click() { m_services.context.chkDelRoot = chkDelRoot.value; }

void StructureScreen::cmdNext_Click() {
    wizard::Dialogs& dialogs = m_services.dialogs;
    dialogs.setBusy(true);
    try {
        if (tvStructure.nodes.empty()) {
            dialogs.setBusy(false);
            dialogs.messageBox(
                "You Must Have At Least One Level Of Structure\n\nIf You Are Unsure, Then Just Select One Level",
                MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
            return;
        }
        auto& levels = m_services.context.Gstructures;
        levels = std::vector<wizard::StructureLevel>(1);
        for (int n = 1; n <= static_cast<int>(tvStructure.nodes.size()); ++n) {
            wizard::TreeNode* node = tvStructure.find(levelKey(n));
            wizard::StructureLevel level;
            if (node) {
                level.Name = node->text;
                level.ULinkID = static_cast<short>(levelOf(node->parentKey));
                level.bottomLevel = tvStructure.childCount(node->key) == 0;
            }
            levels.push_back(level);
        }
        m_services.navigator.UT_Wizard_Change_Forms(ScreenId::frmStructure, ScreenId::frmStructureLinks, false);
    } catch (const std::exception& error) {
        dialogs.setBusy(false);
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmStructure:cmdNext_Click", "");
        return;
    }
    dialogs.setBusy(false);
}

void StructureScreen::cmdBack_Click() {
    m_services.navigator.UT_Wizard_Change_Forms(ScreenId::frmStructure, ScreenId::frmMappings, false);
}

void StructureScreen::cmdExit_Click() { m_services.navigator.requestClose(id()); }

}  // namespace koru::editor
