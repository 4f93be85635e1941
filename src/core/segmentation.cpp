// SPDX-License-Identifier: MIT
#include "segmentation.h"

namespace glenvary::core {
namespace {

// Texts of this many code units or more reserve their word lists up front.
constexpr std::size_t kReserveFrom = std::size_t{1} << 20;

} // namespace

void ParseArticle(std::u16string_view text, TListWords& words, TListSentences& sentences,
                  TListParagraphs& paragraphs)
{
    words.ClearAll();
    sentences.ClearAll();
    paragraphs.ClearAll();
    if (text.size() >= kReserveFrom) {
        // Room for the most words the text can hold (every other character
        // a delimiter): the word list never moves to a larger block while
        // a book is split, and the room it leaves unused is never touched,
        // so the memory stays untaken.
        words.Reserve(text.size() / 2 + 1);
    }

    const char16_t* const data = text.data();
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t openSentence = -1;
    std::int32_t openParagraph = -1;

    // The loop alternates between skipping a run of delimiters and a run of
    // word characters; a word opens at the first word character after a
    // delimiter and closes at the next delimiter, so both inner loops stay
    // tight and the open-word marker never needs to be tested per character.
    std::int32_t i = 0;
    while (i < length) {
        const char16_t c = data[i];
        if (IsWordDelimiter(c)) {
            if (openSentence >= 0 && IsSentenceEnder(c)) {
                sentences.AddSentence(openSentence, words.Count() - 1);
                openSentence = -1;
            }
            if (openParagraph >= 0 && IsParagraphEnder(c)) {
                paragraphs.AddParagraph(openParagraph, words.Count() - 1);
                openParagraph = -1;
            }
            ++i;
            continue;
        }
        const std::int32_t start = i;
        if (openSentence < 0) {
            openSentence = words.Count();
        }
        if (openParagraph < 0) {
            openParagraph = words.Count();
        }
        ++i;
        while (i < length && !IsWordDelimiter(data[i])) {
            ++i;
        }
        // Positions are 1-based: the word's first character is start + 1 and
        // the delimiter (or the end of the text) that ended it is i + 1.
        words.AddWord(start + 1, i + 1, clWhite);
    }
    if (openSentence >= 0) {
        sentences.AddSentence(openSentence, words.Count() - 1);
    }
    if (openParagraph >= 0) {
        paragraphs.AddParagraph(openParagraph, words.Count() - 1);
    }
}

void TArticle::Assign(std::u16string text)
{
    sText = std::move(text);
    Reparse();
}

void TArticle::Reparse()
{
    ParseArticle(sText, lstWords, lstSentences, lstParagraphs);
}

} // namespace glenvary::core
