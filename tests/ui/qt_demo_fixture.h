#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>

#include "app/application.h"
#include "support/demo_connections.h"
#include "support/embedded_destination.h"
#include "support/temp_home.h"
#include "ui/qt_host.h"
#include "wizard/scripted_dialogs.h"

namespace koru::ui {

// The program with its Qt host on the demo source and a product database of its own.
class QtDemoFixture : public ::testing::Test {
protected:
    QtDemoFixture() {
        host.attach(application);
        test::connectDemo(context, home.path(), destination);
    }

    test::TempHome home;
    test::EmbeddedDestination destination;
    wizard::ScriptedDialogs dialogs;
    QtHost host;
    app::Application application{host, dialogs, false};
    wizard::Context& context = application.context();
};

// Runs `inWindow` on the modal window that `open` shows; the window is hidden afterwards if it
// is still up, so that a window that does not close fails the test instead of hanging it.
inline void whileModal(const std::function<void()>& open, const std::function<void(QWidget&)>& inWindow) {
    QTimer inLoop;  // gone with this call, should `open` show nothing
    inLoop.setSingleShot(true);
    QObject::connect(&inLoop, &QTimer::timeout, [&] {
        QWidget* window = QApplication::activeModalWidget();
        if (!window) return;
        inWindow(*window);
        if (window->isVisible()) {
            ADD_FAILURE() << "the window is still open";
            window->hide();
        }
    });
    inLoop.start(0);
    open();
}

}  // namespace koru::ui
