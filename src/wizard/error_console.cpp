#include "wizard/error_console.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "db/connection_string.h"
#include "diag/clock.h"
#include "diag/logs.h"
#include "diag/messages.h"
#include "diag/program_folder.h"
#include "diag/text.h"

namespace koru::wizard {
namespace {

int stateCode(const std::unique_ptr<db::Connection>& connection) {
    return connection && connection->isOpen() ? 1 : 0;
}

}  // namespace

ErrorConsole::ErrorConsole(ScreenServices services)
    : Screen(ScreenId::Error_Handle), m_services(services) {
    height = kCollapsedHeight;
}

void ErrorConsole::Form_Load() {
    diag::ErrorReporter& reporter = m_services.reporter;
    caption = std::string(diag::kAppTitle) + diag::LS(102, reporter);
    height = kCollapsedHeight;
    m_services.dialogs.setBusy(false);
    cmdSaveError.caption = diag::LS(104, reporter);
    cmdSaveError.toolTip = diag::LS(102, reporter);
    cmdDetails.caption = diag::LS(105, reporter);
    cmdClose.caption = diag::LS(106, reporter);
}

void ErrorConsole::cmdDetails_Click() {
    height = height < kExpandedHeight ? kExpandedHeight : kCollapsedHeight;
}

void ErrorConsole::cmdSaveError_Click() { Save_Error(); }

void ErrorConsole::cmdClose_Click() { m_services.navigator.requestClose(id()); }

void ErrorConsole::Save_Error() {
    Dialogs& dialogs = m_services.dialogs;
    diag::ErrorReporter& reporter = m_services.reporter;
    std::string chosen = diag::trimBlanks(dialogs.saveFile(
        {diag::LS(107, reporter), diag::LS(108, reporter), "*.txt|*.txt", {}}));
    if (chosen.empty()) return;
    std::filesystem::path path = diag::toNativeSeparatorsPath(chosen);
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        MsgResult answer = dialogs.messageBox(diag::LS(110, reporter), MsgButtons::YesNo,
                                              MsgIcon::Exclamation, diag::kAppTitle);
        if (answer == MsgResult::No) return;
    }

    const Context& context = m_services.context;
    std::string report;
    auto line = [&report](const std::string& text) { report += text + "\r\n"; };
    line("CompDate : " + diag::shortDate());
    line("CompTime : " + diag::shortTime());
    line("Source Server : " + std::to_string(stateCode(context.SourceConnection)));
    line("Destin Server : " + std::to_string(stateCode(context.DestinationConnection)));
    // The file goes to support: passwords are masked.
    if (context.sourceOpen()) {
        line("Source Conn String : " +
             db::maskPasswords(context.SourceConnection->connectionString()));
        line("Source Error Count : " +
             std::to_string(context.SourceConnection->providerErrors().size()));
    }
    if (context.destinationOpen()) {
        line("Destin Conn String : " +
             db::maskPasswords(context.DestinationConnection->connectionString()));
        line("Destin Error Count : " +
             std::to_string(context.DestinationConnection->providerErrors().size()));
    }
    line("Full Error MSG : " + txtFullError.text);
    line("Nice Error MSG : " + lblError.caption);

    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file << report;
    if (!file || !file.flush()) {
        // Keep the console and its error: the user can choose another place.
        dialogs.messageBox("Could Not Save The Error Log To " + path.string() + " : " +
                               std::strerror(errno),
                           MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
    }
}

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
    diag::UT_Write_To_Internal_Log("XFR Import Module Error :" + std::string(message) + " : " +
                                   error.description + " : " + std::to_string(error.number) +
                                   " : " + std::string(location));
    if (m_context.Unattended) diag::endProcess(1);
    if (console) m_host.showModal(*console);
}

}  // namespace koru::wizard
