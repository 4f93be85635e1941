// SPDX-License-Identifier: MIT
#include "candidate_search.h"

#include "chunk_match.h"
#include "prefetch.h"

#include <algorithm>
#include <array>
#include <limits>

namespace glenvary::core {
// The first index from `at` on whose place is `target` or more: places
// wanted next are usually close, so the search gallops out from `at`
// before it halves.
std::int32_t SeekPlace(std::span<const std::int32_t> places, std::int32_t at, std::int32_t target) noexcept
{
    const auto size = static_cast<std::int32_t>(places.size());
    std::int32_t low = at;
    std::int32_t high = at;
    for (std::int64_t step = 1; high < size && places[static_cast<std::size_t>(high)] < target; step *= 2) {
        low = high + 1;
        high = static_cast<std::int32_t>(std::min<std::int64_t>(high + step, size));
    }
    return static_cast<std::int32_t>(
        std::lower_bound(places.begin() + low, places.begin() + std::min(high, size), target) - places.begin());
}

// The first index whose place is `target` or more, among places that lie
// in 0 .. spread - 1. A long list is entered where an even spread of its
// places would put the target (the places of a common word or run spread
// over the whole article), and the search gallops from there: a read or
// two instead of one per halving.
std::int32_t FindPlace(std::span<const std::int32_t> places, std::int32_t target, std::int32_t spread,
                       std::int32_t interpolateFrom) noexcept
{
    const auto size = static_cast<std::int32_t>(places.size());
    if (size < interpolateFrom || spread <= 0) {
        return static_cast<std::int32_t>(std::lower_bound(places.begin(), places.end(), target) - places.begin());
    }
    const auto guess = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(std::int64_t{target} * size / spread, 0, std::int64_t{size} - 1));
    if (places[static_cast<std::size_t>(guess)] < target) {
        return SeekPlace(places, guess + 1, target);
    }
    // places[high] >= target throughout; gallop back until a place is less.
    std::int32_t high = guess;
    std::int32_t low = 0;
    for (std::int64_t step = 1; high - step >= 0; step *= 2) {
        const auto probe = static_cast<std::int32_t>(high - step);
        if (places[static_cast<std::size_t>(probe)] < target) {
            low = probe + 1;
            break;
        }
        high = probe;
    }
    return static_cast<std::int32_t>(
        std::lower_bound(places.begin() + low, places.begin() + high, target) - places.begin());
}

// Starts loading what the look-ups of the chunks a few words after `first`
// will read first, on the likely guess that they search from article 2's
// first word (a chunk that does not go on with a match mostly ends in the
// wrap-around, which sends the next search there): their runs' entries,
// the runs' first places, and article 2's word and colour there. The walk
// waits on memory far more than it computes; this way the loads of
// successive chunks overlap. Runs of `length` words, and of `length` - 1
// for the chunks whose whole run stands somewhere in article 2 (the others
// are mostly settled without them).
void TComparison::TMatcher::LookAhead(std::int32_t first, std::int32_t length) const noexcept
{
    constexpr std::array<std::int32_t, 3> kAhead = {16, 8, 4};
    const TRunLists* whole = index.Held(length);
    const TRunLists* prefix = length >= 2 ? index.Held(length - 1) : nullptr;
    if (whole == nullptr) {
        return;
    }
    const std::int32_t words1 = white1.Size();
    for (std::size_t step = 0; step < kAhead.size(); ++step) {
        const std::int64_t at = std::int64_t{first} + kAhead[step];
        if (at + length > words1) {
            continue;
        }
        const std::int32_t key = index.KeyOf(*whole, static_cast<std::int32_t>(at));
        if (key < 0) {
            continue;
        }
        for (const TRunLists* runs : {whole, prefix}) {
            if (runs == nullptr) {
                continue;
            }
            const std::int32_t runKey = runs == whole ? key : index.KeyOf(*runs, static_cast<std::int32_t>(at));
            if (step == 0) {
                runs->PrefetchKey(runKey);
            } else if (step == 1) {
                runs->PrefetchPlaces(runKey);
            } else if (const std::int32_t place = runs->FirstPlace(runKey); place >= 0) {
                index.PrefetchId2(place);
                coloured2.Prefetch(place);
                PrefetchLine(&(*words2)[place]);
            }
        }
    }
}

// The first start j in from .. search.lastStart where the chunk's first
// `count` words stand in article 2 at j .. j + count - 1 and none of those
// clashes; -1 when there is none. The rule's other tests (runs out, strays)
// do not depend on the start and are the caller's.
std::int32_t TComparison::TMatcher::FirstFreeRun(const TChunkSearch& search, std::int32_t count, std::int32_t from)
{
    // A chunk that slides along the previous match: its run is known to
    // stand at `from`, the first start there is.
    if (diagonal.first1 - diagonal.first2 == search.first - from && search.first >= diagonal.first1
        && diagonal.equal - (search.first - diagonal.first1) >= count && FirstClash(from, from + count - 1, search) < 0) {
        return from;
    }
    // The chunks cut short at article 1's end end at its last word, and
    // their runs without the last word at the word before: one run of each
    // length, most without lists of their own. Common endings answer all
    // of them once the walks without lists have cost as much as building
    // the endings.
    if (const TEndingRuns* ending = index.Ending(search.first + count - 1, count)) {
        return WalkEnding(*ending, search, count, from);
    }
    TRunLists* runs = index.Runs(count);
    if (runs == nullptr) {
        const TAnchoredWalk walk = WalkRarestWord(search, count, from);
        if (walk.decided) {
            return walk.start;
        }
        if (walk.ending != nullptr) {
            return WalkEnding(*walk.ending, search, count, from);
        }
        runs = walk.lists;
    }
    return WalkRunLists(*runs, search, from);
}

// The places where the chunk's first `count` words end, from the common
// endings of the runs that end where they do: every place found holds
// them all, so none is compared word by word. A place that clashes sends
// the search past the clashing word, as in WalkRunLists.
std::int32_t TComparison::TMatcher::WalkEnding(const TEndingRuns& ending, const TChunkSearch& search,
                                              std::int32_t count, std::int32_t from)
{
    const std::int32_t lastEnd = search.lastStart + count - 1;
    while (!search.RunsOut(from)) {
        const std::int32_t end = ending.NextEnd(from + count - 1, lastEnd, count);
        if (end < 0) {
            return -1;
        }
        const std::int32_t start = end - count + 1;
        const std::int32_t clash = FirstClash(start, end, search);
        if (clash < 0) {
            // Known now, so that the chunk's last word is compared alone.
            diagonal = {search.first, start, count};
            return start;
        }
        from = NextFree(clash + 1, search);
    }
    return -1;
}

// The places of the chunk's own run: a chunk that occurs nowhere costs one
// look-up. A place that clashes sends the walk past the clashing word and
// the clashing words after it, since every start up to there runs over
// one. While every coloured word clashes, the places passed that way stay
// dead for the rest of the walk, and the run's lists remember how many of
// their first places are.
std::int32_t TComparison::TMatcher::WalkRunLists(TRunLists& runs, const TChunkSearch& search, std::int32_t from)
{
    const std::int32_t count = runs.Length();
    const std::int32_t key = index.KeyOf(runs, search.first);
    if (key < 0) {
        return -1;
    }
    const std::span<const std::int32_t> places = runs.Places(key);
    std::int32_t at = FindPlace(places, from, index.Count2(), tuning.interpolateFrom);
    std::int32_t* firstLive = nullptr;
    if (search.AllColouredClash()) {
        firstLive = &runs.FirstLive(key);
        if (*firstLive >= at) {
            at = *firstLive;
        } else {
            firstLive = nullptr;
        }
    }
    const auto size = static_cast<std::int32_t>(places.size());
    while (at < size) {
        const std::int32_t start = places[static_cast<std::size_t>(at)];
        if (search.RunsOut(start)) {
            break;
        }
        const std::int32_t clash = FirstClash(start, start + count - 1, search);
        if (clash >= 0) {
            at = SeekPlace(places, at + 1, NextFree(clash + 1, search));
            if (firstLive != nullptr) {
                *firstLive = at;
            }
            continue;
        }
        if (RunStands(search.first, start, count)) {
            return start;
        }
        // Another run with the same hash: not the chunk's, and not dead.
        firstLive = nullptr;
        ++at;
    }
    return -1;
}

// Without lists for runs of `count` words: the places of the rarest of the
// chunk's leading words give the candidates. The steps taken are rent
// towards the run's own lists (see TWordIndex::RentOrBuild), or, for a run
// that ends at one of article 1's last two words, towards the common
// endings of all the runs that end there, which serve every shortened
// chunk instead of one length.
TComparison::TMatcher::TAnchoredWalk TComparison::TMatcher::WalkRarestWord(const TChunkSearch& search,
                                                                          std::int32_t count, std::int32_t from)
{
    std::int32_t anchor = 0;
    std::span<const std::int32_t> places;
    std::size_t fewest = std::numeric_limits<std::size_t>::max();
    for (std::int32_t k = 0; k < std::min(count, tuning.anchorWindow); ++k) {
        const std::int32_t id = index.Id1(search.first + k);
        if (id == TWordIndex::kAbsent) {
            // A word that article 2 lacks: the run stands nowhere.
            return {};
        }
        const std::span<const std::int32_t> candidates = index.Places(id);
        if (candidates.size() < fewest) {
            fewest = candidates.size();
            anchor = k;
            places = candidates;
        }
    }
    const std::int32_t end = search.first + count - 1;
    const bool towardsEnding = end >= index.Count1() - 2;
    const auto rent = [&](std::int64_t steps) -> TAnchoredWalk {
        if (towardsEnding) {
            // Reaching as far as the chunk itself, which the chunks after it
            // in a walk are not longer than.
            const TEndingRuns* ending =
                index.RentOrBuildEndings(steps, search.lastOffset + 1) ? index.Ending(end, count) : nullptr;
            return {ending == nullptr, -1, nullptr, ending};
        }
        TRunLists* lists = index.RentOrBuild(count, steps);
        return {lists == nullptr, -1, lists, nullptr};
    };
    std::int64_t steps = 0;
    TAnchoredWalk walk;
    auto it = places.begin() + FindPlace(places, from + anchor, index.Count2(), tuning.interpolateFrom);
    while (it != places.end()) {
        const std::int32_t start = *it - anchor;
        if (search.RunsOut(start)) {
            break;
        }
        ++steps;
        const std::int32_t clash = FirstClash(start, start + count - 1, search);
        if (clash >= 0) {
            it = std::lower_bound(it + 1, places.end(), NextFree(clash + 1, search) + anchor);
            continue;
        }
        const std::int32_t same = SameWords(search.first, start, count);
        steps += same;
        if (same == count) {
            walk.start = start;
            break;
        }
        ++it;
        if (steps >= tuning.rentReport) {
            if (const TAnchoredWalk built = rent(steps); !built.decided) {
                return built;
            }
            steps = 0;
        }
    }
    // The walk decided; what is built now serves the next look-ups.
    static_cast<void>(rent(steps));
    return walk;
}

} // namespace glenvary::core
