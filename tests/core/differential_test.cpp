// SPDX-License-Identifier: MIT
// The engine against the slow model of oracle.h, on many random article
// pairs: whole comparisons through Compare, and the same walks driven chunk
// by chunk. Every pair comes from its own fixed seed, so a failure names
// the seed and the two texts that reproduce it.
#include "core/comparison.h"

#include "oracle.h"
#include "test_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace glenvary::core {
namespace {

using test::U16;
using test::U8;

constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();

struct PairCase {
    std::uint32_t seed = 0;
    const char* kind = "";
    std::u16string text1;
    std::u16string text2;
    std::int32_t minLength = 1;
    std::int32_t unitKind = ukWords;
};

// Quoted so that it can be pasted back into a test as U16("...").
std::string Quoted(const std::u16string& text)
{
    std::string out = "\"";
    for (const char c : U8(text)) {
        switch (c) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                static constexpr char kHex[] = "0123456789abcdef";
                out += "\\x";
                out += kHex[(c >> 4) & 0xF];
                out += kHex[c & 0xF];
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string Describe(const PairCase& c)
{
    std::ostringstream out;
    out << "seed " << c.seed << " (" << c.kind << "), length " << c.minLength << ", unit kind " << c.unitKind
        << "\n  article 1: " << Quoted(c.text1) << "\n  article 2: " << Quoted(c.text2);
    return out.str();
}

// Small pools so that words repeat a lot. The non-ASCII pairs differ only
// in a case that the matching must not fold; "@x" and "`x", "[a" and "{a"
// differ only in the bit that turns A-Z into a-z; "ab" and "abc" share a
// start.
const std::vector<std::string>& WordPool()
{
    static const std::vector<std::string> pool = {
        "a",   "b",   "the", "cat",        "sat",   "dog",  "red", "blue",     "x1", "3",  "ab", "abc",
        "été", "ÉTÉ", "Été", "up-to-date", "don't", "żółw", "😀",  "tab\there", "@x", "`x", "[a", "{a",
        "À",   "à",
    };
    return pool;
}

const std::vector<std::string>& Separators()
{
    static const std::vector<std::string> separators = {
        ", ",  ". ",     "...", "?!",   ", ;", " ; ",        "! ",    "?",       ".",
        ",",   "\n",     "\r\n", "\r", "\r\n\r\n", "\n\n", " . ", ".\r\n", "\r\n \r\n", ". \n",
    };
    return separators;
}

class Generator {
public:
    explicit Generator(std::uint32_t seed) : rng_(seed) {}

    std::int32_t Int(std::int32_t low, std::int32_t high)
    {
        return std::uniform_int_distribution<std::int32_t>(low, high)(rng_);
    }
    bool Chance(double p) { return std::bernoulli_distribution(p)(rng_); }

    std::vector<std::string> Vocabulary(std::int32_t size)
    {
        std::vector<std::string> pool = WordPool();
        std::shuffle(pool.begin(), pool.end(), rng_);
        pool.resize(static_cast<std::size_t>(size));
        return pool;
    }

    // The same word in another case of its ASCII letters.
    std::string Cased(std::string word, bool mixedCase)
    {
        if (!mixedCase) {
            return word;
        }
        const std::int32_t style = Int(0, 19);
        for (std::size_t i = 0; i < word.size(); ++i) {
            const char c = word[i];
            if (c < 'a' || c > 'z') {
                continue;
            }
            const bool upper = style < 12 ? false : style < 15 ? i == 0 : style < 17 ? true : Chance(0.5);
            if (upper) {
                word[i] = static_cast<char>(c - 'a' + 'A');
            }
        }
        return word;
    }

    std::string Separator(double breakRate)
    {
        if (!Chance(breakRate)) {
            return Chance(0.85) ? " " : "  ";
        }
        const auto& all = Separators();
        return all[static_cast<std::size_t>(Int(0, static_cast<std::int32_t>(all.size()) - 1))];
    }

    std::vector<std::string> Words(const std::vector<std::string>& vocabulary, std::int32_t count)
    {
        std::vector<std::string> words;
        const auto last = static_cast<std::int32_t>(vocabulary.size()) - 1;
        for (std::int32_t i = 0; i < count; ++i) {
            words.push_back(vocabulary[static_cast<std::size_t>(Int(0, last))]);
        }
        return words;
    }

    // A copy with words replaced, dropped and inserted here and there, so
    // that the two articles share long runs and near misses.
    std::vector<std::string> Mutated(const std::vector<std::string>& words, const std::vector<std::string>& vocabulary,
                                     double rate)
    {
        std::vector<std::string> out;
        for (const auto& word : words) {
            if (Chance(rate / 3)) {
                out.push_back(Words(vocabulary, 1).front());
            }
            if (Chance(rate / 3)) {
                continue;
            }
            out.push_back(Chance(rate / 3) ? Words(vocabulary, 1).front() : word);
        }
        if (Chance(0.3) && !out.empty()) {
            std::rotate(out.begin(), out.begin() + Int(0, static_cast<std::int32_t>(out.size()) - 1), out.end());
        }
        return out;
    }

    std::u16string Text(const std::vector<std::string>& words, bool mixedCase, double breakRate)
    {
        std::string text;
        if (Chance(0.1)) {
            text += Chance(0.5) ? " \r\n" : "..";
        }
        for (std::size_t i = 0; i < words.size(); ++i) {
            if (i > 0) {
                text += Separator(breakRate);
            }
            text += Cased(words[i], mixedCase);
        }
        if (Chance(0.5)) {
            text += Separator(1.0);
        }
        return U16(text);
    }

    std::u16string EdgeArticle()
    {
        static const std::array<const char*, 8> texts = {
            "", " ", " \r\n\t \r\n", "\x01\x1f", "...", " , ; ! ", "cat", "\r\n\r\nDog?\r\n",
        };
        return U16(texts[static_cast<std::size_t>(Int(0, static_cast<std::int32_t>(texts.size()) - 1))]);
    }

    std::int32_t Length()
    {
        if (Chance(0.03)) {
            static const std::array<std::int32_t, 7> odd = {0, -1, -7, 100, kMaxInt, kMaxInt - 1,
                                                            std::numeric_limits<std::int32_t>::min()};
            return odd[static_cast<std::size_t>(Int(0, static_cast<std::int32_t>(odd.size()) - 1))];
        }
        return Int(1, 8);
    }

    std::int32_t UnitKind() { return Chance(0.01) ? (Chance(0.5) ? 3 : -1) : Int(0, 2); }

private:
    std::mt19937 rng_;
};

PairCase MakeCase(std::uint32_t seed)
{
    Generator gen(seed);
    PairCase c;
    c.seed = seed;
    c.minLength = gen.Length();
    c.unitKind = gen.UnitKind();

    const std::int32_t shape = gen.Int(0, 99);
    if (shape < 2) {
        // A few hundred words, long matching runs with mutations in between.
        c.kind = "long";
        const auto vocabulary = gen.Vocabulary(gen.Int(3, 10));
        const auto words1 = gen.Words(vocabulary, gen.Int(150, 350));
        c.text1 = gen.Text(words1, gen.Chance(0.5), 0.15);
        c.text2 = gen.Text(gen.Mutated(words1, vocabulary, 0.1), gen.Chance(0.5), 0.15);
        if (gen.Chance(0.3)) {
            c.minLength = gen.Int(9, 40);
        }
    } else if (shape < 12) {
        c.kind = "edge-case article";
        const auto vocabulary = gen.Vocabulary(gen.Int(1, 4));
        const std::u16string other = gen.Text(gen.Words(vocabulary, gen.Int(0, 8)), true, 0.3);
        const std::u16string edge = gen.EdgeArticle();
        c.text1 = gen.Chance(0.5) ? edge : other;
        c.text2 = c.text1 == edge ? (gen.Chance(0.3) ? gen.EdgeArticle() : other) : edge;
    } else if (shape < 50) {
        c.kind = "shared runs";
        const auto vocabulary = gen.Vocabulary(gen.Int(2, 6));
        const auto words1 = gen.Words(vocabulary, gen.Int(1, 30));
        const bool mixedCase = gen.Chance(0.5);
        c.text1 = gen.Text(words1, mixedCase, 0.3);
        c.text2 = gen.Text(gen.Mutated(words1, vocabulary, gen.Chance(0.2) ? 0.0 : 0.3), gen.Chance(0.5), 0.3);
    } else {
        c.kind = "independent";
        const auto vocabulary = gen.Vocabulary(gen.Int(2, 6));
        c.text1 = gen.Text(gen.Words(vocabulary, gen.Int(1, 25)), gen.Chance(0.5), 0.3);
        c.text2 = gen.Text(gen.Words(vocabulary, gen.Int(1, 25)), gen.Chance(0.5), 0.3);
    }
    return c;
}

template <typename EngineList, typename ModelList>
std::string RangesDiffer(const std::string& what, const EngineList& engine, const ModelList& model)
{
    if (engine.Count() != static_cast<std::int32_t>(model.size())) {
        return what + "s: " + std::to_string(engine.Count()) + " in the engine, " + std::to_string(model.size())
            + " in the model";
    }
    for (std::int32_t i = 0; i < engine.Count(); ++i) {
        const auto& m = model[static_cast<std::size_t>(i)];
        if (engine[i].iFirstWord != m.iFirstWord || engine[i].iLastWord != m.iLastWord) {
            return what + " " + std::to_string(i) + ": engine " + std::to_string(engine[i].iFirstWord)
                + "-" + std::to_string(engine[i].iLastWord) + ", model " + std::to_string(m.iFirstWord) + "-"
                + std::to_string(m.iLastWord);
        }
    }
    return {};
}

std::string WordsDiffer(const std::string& what, const TListWords& engine, const std::vector<test::oracle::Word>& model)
{
    if (engine.Count() != static_cast<std::int32_t>(model.size())) {
        return what + ": " + std::to_string(engine.Count()) + " words in the engine, "
            + std::to_string(model.size()) + " in the model";
    }
    for (std::int32_t i = 0; i < engine.Count(); ++i) {
        const auto& m = model[static_cast<std::size_t>(i)];
        if (engine[i].iStart != m.iStart || engine[i].iEnd != m.iEnd || engine[i].iColor != m.iColor) {
            std::ostringstream out;
            out << what << " word " << i << ": engine " << engine[i].iStart << ".." << engine[i].iEnd << " colour "
                << std::hex << engine[i].iColor << std::dec << ", model " << m.iStart << ".." << m.iEnd
                << " colour " << std::hex << m.iColor;
            return out.str();
        }
    }
    return {};
}

std::string ArticleDiffers(const std::string& what, const TArticle& engine, const test::oracle::Article& model)
{
    std::string diff = WordsDiffer(what, engine.lstWords, model.words);
    if (diff.empty()) {
        diff = RangesDiffer(what + " sentence", engine.lstSentences, model.sentences);
    }
    if (diff.empty()) {
        diff = RangesDiffer(what + " paragraph", engine.lstParagraphs, model.paragraphs);
    }
    return diff;
}

std::string ColoursDiffer(const TComparison& engine, const test::oracle::Comparison& model)
{
    std::string diff = WordsDiffer("article 1", engine.Article1().lstWords, model.article1.words);
    if (diff.empty()) {
        diff = WordsDiffer("article 2", engine.Article2().lstWords, model.article2.words);
    }
    return diff;
}

// One whole comparison. `engine` is reused from pair to pair, as the window
// reuses its one comparison and a batch run each thread's, so state left
// over from the previous pair would show here. `prepared`: the texts go in
// split and interned beforehand, as a batch run sets them.
std::string WholeComparisonDiffers(TComparison& engine, const PairCase& c, bool prepared = false)
{
    if (prepared) {
        engine.SetPreparedArticles(TPreparedArticle(c.text1), TPreparedArticle(c.text2));
    } else {
        engine.SetArticleText(TArticleSide::Article1, c.text1);
        engine.SetArticleText(TArticleSide::Article2, c.text2);
    }
    const std::vector<TWord> before1(engine.Article1().lstWords.begin(), engine.Article1().lstWords.end());
    const std::vector<TWord> before2(engine.Article2().lstWords.begin(), engine.Article2().lstWords.end());
    const std::int32_t colorIndexBefore = engine.iColorIndex;
    const TCompareOutcome got = engine.Compare(c.minLength, c.unitKind);

    test::oracle::Comparison model;
    model.article1.text = c.text1;
    model.article2.text = c.text2;
    const test::oracle::Outcome want = model.Compare(c.minLength, c.unitKind);

    std::ostringstream out;
    if (got.compared != want.compared) {
        out << "Compare: compared " << got.compared << ", model " << want.compared;
        return out.str();
    }
    if (!got.compared) {
        if (!std::equal(before1.begin(), before1.end(), engine.Article1().lstWords.begin(),
                        engine.Article1().lstWords.end())
            || !std::equal(before2.begin(), before2.end(), engine.Article2().lstWords.begin(),
                           engine.Article2().lstWords.end())) {
            return "Compare of a blank article changed the word lists";
        }
        if (engine.iColorIndex != colorIndexBefore) {
            return "Compare of a blank article changed iColorIndex";
        }
        return {};
    }
    std::string diff = ArticleDiffers("article 1", engine.Article1(), model.article1);
    if (diff.empty()) {
        diff = ArticleDiffers("article 2", engine.Article2(), model.article2);
    }
    if (!diff.empty()) {
        return "Compare: " + diff;
    }
    if (got.duplicatedWords != want.duplicatedWords || got.duplicatePercent != want.duplicatePercent) {
        out.precision(17);
        out << "Compare: " << got.duplicatedWords << " words, " << got.duplicatePercent << " per cent; model "
            << want.duplicatedWords << " words, " << want.duplicatePercent << " per cent";
        return out.str();
    }
    if (engine.iColorIndex != model.iColorIndex) {
        out << "Compare: iColorIndex " << engine.iColorIndex << ", model " << model.iColorIndex;
        return out.str();
    }
    return {};
}

std::string StepDiffers(const TComparison& engine, const test::oracle::Comparison& model, bool foundGot,
                        bool foundWant, std::int32_t matchFirstGot, std::int32_t matchFirstWant,
                        std::int32_t matchLastGot, std::int32_t matchLastWant, std::int32_t resumeGot,
                        std::int32_t resumeWant)
{
    std::ostringstream out;
    if (foundGot != foundWant || matchFirstGot != matchFirstWant || matchLastGot != matchLastWant) {
        out << "FindChunkMatch gave " << foundGot << " " << matchFirstGot << "-" << matchLastGot << ", model "
            << foundWant << " " << matchFirstWant << "-" << matchLastWant;
        return out.str();
    }
    if (resumeGot != resumeWant) {
        out << "resume " << resumeGot << ", model " << resumeWant;
        return out.str();
    }
    if (engine.iColorIndex != model.iColorIndex) {
        out << "iColorIndex " << engine.iColorIndex << ", model " << model.iColorIndex;
        return out.str();
    }
    return ColoursDiffer(engine, model);
}

constexpr std::int32_t kUntouched = -77;

// One walk driven chunk by chunk, with every intermediate result held
// against the model's. Both sides must have been split and reset.
std::string WalkDiffers(TComparison& engine, test::oracle::Comparison& model)
{
    std::int32_t unitGot = -1;
    std::int32_t unitWant = -1;
    std::int32_t resumeGot = -1;
    std::int32_t resumeWant = -1;
    for (std::int32_t step = 0;; ++step) {
        if (step > 100000) {
            return "the walk does not end";
        }
        std::int32_t firstGot = kUntouched;
        std::int32_t lastGot = kUntouched;
        std::int32_t firstWant = kUntouched;
        std::int32_t lastWant = kUntouched;
        const bool moreGot = engine.NextChunk(unitGot, firstGot, lastGot);
        const bool moreWant = model.NextChunk(unitWant, firstWant, lastWant);
        std::ostringstream out;
        out << "chunk " << step << ": ";
        if (moreGot != moreWant) {
            out << "NextChunk returned " << moreGot << ", model " << moreWant;
            return out.str();
        }
        if (firstGot != firstWant || lastGot != lastWant) {
            out << "NextChunk gave " << firstGot << "-" << lastGot << ", model " << firstWant << "-" << lastWant;
            return out.str();
        }
        if (!moreGot) {
            return {};
        }
        if (unitGot != unitWant) {
            out << "walk position " << unitGot << ", model " << unitWant;
            return out.str();
        }

        std::int32_t matchFirstGot = kUntouched;
        std::int32_t matchLastGot = kUntouched;
        std::int32_t matchFirstWant = kUntouched;
        std::int32_t matchLastWant = kUntouched;
        out << firstGot << "-" << lastGot << " from resume " << resumeGot << ": ";
        const bool foundGot = engine.FindChunkMatch(firstGot, lastGot, resumeGot, matchFirstGot, matchLastGot);
        const bool foundWant = model.FindChunkMatch(firstWant, lastWant, resumeWant, matchFirstWant, matchLastWant);
        const std::string diff = StepDiffers(engine, model, foundGot, foundWant, matchFirstGot, matchFirstWant,
                                             matchLastGot, matchLastWant, resumeGot, resumeWant);
        if (!diff.empty()) {
            return out.str() + diff;
        }
    }
}

void StartWalk(TComparison& engine, test::oracle::Comparison& model, std::int32_t minLength, std::int32_t unitKind)
{
    engine.ReparseArticle(TArticleSide::Article1);
    engine.ReparseArticle(TArticleSide::Article2);
    engine.iMinLength = minLength;
    engine.iUnitKind = unitKind;
    engine.iColorIndex = 5;
    engine.BeginMatching();
    test::oracle::Split(model.article1);
    test::oracle::Split(model.article2);
    model.iMinLength = minLength;
    model.iUnitKind = unitKind;
    model.iColorIndex = 0;
}

// The pair walked chunk by chunk, then walked again on the same objects
// with another length and unit, as a window does on its next comparison.
std::string StepByStepDiffers(const PairCase& c, const TTuning& tuning = {})
{
    TComparison engine;
    engine.SetTuning(tuning);
    engine.SetArticleText(TArticleSide::Article1, c.text1);
    engine.SetArticleText(TArticleSide::Article2, c.text2);
    test::oracle::Comparison model;
    model.article1.text = c.text1;
    model.article2.text = c.text2;

    StartWalk(engine, model, c.minLength, c.unitKind);
    if (engine.iColorIndex != 0) {
        return "BeginMatching left iColorIndex at " + std::to_string(engine.iColorIndex);
    }
    std::string diff = ArticleDiffers("article 1", engine.Article1(), model.article1);
    if (diff.empty()) {
        diff = ArticleDiffers("article 2", engine.Article2(), model.article2);
    }
    if (!diff.empty()) {
        return "split: " + diff;
    }
    diff = WalkDiffers(engine, model);
    if (!diff.empty()) {
        return "first walk, " + diff;
    }

    const std::int32_t secondLength = c.minLength >= 1 && c.minLength <= 8 ? 9 - c.minLength : 2;
    const std::int32_t secondUnit = c.unitKind == ukWords ? ukSentences : ukWords;
    StartWalk(engine, model, secondLength, secondUnit);
    diff = WalkDiffers(engine, model);
    if (!diff.empty()) {
        return "second walk (length " + std::to_string(secondLength) + ", unit kind " + std::to_string(secondUnit)
            + "), " + diff;
    }
    return {};
}

// Chunks in no particular order, now and then from another resume
// position: FindChunkMatch promises its result for any chunk inside
// article 1, not only for the walk's order.
std::string AnyOrderDiffers(const PairCase& c, const TTuning& tuning = {})
{
    TComparison engine;
    engine.SetTuning(tuning);
    engine.SetArticleText(TArticleSide::Article1, c.text1);
    engine.SetArticleText(TArticleSide::Article2, c.text2);
    test::oracle::Comparison model;
    model.article1.text = c.text1;
    model.article2.text = c.text2;
    StartWalk(engine, model, 1, ukWords);

    const auto words1 = static_cast<std::int32_t>(model.article1.words.size());
    const auto words2 = static_cast<std::int32_t>(model.article2.words.size());
    if (words1 == 0) {
        return {};
    }
    Generator gen(c.seed ^ 0x9E3779B9U);
    std::int32_t resumeGot = -1;
    std::int32_t resumeWant = -1;
    for (std::int32_t call = 0; call < 40; ++call) {
        const std::int32_t first = gen.Int(0, words1 - 1);
        const std::int32_t last = gen.Int(first, std::min(words1 - 1, first + 7));
        if (gen.Chance(0.2)) {
            resumeGot = gen.Int(-1, words2 - 1);
            resumeWant = resumeGot;
        }
        std::ostringstream out;
        out << "call " << call << ", chunk " << first << "-" << last << " from resume " << resumeGot << ": ";
        std::int32_t matchFirstGot = kUntouched;
        std::int32_t matchLastGot = kUntouched;
        std::int32_t matchFirstWant = kUntouched;
        std::int32_t matchLastWant = kUntouched;
        const bool foundGot = engine.FindChunkMatch(first, last, resumeGot, matchFirstGot, matchLastGot);
        const bool foundWant = model.FindChunkMatch(first, last, resumeWant, matchFirstWant, matchLastWant);
        const std::string diff = StepDiffers(engine, model, foundGot, foundWant, matchFirstGot, matchFirstWant,
                                             matchLastGot, matchLastWant, resumeGot, resumeWant);
        if (!diff.empty()) {
            return out.str() + diff;
        }
    }
    return {};
}

// After a whole comparison on `engine`, article 1 alone takes article 2's
// text and the pair is compared again, with another length: the index of
// article 2 is kept, article 1's is built anew.
std::string ArticleOneChangedDiffers(TComparison& engine, const PairCase& c)
{
    const std::int32_t length = c.minLength >= 1 && c.minLength <= 8 ? 9 - c.minLength : 3;
    engine.SetArticleText(TArticleSide::Article1, c.text2);
    const bool compared = engine.Compare(length, c.unitKind).compared;
    test::oracle::Comparison model;
    model.article1.text = c.text2;
    model.article2.text = c.text2;
    if (compared != model.Compare(length, c.unitKind).compared) {
        return "article 2 compared with itself: compared " + std::to_string(compared) + ", the model not";
    }
    // Without a comparison the engine's lists are split and the model's not.
    const std::string diff = compared ? ColoursDiffer(engine, model) : std::string();
    return diff.empty() ? diff : "article 2 compared with itself at length " + std::to_string(length) + ": " + diff;
}

// Every check of one pair; empty when the engine agrees with the model.
std::string PairDiffers(TComparison& reused, const PairCase& c)
{
    const TTuning& tuning = reused.Tuning();
    std::string diff = WholeComparisonDiffers(reused, c);
    if (!diff.empty()) {
        TComparison fresh;
        fresh.SetTuning(tuning);
        const bool freshFails = !WholeComparisonDiffers(fresh, c).empty();
        return diff + (freshFails ? "\n  (also with a new TComparison)" : "\n  (only after the previous pair)");
    }
    diff = ArticleOneChangedDiffers(reused, c);
    if (diff.empty()) {
        diff = StepByStepDiffers(c, tuning);
        if (!diff.empty()) {
            diff = "step by step, " + diff;
        }
    }
    if (diff.empty()) {
        diff = AnyOrderDiffers(c, tuning);
        if (!diff.empty()) {
            diff = "chunks in any order, " + diff;
        }
    }
    if (diff.empty()) {
        // The sides swapped, so that no index of the article 2 just compared
        // fits the new one.
        PairCase swapped = c;
        std::swap(swapped.text1, swapped.text2);
        diff = WholeComparisonDiffers(reused, swapped, true);
        if (!diff.empty()) {
            diff = "prepared articles, sides swapped, " + diff;
        }
    }
    return diff;
}

// GLENVARY_DIFFERENTIAL_SCALE=n runs n times as many random pairs, with
// seeds of their own beyond the usual ones, for a long run by hand.
std::uint32_t Scale()
{
    const char* const value = std::getenv("GLENVARY_DIFFERENTIAL_SCALE");
    const long scale = value != nullptr ? std::strtol(value, nullptr, 10) : 1;
    return scale >= 1 ? static_cast<std::uint32_t>(scale) : 1U;
}

TEST(TComparisonDifferential, AgreesWithTheModelOnRandomArticlePairs)
{
    constexpr std::uint32_t kFirstSeed = 20240601;
    const std::uint32_t pairs = 20000 * Scale();
    constexpr int kMaxReported = 5;

    TComparison reused;
    int failures = 0;
    std::array<int, 3> perUnit{};
    int compared = 0;
    for (std::uint32_t seed = kFirstSeed; seed < kFirstSeed + pairs && failures < kMaxReported; ++seed) {
        const PairCase c = MakeCase(seed);
        if (c.unitKind >= 0 && c.unitKind <= 2) {
            ++perUnit[static_cast<std::size_t>(c.unitKind)];
        }
        compared += test::oracle::IsBlank(c.text1) || test::oracle::IsBlank(c.text2) ? 0 : 1;
        const std::string diff = PairDiffers(reused, c);
        if (!diff.empty()) {
            ++failures;
            ADD_FAILURE() << Describe(c) << "\n  " << diff;
        }
    }
    // The generator must keep producing what this test is meant to cover.
    if (failures == 0) {
        EXPECT_GT(compared, static_cast<int>(pairs * 8 / 10));
        for (const int n : perUnit) {
            EXPECT_GT(n, static_cast<int>(pairs / 4));
        }
    }
}

// Articles of thousands of words over two to five distinct words: every
// run recurs all over article 2, in pieces out of order, so that clashes,
// strays and wrap-arounds decide most chunks, and run lists of many
// lengths are built and dropped.
PairCase MakeLongCase(std::uint32_t seed)
{
    Generator gen(seed);
    PairCase c;
    c.seed = seed;
    c.kind = "long and repetitive";
    c.unitKind = gen.Int(0, 2);
    c.minLength = gen.Chance(0.8) ? gen.Int(1, 8) : gen.Int(9, 60);
    const auto vocabulary = gen.Vocabulary(gen.Int(2, 5));
    const auto words1 = gen.Words(vocabulary, gen.Int(800, 2500));
    std::vector<std::string> words2;
    if (gen.Chance(0.25)) {
        words2 = gen.Words(vocabulary, gen.Int(800, 2500));
    } else {
        // Pieces of article 1, some mutated, in shuffled order.
        std::vector<std::vector<std::string>> pieces;
        for (std::size_t at = 0; at < words1.size();) {
            const auto size = std::min(words1.size() - at, static_cast<std::size_t>(gen.Int(3, 120)));
            const std::vector<std::string> piece(words1.begin() + static_cast<std::ptrdiff_t>(at),
                                                 words1.begin() + static_cast<std::ptrdiff_t>(at + size));
            pieces.push_back(gen.Chance(0.5) ? gen.Mutated(piece, vocabulary, 0.1) : piece);
            at += size;
        }
        for (std::size_t i = pieces.size(); i > 1; --i) {
            std::swap(pieces[i - 1], pieces[static_cast<std::size_t>(gen.Int(0, static_cast<std::int32_t>(i) - 1))]);
        }
        for (const auto& piece : pieces) {
            words2.insert(words2.end(), piece.begin(), piece.end());
        }
    }
    c.text1 = gen.Text(words1, gen.Chance(0.5), 0.08);
    c.text2 = gen.Text(words2, gen.Chance(0.5), 0.08);
    return c;
}

TEST(TComparisonDifferential, AgreesWithTheModelOnLongRepetitiveArticles)
{
    constexpr std::uint32_t kFirstSeed = 7100;
    const std::uint32_t pairs = 24 * Scale();
    constexpr int kMaxReported = 3;

    TComparison reused;
    int failures = 0;
    for (std::uint32_t seed = kFirstSeed; seed < kFirstSeed + pairs && failures < kMaxReported; ++seed) {
        const PairCase c = MakeLongCase(seed);
        const std::string diff = PairDiffers(reused, c);
        if (!diff.empty()) {
            ++failures;
            ADD_FAILURE() << Describe(c) << "\n  " << diff;
        }
    }
}

// Minimum lengths from a tenth of article 1 to beyond its end, over a few
// distinct words: most chunks are long, the chunks cut short at article
// 1's end come in every length, and many of them stand in article 2 in
// many places, so that they are looked up by the common endings of
// article 1's last two words once the walks without them grow long.
PairCase MakeLongLengthCase(std::uint32_t seed)
{
    Generator gen(seed);
    PairCase c;
    c.seed = seed;
    c.kind = "long minimum length";
    c.unitKind = gen.Chance(0.75) ? ukWords : gen.Int(1, 2);
    const auto vocabulary = gen.Vocabulary(gen.Int(1, 3));
    const auto words1 = gen.Words(vocabulary, gen.Int(150, 500));
    const auto count1 = static_cast<std::int32_t>(words1.size());
    c.minLength = gen.Chance(0.2) ? gen.Int(30, 80) : gen.Int(count1 / 10, count1 + 20);
    std::vector<std::string> words2;
    const std::int32_t shape = gen.Int(0, 2);
    if (shape == 0) {
        words2 = gen.Mutated(words1, vocabulary, 0.02);
    } else if (shape == 1) {
        // Article 1's end, then all of it: its last chunks stand twice.
        words2.assign(words1.end() - gen.Int(1, count1), words1.end());
        const auto rest = gen.Mutated(words1, vocabulary, 0.01);
        words2.insert(words2.end(), rest.begin(), rest.end());
    } else {
        words2 = gen.Words(vocabulary, gen.Int(150, 600));
    }
    c.text1 = gen.Text(words1, gen.Chance(0.5), 0.02);
    c.text2 = gen.Text(words2, gen.Chance(0.5), 0.02);
    return c;
}

TEST(TComparisonDifferential, AgreesWithTheModelOnLongMinimumLengths)
{
    constexpr std::uint32_t kFirstSeed = 9300;
    const std::uint32_t pairs = 60 * Scale();
    constexpr int kMaxReported = 3;

    TComparison reused;
    int failures = 0;
    for (std::uint32_t seed = kFirstSeed; seed < kFirstSeed + pairs && failures < kMaxReported; ++seed) {
        const PairCase c = MakeLongLengthCase(seed);
        const std::string diff = PairDiffers(reused, c);
        if (!diff.empty()) {
            ++failures;
            ADD_FAILURE() << Describe(c) << "\n  " << diff;
        }
    }
}

// Every speed-up switched on at the smallest size, so that small articles
// take the paths that only large ones take by default: two threads, the
// look-ahead, lists entered by interpolation, clashes found through the
// colour sets, each walk's rent reported at every step and paid at once
// (lists and common endings built at the first look-up without them), and
// long chunks indexed by their first words only.
TTuning EveryFastPath()
{
    TTuning tuning;
    tuning.parallelWords = 0;
    tuning.lookAheadFrom = 0;
    tuning.wholeChunkListsBelow = 2;
    tuning.anchorWindow = 1;
    tuning.rentReport = 1;
    tuning.interpolateFrom = 1;
    tuning.shortSpan = 0;
    tuning.listRentQuarters = 0;
    tuning.endingRentQuarters = 0;
    return tuning;
}

TEST(TComparisonDifferential, AgreesWithTheModelWithEveryFastPathOn)
{
    const std::uint32_t pairs = 1500 * Scale();
    constexpr int kMaxReported = 3;

    TComparison reused;
    reused.SetTuning(EveryFastPath());
    int failures = 0;
    for (std::uint32_t i = 0; i < pairs && failures < kMaxReported; ++i) {
        // Mostly small random pairs, and now and then long minimum lengths
        // or long repetitive articles.
        const PairCase c = i % 50 == 7 ? MakeLongLengthCase(9900 + i)
                         : i % 100 == 13 ? MakeLongCase(7900 + i)
                                         : MakeCase(30240601 + i);
        const std::string diff = PairDiffers(reused, c);
        if (!diff.empty()) {
            ++failures;
            ADD_FAILURE() << Describe(c) << "\n  " << diff;
        }
    }
}

// Article pairs whose interesting parts are placed by hand, each walked in
// every unit kind and several lengths.
TEST(TComparisonDifferential, AgreesWithTheModelOnHandPickedPairs)
{
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {"a a a a", "a a a"},
        {"a b a b a b", "b a b a"},
        {"a b c. a b c.", "a b c. a b c."},
        {"Yes, yes. Yes. We agree now.", "Yes, yes. Yes. We agree now."},
        {"x y", "y x"},
        {"a a", "a"},
        {"one two three four five six seven", "one two three ten five six seven"},
        {"Red apples grow here. Blue rivers run deep.", "Blue rivers run deep and red apples grow here."},
        {"a\r\nb\rc\nd\r\n\r\ne", "A B C D E"},
        {"été ÉTÉ Été", "ÉTÉ été été"},
        {"a1 q b1 q c1 q d1 q e1 q f1 q g1 q h1", "a1 z b1 z c1 z d1 z e1 z f1 z g1 z h1"},
        {"...", "a b"},
        {"a b", "..."},
        {"the cat", "THE CAT"},
    };
    std::uint32_t index = 0;
    for (const auto& [one, two] : pairs) {
        for (std::int32_t unitKind = 0; unitKind <= 2; ++unitKind) {
            for (const std::int32_t length : {1, 2, 3, 5, kMaxInt, 0, -2}) {
                PairCase c;
                c.seed = index++;
                c.kind = "hand-picked";
                c.text1 = U16(one);
                c.text2 = U16(two);
                c.minLength = length;
                c.unitKind = unitKind;
                TComparison engine;
                std::string diff = WholeComparisonDiffers(engine, c);
                if (diff.empty()) {
                    diff = StepByStepDiffers(c);
                }
                if (diff.empty()) {
                    diff = AnyOrderDiffers(c);
                }
                EXPECT_EQ(diff, "") << Describe(c);
            }
        }
    }
}

} // namespace
} // namespace glenvary::core
