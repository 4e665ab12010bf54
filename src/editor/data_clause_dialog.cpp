#include "editor/data_clause_dialog.h"

#include "db/sql_quoting.h"
#include "diag/messages.h"
#include "diag/text.h"
#include "wizard/error_trap.h"
#include "wizard/text_helpers.h"

namespace koru::editor {

using wizard::MsgButtons;
using wizard::MsgIcon;
using wizard::ScreenId;

std::string Operator_Lookup(int code) {
    switch (code) {
        case 1: return "=";
        case 2: return "<>";
        case 3: return "like";
        case 4: return "not like";
        default: return {};
    }
}

DataClauseDialog::DataClauseDialog(wizard::ScreenServices services)
    : Screen(ScreenId::frmGenDataClause), m_services(services) {
    width = 620;
    height = 440;
}

void DataClauseDialog::Form_Load() {
    caption = std::string(diag::kAppTitle);
    lblTitle.caption = "Define the data clauses for this table";
    fraMappings.caption = "Data source";
    lblCriteria.caption = "&Criteria :";
    cmdAdd.caption = "&Add";
    cmdRemove.caption = "&Remove";
    cmdUpdate.caption = "&Update";
    cmdExit.caption = "E&xit";
}

void DataClauseDialog::Show_Form(int level) {
    wizard::Context& context = m_services.context;
    try {
        m_level = context.KBImport ? 1 : level;
        std::string sql = context.KBImport
                              ? "Select distinct(SourceTable) From XFRMappings Where sourcetable is not null"
                              : "Select distinct(SourceTable) From XFRMappings Where sourcetable is not null and "
                                "StructureID = " + std::to_string(m_level);
        cboTable.clear();
        {
            auto rows = context.destination().query(sql);
            while (rows->next()) {
                std::string table = diag::trimBlanks(rows->value(std::size_t{0}).value_or(""));
                if (!table.empty()) cboTable.addItem(table);
            }
        }
        if (cboTable.listCount() == 0) {
            m_services.dialogs.messageBox("You Must Have At Least One Mapping To Enforce A Data Clause", MsgButtons::OK,
                                          MsgIcon::Exclamation, diag::kAppTitle);
            m_services.navigator.unloadScreen(id());
            return;
        }
        cboOperator.clear();
        const char* operators[] = {"Equals", "Does Not Equal", "Contains", "Does Not Contain"};
        for (int code = 1; code <= 4; ++code) cboOperator.addItem(operators[code - 1], code);
        cboTable.listIndex = 0;
        cboTable.text = cboTable.items[0].text;
        cboTable_Click();
        cboAndOr.clear();
        cboAndOr.addItem("And");
        cboAndOr.addItem("Or");
        cboAndOr.listIndex = 0;
        cboAndOr.text = "And";
        cboCriteria.clear();
        cboCriteria.addItem("NULL");
        cboCriteria.text.clear();
        DataClause_Refresh();
        bool any = lstDataClauses.listCount() > 0;
        cboAndOr.visible = any;
        cmdUpdate.enabled = any;
        cmdRemove.enabled = any;
        cboCriteria_Change();
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmGenDataClause:Show_Form", "");
        return;
    }
    m_services.navigator.showModal(*this);
}

namespace {

bool isLikeOperator(const std::string& stored) {
    std::string op = diag::upperAscii(diag::trimBlanks(stored));
    return op == "LIKE" || op == "NOT LIKE";
}

}  // namespace

void DataClauseDialog::cboTable_Click() {
    wizard::Context& context = m_services.context;
    lstDB2.clear();
    if (cboTable.listIndex < 0) return;
    auto rows = context.source().query("Select * From " + wizard::UT_Bracket_Name(cboTable.selectedText(), context.NoBrackets));
    for (std::size_t i = 0; i < rows->fieldCount(); ++i) lstDB2.addItem(rows->field(i).name, rows->field(i).adoType);
}

void DataClauseDialog::cboCriteria_Change() {
    try {
        wizard::UT_Clean_Combo_Text(cboCriteria);
        if (diag::characterCount(cboCriteria.text) >= 36) {
            cboCriteria.text = diag::leftChars(cboCriteria.text, 35);
            cboCriteria.selStart = 35;
        }
        cmdAdd.enabled = cboOperator.listIndex >= 0 && !diag::trimBlanks(cboCriteria.text).empty() &&
                         lstDB2.listIndex >= 0;
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmGenDataClause:txtCriteria_Change", "");
    }
}

void DataClauseDialog::DataClause_Refresh() {
    try {
        lstDataClauses.clear();
        auto rows = m_services.context.destination().query("Select * From XFRClause Where StructureID = " +
                                                           std::to_string(m_level) + " order by strucOrder asc");
        while (rows->next()) {
            std::string line;
            if (lstDataClauses.listCount() > 0) {
                std::string join = rows->value("AndClause").value_or("0");
                line = join == "0" ? "and " : "or ";
            }
            line += rows->value("SourceTable").value_or("") + "." + rows->value("SourceColumn").value_or("") + " " +
                    diag::trimBlanks(rows->value("Operator").value_or("")) + "  " + rows->value("Criteria").value_or("");
            lstDataClauses.addItem(line, std::stol(rows->value("ID").value_or("0")));
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmGenDataClause:DataClause_REfresh", "");
    }
}

void DataClauseDialog::cmdAdd_Click() {
    try {
        std::string value = cboCriteria.text;
        if (cboOperator.listIndex < 0 || lstDB2.listIndex < 0) return;
        int code = static_cast<int>(cboOperator.items[cboOperator.listIndex].itemData);
        std::string op = Operator_Lookup(code);
        int join = cboAndOr.visible ? std::max(cboAndOr.listIndex, 0) : 0;
        std::string wrapped = "'" + value + "'";
        if (diag::upperAscii(value) == "NULL") {
            if (op == "=") {
                op = "is";
            } else if (op == "<>") {
                op = "is not";
            } else {
                m_services.dialogs.messageBox("Null queries can only be used with...\nEquals, and does not equal",
                                              MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
                return;
            }
        } else if (code == 3 || code == 4) {
            wrapped = "'%" + value + "%'";
        }
        int order = lstDataClauses.listCount();
        m_services.context.destination().execute(
            std::string("insert into xfrclause(StructureID, SourceTable, SourceColumn, Operator, Criteria, StrucOrder, "
                        "AndClause )") +
            " Values (" + std::to_string(m_level) + " , " + db::charQuoted(cboTable.selectedText(), '\'') + " , " +
            db::charQuoted(lstDB2.selectedText(), '\'') + " , '" + op + "' , " + wrapped + " , " + std::to_string(order) + " , " +
            std::to_string(join) + ")");
        DataClause_Refresh();
        cboAndOr.visible = true;
        cmdRemove.enabled = true;
        cboCriteria.text.clear();
        cboCriteria_Change();
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmGenDataClause:cmdAdd_CLick", "");
    }
}

void DataClauseDialog::renumber() {
    db::Connection& destination = m_services.context.destination();
    for (int i = 0; i < lstDataClauses.listCount(); ++i) {
        destination.execute("update xfrclause set strucOrder = " + std::to_string(i) +
                            " where id = " + std::to_string(lstDataClauses.items[i].itemData));
    }
}

void DataClauseDialog::cmdRemove_Click() {
    try {
        if (lstDataClauses.listIndex < 0) return;
        m_services.context.destination().execute("delete from xfrclause where id = " +
                                                 std::to_string(lstDataClauses.items[lstDataClauses.listIndex].itemData));
        DataClause_Refresh();
        renumber();  // the clauses left keep their order, numbered from 0 again
        DataClause_Refresh();
        if (lstDataClauses.listCount() == 0) cboAndOr.visible = false;
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmGenDataClause:CmdRemove_Click", "");
    }
}

void DataClauseDialog::lstDataClauses_Click() { cmdUpdate.enabled = false; }

void DataClauseDialog::lstDataClauses_DblClick() {
    try {
        if (lstDataClauses.listIndex < 0) return;
        long id = lstDataClauses.items[lstDataClauses.listIndex].itemData;
        Load_Data_Clause(id);
        cboAndOr.visible = lstDataClauses.listIndex != 0;
        cmdUpdate.enabled = true;
        cmdUpdateTag = std::to_string(id);
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmGenDataClause:lstDataClauses_DblClick", "");
    }
}

void DataClauseDialog::Load_Data_Clause(long id) {
    try {
        auto rows = m_services.context.destination().query("Select * From XFRClause Where ID = " + std::to_string(id));
        if (!rows->next()) {
            m_services.dialogs.messageBox("Cannot Find This Clause In the Database", MsgButtons::OK,
                                          MsgIcon::Exclamation, diag::kAppTitle);
            return;
        }
        std::string criteria = rows->value("Criteria").value_or("");
        // A Contains clause is edited as it was typed: the wildcards are added again on update.
        if (isLikeOperator(rows->value("Operator").value_or("")) && criteria.size() >= 2 && criteria.front() == '%' &&
            criteria.back() == '%') {
            criteria = criteria.substr(1, criteria.size() - 2);
        }
        cboCriteria.text = criteria;
        bool orClause = rows->value("AndClause").value_or("0") != "0";
        cboAndOr.listIndex = orClause ? 1 : 0;
        cboAndOr.text = orClause ? "Or" : "And";
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmGenDataClause:Load_Data_Clause", "");
    }
}

void DataClauseDialog::cmdUpdate_Click() {
    Update_Data_Clause();
    cmdUpdateTag.clear();
    cmdUpdate.enabled = false;
}

void DataClauseDialog::Update_Data_Clause() {
    try {
        if (cmdUpdateTag.empty()) return;
        db::Connection& destination = m_services.context.destination();
        std::string stored;
        {
            auto rows = destination.query("Select Operator From XFRClause Where ID = " + cmdUpdateTag);
            if (rows->next()) stored = diag::trimBlanks(rows->value(std::size_t{0}).value_or(""));
        }
        // The rules of Add: NULL only with equals or not equals, Contains between wildcards.
        std::string op = diag::upperAscii(stored);
        std::string value = cboCriteria.text;
        if (diag::upperAscii(diag::trimBlanks(value)) == "NULL") {
            if (isLikeOperator(op)) {
                m_services.dialogs.messageBox("Null queries can only be used with...\nEquals, and does not equal",
                                              MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
                return;
            }
            op = op == "=" || op == "IS" ? "is" : "is not";
        } else {
            if (op == "IS" || op == "IS NOT") op = op == "IS" ? "=" : "<>";
            if (isLikeOperator(op)) value = "%" + value + "%";
        }
        destination.execute("Update XFrClause Set Criteria = " + db::charQuoted(value, '\'') + " where id = " + cmdUpdateTag);
        if (diag::upperAscii(op) != diag::upperAscii(stored)) {
            destination.execute("Update XFrClause Set Operator = '" + op + "' where id = " + cmdUpdateTag);
        }
        destination.execute("Update XFrClause Set AndClause = " + std::to_string(std::max(cboAndOr.listIndex, 0)) +
                            " where id = " + cmdUpdateTag);
        DataClause_Refresh();
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmGenDataClause:Update_Data_clause", "");
    }
}

void DataClauseDialog::move(int from, int to) {
    db::Connection& destination = m_services.context.destination();
    destination.execute("update xfrclause set strucOrder = " + std::to_string(to) +
                        " where id = " + std::to_string(lstDataClauses.items[from].itemData));
    destination.execute("update xfrclause set strucOrder = " + std::to_string(from) +
                        " where id = " + std::to_string(lstDataClauses.items[to].itemData));
    DataClause_Refresh();
    renumber();
    lstDataClauses.listIndex = to;
}

void DataClauseDialog::UpDown1_DownClick() {
    try {
        int i = lstDataClauses.listIndex;
        if (i < 0 || i + 1 >= lstDataClauses.listCount()) return;
        move(i, i + 1);
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmGenDataClause:UpDown1_DownClick", "");
    }
}

void DataClauseDialog::UpDown1_UpClick() {
    try {
        int i = lstDataClauses.listIndex;
        if (i <= 0 || i >= lstDataClauses.listCount()) return;
        move(i, i - 1);
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmGenDataClauses:UpDown1_UpClick", "");
    }
}

void DataClauseDialog::cmdExit_Click() { m_services.navigator.unloadScreen(id()); }

}  // namespace koru::editor
