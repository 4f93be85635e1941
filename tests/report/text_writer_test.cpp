// SPDX-License-Identifier: MIT
#include "report/text_writer.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace glenvary::report {
namespace {

std::string Summary(const TCompareReport& report)
{
    std::ostringstream out;
    WriteCompareText(out, report);
    return out.str();
}

struct PassageCase {
    const char* name;
    std::u16string text;
    std::string line;
};

TEST(CliTextWriter, QuotesEachPassageOnOneShortLine)
{
    const PassageCase cases[] = {
        {"one word", u"alone", "  word 1: \"alone\"\n"},
        {"line breaks and control characters become one space", u"one.\r\n\n\x1B[2Jtwo\tthree",
         "  words 1-2: \"one. [2Jtwo three\"\n"},
        {"exactly the quoted length is not cut",
         u"abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi abcdefghij",
         "  words 1-6: \"abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi abcdefghij\"\n"},
        {"longer passage cut at a space",
         u"abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi",
         "  words 1-7: \"abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi...\"\n"},
        {"longer passage cut inside a word",
         u"abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi abcdefghijklmnop",
         "  words 1-6: \"abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi abcdefghij...\"\n"},
        {"a character outside the BMP counts once",
         u"abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi\U0001F600 x",
         "  words 1-7: \"abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi\xF0\x9F\x98\x80...\"\n"},
    };
    for (const PassageCase& c : cases) {
        SCOPED_TRACE(c.name);
        // Identical articles match as one passage from the first word to the last.
        const std::string summary =
            Summary(CompareArticles(c.text, c.text, TCompareSettings{core::ukWords, 1}, {"a", "b"}));
        const std::string heading = "Duplicated passages in article 2:\n";
        const std::size_t at = summary.find(heading);
        ASSERT_NE(at, std::string::npos) << summary;
        EXPECT_EQ(summary.substr(at + heading.size(), c.line.size()), c.line) << summary;
    }
}

TEST(CliTextWriter, SaysWhenNothingIsDuplicated)
{
    const std::string summary = Summary(
        CompareArticles(u"alpha beta", u"gamma delta", TCompareSettings{core::ukSentences, 2}, {"a.txt", "b.txt"}));
    EXPECT_EQ(summary, "Duplicate content: 0% of article 2 (0.00%, 0 of 2 words)\n"
                       "Minimum length: 2 sentences\n"
                       "Article 1 (a.txt): 2 words, 1 sentence, 1 paragraph; 0 duplicated words (0.00%)\n"
                       "Article 2 (b.txt): 2 words, 1 sentence, 1 paragraph; 0 duplicated words (0.00%)\n"
                       "\n"
                       "Duplicated passages in article 2: none\n"
                       "Duplicated passages in article 1: none\n");
}

} // namespace
} // namespace glenvary::report
