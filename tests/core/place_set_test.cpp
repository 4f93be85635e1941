// SPDX-License-Identifier: MIT
#include "core/place_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace glenvary::core {
namespace {

// The set as plain flags, one per place.
std::int32_t NextIn(const std::vector<char>& members, std::int32_t from)
{
    const auto size = static_cast<std::int32_t>(members.size());
    if (from >= size) {
        return size;
    }
    return static_cast<std::int32_t>(std::find(members.begin() + from, members.end(), 1) - members.begin());
}

TEST(TPlaceSet, FindsTheNextMemberAfterRangesComeAndGo)
{
    // Sizes on both sides of a bit word, of two levels and of three.
    for (const std::int32_t size : {0, 1, 63, 64, 65, 4095, 4096, 4097, 262144, 262145, 300000}) {
        for (const bool full : {false, true}) {
            SCOPED_TRACE(std::to_string(size) + (full ? " full" : " empty"));
            TPlaceSet set;
            set.Reset(size, full);
            std::vector<char> model(static_cast<std::size_t>(size), full ? 1 : 0);
            std::mt19937 random(static_cast<std::uint32_t>(size));
            const auto draw = [&](std::int32_t below) {
                return static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(below));
            };
            for (int step = 0; step < 60 && size > 0; ++step) {
                // Mostly short ranges, as paints are, now and then a long one.
                const std::int32_t first = draw(size);
                const std::int32_t last = std::min(size - 1, first + draw(step % 5 == 0 ? size : 70));
                const bool member = step % 3 != 0;
                set.Assign(first, last, member);
                std::fill(model.begin() + first, model.begin() + last + 1, member ? 1 : 0);
                for (int probe = 0; probe < 12; ++probe) {
                    const std::int32_t from = draw(size + 2);
                    ASSERT_EQ(set.Next(from), NextIn(model, from)) << "from " << from << " after step " << step;
                }
            }
            EXPECT_EQ(set.Next(0), NextIn(model, 0));
            EXPECT_EQ(set.Size(), size);
        }
    }
}

} // namespace
} // namespace glenvary::core
