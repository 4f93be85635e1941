// SPDX-License-Identifier: MIT
#include "archive.h"

#include "core/normalise.h"
#include "core/side_by_side.h"
#include "text_codec.h"

#include <algorithm>
#include <functional>
#include <atomic>
#include <optional>
#include <unordered_map>

namespace glenvary::archive {
namespace {

// Blocks handed to the store at once while a merge writes its segment: a
// few megabytes, so that a merge of the largest segments never holds its
// whole output as well as its input.
constexpr std::size_t kBlocksPerWrite = 1024;
// Document ids are kept in 32 bits inside the index's blocks.
constexpr std::int64_t kMaxDocumentId = INT32_MAX;

// A document made ready for storing outside the write transaction.
struct TPrepared {
    std::u16string text;
    TDocumentInfo info;
    std::vector<TFingerprint> fingerprints;
    std::string packed;
    std::string refused;
};

TPrepared Prepare(const TNewDocument& document)
{
    TPrepared prepared;
    prepared.info.name = document.name;
    if (document.text.size() > kMaxDocumentLength) {
        prepared.refused = "longer than " + std::to_string(kMaxDocumentLength) + " characters";
        return prepared;
    }
    core::TArticle article;
    article.Assign(NormalisedText(document.text));
    prepared.fingerprints = Fingerprints(article);
    prepared.info.contentHash = ContentHash(article.sText);
    prepared.info.words = article.lstWords.Count();
    prepared.info.fingerprints = static_cast<std::int32_t>(prepared.fingerprints.size());
    prepared.info.characters = static_cast<std::int64_t>(article.sText.size());
    prepared.packed = PackText(article.sText);
    prepared.text = std::move(article.sText);
    return prepared;
}

// Both halves of the batch on the two cores.
std::vector<TPrepared> PrepareBatch(std::span<const TNewDocument> batch, const std::stop_token& stop)
{
    std::vector<TPrepared> prepared(batch.size());
    const std::size_t half = batch.size() / 2;
    auto run = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to && !stop.stop_requested(); ++i) {
            prepared[i] = Prepare(batch[i]);
        }
    };
    core::SideBySide(batch.size() >= 2, [&] { run(0, half); }, [&] { run(half, batch.size()); });
    return prepared;
}

// The position in `candidates` of the first of equal keys, sorted.
template <typename T>
void SortUnique(std::vector<T>& values)
{
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
}

} // namespace

struct TArchive::TState {
    std::unique_ptr<TArchiveStore> store;
    // The index's directory as last read, and the generation it was read
    // at: for each segment, its blocks' first fingerprints.
    std::int64_t directoryGeneration = -1;
    struct TSegmentDirectory {
        std::int64_t segment = 0;
        std::vector<std::uint64_t> firstFingerprints;
    };
    std::vector<TSegmentDirectory> directory;

    base::TResult<TDone> LoadDirectory(std::int64_t generation);
    // The ranked candidates, and the stored rows of the documents they name
    // (by id) in `infos`.
    base::TResult<std::vector<TCandidate>> FindCandidates(const std::vector<TFingerprint>& fingerprints,
                                                        std::int64_t documents,
                                                        std::unordered_map<std::int64_t, TDocumentInfo>& infos);
    base::TResult<bool> MergeOnce();
    base::TResult<TDone> StoreBatch(std::vector<TPrepared>& prepared, std::span<TAddedDocument> outcomes);
};

TArchive::TArchive(std::unique_ptr<TArchiveStore> store) : state_(std::make_unique<TState>())
{
    state_->store = std::move(store);
}
TArchive::~TArchive() = default;
TArchive::TArchive(TArchive&&) noexcept = default;
TArchive& TArchive::operator=(TArchive&&) noexcept = default;

base::TResult<TArchive> TArchive::Open(const std::string& address, TOpenMode mode)
{
    auto store = OpenStore(address, mode);
    if (!store.Ok()) {
        return base::TError{store.Error()};
    }
    return TArchive(std::move(store).Value());
}

const std::string& TArchive::Address() const noexcept { return state_->store->Address(); }

base::TResult<TDone> TArchive::TState::StoreBatch(std::vector<TPrepared>& prepared, std::span<TAddedDocument> outcomes)
{
    auto begun = store->BeginWrite();
    if (!begun.Ok()) {
        return base::TError{begun.Error()};
    }
    TCounters counters = begun.Value();
    auto fail = [this](const std::string& message) {
        store->Rollback();
        return base::TError{message};
    };

    // Texts already stored, or given earlier in this batch, are not stored
    // again: equal hashes are confirmed by the texts themselves.
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> inBatch;
    std::vector<TStoredDocument> toStore;
    std::vector<TPosting> postings;
    for (std::size_t i = 0; i < prepared.size(); ++i) {
        TPrepared& document = prepared[i];
        TAddedDocument& outcome = outcomes[i];
        outcome.name = document.info.name;
        if (!document.refused.empty()) {
            outcome.refused = document.refused;
            continue;
        }
        bool found = false;
        for (const std::size_t earlier : inBatch[document.info.contentHash]) {
            if (prepared[earlier].text == document.text) {
                outcome.alreadyStored = true;
                outcome.id = prepared[earlier].info.id;
                outcome.storedName = prepared[earlier].info.name;
                found = true;
                break;
            }
        }
        if (!found) {
            auto stored = store->FindContentHash(document.info.contentHash);
            if (!stored.Ok()) {
                return fail(stored.Error());
            }
            for (const std::int64_t id : stored.Value()) {
                auto packed = store->PackedText(id);
                if (!packed.Ok()) {
                    return fail(packed.Error());
                }
                auto text = UnpackText(packed.Value());
                if (text.Ok() && text.Value() == document.text) {
                    auto info = store->Documents(std::span(&id, 1));
                    if (!info.Ok()) {
                        return fail(info.Error());
                    }
                    outcome.alreadyStored = true;
                    outcome.id = id;
                    outcome.storedName = info.Value().empty() ? std::string() : info.Value().front().name;
                    found = true;
                    break;
                }
            }
        }
        if (found) {
            continue;
        }
        if (counters.nextDocument > kMaxDocumentId) {
            return fail("archive " + store->Address() + " is full (" + std::to_string(kMaxDocumentId) + " documents)");
        }
        document.info.id = counters.nextDocument++;
        outcome.id = document.info.id;
        inBatch[document.info.contentHash].push_back(i);
        for (const TFingerprint& fingerprint : document.fingerprints) {
            postings.push_back(TPosting{fingerprint.value, static_cast<std::uint32_t>(document.info.id),
                                        static_cast<std::uint32_t>(fingerprint.position)});
        }
        toStore.push_back(TStoredDocument{document.info, std::move(document.packed)});
    }
    // The texts are kept to here: a later document of the batch is told
    // apart from an earlier one by its text.
    for (TPrepared& document : prepared) {
        document.text.clear();
        document.text.shrink_to_fit();
    }
    if (!toStore.empty()) {
        if (auto inserted = store->InsertDocuments(toStore); !inserted.Ok()) {
            return fail(inserted.Error());
        }
        std::sort(postings.begin(), postings.end());
        const std::int64_t segment = counters.nextSegment++;
        const std::vector<TPackedBlock> blocks = PackPostings(postings);
        std::vector<std::uint64_t> firstFingerprints;
        firstFingerprints.reserve(blocks.size());
        for (const TPackedBlock& block : blocks) {
            firstFingerprints.push_back(block.firstFingerprint);
        }
        if (auto appended = store->AppendBlocks(segment, 0, blocks); !appended.Ok()) {
            return fail(appended.Error());
        }
        if (auto added = store->AddSegment(
                TSegmentInfo{segment, static_cast<std::int64_t>(postings.size()), PackDirectory(firstFingerprints)});
            !added.Ok()) {
            return fail(added.Error());
        }
        ++counters.generation;
        counters.documents += static_cast<std::int64_t>(toStore.size());
    }
    return store->Commit(counters);
}

base::TResult<bool> TArchive::TState::MergeOnce()
{
    auto begun = store->BeginWrite();
    if (!begun.Ok()) {
        return base::TError{begun.Error()};
    }
    TCounters counters = begun.Value();
    auto fail = [this](const std::string& message) {
        store->Rollback();
        return base::TError{message};
    };
    auto segments = store->Segments();
    if (!segments.Ok()) {
        return fail(segments.Error());
    }
    // The newest segment is merged into the one before while it holds more
    // than half as many postings: then each segment holds more than twice
    // the postings of the next newer one, so a look-up reads at most
    // log2(postings / batch) + 1 segments however the batches vary in size,
    // and each posting is rewritten about that many times in the archive's
    // life (like a binary counter, where equal batches are merged in pairs).
    const std::vector<TSegmentInfo>& list = segments.Value();
    if (list.size() < 2 || list.back().postings * 2 <= list[list.size() - 2].postings) {
        store->Rollback();
        return false;
    }
    const TSegmentInfo older = list[list.size() - 2];
    const TSegmentInfo newer = list.back();
    // Which ids are stored, one bit each; while no document was ever
    // removed (every id given is stored) nothing needs looking up.
    std::vector<bool> live;
    if (counters.documents != counters.nextDocument - 1) {
        auto documents = store->AllDocuments();
        if (!documents.Ok()) {
            return fail(documents.Error());
        }
        live.resize(static_cast<std::size_t>(counters.nextDocument), false);
        for (const TDocumentInfo& info : documents.Value()) {
            live[static_cast<std::size_t>(info.id)] = true;
        }
    }
    auto olderBlocks = store->SegmentBlocks(older.id);
    if (!olderBlocks.Ok()) {
        return fail(olderBlocks.Error());
    }
    auto newerBlocks = store->SegmentBlocks(newer.id);
    if (!newerBlocks.Ok()) {
        return fail(newerBlocks.Error());
    }

    // Both segments are read block by block and merged in order; postings
    // of removed documents are left out here.
    struct TCursor {
        explicit TCursor(const std::vector<std::string>& all) : blocks(&all) {}
        const std::vector<std::string>* blocks;
        std::size_t next = 0;
        std::optional<TBlockReader> reader;
        TPosting current;
        bool valid = false;
        bool damaged = false;

        void Advance()
        {
            for (;;) {
                if (reader && reader->Next(current)) {
                    valid = true;
                    return;
                }
                if (reader && reader->Damaged()) {
                    damaged = true;
                }
                if (next >= blocks->size()) {
                    valid = false;
                    return;
                }
                reader.emplace((*blocks)[next++]);
            }
        }
    };
    TCursor a(olderBlocks.Value());
    TCursor b(newerBlocks.Value());
    a.Advance();
    b.Advance();
    const std::int64_t merged = counters.nextSegment++;
    std::int64_t postings = 0;
    std::vector<TPackedBlock> pending;
    std::vector<std::uint64_t> firstFingerprints;
    std::optional<base::TError> error;
    auto flush = [&] {
        if (!error && !pending.empty()) {
            const auto firstOrdinal = static_cast<std::int64_t>(firstFingerprints.size() - pending.size());
            if (auto appended = store->AppendBlocks(merged, firstOrdinal, pending); !appended.Ok()) {
                error = base::TError{appended.Error()};
            }
        }
        pending.clear();
    };
    TBlockWriter writer([&](TPackedBlock&& block) {
        firstFingerprints.push_back(block.firstFingerprint);
        pending.push_back(std::move(block));
        if (pending.size() >= kBlocksPerWrite) {
            flush();
        }
    });
    while (a.valid || b.valid) {
        TCursor& from = !b.valid || (a.valid && a.current < b.current) ? a : b;
        if (live.empty() || (from.current.document < live.size() && live[from.current.document])) {
            writer.Add(from.current);
            ++postings;
        }
        from.Advance();
    }
    writer.Finish();
    flush();
    if (a.damaged || b.damaged) {
        return fail("archive " + store->Address() + " is damaged: a block of the index cannot be read");
    }
    if (error) {
        return fail(error->message);
    }
    if (auto added = store->AddSegment(TSegmentInfo{merged, postings, PackDirectory(firstFingerprints)}); !added.Ok()) {
        return fail(added.Error());
    }
    for (const std::int64_t segment : {older.id, newer.id}) {
        if (auto deleted = store->DeleteSegment(segment); !deleted.Ok()) {
            return fail(deleted.Error());
        }
    }
    ++counters.generation;
    if (auto committed = store->Commit(counters); !committed.Ok()) {
        return base::TError{committed.Error()};
    }
    return true;
}

base::TResult<TAddReport> TArchive::Add(std::span<const TNewDocument> documents, const TAddOptions& options,
                                      const TProgressCallback& progress, std::stop_token stop)
{
    TAddReport report;
    const std::size_t batchSize = static_cast<std::size_t>(std::max(1, options.batchDocuments));
    for (std::size_t start = 0; start < documents.size(); start += batchSize) {
        if (stop.stop_requested()) {
            report.stopped = true;
            return report;
        }
        const std::span<const TNewDocument> batch = documents.subspan(start, std::min(batchSize, documents.size() - start));
        std::vector<TPrepared> prepared = PrepareBatch(batch, stop);
        if (stop.stop_requested()) {
            report.stopped = true;
            return report;
        }
        std::vector<TAddedDocument> outcomes(batch.size());
        if (auto stored = state_->StoreBatch(prepared, outcomes); !stored.Ok()) {
            return base::TError{stored.Error()};
        }
        for (TAddedDocument& outcome : outcomes) {
            if (outcome.refused.empty()) {
                ++(outcome.alreadyStored ? report.alreadyStored : report.added);
            }
            report.documents.push_back(std::move(outcome));
        }
        if (progress) {
            progress(TProgress{TProgress::TStage::Adding, static_cast<std::int64_t>(start + batch.size()),
                               static_cast<std::int64_t>(documents.size())});
        }
        for (std::int64_t merges = 1;; ++merges) {
            auto merged = state_->MergeOnce();
            if (!merged.Ok()) {
                return base::TError{merged.Error()};
            }
            if (!merged.Value()) {
                break;
            }
            if (progress) {
                progress(TProgress{TProgress::TStage::Merging, merges, 0});
            }
        }
    }
    return report;
}

base::TResult<TDone> TArchive::TState::LoadDirectory(std::int64_t generation)
{
    if (generation == directoryGeneration) {
        return TDone{};
    }
    auto segments = store->Segments();
    if (!segments.Ok()) {
        return base::TError{segments.Error()};
    }
    directory.clear();
    for (const TSegmentInfo& segment : segments.Value()) {
        auto firstFingerprints = UnpackDirectory(segment.directory);
        if (!firstFingerprints) {
            return base::TError{"archive " + store->Address() + " is damaged: the directory of a segment cannot be read"};
        }
        directory.push_back(TSegmentDirectory{segment.id, std::move(*firstFingerprints)});
    }
    directoryGeneration = generation;
    return TDone{};
}

base::TResult<std::vector<TCandidate>> TArchive::TState::FindCandidates(
    const std::vector<TFingerprint>& fingerprints, std::int64_t documents,
    std::unordered_map<std::int64_t, TDocumentInfo>& infos)
{
    std::vector<std::uint64_t> wanted;
    wanted.reserve(fingerprints.size());
    for (const TFingerprint& fingerprint : fingerprints) {
        wanted.push_back(fingerprint.value);
    }
    SortUnique(wanted);

    // The one block of each segment that can hold a fingerprint is the last
    // whose first fingerprint is not above it (a fingerprint's postings are
    // never split between blocks).
    std::vector<std::int64_t> blockIds;
    std::vector<std::pair<std::size_t, std::size_t>> wantedOfBlock;
    for (const TSegmentDirectory& segment : directory) {
        std::size_t i = 0;
        while (i < wanted.size()) {
            const auto after =
                std::upper_bound(segment.firstFingerprints.begin(), segment.firstFingerprints.end(), wanted[i]);
            if (after == segment.firstFingerprints.begin()) {
                ++i;
                continue;
            }
            const auto block = static_cast<std::size_t>(after - segment.firstFingerprints.begin() - 1);
            const std::uint64_t limit =
                block + 1 < segment.firstFingerprints.size() ? segment.firstFingerprints[block + 1] : UINT64_MAX;
            std::size_t end = i + 1;
            while (end < wanted.size() && wanted[end] < limit) {
                ++end;
            }
            blockIds.push_back(BlockId(segment.segment, static_cast<std::int64_t>(block)));
            wantedOfBlock.emplace_back(i, end);
            i = end;
        }
    }
    auto blocks = store->ReadBlocks(blockIds);
    if (!blocks.Ok()) {
        return base::TError{blocks.Error()};
    }
    std::vector<TPosting> postings;
    for (std::size_t b = 0; b < blockIds.size(); ++b) {
        const auto [from, to] = wantedOfBlock[b];
        if (!FindInBlock(blocks.Value()[b], std::span(wanted).subspan(from, to - from), postings)) {
            return base::TError{"archive " + store->Address() + " is damaged: a block of the index cannot be read"};
        }
    }

    // Only stored documents count: postings of removed ones wait in the
    // segments for the next merge.
    std::vector<std::int64_t> ids;
    ids.reserve(postings.size());
    for (const TPosting& posting : postings) {
        ids.push_back(posting.document);
    }
    SortUnique(ids);
    auto stored = store->Documents(ids);
    if (!stored.Ok()) {
        return base::TError{stored.Error()};
    }
    std::unordered_map<std::int64_t, std::size_t> candidateOf;
    std::vector<TCandidate> candidates;
    for (TDocumentInfo& info : stored.Value()) {
        candidateOf.emplace(info.id, candidates.size());
        candidates.push_back(TCandidate{info.id, info.name, 0, 0});
        infos.emplace(info.id, std::move(info));
    }
    std::erase_if(postings, [&](const TPosting& posting) { return !candidateOf.contains(posting.document); });
    std::sort(postings.begin(), postings.end());

    const auto commonLimit = std::max<std::int64_t>(
        kCommonFloor, static_cast<std::int64_t>(kCommonShare * static_cast<double>(documents)));
    for (std::size_t i = 0; i < postings.size();) {
        std::size_t end = i;
        std::int64_t inDocuments = 0;
        while (end < postings.size() && postings[end].fingerprint == postings[i].fingerprint) {
            if (end == i || postings[end].document != postings[end - 1].document) {
                ++inDocuments;
            }
            ++end;
        }
        const bool common = inDocuments > commonLimit;
        for (std::size_t p = i; p < end; ++p) {
            if (p == i || postings[p].document != postings[p - 1].document) {
                TCandidate& candidate = candidates[candidateOf[postings[p].document]];
                ++candidate.sharedFingerprints;
                candidate.score += common ? 0 : 1;
            }
        }
        i = end;
    }
    std::erase_if(candidates, [](const TCandidate& candidate) { return candidate.sharedFingerprints == 0; });
    std::sort(candidates.begin(), candidates.end(), [](const TCandidate& x, const TCandidate& y) {
        if (x.score != y.score) {
            return x.score > y.score;
        }
        if (x.sharedFingerprints != y.sharedFingerprints) {
            return x.sharedFingerprints > y.sharedFingerprints;
        }
        return x.id < y.id;
    });
    return candidates;
}

base::TResult<std::vector<TCandidate>> TArchive::Candidates(const std::u16string& article)
{
    TCheckOptions rankOnly;
    rankOnly.topDocuments = 0;
    auto report = Check(article, rankOnly);
    if (!report.Ok()) {
        return base::TError{report.Error()};
    }
    return std::move(report.Value().candidates);
}

base::TResult<TCheckReport> TArchive::Check(const std::u16string& article, const TCheckOptions& options,
                                          const TProgressCallback& progress, std::stop_token stop)
{
    TCheckReport report;
    if (core::IsBlankArticle(article)) {
        return report;
    }
    core::TArticle split;
    split.Assign(NormalisedText(article));
    const std::vector<TFingerprint> fingerprints = Fingerprints(split);
    report.compared = true;
    report.articleWords = split.lstWords.Count();
    report.articleFingerprints = static_cast<std::int32_t>(fingerprints.size());

    TArchiveStore& store = *state_->store;
    auto begun = store.BeginRead();
    if (!begun.Ok()) {
        return base::TError{begun.Error()};
    }
    auto fail = [&store](const std::string& message) {
        store.EndRead();
        return base::TError{message};
    };
    if (auto loaded = state_->LoadDirectory(begun.Value().generation); !loaded.Ok()) {
        return fail(loaded.Error());
    }
    std::unordered_map<std::int64_t, TDocumentInfo> infos;
    auto candidates = state_->FindCandidates(fingerprints, begun.Value().documents, infos);
    if (!candidates.Ok()) {
        return fail(candidates.Error());
    }
    report.candidates = std::move(candidates.Value());

    const std::size_t compare =
        std::min(report.candidates.size(), static_cast<std::size_t>(std::max(0, options.topDocuments)));
    std::vector<std::int64_t> ids;
    for (std::size_t i = 0; i < compare; ++i) {
        ids.push_back(report.candidates[i].id);
    }
    auto packed = store.PackedTexts(ids);
    if (!packed.Ok()) {
        return fail(packed.Error());
    }
    store.EndRead();

    // The comparisons share out between the two cores: this thread takes
    // the even places and reports progress, the other the odd ones.
    std::vector<std::optional<TCheckedDocument>> results(compare);
    std::vector<std::string> errors(compare);
    std::atomic<std::int64_t> done = 0;
    auto compareOne = [&](std::size_t i) {
        auto text = UnpackText(packed.Value()[i]);
        if (!text.Ok()) {
            errors[i] = "archive " + store.Address() + " is damaged: " + text.Error();
            return;
        }
        TCheckedDocument document;
        document.document = infos.at(ids[i]);
        // The document as article 1, the checked article as article 2: the
        // comparison `compare` makes of them.
        core::TComparedTexts exact =
            core::CompareTexts(std::move(text.Value()), article, {options.unit, options.minLength}, options.compare);
        const core::TListWords& documentWords = exact.article1.lstWords;
        const core::TListWords& articleWords = exact.article2.lstWords;
        document.articleDuplicatedWords = exact.outcome.duplicatedWords;
        document.articlePercent = exact.outcome.duplicatePercent;
        document.documentDuplicatedWords = core::CountColouredWords(documentWords);
        document.documentPercent = core::DuplicatePercent(document.documentDuplicatedWords, documentWords.Count());
        document.articlePassages = core::Regions({articleWords.begin(), articleWords.end()});
        document.documentPassages = core::Regions({documentWords.begin(), documentWords.end()});
        document.documentText = std::move(exact.article1.sText);
        results[i] = std::move(document);
        ++done;
    };
    auto share = [&](std::size_t first, bool reports) {
        for (std::size_t i = first; i < compare && !stop.stop_requested(); i += 2) {
            compareOne(i);
            if (reports && progress) {
                progress(TProgress{TProgress::TStage::Comparing, done.load(), static_cast<std::int64_t>(compare)});
            }
        }
    };
    core::SideBySide(compare >= 2, [&] { share(1, false); }, [&] { share(0, true); });
    std::vector<std::pair<std::size_t, TCheckedDocument>> checked;
    for (std::size_t i = 0; i < compare; ++i) {
        if (!errors[i].empty()) {
            return base::TError{errors[i]};
        }
        if (results[i] && results[i]->articlePercent >= options.threshold) {
            checked.emplace_back(i, std::move(*results[i]));
        }
    }
    std::stable_sort(checked.begin(), checked.end(), [](const auto& x, const auto& y) {
        return x.second.articlePercent > y.second.articlePercent;
    });
    for (auto& [rank, document] : checked) {
        report.documents.push_back(std::move(document));
    }
    return report;
}

base::TResult<std::int64_t> TArchive::RemoveByName(std::string_view name)
{
    return Remove([name](TArchiveStore& store) { return store.FindName(name); });
}

base::TResult<std::int64_t> TArchive::RemoveById(std::int64_t id)
{
    return Remove([id](TArchiveStore&) { return base::TResult<std::vector<std::int64_t>>(std::vector{id}); });
}

base::TResult<std::int64_t> TArchive::Remove(
    const std::function<base::TResult<std::vector<std::int64_t>>(TArchiveStore&)>& chosen)
{
    TArchiveStore& store = *state_->store;
    auto begun = store.BeginWrite();
    if (!begun.Ok()) {
        return base::TError{begun.Error()};
    }
    auto ids = chosen(store);
    if (!ids.Ok()) {
        store.Rollback();
        return base::TError{ids.Error()};
    }
    auto removed = store.RemoveDocuments(ids.Value());
    if (!removed.Ok()) {
        store.Rollback();
        return base::TError{removed.Error()};
    }
    TCounters counters = begun.Value();
    counters.documents -= removed.Value();
    if (auto committed = store.Commit(counters); !committed.Ok()) {
        return base::TError{committed.Error()};
    }
    return removed.Value();
}


base::TResult<std::vector<TDocumentInfo>> TArchive::List()
{
    TArchiveStore& store = *state_->store;
    if (auto begun = store.BeginRead(); !begun.Ok()) {
        return base::TError{begun.Error()};
    }
    auto documents = store.AllDocuments();
    store.EndRead();
    return documents;
}

base::TResult<TArchiveStats> TArchive::Stats()
{
    TArchiveStore& store = *state_->store;
    if (auto begun = store.BeginRead(); !begun.Ok()) {
        return base::TError{begun.Error()};
    }
    auto documents = store.AllDocuments();
    auto segments = store.Segments();
    auto size = store.Size();
    store.EndRead();
    if (!documents.Ok()) {
        return base::TError{documents.Error()};
    }
    if (!segments.Ok()) {
        return base::TError{segments.Error()};
    }
    if (!size.Ok()) {
        return base::TError{size.Error()};
    }
    TArchiveStats stats;
    stats.documents = static_cast<std::int64_t>(documents.Value().size());
    for (const TDocumentInfo& info : documents.Value()) {
        stats.words += info.words;
        stats.fingerprints += info.fingerprints;
    }
    stats.segments = static_cast<std::int64_t>(segments.Value().size());
    stats.size = size.Value();
    return stats;
}

base::TResult<std::u16string> TArchive::Text(std::int64_t id)
{
    TArchiveStore& store = *state_->store;
    if (auto begun = store.BeginRead(); !begun.Ok()) {
        return base::TError{begun.Error()};
    }
    auto packed = store.PackedText(id);
    store.EndRead();
    if (!packed.Ok()) {
        return base::TError{packed.Error()};
    }
    return UnpackText(packed.Value());
}

} // namespace glenvary::archive
