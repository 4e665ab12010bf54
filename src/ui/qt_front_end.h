#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/startup.h"

namespace koru::ui {

// The Qt wizard. Creates the QApplication only when a window is really needed, so that
// an unattended run never touches a display.
class QtFrontEnd : public app::FrontEnd {
public:
    QtFrontEnd(int& argc, char** argv);
    ~QtFrontEnd() override;

    int runWizard() override;
    bool showMessage(std::string_view text) override;

private:
    int& m_argc;
    char** m_argv;
};

// Renders every screen the program has into `folder`, one PNG per screen.
int renderScreenshots(const std::string& folder, int& argc, char** argv);

}  // namespace koru::ui
