#include "shell/ShellLocator.h"

#include <cstring>

#include "framework/Exception.h"
#include "platform/ShellServices.h"
#include "shell/ShellPaths.h"

namespace {

const char* const kReadError = "Stream read error";
const char* const kInvalidValue = "Invalid property value";

std::uint32_t ReadU32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

void AppendU32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

TRzShellLocator::~TRzShellLocator() {
    Release();
}

LPCITEMIDLIST TRzShellLocator::IdList() {
    if (kind_ == kindSpecialFolder && idList_ == nullptr)
        SHGetSpecialFolderLocation(0, specialFolder_, &idList_);
    return idList_;
}

std::string TRzShellLocator::PathName() {
    LPCITEMIDLIST list = IdList();
    if (list == nullptr && kind_ == kindSpecialFolder)
        return {};
    return IdListToPath(list);
}

void TRzShellLocator::SetIdList(LPCITEMIDLIST list) {
    bool changed = kind_ != kindIdList;
    kind_ = kindIdList;
    if (idList_ != nullptr) {
        changed = changed || CompareIdLists(idList_, list) != 0;
    } else {
        changed = changed || IdListSize(list) > 2;
    }
    // Copy before releasing: `list` may be the stored list itself.
    LPITEMIDLIST copy = IdListSize(list) > 2 ? CopyIdList(nullptr, list) : nullptr;
    Release();
    idList_ = copy;
    specialFolder_ = kNoSpecialFolder;
    if (changed)
        Changed();
}

void TRzShellLocator::Assign(TRzShellLocator* other) {
    if (other == nullptr)
        return Clear();
    if (other->kind_ == kind_ &&
        (other == this || (kind_ == kindIdList && CompareIdLists(idList_, other->idList_) == 0) ||
         (kind_ == kindSpecialFolder && specialFolder_ == other->specialFolder_)))
        return;
    if (other->kind_ == kindSpecialFolder)
        Hold(kindSpecialFolder, other->specialFolder_, nullptr);
    else
        Hold(kindIdList, kNoSpecialFolder, other->idList_);
    Changed();
}

std::optional<std::string> TRzShellLocator::WritePidl() const {
    if (idList_ == nullptr && kind_ != kindSpecialFolder)
        return std::nullopt;
    std::string out(1, static_cast<char>(kind_));
    if (kind_ == kindSpecialFolder) {
        out.push_back(static_cast<char>(specialFolder_));
    } else {
        std::uint32_t size = IdListSize(idList_);
        AppendU32(out, size);
        out.append(reinterpret_cast<const char*>(idList_), size);
    }
    return out;
}

void TRzShellLocator::ReadPidl(std::string_view bytes) {
    if (bytes.empty())
        throw Exception(kReadError);
    std::uint8_t kind = static_cast<std::uint8_t>(bytes[0]);
    if (kind > kindSpecialFolder)
        throw Exception(kInvalidValue);
    if (bytes.size() < (kind == kindSpecialFolder ? 2u : 5u))
        throw Exception(kReadError);
    if (kind == kindSpecialFolder) {
        std::uint8_t specialFolder = static_cast<std::uint8_t>(bytes[1]);
        if (!IsKnownSpecialFolder(specialFolder))
            throw Exception(kInvalidValue);
        return Hold(kindSpecialFolder, specialFolder, nullptr);
    }
    std::uint32_t length = ReadU32(bytes, 1);
    if (length == 0)
        return Hold(kindSpecialFolder, CSIDL_DESKTOP, nullptr);
    if (bytes.size() - 5 < length)
        throw Exception(kReadError);
    auto* list = reinterpret_cast<const std::uint8_t*>(bytes.data() + 5);
    if (!IsWellFormedIdList(list, length))
        throw Exception(kInvalidValue);
    Hold(kindIdList, kNoSpecialFolder,
         length > 2 ? reinterpret_cast<LPCITEMIDLIST>(list) : nullptr);
}

void TRzShellLocator::Hold(std::uint8_t kind, std::uint8_t specialFolder, LPCITEMIDLIST list) {
    Release();
    kind_ = kind;
    specialFolder_ = specialFolder;
    if (list != nullptr)
        idList_ = CopyIdList(nullptr, list);
}

void TRzShellLocator::Release() {
    FreeIdList(idList_);
    idList_ = nullptr;
}

void TRzShellLocator::Changed() {
    if (OnChange)
        OnChange();
}
