// Reads one input as every kind of dropped or pasted data the program takes
// from other programs: the id-list array, the file-drop block, a URI list, a
// copied-files list and a shortcut file. None may crash or read outside the
// input; what they accept must hold together.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/FileDropBlock.h"
#include "platform/ShellLinkFile.h"
#include "platform/UriList.h"
#include "shell/IdLists.h"
#include "shell/ShellIdListArray.h"

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

void ReadIdListArray(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> lists;
    if (!ReadShellIdListArray(data, size, lists))
        return;
    Require(!lists.empty());
    for (const std::string& list : lists)
        Require(IdListSize(AsIdList(list)) == list.size());
}

void ReadFileDrop(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> names;
    if (ReadFileDropBlock(data, size, names))
        for (const std::string& name : names)
            Require(!name.empty() && name.find('\0') == std::string::npos);
}

void ReadUris(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> paths = ReadUriList(text);
    for (const std::string& path : paths)
        Require(path.starts_with('/') && path.find('\0') == std::string::npos);
    Require(ReadUriList(WriteUriList(paths)) == paths);
    bool cut = false;
    ReadCopiedFiles(text, paths, cut);
}

void ReadShortcut(const std::uint8_t* data, std::size_t size) {
    std::string target;
    if (ReadShellLinkTarget(data, size, target))
        Require(!target.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReadIdListArray(data, size);
    ReadFileDrop(data, size);
    ReadUris(data, size);
    ReadShortcut(data, size);
    return 0;
}
