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

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool isInside(const fs::path& folder, const fs::path& tree) {
    std::error_code ec;
    fs::path inner = fs::weakly_canonical(folder, ec);
    if (ec) return false;
    fs::path outer = fs::weakly_canonical(tree, ec);
    if (ec) return false;
    // By path components, so that "build-old" is not inside "build".
    fs::path relative = inner.lexically_relative(outer);
    return !relative.empty() && *relative.begin() != "..";
}

}  // namespace

fs::path chooseProgramFolder(const FolderSettings& settings) {
    if (!settings.koruHome.empty()) return settings.koruHome;
    const fs::path& own = settings.executableFolder;
    if (!own.empty()) {
        std::error_code ec;
        if (fs::exists(own / kPortableMarker, ec)) return own;
        if (!settings.buildTree.empty() && isInside(own, settings.buildTree) &&
            ::access(own.c_str(), W_OK) == 0) {
            return own;
        }
    }
    // A relative XDG_DATA_HOME is invalid and ignored.
    fs::path dataHome = settings.xdgDataHome;
    if (dataHome.empty() || dataHome.is_relative()) {
        dataHome = fs::path(settings.home.empty() ? "/tmp" : settings.home) / ".local" / "share";
    }
    return dataHome / "koru";
}

fs::path programFolder() {
    FolderSettings settings{environment("KORU_HOME"), environment("XDG_DATA_HOME"),
                            environment("HOME"), executableFolder(), KORU_BUILD_TREE};
    fs::path folder = chooseProgramFolder(settings);
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
