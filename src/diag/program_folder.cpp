#include "diag/program_folder.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <system_error>

namespace koru::diag {
namespace fs = std::filesystem;

namespace {

fs::path executableFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path{} : exe.parent_path();
}

fs::path dataHomeFolder() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return fs::path(xdg) / "koru";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".local" / "share" / "koru";
}

}  // namespace

fs::path programFolder() {
    fs::path folder;
    if (const char* koruHome = std::getenv("KORU_HOME"); koruHome && *koruHome) {
        folder = koruHome;
    } else {
        folder = executableFolder();
        if (folder.empty() || ::access(folder.c_str(), W_OK) != 0) folder = dataHomeFolder();
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    return folder;
}

std::string toNativeSeparators(std::string_view path) {
    std::string native(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

fs::path toNativeSeparatorsPath(std::string_view path) { return fs::path(toNativeSeparators(path)); }

fs::path programFile(std::string_view windowsRelativeName) {
    // Plain concatenation, as the rules join folder and name: "\" + an absolute path is not found.
    std::string name = toNativeSeparators(windowsRelativeName);
    if (name.empty() || name.front() != '/') name.insert(name.begin(), '/');
    return fs::path(programFolder().string() + name);
}

}  // namespace koru::diag
