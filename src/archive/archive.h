// SPDX-License-Identifier: MIT
// Glenvary archive: "which of my documents does this article copy from?"
//
// An archive keeps documents (their texts, packed) and an index of their
// fingerprints: hashes of runs of kGramWords words, winnowed with windows of
// kWindowGrams runs (fingerprint.h). Checking an article looks its own
// fingerprints up, ranks the documents that share them and runs the exact
// comparison on the best of them.
//
// The guarantee: every archive document that shares a run of at least
// kGuaranteeWords (T = 8) words with the article, equal as the comparison
// takes words (after normalising; A-Z folded, every other code unit
// exact), is among the candidates, whatever the archive's size. So is every
// document of which the exact comparison at a minimum of T words marks T
// words or more. (The comparison's walk cuts its last T - 1 chunks short at
// the end of a document, so it may also mark up to T - 1 words at a
// document's very end that the article has anywhere; those are no shared
// run of T words, and the index does not look for them.)
#pragma once

#include "core/comparison.h"
#include "core/compare_texts.h"
#include "core/highlight.h"
#include "fingerprint.h"
#include "base/result.h"
#include "store.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

namespace glenvary::archive {

/// A document to add: the name it goes under (a path or a title, UTF-8)
/// and its text as read.
struct TNewDocument {
    std::string name;
    std::u16string text;
};

/// Where a long operation is: `done` of `total` steps of `stage`.
struct TProgress {
    enum class TStage : std::uint8_t {
        Adding,
        Merging,
        Comparing,
    };
    TStage stage = TStage::Adding;
    std::int64_t done = 0;
    std::int64_t total = 0;
};
using TProgressCallback = std::function<void(const TProgress&)>;

struct TAddOptions {
    /// Documents stored per transaction: an add that is interrupted leaves
    /// whole batches. Below 1 counts as 1.
    std::int32_t batchDocuments = 1000;
};

/// What became of one document given to Add.
struct TAddedDocument {
    std::string name;
    /// Its id: a new one, or the one it was already stored under.
    std::int64_t id = 0;
    /// The same text was stored before (under `storedName`), or earlier in
    /// the same add; it was not stored again.
    bool alreadyStored = false;
    std::string storedName;
    /// Why it was not added, for a document that was refused (too long);
    /// empty otherwise.
    std::string refused;
};

struct TAddReport {
    /// One entry per document given, in order, up to where the add stopped.
    std::vector<TAddedDocument> documents;
    std::int64_t added = 0;
    std::int64_t alreadyStored = 0;
    /// The stop token asked the add to end: the documents listed are
    /// stored, the others were not touched.
    bool stopped = false;
};

struct TCheckOptions {
    /// Documents compared exactly, the best-ranked candidates.
    std::int32_t topDocuments = 10;
    /// A compared document is listed when at least this share (per cent) of
    /// the article duplicates it.
    double threshold = 0.0;
    core::TUnitKind unit = core::ukWords;
    /// The comparison's minimum length, as compare takes it (0 counts as
    /// 1). At T words, candidates hold every document the comparison can
    /// mark a run of T words of.
    std::int32_t minLength = kGuaranteeWords;
    /// The exact comparisons' options (core::CompareTexts). Candidates are
    /// still found by the fingerprints of the words as the default rules
    /// split them, so a copy disguised throughout is found only when some
    /// of its runs are not.
    core::TCompareOptions compare;
};

/// An archive document that shares fingerprints with the article.
struct TCandidate {
    std::int64_t id = 0;
    std::string name;
    /// Distinct fingerprints of the article that stand in the document.
    std::int32_t sharedFingerprints = 0;
    /// Those of them that are not common (see kCommonShare): the ranking
    /// score. A document that shares only common fingerprints scores 0 and
    /// is listed after the others, but listed.
    std::int32_t score = 0;

    friend bool operator==(const TCandidate&, const TCandidate&) = default;
};

/// One candidate compared exactly with the article.
struct TCheckedDocument {
    TDocumentInfo document;
    /// The article's words that duplicate the document, and their share.
    std::int32_t articleDuplicatedWords = 0;
    double articlePercent = 0.0;
    /// The document's words that the article duplicates, and their share.
    std::int32_t documentDuplicatedWords = 0;
    double documentPercent = 0.0;
    /// The marked passages of each, as the comparison coloured them.
    std::vector<core::TRegion> articlePassages;
    std::vector<core::TRegion> documentPassages;
    /// The document's normalised text, which its passages' offsets index.
    std::u16string documentText;
};

struct TCheckReport {
    /// False when the article is blank: nothing was looked up.
    bool compared = false;
    std::int32_t articleWords = 0;
    std::int32_t articleFingerprints = 0;
    /// Every document that shares a fingerprint with the article, best
    /// first: by score, then shared fingerprints, then id.
    std::vector<TCandidate> candidates;
    /// The compared candidates that reach the threshold, the most
    /// duplicated first (ties in candidate order).
    std::vector<TCheckedDocument> documents;
};

struct TArchiveStats {
    std::int64_t documents = 0;
    std::int64_t words = 0;
    /// Postings of the stored documents in the index.
    std::int64_t fingerprints = 0;
    std::int64_t segments = 0;
    TStoreSize size;
};

/// A fingerprint that stands in more than this share of the archive's
/// documents (and in more than kCommonFloor) is common: boilerplate such as
/// "in the middle of the". It still makes candidates; it adds nothing to
/// their score.
inline constexpr double kCommonShare = 0.01;
inline constexpr std::int64_t kCommonFloor = 10;

/// An archive in a store. All results are values; every failure of the
/// store is one line naming it. One object is used by one thread at a time;
/// any number of objects, in any number of processes, may use one archive.
class TArchive {
public:
    explicit TArchive(std::unique_ptr<TArchiveStore> store);
    ~TArchive();
    TArchive(TArchive&&) noexcept;
    TArchive& operator=(TArchive&&) noexcept;

    /// Opens the archive at `address` (see OpenStore).
    [[nodiscard]] static base::TResult<TArchive> Open(const std::string& address, TOpenMode mode);

    [[nodiscard]] const std::string& Address() const noexcept;

    /// Adds the documents, `batchDocuments` to a transaction: a text equal
    /// (after normalising) to a stored one is not stored again. Between
    /// batches, the index's segments are merged so that a look-up reads few
    /// of them. Cost: linear in the words added, plus merges that rewrite
    /// each posting about log2(batches) times over the archive's life.
    base::TResult<TAddReport> Add(std::span<const TNewDocument> documents, const TAddOptions& options = {},
                                const TProgressCallback& progress = {}, std::stop_token stop = {});

    /// The candidates for `article`, ranked (see TCheckReport::candidates).
    base::TResult<std::vector<TCandidate>> Candidates(const std::u16string& article);

    /// Looks the article up, then compares it exactly with the
    /// `topDocuments` best candidates. A stop request ends it before the
    /// next comparison, with the documents compared so far.
    base::TResult<TCheckReport> Check(const std::u16string& article, const TCheckOptions& options = {},
                                    const TProgressCallback& progress = {}, std::stop_token stop = {});

    /// Removes the documents stored under `name`; how many there were.
    base::TResult<std::int64_t> RemoveByName(std::string_view name);
    /// Removes document `id`; 1 when it was there, else 0.
    base::TResult<std::int64_t> RemoveById(std::int64_t id);

    /// Every stored document, by id.
    base::TResult<std::vector<TDocumentInfo>> List();
    base::TResult<TArchiveStats> Stats();
    /// The normalised text of document `id`.
    base::TResult<std::u16string> Text(std::int64_t id);

private:
    struct TState;
    // Removes, in one transaction, the documents that `chosen` finds.
    base::TResult<std::int64_t> Remove(
        const std::function<base::TResult<std::vector<std::int64_t>>(TArchiveStore&)>& chosen);

    std::unique_ptr<TState> state_;
};

} // namespace glenvary::archive
