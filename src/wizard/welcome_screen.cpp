#include "wizard/welcome_screen.h"

#include "diag/messages.h"

namespace koru::wizard {

namespace {

constexpr std::string_view kConditions =
    "KORU Terms and Conditions\n\n"
    "The Veltrane Data Import Utility writes directly into the destination database. "
    "Back up the destination database before every import. Imports can be undone from the "
    "import history only while the import records are kept. The utility is supplied as is; "
    "you are responsible for checking the imported data.";

}  // namespace

WelcomeScreen::WelcomeScreen(ScreenServices services, ProgramVersion version)
    : WizardScreen(ScreenId::frmWizIntro, services), m_version(version) {}

void WelcomeScreen::Form_Load() {
    caption = std::string(diag::kAppTitle);
    lblVersion.caption = LS(431) + std::to_string(m_version.major) + "." +
                         std::to_string(m_version.minor) + "." + std::to_string(m_version.revision);
    lblTitle.caption = LS(422);
    lblInform.caption = LS(423);
    Label1.caption = LS(424);
    lblDisclaim.caption = LS(425);
    lblDisclaimDetail.caption = LS(426);
    cmdconditions.caption = LS(427);
    cmdBack.caption = LS(167);
    cmdNext.caption = LS(168);
    cmdExit.caption = LS(169);
    lblContinue.caption = LS(433);
    cmdBack.enabled = false;  // nothing comes before the welcome screen
}

void WelcomeScreen::cmdNext_Click() {
    cmdNext.enabled = false;
    m_services.navigator.UT_Wizard_Change_Forms(ScreenId::frmWizIntro, ScreenId::frmConn, false);
    cmdNext.enabled = true;
}

void WelcomeScreen::cmdExit_Click() { m_services.navigator.requestClose(id()); }

void WelcomeScreen::cmdconditions_Click() {
    m_services.dialogs.messageBox(kConditions, MsgButtons::OK, MsgIcon::Information,
                                  diag::kAppTitle);
}

}  // namespace koru::wizard
