// The layer check of scripts/check-layers: clean on the real tree, failing on a folder that
// includes one above it or on a folder with no place in the order.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "test_folder.h"

namespace {

namespace fs = std::filesystem;

int CheckLayers(const fs::path& root) {
    const std::string command =
        std::string(TARNVELL_SOURCE) + "/scripts/check-layers '" + root.string() + "' 2>/dev/null";
    return std::system(command.c_str());
}

void WriteSource(const fs::path& root, const std::string& file, const std::string& text) {
    fs::create_directories((root / file).parent_path());
    std::ofstream(root / file) << text;
}

} // namespace

TEST(Layers, RealTreeIsCleanAndEveryWrongArrowFails) {
    EXPECT_EQ(CheckLayers(TARNVELL_SOURCE), 0);

    struct Case {
        const char* file;
        const char* text;
        bool clean;
    };
    const Case cases[] = {
        {"src/render/a.cpp", "#include \"render/a.h\"\n#include \"base/frame.h\"\n", true},
        {"src/render/a.cpp", "#include <vector>\n#include \"sound/sound.h\"\n", true},
        {"src/render/a.cpp", "#include \"screens/settings.h\"\n", false},
        {"src/assets/a.h", "#pragma once\n#include \"race/course.h\"\n", false},
        {"src/platform/a.cpp", "  #  include \"base/frame.h\"\n", false},
        {"src/base/a.cpp", "#include \"app/window.h\"\n", false},
        {"src/newfolder/a.cpp", "#include \"base/frame.h\"\n", false},
    };
    for (const Case& c : cases) {
        const fs::path root = TestFolder("layers");
        WriteSource(root, "src/app/main.cpp", "#include \"screens/screens.h\"\n");
        WriteSource(root, c.file, c.text);
        EXPECT_EQ(CheckLayers(root) == 0, c.clean) << c.file << ": " << c.text;
    }
}
