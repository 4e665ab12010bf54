#pragma once

#include <optional>
#include <string>

#include "wizard/controls.h"
#include "wizard/navigator.h"

namespace koru::editor {

// frmStructure: the levels of the navigator hierarchy to simulate, as a tree of named nodes
// keyed "lev" + level number.
class StructureScreen : public wizard::WizardScreen {
public:
    explicit StructureScreen(wizard::ScreenServices services);

    void Form_Load() override;
    void cmdAddChildNode_Click() { AddChildNodes(); }
    void AddChildNodes();
    void LoadChildNodes();
    void cmdRename_Click();
    void cmdDelete_Click();
    void cmdClear_Click();
    void cmdSampleData_Click();
    void chkSelectDistinct_Click();
    void chkDelRoot_Click();
    void cmdNext_Click();
    void cmdBack_Click();
    void cmdExit_Click();

    wizard::Label lblTitle;
    wizard::Label fraStructure;
    wizard::Tree tvStructure;
    wizard::TextBox rtbStructure;
    wizard::Button cmdAddChildNode;
    wizard::Button cmdRename;
    wizard::Button cmdDelete;
    wizard::Button cmdClear;
    wizard::Button cmdSampleData;
    wizard::CheckBox chkDelRoot;
    wizard::CheckBox chkSelectDistinct;
    wizard::Button cmdBack;
    wizard::Button cmdNext;
    wizard::Button cmdExit;

private:
    // Asks for a level name; nullopt when cancelled or refused.
    std::optional<std::string> askName(std::string proposed);
    void expandAll();
};

}  // namespace koru::editor
