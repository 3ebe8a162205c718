#pragma once

#include <cstddef>

#include "platform/Com.h"

// The shell allocator: every item id list, and every text the namespace hands
// out (STRRET_WSTR), is a block from this allocator and goes back to it. It is
// process-wide, thread-safe, and counts the blocks that are alive so that
// tests can prove nothing leaks.

inline constexpr IID IID_IMalloc = {0x00000002, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class IMalloc : public IUnknown {
  public:
    // A block of at least `size` bytes, or null when memory runs out.
    virtual void* Alloc(std::size_t size) = 0;
    // Resizes a block (null block: like Alloc); null when memory runs out, the
    // old block then stays valid.
    virtual void* Realloc(void* block, std::size_t size) = 0;
    // Releases a block; null is ignored.
    virtual void Free(void* block) = 0;
    // The size asked for when the block was made; (size_t)-1 for null.
    virtual std::size_t GetSize(void* block) = 0;
};

// The process's shell allocator, with a reference the caller releases.
HRESULT SHGetMalloc(IMalloc** allocator);

// The same allocator by its task-memory names (display names handed out as
// STRRET_WSTR are released with CoTaskMemFree).
void* CoTaskMemAlloc(std::size_t size);
void CoTaskMemFree(void* block);

// Blocks allocated and not yet freed, over the whole process.
long ShellAllocatorLiveBlocks();
