#pragma once

#include "app/screen_registry.h"
#include "wizard/console_reporter.h"
#include "wizard/context.h"
#include "wizard/host_synced_dialogs.h"
#include "wizard/navigator.h"

namespace koru::app {

// The process: its Context, its screens, the navigator and the error reporter, over a host
// (Qt or headless) and a dialog service.
class Application {
public:
    Application(wizard::ScreenHost& host, wizard::Dialogs& dialogs, bool unattended);

    wizard::Context& context() { return m_context; }
    ScreenRegistry& screens() { return m_screens; }
    wizard::Navigator& navigator() { return m_navigator; }
    diag::ErrorReporter& reporter() { return m_reporter; }
    wizard::Dialogs& dialogs() { return m_dialogs; }
    // Unattended: every error report is also said on `err`.
    void echoReportsTo(std::ostream& err) { m_reporter.echoTo(&err); }

private:
    wizard::Context m_context;
    wizard::HostSyncedDialogs m_dialogs;
    ScreenRegistry m_screens;
    wizard::ConsoleReporter m_reporter;
    wizard::Navigator m_navigator;
};

wizard::ProgramVersion programVersion();

}  // namespace koru::app
