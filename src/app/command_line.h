#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace koru::app {

// The raw command line: the arguments joined by single blanks, as the Windows program saw it.
class CommandLine {
public:
    explicit CommandLine(std::vector<std::string> arguments);

    const std::string& raw() const { return m_raw; }
    bool empty() const { return m_raw.empty(); }
    const std::vector<std::string>& arguments() const { return m_arguments; }

    // Cuts the value of `key` (case-sensitive) out of the command line. A quoted value runs
    // from after its opening quote to the next "'"; without the opening quote (a shell took
    // it away) the value runs to the end of that argument. Absent key or no closing quote:
    // value stays empty. Always true: the command line is in memory.
    bool UT_Get_Command_Parameter(std::string_view key, std::string& value) const;

private:
    std::vector<std::string> m_arguments;
    std::string m_raw;
    std::vector<std::size_t> m_argumentEnds;  // offset in m_raw just past each argument
};

// `text` (a command-line value about to be logged) with the password kept out: every occurrence
// of `password`, and whatever follows a "/Password=" key up to its closing quote, becomes "*****".
std::string withoutPassword(std::string_view text, std::string_view password);

// Overwrites the values of /Password= in the process's own arguments, so that the process list
// (/proc/PID/cmdline) does not show them. The arguments must have been copied first.
void hidePasswordArguments(int argc, char** argv);

// What an unattended run is handed once the command line is accepted.
struct UnattendedParameters {
    std::filesystem::path mapFile;  // full path
    std::string product;
    std::string userId;
    std::string password;
    std::string update;
    std::string database;
    bool preview = false;  // --preview: the run rolled back, and what it would do printed
};

// Reads the six keys and checks the mapping file and the update value. A refused value is
// written to the internal log and to `err`, and gives nullopt.
std::optional<UnattendedParameters> readUnattendedParameters(const CommandLine& commandLine, std::ostream& err);

}  // namespace koru::app
