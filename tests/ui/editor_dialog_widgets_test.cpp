#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "editor/data_clause_dialog.h"
#include "editor/table_link_dialog.h"
#include "mapping/mapping_repository.h"
#include "qt_demo_fixture.h"
#include "support/demo_connections.h"
#include "support/embedded_destination.h"
#include "support/temp_home.h"
#include "ui/qt_host.h"
#include "wizard/scripted_dialogs.h"

namespace koru::ui {
namespace {

QPushButton* buttonCaptioned(QWidget& window, const QString& caption) {
    for (auto* button : window.findChildren<QPushButton*>()) {
        if (button->text() == caption) return button;
    }
    return nullptr;
}

class EditorDialogWidgets : public QtDemoFixture {};

TEST_F(EditorDialogWidgets, ATypedClauseIsStoredAndClosingTheLinksWindowWarnsOfMissingLinks) {
    mapping::MappingRepository mappings(context.destination(), context.dialect());
    mappings.writeLevels({"Department"});
    mapping::rebuildStructureLevels(context.destination(), context);
    for (const char* table : {"Department", "Company"}) {
        mapping::ColumnMapping row;
        row.sourceTable = table;
        row.sourceColumn = "CoID";
        row.destinTable = "CIID";
        row.destinColumn = "Num1";
        mappings.addMapping(row);
    }
    wizard::Navigator& navigator = application.navigator();

    whileModal([&] {
        host.dispatch([&] {
            dynamic_cast<editor::DataClauseDialog&>(*navigator.loadDialog(wizard::ScreenId::frmGenDataClause))
                .Show_Form(1);
        });
    }, [&](QWidget& window) {
        auto* columns = window.findChild<QGroupBox*>()->findChild<QListWidget*>();
        QListWidgetItem* name = columns->findItems("DeptName", Qt::MatchExactly).value(0);
        ASSERT_NE(name, nullptr);
        QTest::mouseClick(columns->viewport(), Qt::LeftButton, {}, columns->visualItemRect(name).center());
        QComboBox* criteria = nullptr;
        for (auto* combo : window.findChildren<QComboBox*>()) {
            if (combo->isEditable()) criteria = combo;
            if (combo->findText("Contains") == 2) {
                combo->setCurrentIndex(2);
                emit combo->activated(2);
            }
        }
        ASSERT_NE(criteria, nullptr);
        QTest::keyClicks(criteria->lineEdit(), "OHara");
        criteria->lineEdit()->setCursorPosition(1);
        QTest::keyClicks(criteria->lineEdit(), "'");
        // The quote is replaced as it is typed, and the caret stays after it.
        EXPECT_EQ(criteria->currentText(), "O`Hara");
        EXPECT_EQ(criteria->lineEdit()->cursorPosition(), 2);
        QTest::mouseClick(buttonCaptioned(window, "&Add"), Qt::LeftButton);
        EXPECT_EQ(criteria->currentText(), "");
        buttonCaptioned(window, "E&xit")->click();
    });
    EXPECT_EQ(test::rowsOf(*destination.connect(), "SELECT SourceTable, SourceColumn, Criteria FROM XFRClause"),
              "Department|DeptName|%O`Hara%\n");

    // Two tables and no link: the window frame's close asks, as the exit button does, and closes.
    dialogs.expectMessageStartingWith("There Are 2 Tables", wizard::MsgResult::No);
    whileModal([&] {
        host.dispatch([&] {
            dynamic_cast<editor::TableLinkDialog&>(*navigator.loadDialog(wizard::ScreenId::frmTableLink)).Show_Form(1);
        });
    }, [&](QWidget& window) { window.close(); });
    EXPECT_EQ(dialogs.pending(), 0u);
    EXPECT_EQ(application.screens().find(wizard::ScreenId::frmTableLink), nullptr);
}

}  // namespace
}  // namespace koru::ui
