#pragma once

#include "diag/error_reporter.h"
#include "wizard/context.h"
#include "wizard/dialogs.h"
#include "wizard/screen_host.h"
#include "wizard/screen_set.h"

namespace koru::wizard {

// Moves between wizard screens and closes them; every screen change goes through here.
class Navigator {
public:
    Navigator(Context& context, ScreenSet& screens, ScreenHost& host, Dialogs& dialogs,
              diag::ErrorReporter& reporter);

    // Loads and shows the first screen of the run.
    void start(ScreenId first);

    void UT_Wizard_Change_Forms(ScreenId fromScreen, ScreenId toScreen, bool unloadFrom);

    // 1 = do not close, 0 = close.
    int UT_Quit_Wizard(bool ask);

    // The window of a screen is asked to close (Exit button, window frame): its close
    // handler may cancel. True when the screen is gone.
    bool requestClose(ScreenId id);

    // A dialog screen of a handler: loaded (its load handler runs the first time), shown
    // modally until it closes, unloaded without asking.
    Screen* loadScreen(ScreenId id);
    // loadScreen for a dialog the user asked for: a dialog the program does not have yet says
    // so and gives nullptr.
    Screen* loadDialog(ScreenId id);
    void showModal(Screen& screen);
    void unloadScreen(ScreenId id);
    // Progress of long work on a screen, for the host to draw when it sees fit.
    void repaint(Screen& screen) { m_host.repaint(screen); }

private:

    Context& m_context;
    ScreenSet& m_screens;
    ScreenHost& m_host;
    Dialogs& m_dialogs;
    diag::ErrorReporter& m_reporter;
};

// What every screen model is given.
struct ScreenServices {
    Context& context;
    Dialogs& dialogs;
    Navigator& navigator;
    diag::ErrorReporter& reporter;
};

// A screen of the wizard chain: closing it by any means asks the quit question.
class WizardScreen : public Screen {
public:
    WizardScreen(ScreenId id, ScreenServices services) : Screen(id), m_services(services) {}

    bool Form_QueryUnload() override { return m_services.navigator.UT_Quit_Wizard(true) == 1; }

protected:
    std::string LS(int number);

    ScreenServices m_services;
};

}  // namespace koru::wizard
