#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "app/command_line.h"

namespace koru::app {

class Application;

// The destination login of the command line; the server and the source come from ConnSet.
struct ConnectionKeys {
    std::string product;
    std::string userId;
    std::string password;
    std::string database;
};

// Fills the connection screen as a user would and presses Next. nullopt once both databases
// are connected; otherwise the exit status, the reason logged and on `err`.
std::optional<int> connectUnattended(Application& application, const ConnectionKeys& keys, std::ostream& err);

// A step whose handler refused to go on: logged and said on `err`; the exit status.
int stoppedAt(std::ostream& err, const std::string& step);

// Runs a saved mapping as a user would, screen by screen, without a display: the connection
// screen, the mapping start screen, the drag-map editor's Next and the import's Start. The exit
// status: 0 once the import has logged its success, 2 for a refused product, 1 for any other
// end (a step that stayed on its screen, an error).
// The result line of a finished import goes to `out`; every message, report and refusal to `err`.
int runUnattended(const UnattendedParameters& parameters, std::ostream& out, std::ostream& err);

}  // namespace koru::app
