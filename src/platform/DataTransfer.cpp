#include "platform/DataTransfer.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace {

// A movable block: its size, then its bytes.
struct GlobalBlock {
    std::size_t size;
    alignas(std::max_align_t) unsigned char bytes[1];
};

GlobalBlock* BlockOf(HGLOBAL handle) {
    return static_cast<GlobalBlock*>(handle);
}

constexpr UINT kFirstRegisteredFormat = 0xC000;

struct FormatRegistry {
    std::mutex lock;
    std::vector<std::string> names;  // index = id - kFirstRegisteredFormat
};

FormatRegistry& Registry() {
    static FormatRegistry registry;
    return registry;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, std::size_t size) {
    if (size > SIZE_MAX - sizeof(GlobalBlock))
        return nullptr;
    auto* block = static_cast<GlobalBlock*>(std::malloc(sizeof(GlobalBlock) + size));
    if (block == nullptr)
        return nullptr;
    block->size = size;
    if (flags & GMEM_ZEROINIT)
        std::memset(block->bytes, 0, size);
    return block;
}

std::size_t GlobalSize(HGLOBAL block) {
    return block == nullptr ? 0 : BlockOf(block)->size;
}

void* GlobalLock(HGLOBAL block) {
    return block == nullptr ? nullptr : BlockOf(block)->bytes;
}

bool GlobalUnlock(HGLOBAL block) {
    return block != nullptr;
}

HGLOBAL GlobalFree(HGLOBAL block) {
    std::free(block);
    return nullptr;
}

HGLOBAL GlobalFromBytes(const void* bytes, std::size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block != nullptr && size > 0)
        std::memcpy(GlobalLock(block), bytes, size);
    return block;
}

UINT RegisterClipboardFormatA(const char* name) {
    if (name == nullptr || name[0] == 0)
        return 0;
    FormatRegistry& registry = Registry();
    std::lock_guard guard(registry.lock);
    for (std::size_t i = 0; i < registry.names.size(); ++i)
        if (registry.names[i] == name)
            return kFirstRegisteredFormat + static_cast<UINT>(i);
    registry.names.emplace_back(name);
    return kFirstRegisteredFormat + static_cast<UINT>(registry.names.size() - 1);
}

std::string ClipboardFormatName(UINT format) {
    if (format == CF_HDROP)
        return "CF_HDROP";
    FormatRegistry& registry = Registry();
    std::lock_guard guard(registry.lock);
    std::size_t index = format - kFirstRegisteredFormat;
    return format >= kFirstRegisteredFormat && index < registry.names.size() ? registry.names[index]
                                                                             : std::string();
}

void ReleaseStgMedium(STGMEDIUM* medium) {
    if (medium == nullptr)
        return;
    if (medium->pUnkForRelease != nullptr)
        medium->pUnkForRelease->Release();
    else if (medium->tymed == TYMED_HGLOBAL)
        GlobalFree(medium->hGlobal);
    medium->hGlobal = nullptr;
    medium->pUnkForRelease = nullptr;
}

bool ReadFormatBytes(IDataObject* data, CLIPFORMAT format, std::string& bytes) {
    bytes.clear();
    FORMATETC wanted = HGlobalFormat(format);
    STGMEDIUM medium{};
    if (data == nullptr || FAILED(data->GetData(&wanted, &medium)))
        return false;
    bool ok = medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr;
    if (ok)
        bytes.assign(static_cast<const char*>(GlobalLock(medium.hGlobal)),
                     GlobalSize(medium.hGlobal));
    ReleaseStgMedium(&medium);
    return ok;
}
