// SPDX-License-Identifier: MIT
#include "chunk_match.h"
#include "passages.h"

#include <algorithm>

namespace glenvary::core {

// Keeps a match. A match that continues the previous one and painted
// just the words after it in both articles joins its record: a copied
// passage then takes one record instead of one per chunk, and every word
// still maps to a record of its passage.
void TComparison::TMatcher::Record(const TMatchRecord& match)
{
    matchOfKnown = false;
    if (!keepMatches) {
        return;
    }
    if (!matches.empty()) {
        TMatchRecord& previous = matches.back();
        if (previous.ContinuedBy(match) && match.painted1 == previous.ranges.last1 + 1
            && match.painted2 == previous.ranges.last2 + 1 && match.ranges.last1 >= previous.ranges.last1
            && match.ranges.last2 >= previous.ranges.last2) {
            previous.ranges.last1 = match.ranges.last1;
            previous.ranges.last2 = match.ranges.last2;
            previous.lastFirst1 = match.lastFirst1;
            return;
        }
    }
    matches.push_back(match);
}

// Replays the matches' painting into matchOf1 and matchOf2.
void TComparison::TMatcher::KnowMatchOf(std::int32_t count1, std::int32_t count2) const
{
    if (matchOfKnown) {
        return;
    }
    matchOf1.assign(static_cast<std::size_t>(count1), -1);
    matchOf2.assign(static_cast<std::size_t>(count2), -1);
    for (std::size_t m = 0; m < matches.size(); ++m) {
        const TMatchRecord& match = matches[m];
        std::fill(matchOf1.begin() + match.painted1, matchOf1.begin() + std::max(match.painted1, match.ranges.last1 + 1),
                  static_cast<std::int32_t>(m));
        std::fill(matchOf2.begin() + match.painted2, matchOf2.begin() + std::max(match.painted2, match.ranges.last2 + 1),
                  static_cast<std::int32_t>(m));
    }
    matchOfKnown = true;
}

void TComparison::KeepPassages(bool keep) noexcept
{
    matcher_->keepMatches = keep;
    if (!keep) {
        matcher_->matches.clear();
        matcher_->matchOfKnown = false;
    }
}

std::optional<TComparison::TPassage> TComparison::PassageOf(TArticleSide side, std::int32_t word) const
{
    matcher_->KnowMatchOf(article1_.lstWords.Count(), article2_.lstWords.Count());
    const std::vector<std::int32_t>& matchOf =
        side == TArticleSide::Article1 ? matcher_->matchOf1 : matcher_->matchOf2;
    const std::vector<TMatchRecord>& matches = matcher_->matches;
    if (word < 0 || static_cast<std::size_t>(word) >= matchOf.size()) {
        return std::nullopt;
    }
    const std::int32_t match = matchOf[static_cast<std::size_t>(word)];
    if (match < 0 || static_cast<std::size_t>(match) >= matches.size()) {
        return std::nullopt;
    }
    const auto continues = [](const TMatchRecord& before, const TMatchRecord& after) {
        return before.ContinuedBy(after);
    };
    auto at = static_cast<std::size_t>(match);
    std::size_t begin = at;
    while (begin > 0 && continues(matches[begin - 1], matches[begin])) {
        --begin;
    }
    std::size_t end = at;
    while (end + 1 < matches.size() && continues(matches[end], matches[end + 1])) {
        ++end;
    }
    TPassage passage = matches[begin].ranges;
    for (std::size_t i = begin + 1; i <= end; ++i) {
        passage.last1 = std::max(passage.last1, matches[i].ranges.last1);
        passage.last2 = std::max(passage.last2, matches[i].ranges.last2);
    }
    return passage;
}

} // namespace glenvary::core
