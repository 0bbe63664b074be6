// The data folders, the file names inside them, and the careful reader of their files.
#pragma once
#include <string>

// Finds the Map/, Graph/ and Sound/ folders: --data when given, else the program's own folder,
// then ../share/tarnvell/ beside it, then tarnvell/ in $XDG_DATA_HOME and each of
// $XDG_DATA_DIRS. False when no folder holding any of the three is found. Called once, first.
bool InitDataPaths();
const std::string& MapFolder();   // ends with '/'; UTF-8 bytes as the system gave them
const std::string& GraphFolder(); // ends with '/'
const std::string& SoundFolder(); // ends with '/'

// The parts of the search, apart for tests.
// The folder of a program file: everything before its last '/' ("/" for a file at the root,
// "." for a bare name, which lives in the working folder).
std::string ProgramFolderOf(const std::string& programPath);
struct DataSearch {
    std::string programPath; // the running program file
    std::string dataDir;     // --data; when not empty it is the only place tried
    std::string xdgDataHome; // empty: $HOME/.local/share
    std::string xdgDataDirs; // colon-separated; empty: /usr/local/share/:/usr/share/
    std::string home;        // $HOME
};
// The first folder of the search holding Map/, Graph/ or Sound/, ending with '/'.
bool FindDataFolder(const DataSearch& search, std::string& folder);
// Makes `folder` (ending with '/' or not) the home of the three data folders.
void SetDataFolder(const std::string& folder);

// `folder` followed directly by `name`, in a buffer kept between calls so that reloading a
// picture during the menus allocates nothing. Valid until the next call.
const char* DataFilePath(const std::string& folder, const char* name);

// Reads up to `count` bytes of an open file, riding out interrupted and partial reads.
// Returns the bytes read: fewer at the file's end or on an error.
size_t ReadUpTo(int file, uint8_t* buffer, size_t count);
