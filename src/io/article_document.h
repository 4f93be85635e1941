// SPDX-License-Identifier: MIT
// Glenvary readers: an article as a file holds it, text and formatting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glenvary::io {

/// A colour as 24 bits laid out BBGGRR (red in the lowest byte), the
/// engine's layout.
using TRgb = std::uint32_t;

/// How a stretch of an article looks in its file. Only what an article
/// editor shows is kept: the four font styles and the two colours. A colour
/// that the file leaves at its default is empty.
struct TTextLook {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::optional<TRgb> textColor;
    std::optional<TRgb> backColor;

    [[nodiscard]] bool IsPlain() const noexcept
    {
        return !bold && !italic && !underline && !strikeOut && !textColor && !backColor;
    }
    friend bool operator==(const TTextLook&, const TTextLook&) = default;
};

/// `length` characters from `start` (0-based UTF-16 positions in the text)
/// that share one look.
struct TLookRun {
    std::int32_t start = 0;
    std::int32_t length = 0;
    TTextLook look;

    friend bool operator==(const TLookRun&, const TLookRun&) = default;
};

/// An article as read from a file.
struct TArticleDocument {
    /// UTF-16, one LF per line or paragraph break (never CR LF), no byte
    /// order mark at the start. Not yet normalised: typographic characters
    /// arrive as the file holds them.
    std::u16string text;
    /// Runs of text that is not plain, in order, not overlapping, each of
    /// length at least 1 and inside the text. Text outside every run is plain.
    /// Empty for a format without formatting (plain text, PDF).
    std::vector<TLookRun> runs;
};

/// Turns each CR LF pair of the document's text into one LF, in place, and
/// moves its runs with the text; a run left empty goes. A lone CR stays,
/// unless it would come to stand before an LF: the CRs before a CR LF pair
/// (the mark of a file whose line breaks were converted twice) become LFs,
/// line breaks as the editor and the engine take a lone CR, so that no CR LF
/// is left. O(length + runs).
void FoldLineBreaks(TArticleDocument& document);

/// The most runs of looks that one paragraph keeps when an article is set
/// into the window: laying out a paragraph costs the window time for every
/// change of look in it, and 20,000 runs take about a fifth of a second,
/// while a paragraph of hundreds of thousands (a hostile or broken file)
/// would hold the window for seconds. The text itself is never touched.
inline constexpr std::size_t kMaxLookRunsPerParagraph = 20'000;

/// Drops the looks of every paragraph (text between LFs) that more than
/// `maxRuns` runs touch, so that it is shown plain; runs that reach into
/// such a paragraph keep their parts outside it. Returns the number of
/// paragraphs made plain. O(length + runs).
std::size_t PlainCrowdedParagraphs(TArticleDocument& document, std::size_t maxRuns = kMaxLookRunsPerParagraph);

/// Collects text and looks while a reader walks a document, merging
/// neighbouring runs of one look and dropping plain ones, so every reader
/// hands over runs in the form TArticleDocument promises.
class TDocumentBuilder {
public:
    /// Appends `text` in `look`. Empty text adds nothing.
    void Append(std::u16string_view text, const TTextLook& look = {});
    /// Appends one character in `look`.
    void Append(char16_t c, const TTextLook& look = {});
    /// Characters appended so far.
    [[nodiscard]] std::size_t Size() const noexcept { return document_.text.size(); }
    /// The last character appended, or 0 when there is none.
    [[nodiscard]] char16_t Back() const noexcept { return document_.text.empty() ? u'\0' : document_.text.back(); }
    /// Hands the document over; the builder is empty afterwards.
    [[nodiscard]] TArticleDocument Take();

private:
    TArticleDocument document_;
};

} // namespace glenvary::io
