#include "editor/structure_links_screen.h"

#include <algorithm>

#include "db/sql_quoting.h"
#include "diag/messages.h"
#include "diag/text.h"
#include "editor/source_columns.h"
#include "mapping/mapping_repository.h"
#include "wizard/error_trap.h"
#include "wizard/text_helpers.h"

namespace koru::editor {

using wizard::MsgButtons;
using wizard::MsgIcon;
using wizard::MsgResult;
using wizard::ScreenId;

namespace {

const char* kInstructionPrefix = "Specify The Links Between Structure Levels";

}  // namespace

bool UT_Check_Links(wizard::Dialogs& dialogs, int type1, int type2, const std::string& name1,
                    const std::string& name2, bool& numeric) {
    const std::string warning =
        "\n\nPlease Note This Is Not A Recommended Practice And This Import Will Most Likely Not Succeed\n"
        "Are You Sure You Wish To Continue ?";
    auto ask = [&](const std::string& text) {
        return dialogs.messageBox(text + warning, MsgButtons::YesNo, MsgIcon::Critical, diag::kAppTitle) ==
               MsgResult::Yes;
    };
    if (type1 != type2 && !ask("The Columns You Are Choosing To Link Are Of Different Types")) return false;
    if (!isLinkNumericType(type1) && !ask("Column : " + name1 + "\nIs Not Of Type Integer")) return false;
    if (!isLinkNumericType(type2)) {
        if (!ask("Column : " + name2 + "\nIs Not Of Type Integer")) {
            numeric = false;
            return false;
        }
        return true;
    }
    numeric = true;
    return true;
}

StructureLinksScreen::StructureLinksScreen(wizard::ScreenServices services)
    : WizardScreen(ScreenId::frmStructureLinks, services) {
    width = 640;
    height = 460;
}

void StructureLinksScreen::Form_Load() {
    caption = std::string(diag::kAppTitle);
    lblTitle.caption = "Define Table Links Between Your Structure Levels";
    cmdAddLink.caption = "&Add hierarchy link";
    cmdBack.caption = LS(167);
    cmdNext.caption = LS(168);
    cmdExit.caption = LS(169);
    cmdNext.enabled = false;
    lblIdentifier.visible = false;
    lstSummary.visible = false;
    m_currentLevel = static_cast<int>(m_services.context.Gstructures.size()) - 1;
    m_walkSignature = structureSignature();
    try {
        ut_add_db_recs(cboLink1);
        ut_add_db_recs(cboLink2);
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmStructureLinks:Form_Load", "");
    }
}

void StructureLinksScreen::ut_add_db_recs(wizard::ComboBox& combo) {
    wizard::Context& context = m_services.context;
    combo.clear();
    for (const std::string& table : context.source().tables(db::ObjectType::Table)) combo.addItem(table);
    if (context.SourceIsSQLServer) {
        for (const std::string& view : context.source().tables(db::ObjectType::View)) combo.addItem(view);
    }
}

void StructureLinksScreen::Form_Activate() {
    try {
        wizard::Context& context = m_services.context;
        int levels = static_cast<int>(context.Gstructures.size()) - 1;
        // A structure edited since the walk left it (Back, a change, Next) is walked again.
        if (structureSignature() != m_walkSignature) {
            m_currentLevel = levels;
            m_identifierDefined = false;
            m_complete = false;
            for (wizard::Control* control :
                 std::initializer_list<wizard::Control*>{&fraDataSource, &fraLink1, &fraLink2, &cboLink1, &cboLink2}) {
                control->visible = true;
            }
            cmdAddLink.enabled = true;
            cmdNext.enabled = false;
            cmdNextDefault = false;
            m_walkSignature = structureSignature();
        }
        context.destination().execute(context.dialect().truncateTable("XFRStructure"));
        Insert_DB_Structures();
        if (m_complete) {
            closingSteps();
        } else {
            Prep_Screen();
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmStrucureLinks:Form_activate", "");
    }
}

std::string StructureLinksScreen::structureSignature() const {
    std::string signature;
    const auto& levels = m_services.context.Gstructures;
    for (std::size_t i = 1; i < levels.size(); ++i) {
        signature += levels[i].Name + '\n' + std::to_string(levels[i].ULinkID) + '\n' + levels[i].ULink + '\n' +
                     levels[i].DLink + '\n';
    }
    return signature;
}

void StructureLinksScreen::Insert_DB_Structures() {
    wizard::Context& context = m_services.context;
    std::vector<std::string> names;
    for (std::size_t i = 1; i < context.Gstructures.size(); ++i) names.push_back(context.Gstructures[i].Name);
    mapping::MappingRepository(context.destination(), context.dialect()).writeLevels(names);
    // What the walk already chose for this structure is written again.
    db::Connection& destination = context.destination();
    for (std::size_t i = 1; i < context.Gstructures.size(); ++i) {
        const wizard::StructureLevel& level = context.Gstructures[i];
        std::string where = " WHERE ID = " + std::to_string(i);
        if (!level.DLink.empty()) destination.execute("UPDATE XFRStructure SET DLink = " + db::charQuoted(level.DLink, '\'') + where);
        if (!level.ULink.empty()) {
            destination.execute("UPDATE XFRStructure SET ULink = " + db::charQuoted(level.ULink, '\'') + where);
            destination.execute("UPDATE XFRStructure SET ULinkID = " + std::to_string(level.ULinkID) + where);
            destination.execute(std::string("UPDATE XFRStructure SET ULinknumeric = ") +
                                (level.ULinkNumeric ? "1" : "0") + where);
        }
    }
}

void StructureLinksScreen::cboLink1_Click() {
    try {
        if (cboLink1.listIndex >= 0) UT_Add_DB_Items(m_services, lstLink1, cboLink1.selectedText());
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmStructureLinks:cboLink1_Click", "");
    }
}

void StructureLinksScreen::cboLink2_Click() {
    try {
        if (cboLink2.listIndex >= 0) UT_Add_DB_Items(m_services, lstLink2, cboLink2.selectedText());
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmStructureLinks:cboLink2_Click", "");
    }
}

void StructureLinksScreen::Prep_Screen() {
    try {
        wizard::Context& context = m_services.context;
        const auto& levels = context.Gstructures;
        int count = static_cast<int>(levels.size()) - 1;
        lstLink1.enabled = true;
        cboLink1.enabled = true;
        lstLink1.clear();
        lstLink2.clear();
        cboLink1.listIndex = -1;
        cboLink2.listIndex = -1;
        if (m_currentLevel < 1 || m_currentLevel > count) return;
        const wizard::StructureLevel& level = levels[m_currentLevel];
        m_identifierMode = !(count > 1 && (!level.bottomLevel || m_identifierDefined));
        lblIdentifier.caption = level.DLink.empty() ? std::string() : "Identifier of " + level.Name + ": " + level.DLink;
        lblIdentifier.visible = !level.DLink.empty();
        lstSummary.visible = false;
        if (!m_identifierMode) {
            fraLink1.visible = true;
            cboLink1.visible = true;
            const wizard::StructureLevel& parent = levels[level.ULinkID];
            lblInstruct.caption = std::string(kInstructionPrefix) + " " + parent.Name + " and " + level.Name;
            fraLink1.caption = parent.Name;
            fraLink2.caption = level.Name;
            cmdAddLink.caption = "&Add hierarchy link";
            if (!parent.DLink.empty()) {
                cboLink1.listIndex = cboLink1.indexOf(wizard::unbracketedName(wizard::UT_Split_Table_Column(true, parent.DLink)));
                cboLink1.text = cboLink1.selectedText();
                cboLink1.enabled = false;
                cboLink1_Click();
                lstLink1.listIndex = lstLink1.indexOf(wizard::unbracketedName(wizard::UT_Split_Table_Column(false, parent.DLink)));
                lstLink1.enabled = false;
            }
        } else {
            lblInstruct.caption = "Please specify the unique identifier (primary key) for this structure level";
            fraLink1.visible = false;
            cboLink1.visible = false;
            fraLink2.caption = level.Name;
            cmdAddLink.caption = "Add Identifier";
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmStructureLinks:Prep_screen", "");
    }
}

std::string StructureLinksScreen::linkText(const wizard::ComboBox& table, const wizard::ListBox& column) const {
    bool noBrackets = m_services.context.NoBrackets;
    return wizard::UT_Bracket_Name(table.selectedText(), noBrackets) + "." +
           wizard::UT_Bracket_Name(column.selectedText(), noBrackets);
}

void StructureLinksScreen::cmdAddLink_Click() {
    try {
        wizard::Context& context = m_services.context;
        wizard::Dialogs& dialogs = m_services.dialogs;
        auto refuse = [&] {
            dialogs.messageBox("Please Select Link Criteria", MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
        };
        db::Connection& destination = context.destination();
        wizard::StructureLevel& level = context.Gstructures[m_currentLevel];
        std::string current = std::to_string(m_currentLevel);
        if (m_identifierMode) {
            if (lstLink2.listIndex < 0) return refuse();
            std::string link = linkText(cboLink2, lstLink2);
            destination.execute("UPDATE XFRStructure SET DLink = " + db::charQuoted(link, '\'') + " WHERE ID = " + current);
            level.DLink = link;
            m_identifierDefined = true;
        } else {
            if (lstLink1.listIndex < 0 || lstLink2.listIndex < 0) return refuse();
            int type1 = static_cast<int>(lstLink1.items[lstLink1.listIndex].itemData);
            int type2 = static_cast<int>(lstLink2.items[lstLink2.listIndex].itemData);
            std::string name1 = cboLink1.selectedText() + "." + lstLink1.selectedText();
            std::string name2 = cboLink2.selectedText() + "." + lstLink2.selectedText();
            bool numeric = false;
            if (!UT_Check_Links(dialogs, type1, type2, name1, name2, numeric)) return;
            std::string parent = std::to_string(level.ULinkID);
            std::string upLink = linkText(cboLink2, lstLink2);
            std::string downLink = linkText(cboLink1, lstLink1);
            destination.execute("UPDATE XFRStructure SET ULink = " + db::charQuoted(upLink, '\'') + " WHERE ID = " + current);
            destination.execute("UPDATE XFRStructure SET ULinkID = " + parent + " WHERE ID = " + current);
            destination.execute(std::string("UPDATE XFRStructure SET ULinknumeric = ") + (numeric ? "1" : "0") +
                                " WHERE ID = " + current);
            destination.execute("UPDATE XFRStructure SET DLink = " + db::charQuoted(downLink, '\'') + " WHERE ID = " + parent);
            destination.execute("UPDATE XFRStructure SET dLinkID = " + current + " WHERE ID = " + parent);
            level.ULinkNumeric = numeric;
            level.ULink = upLink;
            context.Gstructures[level.ULinkID].DLink = downLink;
            m_currentLevel -= 1;
            m_identifierDefined = false;
        }
        m_walkSignature = structureSignature();
        Prep_Screen();
        if (m_currentLevel == 1) closingSteps();
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmStructureLinks:cmdAddLink_Click", "");
    }
}

void StructureLinksScreen::closingSteps() {
    m_complete = true;
    m_identifierMode = false;
    cmdAddLink.enabled = false;
    cmdNext.enabled = true;
    cmdNextDefault = true;
    cboLink1.listIndex = -1;
    cboLink2.listIndex = -1;
    lstLink1.clear();
    lstLink2.clear();
    lblInstruct.caption = "Structure Level Links Selection Complete";
    for (wizard::Control* control :
         std::initializer_list<wizard::Control*>{&fraDataSource, &fraLink1, &fraLink2, &cboLink1, &cboLink2}) {
        control->visible = false;
    }
    lblIdentifier.visible = false;
    // What was chosen, to read over before going on.
    const auto& levels = m_services.context.Gstructures;
    lstSummary.clear();
    for (std::size_t i = 1; i < levels.size(); ++i) {
        const wizard::StructureLevel& level = levels[i];
        std::string line = std::to_string(i) + "  " + level.Name + ": identifier " +
                           (level.DLink.empty() ? std::string("(none)") : level.DLink);
        if (level.ULinkID > 0 && level.ULinkID < static_cast<int>(levels.size())) {
            line += ", parent column " + level.ULink + " = " + levels[level.ULinkID].Name + " " +
                    levels[level.ULinkID].DLink;
        }
        lstSummary.addItem(line);
    }
    lstSummary.visible = true;
}

void StructureLinksScreen::cmdNext_Click() {
    try {
        wizard::Context& context = m_services.context;
        mapping::MappingRepository(context.destination(), context.dialect()).emptyMappingsAndClauses();
        m_services.navigator.UT_Wizard_Change_Forms(ScreenId::frmStructureLinks, ScreenId::frmDragMap, false);
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmStructureLinks:cmdNext_Click", "");
    }
}

void StructureLinksScreen::cmdBack_Click() {
    m_services.navigator.UT_Wizard_Change_Forms(ScreenId::frmStructureLinks, ScreenId::frmStructure, false);
}

void StructureLinksScreen::cmdExit_Click() { m_services.navigator.requestClose(id()); }

}  // namespace koru::editor
