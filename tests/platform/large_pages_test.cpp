// SPDX-License-Identifier: MIT
// The memory policy, linked into this program as into the programs: large
// blocks start on a large page, small ones come from the heap, and both are
// given back the same way.
#include "base/sanitizers.h"
#include "platform/large_pages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace glenvary::platform {
namespace {

constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;

TEST(LargePages, LargeBlocksStartOnALargePageAndAllComeBack)
{
    if (base::kSanitizedAllocator) {
        GTEST_SKIP() << "a sanitizer's allocator stays in charge";
    }
    KeepFreedMemory();
    for (int round = 0; round < 3; ++round) {
        std::vector<std::unique_ptr<char[]>> blocks;
        for (const std::size_t size : {std::size_t{1}, std::size_t{4096}, std::size_t{5000}, kLargePage,
                                       3 * kLargePage + 7, std::size_t{64} << 20}) {
            blocks.emplace_back(new char[size]);
            std::memset(blocks.back().get(), round, size);
            if (size >= kLargePage) {
                EXPECT_EQ(reinterpret_cast<std::uintptr_t>(blocks.back().get()) % kLargePage, 0U) << size;
            }
        }
        // What cannot be had fails as operator new says, never with a block.
        const volatile std::size_t impossible = std::size_t{1} << 62;
        EXPECT_EQ(new (std::nothrow) char[impossible], nullptr);
    }
}

} // namespace
} // namespace glenvary::platform
