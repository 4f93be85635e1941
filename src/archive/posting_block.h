// SPDX-License-Identifier: MIT
// Glenvary archive: the inverted index's postings, packed in blocks.
#pragma once

#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace glenvary::archive {

/// One entry of the index: a fingerprint stands in a document, at the word
/// where its run starts.
struct TPosting {
    std::uint64_t fingerprint = 0;
    std::uint32_t document = 0;
    std::uint32_t position = 0;

    friend auto operator<=>(const TPosting&, const TPosting&) = default;
};

/// A block of postings as stored: the first fingerprint it holds (what the
/// index's directory looks up), how many postings, and their packed bytes.
struct TPackedBlock {
    std::uint64_t firstFingerprint = 0;
    std::int32_t postings = 0;
    std::string bytes;
};

/// A block is closed at the first new fingerprint after it reaches this
/// many bytes: small enough that a look-up unpacks little more than it
/// needs (about 400 postings) and that a block fits one 4 KiB page of the
/// SQLite file, large enough that the directory of 100 million postings
/// stays near 250,000 entries. The postings of one fingerprint are never
/// split, so a block of a very common one is larger.
inline constexpr std::size_t kBlockBytes = 3000;

/// Packs postings, given in ascending order, into blocks, handing each
/// full block to `sink`. Within a block each posting is three unsigned
/// LEB128 numbers: the fingerprint's difference from the one before (the
/// first from 0); then, when that is 0, the document's difference from the
/// one before, else the document; then, when both are 0, the position's
/// difference, else the position.
class TBlockWriter {
public:
    explicit TBlockWriter(std::function<void(TPackedBlock&&)> sink);
    void Add(const TPosting& posting);
    /// Hands over the last, partly filled block.
    void Finish();

private:
    std::function<void(TPackedBlock&&)> sink_;
    TPackedBlock block_;
    TPosting previous_;
};

/// All blocks of `sorted`, packed.
[[nodiscard]] std::vector<TPackedBlock> PackPostings(std::span<const TPosting> sorted);

/// Reads the postings of one packed block in order.
class TBlockReader {
public:
    explicit TBlockReader(std::string_view bytes) noexcept : bytes_(bytes) {}
    /// The next posting; false at the end or at bytes that no writer made
    /// (a damaged block), which Damaged() then tells.
    bool Next(TPosting& posting) noexcept;
    [[nodiscard]] bool Damaged() const noexcept { return damaged_; }

private:
    bool ReadNumber(std::uint64_t& value) noexcept;

    std::string_view bytes_;
    std::size_t offset_ = 0;
    TPosting previous_;
    bool damaged_ = false;
};

/// The first fingerprints of a segment's blocks, ascending, packed as
/// their differences in unsigned LEB128.
[[nodiscard]] std::string PackDirectory(std::span<const std::uint64_t> firstFingerprints);
/// The fingerprints that PackDirectory packed; nothing when the bytes are
/// damaged.
[[nodiscard]] std::optional<std::vector<std::uint64_t>> UnpackDirectory(std::string_view bytes);

/// Appends to `out` the postings of the packed block whose fingerprints are
/// among `wanted` (ascending, distinct), stopping after the last of them.
/// False when the block is damaged.
bool FindInBlock(std::string_view bytes, std::span<const std::uint64_t> wanted, std::vector<TPosting>& out);

} // namespace glenvary::archive
