#include "app/screen_registry.h"

#include <algorithm>
#include <stdexcept>

#include "connect/connection_screen.h"
#include "connect/data_link_dialog.h"
#include "connect/users_check_screen.h"
#include "mapping/mappings_screen.h"
#include "wizard/error_console.h"

namespace koru::app {

using wizard::Screen;
using wizard::ScreenId;

std::unique_ptr<Screen> ScreenRegistry::create(ScreenId id) {
    if (!m_services) throw std::logic_error("screen registry used before it was attached");
    switch (id) {
        case ScreenId::frmWizIntro:
            return std::make_unique<wizard::WelcomeScreen>(*m_services, m_version);
        case ScreenId::Error_Handle:
            return std::make_unique<wizard::ErrorConsole>(*m_services);
        case ScreenId::frmConn:
            return std::make_unique<connect::ConnectionScreen>(*m_services);
        case ScreenId::frmAnyOneThere:
            return std::make_unique<connect::UsersCheckScreen>(*m_services);
        case ScreenId::frmDataLink:
            return std::make_unique<connect::DataLinkDialog>(*m_services, connect::odbcDataSources(),
                                                             connect::odbcDrivers());
        case ScreenId::frmMappings:
            return std::make_unique<mapping::MappingsScreen>(*m_services);
        default:
            return nullptr;
    }
}

bool ScreenRegistry::exists(ScreenId id) const {
    switch (id) {
        case ScreenId::frmWizIntro:
        case ScreenId::Error_Handle:
        case ScreenId::frmConn:
        case ScreenId::frmAnyOneThere:
        case ScreenId::frmDataLink:
        case ScreenId::frmMappings:
            return true;
        default:
            return false;
    }
}

Screen* ScreenRegistry::find(ScreenId id) {
    auto found = std::find_if(m_loaded.begin(), m_loaded.end(),
                              [id](const auto& entry) { return entry.first == id; });
    return found == m_loaded.end() ? nullptr : found->second.get();
}

Screen* ScreenRegistry::load(ScreenId id) {
    if (Screen* loaded = find(id)) return loaded;
    std::unique_ptr<Screen> screen = create(id);
    if (!screen) return nullptr;
    Screen* raw = screen.get();
    m_loaded.emplace_back(id, std::move(screen));
    try {
        raw->Form_Load();
    } catch (...) {
        // A screen whose load failed is not loaded.
        m_unloaded.push_back(std::move(m_loaded.back().second));
        m_loaded.pop_back();
        throw;
    }
    return raw;
}

void ScreenRegistry::unload(ScreenId id) {
    auto found = std::find_if(m_loaded.begin(), m_loaded.end(),
                              [id](const auto& entry) { return entry.first == id; });
    if (found == m_loaded.end()) return;
    m_unloaded.push_back(std::move(found->second));
    m_loaded.erase(found);
}

std::vector<ScreenId> ScreenRegistry::loadedScreens() const {
    std::vector<ScreenId> ids;
    for (const auto& entry : m_loaded) ids.push_back(entry.first);
    return ids;
}

}  // namespace koru::app
