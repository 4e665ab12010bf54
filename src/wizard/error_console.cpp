#include "wizard/error_console.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "db/connection_string.h"
#include "diag/clock.h"
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

}  // namespace koru::wizard
