#pragma once

#include <string_view>

namespace koru::wizard {

// Every screen and dialog of the program, named as the navigator names them.
enum class ScreenId {
    frmWizIntro,
    frmConn,
    frmAnyOneThere,
    frmDataLink,
    frmMappings,
    frmStructure,
    frmStructureLinks,
    frmDragMap,
    frmRestoration,
    frmDBSave,
    frmImportInfo,
    frmGenDataClause,
    frmTableLink,
    frmParent,
    frmNewParent,
    frmDataView,
    frmColProps,
    Error_Handle,
};

inline constexpr ScreenId kAllScreens[] = {
    ScreenId::frmWizIntro,    ScreenId::frmConn,           ScreenId::frmAnyOneThere, ScreenId::frmDataLink,
    ScreenId::frmMappings,    ScreenId::frmStructure,      ScreenId::frmStructureLinks,
    ScreenId::frmDragMap,     ScreenId::frmRestoration,    ScreenId::frmDBSave,
    ScreenId::frmImportInfo,  ScreenId::frmGenDataClause,  ScreenId::frmTableLink,   ScreenId::frmParent,
    ScreenId::frmNewParent,   ScreenId::frmDataView,       ScreenId::frmColProps,    ScreenId::Error_Handle,
};

constexpr std::string_view screenName(ScreenId id) {
    switch (id) {
        case ScreenId::frmWizIntro: return "frmWizIntro";
        case ScreenId::frmConn: return "frmConn";
        case ScreenId::frmAnyOneThere: return "frmAnyOneThere";
        case ScreenId::frmDataLink: return "frmDataLink";
        case ScreenId::frmMappings: return "frmMappings";
        case ScreenId::frmStructure: return "frmStructure";
        case ScreenId::frmStructureLinks: return "frmStructureLinks";
        case ScreenId::frmDragMap: return "frmDragMap";
        case ScreenId::frmRestoration: return "frmRestoration";
        case ScreenId::frmDBSave: return "frmDBSave";
        case ScreenId::frmImportInfo: return "frmImportInfo";
        case ScreenId::frmGenDataClause: return "frmGenDataClause";
        case ScreenId::frmTableLink: return "frmTableLink";
        case ScreenId::frmParent: return "frmParent";
        case ScreenId::frmNewParent: return "frmNewParent";
        case ScreenId::frmDataView: return "frmDataView";
        case ScreenId::frmColProps: return "frmColProps";
        case ScreenId::Error_Handle: return "Error_Handle";
    }
    return "";
}

}  // namespace koru::wizard
