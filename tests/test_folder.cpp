// Folders of the test process's own, removed when the process ends.
#include "test_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Whole process: created on first use, removed at exit unless a test failed (its files stay
// for a look).
struct ProcessFolder {
    fs::path root;
    ProcessFolder()
        : root(fs::path(::testing::TempDir()) / ("tarnvell-" + std::to_string(::getpid()))) {}
    ~ProcessFolder() {
        if (::testing::UnitTest::GetInstance()->Failed())
            return;
        std::error_code error;
        fs::remove_all(root, error);
    }
};

} // namespace

fs::path TestRoot() {
    static const ProcessFolder process;
    fs::create_directories(process.root);
    return process.root;
}

fs::path TestFolder(const std::string& name) {
    const fs::path folder = TestRoot() / name;
    std::error_code error;
    fs::remove_all(folder, error);
    fs::create_directories(folder);
    return folder;
}
