#include "app/command_line.h"

#include <algorithm>
#include <cctype>
#include <cstring>
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

constexpr std::string_view kPasswordKey = "/Password=";
constexpr std::string_view kMask = "*****";

}  // namespace

std::string withoutPassword(std::string_view text, std::string_view password) {
    std::string masked;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t found = password.empty() ? std::string_view::npos : text.find(password, at);
        if (found == std::string_view::npos) {
            masked.append(text.substr(at));
            break;
        }
        masked.append(text.substr(at, found - at)).append(kMask);
        at = found + password.size();
    }
    // A value cut out of the command line may hold part of the password behind its key.
    for (std::size_t key = masked.find(kPasswordKey); key != std::string::npos; key = masked.find(kPasswordKey, key + 1)) {
        std::size_t start = key + kPasswordKey.size();
        if (start < masked.size() && masked[start] == '\'') ++start;
        std::size_t end = std::min(masked.find('\'', start), masked.size());
        if (end > start) masked.replace(start, end - start, kMask);
    }
    return masked;
}

void hidePasswordArguments(int argc, char** argv) {
    bool inQuotedValue = false;  // a quoted value may go on into the next argument
    for (int i = 1; i < argc; ++i) {
        char* argument = argv[i];
        std::size_t length = std::strlen(argument);
        std::size_t at = 0;
        while (at < length) {
            if (!inQuotedValue) {
                const char* key = std::strstr(argument + at, kPasswordKey.data());
                if (!key) break;
                at = static_cast<std::size_t>(key - argument) + kPasswordKey.size();
                if (at < length && argument[at] == '\'') {
                    inQuotedValue = true;
                    ++at;
                    continue;
                }
                for (; at < length; ++at) argument[at] = '*';  // unquoted: to the end of the argument
                break;
            }
            for (; at < length && argument[at] != '\''; ++at) argument[at] = '*';
            if (at < length) {
                inQuotedValue = false;
                ++at;
            }
        }
    }
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
        refuse(err, "MapFile", withoutPassword(mapFile, parameters.password));
        return std::nullopt;
    }
    // One numeric character, 0 to 3.
    std::string update = diag::trimBlanks(parameters.update);
    if (update.size() != 1 || !std::isdigit(static_cast<unsigned char>(update[0]))) {
        refuse(err, "Update", withoutPassword(parameters.update, parameters.password));
        return std::nullopt;
    }
    if (update[0] > '3') {
        refuse(err, "Update", withoutPassword(parameters.update, parameters.password));
        return std::nullopt;
    }
    return parameters;
}

}  // namespace koru::app
