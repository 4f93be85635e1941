// SPDX-License-Identifier: MIT
// Glenvary: the records and lists that describe an article's words,
// sentences and paragraphs.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace glenvary::core {

/// A highlight colour, 24 bits laid out as hexadecimal BBGGRR (red in the
/// lowest byte). White means "in no matching part".
using TColor = std::uint32_t;

inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clBlack = 0x000000;
/// The colour that marks keyword occurrences.
inline constexpr TColor clKeyword = 0x00FFFF;

/// One word: the characters iStart .. iEnd - 1 of the segmented text, with
/// 1-based positions (iEnd is the position of the delimiter that ended the
/// word, or the text's length + 1). Only iColor changes after creation.
struct TWord {
    std::int32_t iStart = 0;
    std::int32_t iEnd = 0;
    TColor iColor = clWhite;

    friend bool operator==(const TWord&, const TWord&) = default;
};

/// A run of consecutive word indices, both ends inclusive, iFirstWord never
/// above iLastWord. Used for sentences and paragraphs alike.
struct TWordRange {
    std::int32_t iFirstWord = 0;
    std::int32_t iLastWord = 0;

    friend bool operator==(const TWordRange&, const TWordRange&) = default;
};

struct TSentence : TWordRange {};
struct TParagraph : TWordRange {};

/// An ordered list filled only by appending; all access is by index.
/// Records are held by value; Items(i) gives a reference through which a
/// word's colour is changed in place. A reference stays valid until the
/// next append or ClearAll.
template <typename Record>
class TUnitList {
public:
    /// Number of entries.
    [[nodiscard]] std::int32_t Count() const noexcept
    {
        return static_cast<std::int32_t>(items_.size());
    }
    /// The record at index (0 .. Count() - 1; not checked).
    [[nodiscard]] Record& Items(std::int32_t index) noexcept { return items_[static_cast<std::size_t>(index)]; }
    [[nodiscard]] const Record& Items(std::int32_t index) const noexcept
    {
        return items_[static_cast<std::size_t>(index)];
    }
    Record& operator[](std::int32_t index) noexcept { return Items(index); }
    const Record& operator[](std::int32_t index) const noexcept { return Items(index); }

    /// Frees every record; Count() becomes 0. Capacity is kept, so the next
    /// segmentation of the same side allocates nothing.
    void ClearAll() noexcept { items_.clear(); }
    /// Hands the records over, in order; the list is empty afterwards.
    [[nodiscard]] std::vector<Record> TakeRecords() noexcept { return std::exchange(items_, {}); }
    /// Reserves room for n records (a hint; never shrinks).
    void Reserve(std::size_t n) { items_.reserve(n); }

    [[nodiscard]] bool Empty() const noexcept { return items_.empty(); }
    [[nodiscard]] auto begin() const noexcept { return items_.begin(); }
    [[nodiscard]] auto end() const noexcept { return items_.end(); }
    [[nodiscard]] auto begin() noexcept { return items_.begin(); }
    [[nodiscard]] auto end() noexcept { return items_.end(); }

protected:
    std::vector<Record> items_;
};

class TListWords : public TUnitList<TWord> {
public:
    /// Appends a word; its index is the count before the call.
    void AddWord(std::int32_t iStart, std::int32_t iEnd, TColor iColor)
    {
        items_.push_back(TWord{iStart, iEnd, iColor});
    }
};

class TListSentences : public TUnitList<TSentence> {
public:
    void AddSentence(std::int32_t iFirstWord, std::int32_t iLastWord)
    {
        items_.push_back(TSentence{{iFirstWord, iLastWord}});
    }
};

class TListParagraphs : public TUnitList<TParagraph> {
public:
    void AddParagraph(std::int32_t iFirstWord, std::int32_t iLastWord)
    {
        items_.push_back(TParagraph{{iFirstWord, iLastWord}});
    }
};

} // namespace glenvary::core
