// SPDX-License-Identifier: MIT
#include "word_index.h"

#include "prefetch.h"
#include "side_by_side.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace glenvary::core {
namespace {

// Memory that the run lists of all lengths together may hold, per word of
// article 2: room for the two lengths of a word walk on prose, where
// nearly every run is distinct (about 24 bytes a length), with some to
// spare for a few more lengths of sentence chunks.
constexpr std::size_t kRunListBytesPerWord = 64;

constexpr char16_t FoldAscii(char16_t c) noexcept
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

// A word is folded and hashed four code units at a time, each four held in
// a 64-bit block with the first unit in the lowest 16 bits and zeros past
// the word's end.
constexpr std::size_t kBlockUnits = 4;
constexpr std::uint64_t kUnitTops = 0x8000800080008000ULL;

// The block with each of its capitals A-Z turned to the small letter, all
// four units at once: a unit is a capital when its low 15 bits reach 'A'
// but not past 'Z' and its top bit is clear.
constexpr std::uint64_t FoldBlock(std::uint64_t block) noexcept
{
    const std::uint64_t low = block & ~kUnitTops;
    const std::uint64_t fromA = (low + 0x7FBF7FBF7FBF7FBFULL) & kUnitTops;
    const std::uint64_t pastZ = (low + 0x7FA57FA57FA57FA5ULL) & kUnitTops;
    const std::uint64_t capitals = fromA & ~pastZ & ~block;
    // A capital's top-bit marker, moved down to 0x20, is what it lacks.
    return block + (capitals >> 10);
}

// The first `count` (at most four) units of `units` as a block.
std::uint64_t LoadBlock(const char16_t* units, std::size_t count) noexcept
{
    std::uint64_t block = 0;
    for (std::size_t k = 0; k < count; ++k) {
        block |= std::uint64_t{units[k]} << (16 * k);
    }
    return block;
}

// The units of the first `count` (0 .. 4) of a block's places.
constexpr std::array<std::uint64_t, kBlockUnits + 1> kFirstUnits = {
    0, 0xFFFFULL, 0xFFFFFFFFULL, 0xFFFFFFFFFFFFULL, ~std::uint64_t{0}};

constexpr std::uint64_t Mix(std::uint64_t h) noexcept
{
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

} // namespace

TWordTable::TKey TWordTable::KeyOf(std::u16string_view text, bool readAhead) noexcept
{
    const std::size_t size = text.size();
    const char16_t* units = text.data();
    TKey key;
    key.size = static_cast<std::uint32_t>(size);
    if (std::endian::native == std::endian::little && readAhead) {
        // The eight units from the word's start may be read whatever its
        // length; those past its end are cut off.
        std::memcpy(&key.head[0], units, sizeof(std::uint64_t));
        std::memcpy(&key.head[1], units + kBlockUnits, sizeof(std::uint64_t));
        key.head[0] &= kFirstUnits[std::min(size, kBlockUnits)];
        key.head[1] &= kFirstUnits[std::clamp(size, kBlockUnits, 2 * kBlockUnits) - kBlockUnits];
    } else {
        key.head[0] = LoadBlock(units, std::min(size, kBlockUnits));
        key.head[1] = size > kBlockUnits ? LoadBlock(units + kBlockUnits, std::min(size - kBlockUnits, kBlockUnits)) : 0;
    }
    key.head[0] = FoldBlock(key.head[0]);
    key.head[1] = FoldBlock(key.head[1]);
    // The two leading blocks are hashed side by side, the rest in turn.
    std::uint64_t h = (size * 0x9E3779B97F4A7C15ULL) ^ (key.head[0] * 0xC2B2AE3D27D4EB4FULL)
        ^ std::rotl(key.head[1] * 0x165667B19E3779F9ULL, 31);
    for (std::size_t at = 2 * kBlockUnits; at < size; at += kBlockUnits) {
        const std::uint64_t block = FoldBlock(LoadBlock(units + at, std::min(size - at, kBlockUnits)));
        h = std::rotl(h ^ (block * 0xC2B2AE3D27D4EB4FULL), 29) * 0x165667B19E3779F9ULL;
    }
    key.hash = Mix(h);
    return key;
}

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

std::u16string_view WordText(const TArticle& article, std::int32_t word) noexcept
{
    const TWord& w = article.lstWords.Items(word);
    const std::u16string_view text = article.sText;
    const auto size = static_cast<std::int64_t>(text.size());
    const std::int64_t begin = std::clamp<std::int64_t>(std::int64_t{w.iStart} - 1, 0, size);
    const std::int64_t end = std::clamp<std::int64_t>(std::int64_t{w.iEnd} - 1, begin, size);
    return text.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin));
}

void TWordTable::Build(const TArticle& article)
{
    const std::int32_t words = article.lstWords.Count();
    ids_.resize(static_cast<std::size_t>(words));
    slots_.assign(1024, kAbsent);
    entries_.clear();
    folded_.clear();
    const char16_t* end = article.sText.data() + article.sText.size();
    for (std::int32_t w = 0; w < words; ++w) {
        const std::u16string_view text = WordText(article, w);
        const bool readAhead = end - text.data() >= static_cast<std::ptrdiff_t>(2 * kBlockUnits);
        ids_[static_cast<std::size_t>(w)] = Intern(text, KeyOf(text, readAhead));
    }
}

std::int32_t TWordTable::Intern(std::u16string_view text, const TKey& key)
{
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = key.hash & mask;; i = (i + 1) & mask) {
        const std::int32_t id = slots_[i];
        if (id == kAbsent) {
            const std::int32_t added = Count();
            slots_[i] = added;
            entries_.push_back(key);
            entries_.back().start = static_cast<std::uint32_t>(folded_.size());
            for (const char16_t c : text) {
                folded_.push_back(FoldAscii(c));
            }
            if (entries_.size() * 2 > slots_.size()) {
                Grow();
            }
            return added;
        }
        // Words of up to eight units are whole in their keys.
        if (entries_[static_cast<std::size_t>(id)].Matches(key)
            && (key.size <= 2 * kBlockUnits
                || std::equal(text.begin() + 2 * kBlockUnits, text.end(), Folded(id).begin() + 2 * kBlockUnits,
                              [](char16_t a, char16_t b) { return FoldAscii(a) == b; }))) {
            return id;
        }
    }
}

void TWordTable::Grow()
{
    slots_.assign(slots_.size() * 2, kAbsent);
    const std::size_t mask = slots_.size() - 1;
    for (std::int32_t id = 0; id < Count(); ++id) {
        std::size_t i = Hash(id) & mask;
        while (slots_[i] != kAbsent) {
            i = (i + 1) & mask;
        }
        slots_[i] = id;
    }
}

std::int32_t TWordTable::Find(std::u16string_view folded, std::uint64_t hash) const noexcept
{
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const std::int32_t id = slots_[i];
        if (id == kAbsent || (Hash(id) == hash && Folded(id) == folded)) {
            return id;
        }
    }
}

std::u16string_view TWordTable::Folded(std::int32_t id) const noexcept
{
    const TKey& entry = entries_[static_cast<std::size_t>(id)];
    return std::u16string_view(folded_).substr(entry.start, entry.size);
}

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

TEndingRuns::TEndingRuns(std::span<const std::int32_t> ids2, std::span<const std::int32_t> ids1, std::int32_t end,
                         std::int32_t longest)
    : end_(end), longest_(std::clamp(longest, 1, end + 1))
{
    // Read backwards from `end`, article 1's words are the pattern; article
    // 2's words read backwards from its last are the text. The longest
    // start of the pattern at each place of the text is the common ending
    // there. Words that article 2 lacks (kAbsent) equal each other in the
    // pattern but nothing in the text, so the lengths found in the text are
    // those of words that are the same. Only the pattern's first
    // `longest_` words are needed, so only they are read.
    const std::int32_t length = longest_;
    const auto words2 = static_cast<std::int32_t>(ids2.size());
    const auto pattern = [&](std::int32_t k) { return ids1[static_cast<std::size_t>(end - k)]; };
    const auto text = [&](std::int32_t i) { return ids2[static_cast<std::size_t>(words2 - 1 - i)]; };

    // The Z-function of the pattern: prefix[k] is the longest start of the
    // pattern that also starts at k.
    TPlaceArray prefix(static_cast<std::size_t>(length));
    prefix[0] = length;
    for (std::int32_t k = 1, left = 0, right = 0; k < length; ++k) {
        std::int32_t x = k < right ? std::min(right - k, prefix[static_cast<std::size_t>(k - left)]) : 0;
        while (k + x < length && pattern(k + x) == pattern(x)) {
            ++x;
        }
        if (k + x > right) {
            left = k;
            right = k + x;
        }
        prefix[static_cast<std::size_t>(k)] = x;
    }

    // The text from `left` to `right` (exclusive) is known to be the
    // pattern's start, so a place inside it starts as the pattern does
    // from the matching place, as far as that reaches.
    common_.resize(ids2.size());
    for (std::int32_t i = 0, left = 0, right = 0; i < words2; ++i) {
        std::int32_t x = i < right ? std::min(right - i, prefix[static_cast<std::size_t>(i - left)]) : 0;
        while (x < length && i + x < words2 && text(i + x) == pattern(x)) {
            ++x;
        }
        if (i + x > right) {
            left = i;
            right = i + x;
        }
        common_[static_cast<std::size_t>(words2 - 1 - i)] = x;
    }

    const std::int32_t blocks = (words2 + kBlock - 1) / kBlock;
    leaves_ = static_cast<std::int32_t>(std::bit_ceil(static_cast<std::uint32_t>(std::max(blocks, 1))));
    tree_.assign(2 * static_cast<std::size_t>(leaves_), 0);
    for (std::int32_t place = 0; place < words2; ++place) {
        std::int32_t& top = tree_[static_cast<std::size_t>(leaves_ + place / kBlock)];
        top = std::max(top, common_[static_cast<std::size_t>(place)]);
    }
    for (std::int32_t node = leaves_ - 1; node >= 1; --node) {
        tree_[static_cast<std::size_t>(node)] =
            std::max(tree_[2 * static_cast<std::size_t>(node)], tree_[2 * static_cast<std::size_t>(node) + 1]);
    }
}

std::int32_t TEndingRuns::NextEnd(std::int32_t from, std::int32_t to, std::int32_t count) const noexcept
{
    to = std::min(to, static_cast<std::int32_t>(common_.size()) - 1);
    from = std::max(from, 0);
    // Most runs of a long chunk stand nowhere: no ending is that long.
    if (from > to || tree_[1] < count) {
        return -1;
    }
    const auto firstIn = [&](std::int32_t begin, std::int32_t last) {
        for (std::int32_t place = begin; place <= last; ++place) {
            if (common_[static_cast<std::size_t>(place)] >= count) {
                return place;
            }
        }
        return -1;
    };
    const std::int32_t block = from / kBlock;
    if (const std::int32_t place = firstIn(from, std::min(to, block * kBlock + kBlock - 1)); place >= 0) {
        return place;
    }
    // Up while the node is a right child, then over to the subtree on the
    // right, until one holds a long enough ending; then down to its first
    // block that does.
    const auto at = [this](std::int32_t node) { return tree_[static_cast<std::size_t>(node)]; };
    std::int32_t node = leaves_ + block;
    for (;;) {
        while ((node & 1) != 0) {
            node >>= 1;
        }
        if (node == 0) {
            return -1;
        }
        ++node;
        if (at(node) >= count) {
            break;
        }
    }
    while (node < leaves_) {
        node *= 2;
        if (at(node) < count) {
            ++node;
        }
    }
    const std::int32_t begin = (node - leaves_) * kBlock;
    if (begin > to) {
        return -1;
    }
    return firstIn(begin, std::min(to, begin + kBlock - 1));
}

TWordIndex::TWordIndex() = default;
TWordIndex::~TWordIndex() = default;

void TWordIndex::Forget(bool article2) noexcept
{
    stale1_ = true;
    stale2_ = stale2_ || article2;
    linked_ = false;
}

void TWordIndex::Adopt(const TWordTable& table1, const TWordTable& table2)
{
    table1_ = table1;
    table2_ = table2;
    words_ = std::make_unique<TRunLists>(table2_.Ids(), table2_.Count());
    stale1_ = false;
    stale2_ = false;
    // Update links the two numberings and drops the run lists.
    linked_ = false;
}

void TWordIndex::Update(const TArticle& article1, const TArticle& article2)
{
    if (linked_) {
        return;
    }
    const bool both = stale1_ && stale2_;
    const bool parallel =
        both && static_cast<std::size_t>(article1.lstWords.Count()) + article2.lstWords.Count() >= kParallelWords;
    const bool intern1 = stale1_;
    const bool intern2 = stale2_;
    // Article 2's word places are grouped on its own thread, while article
    // 1 may still be interned.
    SideBySide(
        parallel, [&] { if (intern1) { table1_.Build(article1); } },
        [&] {
            if (intern2) {
                table2_.Build(article2);
                words_ = std::make_unique<TRunLists>(table2_.Ids(), table2_.Count());
            }
        });
    stale1_ = false;
    stale2_ = false;

    // Article 1's words in article 2's numbering, one look-up per distinct
    // word, rewritten in place.
    std::vector<std::int32_t> translated(static_cast<std::size_t>(table1_.Count()));
    for (std::int32_t id = 0; id < table1_.Count(); ++id) {
        translated[static_cast<std::size_t>(id)] = table2_.Find(table1_.Folded(id), table1_.Hash(id));
    }
    ids1_ = table1_.TakeIds();
    for (std::int32_t& id : ids1_) {
        id = translated[static_cast<std::size_t>(id)];
    }
    // The run lists hold article 1's keys.
    DropRuns();
    linked_ = true;
}

void TWordIndex::DropRuns() noexcept
{
    runs_.clear();
    rent_.clear();
    endings_.clear();
    endingRent_ = 0;
}

const TEndingRuns* TWordIndex::Ending(std::int32_t end, std::int32_t count) const noexcept
{
    for (const auto& ending : endings_) {
        if (ending->End() == end && ending->Longest() >= count) {
            return ending.get();
        }
    }
    return nullptr;
}

bool TWordIndex::RentOrBuildEndings(std::int64_t cost, std::int32_t longest)
{
    if (!endings_.empty() && endings_.front()->Longest() >= longest) {
        return true;
    }
    endingRent_ += cost;
    // A step of a walk reads scattered memory; building reads both
    // articles' words in order, about four words for the price of a step.
    if (endingRent_ < Count2() / 4) {
        return false;
    }
    const std::int32_t last = Count1() - 1;
    if (last < 0) {
        return false;
    }
    endingRent_ = 0;
    endings_.clear();
    std::unique_ptr<TEndingRuns> before;
    std::unique_ptr<TEndingRuns> at;
    const bool parallel = static_cast<std::size_t>(Count2()) + ids1_.size() >= kParallelWords;
    SideBySide(
        parallel && last >= 1,
        [&] {
            if (last >= 1) {
                before = std::make_unique<TEndingRuns>(table2_.Ids(), ids1_, last - 1, longest);
            }
        },
        [&] { at = std::make_unique<TEndingRuns>(table2_.Ids(), ids1_, last, longest); });
    endings_.push_back(std::move(at));
    if (before) {
        endings_.push_back(std::move(before));
    }
    return true;
}

TWordIndex::THeldRuns* TWordIndex::Find(std::int32_t length) noexcept
{
    const auto found = std::find_if(runs_.begin(), runs_.end(), [length](const THeldRuns& held) {
        return held.length == length;
    });
    return found == runs_.end() ? nullptr : &*found;
}

const TWordIndex::THeldRuns* TWordIndex::Find(std::int32_t length) const noexcept
{
    return const_cast<TWordIndex*>(this)->Find(length);
}

TRunLists& TWordIndex::Hold(std::int32_t length, std::unique_ptr<TRunLists> lists)
{
    TRunLists& held = *lists;
    runs_.push_back({length, ++clock_, std::move(lists)});
    rent_.erase(length);
    return held;
}

void TWordIndex::Prebuild(std::span<const std::int32_t> lengths)
{
    std::vector<std::int32_t> missing;
    for (const std::int32_t length : lengths) {
        if (length >= 2 && Find(length) == nullptr
            && std::find(missing.begin(), missing.end(), length) == missing.end()) {
            missing.push_back(length);
        }
    }
    // Two lists at a time, each on its own thread.
    const bool parallel = static_cast<std::size_t>(Count2()) + ids1_.size() >= kParallelWords;
    for (std::size_t i = 0; i < missing.size(); i += 2) {
        if (i + 1 == missing.size()) {
            Build(missing[i]);
            break;
        }
        std::unique_ptr<TRunLists> other;
        SideBySide(
            parallel, [&] { other = std::make_unique<TRunLists>(table2_.Ids(), ids1_, missing[i + 1]); },
            [&] { Build(missing[i]); });
        Hold(missing[i + 1], std::move(other));
    }
}

const TRunLists* TWordIndex::Held(std::int32_t length) const noexcept
{
    if (length == 1) {
        return words_.get();
    }
    const THeldRuns* held = Find(length);
    return held == nullptr ? nullptr : held->lists.get();
}

TRunLists* TWordIndex::Runs(std::int32_t length)
{
    if (length == 1) {
        return words_.get();
    }
    THeldRuns* held = Find(length);
    if (held == nullptr) {
        return nullptr;
    }
    held->used = ++clock_;
    return held->lists.get();
}

TRunLists* TWordIndex::RentOrBuild(std::int32_t length, std::int64_t cost)
{
    std::int64_t& spent = rent_[length];
    spent += cost;
    if (spent < Count2()) {
        return nullptr;
    }
    return &Build(length);
}

TRunLists& TWordIndex::Build(std::int32_t length)
{
    TRunLists& lists = Hold(length, std::make_unique<TRunLists>(table2_.Ids(), ids1_, length));
    // Keep within the bound by dropping the lists used least recently; the
    // new lists stay whatever they cost.
    const std::size_t bound = kRunListBytesPerWord * (static_cast<std::size_t>(Count2()) + 1024);
    std::size_t held = 0;
    for (const THeldRuns& runs : runs_) {
        held += runs.lists->Bytes();
    }
    while (held > bound && runs_.size() > 1) {
        const auto oldest = std::min_element(runs_.begin(), runs_.end(), [](const THeldRuns& a, const THeldRuns& b) {
            return a.used < b.used;
        });
        held -= oldest->lists->Bytes();
        rent_.erase(oldest->length);
        runs_.erase(oldest);
    }
    return lists;
}

void TWordIndex::ForgetColours() noexcept
{
    if (words_) {
        words_->ForgetColours();
    }
    for (THeldRuns& runs : runs_) {
        runs.lists->ForgetColours();
    }
}

} // namespace glenvary::core
