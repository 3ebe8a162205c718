#include "platform/Drives.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

namespace {

constexpr const char* kSystemMountTable = "/proc/self/mountinfo";

struct DriveCache {
    std::string tablePath;
    std::vector<DriveInfo> drives;
    bool loaded = false;
    MountTableObserver observer = nullptr;
};

DriveCache& Cache() {
    static DriveCache cache;
    return cache;
}

bool StartsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The path itself or anything below it.
bool IsUnder(const std::string& path, std::string_view folder) {
    return StartsWith(path, folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

bool IsUnderMedia(const std::string& path) {
    return IsUnder(path, "/media") || IsUnder(path, "/run/media");
}

bool IsSystemPath(const std::string& path) {
    if (IsUnder(path, "/run/media"))
        return false;
    return IsUnder(path, "/proc") || IsUnder(path, "/sys") || IsUnder(path, "/dev") ||
           IsUnder(path, "/run");
}

bool IsNetworkFs(const std::string& fsType) {
    static const std::array<std::string_view, 14> kNetwork = {
        "nfs",  "nfs4", "cifs",       "smb3",       "smbfs",       "ncpfs",     "afs",
        "ceph", "9p",   "fuse.sshfs", "fuse.davfs", "fuse.rclone", "fuse.s3fs", "fuse.glusterfs"};
    return std::find(kNetwork.begin(), kNetwork.end(), fsType) != kNetwork.end();
}

// Character codes in names: the kernel's "\040" (a backslash and three octal
// digits, at most \377, in mountinfo fields) and udev's "\x20" (two hex digits,
// in by-label names). Anything else is kept as it stands.
std::string Unescape(const std::string& text, std::string_view marker, int base) {
    std::size_t digits = base == 8 ? 3 : 2;
    auto isDigit = [base](char c) {
        return base == 8 ? c >= '0' && c <= '7' : std::isxdigit(static_cast<unsigned char>(c));
    };
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t code = i + marker.size();
        bool escape = text.compare(i, marker.size(), marker) == 0 && code + digits <= text.size() &&
                      std::all_of(text.begin() + code, text.begin() + code + digits, isDigit);
        long value = escape ? std::strtol(text.substr(code, digits).c_str(), nullptr, base) : 0;
        if (escape && value <= 0xFF) {
            plain += static_cast<char>(value);
            i = code + digits - 1;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

std::string ReadSmallFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool IsRemovableDevice(const std::string& source) {
    std::error_code error;
    auto device = std::filesystem::canonical(source, error);
    if (error)
        return false;
    auto block = std::filesystem::canonical("/sys/class/block" / device.filename(), error);
    if (error)
        return false;
    // A partition's flag sits on its disk, one folder up.
    for (const auto& folder : {block, block.parent_path()}) {
        std::string flag = ReadSmallFile((folder / "removable").string());
        if (!flag.empty())
            return flag[0] == '1';
    }
    return false;
}

std::string VolumeLabel(const std::string& source) {
    std::error_code error;
    auto device = std::filesystem::canonical(source, error);
    if (error)
        return {};
    for (const auto& entry : std::filesystem::directory_iterator("/dev/disk/by-label", error)) {
        std::error_code linkError;
        if (std::filesystem::canonical(entry.path(), linkError) == device && !linkError)
            return Unescape(entry.path().filename().string(), "\\x", 16);
    }
    return {};
}

// The kind of a mount, or DRIVE_UNKNOWN when it is no drive.
UINT KindOfMount(const std::string& mountPath, const std::string& fsType,
                 const std::string& source) {
    bool isRoot = mountPath == "/";
    if (!isRoot && IsSystemPath(mountPath))
        return DRIVE_UNKNOWN;
    if (IsNetworkFs(fsType))
        return DRIVE_REMOTE;
    if (fsType == "tmpfs" || fsType == "ramfs")
        return isRoot || IsUnderMedia(mountPath) ? DRIVE_RAMDISK : DRIVE_UNKNOWN;
    if (StartsWith(source, "/dev/")) {
        if (fsType == "iso9660" || fsType == "udf")
            return DRIVE_CDROM;
        return IsUnderMedia(mountPath) || IsRemovableDevice(source) ? DRIVE_REMOVABLE : DRIVE_FIXED;
    }
    return isRoot ? DRIVE_FIXED : DRIVE_UNKNOWN;
}

// One mountinfo line: id parent major:minor root mount-point options
// [optional fields...] - fstype source super-options.
bool ParseMountLine(const std::string& line, DriveInfo& drive) {
    std::istringstream fields(line);
    std::string field, mountPath;
    for (int i = 0; i < 5 && fields >> field; ++i)
        mountPath = field;
    while (fields >> field && field != "-") {
    }
    if (field != "-" || !(fields >> drive.FsType >> drive.Source))
        return false;
    drive.MountPath = Unescape(mountPath, "\\", 8);
    drive.Source = Unescape(drive.Source, "\\", 8);
    drive.Type = KindOfMount(drive.MountPath, drive.FsType, drive.Source);
    // A path with a NUL in it could not be opened: it is no drive.
    return drive.Type != DRIVE_UNKNOWN && !drive.MountPath.empty() && drive.MountPath[0] == '/' &&
           drive.MountPath.find('\0') == std::string::npos;
}

// A drive's number from its letter text, -1 when the text is no letter.
int DriveIndexOf(const std::string& root) {
    bool letterForm = !root.empty() && std::isalpha(static_cast<unsigned char>(root[0])) &&
                      (root.size() == 1 || root.compare(1, std::string::npos, ":") == 0 ||
                       root.compare(1, std::string::npos, ":\\") == 0);
    return letterForm ? std::toupper(static_cast<unsigned char>(root[0])) - 'A' : -1;
}

const DriveInfo* FindDrive(const std::string& root) {
    const auto& drives = Drives();
    int index = DriveIndexOf(root);
    if (index >= 0)
        return index < static_cast<int>(drives.size()) ? &drives[index] : nullptr;
    auto found = std::find_if(drives.begin(), drives.end(),
                              [&](const DriveInfo& drive) { return drive.MountPath == root; });
    return found == drives.end() ? nullptr : &*found;
}

}  // namespace

std::vector<DriveInfo> ParseMountTable(const std::string& text) {
    std::map<std::string, DriveInfo> byPath;  // mount-path order; the last mount wins
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        DriveInfo drive;
        if (ParseMountLine(line, drive))
            byPath[drive.MountPath] = drive;
    }
    if (byPath.find("/") == byPath.end())
        byPath["/"] = DriveInfo{"/", "", "", "", DRIVE_FIXED};
    std::vector<DriveInfo> drives;
    for (auto& [path, drive] : byPath) {
        if (drive.Type != DRIVE_REMOTE && !drive.Source.empty())
            drive.Label = VolumeLabel(drive.Source);
        drives.push_back(std::move(drive));
    }
    return drives;
}

void SetMountTablePath(const std::string& path) {
    Cache().tablePath = path;
    RefreshDrives();
    if (MountTableObserver observer = Cache().observer)
        observer();
}

void SetMountTableObserver(MountTableObserver observer) {
    Cache().observer = observer;
}

const std::string& MountTablePath() {
    static const std::string system = kSystemMountTable;
    return Cache().tablePath.empty() ? system : Cache().tablePath;
}

const std::vector<DriveInfo>& Drives() {
    if (!Cache().loaded)
        RefreshDrives();
    return Cache().drives;
}

std::vector<DriveInfo> ReadCurrentDrives() {
    return ParseMountTable(ReadSmallFile(MountTablePath()));
}

void RefreshDrives() {
    Cache().drives = ReadCurrentDrives();
    Cache().loaded = true;
}

DWORD GetLogicalDrives() {
    std::size_t count = std::min<std::size_t>(Drives().size(), 32);
    return count == 32 ? 0xFFFFFFFFu : (DWORD{1} << count) - 1;
}

UINT GetDriveTypeA(const std::string& root) {
    const DriveInfo* drive = FindDrive(root);
    return drive == nullptr ? DRIVE_NO_ROOT_DIR : drive->Type;
}

std::string DriveRootOf(const std::string& letter) {
    int index = DriveIndexOf(letter);
    const auto& drives = Drives();
    return index >= 0 && index < static_cast<int>(drives.size()) ? drives[index].MountPath
                                                                 : std::string();
}

bool MountAnswers(const std::string& mountPath, int timeoutMs) {
    struct Answer {
        std::mutex lock;
        std::condition_variable done;
        bool answered = false;
        bool ok = false;
    };
    auto answer = std::make_shared<Answer>();
    std::thread([answer, mountPath] {
        struct statvfs facts;
        bool ok = statvfs(mountPath.c_str(), &facts) == 0;
        std::lock_guard<std::mutex> hold(answer->lock);
        answer->answered = true;
        answer->ok = ok;
        answer->done.notify_one();
    }).detach();
    std::unique_lock<std::mutex> hold(answer->lock);
    answer->done.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                          [&] { return answer->answered; });
    return answer->answered && answer->ok;
}
