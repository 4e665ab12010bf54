#pragma once

#include "wizard/screen.h"

namespace koru::ui {

class QtHost;
class ScreenWidget;

// The window class of each screen model.
ScreenWidget* createScreenWidget(wizard::Screen& screen, QtHost& host);

}  // namespace koru::ui
