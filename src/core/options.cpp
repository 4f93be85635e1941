// SPDX-License-Identifier: MIT
#include "options.h"

#include "segmentation.h"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/uscript.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <memory>

namespace glenvary::core {
namespace {

// Appends unit `c` to `out`, standing for the original units of `in`'s
// units from .. to - 1.
void Put(TMappedText& out, char16_t c, const TMappedText& in, std::size_t from, std::size_t to)
{
    out.text.push_back(c);
    out.start.push_back(in.start[from]);
    out.end.push_back(in.end[to - 1]);
}

// A unit put in between, standing for the empty place before `in`'s unit
// `at` (or after its last unit).
void PutBetween(TMappedText& out, char16_t c, const TMappedText& in, std::size_t at)
{
    const std::int32_t place = at < in.text.size() ? in.start[at] : (in.end.empty() ? 0 : in.end.back());
    out.text.push_back(c);
    out.start.push_back(place);
    out.end.push_back(place);
}

char32_t CodePointAt(std::u16string_view text, std::size_t& i)
{
    char32_t c = 0;
    auto index = static_cast<std::int32_t>(i);
    U16_NEXT(text.data(), index, static_cast<std::int32_t>(text.size()), c);
    i = static_cast<std::size_t>(index);
    return c;
}

bool IsInvisible(char32_t c) { return u_charType(static_cast<UChar32>(c)) == U_FORMAT_CHAR; }

UScriptCode ScriptOf(char32_t c)
{
    UErrorCode status = U_ZERO_ERROR;
    const UScriptCode script = uscript_getScript(static_cast<UChar32>(c), &status);
    return U_SUCCESS(status) ? script : USCRIPT_COMMON;
}

// The Latin letter that a Cyrillic or Greek letter, once case-folded, looks
// like; 0 for none. The capitals' folded forms are included (a Greek
// capital Eta folds to eta, which then reads as the h it looked like).
char16_t LatinLookAlike(char16_t c)
{
    struct TPair {
        char16_t from;
        char16_t to;
    };
    static constexpr std::array<TPair, 34> kPairs{{
        {u'\u03B1', u'a'}, {u'\u03B2', u'b'}, {u'\u03B3', u'y'}, {u'\u03B5', u'e'}, {u'\u03B6', u'z'},
        {u'\u03B7', u'h'}, {u'\u03B9', u'i'}, {u'\u03BA', u'k'}, {u'\u03BC', u'm'}, {u'\u03BD', u'v'},
        {u'\u03BF', u'o'}, {u'\u03C1', u'p'}, {u'\u03C4', u't'}, {u'\u03C5', u'u'}, {u'\u03C7', u'x'},
        {u'\u0430', u'a'}, {u'\u0432', u'b'}, {u'\u0435', u'e'}, {u'\u043A', u'k'}, {u'\u043C', u'm'},
        {u'\u043D', u'h'}, {u'\u043E', u'o'}, {u'\u0440', u'p'}, {u'\u0441', u'c'}, {u'\u0442', u't'},
        {u'\u0443', u'y'}, {u'\u0445', u'x'}, {u'\u0455', u's'}, {u'\u0456', u'i'}, {u'\u0458', u'j'},
        {u'\u04BB', u'h'}, {u'\u04CF', u'l'}, {u'\u0501', u'd'}, {u'\u051D', u'w'},
    }};
    const auto* found = std::find_if(kPairs.begin(), kPairs.end(), [c](const TPair& pair) { return pair.from == c; });
    return found == kPairs.end() ? u'\0' : found->to;
}

bool IsCyrillicOrGreek(UScriptCode script) { return script == USCRIPT_CYRILLIC || script == USCRIPT_GREEK; }

// Drops invisible format characters and folds the rest by NFKC case
// folding, one normalisation segment at a time so that every unit of the
// result knows the original units it came from.
TMappedText Fold(const TMappedText& in)
{
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* folding = unorm2_getNFKCCasefoldInstance(&status);
    TMappedText out;
    out.text.reserve(in.text.size());
    out.start.reserve(in.text.size());
    out.end.reserve(in.text.size());
    const std::u16string_view text = in.text;
    std::u16string folded;
    std::size_t i = 0;
    while (i < text.size()) {
        const char16_t unit = text[i];
        // ASCII folds alone unless a combining mark follows it.
        if (unit < 0x80 && (i + 1 == text.size() || text[i + 1] < 0x80)) {
            Put(out, unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit, in, i, i + 1);
            ++i;
            continue;
        }
        std::size_t next = i;
        if (IsInvisible(CodePointAt(text, next))) {
            i = next;
            continue;
        }
        // The segment runs to the next character that starts one afresh.
        std::size_t stop = next;
        while (stop < text.size() && text[stop] >= 0x80) {
            std::size_t after = stop;
            const char32_t c = CodePointAt(text, after);
            if (IsInvisible(c) || (U_SUCCESS(status) && unorm2_hasBoundaryBefore(folding, static_cast<UChar32>(c)))) {
                break;
            }
            stop = after;
        }
        folded.resize((stop - i) * 18 + 8);
        UErrorCode normalised = status;
        const std::int32_t length = U_SUCCESS(status)
            ? unorm2_normalize(folding, text.data() + i, static_cast<std::int32_t>(stop - i), folded.data(),
                               static_cast<std::int32_t>(folded.size()), &normalised)
            : 0;
        if (U_FAILURE(normalised)) {
            for (std::size_t k = i; k < stop; ++k) {
                Put(out, text[k], in, k, k + 1);
            }
        } else {
            // A form that folds to letters and delimiters both ("a.m." of the
            // square am sign) stays one word: every unit of it stands for
            // the same original place, which two words cannot share.
            const std::u16string_view piece(folded.data(), static_cast<std::size_t>(length));
            const bool mixed = std::any_of(piece.begin(), piece.end(), IsWordDelimiter)
                && !std::all_of(piece.begin(), piece.end(), IsWordDelimiter);
            for (const char16_t c : piece) {
                Put(out, mixed && IsWordDelimiter(c) ? u'\u00B7' : c, in, i, stop);
            }
        }
        i = stop;
    }
    return out;
}

// Reads Cyrillic and Greek look-alikes inside otherwise Latin words as the
// Latin letter, in place. Only words whose every such letter has a Latin
// look-alike change: a Russian word beside an English one stays Russian.
void ReadLookAlikesAsLatin(TMappedText& mapped)
{
    std::u16string& text = mapped.text;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsWordDelimiter(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        bool latin = false;
        bool others = false;
        bool allAlike = true;
        while (end < text.size() && !IsWordDelimiter(text[end])) {
            const char32_t c = CodePointAt(text, end);
            const UScriptCode script = ScriptOf(c);
            latin = latin || script == USCRIPT_LATIN;
            if (IsCyrillicOrGreek(script)) {
                others = true;
                allAlike = allAlike && c <= 0xFFFF && LatinLookAlike(static_cast<char16_t>(c)) != u'\0';
            }
        }
        if (latin && others && allAlike) {
            for (std::size_t k = i; k < end; ++k) {
                if (const char16_t alike = LatinLookAlike(text[k]); alike != u'\0') {
                    text[k] = alike;
                }
            }
        }
        i = end;
    }
}

bool IsOwnWordScript(char32_t c)
{
    // The prolonged sound marks belong to kana although their script is
    // "common".
    if (c == 0x30FC || c == 0xFF70) {
        return true;
    }
    const UScriptCode script = ScriptOf(c);
    return script == USCRIPT_HAN || script == USCRIPT_HIRAGANA || script == USCRIPT_KATAKANA;
}

// What a unit between words becomes: the default delimiters stay, the
// sentence-ending marks of other scripts end a sentence, their commas end
// a word, and everything else separates words without ending a sentence.
char16_t BetweenWords(char16_t c)
{
    if (IsWordDelimiter(c)) {
        return c;
    }
    switch (c) {
    case u'\u3002': // ideographic full stop
    case u'\uFF61': // halfwidth ideographic full stop
    case u'\uFF0E': // fullwidth full stop
    case u'\uFF01': // fullwidth exclamation mark
    case u'\uFF1F': // fullwidth question mark
    case u'\u203C':
    case u'\u2047':
    case u'\u2048':
    case u'\u2049':
    case u'\u0964': // Devanagari danda
    case u'\u06D4': // Arabic full stop
    case u'\u061F': // Arabic question mark
        return u'.';
    case u'\u2028':
    case u'\u2029':
    case u'\u0085':
        return u'\n';
    default:
        return u' ';
    }
}

// Splits the text at Unicode's word boundaries so that the default rules
// find the same words: a space goes in between words that touch, every
// Han, Hiragana and Katakana character stands alone, and a delimiter
// inside a word (the full stop of 3.14) is replaced by a look-alike that
// does not split.
TMappedText SplitUnicodeWords(const TMappedText& in)
{
    TMappedText out;
    out.text.reserve(in.text.size() + in.text.size() / 4);
    out.start.reserve(out.text.capacity());
    out.end.reserve(out.text.capacity());
    const std::u16string& text = in.text;
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UBreakIterator, decltype(&ubrk_close)> words(
        ubrk_open(UBRK_WORD, "", reinterpret_cast<const UChar*>(text.data()), static_cast<std::int32_t>(text.size()),
                  &status),
        &ubrk_close);
    if (U_FAILURE(status)) {
        return in;
    }
    const auto separate = [&](std::size_t at) {
        if (!out.text.empty() && !IsWordDelimiter(out.text.back())) {
            PutBetween(out, u' ', in, at);
        }
    };
    // Units folded out of one original character (a square era name gives
    // two Han characters) stay one word: no place lies between them.
    const auto oneOriginal = [&in](std::size_t before, std::size_t at) {
        return at < in.text.size() && in.start[before] == in.start[at] && in.end[before] == in.end[at];
    };
    std::int32_t from = ubrk_first(words.get());
    for (std::int32_t to = ubrk_next(words.get()); to != UBRK_DONE; from = to, to = ubrk_next(words.get())) {
        const auto first = static_cast<std::size_t>(from);
        const auto last = static_cast<std::size_t>(to);
        if (ubrk_getRuleStatus(words.get()) < UBRK_WORD_NONE_LIMIT) {
            for (std::size_t k = first; k < last; ++k) {
                Put(out, BetweenWords(text[k]), in, k, k + 1);
            }
            continue;
        }
        if (first == 0 || !oneOriginal(first - 1, first)) {
            separate(first);
        }
        for (std::size_t k = first; k < last;) {
            std::size_t next = k;
            const char32_t c = CodePointAt(text, next);
            const bool alone = IsOwnWordScript(c);
            if (alone && (k == first || !oneOriginal(k - 1, k))) {
                separate(k);
            }
            for (std::size_t unit = k; unit < next; ++unit) {
                char16_t put = text[unit];
                if (IsWordDelimiter(put)) {
                    put = put == u'.' ? u'\u2024' : put == u',' ? u'\u201A' : u'\u00B7';
                }
                Put(out, put, in, unit, unit + 1);
            }
            if (alone && !oneOriginal(next - 1, next)) {
                separate(next);
            }
            k = next;
        }
    }
    return out;
}

} // namespace

TMappedText ReadAsCompared(std::u16string_view text, const TCompareOptions& options)
{
    TMappedText mapped;
    mapped.text.assign(text);
    if (!options.Transforms()) {
        return mapped;
    }
    mapped.start.resize(text.size());
    mapped.end.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        mapped.start[i] = static_cast<std::int32_t>(i);
        mapped.end[i] = static_cast<std::int32_t>(i + 1);
    }
    if (options.fold) {
        mapped = Fold(mapped);
        ReadLookAlikesAsLatin(mapped);
    }
    if (options.unicodeWords) {
        mapped = SplitUnicodeWords(mapped);
    }
    if (mapped.text.size() > kMaxTextLength) {
        mapped.text.resize(kMaxTextLength);
        mapped.start.resize(kMaxTextLength);
        mapped.end.resize(kMaxTextLength);
    }
    return mapped;
}

void MapWordsBack(const TMappedText& mapped, TListWords& words) noexcept
{
    std::int32_t previousEnd = 1;
    for (TWord& word : words) {
        const auto first = static_cast<std::size_t>(word.iStart - 1);
        const auto last = static_cast<std::size_t>(word.iEnd - 2);
        // Words that Unicode's boundaries find inside one original character
        // (a square era name folds to two Han characters) share it: the
        // first takes it, so that words never overlap in the original.
        word.iStart = std::max(mapped.start[first] + 1, previousEnd);
        word.iEnd = std::max(mapped.end[last] + 1, word.iStart);
        previousEnd = word.iEnd;
    }
}

std::vector<bool> QuotedWords(std::u16string_view text, const TListWords& words)
{
    const auto isMark = [](char16_t c) {
        return c == u'"' || c == u'\u201C' || c == u'\u201D' || c == u'\u201E' || c == u'\u00AB' || c == u'\u00BB';
    };
    const auto closes = [](char16_t opener, char16_t c) {
        switch (opener) {
        case u'\u00AB': return c == u'\u00BB';
        case u'\u00BB': return c == u'\u00AB';
        case u'\u201C': return c == u'\u201D' || c == u'\u201C';
        case u'\u201E': return c == u'\u201C' || c == u'\u201D';
        default: return c == opener;
        }
    };
    // inside[i]: unit i lies between an opening mark and its closing one.
    std::vector<bool> inside(text.size(), false);
    char16_t opener = u'\0';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsParagraphEnder(c)) {
            opener = u'\0';
        } else if (opener != u'\0' && closes(opener, c)) {
            opener = u'\0';
        } else if (opener == u'\0' && isMark(c)) {
            opener = c;
        } else if (opener != u'\0') {
            inside[i] = true;
        }
    }
    std::vector<bool> quoted(static_cast<std::size_t>(words.Count()), false);
    for (std::int32_t w = 0; w < words.Count(); ++w) {
        // A word is quoted by its first character that is not itself a mark:
        // the opening mark is part of the word «"hello».
        for (auto i = static_cast<std::size_t>(words[w].iStart - 1);
             i < static_cast<std::size_t>(words[w].iEnd - 1) && i < text.size(); ++i) {
            if (!isMark(text[i])) {
                quoted[static_cast<std::size_t>(w)] = inside[i];
                break;
            }
        }
    }
    return quoted;
}

TDisguises FindDisguises(std::u16string_view text)
{
    TDisguises found;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsWordDelimiter(text[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        bool invisible = false;
        bool latin = false;
        bool others = false;
        while (i < text.size() && !IsWordDelimiter(text[i])) {
            if (text[i] < 0x80) {
                latin = latin || static_cast<unsigned>((text[i] | 0x20) - u'a') < 26U;
                ++i;
                continue;
            }
            const char32_t c = CodePointAt(text, i);
            if (IsInvisible(c)) {
                invisible = true;
                continue;
            }
            const UScriptCode script = ScriptOf(c);
            latin = latin || script == USCRIPT_LATIN;
            others = others || IsCyrillicOrGreek(script);
        }
        const bool mixed = latin && others;
        found.invisibleWords += invisible ? 1 : 0;
        found.mixedScriptWords += mixed ? 1 : 0;
        const auto place = [&](TDisguisePlace::TKind kind) {
            if (found.places.size() < kMaxDisguisePlaces) {
                found.places.push_back({kind, static_cast<std::int32_t>(start), static_cast<std::int32_t>(i)});
            }
        };
        if (invisible) {
            place(TDisguisePlace::TKind::Invisible);
        }
        if (mixed) {
            place(TDisguisePlace::TKind::MixedScripts);
        }
    }
    return found;
}

} // namespace glenvary::core
