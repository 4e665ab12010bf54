#include "diag/program_folder.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_home.h"

namespace koru::diag {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFolder, KoruHomeThenPortableThenBuildTreeThenXdg) {
    test::TempHome scratch;
    const fs::path root = scratch.path();
    for (const char* folder : {"build/src", "build-old/src", "usr/bin", "portable", "home"}) {
        fs::create_directories(root / folder);
    }
    std::ofstream(root / "portable" / kPortableMarker);

    struct Case {
        const char* what;
        std::string koruHome;
        std::string xdgDataHome;
        fs::path executableFolder;
        fs::path expected;
    };
    const std::string xdg = (root / "xdg").string();
    const fs::path xdgKoru = root / "xdg/koru";
    const fs::path homeKoru = root / "home/.local/share/koru";
    const Case cases[] = {
        {"KORU_HOME wins over a portable copy", "/srv/koru", xdg, root / "portable", "/srv/koru"},
        {"a portable copy uses its own folder", "", xdg, root / "portable", root / "portable"},
        {"a writable build-tree copy", "", xdg, root / "build/src", root / "build/src"},
        {"a writable installed copy (root's /usr/bin)", "", xdg, root / "usr/bin", xdgKoru},
        {"a sibling named like the build tree", "", xdg, root / "build-old/src", xdgKoru},
        {"no XDG_DATA_HOME", "", "", root / "usr/bin", homeKoru},
        {"a relative XDG_DATA_HOME is ignored", "", "data", root / "usr/bin", homeKoru},
        {"the executable's folder is unknown", "", xdg, "", xdgKoru},
    };
    for (const Case& c : cases) {
        FolderSettings settings{c.koruHome, c.xdgDataHome, (root / "home").string(),
                                c.executableFolder, root / "build"};
        EXPECT_EQ(chooseProgramFolder(settings), c.expected) << c.what;
    }
}

}  // namespace
}  // namespace koru::diag
