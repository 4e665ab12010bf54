#pragma once

#include <gtest/gtest.h>

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

}  // namespace koru::ui
