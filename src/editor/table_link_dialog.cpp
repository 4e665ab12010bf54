#include "editor/table_link_dialog.h"

#include <algorithm>

#include "db/sql_quoting.h"
#include "diag/messages.h"
#include "diag/text.h"
#include "editor/source_columns.h"
#include "wizard/error_trap.h"
#include "wizard/text_helpers.h"

namespace koru::editor {

using wizard::MsgButtons;
using wizard::MsgIcon;
using wizard::MsgResult;
using wizard::ScreenId;

TableLinkDialog::TableLinkDialog(wizard::ScreenServices services)
    : Screen(ScreenId::frmTableLink), m_services(services) {
    width = 620;
    height = 460;
}

void TableLinkDialog::Form_Load() {
    diag::ErrorReporter& reporter = m_services.reporter;
    caption = std::string(diag::kAppTitle);
    lblTitle.caption = diag::LS(413, reporter);
    cmdAdd.caption = diag::LS(410, reporter);
    cmdRemoveLink.caption = diag::LS(411, reporter);
    cmdExit.caption = diag::LS(412, reporter);
}

bool TableLinkDialog::Show_Form(int structureID) {
    wizard::Context& context = m_services.context;
    try {
        m_level = structureID;
        cboSTable.clear();
        cboTable.clear();
        std::string sql = std::string("Select distinct SourceTable From XFRMappings ") + "where sourcetable <> ''" +
                          (context.KBImport ? "" : " and structureid = " + std::to_string(structureID));
        {
            auto tables = context.destination().query(sql);
            while (tables->next()) {
                std::string table = tables->value(std::size_t{0}).value_or("");
                cboTable.addItem(table);
                cboSTable.addItem(table);
            }
        }
        std::string name = structureID >= 1 && structureID < static_cast<int>(context.Gstructures.size())
                               ? context.Gstructures[structureID].Name
                               : std::string();
        lblTitle.caption = diag::LS(414, m_services.reporter) + name;
        lstLinks.clear();
        auto links = context.destination().query("Select * From XFRTableLink Where StructureID = " +
                                                 std::to_string(structureID));
        while (links->next()) {
            lstLinks.addItem(links->value("sourceTable").value_or("") + "." + links->value("sourceColumn").value_or("") +
                                 " = " + links->value("destinTable").value_or("") + "." +
                                 links->value("destinColumn").value_or(""),
                             std::stol(links->value("ID").value_or("0")));
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmTableLink:Show_Form", "");
        return true;
    }
    m_services.navigator.showModal(*this);
    return true;
}

void TableLinkDialog::cboSTable_Click() {
    if (cboSTable.listIndex >= 0) UT_Add_DB_Items(m_services, lstDB1, cboSTable.selectedText());
}

void TableLinkDialog::cboTable_Click() {
    if (cboTable.listIndex >= 0) UT_Add_DB_Items(m_services, lstDB2, cboTable.selectedText());
}

bool TableLinkDialog::checkLink(int type1, int type2, const std::string& name1, const std::string& name2) {
    diag::ErrorReporter& reporter = m_services.reporter;
    std::string tail = "\n\n" + diag::LS(439, reporter) + "\n" + diag::LS(440, reporter);
    auto ask = [&](const std::string& text) {
        return m_services.dialogs.messageBox(text + tail, MsgButtons::YesNo, MsgIcon::Critical, diag::kAppTitle) ==
               MsgResult::Yes;
    };
    if (type1 != type2 && !ask(diag::LS(441, reporter))) return false;
    if (!isLinkNumericType(type1) && !ask(diag::LS(442, reporter) + name1 + " " + diag::LS(443, reporter))) return false;
    if (!isLinkNumericType(type2) && !ask(diag::LS(442, reporter) + name2 + " " + diag::LS(443, reporter))) return false;
    return true;
}

void TableLinkDialog::cmdAdd_Click() {
    try {
        wizard::Context& context = m_services.context;
        diag::ErrorReporter& reporter = m_services.reporter;
        if (lstDB1.listIndex < 0 || lstDB2.listIndex < 0) return;
        std::string first = cboSTable.selectedText(), second = cboTable.selectedText();
        std::string column1 = lstDB1.selectedText(), column2 = lstDB2.selectedText();
        if (first == second) {
            m_services.dialogs.messageBox(diag::LS(403, reporter), MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
            return;
        }
        if (!checkLink(static_cast<int>(lstDB1.items[lstDB1.listIndex].itemData),
                       static_cast<int>(lstDB2.items[lstDB2.listIndex].itemData), first + "." + column1,
                       second + "." + column2)) {
            return;
        }
        db::Connection& destination = context.destination();
        destination.execute("INSERT INTO XFRTableLink(SourceTable, SourceColumn, DestinTable, DestinColumn, "
                            "StructureID) VALUES(" + db::charQuoted(first, '\'') + " , " + db::charQuoted(column1, '\'') + " , " + db::charQuoted(second, '\'') +
                            " , " + db::charQuoted(column2, '\'') + " , " + std::to_string(m_level) + ")");
        std::string found = "id from XFRTableLink where sourcecolumn = " + db::charQuoted(column1, '\'') +
                            " AND destincolumn = " + db::charQuoted(column2, '\'') + "  ORDER BY ID DESC";
        std::optional<std::string> id;
        {
            auto rows = destination.query(context.dialect().kind() == db::DestinationDialect::Kind::Mssql
                                              ? "Select top 1 " + found
                                              : "Select " + found + " LIMIT 1");
            if (rows->next()) id = rows->value(std::size_t{0});
        }
        if (!id) {
            m_services.dialogs.messageBox(diag::LS(540, reporter), MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
            return;
        }
        lstLinks.addItem(first + "." + column1 + " = " + second + "." + column2, std::stol(*id));
        m_services.dialogs.messageBox(diag::LS(404, reporter), MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmTableLink:cmdAdd_Click", "");
    }
}

void TableLinkDialog::cmdRemoveLink_Click() {
    try {
        if (lstLinks.listIndex < 0) return;
        m_services.context.destination().execute("DELETE FROM XFRTableLink WHERE ID = " +
                                                 std::to_string(lstLinks.items[lstLinks.listIndex].itemData));
        lstLinks.items.erase(lstLinks.items.begin() + lstLinks.listIndex);
        lstLinks.listIndex = -1;
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmTableLink:cmdRemoveLink_Click", "");
    }
}

void TableLinkDialog::cmdExit_Click() {
    try {
        diag::ErrorReporter& reporter = m_services.reporter;
        int tables = cboSTable.listCount(), links = lstLinks.listCount();
        if (links < tables - 1) {
            m_services.dialogs.messageBox(diag::LS(407, reporter) + std::to_string(tables) + diag::LS(408, reporter) +
                                              "\n" + diag::LS(488, reporter) + std::to_string(tables - 1) +
                                              diag::LS(489, reporter) + "\n" + diag::LS(490, reporter) +
                                              std::to_string(links) + diag::LS(491, reporter) + "\n\n" +
                                              diag::LS(405, reporter) + "\n" + diag::LS(406, reporter),
                                          MsgButtons::YesNo, MsgIcon::Exclamation, diag::kAppTitle);
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmTableLink:cmdExit_click", "");
    }
    m_services.navigator.unloadScreen(id());
}

}  // namespace koru::editor
