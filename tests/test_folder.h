// Folders of the test process's own, so that parallel runs never see each other's files.
#pragma once
#include <filesystem>
#include <string>

// This process's own folder under the test temporary folder (pid in its name), created on
// first use. The process folder and everything in it is removed when the process ends,
// unless a test failed.
std::filesystem::path TestRoot();

// A fresh, empty folder called `name` inside TestRoot(). Calling again with the same name
// empties it again.
std::filesystem::path TestFolder(const std::string& name);
