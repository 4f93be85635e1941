// SPDX-License-Identifier: MIT
// Glenvary: deterministic article pairs for the benchmarks.
#pragma once

#include <algorithm>
#include <cmath>
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
    CopiedPassages, ///< book-like prose; 30% of article 2 copied from article 1 in passages of 30-150 words
    OneWordLonger,  ///< one word repeated; article 2 has 70% of article 1's words, so late chunks find it all coloured
    TwoWordsAlternating, ///< "a b a b ..."; article 2 has 70% of article 1's words
    NearMisses,     ///< every chunk of the given length finds its leading words in article 2 but never its last word
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

/// Book-like prose: 60,000 distinct words drawn by a Zipf law (the
/// commonest word about 6% of the text, as "the" is in English), sentences
/// of 4 to 30 words, paragraphs of 2 to 7 sentences. Made as a list of
/// words, each with the separator after it, so that passages can be copied
/// word by word from one article into another.
class TBookProse {
public:
    explicit TBookProse(std::uint32_t seed) : random_(seed)
    {
        static const char* const syllables[] = {"ka", "lo", "mi", "ne", "ru", "sa", "ti", "vo", "ze", "pa",
                                                "qu", "dr", "st", "en", "or", "al", "ip", "um", "ex", "th"};
        constexpr int kVocabulary = 60'000;
        std::vector<double> weights;
        for (int rank = 0; rank < kVocabulary; ++rank) {
            // The rank-th syllable string in order of length, so that the
            // commonest words are the shortest and no two words are equal.
            int parts = 1;
            int first = 0;
            for (int size = 20; rank >= first + size; size *= 20) {
                first += size;
                ++parts;
            }
            int value = rank - first;
            std::u16string word;
            for (int p = 0; p < parts; ++p) {
                for (const char* s = syllables[value % 20]; *s != '\0'; ++s) {
                    word.push_back(static_cast<char16_t>(*s));
                }
                value /= 20;
            }
            vocabulary_.push_back(std::move(word));
            weights.push_back(1.0 / std::pow(rank + 2.7, 1.07));
        }
        pick_ = std::discrete_distribution<int>(weights.begin(), weights.end());
    }

    /// Appends about `words` words of prose, ending with a paragraph break.
    void Append(int words, std::vector<std::u16string>& tokens)
    {
        int written = 0;
        while (written < words) {
            const int sentences = 2 + static_cast<int>(random_() % 6);
            for (int s = 0; s < sentences; ++s) {
                const int length = 4 + static_cast<int>(random_() % 27);
                for (int w = 0; w < length; ++w) {
                    std::u16string token = vocabulary_[static_cast<std::size_t>(pick_(random_))];
                    if (w == 0) {
                        token[0] = static_cast<char16_t>(token[0] - u'a' + u'A');
                    }
                    token += (w + 1 == length) ? u"." : (random_() % 10 == 0 ? u", " : u" ");
                    tokens.push_back(std::move(token));
                }
                written += length;
                tokens.back() += (s + 1 == sentences) ? u"\n" : u" ";
            }
        }
    }

    std::mt19937& Random() { return random_; }

private:
    std::mt19937 random_;
    std::vector<std::u16string> vocabulary_;
    std::discrete_distribution<int> pick_;
};

struct TArticlePair {
    std::u16string article1;
    std::u16string article2;
};

inline std::u16string Joined(const std::vector<std::u16string>& tokens)
{
    std::u16string text;
    for (const auto& token : tokens) {
        text += token;
    }
    return text;
}

/// `words` words of "word" (or "alpha beta" alternating), a sentence break
/// after every tenth word and a paragraph break after every fiftieth.
inline std::u16string RepeatedWords(int words, bool alternate)
{
    std::u16string text;
    for (int w = 0; w < words; ++w) {
        text += alternate ? (w % 2 == 0 ? u"alpha" : u"beta") : u"word";
        text += (w % 10 == 9) ? ((w % 50 == 49) ? u".\n" : u". ") : u" ";
    }
    return text;
}

/// Article 2: runs of K + 1 words, K words from {a, b} and a next word
/// that the K words decide, each run followed by "z". Article 1: words from
/// {a, b} where every word is the other one than article 2 would put after
/// the K words before it. So each chunk of K + 1 words finds its first K
/// words all over article 2, and its last word nowhere after them.
inline TArticlePair NearMissPair(int words, int length)
{
    const int k = std::max(length - 1, 1);
    // The key of K words is 3^K + the sum of word i times 3^(K - 1 - i),
    // modulo 2^64; article 1's keys roll from word to word, so that a long
    // K costs no more than a short one.
    const auto keyOf = [k](const std::vector<bool>& run, std::size_t from) {
        std::uint64_t key = 1;
        for (int i = 0; i < k; ++i) {
            key = key * 3 + (run[from + static_cast<std::size_t>(i)] ? 1U : 0U);
        }
        return key;
    };
    const auto decide = [](std::uint64_t key) { return ((key * 0x9E3779B97F4A7C15ULL) >> 63) != 0; };
    const auto follower = [&](const std::vector<bool>& run, std::size_t from) { return decide(keyOf(run, from)); };
    const auto word = [](bool b) { return b ? u"b" : u"a"; };
    std::mt19937 random(99);
    TArticlePair pair;
    int written = 0;
    while (written < words) {
        std::vector<bool> run;
        for (int i = 0; i < k; ++i) {
            run.push_back(random() % 2 == 1);
        }
        run.push_back(follower(run, 0));
        for (const bool b : run) {
            pair.article2 += word(b);
            pair.article2 += u' ';
        }
        pair.article2 += (written / (k + 2)) % 8 == 7 ? u"z.\n" : u"z. ";
        written += k + 2;
    }
    std::vector<bool> walk;
    for (int i = 0; i < k; ++i) {
        walk.push_back(random() % 2 == 1);
    }
    // 3^(K - 1) and 3^K, modulo 2^64 as the keys are.
    std::uint64_t second = 1;
    for (int i = 1; i < k; ++i) {
        second *= 3;
    }
    const std::uint64_t top = second * 3;
    std::uint64_t key = keyOf(walk, 0);
    while (static_cast<int>(walk.size()) < words) {
        const bool next = !decide(key);
        const bool leaving = walk[walk.size() - static_cast<std::size_t>(k)];
        walk.push_back(next);
        key = (key - top - (leaving ? second : 0)) * 3 + top + (next ? 1U : 0U);
    }
    for (std::size_t i = 0; i < walk.size(); ++i) {
        pair.article1 += word(walk[i]);
        pair.article1 += (i % 12 == 11) ? ((i % 60 == 59) ? u".\n" : u". ") : u" ";
    }
    return pair;
}

/// A pair of articles of about `words` words each. `length` is the chunk
/// length that NearMisses is built for; other kinds ignore it.
inline TArticlePair MakePair(TPairKind kind, int words, int length = 3)
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
    case TPairKind::CopiedPassages: {
        std::vector<std::u16string> tokens1;
        TBookProse(7).Append(words, tokens1);
        // Fresh runs of 110-310 words between copies of 30-150 words: a
        // copy averages 90 words of every 300, so 30% of article 2.
        std::vector<std::u16string> tokens2;
        TBookProse fresh(11);
        std::mt19937& random = fresh.Random();
        while (static_cast<int>(tokens2.size()) < words) {
            fresh.Append(110 + static_cast<int>(random() % 201), tokens2);
            const auto copied = 30 + random() % 121;
            const auto from = random() % (tokens1.size() - copied);
            tokens2.insert(tokens2.end(), tokens1.begin() + static_cast<std::ptrdiff_t>(from),
                           tokens1.begin() + static_cast<std::ptrdiff_t>(from + copied));
        }
        pair.article1 = Joined(tokens1);
        pair.article2 = Joined(tokens2);
        break;
    }
    case TPairKind::OneWordLonger:
    case TPairKind::TwoWordsAlternating: {
        const bool alternate = kind == TPairKind::TwoWordsAlternating;
        pair.article1 = RepeatedWords(words, alternate);
        pair.article2 = RepeatedWords(words * 7 / 10, alternate);
        break;
    }
    case TPairKind::NearMisses:
        pair = NearMissPair(words, length);
        break;
    }
    return pair;
}

/// Common English words, roughly the commonest first: the vocabulary of
/// ArticleSet.
inline constexpr const char* kEnglishWords =
    "the of and to a in is that for it as was with be by on not he this are or his from at which but have "
    "an had they you were their one all we can her has there been if more when will would who so no she "
    "other its may these what them than some him time into only do could new about two such after first "
    "also any made most over our years like many then very must between where those should through people "
    "because well work each just way even before how year same right being world still used life state "
    "own part three here great while under since much few long number system both high last public down "
    "might without case group water against good make place often form another however development house "
    "small general end take set during point day children found government thus again second order school "
    "power little large every line fact among given less area use problem information business back "
    "within social does family university level history country interest local national man too body "
    "possible example early course human city women car data market process company research value "
    "economic important days war policy service rate already study control whether theory per result "
    "health though major field hand effect question law period support left side change real known age "
    "model several mind need nothing party action free air energy care person death experience land "
    "political words half four head others least open word child love once become food show true away "
    "room music art job plan price economy story name knowledge money report future play heart light "
    "education lot book oil role office hard peace town black white morning evening thought view low "
    "quality clear month road term difficult cost face team space position move test special type easy "
    "strong page game source reason sure natural private nature short ground building cell sense rather "
    "needed friend trade present range village table truth practice science feeling voice paper matter "
    "simple subject river summer letter film force growth animal basic idea current language island "
    "garden ancient design south north east west method army sea figure structure common century popular "
    "account response material region board center produce student seem whole along brother station "
    "street window evidence doubt glass modern image industry weather hospital machine minister council "
    "degree pressure college doctor record cold fire sound network dark wide spring tree forest mountain "
    "kitchen picture memory character dream direction chapter patient journey detail bread wine milk "
    "horse bridge castle harbour valley winter autumn silver golden silent gentle careful quiet heavy "
    "bright ready final proper recent single central foreign similar various particular certain likely "
    "perhaps always never usually quickly slowly together almost later indeed below above across behind "
    "beyond toward upon around outside inside";

/// `count` articles of `words` words each, as a set of articles that are
/// checked against each other might be: English words drawn by a Zipf law
/// from kEnglishWords (the commonest about 8% of the text; "the" is 5 to 7%
/// of English prose), sentences of 4 to 30 words, paragraphs of 2 to 7
/// sentences; and from the second article on, nearly a fifth of each
/// article copied from the articles before it, in passages of 20 to 80
/// words. The same arguments give the same articles on every machine.
inline std::vector<std::u16string> ArticleSet(int count, int words, std::uint32_t seed = 2024)
{
    std::vector<std::u16string> vocabulary;
    // The weights added up, word by word; drawn from with the generator's
    // own numbers, so that no library's distribution decides the words.
    std::vector<double> cumulative;
    double total = 0.0;
    for (const char* at = kEnglishWords; *at != '\0';) {
        std::u16string word;
        for (; *at != '\0' && *at != ' '; ++at) {
            word.push_back(static_cast<char16_t>(*at));
        }
        at += *at == ' ' ? 1 : 0;
        total += 1.0 / std::pow(static_cast<double>(vocabulary.size()) + 2.7, 1.07);
        cumulative.push_back(total);
        vocabulary.push_back(std::move(word));
    }
    std::mt19937 random(seed);
    const auto pick = [&] {
        const double u = static_cast<double>(random()) / 4294967296.0 * total;
        const auto at = std::upper_bound(cumulative.begin(), cumulative.end(), u) - cumulative.begin();
        return std::min(static_cast<std::size_t>(at), vocabulary.size() - 1);
    };
    std::vector<std::vector<std::u16string>> articles;
    for (int a = 0; a < count; ++a) {
        std::vector<std::u16string> tokens;
        while (static_cast<int>(tokens.size()) < words) {
            if (!articles.empty() && random() % 4 == 0) {
                const auto& source = articles[random() % articles.size()];
                const auto length = std::min<std::size_t>(20 + random() % 61, source.size());
                const auto from = random() % (source.size() - length + 1);
                tokens.insert(tokens.end(), source.begin() + static_cast<std::ptrdiff_t>(from),
                              source.begin() + static_cast<std::ptrdiff_t>(from + length));
                continue;
            }
            const int sentences = 2 + static_cast<int>(random() % 6);
            for (int s = 0; s < sentences; ++s) {
                const int length = 4 + static_cast<int>(random() % 27);
                for (int w = 0; w < length; ++w) {
                    std::u16string token = vocabulary[pick()];
                    if (w == 0) {
                        token[0] = static_cast<char16_t>(token[0] - u'a' + u'A');
                    }
                    token += (w + 1 == length) ? u"." : (random() % 10 == 0 ? u", " : u" ");
                    tokens.push_back(std::move(token));
                }
                tokens.back() += (s + 1 == sentences) ? u"\n" : u" ";
            }
        }
        tokens.resize(static_cast<std::size_t>(words));
        articles.push_back(std::move(tokens));
    }
    std::vector<std::u16string> texts;
    for (const auto& tokens : articles) {
        texts.push_back(Joined(tokens));
    }
    return texts;
}

} // namespace glenvary::bench
