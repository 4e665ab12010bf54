#include "wizard/navigator.h"

#include "diag/messages.h"
#include "wizard/error_trap.h"

namespace koru::wizard {

Navigator::Navigator(Context& context, ScreenSet& screens, ScreenHost& host, Dialogs& dialogs,
                     diag::ErrorReporter& reporter)
    : m_context(context), m_screens(screens), m_host(host), m_dialogs(dialogs), m_reporter(reporter) {}

void Navigator::start(ScreenId first) {
    if (Screen* screen = m_screens.load(first)) {
        screen->Form_Activate();
        m_host.showScreen(*screen);
    }
}

void Navigator::UT_Wizard_Change_Forms(ScreenId fromScreen, ScreenId toScreen, bool unloadFrom) {
    m_dialogs.setBusy(true);
    try {
        Screen* to = m_screens.load(toScreen);
        if (!to) {
            m_dialogs.setBusy(false);
            m_dialogs.messageBox("This screen is not available yet: " + std::string(screenName(toScreen)),
                                 MsgButtons::OK, MsgIcon::Information, diag::kAppTitle);
            return;
        }
        if (Screen* from = m_screens.find(fromScreen)) {
            to->left = from->left;
            to->top = from->top;
            if (!unloadFrom) {
                m_host.hideScreen(*from);
            } else {
                m_context.Unloading = true;
                unloadScreen(fromScreen);
                m_context.Unloading = false;
            }
        }
        to->Form_Activate();
        m_host.showScreen(*to);
    } catch (const std::exception& error) {
        m_context.Unloading = false;
        m_dialogs.setBusy(false);
        m_reporter.UT_Report_Error(errorRecordOf(error), "Utility:UT_Wizard_Change_Forms", "");
        return;
    }
    m_dialogs.setBusy(false);
}

int Navigator::UT_Quit_Wizard(bool ask) {
    if (m_context.Unloading) return 0;
    try {
        if (ask) {
            MsgResult answer = m_dialogs.messageBox(diag::LS(444, m_reporter), MsgButtons::YesNo,
                                                    MsgIcon::Question, diag::kAppTitle);
            if (answer == MsgResult::No) {
                m_context.Unloading = false;
                return 1;
            }
        }
        if (m_context.sourceOpen()) m_context.SourceConnection->close();
        m_context.SourceConnection.reset();
        if (m_context.destinationOpen()) m_context.DestinationConnection->close();
        m_context.DestinationConnection.reset();
        m_context.Unloading = true;
        for (ScreenId id : m_screens.loadedScreens()) {
            if (Screen* screen = m_screens.find(id)) screen->Form_QueryUnload();  // sees Unloading
            unloadScreen(id);
        }
    } catch (const std::exception& error) {
        m_reporter.UT_Report_Error(errorRecordOf(error), "Utility:UT_Quit_Wizard", "");
    }
    return 0;
}

bool Navigator::requestClose(ScreenId id) {
    Screen* screen = m_screens.find(id);
    if (!screen) return true;
    if (screen->Form_QueryUnload()) return false;
    if (m_screens.find(id)) unloadScreen(id);  // the quit may have unloaded it already
    return true;
}

Screen* Navigator::loadScreen(ScreenId id) { return m_screens.load(id); }

Screen* Navigator::loadDialog(ScreenId id) {
    Screen* screen = m_screens.load(id);
    if (!screen) {
        m_dialogs.messageBox("This screen is not available yet: " + std::string(screenName(id)), MsgButtons::OK,
                             MsgIcon::Information, diag::kAppTitle);
    }
    return screen;
}

void Navigator::showModal(Screen& screen) {
    screen.Form_Activate();
    m_host.showModal(screen);
}

void Navigator::unloadScreen(ScreenId id) {
    if (Screen* screen = m_screens.find(id)) {
        screen->Form_Unload();
        m_host.unloadScreen(*screen);
        m_screens.unload(id);
    }
    if (m_screens.loadedScreens().empty()) m_host.noScreensLeft();
}

std::string WizardScreen::LS(int number) { return diag::LS(number, m_services.reporter); }

}  // namespace koru::wizard
