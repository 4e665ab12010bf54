#include "app/startup.h"

#include "app/command_line.h"
#include "app/instance_lock.h"
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
           "       koru --version | --help\n"
           "\n"
           "/MapFile: the saved mapping (.xfo); a relative path is in the program folder.\n"
           "/Product: TICKORA or LEDGORA. /UserID, /Password: the destination login.\n"
           "/Update: 0 plain import, 1 update data, 2 update + new, 3 add new only (of the\n"
           "newest import that has items; without one the run is a plain import).\n"
           "/Database: the destination database, TICKORDB when absent.\n"
           "The destination server and the source connection string come from the\n"
           "connection settings file (ConnSet) in the program folder.\n"
           "\n"
           "Program folder: $KORU_HOME when set; else the program's own folder when it\n"
           "holds a file koru.portable, or when the program runs from its build tree and\n"
           "the folder is writable; else $XDG_DATA_HOME/koru (~/.local/share/koru).\n"
           "\n"
           "Exit status: 0 once the import has completed, 2 parameters refused or an\n"
           "unknown option, 1 any other failure. Every message and refusal is printed on\n"
           "standard error and written to XFRLog.log in the program folder. See koru(1).\n";
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

    // A mistyped option is not a saved mapping to run.
    for (const std::string& argument : arguments) {
        if (argument.rfind("--", 0) == 0) {
            err << "koru: unknown option " << argument << "\n" << usageText();
            return kExitRefusedParameters;
        }
    }
    CommandLine commandLine(arguments);
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

    if (commandLine.empty()) return frontEnd.runWizard();

    std::optional<UnattendedParameters> parameters = readUnattendedParameters(commandLine, err);
    if (!parameters) {
        err << "koru: parameters refused; see XFRLog.log in " << diag::programFolder().string()
            << '\n';
        return kExitRefusedParameters;
    }
    return runUnattended(*parameters, err);
}

}  // namespace koru::app
