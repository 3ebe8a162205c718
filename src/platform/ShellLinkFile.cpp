#include "platform/ShellLinkFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QString>
#include <cstring>
#include <vector>

#include "framework/FileHandle.h"
#include "platform/Drives.h"
#include "platform/LittleEndian.h"

namespace {

constexpr std::uint32_t kHeaderSize = 76;
constexpr std::uint8_t kLinkClassId[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                           0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::uint32_t kHasIdList = 0x1;
constexpr std::uint32_t kHasLinkInfo = 0x2;
constexpr std::uint32_t kHasLocalBasePath = 0x1;
constexpr std::uint32_t kUnicodeInfoHeaderSize = 36;
constexpr std::size_t kMaxLinkFileSize = 1 << 20;

// A bounded view over the file's bytes.
struct TBytes {
    const std::uint8_t* data;
    std::size_t size;

    bool U16(std::size_t at, std::uint32_t& value) const {
        if (at > size || size - at < 2)
            return false;
        value = ReadLittle<std::uint16_t>(data + at);
        return true;
    }
    bool U32(std::size_t at, std::uint32_t& value) const {
        if (at > size || size - at < 4)
            return false;
        value = ReadLittle<std::uint32_t>(data + at);
        return true;
    }
    // Zero-terminated 8-bit text at `at`.
    bool Text(std::size_t at, std::string& text) const {
        if (at >= size)
            return false;
        const void* end = std::memchr(data + at, 0, size - at);
        if (end == nullptr)
            return false;
        text.assign(reinterpret_cast<const char*>(data + at),
                    static_cast<const std::uint8_t*>(end) - (data + at));
        return true;
    }
    // Zero-terminated UTF-16 text at `at`, as UTF-8.
    bool WideText(std::size_t at, std::string& text) const {
        std::vector<char16_t> units;
        for (std::uint32_t unit; U16(at, unit); at += 2) {
            if (unit == 0) {
                text = QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()))
                           .toStdString();
                return true;
            }
            units.push_back(static_cast<char16_t>(unit));
        }
        return false;
    }
    TBytes From(std::size_t at, std::size_t length) const { return {data + at, length}; }
};

// The LinkInfo block's local path.
bool ReadLinkInfo(const TBytes& info, std::string& target) {
    std::uint32_t headerSize, flags, baseOffset, suffixOffset;
    if (!info.U32(4, headerSize) || !info.U32(8, flags) || !info.U32(16, baseOffset) ||
        !info.U32(24, suffixOffset) || !(flags & kHasLocalBasePath) || headerSize < 28)
        return false;
    std::string base, suffix;
    std::uint32_t wideBase = 0, wideSuffix = 0;
    if (headerSize >= kUnicodeInfoHeaderSize && info.U32(28, wideBase) &&
        info.U32(32, wideSuffix) && wideBase != 0) {
        if (!info.WideText(wideBase, base) ||
            (wideSuffix != 0 && !info.WideText(wideSuffix, suffix)))
            return false;
    } else if (!info.Text(baseOffset, base) ||
               (suffixOffset != 0 && !info.Text(suffixOffset, suffix))) {
        return false;
    }
    target = base + suffix;
    return !target.empty();
}

}  // namespace

bool ReadShellLinkTarget(const std::uint8_t* bytes, std::size_t size, std::string& target) {
    TBytes file{bytes, size};
    std::uint32_t headerSize, flags;
    if (bytes == nullptr || !file.U32(0, headerSize) || headerSize != kHeaderSize ||
        size < kHeaderSize || std::memcmp(bytes + 4, kLinkClassId, 16) != 0 ||
        !file.U32(20, flags) || !(flags & kHasLinkInfo))
        return false;
    std::size_t at = kHeaderSize;
    if (flags & kHasIdList) {
        std::uint32_t idListSize;
        if (!file.U16(at, idListSize))
            return false;
        at += 2 + idListSize;
    }
    std::uint32_t infoSize;
    if (!file.U32(at, infoSize) || infoSize < 28 || infoSize > size - at)
        return false;
    return ReadLinkInfo(file.From(at, infoSize), target);
}

std::string LocalPathOfLinkTarget(const std::string& target) {
    if (target.starts_with('/'))
        return target;
    if (target.size() < 3 || target[1] != ':' || target[2] != '\\')
        return {};
    std::string root = DriveRootOf(target.substr(0, 1));
    if (root.empty())
        return {};
    std::string rest = target.substr(3);
    for (char& c : rest)
        if (c == '\\')
            c = '/';
    if (rest.empty())
        return root;
    return root == "/" ? "/" + rest : root + "/" + rest;
}

bool ResolveShellLink(const std::string& linkFile, std::string& targetPath) {
    TFileHandle fd(open(linkFile.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat facts;
    if (!fd.Valid() || fstat(fd.Get(), &facts) != 0 || !S_ISREG(facts.st_mode) ||
        facts.st_size > static_cast<off_t>(kMaxLinkFileSize))
        return false;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(facts.st_size));
    ssize_t got = pread(fd.Get(), bytes.data(), bytes.size(), 0);
    std::string target;
    if (got < 0 || !ReadShellLinkTarget(bytes.data(), static_cast<std::size_t>(got), target))
        return false;
    targetPath = LocalPathOfLinkTarget(target);
    return !targetPath.empty();
}
