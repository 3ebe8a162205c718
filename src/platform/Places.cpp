#include "platform/Places.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "platform/ShellItems.h"

namespace {

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// An environment variable holding an absolute path, or empty. "." and ".."
// in it are resolved as the kernel does, so that the place has one name.
std::string PathVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return {};
    std::string resolved;
    return WithoutTrailingSlash(ResolveDotComponents(value, resolved) ? resolved : value);
}

std::string VariableOrHomeChild(const char* name, const char* child) {
    std::string path = PathVariable(name);
    return path.empty() ? JoinPath(HomePath(), child) : path;
}

bool IsDirectory(const std::string& path) {
    struct stat facts;
    return stat(path.c_str(), &facts) == 0 && S_ISDIR(facts.st_mode);
}

}  // namespace

std::string HomePath() {
    std::string home = PathVariable("HOME");
    return home.empty() ? "/" : home;
}

std::string DesktopPath() {
    std::string desktop = PathVariable("XDG_DESKTOP_DIR");
    if (!desktop.empty())
        return desktop;
    desktop = JoinPath(HomePath(), "Desktop");
    return IsDirectory(desktop) ? desktop : HomePath();
}

std::string DataHomePath() {
    return VariableOrHomeChild("XDG_DATA_HOME", ".local/share");
}

std::string CacheHomePath() {
    return VariableOrHomeChild("XDG_CACHE_HOME", ".cache");
}

std::string TrashFilesPath() {
    return JoinPath(DataHomePath(), "Trash/files");
}

bool IsTrashPath(const std::string& path) {
    std::string trash = TrashFilesPath();
    return path == trash || path.starts_with(trash + "/");
}

std::string PicturesPath() {
    return VariableOrHomeChild("XDG_PICTURES_DIR", "Pictures");
}

std::string SendToPath() {
    return JoinPath(DataHomePath(), "KadrimarkEXIF/SendTo");
}

bool MakeFolders(const std::string& path) {
    for (std::size_t slash = 1; slash != std::string::npos;) {
        slash = path.find('/', slash + 1);
        std::string prefix = path.substr(0, slash);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}
