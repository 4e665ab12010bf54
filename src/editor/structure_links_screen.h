#pragma once

#include <string>

#include "wizard/controls.h"
#include "wizard/navigator.h"

namespace koru::editor {

// frmStructureLinks: walks the levels from the last up to level 2 and asks which source column
// ties each level to its parent; a level without levels below first gets its identifier.
class StructureLinksScreen : public wizard::WizardScreen {
public:
    explicit StructureLinksScreen(wizard::ScreenServices services);

    void Form_Load() override;
    void Form_Activate() override;
    void cboLink1_Click();
    void cboLink2_Click();
    void cmdAddLink_Click();
    void cmdNext_Click();
    void cmdBack_Click();
    void cmdExit_Click();

    void Insert_DB_Structures();
    void Prep_Screen();

    // Identifier mode: the current level chooses its own identifying column.
    bool identifierMode() const { return m_identifierMode; }
    int currentLevel() const { return m_currentLevel; }
    bool complete() const { return m_complete; }

    wizard::Label lblTitle;
    wizard::Label lblInstruct;
    // The identifier column chosen for the shown level, once there is one.
    wizard::Label lblIdentifier;
    // When every link is made: one line per level with its identifier and its parent column.
    wizard::ListBox lstSummary;
    wizard::Label fraDataSource;
    wizard::Label fraLink1;
    wizard::ComboBox cboLink1;
    wizard::ListBox lstLink1;
    wizard::Label fraLink2;
    wizard::ComboBox cboLink2;
    wizard::ListBox lstLink2;
    wizard::Button cmdAddLink;
    wizard::Button cmdBack;
    wizard::Button cmdNext;
    wizard::Button cmdExit;
    bool cmdNextDefault = false;

private:
    void ut_add_db_recs(wizard::ComboBox& combo);
    std::string linkText(const wizard::ComboBox& table, const wizard::ListBox& column) const;
    void closingSteps();

    // The levels as the walk last left them; anything else means the walk starts again.
    std::string structureSignature() const;
    std::string m_walkSignature;
    int m_currentLevel = 0;
    bool m_identifierDefined = false;
    bool m_identifierMode = false;
    bool m_complete = false;
};

// Whether a proposed link may be stored: asks about different or non-numeric types. `numeric`
// is set when the second column is numeric.
bool UT_Check_Links(wizard::Dialogs& dialogs, int type1, int type2, const std::string& name1,
                    const std::string& name2, bool& numeric);

}  // namespace koru::editor
