#pragma once

#include <ostream>

#include "app/command_line.h"

namespace koru::app {

// Runs a saved mapping as a user would, screen by screen, without a display: the connection
// screen, the mapping start screen, the drag-map editor's Next and the import's Start. The exit
// status: 0 once the import has logged its success, 2 for a refused product, 1 for any other
// end (a step that stayed on its screen, an error).
int runUnattended(const UnattendedParameters& parameters, std::ostream& err);

}  // namespace koru::app
