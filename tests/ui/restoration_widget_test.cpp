#include <QCheckBox>
#include <QPushButton>
#include <QTableWidget>

#include "db/repository.h"
#include "restore/restoration_screen.h"
#include "ui/qt_demo_fixture.h"

namespace koru::ui {
namespace {

using RestorationWidgetTest = QtDemoFixture;

// The row the user picks is the session the buttons act on; Exit on the new-parent dialog
// clears the box in the window too.
TEST_F(RestorationWidgetTest, RowChoiceReachesTheModelAndExitClearsTheMoveBox) {
    db::Repository repository(context.destination(), db::sqliteRepositoryStatements(), application.reporter());
    ASSERT_TRUE(repository.Create_TB_XFR_Hash() && repository.Create_TB_XFR_TranLog());
    for (int session = 0; session < 2; ++session) {
        context.destination().execute("INSERT INTO XFRTranLog (DateTime, [User]) VALUES ('2024-05-01', 'ann')");
    }
    host.dispatch([&] { application.navigator().start(wizard::ScreenId::frmRestoration); });
    auto* model = application.screens().get<restore::RestorationScreen>(wizard::ScreenId::frmRestoration);
    ASSERT_NE(model, nullptr);
    QWidget& window = host.widgetFor(*model);
    auto* grid = window.findChild<QTableWidget*>();
    ASSERT_TRUE(grid && grid->rowCount() == 2);
    grid->setCurrentCell(1, 0);
    EXPECT_EQ(model->selectedSession(), 1);

    auto* box = window.findChild<QCheckBox*>();
    ASSERT_NE(box, nullptr);
    whileModal([&] { box->click(); }, [](QWidget& dialog) {
        for (auto* button : dialog.findChildren<QPushButton*>()) {
            if (button->text() == "E&xit") button->click();
        }
    });
    EXPECT_FALSE(model->chkRemoveIfDeleted.value);
    EXPECT_FALSE(box->isChecked());
}

}  // namespace
}  // namespace koru::ui
