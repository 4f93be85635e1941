// SPDX-License-Identifier: MIT
// Glenvary's PDF module: the PDF reader with poppler, built as a library of
// its own that the readers load the first time a PDF is read, so that the
// programs start without loading poppler and the libraries it needs.
#include "io/pdf_module.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include <algorithm>
#include <climits>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace glenvary::io {
namespace {

// Where a gap between two lines ends a paragraph: this many line heights
// wider than the narrower of the gaps above and below it. Paragraph spacing
// of 6 pt under 12-pt type is about 0.4 line heights; measuring from the
// neighbouring gaps keeps double-spaced text together, even on a page whose
// footnotes are single-spaced.
constexpr double kParagraphGap = 0.3;
// The width of a space, in line heights, when a short line is judged. A
// space is nearer 0.2; erring wide keeps a line that a long word left ragged
// in its paragraph.
constexpr double kSpaceWidth = 0.25;
// Words of one line further apart than this, in line heights, are read with
// a space between them even when poppler gives none: it gives none across
// the wide gaps of a justified line.
constexpr double kWordGap = 0.1;

void IgnorePopplerMessage(const std::string& /*message*/, void* /*closure*/) {}

// One printed line. Its height is that of its tallest word, so that a
// superscript does not move it.
struct TLine {
    std::u16string text;
    double left = 0;
    double right = 0;
    double top = 0;
    double bottom = 0;
    // Where the line's first word, up to the first space, ends.
    double firstWordRight = 0;
    bool firstWordDone = false;

    [[nodiscard]] double Height() const noexcept { return bottom - top; }
};

// The text of a word without the control characters that some fonts map
// glyphs to: a CR or a form feed would read as a break nobody printed.
std::u16string Printable(const poppler::ustring& text)
{
    std::u16string printable;
    printable.reserve(text.size());
    for (const auto c : text) {
        if (c >= 0x20) {
            printable.push_back(static_cast<char16_t>(c));
        }
    }
    return printable;
}

// Groups the words poppler gives, in its reading order, into lines: a word
// continues a line when it stands to the right of the word before and
// shares at least half the height of the smaller of the two.
std::vector<TLine> LinesOf(const poppler::page& page)
{
    std::vector<TLine> lines;
    poppler::rectf previous;
    bool spaceBefore = false;
    for (const poppler::text_box& word : page.text_list()) {
        const std::u16string text = Printable(word.text());
        if (text.empty()) {
            continue;
        }
        const poppler::rectf box = word.bbox();
        const double overlap = std::min(box.bottom(), previous.bottom()) - std::max(box.top(), previous.top());
        const bool continues = !lines.empty() && box.left() > previous.left() &&
                               overlap >= std::min(box.height(), previous.height()) / 2;
        if (continues) {
            TLine& line = lines.back();
            if (spaceBefore || box.left() - previous.right() > kWordGap * line.Height()) {
                line.text.push_back(u' ');
                line.firstWordDone = true;
            }
            line.text += text;
            line.right = std::max(line.right, box.right());
            if (!line.firstWordDone) {
                line.firstWordRight = box.right();
            }
            if (box.height() > line.Height()) {
                line.top = box.top();
                line.bottom = box.bottom();
            }
        } else {
            lines.push_back({text, box.left(), box.right(), box.top(), box.bottom(), box.right(), false});
        }
        spaceBefore = word.has_space_after();
        previous = box;
    }
    return lines;
}

// The text of one page: poppler's C++ interface hands over words, not its
// text blocks, so the paragraphs are found from the layout. A paragraph ends
// where the next line does not continue the column (it starts higher up, or
// aside), where the gap to it is clearly wider than the gaps around it, and
// after a short line: one that the next line's first word would have fitted
// on. Within a paragraph the lines are joined by spaces.
std::u16string PageText(const std::vector<TLine>& lines)
{
    // gaps[i]: from line i - 1 down to line i, or nothing where the column
    // breaks off.
    constexpr double kNoGap = std::numeric_limits<double>::infinity();
    std::vector<double> gaps(lines.size() + 1, kNoGap);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const TLine& line = lines[i - 1];
        const TLine& next = lines[i];
        if (next.top >= line.top && next.left < line.right && line.left < next.right) {
            gaps[i] = next.top - line.bottom;
        }
    }
    const auto endsBlock = [&](std::size_t i) {
        const double around = std::min(gaps[i - 1], gaps[i + 1]);
        return gaps[i] == kNoGap || (around != kNoGap && gaps[i] > around + kParagraphGap * lines[i - 1].Height());
    };
    std::u16string text;
    std::size_t blockStart = 0;
    while (blockStart < lines.size()) {
        if (blockStart > 0) {
            text.push_back(u'\n');
        }
        // A block: the lines up to the next break in the column. Its right
        // edge is where its full lines end.
        std::size_t blockEnd = blockStart + 1;
        double right = lines[blockStart].right;
        for (; blockEnd < lines.size() && !endsBlock(blockEnd); ++blockEnd) {
            right = std::max(right, lines[blockEnd].right);
        }
        for (std::size_t i = blockStart; i < blockEnd; ++i) {
            if (i > blockStart) {
                const TLine& line = lines[i - 1];
                const double firstWord = lines[i].firstWordRight - lines[i].left;
                const bool shortLine = line.right + kSpaceWidth * line.Height() + firstWord < right;
                text.push_back(shortLine ? u'\n' : u' ');
            }
            text += lines[i].text;
        }
        blockStart = blockEnd;
    }
    return text;
}

TResult<TArticleDocument> ReadWithPoppler(std::string_view bytes)
{
    // Poppler reports every oddity of a damaged file on stderr; the outcome
    // reaches the user as one message instead.
    static const bool silenced = [] {
        poppler::set_debug_error_function(IgnorePopplerMessage, nullptr);
        return true;
    }();
    static_cast<void>(silenced);
    // Poppler takes the length as an int.
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        return TError{"the PDF is damaged"};
    }
    // load_from_data takes the bytes over, so they live as long as the
    // document that reads them lazily.
    poppler::byte_array data(bytes.begin(), bytes.end());
    const std::unique_ptr<poppler::document> document(poppler::document::load_from_data(&data));
    if (!document) {
        return TError{"the PDF is damaged"};
    }
    if (document->is_locked()) {
        return TError{"the PDF is encrypted"};
    }
    TArticleDocument article;
    for (int index = 0; index < document->pages(); ++index) {
        const std::unique_ptr<poppler::page> page(document->create_page(index));
        const std::u16string text = page ? PageText(LinesOf(*page)) : std::u16string();
        if (!text.empty() && !article.text.empty()) {
            article.text.push_back(u'\n');
        }
        article.text += text;
    }
    if (article.text.empty()) {
        return TError{"the PDF has no text layer (a scanned document?)"};
    }
    return article;
}

} // namespace
} // namespace glenvary::io

extern "C" GLENVARY_PDF_MODULE_EXPORT void glenvary_read_pdf(std::string_view bytes,
                                                             glenvary::io::TResult<glenvary::io::TArticleDocument>& result)
{
    result = glenvary::io::ReadWithPoppler(bytes);
}
