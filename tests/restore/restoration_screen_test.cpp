#include "restore/restoration_screen.h"

#include <gtest/gtest.h>

#include "app/application.h"
#include "db/repository.h"
#include "editor/parent_dialogs.h"
#include "editor/source_viewers.h"
#include "mapping/mappings_screen.h"
#include "restore/imported_destination.h"
#include "support/embedded_destination.h"
#include "support/headless_wizard.h"
#include "support/temp_home.h"
#include "wizard/scripted_dialogs.h"

namespace koru::restore {
namespace {

using wizard::MsgResult;
using wizard::ScreenId;

// The history screen over three sessions written by hand: 1 made three items, 2 made sixty
// with the mapping Assets.xfo, 3 recorded none.
class DbRestorationScreen : public ::testing::Test, protected test::HeadlessWizard {
protected:
    DbRestorationScreen() {
        context.DestinationConnection = destination.connect();
        context.destinationDialect = db::makeDestinationDialect(db::DestinationDialect::Kind::Sqlite);
    }

    void writeSessions() {
        db::Repository repository(context.destination(), db::sqliteRepositoryStatements(), application.reporter());
        ASSERT_TRUE(repository.Create_TB_XFR_Hash() && repository.Create_TB_XFR_TranLog());
        for (int session = 1; session <= 3; ++session) {
            execute("INSERT INTO XFRTranLog (DateTime, [User], CompName, Notes, UpdateImportID, MapFile) VALUES "
                    "('2024-05-0" + std::to_string(session) + " 10:00:00', 'ann', 'PC7', 'run', 0, " +
                    (session == 2 ? "'Assets.xfo'" : "NULL") + ")");
            for (int item = 0; item < (session == 1 ? 3 : session == 2 ? 60 : 0); ++item) {
                execute("INSERT INTO CIID (Parent, StyleID, Alpha1) VALUES (1, 3, 'S" + std::to_string(session) + "')");
                execute("INSERT INTO XFRHash (CIIDID, XFRID, ImportID, StructureID) VALUES (last_insert_rowid(), 'k', " +
                        std::to_string(session) + ", 1)");
            }
        }
    }
    RestorationScreen& show() {
        application.navigator().start(ScreenId::frmRestoration);
        return *application.screens().get<RestorationScreen>(ScreenId::frmRestoration);
    }
    void select(RestorationScreen& screen, const std::string& session) {
        screen.gridLog.row = -1;
        for (std::size_t i = 0; i < screen.gridLog.rows.size(); ++i) {
            if (screen.gridLog.rows[i][0] == session) screen.gridLog.row = static_cast<int>(i);
        }
    }
    std::vector<std::string> column(const Grid& grid, std::size_t at) {
        std::vector<std::string> values;
        for (const auto& row : grid.rows) values.push_back(row.at(at));
        return values;
    }
};

TEST_F(DbRestorationScreen, WithoutHistoryOnlyBackAndExitAreLeft) {
    dialogs.expectMessage("There is no import history on your destination database");
    RestorationScreen& screen = show();
    EXPECT_FALSE(screen.cmdNext.enabled || screen.cmdDelete.enabled);
    EXPECT_TRUE(screen.gridLog.rows.empty());
    EXPECT_EQ(screen.chkRemoveIfDeleted.caption, "Move item in Tickora if item is not present in source database");
}

TEST_F(DbRestorationScreen, ListsNewestFirstSamplesFiftyAndDeletesOnlyWhenConfirmed) {
    writeSessions();
    RestorationScreen& screen = show();
    EXPECT_EQ(column(screen.gridLog, 0), (std::vector<std::string>{"3", "2", "1"}));
    EXPECT_EQ(column(screen.gridLog, 6), (std::vector<std::string>{"0", "60", "3"}));
    EXPECT_FALSE(screen.pbDelete.visible);

    screen.cmdDelete_Click();  // nothing selected: nothing asked
    select(screen, "2");
    screen.cmdEx_Click();
    auto* sample = application.screens().get<editor::DataViewDialog>(ScreenId::frmDataView);
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(sample->rows.size(), 50u);
    EXPECT_NE(sample->caption.find("Data (top 50 results) from Import ID : 2"), std::string::npos);

    std::string question =
        "Are you sure you want to delete all data imported in Import Session 1\r\nPlease note that all inventory "
        "items that are children of the imported data will be moved,\r\nand all requests logged against the "
        "imported items will be deleted.";
    select(screen, "1");
    dialogs.expectMessage(question, MsgResult::No);
    screen.cmdDelete_Click();
    EXPECT_EQ(rows("SELECT count(*) FROM CIID WHERE Alpha1 = 'S1'"), "3\n");
    dialogs.expectMessage(question, MsgResult::Yes).expectMessage("Delete Successfull");
    screen.cmdDelete_Click();
    EXPECT_EQ(dialogs.pending(), 0u);
    EXPECT_EQ(rows("SELECT count(*) FROM CIID WHERE Alpha1 = 'S1'"), "0\n");
    EXPECT_EQ(column(screen.gridLog, 0), (std::vector<std::string>{"3", "2"}));
    EXPECT_GE(host.repaints, 4);
    EXPECT_FALSE(screen.pbDelete.visible);
    EXPECT_EQ(screen.pbDelete.value, 0);
}

TEST_F(DbRestorationScreen, UpdateModesAskWarnAndPrepareTheNextRun) {
    writeSessions();
    RestorationScreen& screen = show();

    // A session without items warns of duplicates, then asks; Cancel undoes the choice.
    select(screen, "3");
    dialogs.expectMessage("No previous import records were found in import transaction : 3\r\nIf you update/add to "
                          "this import then you may create duplicate entries")
        .expectMessage("Import will only affect records imported previously in import : 3", MsgResult::Cancel);
    screen.cmdUpdateData_Click();
    EXPECT_EQ(context.UpdateMode, 0);
    EXPECT_EQ(context.UpdateImportID, 0);

    // Another mapping than the session's: No changes nothing.
    context.MapFileName = "Customers.xfo";
    select(screen, "2");
    dialogs.expectMessage("Import session 2 was made with the mapping Assets.xfo, not with Customers.xfo.\r\n"
                          "Update it all the same?",
                          MsgResult::No);
    screen.cmdUpdateAndNew_Click();
    EXPECT_EQ(context.UpdateMode, 0);

    // Exit on the new-parent dialog clears the box.
    host.onModal = [](wizard::Screen& dialog) { dynamic_cast<editor::NewParentDialog&>(dialog).cmdCancel_Click(); };
    screen.chkRemoveIfDeleted.value = true;
    screen.chkRemoveIfDeleted_Click();
    EXPECT_FALSE(screen.chkRemoveIfDeleted.value);
    host.onModal = [](wizard::Screen& dialog) { dynamic_cast<editor::NewParentDialog&>(dialog).cmdOK_Click(); };
    screen.chkRemoveIfDeleted.value = true;
    screen.chkRemoveIfDeleted_Click();
    EXPECT_TRUE(screen.chkRemoveIfDeleted.value);

    context.MapFileName = "assets.XFO";
    dialogs.expectMessage("Import will affect records imported previously in import : 2 and add new records");
    screen.cmdUpdateAndNew_Click();
    EXPECT_EQ(context.UpdateMode, 2);
    EXPECT_EQ(context.UpdateImportID, 2);
    EXPECT_TRUE(context.MoveIfNotInSource);
    auto* mappings = application.screens().get<mapping::MappingsScreen>(ScreenId::frmMappings);
    ASSERT_TRUE(mappings && mappings->visible);
    EXPECT_TRUE(mappings->optLoadMappings.value);
    EXPECT_FALSE(screen.visible);

    // Add new only never moves items: Next clears the box and leaves the Context flag.
    dialogs.expectMessage("Import will NOT affect records imported previously in import : 2 and ONLY add new records");
    screen.cmdAddNewData_Click();
    EXPECT_EQ(context.UpdateMode, 3);
    EXPECT_FALSE(screen.chkRemoveIfDeleted.value);
    EXPECT_TRUE(context.MoveIfNotInSource);
    EXPECT_EQ(dialogs.pending(), 0u);
}

// Each update mode chosen here, then the import: moved items go under the parent chosen in
// the new-parent dialog.
TEST(DbRestorationScreenImport, EachChosenUpdateModeImportsAsItSays) {
    test::ImportedDestination d(db::Product::Tickora);
    d.import();
    auto source = [&](const std::string& sql) { d.context.source().execute(sql); };
    source("UPDATE Contact SET Name = 'Ann!' WHERE CKey = 'c1'");
    source("DELETE FROM Contact WHERE CKey = 'c2'");
    source("INSERT INTO Contact VALUES ('c4', 'B', 'Dora')");
    const std::string tree = "SELECT c.Alpha1, p.Alpha1 FROM CIID c JOIN CIID p ON p.ID = c.Parent WHERE c.ID > 3 "
                             "ORDER BY c.Alpha1";
    struct Step {
        void (RestorationScreen::*button)();
        std::string question;  // after the session id
        bool move;
        std::string expected;
    } steps[] = {
        {&RestorationScreen::cmdUpdateData_Click, "Import will only affect records imported previously in import : ",
         true, "Alpha|Veltrane Ltd\nAnn!|Alpha\nBeta|Veltrane Ltd\nCarl|Beta\nOlivia|Help Desk\n"},
        {&RestorationScreen::cmdAddNewData_Click, "Import will NOT affect records imported previously in import : ",
         false, "Alpha|Veltrane Ltd\nAnn!|Alpha\nBeta|Veltrane Ltd\nCarl|Beta\nDora|Beta\nOlivia|Help Desk\n"},
        {&RestorationScreen::cmdUpdateAndNew_Click, "Import will affect records imported previously in import : ",
         false, "Alpha|Veltrane Ltd\nAnn!|Alpha\nBeta|Veltrane Ltd\nCarl!|Beta\nDora|Beta\nOlivia|Help Desk\n"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.question);
        if (step.button == &RestorationScreen::cmdUpdateAndNew_Click) source("UPDATE Contact SET Name = 'Carl!' WHERE CKey = 'c3'");
        d.application.navigator().start(ScreenId::frmRestoration);
        auto& screen = *d.application.screens().get<RestorationScreen>(ScreenId::frmRestoration);
        screen.Setup_Grid_Log();
        screen.gridLog.row = 0;  // the newest session
        std::string session = screen.gridLog.rows.at(0).at(0);
        d.host.onModal = [](wizard::Screen& dialog) {
            auto& newParent = dynamic_cast<editor::NewParentDialog&>(dialog);
            newParent.SSTree1_Expand("Main");
            newParent.SSTree1.selectedKey = "2";
            newParent.cmdOK_Click();
        };
        screen.chkRemoveIfDeleted.value = step.move;
        if (step.move) screen.chkRemoveIfDeleted_Click();
        std::string question = step.question + session;
        if (step.button == &RestorationScreen::cmdAddNewData_Click) question += " and ONLY add new records";
        if (step.button == &RestorationScreen::cmdUpdateAndNew_Click) question += " and add new records";
        d.dialogs.expectMessage(question);
        (screen.*step.button)();
        EXPECT_EQ(d.context.MoveIfNotInSource, step.move || step.button == &RestorationScreen::cmdAddNewData_Click);
        d.host.onModal = [](wizard::Screen& dialog) {
            if (auto* info = dynamic_cast<import::ImportInfoScreen*>(&dialog)) info->cmdSave_Click();
        };
        d.import(d.context.UpdateMode, d.context.UpdateImportID);
        EXPECT_EQ(d.rows(tree), step.expected);
    }
}

}  // namespace
}  // namespace koru::restore
