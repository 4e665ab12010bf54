#pragma once

#include <string>

#include "wizard/controls.h"
#include "wizard/navigator.h"

namespace koru::editor {

// frmTableLink: the joins between the source tables of one structure level, kept in
// XFRTableLink as they are made.
class TableLinkDialog : public wizard::Screen {
public:
    explicit TableLinkDialog(wizard::ScreenServices services);

    void Form_Load() override;
    // Lists the level's source tables and links and shows the dialog until it is closed; true.
    bool Show_Form(int structureID);
    void cboSTable_Click();
    void cboTable_Click();
    void cmdAdd_Click();
    void cmdRemoveLink_Click();
    void cmdExit_Click();

    wizard::Label lblTitle;
    wizard::ComboBox cboSTable;
    wizard::ComboBox cboTable;
    wizard::ListBox lstDB1;
    wizard::ListBox lstDB2;
    wizard::ListBox lstLinks;
    wizard::Button cmdAdd;
    wizard::Button cmdRemoveLink;
    wizard::Button cmdExit;

private:
    bool checkLink(int type1, int type2, const std::string& name1, const std::string& name2);

    wizard::ScreenServices m_services;
    int m_level = 1;
};

}  // namespace koru::editor
