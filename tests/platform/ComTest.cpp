#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "platform/ShellAllocator.h"

namespace {

TEST(ComTest, SysErrorMessage_GivesTheSystemsTextForErrnoCodes) {
    EXPECT_EQ(HResultFromErrno(ENOENT), static_cast<HRESULT>(0x80070002));
    EXPECT_EQ(SysErrorMessage(HResultFromErrno(EACCES)), std::strerror(EACCES));
    EXPECT_EQ(SysErrorMessage(E_FAIL), "Unspecified error");
    EXPECT_EQ(SysErrorMessage(E_INVALIDARG), "The parameter is incorrect");
    EXPECT_EQ(SysErrorMessage(E_OUTOFMEMORY), "Not enough memory");
    EXPECT_EQ(SysErrorMessage(static_cast<HRESULT>(0x8123ABCD)), "Unknown error 0x8123ABCD");
}

TEST(ComTest, ShellAllocator_CountsLiveBlocksAndKeepsSizes) {
    ComPtr<IMalloc> allocator;
    ASSERT_EQ(SHGetMalloc(allocator.Put()), S_OK);
    long before = ShellAllocatorLiveBlocks();
    void* block = allocator->Alloc(10);
    std::memset(block, 7, 10);
    EXPECT_EQ(ShellAllocatorLiveBlocks(), before + 1);
    block = allocator->Realloc(block, 100);
    EXPECT_EQ(allocator->GetSize(block), 100u);
    EXPECT_EQ(static_cast<unsigned char*>(block)[9], 7);
    CoTaskMemFree(block);
    allocator->Free(nullptr);
    EXPECT_EQ(ShellAllocatorLiveBlocks(), before);
}

}  // namespace
