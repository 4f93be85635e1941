// SPDX-License-Identifier: MIT
#include "word_index.h"

#include <algorithm>
#include <bit>

namespace glenvary::core {
namespace {

constexpr char16_t FoldAscii(char16_t c) noexcept
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

std::uint64_t FoldedHash(std::u16string_view text) noexcept
{
    // FNV-1a over the folded code units, finished with a mixer so that the
    // low bits, which pick the slot, depend on every unit.
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (const char16_t c : text) {
        h ^= FoldAscii(c);
        h *= 0x100000001b3ULL;
    }
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return h;
}

// Open addressing over the distinct words of article 2; a slot holds the
// index of the id's first word in article 2, or -1.
class TWordTable {
public:
    TWordTable(const TArticle& article, std::size_t expected)
        : article_(article)
        , slots_(std::bit_ceil(std::max<std::size_t>(16, expected * 2)), Slot{})
        , mask_(slots_.size() - 1)
    {
    }

    // The id of `text`, adding it with `word` as its representative and id
    // `nextId` when it is new (then nextId is advanced).
    std::int32_t Intern(std::u16string_view text, std::int32_t word, std::int32_t& nextId)
    {
        const std::uint64_t h = FoldedHash(text);
        for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
            Slot& slot = slots_[i];
            if (slot.word < 0) {
                slot = Slot{h, word, nextId};
                return nextId++;
            }
            if (slot.hash == h && SameWord(WordText(article_, slot.word), text)) {
                return slot.id;
            }
        }
    }

    [[nodiscard]] std::int32_t Find(std::u16string_view text) const noexcept
    {
        const std::uint64_t h = FoldedHash(text);
        for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
            const Slot& slot = slots_[i];
            if (slot.word < 0) {
                return TWordIndex::kAbsent;
            }
            if (slot.hash == h && SameWord(WordText(article_, slot.word), text)) {
                return slot.id;
            }
        }
    }

private:
    struct Slot {
        std::uint64_t hash = 0;
        std::int32_t word = -1;
        std::int32_t id = -1;
    };
    const TArticle& article_;
    std::vector<Slot> slots_;
    std::size_t mask_;
};

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

bool SameWord(std::u16string_view a, std::u16string_view b) noexcept
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

TWordIndex::TWordIndex(const TArticle& article1, const TArticle& article2)
{
    const std::int32_t n1 = article1.lstWords.Count();
    const std::int32_t n2 = article2.lstWords.Count();
    ids1_.resize(static_cast<std::size_t>(n1));
    ids2_.resize(static_cast<std::size_t>(n2));

    TWordTable table(article2, static_cast<std::size_t>(n2));
    for (std::int32_t j = 0; j < n2; ++j) {
        ids2_[static_cast<std::size_t>(j)] = table.Intern(WordText(article2, j), j, distinct2_);
    }
    for (std::int32_t i = 0; i < n1; ++i) {
        ids1_[static_cast<std::size_t>(i)] = table.Find(WordText(article1, i));
    }

    words_.Build(ids2_, distinct2_);

    // Side-by-side pairs of article 2, keyed by the place of their first word.
    std::vector<std::int32_t> pairAt(static_cast<std::size_t>(std::max(n2 - 1, 0)));
    pairSlots_.assign(std::bit_ceil(std::max<std::size_t>(16, pairAt.size() * 2)), TPairSlot{});
    std::int32_t distinctPairs = 0;
    for (std::int32_t j = 0; j + 1 < n2; ++j) {
        const std::uint64_t pair = PairKey(Id2(j), Id2(j + 1));
        TPairSlot& slot = pairSlots_[PairSlot(pair)];
        if (slot.key < 0) {
            slot = TPairSlot{pair, distinctPairs++};
        }
        pairAt[static_cast<std::size_t>(j)] = slot.key;
    }
    pairs_.Build(pairAt, distinctPairs);
}

void TWordIndex::TPlaceLists::Build(const std::vector<std::int32_t>& keyAt, std::int32_t keys)
{
    // A counting sort by key keeps each key's places ascending.
    start.assign(static_cast<std::size_t>(keys) + 1, 0);
    for (const std::int32_t key : keyAt) {
        ++start[static_cast<std::size_t>(key) + 1];
    }
    for (std::size_t k = 1; k < start.size(); ++k) {
        start[k] += start[k - 1];
    }
    places.resize(keyAt.size());
    std::vector<std::int32_t> fill(start.begin(), start.end() - 1);
    for (std::size_t j = 0; j < keyAt.size(); ++j) {
        places[static_cast<std::size_t>(fill[static_cast<std::size_t>(keyAt[j])]++)] = static_cast<std::int32_t>(j);
    }
}

std::span<const std::int32_t> TWordIndex::TPlaceLists::Of(std::int32_t key) const noexcept
{
    if (key < 0 || static_cast<std::size_t>(key) + 1 >= start.size()) {
        return {};
    }
    const auto begin = static_cast<std::size_t>(start[static_cast<std::size_t>(key)]);
    const auto end = static_cast<std::size_t>(start[static_cast<std::size_t>(key) + 1]);
    return std::span<const std::int32_t>(places).subspan(begin, end - begin);
}

std::uint64_t TWordIndex::PairKey(std::int32_t first, std::int32_t second) noexcept
{
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(first)) << 32)
        | static_cast<std::uint32_t>(second);
}

std::size_t TWordIndex::PairSlot(std::uint64_t pair) const noexcept
{
    const std::size_t mask = pairSlots_.size() - 1;
    std::uint64_t h = pair * 0x9E3779B97F4A7C15ULL;
    h ^= h >> 29;
    for (std::size_t i = h & mask;; i = (i + 1) & mask) {
        if (pairSlots_[i].key < 0 || pairSlots_[i].pair == pair) {
            return i;
        }
    }
}

std::span<const std::int32_t> TWordIndex::Places(std::int32_t id) const noexcept
{
    return words_.Of(id);
}

std::span<const std::int32_t> TWordIndex::PairPlaces(std::int32_t first, std::int32_t second) const noexcept
{
    if (first < 0 || second < 0 || pairSlots_.empty()) {
        return {};
    }
    const TPairSlot& slot = pairSlots_[PairSlot(PairKey(first, second))];
    return slot.key < 0 ? std::span<const std::int32_t>{} : pairs_.Of(slot.key);
}

} // namespace glenvary::core
