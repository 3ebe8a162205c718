#include "platform/ShellAllocator.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

// Every block carries its requested size in a header, aligned for any type.
struct alignas(std::max_align_t) BlockHeader {
    std::size_t size;
};

BlockHeader* HeaderOf(void* block) {
    return static_cast<BlockHeader*>(block) - 1;
}

class ShellMalloc final : public IMalloc {
  public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IMalloc) {
            *object = static_cast<IMalloc*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The allocator lives as long as the process.
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }

    void* Alloc(std::size_t size) override {
        auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
        if (header == nullptr)
            return nullptr;
        header->size = size;
        live_.fetch_add(1, std::memory_order_relaxed);
        return header + 1;
    }

    void* Realloc(void* block, std::size_t size) override {
        if (block == nullptr)
            return Alloc(size);
        auto* header =
            static_cast<BlockHeader*>(std::realloc(HeaderOf(block), sizeof(BlockHeader) + size));
        if (header == nullptr)
            return nullptr;
        header->size = size;
        return header + 1;
    }

    void Free(void* block) override {
        if (block == nullptr)
            return;
        live_.fetch_sub(1, std::memory_order_relaxed);
        std::free(HeaderOf(block));
    }

    std::size_t GetSize(void* block) override {
        return block == nullptr ? static_cast<std::size_t>(-1) : HeaderOf(block)->size;
    }

    long Live() const { return live_.load(std::memory_order_relaxed); }

  private:
    std::atomic<long> live_{0};
};

// Never destroyed: holders in other statics (the shell environment among
// them) release it and free blocks through it while the program exits, in an
// order no translation unit controls.
ShellMalloc& Allocator() {
    static ShellMalloc* const allocator = new ShellMalloc;
    return *allocator;
}

}  // namespace

HRESULT SHGetMalloc(IMalloc** allocator) {
    if (allocator == nullptr)
        return E_INVALIDARG;
    *allocator = &Allocator();
    return S_OK;
}

void* CoTaskMemAlloc(std::size_t size) {
    return Allocator().Alloc(size);
}

void CoTaskMemFree(void* block) {
    Allocator().Free(block);
}

long ShellAllocatorLiveBlocks() {
    return Allocator().Live();
}
