// The process counters see memory that is taken and given back.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

#include "common/process_counters.h"

TEST(ProcessCounters, HeapBytesFollowBlocksTakenAndGivenBack) {
    constexpr size_t kBlocks = 256;
    constexpr size_t kBlockSize = 4096;
    // volatile: the compiler may not drop blocks that are only freed again.
    void* volatile blocks[kBlocks];
    const size_t before = HeapBytesInUse();
    for (size_t i = 0; i < kBlocks; ++i) blocks[i] = std::malloc(kBlockSize);
    const size_t held = HeapBytesInUse();
    for (size_t i = 0; i < kBlocks; ++i) std::free(blocks[i]);
    const size_t after = HeapBytesInUse();

    EXPECT_GE(held, before + kBlocks * kBlockSize);
    EXPECT_LT(held, before + kBlocks * (kBlockSize + 64));
    EXPECT_LT(after, before + 1024);
}

TEST(ProcessCounters, CommittedBytesFollowALargeBlockLeftBehind) {
    constexpr size_t kSize = 4 << 20;
    const size_t before = CommittedPrivateBytes();
    void* volatile block = std::malloc(kSize);
    ASSERT_NE(block, nullptr);
    const size_t held = CommittedPrivateBytes();
    std::free(block);

    EXPECT_GE(held, before + kSize);
    EXPECT_LT(held, before + kSize + kSize / 4);
    EXPECT_LT(CommittedPrivateBytes(), held);
}

TEST(ProcessCounters, CommittedBytesCountPageByPage) {
    constexpr size_t kSize = 64 * 4096;
    const size_t before = CommittedPrivateBytes();
    void* reserved = VirtualAlloc(nullptr, kSize, MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(reserved, nullptr);
    EXPECT_EQ(CommittedPrivateBytes(), before);
    VirtualAlloc(reserved, kSize / 2, MEM_COMMIT, PAGE_READWRITE);
    EXPECT_EQ(CommittedPrivateBytes(), before + kSize / 2);
    VirtualAlloc(reserved, kSize, MEM_COMMIT, PAGE_READWRITE);
    EXPECT_EQ(CommittedPrivateBytes(), before + kSize);
    VirtualFree(reserved, 0, MEM_RELEASE);
    EXPECT_EQ(CommittedPrivateBytes(), before);
}
