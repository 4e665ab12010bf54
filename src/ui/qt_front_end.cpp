#include "ui/qt_front_end.h"

#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "app/application.h"
#include "diag/messages.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_host.h"
#include "connect/connection_screen.h"
#include "connect/users_check_screen.h"
#include "import/import_info_screen.h"
#include "import/import_screen.h"
#include "mapping/mappings_screen.h"
#include "wizard/error_console.h"
#include "wizard/scripted_dialogs.h"

namespace koru::ui {
namespace {

bool displayAvailable() {
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace

QtFrontEnd::QtFrontEnd(int& argc, char** argv) : m_argc(argc), m_argv(argv) {}

QtFrontEnd::~QtFrontEnd() = default;

int QtFrontEnd::runWizard() {
    if (!displayAvailable()) {
        std::cerr << "koru: no display for the wizard (DISPLAY is not set); run a saved mapping "
                     "with /MapFile=... instead (see koru --help)\n";
        return app::kExitFailure;
    }
    QApplication qtApplication(m_argc, m_argv);
    QApplication::setQuitOnLastWindowClosed(false);  // the navigator says when the wizard ends
    QtDialogs dialogs;
    QtHost host;
    app::Application application(host, dialogs, false);
    host.attach(application);
    host.dispatch([&] { application.navigator().start(wizard::ScreenId::frmWizIntro); });
    return QApplication::exec();
}

bool QtFrontEnd::showMessage(std::string_view text) {
    if (!displayAvailable()) return false;
    QApplication qtApplication(m_argc, m_argv);
    QtDialogs dialogs;
    dialogs.messageBox(text, wizard::MsgButtons::OK, wizard::MsgIcon::Exclamation, diag::kAppTitle);
    return true;
}

int renderScreenshots(const std::string& folder, int& argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication qtApplication(argc, argv);
    std::filesystem::create_directories(folder);
    wizard::ScriptedDialogs dialogs;  // nothing may be asked while rendering
    QtHost host;
    app::Application application(host, dialogs, false);
    host.attach(application);

    int written = 0;
    int failed = 0;
    auto save = [&](wizard::Screen& screen, const std::string& name) {
        ScreenWidget& widget = host.widgetFor(screen);
        widget.sync();
        widget.show();
        QApplication::processEvents();
        std::string path = folder + "/" + name + ".png";
        if (!widget.grab().save(QString::fromStdString(path))) {
            std::cerr << "could not write " << path << '\n';
            ++failed;
            return;
        }
        widget.hide();
        ++written;
    };

    for (wizard::ScreenId id : wizard::kAllScreens) {
        if (!application.screens().exists(id)) continue;
        wizard::Screen* screen = application.screens().load(id);
        if (auto* console = dynamic_cast<wizard::ErrorConsole*>(screen)) {
            console->lblError.caption = "An Error Has Occurred";
            console->txtFullError.text =
                "-2147467259\n[unixODBC][Driver Manager]Data source name not found\n"
                "Occured On : frmConn:Connect_To_servers";
            save(*console, std::string(wizard::screenName(id)));
            console->cmdDetails_Click();
            save(*console, std::string(wizard::screenName(id)) + "_details");
            continue;
        }
        if (auto* usersCheck = dynamic_cast<connect::UsersCheckScreen*>(screen)) {
            usersCheck->lstUser.addItem("User : ann on PC: HELPDESK-07 Using Tickora Client");
            usersCheck->lstUser.addItem("User : bob (10.0.0.9 - Web Interface)");
            usersCheck->lblTotal.caption = "Total Users : 2";
        }
        if (auto* connection = dynamic_cast<connect::ConnectionScreen*>(screen)) {
            connection->cboProduct.listIndex = 1;
            connection->cboProduct_Click();
            connection->cboServer.text = "HELPDESK-SQL";
            connection->txtUID.text = "sa";
            connection->txtSConn.text = "Provider=SQLite;Data Source=/srv/data/customers.db";
        }
        if (auto* mappings = dynamic_cast<mapping::MappingsScreen*>(screen)) {
            mappings->optLoadMappings_Click();
            mappings->File.clear();
            for (const char* name : {"Assets.xfo", "Customers.xfo", "Knowledge Base.xfo"}) mappings->File.addItem(name);
            mappings->File.listIndex = 1;
        }
        if (auto* importScreen = dynamic_cast<import::ImportScreen*>(screen)) {
            // Mid-run: the live update is done, the hierarchy is on its way.
            importScreen->cmdStart.enabled = false;
            importScreen->cmdBack.enabled = false;
            importScreen->pbOverall.value = 60;
            importScreen->pbSave.value = 100;
            importScreen->pbVerify.value = 100;
            importScreen->pbLive.value = 100;
            importScreen->fraHRAC.enabled = importScreen->pbHRAC.enabled = true;  // a mapping of three levels
            importScreen->pbHRAC.max = 4;
            importScreen->pbHRAC.value = 1;
            importScreen->lblRecNumImport.caption = "Total Records Imported : 1234";
        }
        if (auto* importInfo = dynamic_cast<import::ImportInfoScreen*>(screen)) {
            importInfo->txtUserID.text = "ann";
            importInfo->txtCompName.text = "HELPDESK-07";
            importInfo->rtbNotes.text =
                "Import From Server : /srv/data/customers.db\nFrom Database : customers\nInto Server : HELPDESK-SQL";
        }
        save(*screen, std::string(wizard::screenName(id)));
    }
    std::cout << written << " screenshots written to " << folder << '\n';
    return written > 0 && failed == 0 ? 0 : 1;
}

}  // namespace koru::ui
