#pragma once

#include <string>

#include "app/application.h"
#include "support/embedded_destination.h"
#include "support/temp_home.h"
#include "wizard/scripted_dialogs.h"

namespace koru::test {

// A host that counts the repaints a long run asks for.
class CountingHost : public wizard::HeadlessHost {
public:
    void repaint(wizard::Screen&) override { ++repaints; }
    int repaints = 0;
};

// The program without a display: its own program folder, a product database, scripted dialogs
// and a host that counts repaints.
struct HeadlessWizard {
    explicit HeadlessWizard(db::Product product = db::Product::Tickora) : destination(product) {}

    void execute(const std::string& sql) { context.DestinationConnection->execute(sql); }
    // Read on a connection of its own, so that it also works after the program closed its own.
    std::string rows(const std::string& sql) { return rowsOf(*destination.connect(), sql); }

    TempHome home;
    EmbeddedDestination destination;
    CountingHost host;
    wizard::ScriptedDialogs dialogs;
    app::Application application{host, dialogs, false};
    wizard::Context& context = application.context();
};

}  // namespace koru::test
