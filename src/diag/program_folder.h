#pragma once

#include <filesystem>
#include <string_view>

namespace koru::diag {

// The folder that holds logs, settings and mapping templates: $KORU_HOME, else the
// executable's folder when writable, else $XDG_DATA_HOME/koru. Created on first use.
std::filesystem::path programFolder();

// The path of a program-folder file named the Windows way ("\XFRLog.log", "sub\map.xfo").
std::filesystem::path programFile(std::string_view windowsRelativeName);

// A path written with backslashes, as the Windows version wrote them, in Linux form.
std::string toNativeSeparators(std::string_view path);
std::filesystem::path toNativeSeparatorsPath(std::string_view path);

}  // namespace koru::diag
