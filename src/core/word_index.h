// SPDX-License-Identifier: MIT
// Glenvary: the words of two articles as small integers, and the places in
// article 2 of runs of words, for fast chunk look-up.
#pragma once

#include "prefetch.h"
#include "segmentation.h"
#include "tuning.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace glenvary::core {

/// The text of word `word` of `article`, cut out of its stored text by the
/// word's positions and clamped to the text, so that lists and a text that
/// disagree never lead outside the text.
[[nodiscard]] std::u16string_view WordText(const TArticle& article, std::int32_t word) noexcept;

/// The distinct words of one article. Two words are the same word when they
/// are equal after folding the ASCII capitals A-Z to small letters (every
/// other code unit must agree exactly); ids run from 0 in the order of
/// first occurrence. Each word is folded and hashed once, four code units
/// at a time. A distinct word keeps its hash, length and first eight folded
/// units together, so that a look-up of a word of up to eight units
/// compares one entry; the folded texts of the distinct words are kept
/// side by side for the longer ones.
class TWordTable {
public:
    static constexpr std::int32_t kAbsent = -1;

    /// Forgets everything and interns every word of `article`: Ids()[w] is
    /// the id of word w. Cost: one pass over the words' characters.
    void Build(const TArticle& article);

    /// The id of the word whose folded text is `folded` and whose hash is
    /// `hash` (as Hash gives it), or kAbsent.
    [[nodiscard]] std::int32_t Find(std::u16string_view folded, std::uint64_t hash) const noexcept;

    [[nodiscard]] std::int32_t Count() const noexcept { return static_cast<std::int32_t>(entries_.size()); }
    [[nodiscard]] std::u16string_view Folded(std::int32_t id) const noexcept;
    [[nodiscard]] std::uint64_t Hash(std::int32_t id) const noexcept
    {
        return entries_[static_cast<std::size_t>(id)].hash;
    }
    [[nodiscard]] const std::vector<std::int32_t>& Ids() const noexcept { return ids_; }
    /// Hands the ids over, leaving none.
    [[nodiscard]] std::vector<std::int32_t> TakeIds() noexcept { return std::move(ids_); }

private:
    // A word's hash and length, and its first eight units folded (zero past
    // its end), four to a block; for a distinct word of the table, also
    // where its folded text starts in folded_. Ids go by first occurrence,
    // so the keys of the words that come most often lie close together.
    struct TKey {
        std::uint64_t hash = 0;
        std::array<std::uint64_t, 2> head{};
        std::uint32_t size = 0;
        std::uint32_t start = 0;

        // Whether `other` is the same word, but for the units past the
        // eighth.
        [[nodiscard]] bool Matches(const TKey& other) const noexcept
        {
            return hash == other.hash && size == other.size && head[0] == other.head[0] && head[1] == other.head[1];
        }
    };

    // The key of `text`; with `readAhead`, the eight units from its start
    // may be read even where the word is shorter.
    [[nodiscard]] static TKey KeyOf(std::u16string_view text, bool readAhead) noexcept;
    std::int32_t Intern(std::u16string_view text, const TKey& key);
    void Grow();

    std::vector<std::int32_t> ids_;
    // Open addressing: a slot holds an id or kAbsent.
    std::vector<std::int32_t> slots_;
    std::vector<TKey> entries_;
    std::u16string folded_;
};

/// A std::allocator whose resize and count-constructor leave new ints
/// unset: for arrays that are written in full right after they are sized,
/// so that a book's worth of zeros is not written first.
template <typename T>
struct TUninitialisedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = TUninitialisedAllocator<U>;
    };
    TUninitialisedAllocator() = default;
    template <typename U>
    explicit TUninitialisedAllocator(const TUninitialisedAllocator<U>& /*other*/) noexcept
    {
    }
    template <typename U>
    void construct(U* place) noexcept
    {
        ::new (static_cast<void*>(place)) U;
    }
    template <typename U, typename... Arguments>
    void construct(U* place, Arguments&&... arguments)
    {
        ::new (static_cast<void*>(place)) U(std::forward<Arguments>(arguments)...);
    }
};

/// Word places or keys, one per run, filled right after sizing.
using TPlaceArray = std::vector<std::int32_t, TUninitialisedAllocator<std::int32_t>>;

/// The places in article 2 of every run of Length() words, grouped by run:
/// for each distinct run a key and the ascending list of the word indices
/// where it starts, and for every run of article 1 the key of the runs of
/// article 2 like it (or -1). Runs of one word are keyed by word id; longer
/// runs by a rolling hash of their word ids, so two different runs may,
/// very rarely, share a key: the caller compares the words of a place it
/// takes.
///
/// Besides, each key keeps the walk's knowledge of its list: FirstLive()
/// counts the leading places known to cover a coloured word of article 2.
/// Colours only spread during a walk, so what is known stays true until
/// ForgetColours().
class TRunLists {
public:
    /// Runs of `length` >= 2 words of article 2's word ids `ids2`, and the
    /// keys of article 1's runs (`ids1`). Cost: a hash and a table probe
    /// per run of either article, the probes overlapped in memory; 4 bytes
    /// per run of each article and per distinct run are kept, and while
    /// building 8 more per run of article 2.
    TRunLists(std::span<const std::int32_t> ids2, std::span<const std::int32_t> ids1, std::int32_t length);
    /// Single words of article 2: key = word id, for ids 0 .. distinct - 1.
    TRunLists(std::span<const std::int32_t> ids2, std::int32_t distinct);

    [[nodiscard]] std::int32_t Length() const noexcept { return length_; }
    /// The key of article 1's run of Length() words from `first`, or -1
    /// when it stands nowhere in article 2 (runs of two words or more).
    [[nodiscard]] std::int32_t Key1(std::int32_t first) const noexcept;
    /// The places of key `key` (0 .. keys - 1), ascending.
    [[nodiscard]] std::span<const std::int32_t> Places(std::int32_t key) const noexcept
    {
        const auto begin = static_cast<std::size_t>(start_[static_cast<std::size_t>(key)]);
        const auto end = static_cast<std::size_t>(start_[static_cast<std::size_t>(key) + 1]);
        return std::span<const std::int32_t>(places_).subspan(begin, end - begin);
    }
    /// Starts loading what a look-up of key `key` reads first: the key's
    /// entry in the list index and its count of dead places. A hint for
    /// look-ups a few chunks ahead; a key below 0 asks for nothing.
    void PrefetchKey(std::int32_t key) const noexcept;
    /// Starts loading the first places of key `key`, whose entry should be
    /// loaded already (PrefetchKey), or this waits for it. A key below 0
    /// asks for nothing.
    void PrefetchPlaces(std::int32_t key) const noexcept;
    /// Key `key`'s first place, or -1 for a key below 0.
    [[nodiscard]] std::int32_t FirstPlace(std::int32_t key) const noexcept;
    /// Number of leading places of key `key` known to cover a coloured word.
    /// Held only for lists that are asked, at 4 bytes a key.
    [[nodiscard]] std::int32_t& FirstLive(std::int32_t key);
    void ForgetColours() noexcept;
    /// Bytes held, for the bound on all lists together.
    [[nodiscard]] std::size_t Bytes() const noexcept;

private:
    void Group(std::span<const std::int32_t> keyAt, std::int32_t keys);

    std::int32_t length_ = 1;
    // The places of key k are places_[start_[k] .. start_[k + 1]).
    std::vector<std::int32_t> start_;
    TPlaceArray places_;
    TPlaceArray keys1_;
    std::vector<std::int32_t> firstLive_;
};

/// Where in article 2 the runs of article 1 that end at one word of it,
/// `End()`, stand, for runs of every length up to Longest(): for each word
/// p of article 2, the number of words, up to Longest(), that article 1 up
/// to End() and article 2 up to p have in common at their ends. A run of
/// c words ending at End() stands in article 2 ending at p exactly when
/// that number is c or more. The chunks at the end of article 1, cut
/// short, are such runs, one of each length; this answers each of them
/// without comparing its words. Exact: built from the word ids, no hashing.
class TEndingRuns {
public:
    /// The common endings, up to `longest` words (at least 1, at most
    /// end + 1), of article 1's words `ids1` up to `end` (inside ids1) with
    /// every word of article 2's `ids2`. Cost: a pass over `longest` of
    /// article 1's words and one over article 2's (a Z-function of article
    /// 1's words read backwards, then a match of article 2's read
    /// backwards against it); about 4.3 bytes per word of article 2 are
    /// kept, and 4 per word of the `longest` while building.
    TEndingRuns(std::span<const std::int32_t> ids2, std::span<const std::int32_t> ids1, std::int32_t end,
                std::int32_t longest);

    [[nodiscard]] std::int32_t End() const noexcept { return end_; }
    [[nodiscard]] std::int32_t Longest() const noexcept { return longest_; }
    /// The number of words that article 1 up to End() and article 2 up to
    /// `place` (0 .. words of article 2 - 1) have in common at their ends.
    [[nodiscard]] std::int32_t Common(std::int32_t place) const noexcept
    {
        return common_[static_cast<std::size_t>(place)];
    }
    /// The first word of article 2 in from .. to where the run of `count`
    /// (1 .. Longest()) words of article 1 ending at End() ends, or -1.
    /// Cost: O(log of article 2's words).
    [[nodiscard]] std::int32_t NextEnd(std::int32_t from, std::int32_t to, std::int32_t count) const noexcept;
    [[nodiscard]] std::size_t Bytes() const noexcept
    {
        return (common_.capacity() + tree_.capacity()) * sizeof(std::int32_t);
    }

private:
    // Places of article 2 per leaf of the tree: a few cache lines scanned
    // instead of a tree eight times the size.
    static constexpr std::int32_t kBlock = 32;

    std::int32_t end_ = 0;
    std::int32_t longest_ = 1;
    TPlaceArray common_;
    // A tree of maxima over blocks of kBlock places: leaves from leaves_
    // on, node i the larger of nodes 2i and 2i + 1, leaves past article 2
    // 0; node 1 holds the longest common ending.
    std::int32_t leaves_ = 1;
    std::vector<std::int32_t> tree_;
};

/// Both articles' words as ids of one numbering: article 2's ids run from 0
/// in order of first occurrence, and a word of article 1 that occurs
/// nowhere in article 2 gets kAbsent. Holds the places of every word of
/// article 2, and the run lists of the run lengths that chunk look-ups ask
/// for, each built the first time it pays (see RentOrBuild).
///
/// A side is interned again after it changed (Forget), article 1 also
/// after article 2 changed, since its ids are numbered by article 2's;
/// when both are interned and large, they are on two threads. Run lists
/// hold article 1's keys, so they are dropped when either article changes.
class TWordIndex {
public:
    static constexpr std::int32_t kAbsent = TWordTable::kAbsent;

    TWordIndex();
    ~TWordIndex();
    TWordIndex(const TWordIndex&) = delete;
    TWordIndex& operator=(const TWordIndex&) = delete;

    /// Where the index's speed-ups start: threads, and the rent after
    /// which lists and endings are built.
    void SetTuning(const TTuning& tuning) noexcept { tuning_ = tuning; }

    /// Marks article 1 (`article2` false) or article 2 as changed.
    void Forget(bool article2) noexcept;
    /// Takes `table1` and `table2` as the interned words of the two
    /// articles, in place of interning them at the next Update; each must be
    /// what TWordTable::Build made of the article that is now on its side.
    /// Drops every run list. Cost: copying both tables and grouping
    /// article 2's word places.
    void Adopt(const TWordTable& table1, const TWordTable& table2);
    /// Brings the ids and the word places up to date with the two articles
    /// after Forget, dropping every run list. Cheap when nothing changed.
    void Update(const TArticle& article1, const TArticle& article2);
    /// Builds the run lists of the given lengths that are not held yet
    /// (two at a time when the articles are large). Lengths below 2 are
    /// skipped: single words always have their lists.
    void Prebuild(std::span<const std::int32_t> lengths);

    [[nodiscard]] std::int32_t Id1(std::int32_t word) const noexcept { return ids1_[static_cast<std::size_t>(word)]; }
    [[nodiscard]] std::int32_t Id2(std::int32_t word) const noexcept
    {
        return table2_.Ids()[static_cast<std::size_t>(word)];
    }
    [[nodiscard]] std::int32_t Count2() const noexcept { return static_cast<std::int32_t>(table2_.Ids().size()); }
    [[nodiscard]] std::int32_t Count1() const noexcept { return static_cast<std::int32_t>(ids1_.size()); }

    /// Ascending places in article 2 of word id `id` (a valid id).
    [[nodiscard]] std::span<const std::int32_t> Places(std::int32_t id) const noexcept { return words_->Places(id); }

    /// The run lists of `length` words if held, else nullptr; those of
    /// single words are always held. Marks them as the most recently used.
    [[nodiscard]] TRunLists* Runs(std::int32_t length);
    /// The run lists of `length` words if held, else nullptr, without
    /// marking them as used: for looking ahead.
    [[nodiscard]] const TRunLists* Held(std::int32_t length) const noexcept;
    /// Starts loading article 2's word id at `place` (0 .. Count2() - 1).
    void PrefetchId2(std::int32_t place) const noexcept
    {
        PrefetchLine(&table2_.Ids()[static_cast<std::size_t>(place)]);
    }
    /// Counts `cost` steps spent looking up runs of `length` words without
    /// their lists; once the steps add up to what building the lists costs
    /// (one per word of article 2), builds them and returns them, else
    /// nullptr. Held lists beyond a memory bound are dropped, least
    /// recently used first.
    [[nodiscard]] TRunLists* RentOrBuild(std::int32_t length, std::int64_t cost);
    /// The key in `runs` of article 1's words first .. first + Length() - 1
    /// (inside article 1), or -1 when no run of article 2 is like it.
    [[nodiscard]] std::int32_t KeyOf(const TRunLists& runs, std::int32_t first) const noexcept
    {
        return runs.Length() == 1 ? Id1(first) : runs.Key1(first);
    }

    /// The common endings of the runs of article 1 that end at word `end`
    /// if held for runs of `count` words, else nullptr.
    [[nodiscard]] const TEndingRuns* Ending(std::int32_t end, std::int32_t count) const noexcept;
    /// Counts `cost` steps spent looking up runs of up to `longest` words
    /// that end at article 1's last word or the word before, without
    /// endings that reach that far; once the steps add up to what building
    /// them costs, builds the endings at both words for runs of up to
    /// `longest` words (side by side when the articles are large). Returns
    /// whether they are held.
    bool RentOrBuildEndings(std::int64_t cost, std::int32_t longest);

    /// Drops every run list of two words or more and every ending; they
    /// are built again when asked for.
    void DropRuns() noexcept;
    /// Forgets, in every held list, what is known about coloured places.
    void ForgetColours() noexcept;

private:
    // The lists of one run length, and when they were last asked for.
    struct THeldRuns {
        std::int32_t length = 0;
        std::uint64_t used = 0;
        std::unique_ptr<TRunLists> lists;
    };

    TRunLists& Build(std::int32_t length);
    TRunLists& Hold(std::int32_t length, std::unique_ptr<TRunLists> lists);
    [[nodiscard]] THeldRuns* Find(std::int32_t length) noexcept;
    [[nodiscard]] const THeldRuns* Find(std::int32_t length) const noexcept;

    TTuning tuning_;
    TWordTable table1_;
    TWordTable table2_;
    bool stale1_ = true;
    bool stale2_ = true;
    bool linked_ = false;
    std::vector<std::int32_t> ids1_;
    std::unique_ptr<TRunLists> words_;
    // A few lengths at most, looked through in turn.
    std::vector<THeldRuns> runs_;
    std::uint64_t clock_ = 0;
    std::unordered_map<std::int32_t, std::int64_t> rent_;
    // The endings at article 1's last two words, once built, and the
    // steps spent without them until then.
    std::vector<std::unique_ptr<TEndingRuns>> endings_;
    std::int64_t endingRent_ = 0;
};

} // namespace glenvary::core
