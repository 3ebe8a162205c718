#include "platform/DroppedPaths.h"

#include "platform/DataTransfer.h"
#include "platform/FileDropBlock.h"
#include "platform/FileOperations.h"
#include "platform/UriList.h"

std::vector<std::string> DroppedPaths(IDataObject* data) {
    std::vector<std::string> paths;
    std::string bytes;
    if (ReadFormatBytes(data, CF_HDROP, bytes))
        ReadFileDropBlock(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), paths);
    else if (ReadFormatBytes(data, RegisterClipboardFormatA("text/uri-list"), bytes))
        paths = ReadUriList(bytes);
    std::erase_if(paths, [](const std::string& path) { return ItemNameOf(path).empty(); });
    return paths;
}
