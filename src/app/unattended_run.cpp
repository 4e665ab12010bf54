#include "app/unattended_run.h"

#include "app/application.h"
#include "app/startup.h"
#include "connect/connection_screen.h"
#include "diag/logs.h"
#include "diag/stop_request.h"
#include "diag/text.h"
#include "editor/drag_map_screen.h"
#include "import/import_info_screen.h"
#include "import/import_screen.h"
#include "db/preview_connection.h"
#include "mapping/mappings_screen.h"
#include "wizard/headless_dialogs.h"

namespace koru::app {

using wizard::ScreenId;

int stoppedAt(std::ostream& err, const std::string& step) {
    std::string text = "Unattended run stopped: " + step;
    diag::UT_Write_To_Internal_Log(text);
    err << "koru: " << text << '\n';
    return kExitFailure;
}

std::optional<int> connectUnattended(Application& application, const ConnectionKeys& keys, std::ostream& err) {
    wizard::Navigator& navigator = application.navigator();
    ScreenRegistry& screens = application.screens();
    navigator.start(ScreenId::frmConn);
    auto* connection = screens.get<connect::ConnectionScreen>(ScreenId::frmConn);
    if (!connection) return stoppedAt(err, "the connection screen could not be opened");
    std::string product = diag::upperAscii(keys.product);
    if (product != "LEDGORA" && product != "TICKORA") {
        std::string text = "Incorrect parameter passed, Arguement=Product, VALUE=" +
                           diag::upperAscii(withoutPassword(keys.product, keys.password));
        diag::UT_Write_To_Internal_Log(text);
        err << "koru: " << text << '\n';
        return kExitRefusedParameters;
    }
    connection->cboProduct.listIndex = product == "LEDGORA" ? 0 : 1;
    connection->cboProduct_Click();
    connection->txtdbName.text = keys.database;
    connection->txtUID.text = keys.userId;
    connection->txtPW.text = keys.password;
    connection->cmdNext_Click();
    wizard::Screen* next = screens.find(ScreenId::frmMappings);
    if (!next || !next->visible) {
        return stoppedAt(err, "the connection screen did not connect the source and destination databases");
    }
    return std::nullopt;
}

int runUnattended(const UnattendedParameters& parameters, std::ostream& out, std::ostream& err) {
    wizard::HeadlessHost host;
    wizard::HeadlessDialogs dialogs(err);
    Application application(host, dialogs, true);
    application.echoReportsTo(err);
    diag::installStopHandlers();
    wizard::Context& context = application.context();
    // A preview keeps nothing of the run, from connect on: the mapping it loads included.
    context.previewOnly = parameters.preview;
    struct EndPreview {
        wizard::Context& context;
        ~EndPreview() { db::endPreview(context.DestinationConnection); }
    } endPreview{context};
    wizard::Navigator& navigator = application.navigator();
    ScreenRegistry& screens = application.screens();
    auto shown = [&](ScreenId id) {
        wizard::Screen* screen = screens.find(id);
        return screen && screen->visible;
    };

    try {
        if (auto status = connectUnattended(
                application, {parameters.product, parameters.userId, parameters.password, parameters.database}, err)) {
            return *status;
        }

        auto* mappings = dynamic_cast<mapping::MappingsScreen*>(navigator.loadScreen(ScreenId::frmMappings));
        context.UpdateMode = static_cast<std::int16_t>(std::stoi(diag::trimBlanks(parameters.update)));
        if (context.UpdateMode > 0) {
            context.UpdateImportID = import::UT_GET_LATEST_Transaction_ImportID(context, application.reporter(),
                                                                                parameters.mapFile.string());
            if (context.UpdateImportID == 0) context.UpdateMode = 0;
        }
        mappings->optLoadMappings_Click();
        mappings->templatePath = parameters.mapFile.string();
        mappings->cmdNext_Click();
        if (!shown(ScreenId::frmDragMap)) {
            return stoppedAt(err, "the mapping " + withoutPassword(parameters.mapFile.string(), parameters.password) +
                                      " was not loaded");
        }

        screens.get<editor::DragMapScreen>(ScreenId::frmDragMap)->cmdNext_Click();
        if (!shown(ScreenId::frmDBSave)) return stoppedAt(err, "the mapping is not complete (drag-map editor, Next)");

        auto* importScreen = screens.get<import::ImportScreen>(ScreenId::frmDBSave);
        if (parameters.preview) {
            importScreen->cmdPreview_Click();
            out << import::previewTable(importScreen->preview());
            if (importScreen->preview().failed) {
                diag::UT_Write_To_Internal_Log("Preview: the run would fail");
                return kExitFailure;
            }
            diag::UT_Write_To_Internal_Log("Preview completed: nothing was changed");
            return kExitSuccess;
        }
        importScreen->cmdStart_Click();
        // Start ends the process on success; coming back means the import did not finish.
        return stoppedAt(err, "the import did not finish (import screen, Start)");
    } catch (const diag::ProcessEnd& end) {
        if (!end.result.empty()) out << end.result << '\n';
        return end.status;
    }
}

}  // namespace koru::app
