// SPDX-License-Identifier: MIT
// Glenvary archive: what the archive keeps, and the two places that keep it
// (a SQLite file, a PostgreSQL database) behind one interface.
#pragma once

#include "base/result.h"
#include "posting_block.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace glenvary::archive {

/// The archive's format. Both stores record it and refuse any other, so
/// that a program never reads fingerprints that another hash or layout
/// made. Raise it whenever the hashes, the block layout or the schema
/// change.
inline constexpr std::int64_t kFormatVersion = 1;

/// An empty result of an operation that can fail.
struct TDone {};

/// A document as stored: everything but its text.
struct TDocumentInfo {
    std::int64_t id = 0;
    /// The path or title it was added under (UTF-8).
    std::string name;
    std::uint64_t contentHash = 0;
    std::int32_t words = 0;
    std::int32_t fingerprints = 0;
    /// Length of its normalised text in UTF-16 code units.
    std::int64_t characters = 0;

    friend bool operator==(const TDocumentInfo&, const TDocumentInfo&) = default;
};

/// A document to store, its text packed by PackText.
struct TStoredDocument {
    TDocumentInfo info;
    std::string packedText;
};

/// A segment: one sorted run of postings, in blocks, and its directory:
/// the first fingerprint of each block (PackDirectory).
struct TSegmentInfo {
    std::int64_t id = 0;
    std::int64_t postings = 0;
    std::string directory;
};

/// The id of block `ordinal` (from 0) of segment `segment`: the segment in
/// the high bits, so that a segment's blocks are one range of ids, stored
/// in order, and a directory needs no ids of its own.
inline constexpr std::int64_t kBlocksPerSegment = std::int64_t{1} << 32;
[[nodiscard]] constexpr std::int64_t BlockId(std::int64_t segment, std::int64_t ordinal) noexcept
{
    return segment * kBlocksPerSegment + ordinal;
}

/// The counters that writers share, read and set in a write transaction.
struct TCounters {
    /// The id the next new document gets; ids are never given twice.
    std::int64_t nextDocument = 1;
    std::int64_t nextSegment = 1;
    /// Changes whenever the set of segments does, so that a reader knows
    /// when the directory it keeps is out of date.
    std::int64_t generation = 0;
    /// Documents stored now.
    std::int64_t documents = 0;

    /// Takes the value of the counter a store keeps under `key`
    /// ("next_document", "next_segment", "generation", "documents"); other
    /// keys are left alone.
    void Set(std::string_view key, std::int64_t value) noexcept;
};

/// How much the store takes.
struct TStoreSize {
    /// Bytes the store takes on disk (file and journal; the tables and their
    /// indexes on a server).
    std::int64_t bytes = 0;
    /// Bytes of that holding data, leaving out pages freed for reuse.
    std::int64_t usedBytes = 0;
};

/// Where an archive lives. Every method is one step of the archive's
/// operations (archive.h), which call them in transactions: writers one at
/// a time (BeginWrite waits for the other writers), readers in a snapshot
/// that writers do not disturb. Every failure is one line naming the store.
/// A store object is used by one thread at a time.
class TArchiveStore {
public:
    virtual ~TArchiveStore() = default;

    /// The address the store was opened with, without a password.
    [[nodiscard]] virtual const std::string& Address() const noexcept = 0;

    /// Starts the write transaction, waiting while another writer holds it.
    virtual base::TResult<TCounters> BeginWrite() = 0;
    /// Makes the transaction's changes durable and ends it.
    virtual base::TResult<TDone> Commit(const TCounters& counters) = 0;
    /// Ends a write or read transaction, forgetting its changes. Never fails.
    virtual void Rollback() noexcept = 0;
    /// Starts a read transaction: one snapshot for everything read until
    /// EndRead.
    virtual base::TResult<TCounters> BeginRead() = 0;
    virtual void EndRead() noexcept = 0;

    /// The ids of stored documents whose content hash is `hash`.
    virtual base::TResult<std::vector<std::int64_t>> FindContentHash(std::uint64_t hash) = 0;
    virtual base::TResult<TDone> InsertDocuments(std::span<const TStoredDocument> documents) = 0;
    /// The stored documents among `ids` (ascending), in ascending order.
    virtual base::TResult<std::vector<TDocumentInfo>> Documents(std::span<const std::int64_t> ids) = 0;
    /// Every stored document, by id.
    virtual base::TResult<std::vector<TDocumentInfo>> AllDocuments() = 0;
    /// The packed text of a stored document.
    virtual base::TResult<std::string> PackedText(std::int64_t id) = 0;
    /// The packed texts of the documents `ids`, in the same order; an error
    /// when one is missing.
    virtual base::TResult<std::vector<std::string>> PackedTexts(std::span<const std::int64_t> ids) = 0;
    /// Removes the documents `ids` (ascending) with their texts; returns
    /// how many were there. Their postings stay in the segments, where
    /// readers skip them, until a merge leaves them out.
    virtual base::TResult<std::int64_t> RemoveDocuments(std::span<const std::int64_t> ids) = 0;
    /// The ids of the documents stored under `name`.
    virtual base::TResult<std::vector<std::int64_t>> FindName(std::string_view name) = 0;

    /// Every segment, oldest first, with its directory.
    virtual base::TResult<std::vector<TSegmentInfo>> Segments() = 0;
    /// Adds blocks to segment `segment` as its blocks `firstOrdinal`,
    /// `firstOrdinal` + 1...
    virtual base::TResult<TDone> AppendBlocks(std::int64_t segment, std::int64_t firstOrdinal,
                                            std::span<const TPackedBlock> blocks) = 0;
    /// Records segment `segment`, once all its blocks are in.
    virtual base::TResult<TDone> AddSegment(const TSegmentInfo& segment) = 0;
    /// Removes a segment and its blocks.
    virtual base::TResult<TDone> DeleteSegment(std::int64_t segment) = 0;
    /// The packed postings of the blocks `blocks` (ids), in the same order.
    virtual base::TResult<std::vector<std::string>> ReadBlocks(std::span<const std::int64_t> blocks) = 0;
    /// Every block of segment `segment`, in order.
    virtual base::TResult<std::vector<std::string>> SegmentBlocks(std::int64_t segment) = 0;

    virtual base::TResult<TStoreSize> Size() = 0;
};

/// Whether to make an archive where there is none yet.
enum class TOpenMode : std::uint8_t {
    Existing,
    CreateIfMissing,
};

/// Opens the store named by `address`: a PostgreSQL database when it starts
/// with "postgresql://" or "postgres://" (libpq's connection URI), else a
/// SQLite file at that path. A store without the archive's tables gets
/// them in CreateIfMissing mode. Refused, with one line naming the address
/// (never its password): a file that is not a Glenvary archive (text, a
/// picture, another program's database, a truncated archive), an archive
/// of another format version, a server that cannot be reached.
[[nodiscard]] base::TResult<std::unique_ptr<TArchiveStore>> OpenStore(const std::string& address, TOpenMode mode);

/// `address` with any password left out, for messages.
[[nodiscard]] std::string PrintableAddress(std::string_view address);

[[nodiscard]] bool IsPostgresAddress(std::string_view address) noexcept;

} // namespace glenvary::archive
