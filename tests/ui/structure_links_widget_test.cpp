#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "db/demo_source.h"
#include "editor/structure_links_screen.h"
#include "qt_demo_fixture.h"
#include "support/demo_connections.h"
#include "support/embedded_destination.h"
#include "support/temp_home.h"
#include "ui/qt_host.h"
#include "wizard/scripted_dialogs.h"

namespace koru::ui {
namespace {

QGroupBox* frameTitled(QWidget& window, const std::string& title) {
    for (auto* frame : window.findChildren<QGroupBox*>()) {
        if (frame->title().toStdString() == title) return frame;
    }
    return nullptr;
}

class StructureLinksWidget : public QtDemoFixture {};

TEST_F(StructureLinksWidget, TheChosenIdentifierReachesTheModelAndTheLinkFramesStandSideBySide) {
    context.Gstructures.resize(3);
    context.Gstructures[1].Name = "Company";
    context.Gstructures[2].Name = "Department";
    context.Gstructures[2].ULinkID = 1;
    context.Gstructures[2].bottomLevel = true;

    host.dispatch([&] { application.navigator().start(wizard::ScreenId::frmStructureLinks); });
    auto* model = application.screens().get<editor::StructureLinksScreen>(wizard::ScreenId::frmStructureLinks);
    ScreenWidget& window = host.widgetFor(*model);
    QApplication::processEvents();
    QGroupBox* own = frameTitled(window, "Department");
    ASSERT_NE(own, nullptr);
    QGroupBox* dataSource = qobject_cast<QGroupBox*>(own->parentWidget());
    ASSERT_NE(dataSource, nullptr);
    EXPECT_NEAR(own->geometry().center().x(), dataSource->rect().center().x(), 2);

    // Choosing the table lists its columns; the row clicked is the model's selection.
    auto* tables = own->findChild<QComboBox*>();
    auto* columns = own->findChild<QListWidget*>();
    tables->setCurrentIndex(tables->findText("Department"));
    emit tables->activated(tables->currentIndex());
    ASSERT_EQ(columns->count(), 5);
    QListWidgetItem* deptId = columns->findItems("DeptID", Qt::MatchExactly).value(0);
    QTest::mouseClick(columns->viewport(), Qt::LeftButton, {}, columns->visualItemRect(deptId).center());
    EXPECT_EQ(model->lstLink2.selectedText(), "DeptID");

    QPushButton* addLink = nullptr;
    for (auto* button : window.findChildren<QPushButton*>()) {
        if (button->text() == "Add Identifier") addLink = button;
    }
    ASSERT_NE(addLink, nullptr);
    QTest::mouseClick(addLink, Qt::LeftButton);
    EXPECT_EQ(test::rowsOf(*destination.connect(), "SELECT DLink FROM XFRStructure WHERE ID = 2"),
              "[Department].[DeptID]\n");
    QGroupBox* parent = frameTitled(window, "Company");
    ASSERT_TRUE(parent && parent->isVisible());
    QApplication::processEvents();
    EXPECT_LT(parent->geometry().right(), own->geometry().left());
    EXPECT_EQ(columns->count(), 0);
    EXPECT_EQ(dialogs.pending(), 0u);
}

}  // namespace
}  // namespace koru::ui
