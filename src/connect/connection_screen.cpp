#include "connect/connection_screen.h"

#include "connect/server_list.h"
#include "connect/users_check_screen.h"
#include "db/connection_factory.h"
#include "db/connection_string.h"
#include "db/preview_connection.h"
#include "db/destination_access.h"
#include "db/destination_lock.h"
#include "db/freetds_config.h"
#include "db/repository.h"
#include "db/settings_file.h"
#include "diag/logs.h"
#include "diag/messages.h"
#include "diag/text.h"
#include "wizard/error_trap.h"
#include "wizard/triggers_left_off.h"

namespace koru::connect {

using wizard::MsgButtons;
using wizard::MsgIcon;
using wizard::ScreenId;

namespace {

constexpr long kLedgora = 1;
constexpr long kTickora = 2;

}  // namespace

ConnectionScreen::ConnectionScreen(wizard::ScreenServices services)
    : WizardScreen(ScreenId::frmConn, services), m_open(db::openConnection) {
    width = 560;
    height = 440;
    optNEW.value = true;
    txtdbName.text = "TICKORDB";
}

void ConnectionScreen::Form_Load() {
    try {
        caption = std::string(diag::kAppTitle);
        lblTitle.caption = LS(157);
        fraDataSource.caption = LS(158);
        fraODBC.caption = LS(159);
        fraDestin.caption = LS(160);
        cmdNew.caption = LS(161);
        lblServer.caption = LS(162);
        lblUID.caption = LS(163);
        lblPWD.caption = LS(164);
        optEXE.caption = LS(165);
        optNEW.caption = LS(166);
        cmdBack.caption = LS(167);
        cmdNext.caption = LS(168);
        cmdExit.caption = LS(169);
        lblProduct.caption = LS(499);
        lblDBName.caption = "Database Name :";
        Get_Avail_SQL_Servers(cboServer, db::freeTdsServers());
        db::ConnectionSettings settings = db::ut_load_conn_settings(m_services.reporter);
        txtSConn.text = settings.sourceConnectionString;
        cboServer.text = settings.server;
        txtUID.text = settings.userId;
        cboProduct.clear();
        cboProduct.addItem("Ledgora", kLedgora);
        cboProduct.addItem("Tickora", kTickora);
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmConn:formLoad", "");
    }
}

void ConnectionScreen::cboProduct_Click() {
    cboProduct.text = cboProduct.selectedText();
    m_services.context.cboProductText = cboProduct.text;
    bool ledgora = diag::upperAscii(cboProduct.text) == "LEDGORA";
    lblDBName.visible = !ledgora;
    txtdbName.visible = !ledgora;
}

void ConnectionScreen::optEXE_Click() {
    optEXE.value = true;
    optNEW.value = false;
    m_services.context.optEXE = true;
}

void ConnectionScreen::optNEW_Click() {
    optNEW.value = true;
    optEXE.value = false;
    m_services.context.optEXE = false;
}

void ConnectionScreen::cmdNew_Click() {
    cmdNew.enabled = false;
    try {
        m_services.context.txtSConn = txtSConn.text;
        if (wizard::Screen* dialog = m_services.navigator.loadScreen(ScreenId::frmDataLink)) {
            m_services.navigator.showModal(*dialog);
            // The dialog leaves the string it built in the Context when it was accepted.
            txtSConn.text = m_services.context.txtSConn;
        }
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmConn:cmdNew_click", "");
    }
    m_services.dialogs.setBusy(false);
    cmdNew.enabled = true;
}

void ConnectionScreen::cmdBack_Click() {
    m_services.navigator.UT_Wizard_Change_Forms(ScreenId::frmConn, ScreenId::frmWizIntro, false);
}

void ConnectionScreen::cmdExit_Click() { m_services.navigator.requestClose(id()); }

void ConnectionScreen::cmdNext_Click() {
    wizard::Context& context = m_services.context;
    if (cboProduct.listIndex == -1) {
        m_services.dialogs.messageBox(LS(469), MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
        cboProduct.droppedDown = true;
        return;
    }
    cmdNext.enabled = false;
    try {
        context.txtSConn = txtSConn.text;
        if (!Connect_To_servers()) {
            cmdNext.enabled = true;
            return;
        }
        db::Repository repository(context.destination(), db::repositoryStatementsFor(context.dialect().kind()),
                                  m_services.reporter);
        // Nothing of ours goes into a database that is not the product's.
        if (!repository.isProductDatabase()) {
            closeConnections();
            m_services.dialogs.messageBox(
                context.DestinDBName + " is not a Tickora or Ledgora database: it has no table CIID.",
                MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
            cmdNext.enabled = true;
            return;
        }
        // The shared tables are written from here on: not while another import or undo runs,
        // nor into a database that refuses writes. An unattended run keeps the lock to its end.
        std::shared_ptr<db::DestinationLock> lock = context.destinationLock();
        std::optional<std::string> refusal;
        m_services.dialogs.setBusy(true);
        if (!lock->acquire(context.destinationLockWait)) {
            refusal = db::destinationBusyMessage(context.DestinDBName, lock->holder());
        } else {
            refusal = db::destinationWriteRefusal(context.destination(), context.dialect().kind(),
                                                  context.DestinDBName, context.destinationLockWait);
        }
        m_services.dialogs.setBusy(false);
        if (refusal) {
            lock.reset();
            closeConnections();
            m_services.dialogs.messageBox(*refusal, MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
            cmdNext.enabled = true;
            return;
        }
        if (context.Unattended) context.heldDestinationLock = lock;
        // Past the write check, which takes its own transaction: from here on a preview keeps nothing.
        if (context.previewOnly && !db::isPreview(context.DestinationConnection.get())) {
            context.DestinationConnection = std::make_unique<db::PreviewConnection>(
                std::move(context.DestinationConnection), context.dialect().kind());
        }
        if (!repository.Create_XFR_Tables() || !repository.Create_XFR_Indexes()) {
            cmdNext.enabled = true;
            return;
        }
        context.LGEnabled = repository.Is_LG_Enabled();
        wizard::restoreTriggersLeftOff(m_services);
        lock.reset();
        context.EXLValid = repository.Validate_EXT_DB();
        context.NoBrackets = !Is_SourceDB_Bracket_Compatible();
        if (!context.Unattended) {
            auto* usersCheck = dynamic_cast<UsersCheckScreen*>(m_services.navigator.loadScreen(ScreenId::frmAnyOneThere));
            if (usersCheck && !usersCheck->Show_Form()) {
                cmdNext.enabled = true;
                return;
            }
            db::ut_save_conn_settings({txtSConn.text, cboServer.text, txtUID.text}, m_services.reporter);
        }
        m_services.navigator.UT_Wizard_Change_Forms(ScreenId::frmConn, ScreenId::frmMappings, false);
    } catch (const std::exception& error) {
        m_services.reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmConn:cmdNext_click", "");
    }
    cmdNext.enabled = true;
}


std::string ConnectionScreen::destinationConnectionString() const {
    std::string text = "Provider=SQLOLEDB.1;";
    text += "Persist Security Info=true;";
    text += "Initial Catalog=" + db::connectionValue(m_services.context.DestinDBName) + ";";
    text += "Data Source=" + db::quotedConnectionValue(cboServer.text) + ";";
    text += "Locale Identifier=2057;Connect Timeout=25;";
    text += "Use Procedure for Prepare=1;Auto Translate=False;Packet Size=4096;";
    text += "User ID=" + db::quotedConnectionValue(txtUID.text);
    if (!diag::trimBlanks(txtPW.text).empty()) text += ";Password=" + db::quotedConnectionValue(txtPW.text);
    return text;
}

void ConnectionScreen::closeConnections() {
    wizard::Context& context = m_services.context;
    context.heldDestinationLock.reset();  // it may name the connection closed here
    if (context.sourceOpen()) context.SourceConnection->close();
    if (context.destinationOpen()) context.DestinationConnection->close();
}

bool ConnectionScreen::Connect_To_servers() {
    wizard::Context& context = m_services.context;
    diag::ErrorReporter& reporter = m_services.reporter;
    wizard::Dialogs& dialogs = m_services.dialogs;
    auto failure = [&] {
        closeConnections();
        dialogs.setBusy(false);
        return false;
    };

    context.DestinDBName = cboProduct.items[static_cast<std::size_t>(cboProduct.listIndex)].itemData == kLedgora
                               ? "LEDGODB"
                               : txtdbName.text;
    dialogs.setBusy(true);
    closeConnections();

    try {
        context.SourceConnection = m_open(txtSConn.text);
    } catch (const std::exception& error) {
        reporter.UT_Report_Error(wizard::errorRecordOf(error), "frmConn:Connect_To_Servers", LS(466));
        return failure();
    }
    context.SourceIsSQLServer = diag::upperAscii(txtSConn.text).find("SQLOLEDB") != std::string::npos;

    if (diag::trimBlanks(txtUID.text).empty() || diag::trimBlanks(cboServer.text).empty()) {
        dialogs.messageBox(LS(121), MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
        return failure();
    }

    context.DestinConnString = destinationConnectionString();
    try {
        context.DestinationConnection = m_open(context.DestinConnString);
    } catch (const db::DbError& error) {
        if (error.code() == db::kErrGeneralFailure) {
            reporter.Show_Form(LS(126) + context.DestinDBName + LS(467), "frmConnect:Connect_To_servers",
                               error.toErrorRecord());
        } else if (error.code() == db::kErrLoginRefused) {
            reporter.Show_Form(LS(124), "frmConnect:Connect_To_servers", error.toErrorRecord());
        } else if (error.code() == db::kErrPermissionDenied) {
            // An embedded database in a read-only folder cannot even be opened for writing.
            reporter.Show_Form(db::destinationReadOnlyMessage(context.DestinDBName, error.what()),
                               "frmConnect:Connect_To_servers", error.toErrorRecord());
        } else {
            reporter.UT_Report_Error(error.toErrorRecord(), "frmConn:Connect_To_servers", "");
        }
        return failure();
    }
    // The embedded destination is the one SQLite database a destination string can open.
    bool embedded = context.DestinationConnection->dbmsName() == "SQLite";
    context.destinationDialect = db::makeDestinationDialect(embedded ? db::DestinationDialect::Kind::Sqlite
                                                                     : db::DestinationDialect::Kind::Mssql);

    // A command-text error on selecting the database is tried once more, then taken as success.
    for (int attempt = 1; attempt <= 2; ++attempt) {
        try {
            context.DestinationConnection->execute(context.destinationDialect->useDatabase(context.DestinDBName));
            break;
        } catch (const db::DbError& error) {
            if (error.code() == db::kErrCommandText) continue;
            if (error.code() == db::kErrLoginRefused) {
                reporter.Show_Form(LS(124), "frmConn:Connect_To_servers", error.toErrorRecord());
            } else if (error.code() == db::kErrGeneralFailure) {
                reporter.Show_Form(LS(127) + context.DestinDBName + LS(468) + cboServer.text,
                                   "frmConn:Connect_To_servers", error.toErrorRecord());
            } else {
                reporter.UT_Report_Error(error.toErrorRecord(), "frmConn:Connect_To_servers", "");
            }
            return failure();
        }
    }
    dialogs.setBusy(false);
    return true;
}

bool ConnectionScreen::Is_SourceDB_Bracket_Compatible() {
    // Runs with every error suppressed: any failure means the source does not take brackets.
    try {
        db::Connection& source = *m_services.context.SourceConnection;
        std::vector<std::string> tables = source.tables(db::ObjectType::Table);
        std::string first = tables.empty() ? std::string{} : tables.front();
        source.query("Select * from [" + first + "]");
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace koru::connect
