#include "ui/qt_host.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "connect/connection_screen.h"

#include "support/temp_home.h"
#include "ui/qt_dialogs.h"
#include "ui/wizard_page.h"
#include "wizard/scripted_dialogs.h"

namespace koru::ui {
namespace {

QPushButton* buttonCaptioned(const QString& caption) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible()) continue;
        for (auto* button : window->findChildren<QPushButton*>()) {
            if (button->text() == caption) return button;
        }
    }
    return nullptr;
}

bool labelShown(const QString& text) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible()) continue;
        for (auto* label : window->findChildren<QLabel*>()) {
            if (label->text() == text && label->isVisible()) return true;
        }
    }
    return false;
}

int visibleWindows() {
    int count = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) count += window->isVisible() ? 1 : 0;
    return count;
}

class QtHostTest : public ::testing::Test {
protected:
    QtHostTest() { host.attach(application); }

    test::TempHome home;
    wizard::ScriptedDialogs dialogs;
    QtHost host;
    app::Application application{host, dialogs, false};
};

TEST_F(QtHostTest, WindowsMirrorTheModelsAndClosingAsksTheQuitQuestion) {
    host.dispatch([&] { application.navigator().start(wizard::ScreenId::frmWizIntro); });
    EXPECT_TRUE(labelShown("Welcome to the Veltrane Data Import Utility"));
    QPushButton* exitButton = buttonCaptioned("E&xit");
    ASSERT_NE(exitButton, nullptr);
    EXPECT_FALSE(buttonCaptioned("< &Back")->isEnabled());

    dialogs.expectMessage("Are You Sure You Want To Quit?", wizard::MsgResult::No);
    exitButton->click();
    EXPECT_EQ(visibleWindows(), 1);

    // The window frame's close goes through the same question.
    dialogs.expectMessage("Are You Sure You Want To Quit?", wizard::MsgResult::Yes);
    exitButton->window()->close();
    EXPECT_EQ(dialogs.pending(), 0u);
    EXPECT_EQ(visibleWindows(), 0);
    EXPECT_TRUE(application.screens().loadedScreens().empty());
}

TEST_F(QtHostTest, TheConsoleIsModalUntilItsCloseButton) {
    host.dispatch([&] { application.navigator().start(wizard::ScreenId::frmWizIntro); });
    bool sawConsole = false;
    int expandedBy = 0;
    QTimer::singleShot(0, [&] {
        sawConsole = labelShown("Could Not Open TICKORDB database on srv");
        if (QPushButton* details = buttonCaptioned("&Details")) {
            int collapsed = details->window()->height();
            details->click();
            expandedBy = details->window()->height() - collapsed;
        }
        if (QPushButton* close = buttonCaptioned("&Close")) close->click();
    });
    host.dispatch([&] {
        application.reporter().UT_Report_Error({-2147467259, "no such database"}, "frmConn:Connect_To_servers",
                                               "Could Not Open TICKORDB database on srv");
    });
    // exec() returned: the console was closed by its button and is gone.
    EXPECT_TRUE(sawConsole);
    EXPECT_EQ(expandedBy, (2895 - 1530) / 15);  // the full text shows below
    EXPECT_EQ(application.screens().find(wizard::ScreenId::Error_Handle), nullptr);
    EXPECT_EQ(visibleWindows(), 1);
}

TEST_F(QtHostTest, WhatIsTypedReachesTheConnectionScreenModel) {
    host.dispatch([&] {
        application.navigator().start(wizard::ScreenId::frmWizIntro);
        application.navigator().UT_Wizard_Change_Forms(wizard::ScreenId::frmWizIntro, wizard::ScreenId::frmConn,
                                                       false);
    });
    auto* model = application.screens().get<connect::ConnectionScreen>(wizard::ScreenId::frmConn);
    QWidget* window = buttonCaptioned("&GET")->window();
    QList<QLineEdit*> edits = window->findChildren<QLineEdit*>();
    QLineEdit* user = nullptr;
    for (QLineEdit* edit : edits) {
        if (edit->echoMode() != QLineEdit::Password && !edit->parentWidget()->inherits("QComboBox") &&
            edit->text().isEmpty()) {
            user = edit;  // the first empty plain field is the user ID
            break;
        }
    }
    ASSERT_NE(user, nullptr);
    QTest::keyClicks(user, "helpdesk");
    EXPECT_EQ(model->txtUID.text, "helpdesk");

    QComboBox* product = nullptr;
    for (QComboBox* combo : window->findChildren<QComboBox*>()) {
        if (combo->count() == 2 && combo->itemText(0) == "Ledgora") product = combo;
    }
    ASSERT_NE(product, nullptr);
    emit product->activated(0);  // the user picks Ledgora
    EXPECT_EQ(model->cboProduct.listIndex, 0);
    EXPECT_FALSE(model->txtdbName.visible);
    EXPECT_EQ(application.context().cboProductText, "Ledgora");
}

TEST_F(QtHostTest, TheSourceDialogBuildsItsStringAsTheUserTypes) {
    host.dispatch([&] {
        application.navigator().start(wizard::ScreenId::frmWizIntro);
        application.navigator().UT_Wizard_Change_Forms(wizard::ScreenId::frmWizIntro, wizard::ScreenId::frmConn,
                                                       false);
    });
    auto* model = application.screens().get<connect::ConnectionScreen>(wizard::ScreenId::frmConn);
    QString shownWhileTyping;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = buttonCaptioned("Test &Connection")->window();
        for (QRadioButton* option : dialog->findChildren<QRadioButton*>()) {
            if (option->text().contains("SQLite")) option->click();
        }
        QLineEdit* file = nullptr;
        QLineEdit* result = nullptr;
        for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
            if (edit->isEnabled() && edit->echoMode() == QLineEdit::Normal && !edit->isReadOnly()) file = edit;
            if (edit->isReadOnly()) result = edit;
        }
        ASSERT_NE(file, nullptr);
        ASSERT_NE(result, nullptr);
        QTest::keyClicks(file, "/data/x.db");
        shownWhileTyping = result->text();
        buttonCaptioned("&OK")->click();
    });
    host.dispatch([&] { model->cmdNew_Click(); });
    EXPECT_EQ(shownWhileTyping, "Provider=SQLite;Data Source=/data/x.db");
    EXPECT_EQ(model->txtSConn.text, "Provider=SQLite;Data Source=/data/x.db");
}

TEST_F(QtHostTest, WizardPagesShareOneSizeThatFitsTheSmallDisplayAndMessagesFitTheirTitle) {
    using wizard::ScreenId;
    const QSize frame(0, 60);  // a title bar and a panel
    // (The pages that read the destination as they load are sized by the same frame.)
    for (ScreenId id : {ScreenId::frmWizIntro, ScreenId::frmConn, ScreenId::frmDBSave}) {
        ScreenWidget& window = host.widgetFor(*application.screens().load(id));
        EXPECT_EQ(window.size(), kWizardPageSize) << wizard::screenName(id);
        EXPECT_TRUE((window.minimumSizeHint() + frame).boundedTo(QSize(1280, 800)) == window.minimumSizeHint() + frame)
            << wizard::screenName(id);
    }
    // The next page opens where the last one was.
    host.dispatch([&] {
        application.navigator().start(ScreenId::frmWizIntro);
        application.navigator().UT_Wizard_Change_Forms(ScreenId::frmWizIntro, ScreenId::frmConn, false);
    });
    EXPECT_EQ(host.widgetFor(*application.screens().find(ScreenId::frmConn)).pos(),
              host.widgetFor(*application.screens().find(ScreenId::frmWizIntro)).pos());

    QMessageBox box;
    box.setWindowTitle("Veltrane Data Import Utility - a title longer than its message");
    box.setText("OK?");
    fitToTitle(box);
    EXPECT_GT(box.sizeHint().width(), box.fontMetrics().horizontalAdvance(box.windowTitle()));
}

}  // namespace
}  // namespace koru::ui

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
