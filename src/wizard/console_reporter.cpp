#include "wizard/console_reporter.h"

#include "db/db_error.h"
#include "diag/logs.h"
#include "wizard/error_console.h"

namespace koru::wizard {

ConsoleReporter::ConsoleReporter(Context& context, ScreenSet& screens, ScreenHost& host)
    : m_context(context), m_screens(screens), m_host(host) {}

void ConsoleReporter::UT_Report_Error(const diag::ErrorRecord& error, std::string_view location,
                                      std::string_view message) {
    std::string shown(message.empty() ? "An Error Has Occurred" : message);
    if (error.number == db::kErrConnectionNotUsable) {
        if (!m_context.sourceOpen()) shown = "The Connection To The Source Database Has Been Severred";
        if (!m_context.destinationOpen()) {
            shown = "The Connection To The Destination Database Has Been Severred";
        }
    }
    // A fresh console for every report.
    if (Screen* open = m_screens.find(ScreenId::Error_Handle)) {
        open->Form_Unload();
        m_host.unloadScreen(*open);
        m_screens.unload(ScreenId::Error_Handle);
    }
    Show_Form(shown, location, error);
}

void ConsoleReporter::Show_Form(std::string_view message, std::string_view location,
                                const diag::ErrorRecord& error) {
    ErrorConsole* console = nullptr;
    if (!m_context.Unattended) {
        console = dynamic_cast<ErrorConsole*>(m_screens.load(ScreenId::Error_Handle));
        if (console) {
            console->txtFullError.text = std::to_string(error.number) + "\n" + error.description +
                                         "\n" + "Occured On : " + std::string(location);
            console->lblError.caption = std::string(message);
        }
    }
    std::string line = "XFR Import Module Error :" + std::string(message) + " : " + error.description + " : " +
                       std::to_string(error.number) + " : " + std::string(location);
    diag::UT_Write_To_Internal_Log(line);
    if (m_context.Unattended) {
        if (m_err) *m_err << "koru: " << line << '\n';
        diag::endProcess(1);
    }
    if (console) m_host.showModal(*console);
}

}  // namespace koru::wizard
