#include "ui/qt_front_end.h"

#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <functional>
#include <iostream>
#include <stdexcept>

#include "app/application.h"
#include "diag/messages.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_host.h"
#include "connect/connection_screen.h"
#include "connect/data_link_dialog.h"
#include "connect/users_check_screen.h"
#include "db/demo_source.h"
#include "db/product_schema.h"
#include "db/repository.h"
#include "db/sqlite_connection.h"
#include "editor/data_clause_dialog.h"
#include "editor/drag_map_screen.h"
#include "editor/parent_dialogs.h"
#include "editor/source_viewers.h"
#include "editor/structure_links_screen.h"
#include "editor/structure_screen.h"
#include "editor/table_link_dialog.h"
#include "import/import_info_screen.h"
#include "import/import_screen.h"
#include "mapping/mapping_repository.h"
#include "mapping/mappings_screen.h"
#include "restore/restoration_screen.h"
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

using SaveScreenshot = std::function<void(wizard::Screen&, const std::string&)>;

// A Ledgora destination with the repository tables and the demo source, in a fresh temporary
// folder and connected into the Context, for the screens that read both when they load. Gone
// again, with the folder, at the end of its scope.
class SampleDatabases {
public:
    explicit SampleDatabases(app::Application& application) : m_context(application.context()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "koru-screenshots-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder for the sample databases");
        m_folder = pattern;
        db::createProductDatabase(m_folder, "TICKORDB", db::Product::Ledgora, true);
        db::createDemoSourceDatabase(m_folder / "source.db");
        auto destination = std::make_unique<db::SqliteConnection>();
        destination->open(db::embeddedDestinationString(m_folder, "TICKORDB"));
        auto source = std::make_unique<db::SqliteConnection>();
        source->open("Provider=SQLite;Data Source=" + (m_folder / "source.db").string());
        db::Repository repository(*destination, db::sqliteRepositoryStatements(), application.reporter());
        repository.Create_XFR_Tables();
        repository.Create_XFR_Indexes();
        m_context.destinationDialect = db::makeDestinationDialect(db::DestinationDialect::Kind::Sqlite);
        m_context.SourceConnection = std::move(source);
        m_context.DestinationConnection = std::move(destination);
    }
    ~SampleDatabases() {
        m_context.SourceConnection.reset();
        m_context.DestinationConnection.reset();
        m_context.destinationDialect.reset();
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
    }
    SampleDatabases(const SampleDatabases&) = delete;
    SampleDatabases& operator=(const SampleDatabases&) = delete;

private:
    wizard::Context& m_context;
    std::filesystem::path m_folder;
};

// One column of a sample mapping; a null table and column make a separator part.
void mapColumn(mapping::MappingRepository& mappings, int level, const char* table, const char* column,
               const char* destinTable, const char* destinColumn, int part = 1) {
    mapping::ColumnMapping row;
    row.structureId = level;
    if (table) row.sourceTable = table;
    if (column) row.sourceColumn = column;
    row.destinTable = destinTable;
    row.destinColumn = destinColumn;
    row.level = part;
    mappings.addMapping(row);
}

// A mapping of two levels, for the drag-map editor to show.
void writeSampleMapping(wizard::Context& context) {
    db::Connection& destination = context.destination();
    mapping::MappingRepository mappings(destination, context.dialect());
    mappings.writeLevels({"PC", "Contact"});
    mapping::rebuildStructureLevels(destination, context);
    context.Gstructures[1].StyleID = 4;  // PC, which has an asset style
    context.Gstructures[2].StyleID = 3;
    auto map = [&](int level, const char* table, const char* column, const char* destinTable,
                   const char* destinColumn, int part = 1) {
        mapColumn(mappings, level, table, column, destinTable, destinColumn, part);
    };
    map(1, "PC", "MachineName", "CIID", "Alpha1");
    map(1, nullptr, nullptr, "TEXTSEP", " / ", 2);
    map(1, "PC", "AssetTag", "CIID", "Alpha1", 3);
    map(1, "PC", "MemoryMB", "CIID", "Num1");
    map(1, "PC", "Purchased", "AssetCiid", "Date1");
    map(1, "PC", "Price", "AssetCiid", "Curr1");
    map(1, "PC", "ContactID", "AssetCiid", "DLinkID");
    map(1, "PC", "CostCentre", "AssetCiid", "CostCentre");
    map(2, "Contact", "LastName", "CIID", "Alpha1");
}

// One picture per tab with content, then the knowledge-base mode, which a fresh screen shows.
void renderDragMap(app::Application& application, const SaveScreenshot& save) {
    SampleDatabases sample(application);
    wizard::Context& context = application.context();
    context.LGEnabled = true;
    context.EXLValid = true;
    context.EXLAppLinkID = 1;
    writeSampleMapping(context);
    wizard::Navigator& navigator = application.navigator();
    auto* dragMap = dynamic_cast<editor::DragMapScreen*>(navigator.loadScreen(wizard::ScreenId::frmDragMap));
    dragMap->tvSource_Expand("TABLES");  // as the user would, to show the mapped columns
    const char* tabs[] = {"1-alpha", "2-numeric", "3-date", "4-currency", "5-external", "6-lg"};
    for (int tab = 1; tab <= 6; ++tab) {
        dragMap->ssTab1.tab = tab;
        save(*dragMap, std::string("frmDragMap-") + tabs[tab - 1]);
    }
    navigator.unloadScreen(wizard::ScreenId::frmDragMap);

    // A knowledge-base import starts from an empty repository, as the mapping start screen leaves it.
    mapping::MappingRepository(context.destination(), context.dialect()).ut_clear_map_table();
    mapping::rebuildStructureLevels(context.destination(), context);
    context.KBImport = true;
    auto* knowledgeBase = dynamic_cast<editor::DragMapScreen*>(navigator.loadScreen(wizard::ScreenId::frmDragMap));
    knowledgeBase->tvSource_Expand("TABLES");
    knowledgeBase->tvSource_Expand("Software");
    knowledgeBase->tvSource_MouseDown("Software@--##--@Title");
    knowledgeBase->Style_Drag_Over(editor::DestinationTree::tvKB, "Knowledge.KBSummary");
    knowledgeBase->Style_Drag_Drop(editor::DestinationTree::tvKB);
    knowledgeBase->tvKB_NodeClick("Knowledge.CatID");
    save(*knowledgeBase, "frmDragMap-8-kb-categories");
    knowledgeBase->treCat_NodeClick("4");
    save(*knowledgeBase, "frmDragMap-8-kb");
    navigator.unloadScreen(wizard::ScreenId::frmDragMap);
    context.KBImport = context.LGEnabled = context.EXLValid = false;
}

// Picks a source table and one of its columns, as the user would.
void chooseColumn(wizard::ComboBox& tables, const std::function<void()>& tableClick, wizard::ListBox& columns,
                  const std::string& table, const std::string& column) {
    tables.listIndex = tables.indexOf(table);
    tables.text = table;
    tableClick();
    columns.listIndex = columns.indexOf(column);
}

// The level links of the sample structure: the bottom level's identifier, its link to its
// parent, and a walk that is complete.
void renderStructureLinks(app::Application& application, wizard::ScriptedDialogs& dialogs, const SaveScreenshot& save) {
    SampleDatabases sample(application);
    wizard::Context& context = application.context();
    wizard::Navigator& navigator = application.navigator();
    auto levels = [&](std::initializer_list<const char*> names) {
        context.Gstructures.assign(1, {});  // counted from 1
        short parent = 0;
        for (const char* name : names) {
            wizard::StructureLevel level;
            level.Name = name;
            level.ULinkID = parent++;
            context.Gstructures.push_back(level);
        }
        context.Gstructures.back().bottomLevel = true;
    };
    // The navigator activates a screen each time it shows it.
    auto shown = [&] {
        auto* screen = dynamic_cast<editor::StructureLinksScreen*>(
            navigator.loadScreen(wizard::ScreenId::frmStructureLinks));
        screen->Form_Activate();
        return screen;
    };

    levels({"Company", "Department", "Contact", "PC", "Software"});
    editor::StructureLinksScreen* links = shown();
    chooseColumn(links->cboLink2, [&] { links->cboLink2_Click(); }, links->lstLink2, "Software", "SoftwareID");
    save(*links, "frmStructureLinks-identifier");
    links->cmdAddLink_Click();
    chooseColumn(links->cboLink1, [&] { links->cboLink1_Click(); }, links->lstLink1, "PC", "AssetTag");
    chooseColumn(links->cboLink2, [&] { links->cboLink2_Click(); }, links->lstLink2, "Software", "AssetTag");
    save(*links, "frmStructureLinks-link");
    // The rest of the walk, up to the top level: the summary of every link. The asset tags are
    // text, which the user accepts.
    dialogs.expectMessageStartingWith("Column : PC.AssetTag", wizard::MsgResult::Yes)
        .expectMessageStartingWith("Column : Software.AssetTag", wizard::MsgResult::Yes);
    links->cmdAddLink_Click();
    const char* walk[][4] = {{"PC", "ContactID", "Contact", "ContactID"},
                             {"Contact", "DeptID", "Department", "DeptID"},
                             {"Department", "CoID", "Company", "CoID"}};
    for (const auto& step : walk) {
        chooseColumn(links->cboLink1, [&] { links->cboLink1_Click(); }, links->lstLink1, step[2], step[3]);
        chooseColumn(links->cboLink2, [&] { links->cboLink2_Click(); }, links->lstLink2, step[0], step[1]);
        links->cmdAddLink_Click();
    }
    save(*links, "frmStructureLinks-complete");
    navigator.unloadScreen(wizard::ScreenId::frmStructureLinks);
    context.Gstructures.assign(1, {});
}

// Opens a dialog that shows itself modally and runs `whileShown`, which closes it, inside the
// dialog's loop. An error there ends the loop and is thrown again here.
void whileModal(wizard::Screen& dialog, const std::function<void()>& open, const std::function<void()>& whileShown) {
    std::exception_ptr failure;
    QTimer inLoop;
    inLoop.setSingleShot(true);
    QObject::connect(&inLoop, &QTimer::timeout, [&] {
        try {
            auto* shown = dynamic_cast<ScreenWidget*>(QApplication::activeModalWidget());
            if (!shown || shown->model() != &dialog) {
                throw std::runtime_error(std::string(wizard::screenName(dialog.id())) + " did not show");
            }
            whileShown();
        } catch (...) {
            failure = std::current_exception();
            if (QWidget* modal = QApplication::activeModalWidget()) modal->hide();  // ends its loop
        }
    });
    inLoop.start(0);
    open();
    if (failure) std::rethrow_exception(failure);
}

// One level mapped from the Company table, with two clauses and a third being written.
void renderDataClauses(app::Application& application, const SaveScreenshot& save) {
    SampleDatabases sample(application);
    wizard::Context& context = application.context();
    mapping::MappingRepository mappings(context.destination(), context.dialect());
    mappings.writeLevels({"Company"});
    mapping::rebuildStructureLevels(context.destination(), context);
    mapColumn(mappings, 1, "Company", "CoName", "CIID", "Alpha1");
    mapColumn(mappings, 1, "Company", "Phone", "CIID", "Alpha2");

    wizard::Navigator& navigator = application.navigator();
    auto* clauses = dynamic_cast<editor::DataClauseDialog*>(navigator.loadScreen(wizard::ScreenId::frmGenDataClause));
    auto write = [&](const char* join, const char* column, const char* op, const std::string& value) {
        clauses->cboAndOr.listIndex = clauses->cboAndOr.indexOf(join);
        clauses->cboAndOr.text = join;
        clauses->lstDB2.listIndex = clauses->lstDB2.indexOf(column);
        clauses->lstDB2_Click();
        clauses->cboOperator.listIndex = clauses->cboOperator.indexOf(op);
        clauses->cboOperator.text = op;
        clauses->cboCriteria_Change();
        clauses->cboCriteria.text = value;
        clauses->cboCriteria.selStart = static_cast<int>(value.size());
        clauses->cboCriteria_Change();
    };
    whileModal(*clauses, [&] { clauses->Show_Form(1); }, [&] {
        write("And", "CoName", "Contains", "Ltd");
        clauses->cmdAdd_Click();
        write("Or", "AccountNo", "Does Not Equal", "NULL");
        clauses->cmdAdd_Click();
        write("And", "Phone", "Does Not Contain", "+353");
        save(*clauses, std::string(wizard::screenName(wizard::ScreenId::frmGenDataClause)));
        clauses->cmdExit_Click();
    });
    context.Gstructures.assign(1, {});
}

// A Department level that also takes a column of Company, with the link that joins them.
void renderTableLinks(app::Application& application, wizard::ScriptedDialogs& dialogs, const SaveScreenshot& save) {
    SampleDatabases sample(application);
    wizard::Context& context = application.context();
    mapping::MappingRepository mappings(context.destination(), context.dialect());
    mappings.writeLevels({"Department"});
    mapping::rebuildStructureLevels(context.destination(), context);
    mapColumn(mappings, 1, "Department", "DeptName", "CIID", "Alpha1");
    mapColumn(mappings, 1, "Company", "CoName", "CIID", "Alpha2");

    wizard::Navigator& navigator = application.navigator();
    auto* links = dynamic_cast<editor::TableLinkDialog*>(navigator.loadScreen(wizard::ScreenId::frmTableLink));
    whileModal(*links, [&] { links->Show_Form(1); }, [&] {
        chooseColumn(links->cboSTable, [&] { links->cboSTable_Click(); }, links->lstDB1, "Department", "CoID");
        chooseColumn(links->cboTable, [&] { links->cboTable_Click(); }, links->lstDB2, "Company", "CoID");
        dialogs.expectMessage(diag::LS(404, application.reporter()));  // the link was added
        links->cmdAdd_Click();
        save(*links, std::string(wizard::screenName(wizard::ScreenId::frmTableLink)));
        links->cmdExit_Click();
    });
    context.Gstructures.assign(1, {});
}

// A Contact level with columns mapped to item fields: the navigator read one level down, a
// matching rule being chosen; then the dialog that picks a new parent.
void renderParentDialogs(app::Application& application, const SaveScreenshot& save) {
    SampleDatabases sample(application);
    wizard::Context& context = application.context();
    mapping::MappingRepository mappings(context.destination(), context.dialect());
    mappings.writeLevels({"Contact"});
    mapping::rebuildStructureLevels(context.destination(), context);
    mapColumn(mappings, 1, "Contact", "LastName", "CIID", "Alpha1");
    mapColumn(mappings, 1, "Contact", "Email", "CIID", "Alpha2");
    mapColumn(mappings, 1, "Contact", "StaffNo", "CIID", "Num1");
    context.GenParent = 1;

    wizard::Navigator& navigator = application.navigator();
    auto* parent = dynamic_cast<editor::ParentDialog*>(navigator.loadScreen(wizard::ScreenId::frmParent));
    whileModal(*parent, [&] { parent->Show_Form(1); }, [&] {
        parent->SSTree1_Expand("Main");
        parent->SSTree1.selectedKey = "1";
        parent->cboStyle.listIndex = parent->cboStyle.indexOf("Contact");
        parent->cboStyle_Click();
        parent->lstSourceParent.listIndex = parent->lstSourceParent.indexOf("Num1: Contact.StaffNo");
        parent->lstDestinParent.listIndex = parent->lstDestinParent.indexOf("Num1: Staff No");
        save(*parent, std::string(wizard::screenName(wizard::ScreenId::frmParent)));
        parent->cmdCancel_Click();
    });

    auto* newParent = dynamic_cast<editor::NewParentDialog*>(navigator.loadScreen(wizard::ScreenId::frmNewParent));
    newParent->SSTree1_Expand("Main");
    newParent->SSTree1_Expand("1");
    newParent->SSTree1.selectedKey = "2";
    save(*newParent, std::string(wizard::screenName(wizard::ScreenId::frmNewParent)));
    navigator.unloadScreen(wizard::ScreenId::frmNewParent);
    context.GenParent = 0;
    context.Gstructures.assign(1, {});
}

// The demo source's contacts, and the properties of one of their columns.
void renderSourceViewers(app::Application& application, const SaveScreenshot& save) {
    SampleDatabases sample(application);
    wizard::Context& context = application.context();
    wizard::Navigator& navigator = application.navigator();
    auto* dataView = dynamic_cast<editor::DataViewDialog*>(navigator.loadScreen(wizard::ScreenId::frmDataView));
    whileModal(*dataView, [&] {
        dataView->Show_Form("Select * from [Contact]", "Contact", context.source().connectionString());
    }, [&] {
        save(*dataView, std::string(wizard::screenName(wizard::ScreenId::frmDataView)));
        navigator.unloadScreen(wizard::ScreenId::frmDataView);
    });

    auto* properties =
        dynamic_cast<editor::ColumnPropertiesDialog*>(navigator.loadScreen(wizard::ScreenId::frmColProps));
    whileModal(*properties, [&] { properties->Show_Form("Contact", "FirstName"); }, [&] {
        save(*properties, std::string(wizard::screenName(wizard::ScreenId::frmColProps)));
        properties->cmdOK_Click();
    });
}

// Four sessions of a nightly job: a first import and its updates, the last of them with
// nothing recorded; then the same screen while a session is being deleted.
void renderRestoration(app::Application& application, const SaveScreenshot& save) {
    SampleDatabases sample(application);
    wizard::Context& context = application.context();
    context.LGEnabled = true;
    context.DestinDBName = "LEDGODB";
    db::Connection& destination = context.destination();
    db::Repository repository(destination, db::sqliteRepositoryStatements(), application.reporter());
    repository.Create_TB_XFR_Hash();
    repository.Create_TB_XFR_TranLog();
    const char* notes[] = {"Import From Server : /srv/data/assets.db", "Nightly update", "Nightly update",
                           "Nightly update, source was empty"};
    for (int session = 1; session <= 4; ++session) {
        destination.prepare("INSERT INTO XFRTranLog (DateTime, [User], CompName, Notes, UpdateImportID, MapFile) "
                            "VALUES (?, 'ann', 'HELPDESK-07', ?, ?, 'Assets.xfo')")
            ->execute({"2024-05-0" + std::to_string(session) + " 02:00:00", std::string(notes[session - 1]),
                       std::int64_t{session - 1}});
        for (int item = 0; session < 4 && item < (session == 1 ? 12 : 3); ++item) {
            destination.execute("INSERT INTO CIID (Parent, StyleID, Alpha1) VALUES (1, 4, 'PC-" +
                                std::to_string(session * 100 + item) + "')");
            destination.execute("INSERT INTO XFRHash (CIIDID, XFRID, ImportID, StructureID) VALUES "
                                "(last_insert_rowid(), 'k', " + std::to_string(session) + ", 1)");
        }
    }
    wizard::Navigator& navigator = application.navigator();
    auto* restoration =
        dynamic_cast<restore::RestorationScreen*>(navigator.loadScreen(wizard::ScreenId::frmRestoration));
    restoration->gridLog.row = 1;
    save(*restoration, std::string(wizard::screenName(wizard::ScreenId::frmRestoration)));
    restoration->pbDelete.visible = true;
    restoration->pbDelete.max = 12;
    restoration->pbDelete.value = 5;
    save(*restoration, std::string(wizard::screenName(wizard::ScreenId::frmRestoration)) + "-deleting");
    navigator.unloadScreen(wizard::ScreenId::frmRestoration);
    context.LGEnabled = false;
    context.DestinDBName.clear();
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
        // These need databases: rendered last.
        if (id == wizard::ScreenId::frmDragMap || id == wizard::ScreenId::frmStructureLinks ||
            id == wizard::ScreenId::frmGenDataClause || id == wizard::ScreenId::frmTableLink ||
            id == wizard::ScreenId::frmParent || id == wizard::ScreenId::frmNewParent ||
            id == wizard::ScreenId::frmDataView || id == wizard::ScreenId::frmColProps ||
            id == wizard::ScreenId::frmRestoration) {
            continue;
        }
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
        if (auto* dataLink = dynamic_cast<connect::DataLinkDialog*>(screen)) {
            dataLink->optDriver_Click();
            dataLink->cboDriver.listIndex = dataLink->cboDriver.indexOf("PostgreSQL Unicode");
            dataLink->cboDriver_Click();
            dataLink->txtServer.text = "db.example";
            dataLink->txtPort.text = "5432";
            dataLink->txtDatabase.text = "customers";
            dataLink->txtUser.text = "ann";
            dataLink->Field_Change();
            save(*dataLink, std::string(wizard::screenName(id)) + "-driver");
            dataLink->optFile_Click();
            dataLink->cboFileKind.listIndex = static_cast<int>(connect::FileKind::Text);
            dataLink->cboFileKind_Click();
            dataLink->txtFile.text = "/srv/data/customers";
            dataLink->Field_Change();
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
        if (auto* structure = dynamic_cast<editor::StructureScreen*>(screen)) structure->cmdSampleData_Click();
        if (auto* importScreen = dynamic_cast<import::ImportScreen*>(screen)) {
            // Mid-run: the live update is done, the hierarchy is on its way.
            importScreen->cmdStart.enabled = false;
            importScreen->cmdPreview.enabled = false;
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
    if (application.screens().exists(wizard::ScreenId::frmStructureLinks)) renderStructureLinks(application, dialogs, save);
    if (application.screens().exists(wizard::ScreenId::frmDragMap)) renderDragMap(application, save);
    if (application.screens().exists(wizard::ScreenId::frmGenDataClause)) renderDataClauses(application, save);
    if (application.screens().exists(wizard::ScreenId::frmTableLink)) renderTableLinks(application, dialogs, save);
    if (application.screens().exists(wizard::ScreenId::frmParent) &&
        application.screens().exists(wizard::ScreenId::frmNewParent)) {
        renderParentDialogs(application, save);
    }
    if (application.screens().exists(wizard::ScreenId::frmDataView) &&
        application.screens().exists(wizard::ScreenId::frmColProps)) {
        renderSourceViewers(application, save);
    }
    if (application.screens().exists(wizard::ScreenId::frmRestoration)) renderRestoration(application, save);
    if (auto* importScreen = dynamic_cast<import::ImportScreen*>(application.screens().find(wizard::ScreenId::frmDBSave))) {
        // After a preview of an update: what the run would do, level by level.
        import::ImportPreview preview;
        preview.levels = {{"Company", 6, 2, 4, 0, 0}, {"Department", 5, 0, 5, 0, 0}, {"Contact", 7, 1, 5, 0, 1}};
        preview.tree = {"Company: 5 (under 0)", "Company: 6 (under 0)", "  Department: 10 (under 1)",
                        "    Contact: 107 (under 10)"};
        preview.diagnostics = {
            "Rows without a source key were left out: an update cannot tell which item such a row is.\r\nLevel 3 "
            "(Contact): 1 row",
            "Level 1 (Company): 1 value of CoName (field Alpha1, 35 characters) longer than the field (first: '6'): "
            "the field takes the first characters only.",
            "Level 3 (Contact): 2 rows name no row of level 2 (Department) by its up-link (first: '109' under '40', "
            "'110' under null): such rows are left out, and no item is made for them."};
        preview.failed = true;
        preview.failure = "XFR Import Failed At Stage : Updating Live Database\r\n1 transfer rows failed; the first: "
                          "level 3 (Contact), source key '108': The conversion of a varchar data type to a datetime data type "
                          "resulted in an out-of-range value. (column ADate1: '2008-02-30')";
        importScreen->cmdStart.enabled = importScreen->cmdBack.enabled = importScreen->cmdPreview.enabled = true;
        for (wizard::ProgressBar* bar : {&importScreen->pbOverall, &importScreen->pbSave, &importScreen->pbVerify,
                                         &importScreen->pbLive, &importScreen->pbHRAC}) {
            bar->value = 0;
        }
        importScreen->lblRecNumImport.caption.clear();
        importScreen->txtPreview.text = import::previewText(preview);
        importScreen->txtPreview.visible = true;
        save(*importScreen, "frmDBSave-preview");
    }
    std::cout << written << " screenshots written to " << folder << '\n';
    return written > 0 && failed == 0 ? 0 : 1;
}

}  // namespace koru::ui
