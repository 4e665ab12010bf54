#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/startup.h"
#include "diag/error_reporter.h"

#if KORU_WITH_GUI
#include "ui/qt_front_end.h"
#endif

namespace {

// A build without Qt runs saved mappings only.
class NoWizard : public koru::app::FrontEnd {
public:
    int runWizard() override {
        std::cerr << "koru: this build has no wizard; run a saved mapping with /MapFile=... "
                     "(see koru --help)\n";
        return koru::app::kExitFailure;
    }
    bool showMessage(std::string_view) override { return false; }
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    koru::app::hidePasswordArguments(argc, argv);
    try {
#if KORU_WITH_GUI
        if (arguments.size() == 2 && arguments[0] == "--screenshots") {
            return koru::ui::renderScreenshots(arguments[1], argc, argv);
        }
        koru::ui::QtFrontEnd frontEnd(argc, argv);
#else
        NoWizard frontEnd;
#endif
        return koru::app::Main(arguments, frontEnd, std::cout, std::cerr);
    } catch (const koru::diag::ProcessEnd& end) {
        return end.status;
    }
}
