#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QTest>

#include "db/demo_source.h"
#include "editor/drag_map_screen.h"
#include "mapping/mapping_repository.h"
#include "qt_demo_fixture.h"
#include "support/demo_connections.h"
#include "support/embedded_destination.h"
#include "support/temp_home.h"
#include "ui/model_tree_widget.h"
#include "ui/qt_host.h"
#include "wizard/scripted_dialogs.h"

namespace koru::ui {
namespace {

// The tree of the window that shows the node.
ModelTreeWidget* treeShowing(QWidget& window, const std::string& key) {
    for (auto* tree : window.findChildren<ModelTreeWidget*>()) {
        if (tree->itemOf(key)) return tree;
    }
    return nullptr;
}

class DragMapWidget : public QtDemoFixture {};

TEST_F(DragMapWidget, ADraggedColumnDroppedOnAFieldBecomesAMappingRowAndAChildNode) {
    mapping::MappingRepository(*context.DestinationConnection, *context.destinationDialect).writeLevels({"Company"});
    mapping::rebuildStructureLevels(*context.DestinationConnection, context);
    context.Gstructures[1].StyleID = 1;  // its name field is mandatory

    host.dispatch([&] { application.navigator().start(wizard::ScreenId::frmDragMap); });
    auto* model = application.screens().get<editor::DragMapScreen>(wizard::ScreenId::frmDragMap);
    ScreenWidget& window = host.widgetFor(*model);
    QApplication::processEvents();
    ModelTreeWidget* sourceTree = treeShowing(window, "TABLES");
    ModelTreeWidget* fields = treeShowing(window, "CIID.Alpha2");
    ASSERT_TRUE(sourceTree && fields);
    EXPECT_EQ(fields->itemOf("CIID.Alpha1")->foreground(0).color(), QColor(Qt::red));

    // Columns are read when their table is first expanded; the items shown stay.
    QTreeWidgetItem* tables = sourceTree->itemOf("TABLES");
    tables->setData(0, Qt::UserRole + 1, true);
    tables->setExpanded(true);
    sourceTree->itemOf("Company")->setExpanded(true);
    EXPECT_TRUE(sourceTree->itemOf("TABLES")->data(0, Qt::UserRole + 1).toBool());
    const std::string column = "Company@--##--@CoName";
    QTreeWidgetItem* columnItem = sourceTree->itemOf(column);
    ASSERT_NE(columnItem, nullptr);
    QPoint pressed = sourceTree->visualItemRect(columnItem).center();
    QTest::mousePress(sourceTree->viewport(), Qt::LeftButton, {}, pressed);
    QTest::mouseRelease(sourceTree->viewport(), Qt::LeftButton, {}, pressed);

    // What the platform delivers while the column is dragged over the field and dropped.
    QMimeData dragged;
    dragged.setData(kSourceNodeMime, QByteArray::fromStdString(column));
    QPoint target = fields->visualItemRect(fields->itemOf("CIID.Alpha2")).center();
    QDragEnterEvent enter(target, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(fields->viewport(), &enter);
    QDragMoveEvent move(target, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(fields->viewport(), &move);
    EXPECT_TRUE(move.isAccepted());
    EXPECT_EQ(fields->itemOf("CIID.Alpha2")->background(0), fields->palette().brush(QPalette::Highlight));
    QDropEvent drop(QPointF(target), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(fields->viewport(), &drop);
    QApplication::processEvents();

    EXPECT_EQ(test::rowsOf(*destination.connect(),
                           "SELECT StructureID, SourceTable, SourceColumn, DestinTable, DestinColumn, Level "
                           "FROM XFRMappings"),
              "1|Company|CoName|CIID|Alpha2|1\n");
    QTreeWidgetItem* field = fields->itemOf("CIID.Alpha2");
    ASSERT_EQ(field->childCount(), 1);
    EXPECT_EQ(field->child(0)->text(0), "CoName");
    EXPECT_TRUE(field->isExpanded());
    EXPECT_EQ(field->background(0), QBrush());
    // The mapped column cannot be dragged again.
    EXPECT_FALSE(sourceTree->itemOf(column)->flags() & Qt::ItemIsDragEnabled);
    EXPECT_EQ(dialogs.pending(), 0u);
}

}  // namespace
}  // namespace koru::ui
