// SPDX-License-Identifier: MIT
// Glenvary's PDF module: the PDF reader with poppler, built as a library of
// its own that the document reader loads the first time a PDF is read, so
// that the programs start without loading poppler and the libraries it
// needs. It uses poppler's own interface rather than its C++ wrapper, which
// reads no more pages than the page tree's /Count says and none at all when
// that count is out of range.
#include "io/pdf_module.h"

#include <Catalog.h>
#include <Error.h>
#include <GlobalParams.h>
#include <Object.h>
#include <PDFDoc.h>
#include <Page.h>
#include <Stream.h>
#include <TextOutputDev.h>
#include <XRef.h>

#include <algorithm>
#include <climits>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
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

// Text is laid out as poppler's C++ wrapper and its Qt binding lay it out:
// 72 dots an inch, upright, the crop box, not for printing.
constexpr double kDpi = 72;

void IgnorePopplerMessage(ErrorCategory /*category*/, Goffset /*position*/, const char* /*message*/) {}

// One word as poppler lays out a page: its text and its box, top-down.
struct TWordBox {
    std::u16string text;
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    bool spaceAfter = false;

    [[nodiscard]] double Height() const noexcept { return bottom - top; }
};

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

// The text of a word as UTF-16, without the control characters that some
// fonts map glyphs to: a CR or a form feed would read as a break nobody
// printed. Code points that are no characters are dropped too.
std::u16string Printable(const TextWord& word)
{
    std::u16string printable;
    printable.reserve(static_cast<std::size_t>(word.getLength()));
    for (int i = 0; i < word.getLength(); ++i) {
        const Unicode c = *word.getChar(i);
        if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
            continue;
        }
        if (c < 0x10000) {
            printable.push_back(static_cast<char16_t>(c));
        } else {
            printable.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            printable.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    return printable;
}

// The words of one page in poppler's reading order.
std::vector<TWordBox> WordsOf(Page& page)
{
    TextOutputDev output(nullptr, false, 0, false, false);
    page.displaySlice(&output, kDpi, kDpi, 0, false, false, -1, -1, -1, -1, false);
    const std::unique_ptr<TextWordList> list = output.makeWordList();
    std::vector<TWordBox> words;
    words.reserve(static_cast<std::size_t>(list->getLength()));
    for (int i = 0; i < list->getLength(); ++i) {
        const TextWord& word = *list->get(i);
        TWordBox box;
        box.text = Printable(word);
        word.getBBox(&box.left, &box.top, &box.right, &box.bottom);
        box.spaceAfter = word.hasSpaceAfter();
        words.push_back(std::move(box));
    }
    return words;
}

// Groups the words poppler gives, in its reading order, into lines: a word
// continues a line when it stands to the right of the word before and
// shares at least half the height of the smaller of the two.
std::vector<TLine> LinesOf(const std::vector<TWordBox>& words)
{
    std::vector<TLine> lines;
    TWordBox previous;
    bool spaceBefore = false;
    for (const TWordBox& box : words) {
        if (box.text.empty()) {
            continue;
        }
        const double overlap = std::min(box.bottom, previous.bottom) - std::max(box.top, previous.top);
        const bool continues = !lines.empty() && box.left > previous.left &&
                               overlap >= std::min(box.Height(), previous.Height()) / 2;
        if (continues) {
            TLine& line = lines.back();
            if (spaceBefore || box.left - previous.right > kWordGap * line.Height()) {
                line.text.push_back(u' ');
                line.firstWordDone = true;
            }
            line.text += box.text;
            line.right = std::max(line.right, box.right);
            if (!line.firstWordDone) {
                line.firstWordRight = box.right;
            }
            if (box.Height() > line.Height()) {
                line.top = box.top;
                line.bottom = box.bottom;
            }
        } else {
            lines.push_back({box.text, box.left, box.right, box.top, box.bottom, box.right, false});
        }
        spaceBefore = box.spaceAfter;
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

// The pages that poppler finds when it walks the page tree: the nodes
// under `root` in order, where a kid is a page when it says so or has no
// kids of its own, a kid that repeats one of its ancestors is passed over,
// and the walk ends where poppler's does, at a kid that is not a reference
// or a node without a list of kids.
int CountPageTree(const Object& root, Ref rootRef)
{
    struct TOpenNode {
        Object node;
        int ref = -1;
        int next = 0;
    };
    std::vector<TOpenNode> open;
    open.push_back({root.copy(), rootRef.num, 0});
    int pages = 0;
    while (!open.empty()) {
        const Object kids = open.back().node.dictLookup("Kids");
        if (!kids.isArray()) {
            break;
        }
        const int index = open.back().next++;
        if (index >= kids.arrayGetLength()) {
            open.pop_back();
            continue;
        }
        const Object& kidRef = kids.arrayGetNF(index);
        if (!kidRef.isRef()) {
            break;
        }
        const bool loop = std::any_of(open.begin(), open.end(),
                                      [&](const TOpenNode& node) { return node.ref == kidRef.getRefNum(); });
        if (loop) {
            continue;
        }
        Object kid = kids.arrayGet(index);
        if (kid.isDict("Page") || (kid.isDict() && !kid.getDict()->hasKey("Kids"))) {
            if (pages == INT_MAX) {
                break;
            }
            ++pages;
        } else if (kid.isDict()) {
            open.push_back({std::move(kid), kidRef.getRefNum(), 0});
        }
    }
    return pages;
}

// Sets the /Count of the page tree's root to the pages the tree holds, in
// poppler's copy of the document, before poppler first looks at it:
// poppler reads no page past the count and none at all when the count is
// not a positive number or exceeds the objects in the file, so a file
// whose count is wrong would read short or as one without text.
void MendPageCount(XRef& xref)
{
    const Object catalog = xref.getCatalog();
    if (!catalog.isDict()) {
        return;
    }
    const Object& rootRef = catalog.dictLookupNF("Pages");
    if (!rootRef.isRef()) {
        return;
    }
    Object root = xref.fetch(rootRef.getRef());
    if (!root.isDict()) {
        return;
    }
    const int pages = CountPageTree(root, rootRef.getRef());
    const Object count = root.dictLookup("Count");
    if (pages == 0 || (count.isInt() && count.getInt() == pages)) {
        return;
    }
    root.dictSet("Count", Object(pages));
    xref.setModifiedObject(&root, rootRef.getRef());
}

void SetUpPoppler()
{
    // Poppler's settings are global and made once. Poppler reports every
    // oddity of a damaged file on stderr; the outcome reaches the user as
    // one message instead.
    static std::once_flag once;
    std::call_once(once, [] {
        globalParams = std::make_unique<GlobalParams>();
        setErrorCallback(IgnorePopplerMessage);
    });
}

base::TResult<TArticleDocument> ReadWithPoppler(std::string_view bytes)
{
    SetUpPoppler();
    // Poppler takes the length as an int.
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        return base::TError{"the PDF is damaged"};
    }
    // The document reads the bytes lazily: they outlive it.
    auto* stream = new MemStream(bytes.data(), 0, static_cast<Goffset>(bytes.size()), Object(objNull));
    PDFDoc document(stream);
    if (!document.isOk()) {
        return base::TError{document.getErrorCode() == errEncrypted ? "the PDF is encrypted" : "the PDF is damaged"};
    }
    MendPageCount(*document.getXRef());
    Catalog& catalog = *document.getCatalog();
    TArticleDocument article;
    const int pages = catalog.getNumPages();
    for (int number = 1; number <= pages; ++number) {
        Page* page = catalog.getPage(number);
        if (page == nullptr || !page->isOk()) {
            continue;
        }
        const std::u16string text = PageText(LinesOf(WordsOf(*page)));
        if (!text.empty() && !article.text.empty()) {
            article.text.push_back(u'\n');
        }
        article.text += text;
    }
    if (article.text.empty()) {
        return base::TError{"the PDF has no text layer (a scanned document?)"};
    }
    return article;
}

} // namespace
} // namespace glenvary::io

extern "C" GLENVARY_PDF_MODULE_EXPORT void glenvary_read_pdf(std::string_view bytes,
                                                             glenvary::base::TResult<glenvary::io::TArticleDocument>& result)
{
    result = glenvary::io::ReadWithPoppler(bytes);
}
