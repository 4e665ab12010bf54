#include "ui/widget_factory.h"

#include <stdexcept>

#include "ui/connection_widget.h"
#include "ui/data_clause_widget.h"
#include "ui/data_link_widget.h"
#include "ui/drag_map_widget.h"
#include "ui/error_console_widget.h"
#include "ui/import_info_widget.h"
#include "ui/import_widget.h"
#include "ui/mappings_widget.h"
#include "ui/parent_widgets.h"
#include "ui/restoration_widget.h"
#include "ui/source_viewer_widgets.h"
#include "ui/structure_links_widget.h"
#include "ui/structure_widget.h"
#include "ui/table_link_widget.h"
#include "ui/users_check_widget.h"
#include "ui/welcome_widget.h"

namespace koru::ui {

ScreenWidget* createScreenWidget(wizard::Screen& screen, QtHost& host) {
    if (auto* welcome = dynamic_cast<wizard::WelcomeScreen*>(&screen)) {
        return new WelcomeWidget(*welcome, host);
    }
    if (auto* console = dynamic_cast<wizard::ErrorConsole*>(&screen)) {
        return new ErrorConsoleWidget(*console, host);
    }
    if (auto* connection = dynamic_cast<connect::ConnectionScreen*>(&screen)) {
        return new ConnectionWidget(*connection, host);
    }
    if (auto* usersCheck = dynamic_cast<connect::UsersCheckScreen*>(&screen)) {
        return new UsersCheckWidget(*usersCheck, host);
    }
    if (auto* dataLink = dynamic_cast<connect::DataLinkDialog*>(&screen)) {
        return new DataLinkWidget(*dataLink, host);
    }
    if (auto* mappings = dynamic_cast<mapping::MappingsScreen*>(&screen)) {
        return new MappingsWidget(*mappings, host);
    }
    if (auto* structure = dynamic_cast<editor::StructureScreen*>(&screen)) {
        return new StructureWidget(*structure, host);
    }
    if (auto* structureLinks = dynamic_cast<editor::StructureLinksScreen*>(&screen)) {
        return new StructureLinksWidget(*structureLinks, host);
    }
    if (auto* dragMap = dynamic_cast<editor::DragMapScreen*>(&screen)) {
        return new DragMapWidget(*dragMap, host);
    }
    if (auto* dataClause = dynamic_cast<editor::DataClauseDialog*>(&screen)) {
        return new DataClauseWidget(*dataClause, host);
    }
    if (auto* tableLink = dynamic_cast<editor::TableLinkDialog*>(&screen)) {
        return new TableLinkWidget(*tableLink, host);
    }
    if (auto* parent = dynamic_cast<editor::ParentDialog*>(&screen)) {
        return new ParentWidget(*parent, host);
    }
    if (auto* newParent = dynamic_cast<editor::NewParentDialog*>(&screen)) {
        return new NewParentWidget(*newParent, host);
    }
    if (auto* dataView = dynamic_cast<editor::DataViewDialog*>(&screen)) {
        return new DataViewWidget(*dataView, host);
    }
    if (auto* columnProperties = dynamic_cast<editor::ColumnPropertiesDialog*>(&screen)) {
        return new ColumnPropertiesWidget(*columnProperties, host);
    }
    if (auto* restoration = dynamic_cast<restore::RestorationScreen*>(&screen)) {
        return new RestorationWidget(*restoration, host);
    }
    if (auto* importScreen = dynamic_cast<import::ImportScreen*>(&screen)) {
        return new ImportWidget(*importScreen, host);
    }
    if (auto* importInfo = dynamic_cast<import::ImportInfoScreen*>(&screen)) {
        return new ImportInfoWidget(*importInfo, host);
    }
    throw std::logic_error("no window for screen " + std::string(wizard::screenName(screen.id())));
}

}  // namespace koru::ui
