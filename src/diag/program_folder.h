#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace koru::diag {

// The folder that holds logs, settings and mapping templates, created on first use:
// 1. $KORU_HOME when set;
// 2. the executable's folder when it holds a file "koru.portable" (a portable copy);
// 3. the executable's folder when it is writable and inside the build tree the binary was
//    built in (an installed copy never uses its own folder: /usr/bin is writable for root);
// 4. $XDG_DATA_HOME/koru, by default ~/.local/share/koru.
std::filesystem::path programFolder();

// What the rule above reads from the process, so that it can be applied to any layout.
struct FolderSettings {
    std::string koruHome;     // $KORU_HOME
    std::string xdgDataHome;  // $XDG_DATA_HOME
    std::string home;         // $HOME
    std::filesystem::path executableFolder;
    std::filesystem::path buildTree;
};

// The rule of programFolder() for the given settings; reads the file system, creates nothing.
std::filesystem::path chooseProgramFolder(const FolderSettings& settings);

inline constexpr std::string_view kPortableMarker = "koru.portable";

// The path of a program-folder file named the Windows way ("\XFRLog.log", "sub\map.xfo").
std::filesystem::path programFile(std::string_view windowsRelativeName);

// A path written with backslashes, as the Windows version wrote them, in Linux form.
std::string toNativeSeparators(std::string_view path);
std::filesystem::path toNativeSeparatorsPath(std::string_view path);

}  // namespace koru::diag
