// SPDX-License-Identifier: MIT
#include "io/article_document.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace glenvary::io {

void TDocumentBuilder::Append(std::u16string_view text, const TTextLook& look)
{
    if (text.empty()) {
        return;
    }
    const auto start = static_cast<std::int32_t>(document_.text.size());
    document_.text.append(text);
    if (look.IsPlain()) {
        return;
    }
    auto& runs = document_.runs;
    const auto length = static_cast<std::int32_t>(text.size());
    if (!runs.empty() && runs.back().look == look && runs.back().start + runs.back().length == start) {
        runs.back().length += length;
        return;
    }
    runs.push_back({start, length, look});
}

void TDocumentBuilder::Append(char16_t c, const TTextLook& look)
{
    Append(std::u16string_view(&c, 1), look);
}

std::size_t PlainCrowdedParagraphs(TArticleDocument& document, std::size_t maxRuns)
{
    const std::u16string& text = document.text;
    std::vector<TLookRun>& runs = document.runs;
    if (runs.size() <= maxRuns) {
        return 0;
    }
    // Each paragraph as [start, end) of the text, with the runs touching it.
    struct TParagraph {
        std::int32_t start;
        std::int32_t end;
        std::size_t runs;
    };
    std::vector<TParagraph> paragraphs;
    for (std::size_t from = 0;;) {
        const std::size_t lineBreak = text.find(u'\n', from);
        const std::size_t end = lineBreak == std::u16string::npos ? text.size() : lineBreak;
        paragraphs.push_back({static_cast<std::int32_t>(from), static_cast<std::int32_t>(end), 0});
        if (lineBreak == std::u16string::npos) {
            break;
        }
        from = lineBreak + 1;
    }
    // Runs and paragraphs both go in text order.
    std::size_t first = 0;
    for (const TLookRun& run : runs) {
        while (paragraphs[first].end < run.start) {
            ++first;
        }
        for (std::size_t p = first; p < paragraphs.size() && paragraphs[p].start < run.start + run.length; ++p) {
            ++paragraphs[p].runs;
        }
    }
    std::vector<TParagraph> crowded;
    for (const TParagraph& paragraph : paragraphs) {
        if (paragraph.runs > maxRuns) {
            crowded.push_back(paragraph);
        }
    }
    if (crowded.empty()) {
        return 0;
    }
    // Each run less the crowded paragraphs it reaches into.
    std::vector<TLookRun> kept;
    kept.reserve(runs.size());
    std::size_t next = 0;
    for (const TLookRun& run : runs) {
        std::int32_t start = run.start;
        const std::int32_t end = run.start + run.length;
        while (next < crowded.size() && crowded[next].end < start) {
            ++next;
        }
        for (std::size_t c = next; c < crowded.size() && crowded[c].start < end && start < end; ++c) {
            if (crowded[c].start > start) {
                kept.push_back({start, crowded[c].start - start, run.look});
            }
            start = std::max(start, crowded[c].end);
        }
        if (start < end) {
            kept.push_back({start, end - start, run.look});
        }
    }
    runs = std::move(kept);
    return crowded.size();
}

void FoldLineBreaks(TArticleDocument& document)
{
    std::u16string& text = document.text;
    // removedBefore[i]: characters removed before old position i.
    std::vector<std::int32_t> removedBefore(text.size() + 1, 0);
    std::size_t kept = 0;
    std::int32_t removed = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        removedBefore[i] = removed;
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            ++removed;
            continue;
        }
        text[kept++] = text[i];
    }
    removedBefore[text.size()] = removed;
    text.resize(kept);
    // Only a CR that stood before a removed one can now precede an LF; from
    // the right, so that a run of such CRs turns whole.
    for (std::size_t i = kept; i-- > 1;) {
        if (text[i] == u'\n' && text[i - 1] == u'\r') {
            text[i - 1] = u'\n';
        }
    }
    std::vector<TLookRun> runs;
    runs.reserve(document.runs.size());
    for (const TLookRun& run : document.runs) {
        const auto from = static_cast<std::size_t>(run.start);
        const auto to = from + static_cast<std::size_t>(run.length);
        const std::int32_t start = run.start - removedBefore[from];
        const std::int32_t end = static_cast<std::int32_t>(to) - removedBefore[to];
        if (end > start) {
            runs.push_back({start, end - start, run.look});
        }
    }
    document.runs = std::move(runs);
}

TArticleDocument TDocumentBuilder::Take()
{
    return std::exchange(document_, {});
}

} // namespace glenvary::io
