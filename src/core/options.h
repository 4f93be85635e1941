// SPDX-License-Identifier: MIT
// Glenvary: the comparison's options beyond its default rules, applied
// around the comparison: the texts are read differently before it (folded
// letters, Unicode words) and words are left out of its colours after it
// (a template's passages, quotations).
#pragma once

#include "words.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace glenvary::core {

/// Most texts that a comparison may leave out (a template, a licence, a
/// standard header): each costs one more comparison with each article.
inline constexpr std::size_t kMaxIgnoreTexts = 16;

/// The options of one comparison; all off by default, and with all off a
/// comparison is exactly the default one.
struct TCompareOptions {
    /// Texts whose passages (found by the comparison's own unit and
    /// minimum length) are neither marked nor counted in either article.
    /// At most kMaxIgnoreTexts.
    std::vector<std::u16string> ignoreTexts;
    /// Words inside quotation marks are neither marked nor counted.
    bool ignoreQuoted = false;
    /// Invisible format characters dropped, letters folded (Unicode case
    /// folding and compatibility forms) and Cyrillic or Greek look-alikes
    /// inside Latin words read as the Latin letter, before comparing.
    bool fold = false;
    /// Words found by Unicode's word boundaries, every Han, Hiragana and
    /// Katakana character a word of its own; sentences also end at the
    /// ideographic full stop and the full-width ! and ?.
    bool unicodeWords = false;

    /// Whether any option is on.
    [[nodiscard]] bool Any() const noexcept { return !ignoreTexts.empty() || ignoreQuoted || fold || unicodeWords; }
    /// Whether the texts are read differently before the comparison.
    [[nodiscard]] bool Transforms() const noexcept { return fold || unicodeWords; }
};

/// A text as the comparison reads it, with, for each of its code units, the
/// code units start[i] .. end[i] - 1 (0-based) of the original text that it
/// stands for. A unit put in between (a space that separates two words
/// that touch) stands for the empty place start[i] == end[i].
struct TMappedText {
    std::u16string text;
    std::vector<std::int32_t> start;
    std::vector<std::int32_t> end;
};

/// `text` as `options` make the comparison read it (fold first, then
/// Unicode words); with neither on, the text alone and no map (its places
/// are the original's). The result may be
/// longer than `text` (compatibility forms expand, words that touch get a
/// space between them); it is cut at kMaxTextLength.
/// Cost: linear in the text; ICU's word breaking with unicodeWords.
[[nodiscard]] TMappedText ReadAsCompared(std::u16string_view text, const TCompareOptions& options);

/// Moves the words of a list split from `mapped.text` to the places they
/// stand for in the original text (1-based, iEnd exclusive, as ParseArticle
/// gives them). Words that stand for one original character share it: the
/// first takes it and the others become empty places after it, so that
/// words keep their order and never overlap. Precondition: `mapped` has
/// its map (read with fold or unicodeWords on).
void MapWordsBack(const TMappedText& mapped, TListWords& words) noexcept;

/// For each word of `words` (split from `text`, 1-based positions), whether
/// it starts inside a quotation: after an opening straight or typographic
/// double quote, guillemet or low-high quote and before its closing mark.
/// A quotation that is not closed ends at the end of its paragraph (a line
/// break). Quotations do not nest: the first closing mark ends one.
[[nodiscard]] std::vector<bool> QuotedWords(std::u16string_view text, const TListWords& words);

/// Most places that a disguise report lists.
inline constexpr std::size_t kMaxDisguisePlaces = 5;

/// A word that looks disguised, by its 0-based place in the text.
struct TDisguisePlace {
    enum class TKind : std::uint8_t {
        /// An invisible format character (zero-width space, joiner, soft
        /// hyphen, ...) inside the word.
        Invisible,
        /// Latin letters mixed with Cyrillic or Greek ones in one word.
        MixedScripts,
    };
    TKind kind = TKind::Invisible;
    std::int32_t start = 0;
    std::int32_t end = 0;

    friend bool operator==(const TDisguisePlace&, const TDisguisePlace&) = default;
};

/// The signs of a disguised copy that a text holds.
struct TDisguises {
    /// Words holding an invisible format character.
    std::int32_t invisibleWords = 0;
    /// Words mixing Latin with Cyrillic or Greek letters.
    std::int32_t mixedScriptWords = 0;
    /// The first kMaxDisguisePlaces such words, in text order.
    std::vector<TDisguisePlace> places;

    [[nodiscard]] bool Any() const noexcept { return invisibleWords != 0 || mixedScriptWords != 0; }
};

/// Looks through the words of `text` (as the default rules split it) for
/// invisible format characters and for Latin letters mixed with Cyrillic or
/// Greek ones. A word with both counts in both. Cost: one pass.
[[nodiscard]] TDisguises FindDisguises(std::u16string_view text);

} // namespace glenvary::core
