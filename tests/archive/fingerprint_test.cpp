// SPDX-License-Identifier: MIT
#include "archive/fingerprint.h"
#include "archive/posting_block.h"
#include "archive/text_codec.h"

#include <gtest/gtest.h>

#include <random>

namespace glenvary::archive {
namespace {

core::TArticle Split(std::u16string text)
{
    core::TArticle article;
    article.Assign(NormalisedText(std::move(text)));
    return article;
}

// Archives keep these values: a change to the hashes must come with a new
// format version, never by accident. The expected values were worked out
// apart from this code, from the hashes' definitions in fingerprint.h.
TEST(Fingerprint, HashesStayAsArchivesStoredThem)
{
    EXPECT_EQ(WordHash(u""), 0xCBF29CE484222325ULL);
    EXPECT_EQ(WordHash(u"the"), 0x56F5C9194461D57CULL);
    EXPECT_EQ(WordHash(u"THE"), 0x56F5C9194461D57CULL);
    EXPECT_EQ(WordHash(u"caf\u00E9"), 0xB538F990E85962DCULL);
    EXPECT_NE(WordHash(u"caf\u00C9"), WordHash(u"caf\u00E9"));

    const std::vector<TFingerprint> expected = {{0x4BC53800A6, 0}, {0x52BC760AA0, 2}, {0x12794976EF, 5}};
    EXPECT_EQ(Fingerprints(Split(u"The cat sat on the mat and then the dog came in")), expected);
}

TEST(Fingerprint, WordsEqualForTheComparisonGiveEqualFingerprints)
{
    const std::u16string plain = u"one two three four five six seven eight nine";
    const struct {
        const char* name;
        std::u16string text;
    } cases[] = {
        {"capitals A-Z", u"ONE Two thRee four FIVE six Seven eight NINE"},
        {"other delimiters", u"one, two. three! four? five;\nsix\r\nseven  eight . nine"},
        {"no-break space and en dash as typed", u"one\u00A0two three four five six seven eight nine"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Fingerprints(Split(c.text)), Fingerprints(Split(plain)));
    }
    EXPECT_NE(Fingerprints(Split(u"one two three four five six seven eight nin\u00C9")),
              Fingerprints(Split(u"one two three four five six seven eight nin\u00E9")));
}

TEST(Fingerprint, ShortTextsGiveOneWindowOrNothing)
{
    EXPECT_TRUE(Fingerprints(Split(u"one two three four")).empty());
    EXPECT_EQ(Fingerprints(Split(u"one two three four five")).size(), 1U);
    EXPECT_EQ(Fingerprints(Split(u"one two three four five six seven")).size(), 1U);
}

TEST(PostingBlock, PackedPostingsComeBackAndAreFoundByFingerprint)
{
    std::mt19937_64 random(7);
    std::vector<TPosting> postings;
    for (int i = 0; i < 5000; ++i) {
        // Few fingerprints and documents, so that runs of equal ones occur;
        // now and then one near the top of the 40 bits.
        const std::uint64_t fingerprint = random() % 4 == 0 ? (1ULL << 40) - 1 - random() % 3 : random() % 900;
        postings.push_back(TPosting{fingerprint, static_cast<std::uint32_t>(1 + random() % 40),
                                    static_cast<std::uint32_t>(random() % 3000)});
    }
    std::sort(postings.begin(), postings.end());

    const std::vector<TPackedBlock> blocks = PackPostings(postings);
    ASSERT_GT(blocks.size(), 1U);
    std::vector<TPosting> read;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        if (b > 0) {
            EXPECT_GT(blocks[b].firstFingerprint, read.back().fingerprint) << "a fingerprint split between blocks";
        }
        TBlockReader reader(blocks[b].bytes);
        TPosting posting;
        std::int32_t count = 0;
        while (reader.Next(posting)) {
            read.push_back(posting);
            ++count;
        }
        EXPECT_FALSE(reader.Damaged());
        EXPECT_EQ(count, blocks[b].postings);
        EXPECT_EQ(blocks[b].firstFingerprint, read[read.size() - static_cast<std::size_t>(count)].fingerprint);
    }
    EXPECT_EQ(read, postings);

    const std::vector<std::uint64_t> wanted = {postings.front().fingerprint, 450, (1ULL << 40) - 1};
    std::vector<TPosting> found;
    std::vector<TPosting> expected;
    for (const TPackedBlock& block : blocks) {
        EXPECT_TRUE(FindInBlock(block.bytes, wanted, found));
    }
    std::copy_if(postings.begin(), postings.end(), std::back_inserter(expected), [&](const TPosting& p) {
        return std::find(wanted.begin(), wanted.end(), p.fingerprint) != wanted.end();
    });
    EXPECT_EQ(found, expected);

    std::vector<TPosting> ignored;
    EXPECT_FALSE(FindInBlock(blocks[0].bytes.substr(0, blocks[0].bytes.size() - 1) + "\xFF", {&wanted[1], 1}, ignored));
}

TEST(TextCodec, TextsComeBackExactly)
{
    const std::u16string texts[] = {
        u"",
        u"plain ASCII, with\r\nline breaks",
        u"caf\u00E9 \u20AC \U0001F600 and a lone \xD800 high and \xDC00 low surrogate",
    };
    for (const std::u16string& text : texts) {
        auto back = UnpackText(PackText(text));
        ASSERT_TRUE(back.Ok()) << back.Error();
        EXPECT_EQ(back.Value(), text);
    }
    std::string damaged = PackText(u"some text that is long enough to pack, some text that is long enough");
    damaged[damaged.size() / 2] ^= 0x55;
    EXPECT_FALSE(UnpackText(damaged).Ok());
    EXPECT_FALSE(UnpackText("not zstd").Ok());
}

} // namespace
} // namespace glenvary::archive
