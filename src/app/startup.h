#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace koru::app {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitRefusedParameters = 2;

// What the program shows a user: the Qt wizard, or nothing in a build without it.
class FrontEnd {
public:
    virtual ~FrontEnd() = default;
    // Runs the wizard until its last screen has closed; the exit status.
    virtual int runWizard() = 0;
    // Shows a message box with an exclamation icon; false when there is no display.
    virtual bool showMessage(std::string_view text) = 0;
};

// The process entry: --help / --version, the single instance, then the wizard (empty
// command line) or the unattended run. Returns the exit status.
int Main(const std::vector<std::string>& arguments, FrontEnd& frontEnd, std::ostream& out,
         std::ostream& err);

std::string usageText();

}  // namespace koru::app
