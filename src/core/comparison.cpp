// SPDX-License-Identifier: MIT
#include "comparison.h"

#include "normalise.h"
#include "place_set.h"
#include "prefetch.h"
#include "side_by_side.h"
#include "word_index.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <span>

namespace glenvary::core {
namespace {

// How many of a run's leading words are looked at when picking the rarest
// one to draw candidate places from, while the run has no lists of its
// own: enough to pass over common words such as "the" at little cost for
// very long chunks.
constexpr std::int32_t kAnchorWindow = 16;

// A walk without run lists reports the steps it spent (see
// TWordIndex::RentOrBuild) after this many, so that a long walk can switch
// to lists as soon as building them pays.
constexpr std::int64_t kRentReport = 256;

// Lists of this many places or more are entered by interpolation (see
// FindPlace); shorter ones fit in a few cache lines and are halved.
constexpr std::int32_t kInterpolateFrom = 32;

// Walks over an article 2 of this many words or more look ahead (see
// TMatcher::LookAhead); a smaller one's index stays in the caches.
constexpr std::int32_t kLookAheadFrom = 1 << 18;

// From this chunk length on, a word walk indexes up front only the runs
// of one word less than its chunks: runs this long recur only where a
// passage was copied, in prose or in random words alike, so few chunks
// get past their first words and need the lists of their whole length.
constexpr std::int32_t kWholeChunkListsBelow = 64;

// Coloured spans of fewer words than this are tested word by word: a few
// colours next to each other cost less to read than six sets.
constexpr std::int32_t kShortSpan = 16;

// The place of a match colour in the palette, 1..6; 0 for white and any
// colour outside the palette.
std::int32_t PaletteIndex(TColor colour) noexcept
{
    for (std::int32_t i = 1; i <= kMatchColorCount; ++i) {
        if (MatchColor(i) == colour) {
            return i;
        }
    }
    return 0;
}

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
std::int32_t FindPlace(std::span<const std::int32_t> places, std::int32_t target, std::int32_t spread) noexcept
{
    const auto size = static_cast<std::int32_t>(places.size());
    if (size < kInterpolateFrom || spread <= 0) {
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

// What settles the search for a chunk before or after the wrap-around.
struct TProbe {
    enum Kind { None, Match, WrapAround } kind = None;
    std::int32_t start = -1;
};

// The search for one chunk of article 1 in article 2.
struct TChunkSearch {
    std::int32_t first = 0;
    std::int32_t last = 0;
    std::int32_t lastOffset = 0;
    // The first start looked at.
    std::int32_t start = 0;
    // Past this start the chunk runs out of article 2 before its last word.
    std::int32_t lastStart = 0;
    bool newRegion = false;
    // The palette place of the current region's colour; 0 before the first
    // match, when every coloured word clashes.
    std::int32_t current = 0;

    // Every coloured word of article 2 clashes, not only those of another
    // region's colour.
    [[nodiscard]] bool AllColouredClash() const noexcept { return newRegion || current == 0; }
};

} // namespace

TColor MatchColor(std::int32_t colorIndex) noexcept
{
    switch (colorIndex) {
    case 1: return 0xFFFF00; // aqua
    case 2: return 0xC0DCC0; // money green
    case 3: return 0x00FFFF; // yellow
    case 4: return 0x0000FF; // red
    case 5: return 0x008080; // olive
    case 6: return 0xC0C0C0; // silver
    default: return clWhite;
    }
}

std::int32_t CountColouredWords(const TListWords& words) noexcept
{
    return static_cast<std::int32_t>(
        std::count_if(words.begin(), words.end(), [](const TWord& w) { return w.iColor != clWhite; }));
}

double DuplicatePercent(std::int32_t coloured, std::int32_t wordCount) noexcept
{
    if (wordCount <= 0) {
        return 0.0;
    }
    return static_cast<double>(coloured) * 100.0 / static_cast<double>(wordCount);
}

std::int64_t RoundHalfEven(double value) noexcept
{
    if (std::isnan(value)) {
        return 0;
    }
    constexpr double kLimit = 9.2e18;
    if (value >= kLimit) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (value <= -kLimit) {
        return std::numeric_limits<std::int64_t>::min();
    }
    const double floor = std::floor(value);
    const double fraction = value - floor;
    auto result = static_cast<std::int64_t>(floor);
    if (fraction > 0.5 || (fraction == 0.5 && (result % 2) != 0)) {
        ++result;
    }
    return result;
}

// Everything the comparison keeps beside the two articles: the word index,
// the colours of the words as sets of places, so that the next clashing or
// free word is found without walking the words between, and what the walk
// learnt so far. The colour sets always say what the word lists say.
struct TComparison::TMatcher {
    // The last range painted in one article, merged with the ranges of the
    // same colour painted before it that it touches; every word in it has
    // `colour`. Overlapping chunks of one region keep extending it.
    struct TPaintedRun {
        std::int32_t first = 0;
        std::int32_t last = -1;
        TColor colour = clWhite;
    };
    // Pairs (first1 + k, first2 + k) for k below `equal` are the same word.
    struct TDiagonal {
        std::int32_t first1 = 0;
        std::int32_t first2 = 0;
        std::int32_t equal = 0;
    };
    // A walk over the places of a run's rarest word: either it decided
    // (`start`, -1 for no start), or it grew long enough that the run's own
    // lists, or the common endings of runs that end where it ends, were
    // built to finish the look-up.
    struct TAnchoredWalk {
        bool decided = true;
        std::int32_t start = -1;
        TRunLists* lists = nullptr;
        const TEndingRuns* ending = nullptr;
    };

    // A match the walk made, or several made one after the other that
    // continue one copy, and the first word painted in each article: the
    // words from there to the range's end took their present colour from
    // it, unless a later match painted them again. `lastFirst1` is where the
    // last of the joined matches starts in article 1.
    struct TMatchRecord {
        TComparison::TPassage ranges;
        TColor colour = clWhite;
        std::int32_t painted1 = 0;
        std::int32_t painted2 = 0;
        std::int32_t lastFirst1 = 0;

        // Whether `after`, made later, continues this copy: same colour and
        // offset, starting in article 1 no further than one word past this
        // range's end and not before its last match.
        [[nodiscard]] bool ContinuedBy(const TMatchRecord& after) const noexcept
        {
            return colour == after.colour && ranges.first1 - ranges.first2 == after.ranges.first1 - after.ranges.first2
                && after.ranges.first1 >= lastFirst1 && after.ranges.first1 <= ranges.last1 + 1;
        }
    };

    TWordIndex index;
    bool keepMatches = true;
    std::vector<TMatchRecord> matches;
    // Which match gave each word its present colour (-1 for none), made
    // from the records when a passage is first asked for.
    mutable std::vector<std::int32_t> matchOf1;
    mutable std::vector<std::int32_t> matchOf2;
    mutable bool matchOfKnown = false;
    // Article 2's words, for their colours.
    const TListWords* words2 = nullptr;
    TPlaceSet white1;
    TPlaceSet white2;
    TPlaceSet coloured2;
    std::array<TPlaceSet, kMatchColorCount> palette2;
    TPaintedRun painted1;
    TPaintedRun painted2;
    // Whether a side may have been painted since it was last whitened.
    bool paintedSince1 = true;
    bool paintedSince2 = true;
    TDiagonal diagonal;

    void Whiten(TArticle& article, bool article2);
    std::int32_t Paint(TArticle& article, bool article2, std::int32_t first, std::int32_t last, TColor colour);
    void Record(const TMatchRecord& match);
    void KnowMatchOf(std::int32_t count1, std::int32_t count2) const;

    void LookAhead(std::int32_t first, std::int32_t length) const noexcept;

    TProbe FirstDecidingStart(const TChunkSearch& search, const TListWords& words1);
    TProbe FirstWholeMatch(const TChunkSearch& search, const TListWords& words1);

    bool StandsNowhere(const TChunkSearch& search) const noexcept;
    std::int32_t FirstStray(const TChunkSearch& search, const TListWords& words1) const noexcept;
    std::int32_t FirstClash(std::int32_t from, std::int32_t to, const TChunkSearch& search) const noexcept;
    std::int32_t NextFree(std::int32_t from, const TChunkSearch& search) const noexcept;
    std::int32_t SameWords(std::int32_t first1, std::int32_t first2, std::int32_t count) noexcept;
    bool RunStands(std::int32_t first1, std::int32_t first2, std::int32_t count) noexcept;

    std::int32_t FirstFreeRun(const TChunkSearch& search, std::int32_t count, std::int32_t from);
    std::int32_t WalkRunLists(TRunLists& runs, const TChunkSearch& search, std::int32_t from);
    std::int32_t WalkEnding(const TEndingRuns& ending, const TChunkSearch& search, std::int32_t count,
                            std::int32_t from);
    TAnchoredWalk WalkRarestWord(const TChunkSearch& search, std::int32_t count, std::int32_t from);
};

void TComparison::TMatcher::Whiten(TArticle& article, bool article2)
{
    const std::int32_t words = article.lstWords.Count();
    // The matches' ranges lose their meaning with the colours.
    matches.clear();
    matchOfKnown = false;
    bool& painted = article2 ? paintedSince2 : paintedSince1;
    if (!painted && (article2 ? white2 : white1).Size() == words) {
        // Nothing was painted since the side was last whitened, and every
        // article that took its place came white: all is white already.
        return;
    }
    painted = false;
    for (TWord& word : article.lstWords) {
        word.iColor = clWhite;
    }
    if (article2) {
        white2.Reset(words, true);
        coloured2.Reset(words, false);
        for (TPlaceSet& set : palette2) {
            set.Reset(words, false);
        }
        painted2 = {};
        // The places known to cover a coloured word are white again.
        index.ForgetColours();
    } else {
        white1.Reset(words, true);
        painted1 = {};
    }
}

// Colours first..last of one article and returns the first word that took
// the colour from this match: the words before it have it already.
std::int32_t TComparison::TMatcher::Paint(TArticle& article, bool article2, std::int32_t first, std::int32_t last,
                                           TColor colour)
{
    TPaintedRun& run = article2 ? painted2 : painted1;
    (article2 ? paintedSince2 : paintedSince1) = true;
    std::int32_t from = first;
    if (colour == run.colour && first >= run.first && first <= run.last + 1) {
        // The words up to the run's end have this colour already.
        from = std::max(first, run.last + 1);
        run.last = std::max(run.last, last);
    } else {
        run = {first, last, colour};
    }
    if (from > last) {
        return from;
    }
    for (std::int32_t i = from; i <= last; ++i) {
        article.lstWords[i].iColor = colour;
    }
    if (!article2) {
        white1.Assign(from, last, false);
        return from;
    }
    // Mostly the words were white; only words of another colour must leave
    // that colour's set.
    const bool recoloured = coloured2.Next(from) <= last;
    white2.Assign(from, last, false);
    coloured2.Assign(from, last, true);
    const std::int32_t paletteIndex = PaletteIndex(colour);
    for (std::int32_t i = 1; i <= kMatchColorCount; ++i) {
        if (i == paletteIndex || recoloured) {
            palette2[static_cast<std::size_t>(i - 1)].Assign(from, last, i == paletteIndex);
        }
    }
    return from;
}

// Keeps a match. A match that continues the previous one and painted
// just the words after it in both articles joins its record: a copied
// passage then takes one record instead of one per chunk, and every word
// still maps to a record of its passage.
void TComparison::TMatcher::Record(const TMatchRecord& match)
{
    matchOfKnown = false;
    if (!keepMatches) {
        return;
    }
    if (!matches.empty()) {
        TMatchRecord& previous = matches.back();
        if (previous.ContinuedBy(match) && match.painted1 == previous.ranges.last1 + 1
            && match.painted2 == previous.ranges.last2 + 1 && match.ranges.last1 >= previous.ranges.last1
            && match.ranges.last2 >= previous.ranges.last2) {
            previous.ranges.last1 = match.ranges.last1;
            previous.ranges.last2 = match.ranges.last2;
            previous.lastFirst1 = match.lastFirst1;
            return;
        }
    }
    matches.push_back(match);
}

// Replays the matches' painting into matchOf1 and matchOf2.
void TComparison::TMatcher::KnowMatchOf(std::int32_t count1, std::int32_t count2) const
{
    if (matchOfKnown) {
        return;
    }
    matchOf1.assign(static_cast<std::size_t>(count1), -1);
    matchOf2.assign(static_cast<std::size_t>(count2), -1);
    for (std::size_t m = 0; m < matches.size(); ++m) {
        const TMatchRecord& match = matches[m];
        std::fill(matchOf1.begin() + match.painted1, matchOf1.begin() + std::max(match.painted1, match.ranges.last1 + 1),
                  static_cast<std::int32_t>(m));
        std::fill(matchOf2.begin() + match.painted2, matchOf2.begin() + std::max(match.painted2, match.ranges.last2 + 1),
                  static_cast<std::int32_t>(m));
    }
    matchOfKnown = true;
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

// Whether the chunk's whole run is known to stand nowhere in article 2:
// the lists of its length are held and have no run like it. Without the
// lists nothing is known.
bool TComparison::TMatcher::StandsNowhere(const TChunkSearch& search) const noexcept
{
    const TRunLists* runs = index.Held(search.lastOffset + 1);
    return runs != nullptr && index.KeyOf(*runs, search.first) < 0;
}

// Strays: with a new region sought and the chunk's first word coloured,
// every start fails at the chunk's first white word. Its offset, or
// lastOffset + 1 when no word strays.
std::int32_t TComparison::TMatcher::FirstStray(const TChunkSearch& search, const TListWords& words1) const noexcept
{
    if (!search.newRegion || words1[search.first].iColor == clWhite) {
        return search.lastOffset + 1;
    }
    const std::int32_t white = white1.Next(search.first + 1);
    return white <= search.last ? white - search.first : search.lastOffset + 1;
}

// Clashes: the first word of article 2 in from..to that a match may not run
// over (one of another region's colour, or any coloured word while a new
// region is sought), or -1.
std::int32_t TComparison::TMatcher::FirstClash(std::int32_t from, std::int32_t to,
                                               const TChunkSearch& search) const noexcept
{
    std::int32_t clash = coloured2.Next(from);
    if (clash > to || search.AllColouredClash()) {
        return clash <= to ? clash : -1;
    }
    // Words of the current region's colour may be run over.
    if (to - clash < kShortSpan) {
        const TColor current = MatchColor(search.current);
        for (std::int32_t i = clash; i <= to; ++i) {
            const TColor colour = (*words2)[i].iColor;
            if (colour != clWhite && colour != current) {
                return i;
            }
        }
        return -1;
    }
    clash = white2.Size();
    for (std::int32_t i = 1; i <= kMatchColorCount; ++i) {
        if (i != search.current) {
            clash = std::min(clash, palette2[static_cast<std::size_t>(i - 1)].Next(from));
        }
    }
    return clash <= to ? clash : -1;
}

// The first word of article 2 from `from` on that does not clash, or
// article 2's word count.
std::int32_t TComparison::TMatcher::NextFree(std::int32_t from, const TChunkSearch& search) const noexcept
{
    const std::int32_t white = white2.Next(from);
    if (search.AllColouredClash()) {
        return white;
    }
    return std::min(white, palette2[static_cast<std::size_t>(search.current - 1)].Next(from));
}

// Differs: how many of the pairs (first1 + k, first2 + k), k below `count`,
// are the same word before the first that differs. Pairs known to hold
// from an earlier look-up along the same diagonal are not compared again,
// so chunks that slide along one match cost only their new words.
std::int32_t TComparison::TMatcher::SameWords(std::int32_t first1, std::int32_t first2, std::int32_t count) noexcept
{
    std::int32_t known = 0;
    if (diagonal.first1 - diagonal.first2 == first1 - first2 && first1 >= diagonal.first1) {
        known = std::max(0, diagonal.equal - (first1 - diagonal.first1));
    }
    std::int32_t k = std::min(known, count);
    while (k < count && index.Id1(first1 + k) == index.Id2(first2 + k)) {
        ++k;
    }
    if (k > known) {
        diagonal = {first1, first2, k};
    }
    return k;
}

// Whether all the pairs (first1 + k, first2 + k), k below `count`, are the
// same word: read from the common endings when endings held for the run's
// last word reach that far, else compared as SameWords does.
bool TComparison::TMatcher::RunStands(std::int32_t first1, std::int32_t first2, std::int32_t count) noexcept
{
    if (const TEndingRuns* ending = index.Ending(first1 + count - 1, count)) {
        return ending->Common(first2 + count - 1) >= count;
    }
    return SameWords(first1, first2, count) == count;
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
    while (from <= search.lastStart) {
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
    std::int32_t at = FindPlace(places, from, index.Count2());
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
        if (start > search.lastStart) {
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
    for (std::int32_t k = 0; k < std::min(count, kAnchorWindow); ++k) {
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
    auto it = places.begin() + FindPlace(places, from + anchor, index.Count2());
    while (it != places.end()) {
        const std::int32_t start = *it - anchor;
        if (start > search.lastStart) {
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
        if (steps >= kRentReport) {
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

// Before the wrap-around: the first start from search.start on whose first
// lastOffset pairs hold decides. All pairs held is a match; the chunk's
// last word failing is the wrap-around. A one-word chunk is decided by its
// first start alone.
TProbe TComparison::TMatcher::FirstDecidingStart(const TChunkSearch& search, const TListWords& words1)
{
    if (search.start > index.Count2() - 1) {
        return {};
    }
    if (search.lastOffset == 0) {
        const std::int32_t start = search.start;
        const bool holds = index.Id1(search.first) == index.Id2(start) && FirstClash(start, start, search) < 0;
        return {holds ? TProbe::Match : TProbe::WrapAround, start};
    }
    const std::int32_t stray = FirstStray(search, words1);
    if (stray < search.lastOffset || search.start > search.lastStart) {
        // Every start fails before the chunk's last word: it strays, or runs
        // out of article 2.
        return {};
    }
    const std::int32_t start = FirstFreeRun(search, search.lastOffset, search.start);
    if (start < 0) {
        return {};
    }
    const std::int32_t lastPlace = start + search.lastOffset;
    const bool lastHolds = stray > search.lastOffset && RunStands(search.first, start, search.lastOffset + 1)
        && FirstClash(lastPlace, lastPlace, search) < 0;
    return {lastHolds ? TProbe::Match : TProbe::WrapAround, start};
}

// After the wrap-around: the first start from article 2's first word where
// the whole chunk holds.
TProbe TComparison::TMatcher::FirstWholeMatch(const TChunkSearch& search, const TListWords& words1)
{
    if (search.lastStart < 0 || FirstStray(search, words1) <= search.lastOffset) {
        return {};
    }
    const std::int32_t start = FirstFreeRun(search, search.lastOffset + 1, 0);
    return start < 0 ? TProbe{} : TProbe{TProbe::Match, start};
}

TPreparedArticle::TPreparedArticle(std::u16string text) : words_(std::make_unique<TWordTable>())
{
    article_.Assign(std::move(text));
    words_->Build(article_);
}

TPreparedArticle::~TPreparedArticle() = default;
TPreparedArticle::TPreparedArticle(TPreparedArticle&&) noexcept = default;
TPreparedArticle& TPreparedArticle::operator=(TPreparedArticle&&) noexcept = default;

TComparison::TComparison() : matcher_(std::make_unique<TMatcher>())
{
    matcher_->words2 = &article2_.lstWords;
    matcher_->Whiten(article1_, false);
    matcher_->Whiten(article2_, true);
}

TComparison::~TComparison() = default;

void TComparison::SetArticleText(TArticleSide side, std::u16string text)
{
    const bool second = side != TArticleSide::Article1;
    TArticle& article = second ? article2_ : article1_;
    article.Assign(std::move(text));
    matcher_->index.Forget(second);
    matcher_->diagonal = {};
    matcher_->Whiten(article, second);
}

void TComparison::SetArticleTexts(std::u16string text1, std::u16string text2)
{
    const bool parallel = text1.size() + text2.size() >= kParallelWords;
    SideBySide(
        parallel, [&] { article1_.Assign(std::move(text1)); }, [&] { article2_.Assign(std::move(text2)); });
    for (const bool second : {false, true}) {
        matcher_->index.Forget(second);
        matcher_->Whiten(second ? article2_ : article1_, second);
    }
    matcher_->diagonal = {};
}

void TComparison::SetPreparedArticles(const TPreparedArticle& article1, const TPreparedArticle& article2)
{
    // Assigned rather than built anew, so that a comparison that goes from
    // pair to pair keeps the memory of its lists.
    article1_ = article1.article_;
    article2_ = article2.article_;
    matcher_->index.Adopt(*article1.words_, *article2.words_);
    matcher_->diagonal = {};
    matcher_->Whiten(article1_, false);
    matcher_->Whiten(article2_, true);
}

TArticle TComparison::TakeArticle(TArticleSide side)
{
    const bool second = side != TArticleSide::Article1;
    TArticle& article = second ? article2_ : article1_;
    TArticle taken = std::move(article);
    article = TArticle{};
    matcher_->index.Forget(second);
    matcher_->diagonal = {};
    matcher_->Whiten(article, second);
    return taken;
}

void TComparison::ReparseArticle(TArticleSide side)
{
    // The lists hold the split of the stored text, which changes only
    // through SetArticleText: a new split would differ from them only in
    // its colours, all white.
    const bool second = side != TArticleSide::Article1;
    matcher_->Whiten(second ? article2_ : article1_, second);
}

TComparison::TMatcher& TComparison::Matcher()
{
    matcher_->index.Update(article1_, article2_);
    return *matcher_;
}

void TComparison::BeginMatching()
{
    iColorIndex = 0;
    Matcher();
    matcher_->painted1 = {};
    matcher_->painted2 = {};
}

TCompareOutcome TComparison::Compare(std::int32_t minLength, std::int32_t unitKind)
{
    TCompareOutcome outcome;
    if (IsBlankArticle(article1_.sText) || IsBlankArticle(article2_.sText)) {
        return outcome;
    }
    iMinLength = minLength;
    iUnitKind = unitKind;
    ReparseArticle(TArticleSide::Article1);
    ReparseArticle(TArticleSide::Article2);
    BeginMatching();
    if (unitKind == ukWords && minLength >= 2 && minLength <= article1_.lstWords.Count()) {
        // Nearly every chunk of a word walk has minLength words, and looks
        // up runs of that length and one less: index both at once. Long
        // chunks need the lists of their whole length only after their
        // first minLength - 1 words stood somewhere, and those seldom do;
        // the walks build them if they come to need them.
        const std::array<std::int32_t, 2> lengths = {minLength - 1, minLength};
        const std::size_t wanted = minLength < kWholeChunkListsBelow ? 2 : 1;
        matcher_->index.Prebuild(std::span<const std::int32_t>(lengths).first(wanted));
    }

    std::int32_t unitIndex = -1;
    std::int32_t resume = -1;
    std::int32_t first = -1;
    std::int32_t last = -1;
    std::int32_t matchFirst = -1;
    std::int32_t matchLast = -1;
    // Looking ahead pays only when the index is larger than the caches.
    const bool lookAhead = unitKind == ukWords && article2_.lstWords.Count() >= kLookAheadFrom;
    while (NextChunk(unitIndex, first, last)) {
        if (lookAhead) {
            matcher_->LookAhead(first, minLength);
        }
        FindChunkMatch(first, last, resume, matchFirst, matchLast);
    }

    // The run lists served this walk; the next whole comparison starts from
    // white words and builds what its lengths need. Their memory goes back
    // now, before the caller reports on the result.
    matcher_->index.DropRuns();

    outcome.compared = true;
    outcome.duplicatedWords = CountColouredWords(article2_.lstWords);
    outcome.duplicatePercent = DuplicatePercent(outcome.duplicatedWords, article2_.lstWords.Count());
    return outcome;
}

bool TComparison::NextChunk(std::int32_t& unitIndex, std::int32_t& first, std::int32_t& last) const
{
    first = -1;
    last = -1;
    std::int32_t units = 0;
    switch (iUnitKind) {
    case ukWords: units = article1_.lstWords.Count(); break;
    case ukSentences: units = article1_.lstSentences.Count(); break;
    case ukParagraphs: units = article1_.lstParagraphs.Count(); break;
    default: return false;
    }
    if (unitIndex == std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    ++unitIndex;
    // A walk position that was below -1 would look up a unit before the
    // first; a length below 1 covers no unit at all.
    if (unitIndex < 0 || unitIndex > units - 1 || iMinLength < 1) {
        return false;
    }
    // Formed in 64 bits: a length near INT32_MAX still cuts at article 1's end.
    const auto lastUnit = static_cast<std::int32_t>(
        std::min<std::int64_t>(std::int64_t{unitIndex} + iMinLength - 1, std::int64_t{units} - 1));
    switch (iUnitKind) {
    case ukWords:
        first = unitIndex;
        last = lastUnit;
        break;
    case ukSentences:
        first = article1_.lstSentences[unitIndex].iFirstWord;
        last = article1_.lstSentences[lastUnit].iLastWord;
        break;
    default:
        first = article1_.lstParagraphs[unitIndex].iFirstWord;
        last = article1_.lstParagraphs[lastUnit].iLastWord;
        break;
    }
    return true;
}

bool TComparison::FindChunkMatch(std::int32_t first, std::int32_t last, std::int32_t& resume,
                                 std::int32_t& matchFirst, std::int32_t& matchLast)
{
    const TListWords& words1 = article1_.lstWords;
    const TListWords& words2 = article2_.lstWords;
    const std::int32_t count2 = words2.Count();
    if (first < 0 || last < first || last >= words1.Count()) {
        return false;
    }
    TMatcher& matcher = Matcher();

    TChunkSearch search;
    search.first = first;
    search.last = last;
    search.lastOffset = last - first;
    search.lastStart = count2 - 1 - search.lastOffset;
    search.current = PaletteIndex(MatchColor(iColorIndex));
    std::int64_t j = resume;
    if (j == std::int64_t{count2} - 1) {
        // The previous match ended article 2: start over as a new region.
        j = -1;
        search.newRegion = true;
    }
    // A resume position before article 2 would lead the search outside it;
    // one past its end finds nothing.
    search.start = static_cast<std::int32_t>(std::clamp<std::int64_t>(j + 1, 0, count2));

    // A chunk whose words stand together nowhere in article 2 matches
    // nothing; searched from article 2's first word, it leaves the resume
    // position as it is, since its wrap-around would only set it there.
    if (resume == -1 && matcher.StandsNowhere(search)) {
        return false;
    }

    TProbe probe = matcher.FirstDecidingStart(search, words1);
    if (probe.kind == TProbe::WrapAround) {
        // The one wrap-around: from article 2's first word, as a new region.
        resume = -1;
        search.newRegion = true;
        search.start = 0;
        probe = matcher.FirstWholeMatch(search, words1);
    }
    if (probe.kind != TProbe::Match) {
        return false;
    }

    const std::int32_t found = probe.start;
    matchFirst = found;
    matchLast = found + search.lastOffset;
    resume = found;

    bool newRegion = search.newRegion;
    if ((first > 0 && words1[first - 1].iColor == clWhite) || (found > 0 && words2[found - 1].iColor == clWhite)) {
        newRegion = true;
    }
    if (newRegion) {
        iColorIndex = iColorIndex >= 0 && iColorIndex < kMatchColorCount ? iColorIndex + 1 : 1;
    }
    if (iColorIndex < 1 || iColorIndex > kMatchColorCount) {
        iColorIndex = 1;
    }
    const TColor colour = MatchColor(iColorIndex);
    const std::int32_t painted1 = matcher.Paint(article1_, false, first, last, colour);
    const std::int32_t painted2 = matcher.Paint(article2_, true, found, matchLast, colour);
    matcher.Record({{first, last, found, matchLast}, colour, painted1, painted2, first});
    return true;
}

void TComparison::KeepPassages(bool keep) noexcept
{
    matcher_->keepMatches = keep;
    if (!keep) {
        matcher_->matches.clear();
        matcher_->matchOfKnown = false;
    }
}

std::optional<TComparison::TPassage> TComparison::PassageOf(TArticleSide side, std::int32_t word) const
{
    matcher_->KnowMatchOf(article1_.lstWords.Count(), article2_.lstWords.Count());
    const std::vector<std::int32_t>& matchOf =
        side == TArticleSide::Article1 ? matcher_->matchOf1 : matcher_->matchOf2;
    const std::vector<TMatcher::TMatchRecord>& matches = matcher_->matches;
    if (word < 0 || static_cast<std::size_t>(word) >= matchOf.size()) {
        return std::nullopt;
    }
    const std::int32_t match = matchOf[static_cast<std::size_t>(word)];
    if (match < 0 || static_cast<std::size_t>(match) >= matches.size()) {
        return std::nullopt;
    }
    const auto continues = [](const TMatcher::TMatchRecord& before, const TMatcher::TMatchRecord& after) {
        return before.ContinuedBy(after);
    };
    auto at = static_cast<std::size_t>(match);
    std::size_t begin = at;
    while (begin > 0 && continues(matches[begin - 1], matches[begin])) {
        --begin;
    }
    std::size_t end = at;
    while (end + 1 < matches.size() && continues(matches[end], matches[end + 1])) {
        ++end;
    }
    TPassage passage = matches[begin].ranges;
    for (std::size_t i = begin + 1; i <= end; ++i) {
        passage.last1 = std::max(passage.last1, matches[i].ranges.last1);
        passage.last2 = std::max(passage.last2, matches[i].ranges.last2);
    }
    return passage;
}

} // namespace glenvary::core
