#include "app/startup.h"

#include "app/command_line.h"
#include "app/instance_lock.h"
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
           "<file> is relative to the program folder ($KORU_HOME, else the program's own\n"
           "folder). Exit status: 0 success, 2 parameters refused, 1 any other failure;\n"
           "details go to XFRLog.log in the program folder.\n";
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

    std::optional<UnattendedParameters> parameters = readUnattendedParameters(commandLine);
    if (!parameters) {
        err << "koru: parameters refused; see XFRLog.log in " << diag::programFolder().string()
            << '\n';
        return kExitRefusedParameters;
    }
    const std::string notAvailable =
        "The unattended run of a saved mapping is not available in this version.";
    diag::UT_Write_To_Internal_Log(notAvailable);
    err << "koru: " << notAvailable << '\n';
    return kExitFailure;
}

}  // namespace koru::app
