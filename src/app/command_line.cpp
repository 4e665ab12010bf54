#include "app/command_line.h"

#include <cctype>
#include <ostream>

#include "diag/logs.h"
#include "diag/program_folder.h"
#include "diag/text.h"

namespace koru::app {

CommandLine::CommandLine(std::vector<std::string> arguments) : m_arguments(std::move(arguments)) {
    for (std::size_t i = 0; i < m_arguments.size(); ++i) {
        if (i > 0) m_raw += ' ';
        m_raw += m_arguments[i];
        m_argumentEnds.push_back(m_raw.size());
    }
}

bool CommandLine::UT_Get_Command_Parameter(std::string_view key, std::string& value) const {
    std::size_t position = m_raw.find(key);
    if (position == std::string::npos || key.empty()) return true;
    std::size_t afterEquals = position + key.size();
    if (afterEquals < m_raw.size() && m_raw[afterEquals] == '\'') {
        std::size_t start = afterEquals + 1;
        std::size_t closing = m_raw.find('\'', start);
        if (closing != std::string::npos) value = m_raw.substr(start, closing - start);
        return true;
    }
    std::size_t end = m_raw.size();
    for (std::size_t argumentEnd : m_argumentEnds) {
        if (argumentEnd >= afterEquals) {
            end = argumentEnd;
            break;
        }
    }
    value = m_raw.substr(afterEquals, end - afterEquals);
    return true;
}

namespace {

void refuse(std::ostream& err, std::string_view argument, const std::string& value) {
    std::string line = "Incorrect parameter passed, Arguement=" + std::string(argument) + ", VALUE=" + value;
    diag::UT_Write_To_Internal_Log(line);
    err << "koru: " << line << '\n';
}

}  // namespace

std::optional<UnattendedParameters> readUnattendedParameters(const CommandLine& commandLine, std::ostream& err) {
    UnattendedParameters parameters;
    std::string mapFile;
    commandLine.UT_Get_Command_Parameter("/MapFile=", mapFile);
    commandLine.UT_Get_Command_Parameter("/Product=", parameters.product);
    commandLine.UT_Get_Command_Parameter("/UserID=", parameters.userId);
    commandLine.UT_Get_Command_Parameter("/Password=", parameters.password);
    commandLine.UT_Get_Command_Parameter("/Update=", parameters.update);
    commandLine.UT_Get_Command_Parameter("/Database=", parameters.database);
    if (parameters.database.empty()) parameters.database = "TICKORDB";

    // An absolute path is taken as it stands; a relative one is in the program folder.
    std::filesystem::path named(diag::toNativeSeparators(mapFile));
    parameters.mapFile = named.is_absolute() ? named : std::filesystem::path(diag::programFolder().string() + "/" +
                                                                             diag::toNativeSeparators(mapFile));
    std::error_code ec;
    if (!std::filesystem::is_regular_file(parameters.mapFile, ec)) {
        refuse(err, "MapFile", mapFile);
        return std::nullopt;
    }
    // One numeric character, 0 to 3.
    std::string update = diag::trimBlanks(parameters.update);
    if (update.size() != 1 || !std::isdigit(static_cast<unsigned char>(update[0]))) {
        refuse(err, "Update", parameters.update);
        return std::nullopt;
    }
    if (update[0] > '3') {
        refuse(err, "Update", parameters.update);
        return std::nullopt;
    }
    return parameters;
}

}  // namespace koru::app
