#pragma once

#include <string>

#include "wizard/screen_id.h"

namespace koru::wizard {

// A screen model: the state of one window and its event handlers. Created on first use by
// the registry, discarded when unloaded.
class Screen {
public:
    explicit Screen(ScreenId id) : m_id(id) {}
    virtual ~Screen() = default;
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    ScreenId id() const { return m_id; }

    virtual void Form_Load() {}
    // Runs each time the navigator shows the screen, the first time included.
    virtual void Form_Activate() {}
    // The close handler: runs whenever the window is about to close; true cancels the close.
    virtual bool Form_QueryUnload() { return false; }
    virtual void Form_Unload() {}

    std::string caption;  // window title
    int left = 0;
    int top = 0;
    int width = 480;
    int height = 360;
    bool visible = false;

private:
    ScreenId m_id;
};

}  // namespace koru::wizard
