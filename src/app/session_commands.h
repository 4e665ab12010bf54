#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/unattended_run.h"

namespace koru::app {

// koru --history / koru --undo ID: what a scheduled job needs to inspect and take back its work.
struct SessionCommand {
    enum class Kind { History, Undo } kind = Kind::History;
    std::int32_t importId = 0;  // the session to undo
    ConnectionKeys keys;
};

// Reads "--history KEYS" or "--undo ID KEYS"; nullopt when the arguments are neither. A refused
// value sets `refused` and is said on `err`.
std::optional<SessionCommand> readSessionCommand(const std::vector<std::string>& arguments, std::ostream& err,
                                                 bool& refused);

// Connects as an unattended run does, then lists the sessions newest first (one line each:
// id, date, user, computer, mapping, items recorded, the session it updated, TAB-separated) or
// deletes one as the history screen does and says what went. The exit status: 0 done, 1 failed,
// 2 refused parameters.
int runSessionCommand(const SessionCommand& command, std::ostream& out, std::ostream& err);

}  // namespace koru::app
