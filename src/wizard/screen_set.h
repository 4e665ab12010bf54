#pragma once

#include <vector>

#include "wizard/screen.h"

namespace koru::wizard {

// The screens of the process, each created once on first use and kept while hidden.
class ScreenSet {
public:
    virtual ~ScreenSet() = default;
    // The loaded screen, or nullptr.
    virtual Screen* find(ScreenId id) = 0;
    // Loads the screen if needed (its load handler runs then); nullptr when the program does
    // not have that screen.
    virtual Screen* load(ScreenId id) = 0;
    // Runs the unload handler and discards the model (safely, even from its own handler).
    virtual void unload(ScreenId id) = 0;
    virtual std::vector<ScreenId> loadedScreens() const = 0;
};

}  // namespace koru::wizard
