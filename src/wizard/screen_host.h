#pragma once

#include <functional>
#include <vector>

#include "wizard/screen.h"

namespace koru::wizard {

// Puts screen models on a display, or nowhere (headless).
class ScreenHost {
public:
    virtual ~ScreenHost() = default;
    virtual void showScreen(Screen& screen) = 0;
    virtual void hideScreen(Screen& screen) = 0;
    // The screen's window goes away for good; the model is discarded after this call.
    virtual void unloadScreen(Screen& screen) = 0;
    // Shows the screen modally; returns when it has been closed.
    virtual void showModal(Screen& screen) = 0;
    // A handler changed the model: mirror it.
    virtual void refresh(Screen& /*screen*/) {}
    // Long work in a handler changed the model: show it if it is time to. Called often, so it
    // must cost next to nothing when it does not draw.
    virtual void repaint(Screen& /*screen*/) {}
    // Every shown window mirrors its model now, whatever the repaint interval.
    virtual void refreshAll() {}
    // No screen is left: the process may end.
    virtual void noScreensLeft() = 0;
};

// A host without a display, for the unattended run and for tests: records what happened.
class HeadlessHost : public ScreenHost {
public:
    struct Event {
        enum Kind { Show, Hide, Unload, Modal } kind;
        ScreenId screen;
        bool operator==(const Event&) const = default;
    };

    void showScreen(Screen& screen) override {
        screen.visible = true;
        m_events.push_back({Event::Show, screen.id()});
    }
    void hideScreen(Screen& screen) override {
        screen.visible = false;
        m_events.push_back({Event::Hide, screen.id()});
    }
    void unloadScreen(Screen& screen) override {
        screen.visible = false;
        m_events.push_back({Event::Unload, screen.id()});
    }
    // Nobody answers a modal window here: it is recorded and returns at once, after the
    // optional script has pressed its buttons.
    void showModal(Screen& screen) override {
        m_events.push_back({Event::Modal, screen.id()});
        if (onModal) onModal(screen);
    }
    std::function<void(Screen&)> onModal;
    void noScreensLeft() override { m_finished = true; }

    const std::vector<Event>& events() const { return m_events; }
    bool finished() const { return m_finished; }

private:
    std::vector<Event> m_events;
    bool m_finished = false;
};

}  // namespace koru::wizard
