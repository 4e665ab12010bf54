#pragma once

#include <string>

#include "wizard/controls.h"
#include "wizard/navigator.h"

namespace koru::editor {

// frmGenDataClause: the row filters of one structure level, kept in XFRClause as they are made.
class DataClauseDialog : public wizard::Screen {
public:
    explicit DataClauseDialog(wizard::ScreenServices services);

    void Form_Load() override;
    // Prepares the dialog for a level and shows it until it is closed.
    void Show_Form(int level);
    void DataClause_Refresh();
    void cboTable_Click();
    void lstDB2_Click() { cboCriteria_Change(); }
    void cboCriteria_Click() { cboCriteria_Change(); }
    void cboCriteria_Change();
    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdUpdate_Click();
    void lstDataClauses_Click();
    void lstDataClauses_DblClick();
    void UpDown1_UpClick();
    void UpDown1_DownClick();
    void cmdExit_Click();

    wizard::Label lblTitle;
    wizard::Label fraMappings;
    wizard::ComboBox cboTable;
    wizard::ListBox lstDB2;
    wizard::ComboBox cboOperator;
    wizard::Label lblCriteria;
    wizard::ComboBox cboCriteria;
    wizard::ComboBox cboAndOr;
    wizard::ListBox lstDataClauses;
    wizard::Button cmdAdd;
    wizard::Button cmdRemove;
    wizard::Button cmdUpdate;
    wizard::Button cmdExit;
    std::string cmdUpdateTag;  // the clause being edited

private:
    void Load_Data_Clause(long id);
    void Update_Data_Clause();
    void move(int from, int to);
    void renumber();

    wizard::ScreenServices m_services;
    int m_level = 1;
};

// The stored operator of an operator code: "=", "<>", "like", "not like"; empty for others.
std::string Operator_Lookup(int code);

}  // namespace koru::editor
