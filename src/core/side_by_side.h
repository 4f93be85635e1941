// SPDX-License-Identifier: MIT
// Glenvary: two independent pieces of work on the two cores.
#pragma once

#include "tuning.h"

#include <cstddef>
#include <future>
#include <system_error>

namespace glenvary::core {

/// Below this many words (or code units of text, for work over texts) on
/// both sides together, a second thread costs more to start than it saves:
/// the default of TTuning::parallelWords, for the work outside a comparison
/// (normalising, splitting, the reports' parts).
inline constexpr std::size_t kParallelWords = TTuning{}.parallelWords;

/// Runs `first` on a second thread and `second` on this one when
/// `parallel`, else both here; returns when both are done, passing on an
/// exception of either. When no thread can be had, both run here.
template <typename First, typename Second>
void SideBySide(bool parallel, First&& first, Second&& second)
{
    if (parallel) {
        std::future<void> done;
        try {
            done = std::async(std::launch::async, first);
        } catch (const std::system_error&) {
            parallel = false;
        }
        if (parallel) {
            // The future's destructor waits for the other thread, also when
            // `second` throws.
            second();
            done.get();
            return;
        }
    }
    first();
    second();
}

} // namespace glenvary::core
