#include "app/screen_registry.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "connect/connection_screen.h"
#include "connect/data_link_dialog.h"
#include "connect/users_check_screen.h"
#include "editor/data_clause_dialog.h"
#include "editor/drag_map_screen.h"
#include "editor/parent_dialogs.h"
#include "editor/source_viewers.h"
#include "editor/structure_links_screen.h"
#include "editor/structure_screen.h"
#include "editor/table_link_dialog.h"
#include "import/import_info_screen.h"
#include "import/import_screen.h"
#include "mapping/mappings_screen.h"
#include "restore/restoration_screen.h"
#include "wizard/error_console.h"

namespace koru::app {

using wizard::Screen;
using wizard::ScreenId;

namespace {

using Factory = std::unique_ptr<Screen> (*)(wizard::ScreenServices, wizard::ProgramVersion);

// The screens the program has, and how each is made.
const std::map<ScreenId, Factory> kFactories = {
    {ScreenId::frmWizIntro,
     [](wizard::ScreenServices services, wizard::ProgramVersion version) -> std::unique_ptr<Screen> {
         return std::make_unique<wizard::WelcomeScreen>(services, version);
     }},
    {ScreenId::Error_Handle,
     [](wizard::ScreenServices services, wizard::ProgramVersion) -> std::unique_ptr<Screen> {
         return std::make_unique<wizard::ErrorConsole>(services);
     }},
    {ScreenId::frmConn,
     [](wizard::ScreenServices services, wizard::ProgramVersion) -> std::unique_ptr<Screen> {
         return std::make_unique<connect::ConnectionScreen>(services);
     }},
    {ScreenId::frmAnyOneThere,
     [](wizard::ScreenServices services, wizard::ProgramVersion) -> std::unique_ptr<Screen> {
         return std::make_unique<connect::UsersCheckScreen>(services);
     }},
    {ScreenId::frmDataLink,
     [](wizard::ScreenServices services, wizard::ProgramVersion) -> std::unique_ptr<Screen> {
         return std::make_unique<connect::DataLinkDialog>(services, connect::odbcDataSources(),
                                                          connect::odbcDrivers());
     }},
    {ScreenId::frmMappings,
     [](wizard::ScreenServices services, wizard::ProgramVersion) -> std::unique_ptr<Screen> {
         return std::make_unique<mapping::MappingsScreen>(services);
     }},
    {ScreenId::frmStructure,
     [](wizard::ScreenServices services, wizard::ProgramVersion) -> std::unique_ptr<Screen> {
         return std::make_unique<editor::StructureScreen>(services);
     }},
    {ScreenId::frmStructureLinks,
     [](wizard::ScreenServices services, wizard::ProgramVersion) -> std::unique_ptr<Screen> {
         return std::make_unique<editor::StructureLinksScreen>(services);
     }},
    {ScreenId::frmDragMap,
     [](wizard::ScreenServices services, wizard::ProgramVersion) -> std::unique_ptr<Screen> {
         return std::make_unique<editor::DragMapScreen>(services);
     }},
    {ScreenId::frmGenDataClause,
     [](wizard::ScreenServices services, wizard::ProgramVersion) -> std::unique_ptr<Screen> {
         return std::make_unique<editor::DataClauseDialog>(services);
     }},
    {ScreenId::frmTableLink,
     [](wizard::ScreenServices services, wizard::ProgramVersion) -> std::unique_ptr<Screen> {
         return std::make_unique<editor::TableLinkDialog>(services);
     }},
    {ScreenId::frmParent,
     [](wizard::ScreenServices services, wizard::ProgramVersion) -> std::unique_ptr<Screen> {
         return std::make_unique<editor::ParentDialog>(services);
     }},
    {ScreenId::frmNewParent,
     [](wizard::ScreenServices services, wizard::ProgramVersion) -> std::unique_ptr<Screen> {
         return std::make_unique<editor::NewParentDialog>(services);
     }},
    {ScreenId::frmDataView,
     [](wizard::ScreenServices services, wizard::ProgramVersion) -> std::unique_ptr<Screen> {
         return std::make_unique<editor::DataViewDialog>(services);
     }},
    {ScreenId::frmColProps,
     [](wizard::ScreenServices services, wizard::ProgramVersion) -> std::unique_ptr<Screen> {
         return std::make_unique<editor::ColumnPropertiesDialog>(services);
     }},
    {ScreenId::frmRestoration,
     [](wizard::ScreenServices services, wizard::ProgramVersion) -> std::unique_ptr<Screen> {
         // The sample of a session opens in the data viewer of the editor.
         auto showData = [services](const std::string& query, const std::string& title,
                                    const std::string& connectionString) {
             auto* viewer = dynamic_cast<editor::DataViewDialog*>(services.navigator.loadDialog(ScreenId::frmDataView));
             if (viewer) viewer->Show_Form(query, title, connectionString);
         };
         return std::make_unique<restore::RestorationScreen>(services, showData);
     }},
    {ScreenId::frmDBSave,
     [](wizard::ScreenServices services, wizard::ProgramVersion) -> std::unique_ptr<Screen> {
         return std::make_unique<import::ImportScreen>(services);
     }},
    {ScreenId::frmImportInfo,
     [](wizard::ScreenServices services, wizard::ProgramVersion) -> std::unique_ptr<Screen> {
         return std::make_unique<import::ImportInfoScreen>(services);
     }},
};

}  // namespace

std::unique_ptr<Screen> ScreenRegistry::create(ScreenId id) {
    if (!m_services) throw std::logic_error("screen registry used before it was attached");
    auto factory = kFactories.find(id);
    return factory == kFactories.end() ? nullptr : factory->second(*m_services, m_version);
}

bool ScreenRegistry::exists(ScreenId id) const { return kFactories.count(id) > 0; }

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
