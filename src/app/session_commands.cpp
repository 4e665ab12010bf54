#include "app/session_commands.h"

#include <charconv>

#include "app/application.h"
#include "app/startup.h"
#include "db/import_sessions.h"
#include "diag/logs.h"
#include "mapping/mappings_screen.h"
#include "restore/restoration_screen.h"
#include "wizard/headless_dialogs.h"

namespace koru::app {

using wizard::ScreenId;

namespace {

// Values that a line of their own must not break.
std::string field(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    }
    return text.empty() ? "-" : text;
}

}  // namespace

std::optional<SessionCommand> readSessionCommand(const std::vector<std::string>& arguments, std::ostream& err,
                                                 bool& refused) {
    refused = false;
    if (arguments.empty() || (arguments[0] != "--history" && arguments[0] != "--undo")) return std::nullopt;
    SessionCommand command;
    std::size_t keysFrom = 1;
    if (arguments[0] == "--undo") {
        command.kind = SessionCommand::Kind::Undo;
        const std::string id = arguments.size() > 1 ? arguments[1] : std::string();
        auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), command.importId);
        if (id.empty() || error != std::errc() || end != id.data() + id.size() || command.importId <= 0) {
            std::string text = "Incorrect parameter passed, Arguement=--undo, VALUE=" + withoutPassword(id, {});
            diag::UT_Write_To_Internal_Log(text);
            err << "koru: " << text << " (a session id from koru --history)\n";
            refused = true;
            return std::nullopt;
        }
        keysFrom = 2;
    }
    std::vector<std::string> keys(arguments.begin() + static_cast<long>(keysFrom), arguments.end());
    CommandLine commandLine(keys);
    commandLine.UT_Get_Command_Parameter("/Password=", command.keys.password);
    for (const std::string& argument : keys) {
        if (argument.rfind("--", 0) == 0) {
            std::string shown = withoutPassword(argument, command.keys.password);
            diag::UT_Write_To_Internal_Log("unknown option " + shown);
            err << "koru: unknown option " << shown << '\n';
            refused = true;
            return std::nullopt;
        }
    }
    commandLine.UT_Get_Command_Parameter("/Product=", command.keys.product);
    commandLine.UT_Get_Command_Parameter("/UserID=", command.keys.userId);
    commandLine.UT_Get_Command_Parameter("/Database=", command.keys.database);
    if (command.keys.database.empty()) command.keys.database = "TICKORDB";
    return command;
}

int runSessionCommand(const SessionCommand& command, std::ostream& out, std::ostream& err) {
    wizard::HeadlessHost host;
    wizard::HeadlessDialogs dialogs(err);
    Application application(host, dialogs, true);
    application.echoReportsTo(err);
    wizard::Navigator& navigator = application.navigator();
    try {
        if (auto status = connectUnattended(application, command.keys, err)) return *status;
        // The advanced tasks of the mapping start screen, as a user reaches the history.
        auto* mappings = dynamic_cast<mapping::MappingsScreen*>(navigator.loadScreen(ScreenId::frmMappings));
        mappings->optRestore_Click();
        mappings->cmdNext_Click();
        auto* history = application.screens().get<restore::RestorationScreen>(ScreenId::frmRestoration);
        if (!history || !history->visible) return stoppedAt(err, "the import history could not be opened");
        // Without a history table the screen has said so; there is nothing to list or undo.
        bool any = history->cmdDelete.enabled;

        if (command.kind == SessionCommand::Kind::History) {
            if (!any) return kExitSuccess;
            for (const db::ImportSession& session : db::importSessions(application.context().destination())) {
                out << session.id << '\t' << field(session.dateTime) << '\t' << field(session.user) << '\t'
                    << field(session.compName) << '\t' << field(session.mapFile) << '\t' << session.items << '\t'
                    << session.updateImportId << '\n';
            }
            return kExitSuccess;
        }

        const std::vector<std::vector<std::string>>& rows = history->gridLog.rows;
        history->gridLog.row = -1;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (!rows[i].empty() && rows[i][0] == std::to_string(command.importId)) history->gridLog.row = static_cast<int>(i);
        }
        if (history->gridLog.row < 0) {
            return stoppedAt(err, "there is no import session " + std::to_string(command.importId));
        }
        history->cmdDelete_Click();
        const restore::DeletionResult& result = history->lastDeletion();
        if (!result.success) return stoppedAt(err, "import session " + std::to_string(command.importId) + " was not deleted");
        out << "Import session " << command.importId << " deleted: " << result.itemsDeleted << " items deleted, "
            << result.itemsKept << " items kept (recorded by earlier sessions), " << result.requestsDeleted
            << " requests deleted.\n";
        diag::UT_Write_To_Internal_Log("Import session " + std::to_string(command.importId) + " deleted from the command line");
        return kExitSuccess;
    } catch (const diag::ProcessEnd& end) {
        return end.status;
    }
}

}  // namespace koru::app
