// SPDX-License-Identifier: MIT
#include "word_index.h"

#include "side_by_side.h"

#include <algorithm>

namespace glenvary::core {
namespace {

// Memory that the run lists of all lengths together may hold, per word of
// article 2: room for the two lengths of a word walk on prose, where
// nearly every run is distinct (about 24 bytes a length), with some to
// spare for a few more lengths of sentence chunks.
constexpr std::size_t kRunListBytesPerWord = 64;

} // namespace

TWordIndex::TWordIndex() = default;
TWordIndex::~TWordIndex() = default;

void TWordIndex::Forget(bool article2) noexcept
{
    stale1_ = true;
    stale2_ = stale2_ || article2;
    linked_ = false;
}

void TWordIndex::Adopt(const TWordTable& table1, const TWordTable& table2)
{
    table1_ = table1;
    table2_ = table2;
    words_ = std::make_unique<TRunLists>(table2_.Ids(), table2_.Count());
    stale1_ = false;
    stale2_ = false;
    // Update links the two numberings and drops the run lists.
    linked_ = false;
}

void TWordIndex::Update(const TArticle& article1, const TArticle& article2)
{
    if (linked_) {
        return;
    }
    const bool both = stale1_ && stale2_;
    const bool parallel = both
        && static_cast<std::size_t>(article1.lstWords.Count()) + article2.lstWords.Count() >= tuning_.parallelWords;
    const bool intern1 = stale1_;
    const bool intern2 = stale2_;
    // Article 2's word places are grouped on its own thread, while article
    // 1 may still be interned.
    SideBySide(
        parallel, [&] { if (intern1) { table1_.Build(article1); } },
        [&] {
            if (intern2) {
                table2_.Build(article2);
                words_ = std::make_unique<TRunLists>(table2_.Ids(), table2_.Count());
            }
        });
    stale1_ = false;
    stale2_ = false;

    // Article 1's words in article 2's numbering, one look-up per distinct
    // word, rewritten in place.
    std::vector<std::int32_t> translated(static_cast<std::size_t>(table1_.Count()));
    for (std::int32_t id = 0; id < table1_.Count(); ++id) {
        translated[static_cast<std::size_t>(id)] = table2_.Find(table1_.Folded(id), table1_.Hash(id));
    }
    ids1_ = table1_.TakeIds();
    for (std::int32_t& id : ids1_) {
        id = translated[static_cast<std::size_t>(id)];
    }
    // The run lists hold article 1's keys.
    DropRuns();
    linked_ = true;
}

void TWordIndex::DropRuns() noexcept
{
    runs_.clear();
    rent_.clear();
    endings_.clear();
    endingRent_ = 0;
}

const TEndingRuns* TWordIndex::Ending(std::int32_t end, std::int32_t count) const noexcept
{
    for (const auto& ending : endings_) {
        if (ending->End() == end && ending->Longest() >= count) {
            return ending.get();
        }
    }
    return nullptr;
}

bool TWordIndex::RentOrBuildEndings(std::int64_t cost, std::int32_t longest)
{
    if (!endings_.empty() && endings_.front()->Longest() >= longest) {
        return true;
    }
    endingRent_ += cost;
    // A step of a walk reads scattered memory; building reads both
    // articles' words in order, about four words for the price of a step.
    if (4 * endingRent_ < tuning_.endingRentQuarters * Count2()) {
        return false;
    }
    const std::int32_t last = Count1() - 1;
    if (last < 0) {
        return false;
    }
    endingRent_ = 0;
    endings_.clear();
    std::unique_ptr<TEndingRuns> before;
    std::unique_ptr<TEndingRuns> at;
    const bool parallel = static_cast<std::size_t>(Count2()) + ids1_.size() >= tuning_.parallelWords;
    SideBySide(
        parallel && last >= 1,
        [&] {
            if (last >= 1) {
                before = std::make_unique<TEndingRuns>(table2_.Ids(), ids1_, last - 1, longest);
            }
        },
        [&] { at = std::make_unique<TEndingRuns>(table2_.Ids(), ids1_, last, longest); });
    endings_.push_back(std::move(at));
    if (before) {
        endings_.push_back(std::move(before));
    }
    return true;
}

TWordIndex::THeldRuns* TWordIndex::Find(std::int32_t length) noexcept
{
    const auto found = std::find_if(runs_.begin(), runs_.end(), [length](const THeldRuns& held) {
        return held.length == length;
    });
    return found == runs_.end() ? nullptr : &*found;
}

const TWordIndex::THeldRuns* TWordIndex::Find(std::int32_t length) const noexcept
{
    return const_cast<TWordIndex*>(this)->Find(length);
}

TRunLists& TWordIndex::Hold(std::int32_t length, std::unique_ptr<TRunLists> lists)
{
    TRunLists& held = *lists;
    runs_.push_back({length, ++clock_, std::move(lists)});
    rent_.erase(length);
    return held;
}

void TWordIndex::Prebuild(std::span<const std::int32_t> lengths)
{
    std::vector<std::int32_t> missing;
    for (const std::int32_t length : lengths) {
        if (length >= 2 && Find(length) == nullptr
            && std::find(missing.begin(), missing.end(), length) == missing.end()) {
            missing.push_back(length);
        }
    }
    // Two lists at a time, each on its own thread.
    const bool parallel = static_cast<std::size_t>(Count2()) + ids1_.size() >= tuning_.parallelWords;
    for (std::size_t i = 0; i < missing.size(); i += 2) {
        if (i + 1 == missing.size()) {
            Build(missing[i]);
            break;
        }
        std::unique_ptr<TRunLists> other;
        SideBySide(
            parallel, [&] { other = std::make_unique<TRunLists>(table2_.Ids(), ids1_, missing[i + 1]); },
            [&] { Build(missing[i]); });
        Hold(missing[i + 1], std::move(other));
    }
}

const TRunLists* TWordIndex::Held(std::int32_t length) const noexcept
{
    if (length == 1) {
        return words_.get();
    }
    const THeldRuns* held = Find(length);
    return held == nullptr ? nullptr : held->lists.get();
}

TRunLists* TWordIndex::Runs(std::int32_t length)
{
    if (length == 1) {
        return words_.get();
    }
    THeldRuns* held = Find(length);
    if (held == nullptr) {
        return nullptr;
    }
    held->used = ++clock_;
    return held->lists.get();
}

TRunLists* TWordIndex::RentOrBuild(std::int32_t length, std::int64_t cost)
{
    std::int64_t& spent = rent_[length];
    spent += cost;
    if (4 * spent < tuning_.listRentQuarters * Count2()) {
        return nullptr;
    }
    return &Build(length);
}

TRunLists& TWordIndex::Build(std::int32_t length)
{
    TRunLists& lists = Hold(length, std::make_unique<TRunLists>(table2_.Ids(), ids1_, length));
    // Keep within the bound by dropping the lists used least recently; the
    // new lists stay whatever they cost.
    const std::size_t bound = kRunListBytesPerWord * (static_cast<std::size_t>(Count2()) + 1024);
    std::size_t held = 0;
    for (const THeldRuns& runs : runs_) {
        held += runs.lists->Bytes();
    }
    while (held > bound && runs_.size() > 1) {
        const auto oldest = std::min_element(runs_.begin(), runs_.end(), [](const THeldRuns& a, const THeldRuns& b) {
            return a.used < b.used;
        });
        held -= oldest->lists->Bytes();
        rent_.erase(oldest->length);
        runs_.erase(oldest);
    }
    return lists;
}

void TWordIndex::ForgetColours() noexcept
{
    if (words_) {
        words_->ForgetColours();
    }
    for (THeldRuns& runs : runs_) {
        runs.lists->ForgetColours();
    }
}

} // namespace glenvary::core
