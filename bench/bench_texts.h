// SPDX-License-Identifier: MIT
// Glenvary: deterministic article pairs for the benchmarks.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace glenvary::bench {

/// The shapes of article pair that the benchmarks compare.
enum class TPairKind {
    HalfShared,   ///< prose; about half of article 2's paragraphs are copied from article 1
    NothingShared, ///< prose from two vocabularies that share no word
    OneWord,      ///< one word repeated throughout, with sentence and paragraph breaks
};

/// Prose generator: words drawn from a Zipf-like vocabulary, sentences of 5
/// to 20 words, paragraphs of 2 to 6 sentences separated by one line break.
class TProse {
public:
    explicit TProse(std::uint32_t seed, std::u16string prefix = u"")
        : random_(seed)
        , prefix_(std::move(prefix))
    {
        static const char* const syllables[] = {"ka", "lo", "mi", "ne", "ru", "sa", "ti", "vo", "ze", "pa",
                                                "qu", "dr", "st", "en", "or", "al", "ip", "um", "ex", "th"};
        for (int i = 0; i < 4000; ++i) {
            std::u16string word = prefix_;
            int parts = 1 + i % 3;
            int value = i;
            for (int p = 0; p < parts; ++p) {
                for (const char* s = syllables[value % 20]; *s != '\0'; ++s) {
                    word.push_back(static_cast<char16_t>(*s));
                }
                value /= 20;
            }
            vocabulary_.push_back(word);
        }
    }

    /// One paragraph of about `words` words, without its line break.
    std::u16string Paragraph(int& words)
    {
        std::u16string text;
        words = 0;
        const int sentences = 2 + static_cast<int>(random_() % 5);
        for (int s = 0; s < sentences; ++s) {
            const int length = 5 + static_cast<int>(random_() % 16);
            for (int w = 0; w < length; ++w) {
                std::u16string word = vocabulary_[Pick()];
                if (w == 0) {
                    word[prefix_.size()] = static_cast<char16_t>(word[prefix_.size()] - u'a' + u'A');
                }
                text += word;
                text += (w + 1 == length) ? u"." : (random_() % 9 == 0 ? u", " : u" ");
                ++words;
            }
            if (s + 1 < sentences) {
                text += u' ';
            }
        }
        return text;
    }

    /// An article of at least `targetWords` words.
    std::u16string Article(int targetWords)
    {
        std::u16string text;
        int total = 0;
        while (total < targetWords) {
            int words = 0;
            text += Paragraph(words);
            text += u'\n';
            total += words;
        }
        return text;
    }

    std::mt19937& Random() { return random_; }

private:
    std::size_t Pick()
    {
        // Squaring a uniform draw favours the first words, as natural
        // language favours its commonest words.
        const double u = std::uniform_real_distribution<double>(0.0, 1.0)(random_);
        return static_cast<std::size_t>(u * u * u * static_cast<double>(vocabulary_.size() - 1));
    }

    std::mt19937 random_;
    std::u16string prefix_;
    std::vector<std::u16string> vocabulary_;
};

struct TArticlePair {
    std::u16string article1;
    std::u16string article2;
};

/// A pair of articles of about `words` words each.
inline TArticlePair MakePair(TPairKind kind, int words)
{
    TArticlePair pair;
    switch (kind) {
    case TPairKind::HalfShared: {
        TProse prose(7);
        std::vector<std::u16string> paragraphs;
        int total = 0;
        while (total < words) {
            int n = 0;
            paragraphs.push_back(prose.Paragraph(n));
            pair.article1 += paragraphs.back() + u'\n';
            total += n;
        }
        // Article 2 alternates four fresh paragraphs with four consecutive
        // ones taken from article 1 (in article 1's order, skipping four
        // each time), so about half of it is shared, in runs long enough to
        // match in every unit.
        TProse other(11);
        total = 0;
        std::size_t next = 0;
        int block = 0;
        while (total < words) {
            int n = 0;
            std::u16string paragraph = other.Paragraph(n);
            const bool copy = (block / 4) % 2 == 1;
            if (copy && next < paragraphs.size()) {
                paragraph = paragraphs[next];
                ++next;
                if (block % 4 == 3) {
                    next += 4;
                }
            }
            pair.article2 += paragraph + u'\n';
            total += n;
            ++block;
        }
        break;
    }
    case TPairKind::NothingShared:
        pair.article1 = TProse(7, u"a").Article(words);
        pair.article2 = TProse(11, u"b").Article(words);
        break;
    case TPairKind::OneWord:
        for (int w = 0; w < words; ++w) {
            pair.article1 += u"word";
            pair.article1 += (w % 10 == 9) ? ((w % 50 == 49) ? u".\n" : u". ") : u" ";
        }
        pair.article2 = pair.article1;
        break;
    }
    return pair;
}

} // namespace glenvary::bench
