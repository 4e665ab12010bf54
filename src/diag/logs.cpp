#include "diag/logs.h"

#include <filesystem>
#include <fstream>
#include <string>

#include "diag/clock.h"
#include "diag/program_folder.h"

namespace koru::diag {

void UT_Write_To_Internal_Log(std::string_view text) {
    // Logging never interrupts the caller: failures to write are dropped.
    try {
        std::ofstream log(programFile("\\XFRLog.log"), std::ios::binary | std::ios::app);
        log << "\r\n\r\n" << shortDate() << '\t' << shortTime() << "\r\n" << text;
    } catch (const std::exception&) {
    }
}

void UT_Output_Debug(std::string_view text) {
    try {
        std::error_code ec;
        if (!std::filesystem::exists(programFile("\\TKImportLog.on"), ec)) return;
        std::ofstream log(programFile("\\TKImportLog.log"), std::ios::binary | std::ios::app);
        log << text << "\r\n";
    } catch (const std::exception&) {
    }
}

}  // namespace koru::diag
