#pragma once

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "wizard/navigator.h"
#include "wizard/screen_set.h"
#include "wizard/welcome_screen.h"

namespace koru::app {

// Creates every screen model once, on first use, and owns it until it is unloaded.
class ScreenRegistry : public wizard::ScreenSet {
public:
    explicit ScreenRegistry(wizard::ProgramVersion version) : m_version(version) {}

    // The services screens are built with; set once, before the first load.
    void attach(wizard::ScreenServices services) { m_services.emplace(services); }

    wizard::Screen* find(wizard::ScreenId id) override;
    wizard::Screen* load(wizard::ScreenId id) override;
    void unload(wizard::ScreenId id) override;
    std::vector<wizard::ScreenId> loadedScreens() const override;

    // The loaded (or newly loaded) screen as its model type.
    template <class ScreenModel>
    ScreenModel* get(wizard::ScreenId id) {
        return dynamic_cast<ScreenModel*>(load(id));
    }

    // Whether the program has this screen yet.
    bool exists(wizard::ScreenId id) const;

    // Frees the models unloaded since the last call; only call when no handler is running.
    void collectGarbage() { m_unloaded.clear(); }

private:
    std::unique_ptr<wizard::Screen> create(wizard::ScreenId id);

    wizard::ProgramVersion m_version;
    std::optional<wizard::ScreenServices> m_services;
    std::vector<std::pair<wizard::ScreenId, std::unique_ptr<wizard::Screen>>> m_loaded;  // load order
    // Unloaded models wait here: an unload may come from one of the model's own handlers.
    std::vector<std::unique_ptr<wizard::Screen>> m_unloaded;
};

}  // namespace koru::app
