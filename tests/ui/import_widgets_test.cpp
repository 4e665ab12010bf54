#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "import/import_info_screen.h"
#include "import/import_screen.h"
#include "support/temp_home.h"
#include "ui/qt_host.h"
#include "wizard/scripted_dialogs.h"

namespace koru::ui {
namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

class ImportWidgetsTest : public ::testing::Test {
protected:
    ImportWidgetsTest() { host.attach(application); }

    template <class Model>
    Model& shown(wizard::ScreenId id) {
        auto* model = dynamic_cast<Model*>(application.screens().load(id));
        if (!model) throw std::logic_error("screen not available");
        ScreenWidget& window = host.widgetFor(*model);
        window.sync();
        window.show();
        QApplication::processEvents();
        return *model;
    }

    test::TempHome home;
    wizard::ScriptedDialogs dialogs;
    QtHost host;
    app::Application application{host, dialogs, false};
};

TEST_F(ImportWidgetsTest, LongWorkRedrawsTheProgressAtMostEveryInterval) {
    auto& model = shown<import::ImportScreen>(wizard::ScreenId::frmDBSave);
    QWidget& window = host.widgetFor(model);
    QProgressBar* overall = nullptr;
    for (auto* frame : window.findChildren<QGroupBox*>()) {
        if (frame->title().toStdString() == model.fraOverall.caption) overall = frame->findChild<QProgressBar*>();
    }
    ASSERT_NE(overall, nullptr);
    model.lblRecNumImport.caption = "Total Records Imported : 0";
    host.refresh(model);
    QLabel* records = nullptr;
    for (auto* label : window.findChildren<QLabel*>()) {
        if (label->text().toStdString() == model.lblRecNumImport.caption) records = label;
    }
    ASSERT_NE(records, nullptr);
    PaintCounter counter;
    records->installEventFilter(&counter);

    model.repaint();  // the first call draws and starts the interval
    model.pbOverall.max = 10;
    model.pbOverall.value = 3;
    model.lblRecNumImport.caption = "Total Records Imported : 1234";
    model.repaint();
    EXPECT_EQ(overall->value(), 0);

    counter.paints = 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(QtHost::kRepaintIntervalMs + 10));
    model.repaint();
    EXPECT_EQ(overall->maximum(), 10);
    EXPECT_EQ(overall->value(), 3);
    // A label only asks to be painted: it shows now only because pending paints were run.
    EXPECT_GT(counter.paints, 0);
}

TEST_F(ImportWidgetsTest, AMessageAtTheEndShowsTheFinalFiguresBehindIt) {
    auto& model = shown<import::ImportScreen>(wizard::ScreenId::frmDBSave);
    QWidget& window = host.widgetFor(model);
    model.repaint();  // starts the interval: the figures below would wait for the next draw
    model.pbOverall.max = 4;
    model.pbOverall.value = 4;
    model.lblRecNumImport.caption = "Total Records Imported : 23";
    model.repaint();
    std::vector<int> bars;
    bool countShown = false;
    dialogs.onMessage = [&](const wizard::ScriptedDialogs::Shown&) {
        for (auto* bar : window.findChildren<QProgressBar*>()) bars.push_back(bar->value());
        for (auto* label : window.findChildren<QLabel*>()) countShown |= label->text() == "Total Records Imported : 23";
    };
    dialogs.expectMessage("Veltrane Data Import Completed Successfully");
    application.dialogs().messageBox("Veltrane Data Import Completed Successfully", wizard::MsgButtons::OK,
                                     wizard::MsgIcon::Exclamation, "Veltrane Data Import Utility");
    EXPECT_TRUE(countShown);
    EXPECT_NE(std::find(bars.begin(), bars.end(), 4), bars.end());
}

TEST_F(ImportWidgetsTest, WhatIsTypedReachesTheImportInformationModel) {
    auto& model = shown<import::ImportInfoScreen>(wizard::ScreenId::frmImportInfo);
    QWidget& window = host.widgetFor(model);
    QLineEdit* user = nullptr;
    for (auto* label : window.findChildren<QLabel*>()) {
        if (label->text().toStdString() == model.lblUserID.caption) user = qobject_cast<QLineEdit*>(label->buddy());
    }
    ASSERT_NE(user, nullptr);
    user->clear();
    QTest::keyClicks(user, "obrien");
    user->setCursorPosition(1);
    QTest::keyClicks(user, "'");
    // The quote is replaced as it is typed, and the caret stays after it.
    EXPECT_EQ(model.txtUserID.text, "o`brien");
    EXPECT_EQ(user->text(), "o`brien");
    EXPECT_EQ(user->cursorPosition(), 2);

    window.findChild<QPlainTextEdit*>()->setPlainText("first\nsecond");
    EXPECT_EQ(model.rtbNotes.text, "first\nsecond");
}

}  // namespace
}  // namespace koru::ui
