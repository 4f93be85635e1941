// SPDX-License-Identifier: MIT
// Glenvary: the sizes at which the engine switches to its faster ways of
// doing the same thing.
#pragma once

#include <cstddef>
#include <cstdint>

namespace glenvary::core {

/// Where the engine's speed-ups start. None of them changes a result; each
/// default is where the speed-up starts to pay on the development machine
/// (docs/performance.md). A test lowers them all to force every fast path
/// on small articles.
struct TTuning {
    /// Words (or code units of text) on both sides together from which two
    /// pieces of work run on two threads.
    std::size_t parallelWords = 50'000;
    /// Words of article 2 from which a word walk loads a few chunks ahead.
    std::int32_t lookAheadFrom = 1 << 18;
    /// Chunk length from which a word walk indexes up front only the runs
    /// of one word less than its chunks.
    std::int32_t wholeChunkListsBelow = 64;
    /// Leading words of a run looked at for its rarest word, while the run
    /// has no lists of its own.
    std::int32_t anchorWindow = 16;
    /// Steps after which a walk without lists reports its rent.
    std::int64_t rentReport = 256;
    /// Places in a list from which it is entered by interpolation.
    std::int32_t interpolateFrom = 32;
    /// Coloured spans shorter than this are tested word by word for clashes.
    std::int32_t shortSpan = 16;
    /// Rent, in quarters of a step per word of article 2, after which the
    /// lists of one run length are built.
    std::int64_t listRentQuarters = 4;
    /// The same for the common endings of article 1's last two words.
    std::int64_t endingRentQuarters = 1;
};

} // namespace glenvary::core
