// SPDX-License-Identifier: MIT
// The places of runs of words in article 2 (TRunLists in word_index.h).
#include "word_index.h"

#include "prefetch.h"

#include <algorithm>
#include <array>

namespace glenvary::core {
namespace {

// Runs of word ids are hashed as polynomials modulo the Mersenne prime
// 2^61 - 1: a change of any word changes the hash, and unlike hashes
// modulo 2^64 no run of two alternating words makes two runs collide
// systematically. The base is fixed, so results never depend on the run.
constexpr std::uint64_t kPrime = (std::uint64_t{1} << 61) - 1;

constexpr std::uint64_t kBase = 0x0F1E2D3C4B5A6978ULL % kPrime;

constexpr std::uint64_t Reduce(std::uint64_t x) noexcept
{
    x = (x & kPrime) + (x >> 61);
    return x >= kPrime ? x - kPrime : x;
}

// a * b mod 2^61 - 1 for a, b below the prime: the 122-bit product's
// bits from 61 up are worth 2^61 = 1 each.
constexpr std::uint64_t MulMod(std::uint64_t a, std::uint64_t b) noexcept
{
    __extension__ using TWide = unsigned __int128;
    const TWide product = static_cast<TWide>(a) * b;
    return Reduce((static_cast<std::uint64_t>(product) & kPrime) + static_cast<std::uint64_t>(product >> 61));
}

constexpr std::uint64_t SubMod(std::uint64_t a, std::uint64_t b) noexcept
{
    return a >= b ? a - b : a + kPrime - b;
}

std::uint64_t BasePower(std::int64_t exponent) noexcept
{
    std::uint64_t result = 1;
    std::uint64_t square = kBase;
    for (; exponent > 0; exponent >>= 1) {
        if ((exponent & 1) != 0) {
            result = MulMod(result, square);
        }
        square = MulMod(square, square);
    }
    return result;
}

// The value a word id adds to a run's hash: absent words of article 1 get
// 0, which no word of article 2 has.
constexpr std::uint64_t Value(std::int32_t id) noexcept
{
    return static_cast<std::uint64_t>(std::int64_t{id} + 1);
}

// The hashes of the runs of `length` words of `ids`, from the first run on:
// the window slides one word at a time, the word leaving takes its term
// out and the word arriving adds its own.
class TSlidingHash {
public:
    TSlidingHash(std::span<const std::int32_t> ids, std::int32_t length)
        : ids_(ids)
        , length_(static_cast<std::size_t>(length))
        , leading_(BasePower(length - 1))
    {
        for (std::size_t k = 0; k < std::min(length_, ids_.size()); ++k) {
            hash_ = Reduce(MulMod(hash_, kBase) + Value(ids_[k]));
        }
    }

    // The hash of the next run; call it at most ids.size() - length + 1
    // times (never when there are fewer words than `length`).
    std::uint64_t Next() noexcept
    {
        const std::uint64_t result = hash_;
        if (next_ + length_ < ids_.size()) {
            const std::uint64_t leaving = MulMod(Value(ids_[next_]), leading_);
            hash_ = Reduce(MulMod(SubMod(hash_, leaving), kBase) + Value(ids_[next_ + length_]));
        }
        ++next_;
        return result;
    }

private:
    std::span<const std::int32_t> ids_;
    std::size_t length_;
    std::uint64_t leading_;
    std::uint64_t hash_ = 0;
    std::size_t next_ = 0;
};

// Open addressing from run hashes to dense keys, for building run lists.
// A slot keeps 32 bits of the hash beside the key: two runs whose hashes
// agree in the slot and those bits share a key, which the walk's word
// comparison tells apart; the table stays at 8 bytes a slot.
class TRunTable {
public:
    explicit TRunTable(std::size_t runs) : slots_(runs + runs / 4 + 16, 0) {}

    [[nodiscard]] const void* SlotAddress(std::uint64_t hash) const noexcept { return &slots_[Slot(hash)]; }

    std::int32_t Intern(std::uint64_t hash) noexcept
    {
        const std::uint64_t tag = Tag(hash);
        for (std::size_t i = Slot(hash);; i = Following(i)) {
            const std::uint64_t slot = slots_[i];
            if (slot == 0) {
                slots_[i] = tag | static_cast<std::uint64_t>(keys_ + 1);
                return keys_++;
            }
            if ((slot & kTagBits) == tag) {
                return static_cast<std::int32_t>(slot & ~kTagBits) - 1;
            }
        }
    }

    [[nodiscard]] std::int32_t Find(std::uint64_t hash) const noexcept
    {
        const std::uint64_t tag = Tag(hash);
        for (std::size_t i = Slot(hash);; i = Following(i)) {
            const std::uint64_t slot = slots_[i];
            if (slot == 0) {
                return -1;
            }
            if ((slot & kTagBits) == tag) {
                return static_cast<std::int32_t>(slot & ~kTagBits) - 1;
            }
        }
    }

    [[nodiscard]] std::int32_t Keys() const noexcept { return keys_; }

private:
    static constexpr std::uint64_t kTagBits = 0xFFFFFFFF00000000ULL;

    // The slot comes from the high 32 bits of the mixed hash, scaled to the
    // table's size (which need not be a power of two: 25% spare slots keep
    // probes short); the tag from the low bits of the hash itself.
    [[nodiscard]] std::size_t Slot(std::uint64_t hash) const noexcept
    {
        return static_cast<std::size_t>(((hash * 0x9E3779B97F4A7C15ULL) >> 32) * slots_.size() >> 32);
    }
    [[nodiscard]] std::size_t Following(std::size_t slot) const noexcept
    {
        return slot + 1 == slots_.size() ? 0 : slot + 1;
    }
    [[nodiscard]] static std::uint64_t Tag(std::uint64_t hash) noexcept { return hash << 32; }

    std::vector<std::uint64_t> slots_;
    std::int32_t keys_ = 0;
};

// Calls visit(run, hash) for the first `count` runs of `hashes`, having
// asked for each run's table slot kAhead runs before: the probes of
// different runs do not depend on each other, so their memory reads
// overlap instead of waiting one after the other.
template <typename Visit>
void ForEachAhead(TSlidingHash& hashes, std::size_t count, const TRunTable& table, Visit visit)
{
    constexpr std::size_t kAhead = 16;
    std::array<std::uint64_t, kAhead> ahead{};
    for (std::size_t r = 0; r < std::min(count, kAhead); ++r) {
        ahead[r] = hashes.Next();
        PrefetchLine(table.SlotAddress(ahead[r]));
    }
    for (std::size_t r = 0; r < count; ++r) {
        const std::uint64_t hash = ahead[r % kAhead];
        if (r + kAhead < count) {
            const std::uint64_t later = hashes.Next();
            ahead[r % kAhead] = later;
            PrefetchLine(table.SlotAddress(later));
        }
        visit(r, hash);
    }
}

} // namespace

TRunLists::TRunLists(std::span<const std::int32_t> ids2, std::span<const std::int32_t> ids1, std::int32_t length)
    : length_(length)
{
    const auto count2 = static_cast<std::int64_t>(ids2.size()) - length + 1;
    const auto count1 = static_cast<std::int64_t>(ids1.size()) - length + 1;
    if (count2 <= 0) {
        start_.assign(1, 0);
        keys1_.assign(static_cast<std::size_t>(std::max<std::int64_t>(count1, 0)), -1);
        return;
    }
    // The table goes before the lists are grouped, so that the two never
    // take memory at the same time.
    TPlaceArray keys2(static_cast<std::size_t>(count2));
    keys1_.resize(static_cast<std::size_t>(std::max<std::int64_t>(count1, 0)));
    std::int32_t distinct = 0;
    {
        TRunTable table(static_cast<std::size_t>(count2));
        TSlidingHash runs2(ids2, length);
        ForEachAhead(runs2, keys2.size(), table,
                     [&](std::size_t j, std::uint64_t hash) { keys2[j] = table.Intern(hash); });
        TSlidingHash runs1(ids1, length);
        ForEachAhead(runs1, keys1_.size(), table,
                     [&](std::size_t i, std::uint64_t hash) { keys1_[i] = table.Find(hash); });
        distinct = table.Keys();
    }
    Group(keys2, distinct);
}

TRunLists::TRunLists(std::span<const std::int32_t> ids2, std::int32_t distinct)
{
    Group(ids2, distinct);
}

void TRunLists::Group(std::span<const std::int32_t> keyAt, std::int32_t keys)
{
    // A counting sort by key that fills each key's places from the back,
    // so that they come out ascending and each start ends at its key's
    // front.
    start_.assign(static_cast<std::size_t>(keys) + 1, 0);
    for (const std::int32_t key : keyAt) {
        ++start_[static_cast<std::size_t>(key)];
    }
    std::int32_t total = 0;
    for (std::size_t k = 0; k < static_cast<std::size_t>(keys); ++k) {
        total += start_[k];
        start_[k] = total;
    }
    start_.back() = total;
    places_.resize(keyAt.size());
    for (std::size_t j = keyAt.size(); j-- > 0;) {
        const auto key = static_cast<std::size_t>(keyAt[j]);
        places_[static_cast<std::size_t>(--start_[key])] = static_cast<std::int32_t>(j);
    }
}

std::int32_t TRunLists::Key1(std::int32_t first) const noexcept
{
    const auto at = static_cast<std::size_t>(first);
    return at < keys1_.size() ? keys1_[at] : -1;
}

void TRunLists::PrefetchKey(std::int32_t key) const noexcept
{
    if (key < 0) {
        return;
    }
    PrefetchLine(&start_[static_cast<std::size_t>(key)]);
    if (!firstLive_.empty()) {
        PrefetchLine(&firstLive_[static_cast<std::size_t>(key)]);
    }
}

void TRunLists::PrefetchPlaces(std::int32_t key) const noexcept
{
    if (key >= 0) {
        PrefetchLine(&places_[static_cast<std::size_t>(start_[static_cast<std::size_t>(key)])]);
    }
}

std::int32_t TRunLists::FirstPlace(std::int32_t key) const noexcept
{
    if (key < 0) {
        return -1;
    }
    const auto begin = static_cast<std::size_t>(start_[static_cast<std::size_t>(key)]);
    const auto end = static_cast<std::size_t>(start_[static_cast<std::size_t>(key) + 1]);
    return begin < end ? places_[begin] : -1;
}

std::int32_t& TRunLists::FirstLive(std::int32_t key)
{
    if (firstLive_.empty()) {
        firstLive_.assign(start_.size() - 1, 0);
    }
    return firstLive_[static_cast<std::size_t>(key)];
}

void TRunLists::ForgetColours() noexcept
{
    std::fill(firstLive_.begin(), firstLive_.end(), 0);
}

std::size_t TRunLists::Bytes() const noexcept
{
    return (start_.capacity() + places_.capacity() + keys1_.capacity() + firstLive_.capacity())
        * sizeof(std::int32_t);
}

} // namespace glenvary::core
