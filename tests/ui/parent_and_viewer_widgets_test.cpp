#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

#include "editor/parent_dialogs.h"
#include "editor/source_viewers.h"
#include "qt_demo_fixture.h"
#include "support/demo_connections.h"
#include "support/embedded_destination.h"
#include "support/temp_home.h"
#include "ui/qt_host.h"
#include "wizard/scripted_dialogs.h"

namespace koru::ui {
namespace {

QStringList childTexts(const QTreeWidgetItem* item) {
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i) texts << item->child(i)->text(0);
    return texts;
}

class ParentAndViewerWidgets : public QtDemoFixture {};

TEST_F(ParentAndViewerWidgets, TheNavigatorReadsALevelPerExpansionAndTheGridReadsEveryPage) {
    wizard::Navigator& navigator = application.navigator();

    whileModal([&] {
        host.dispatch([&] { navigator.showModal(*navigator.loadDialog(wizard::ScreenId::frmNewParent)); });
    }, [&](QWidget& window) {
        auto* tree = window.findChild<QTreeWidget*>();
        ASSERT_EQ(tree->topLevelItemCount(), 1);
        QTreeWidgetItem* all = tree->topLevelItem(0);
        EXPECT_EQ(all->childCount(), 0);  // nothing read, no placeholder shown
        all->setExpanded(true);
        ASSERT_EQ(childTexts(all), QStringList{"Veltrane Ltd"});
        all->child(0)->setExpanded(true);
        EXPECT_EQ(childTexts(all->child(0)), QStringList{"Help Desk"});
        // Collapsing forgets the level (the items are made anew); expanding reads it again, once.
        all->child(0)->setExpanded(false);
        QApplication::processEvents();
        auto company = [&] { return tree->topLevelItem(0)->child(0); };
        EXPECT_EQ(company()->childCount(), 0);
        company()->setExpanded(true);
        ASSERT_EQ(childTexts(company()), QStringList{"Help Desk"});
        tree->setCurrentItem(company()->child(0));
        for (auto* button : window.findChildren<QPushButton*>()) {
            if (button->text() == "&OK") button->click();
        }
    });
    EXPECT_EQ(context.NewParentID, 2);

    context.source().execute("CREATE TABLE Numbers (n integer)");
    context.source().execute("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 1234) "
                             "INSERT INTO Numbers SELECT n FROM c");
    whileModal([&] {
        host.dispatch([&] {
            dynamic_cast<editor::DataViewDialog&>(*navigator.loadDialog(wizard::ScreenId::frmDataView))
                .Show_Form("Select * from [Numbers]", "Numbers", context.source().connectionString());
        });
    }, [&](QWidget& window) {
        QAbstractItemModel* grid = window.findChild<QTableView*>()->model();
        EXPECT_EQ(grid->rowCount(), static_cast<int>(editor::DataViewDialog::kPageRows));
        while (grid->canFetchMore({})) grid->fetchMore({});
        ASSERT_EQ(grid->rowCount(), 1234);
        EXPECT_EQ(grid->index(1233, 0).data().toString(), "1234");
        window.close();
    });
    EXPECT_EQ(application.screens().find(wizard::ScreenId::frmDataView), nullptr);
}

}  // namespace
}  // namespace koru::ui
