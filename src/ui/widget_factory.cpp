#include "ui/widget_factory.h"

#include <stdexcept>

#include "ui/error_console_widget.h"
#include "ui/welcome_widget.h"

namespace koru::ui {

ScreenWidget* createScreenWidget(wizard::Screen& screen, QtHost& host) {
    if (auto* welcome = dynamic_cast<wizard::WelcomeScreen*>(&screen)) {
        return new WelcomeWidget(*welcome, host);
    }
    if (auto* console = dynamic_cast<wizard::ErrorConsole*>(&screen)) {
        return new ErrorConsoleWidget(*console, host);
    }
    throw std::logic_error("no window for screen " + std::string(wizard::screenName(screen.id())));
}

}  // namespace koru::ui
