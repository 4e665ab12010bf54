#include "app/startup.h"

#include "app/command_line.h"
#include "app/instance_lock.h"
#include "app/session_commands.h"
#include "app/unattended_run.h"
#include "app/version.h"
#include "diag/logs.h"
#include "diag/messages.h"
#include "diag/program_folder.h"

namespace koru::app {

std::string usageText() {
    return "Usage: koru                      open the import wizard\n"
           "       koru /MapFile='<file>' /Product='TICKORA|LEDGORA' /UserID='<user>'\n"
           "            /Password='<password>' /Update='0|1|2|3' [/Database='<name>']\n"
           "                                 run a saved mapping unattended\n"
           "       koru --preview /MapFile=... /Product=... /UserID=... /Update=...\n"
           "                                 the same run, rolled back: print what it would do\n"
           "       koru --history /Product=... /UserID=... [/Password=...] [/Database=...]\n"
           "                                 list the import sessions, newest first\n"
           "       koru --undo ID /Product=... /UserID=... [/Password=...] [/Database=...]\n"
           "                                 delete everything import session ID imported\n"
           "       koru --version | --help\n"
           "\n"
           "/MapFile: the saved mapping (.xfo); a relative path is in the program folder.\n"
           "/Product: TICKORA or LEDGORA. /UserID, /Password: the destination login.\n"
           "/Update: 0 plain import, 1 update data, 2 update + new, 3 add new only (of the\n"
           "newest import of the same mapping file that has items, with the imports it\n"
           "updated; without one the run is a plain import).\n"
           "/Database: the destination database, TICKORDB when absent.\n"
           "The destination server and the source connection string come from the\n"
           "connection settings file (ConnSet) in the program folder.\n"
           "\n"
           "Program folder: $KORU_HOME when set; else the program's own folder when it\n"
           "holds a file koru.portable, or when the program runs from its build tree and\n"
           "the folder is writable; else $XDG_DATA_HOME/koru (~/.local/share/koru).\n"
           "\n"
           "--history prints one line per session, fields separated by TAB: session id,\n"
           "date, user, computer, mapping, items recorded, the session it updated (0 for a\n"
           "plain import). --undo ID deletes the session as the history screen does (its\n"
           "items, their requests or asset records; items an earlier session recorded stay)\n"
           "and prints what it removed.\n"
           "\n"
           "--preview runs every stage of the import inside one transaction on the\n"
           "destination and rolls it back, so that nothing is kept. It prints one line per\n"
           "level, fields separated by TAB: level name, rows read from the source, items\n"
           "to create, to update, to move (left the source), rows failing; then what the\n"
           "run would say about its rows; exit status 1 when the run would fail.\n"
           "\n"
           "Exit status: 0 once the import (listing, deletion) has completed, 2 parameters\n"
           "refused or an unknown option, 1 any other failure. Every message, error report\n"
           "and refusal is printed on standard error and written to XFRLog.log in the\n"
           "program folder; a finished import prints its result line on standard output.\n"
           "See koru(1).\n";
}

int Main(const std::vector<std::string>& arguments, FrontEnd& frontEnd, std::ostream& out,
         std::ostream& err) {
    if (arguments.size() == 1 && arguments[0] == "--help") {
        out << usageText();
        return kExitSuccess;
    }
    if (arguments.size() == 1 && arguments[0] == "--version") {
        out << "koru " << kVersionMajor << '.' << kVersionMinor << '.' << kVersionPatch << '\n';
        return kExitSuccess;
    }

    // --preview goes with the keys of a run; the run itself reads them without it.
    std::vector<std::string> runArguments;
    bool preview = false;
    for (const std::string& argument : arguments) {
        if (argument == "--preview") {
            preview = true;
        } else {
            runArguments.push_back(argument);
        }
    }
    if (preview && runArguments.empty()) {
        err << "koru: --preview needs the keys of a run\n" << usageText();
        return kExitRefusedParameters;
    }
    bool refused = false;
    std::optional<SessionCommand> sessionCommand = readSessionCommand(runArguments, err, refused);
    if (preview && sessionCommand) {
        err << "koru: --preview previews an import run, not --history or --undo\n" << usageText();
        return kExitRefusedParameters;
    }
    if (refused) {
        err << usageText();
        return kExitRefusedParameters;
    }
    CommandLine commandLine(runArguments);
    // A mistyped option is not a saved mapping to run.
    for (const std::string& argument : runArguments) {
        if (!sessionCommand && argument.rfind("--", 0) == 0) {
            std::string password;
            commandLine.UT_Get_Command_Parameter("/Password=", password);
            std::string shown = withoutPassword(argument, password);
            diag::UT_Write_To_Internal_Log("unknown option " + shown);
            err << "koru: unknown option " << shown << "\n" << usageText();
            return kExitRefusedParameters;
        }
    }
    InstanceLock lock;
    if (!lock.acquire(diag::programFolder())) {
        std::string message = std::string(diag::messageText(541).value_or("")) +
                              std::string(diag::kAppTitle) +
                              std::string(diag::messageText(542).value_or(""));
        if (commandLine.empty() && frontEnd.showMessage(message)) return kExitFailure;
        diag::UT_Write_To_Internal_Log(message);
        err << message << '\n';
        return kExitFailure;
    }

    if (sessionCommand) return runSessionCommand(*sessionCommand, out, err);
    if (commandLine.empty()) return frontEnd.runWizard();

    std::optional<UnattendedParameters> parameters = readUnattendedParameters(commandLine, err);
    if (!parameters) {
        err << "koru: parameters refused; see XFRLog.log in " << diag::programFolder().string()
            << '\n';
        return kExitRefusedParameters;
    }
    parameters->preview = preview;
    return runUnattended(*parameters, out, err);
}

}  // namespace koru::app
