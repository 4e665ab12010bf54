#pragma once

#include "wizard/controls.h"
#include "wizard/navigator.h"

namespace koru::wizard {

struct ProgramVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// frmWizIntro, the first screen of an interactive run.
class WelcomeScreen : public WizardScreen {
public:
    WelcomeScreen(ScreenServices services, ProgramVersion version);

    void Form_Load() override;
    void cmdNext_Click();
    void cmdExit_Click();
    void cmdconditions_Click();

    Label lblVersion;
    Label lblTitle;
    Label lblInform;
    Label Label1;
    Label lblDisclaim;
    Label lblDisclaimDetail;
    Label lblContinue;
    Button cmdconditions;
    Button cmdBack;
    Button cmdNext;
    Button cmdExit;

private:
    ProgramVersion m_version;
};

}  // namespace koru::wizard
