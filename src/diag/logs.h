#pragma once

#include <string_view>

namespace koru::diag {

// Appends an entry to "\XFRLog.log": two line ends, date TAB time, CR LF, the text.
void UT_Write_To_Internal_Log(std::string_view text);

// Appends a line to "\TKImportLog.log" while the marker "\TKImportLog.on" exists.
void UT_Output_Debug(std::string_view text);

}  // namespace koru::diag
