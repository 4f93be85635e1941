// SPDX-License-Identifier: MIT
#include "oracle.h"

namespace glenvary::test::oracle {
namespace {

bool IsDelimiter(char16_t c)
{
    switch (c) {
    case u'\n':
    case u'\r':
    case u' ':
    case u'!':
    case u',':
    case u'.':
    case u';':
    case u'?':
        return true;
    default:
        return false;
    }
}

bool EndsSentence(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == u'!' || c == u'.' || c == u'?';
}

bool EndsParagraph(char16_t c)
{
    return c == u'\n' || c == u'\r';
}

template <typename T>
std::int32_t CountOf(const std::vector<T>& list)
{
    return static_cast<std::int32_t>(list.size());
}

std::size_t At(std::int32_t index)
{
    // A negative index turns into a huge one, which .at() then refuses.
    return static_cast<std::size_t>(static_cast<std::int64_t>(index));
}

std::u16string TextOfWord(const Article& article, std::int32_t index)
{
    const Word& word = article.words.at(At(index));
    return article.text.substr(At(word.iStart - 1), At(word.iEnd - word.iStart));
}

char16_t FoldCapital(char16_t c)
{
    if (c >= u'A' && c <= u'Z') {
        return static_cast<char16_t>(c - u'A' + u'a');
    }
    return c;
}

} // namespace

void Split(Article& article)
{
    article.words.clear();
    article.sentences.clear();
    article.paragraphs.clear();

    std::int32_t openWord = -1;
    std::int32_t openSentence = -1;
    std::int32_t openParagraph = -1;
    const auto length = static_cast<std::int32_t>(article.text.size());

    for (std::int32_t i = 1; i <= length; ++i) {
        const char16_t c = article.text.at(At(i - 1));
        if (IsDelimiter(c)) {
            if (openWord != -1) {
                article.words.push_back(Word{openWord, i, kWhite});
                openWord = -1;
            }
            if (openSentence != -1 && EndsSentence(c)) {
                article.sentences.push_back(Unit{openSentence, CountOf(article.words) - 1});
                openSentence = -1;
            }
            if (openParagraph != -1 && EndsParagraph(c)) {
                article.paragraphs.push_back(Unit{openParagraph, CountOf(article.words) - 1});
                openParagraph = -1;
            }
        } else if (openWord == -1) {
            openWord = i;
            if (openSentence == -1) {
                openSentence = CountOf(article.words);
            }
            if (openParagraph == -1) {
                openParagraph = CountOf(article.words);
            }
        }
    }

    if (openWord != -1) {
        article.words.push_back(Word{openWord, length + 1, kWhite});
    }
    if (openSentence != -1) {
        article.sentences.push_back(Unit{openSentence, CountOf(article.words) - 1});
    }
    if (openParagraph != -1) {
        article.paragraphs.push_back(Unit{openParagraph, CountOf(article.words) - 1});
    }
}

Color MatchColor(std::int32_t colorIndex)
{
    switch (colorIndex) {
    case 1:
        return 0xFFFF00;
    case 2:
        return 0xC0DCC0;
    case 3:
        return 0x00FFFF;
    case 4:
        return 0x0000FF;
    case 5:
        return 0x008080;
    case 6:
        return 0xC0C0C0;
    default:
        return kWhite;
    }
}

bool IsBlank(std::u16string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] <= 32) {
        ++begin;
    }
    while (end > begin && text[end - 1] <= 32) {
        --end;
    }
    return begin == end;
}

bool SameWord(const Article& article1, std::int32_t index1, const Article& article2, std::int32_t index2)
{
    const std::u16string a = TextOfWord(article1, index1);
    const std::u16string b = TextOfWord(article2, index2);
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCapital(a[i]) != FoldCapital(b[i])) {
            return false;
        }
    }
    return true;
}

bool Comparison::NextChunk(std::int32_t& unitIndex, std::int32_t& first, std::int32_t& last) const
{
    first = -1;
    last = -1;

    std::int32_t n = 0;
    switch (iUnitKind) {
    case 0:
        n = CountOf(article1.words);
        break;
    case 1:
        n = CountOf(article1.sentences);
        break;
    case 2:
        n = CountOf(article1.paragraphs);
        break;
    default:
        return false;
    }

    unitIndex = unitIndex + 1;
    if (unitIndex > n - 1) {
        return false;
    }
    // A negative length would name a last unit before the first one.
    if (iMinLength < 0) {
        return false;
    }

    // Formed in 64 bits so that a length near INT32_MAX is still cut at the
    // end of article 1.
    const std::int64_t reach = std::int64_t{unitIndex} + std::int64_t{iMinLength} - 1;
    const std::int32_t lastUnit = reach <= n - 1 ? static_cast<std::int32_t>(reach) : n - 1;
    if (lastUnit == -1) {
        return false;
    }

    if (iUnitKind == 0) {
        first = unitIndex;
        last = lastUnit;
    } else if (iUnitKind == 1) {
        first = article1.sentences.at(At(unitIndex)).iFirstWord;
        last = article1.sentences.at(At(lastUnit)).iLastWord;
    } else {
        first = article1.paragraphs.at(At(unitIndex)).iFirstWord;
        last = article1.paragraphs.at(At(lastUnit)).iLastWord;
    }
    return true;
}

bool Comparison::FindChunkMatch(std::int32_t first, std::int32_t last, std::int32_t& resume, std::int32_t& matchFirst,
                                std::int32_t& matchLast)
{
    const std::int32_t n = CountOf(article2.words);
    const std::int32_t offsetOfLast = last - first;

    bool newRegion = false;
    bool allowance = true;
    std::int32_t j = resume;

    if (j == n - 1) {
        j = -1;
        newRegion = true;
    }

    bool found = false;
    while (j < n - 1) {
        j = j + 1;

        bool lastPairFailed = false;
        std::int32_t lastOffset = 0;
        for (std::int32_t k = 0;; ++k) {
            lastOffset = k;
            const Word& word1 = article1.words.at(At(first + k));
            const Word& word2 = article2.words.at(At(j + k));
            const Word& chunkStart = article1.words.at(At(first));

            const bool runsOut = j + k == n - 1 && first + k != last;
            const bool differs = !SameWord(article1, first + k, article2, j + k);
            const bool clashes =
                word2.iColor != kWhite && (word2.iColor != MatchColor(iColorIndex) || newRegion);
            const bool strays = newRegion && chunkStart.iColor != kWhite && word1.iColor == kWhite;

            if (runsOut || differs || clashes || strays) {
                lastPairFailed = true;
                break;
            }
            if (k == offsetOfLast) {
                break;
            }
        }

        if (lastPairFailed && lastOffset == offsetOfLast && allowance) {
            j = -1;
            resume = -1;
            newRegion = true;
            allowance = false;
            continue;
        }
        if (lastPairFailed) {
            continue;
        }
        matchFirst = j;
        matchLast = j + offsetOfLast;
        resume = j;
        found = true;
        break;
    }

    if (!found) {
        return false;
    }

    if (first > 0 && article1.words.at(At(first - 1)).iColor == kWhite) {
        newRegion = true;
    }
    if (matchFirst > 0 && article2.words.at(At(matchFirst - 1)).iColor == kWhite) {
        newRegion = true;
    }
    if (newRegion) {
        iColorIndex = iColorIndex + 1;
    }
    if (iColorIndex == 0) {
        iColorIndex = 1;
    }
    if (iColorIndex > 6) {
        iColorIndex = 1;
    }

    const Color colour = MatchColor(iColorIndex);
    for (std::int32_t i = first; i <= last; ++i) {
        article1.words.at(At(i)).iColor = colour;
    }
    for (std::int32_t i = matchFirst; i <= matchLast; ++i) {
        article2.words.at(At(i)).iColor = colour;
    }
    return true;
}

Outcome Comparison::Compare(std::int32_t minLength, std::int32_t unitKind)
{
    if (IsBlank(article1.text)) {
        return {};
    }
    if (IsBlank(article2.text)) {
        return {};
    }

    iColorIndex = 0;
    iMinLength = minLength;
    iUnitKind = unitKind;
    Split(article1);
    Split(article2);

    std::int32_t unitIndex = -1;
    std::int32_t resume = -1;
    std::int32_t first = -1;
    std::int32_t last = -1;
    std::int32_t matchFirst = -1;
    std::int32_t matchLast = -1;
    while (NextChunk(unitIndex, first, last)) {
        FindChunkMatch(first, last, resume, matchFirst, matchLast);
    }

    Outcome outcome;
    outcome.compared = true;
    for (const Word& word : article2.words) {
        if (word.iColor != kWhite) {
            outcome.duplicatedWords = outcome.duplicatedWords + 1;
        }
    }
    const std::int32_t wordCount = CountOf(article2.words);
    if (wordCount > 0) {
        outcome.duplicatePercent =
            static_cast<double>(outcome.duplicatedWords) * 100.0 / static_cast<double>(wordCount);
    }
    return outcome;
}

} // namespace glenvary::test::oracle
