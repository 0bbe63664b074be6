// The data folders: where Map/, Graph/ and Sound/ are found, kept as UTF-8 bytes.
#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "assets/paths.h"
#include "base/options.h"

namespace {

// Whole run, set once by InitDataPaths (or SetDataFolder in tests).
std::string MapPath, GraphPath, SoundPath;
// The last formed file path; its storage is reused so that later loads allocate nothing.
std::string FilePathBuffer;

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsAbsolute(const std::string& path) {
    return !path.empty() && path[0] == '/';
}

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

bool HoldsData(const std::string& folder) {
    return IsFolder(folder + "Map") || IsFolder(folder + "Graph") || IsFolder(folder + "Sound");
}

// The program file's full path from the system, of any length.
std::string RunningProgramPath() {
    std::string path(256, '\0');
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0)
            return std::string();
        if (static_cast<size_t>(length) < path.size()) {
            path.resize(static_cast<size_t>(length));
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

} // namespace

std::string ProgramFolderOf(const std::string& programPath) {
    size_t slash = programPath.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return programPath.substr(0, slash);
}

bool FindDataFolder(const DataSearch& search, std::string& folder) {
    if (!search.dataDir.empty()) {
        folder = WithSlash(search.dataDir);
        return HoldsData(folder);
    }
    std::vector<std::string> candidates;
    if (!search.programPath.empty()) {
        std::string program = WithSlash(ProgramFolderOf(search.programPath));
        candidates.push_back(program);
        candidates.push_back(program + "../share/tarnvell/");
    }
    // The XDG base directories, with their documented defaults when unset or empty; relative
    // entries are invalid there and ignored.
    std::string dataHome = IsAbsolute(search.xdgDataHome) ? search.xdgDataHome : std::string();
    if (dataHome.empty() && IsAbsolute(search.home))
        dataHome = WithSlash(search.home) + ".local/share";
    if (!dataHome.empty())
        candidates.push_back(WithSlash(dataHome) + "tarnvell/");
    std::string dataDirs =
        search.xdgDataDirs.empty() ? "/usr/local/share/:/usr/share/" : search.xdgDataDirs;
    for (size_t start = 0; start <= dataDirs.size();) {
        size_t colon = dataDirs.find(':', start);
        if (colon == std::string::npos)
            colon = dataDirs.size();
        std::string entry = dataDirs.substr(start, colon - start);
        if (IsAbsolute(entry))
            candidates.push_back(WithSlash(entry) + "tarnvell/");
        start = colon + 1;
    }
    for (const std::string& candidate : candidates) {
        if (HoldsData(candidate)) {
            folder = candidate;
            return true;
        }
    }
    return false;
}

void SetDataFolder(const std::string& folder) {
    std::string base = WithSlash(folder);
    MapPath = base + "Map/";
    GraphPath = base + "Graph/";
    SoundPath = base + "Sound/";
    // Room for the longest folder and any of the game's file names.
    FilePathBuffer.reserve(base.size() + 64);
}

bool InitDataPaths() {
    DataSearch search;
    search.programPath = RunningProgramPath();
    search.dataDir = GameOptions.dataDir;
    search.xdgDataHome = Environment("XDG_DATA_HOME");
    search.xdgDataDirs = Environment("XDG_DATA_DIRS");
    search.home = Environment("HOME");
    std::string folder;
    if (!FindDataFolder(search, folder))
        return false;
    SetDataFolder(folder);
    return true;
}

const std::string& MapFolder() {
    return MapPath;
}
const std::string& GraphFolder() {
    return GraphPath;
}
const std::string& SoundFolder() {
    return SoundPath;
}

const char* DataFilePath(const std::string& folder, const char* name) {
    FilePathBuffer.assign(folder);
    FilePathBuffer.append(name != nullptr ? name : "");
    return FilePathBuffer.c_str();
}

size_t ReadUpTo(int file, uint8_t* buffer, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t got = read(file, buffer + done, count - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    return done;
}
