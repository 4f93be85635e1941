// SPDX-License-Identifier: MIT
#include "sqlite_store.h"

#include "core/side_by_side.h"

#include <sqlite3.h>

#include <array>
#include <bit>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>

namespace glenvary::archive {
namespace {

// How long a writer waits for another one. A batch of a thousand documents
// with the merge it may start holds the file for seconds; merging the two
// largest segments of a 100,000-document archive for about a minute.
constexpr int kBusyTimeoutMs = 10 * 60 * 1000;
// Page cache of one connection (KiB): the directory look-ups and a merge's
// writes stay in memory for archives of a few hundred megabytes.
constexpr int kCacheKiB = 256 * 1024;
// Reads map the file instead of copying pages, up to this many bytes.
constexpr std::int64_t kMapBytes = std::int64_t{4} << 30;

// Below this many blocks a look-up reads them all on one connection: a
// thread costs more than the page faults of fewer blocks.
constexpr std::size_t kParallelBlocks = 256;

constexpr std::string_view kSqliteMagic{"SQLite format 3\0", 16};

const char* const kSchema = R"(
CREATE TABLE meta(key TEXT PRIMARY KEY, value INTEGER NOT NULL) WITHOUT ROWID;
CREATE TABLE document(id INTEGER PRIMARY KEY, name TEXT NOT NULL, content_hash INTEGER NOT NULL,
                      words INTEGER NOT NULL, fingerprints INTEGER NOT NULL, characters INTEGER NOT NULL);
CREATE INDEX document_content_hash ON document(content_hash);
CREATE INDEX document_name ON document(name);
CREATE TABLE document_text(id INTEGER PRIMARY KEY, data BLOB NOT NULL);
CREATE TABLE segment(id INTEGER PRIMARY KEY, postings INTEGER NOT NULL, directory BLOB NOT NULL);
CREATE TABLE block(id INTEGER PRIMARY KEY, postings INTEGER NOT NULL, data BLOB NOT NULL);
INSERT INTO meta VALUES('format', 1), ('next_document', 1), ('next_segment', 1), ('generation', 0),
                       ('documents', 0);
)";

std::uint32_t BigEndian(const unsigned char* p, int bytes) noexcept
{
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        value = (value << 8U) | p[i];
    }
    return value;
}

// Looks at the file's first 100 bytes before SQLite does: anything but a
// SQLite database, or one shorter than its header says, is refused here.
std::optional<std::string> CheckHeader(const std::string& path, std::uintmax_t size)
{
    if (size == 0) {
        return std::nullopt;
    }
    std::array<unsigned char, 100> header{};
    std::ifstream in(path, std::ios::binary);
    if (size < header.size() || !in.read(reinterpret_cast<char*>(header.data()), header.size())
        || std::memcmp(header.data(), kSqliteMagic.data(), kSqliteMagic.size()) != 0) {
        return std::string("not a Glenvary archive");
    }
    std::uint32_t pageSize = BigEndian(&header[16], 2);
    pageSize = pageSize == 1 ? 65536U : pageSize;
    const std::uint32_t pages = BigEndian(&header[28], 4);
    // The page count is valid when the change counter beside it matches.
    const bool countValid = BigEndian(&header[24], 4) == BigEndian(&header[92], 4);
    if (countValid && std::uintmax_t{pages} * pageSize > size) {
        return std::string("the archive is damaged (the file is shorter than its pages)");
    }
    return std::nullopt;
}

class TStatement {
public:
    TStatement() = default;
    TStatement(sqlite3* db, const char* sql) { sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr); }
    ~TStatement() { sqlite3_finalize(stmt_); }
    TStatement(TStatement&& other) noexcept : stmt_(std::exchange(other.stmt_, nullptr)) {}
    TStatement& operator=(TStatement&& other) noexcept
    {
        std::swap(stmt_, other.stmt_);
        return *this;
    }
    sqlite3_stmt* operator*() const noexcept { return stmt_; }
    // Resets the statement for a new run and binds nothing yet.
    sqlite3_stmt* Fresh() const noexcept
    {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        return stmt_;
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

std::string_view Blob(sqlite3_stmt* stmt, int column)
{
    const void* data = sqlite3_column_blob(stmt, column);
    return {static_cast<const char*>(data), static_cast<std::size_t>(sqlite3_column_bytes(stmt, column))};
}

class TSqliteStore final : public TArchiveStore {
public:
    TSqliteStore(std::string path, sqlite3* db) : path_(std::move(path)), db_(db) {}
    ~TSqliteStore() override
    {
        statements_ = {};
        helperRead_ = {};
        sqlite3_close_v2(helper_);
        sqlite3_close_v2(db_);
    }

    base::TResult<TDone> Prepare()
    {
        const char* const sql[] = {
            "SELECT key, value FROM meta",
            "UPDATE meta SET value = ?2 WHERE key = ?1",
            "SELECT id FROM document WHERE content_hash = ?1",
            "INSERT INTO document(id, name, content_hash, words, fingerprints, characters) VALUES(?1, ?2, ?3, ?4, ?5, ?6)",
            "INSERT INTO document_text(id, data) VALUES(?1, ?2)",
            "SELECT id, name, content_hash, words, fingerprints, characters FROM document WHERE id = ?1",
            "SELECT id, name, content_hash, words, fingerprints, characters FROM document ORDER BY id",
            "SELECT data FROM document_text WHERE id = ?1",
            "DELETE FROM document WHERE id = ?1",
            "DELETE FROM document_text WHERE id = ?1",
            "SELECT id FROM document WHERE name = ?1 ORDER BY id",
            "SELECT id, postings, directory FROM segment ORDER BY id",
            "INSERT INTO block(id, postings, data) VALUES(?1, ?2, ?3)",
            "INSERT INTO segment(id, postings, directory) VALUES(?1, ?2, ?3)",
            "DELETE FROM block WHERE id BETWEEN ?1 AND ?2",
            "DELETE FROM segment WHERE id = ?1",
            "SELECT data FROM block WHERE id = ?1",
            "SELECT data FROM block WHERE id BETWEEN ?1 AND ?2 ORDER BY id",
        };
        for (std::size_t i = 0; i < std::size(sql); ++i) {
            statements_[i] = TStatement(db_, sql[i]);
            if (*statements_[i] == nullptr) {
                return Failure();
            }
        }
        return TDone{};
    }

    const std::string& Address() const noexcept override { return path_; }

    base::TResult<TCounters> BeginWrite() override { return Begin("BEGIN IMMEDIATE"); }
    base::TResult<TCounters> BeginRead() override { return Begin("BEGIN"); }

    base::TResult<TDone> Commit(const TCounters& counters) override
    {
        const std::pair<const char*, std::int64_t> values[] = {{"next_document", counters.nextDocument},
                                                                {"next_segment", counters.nextSegment},
                                                                {"generation", counters.generation},
                                                                {"documents", counters.documents}};
        for (const auto& [key, value] : values) {
            sqlite3_stmt* stmt = Stmt(kSetMeta);
            sqlite3_bind_text(stmt, 1, key, -1, SQLITE_STATIC);
            sqlite3_bind_int64(stmt, 2, value);
            if (sqlite3_step(stmt) != SQLITE_DONE) {
                return Failure();
            }
        }
        if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            auto failure = Failure();
            Rollback();
            return failure;
        }
        return TDone{};
    }

    void Rollback() noexcept override
    {
        ResetAll();
        if (sqlite3_get_autocommit(db_) == 0) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }
    void EndRead() noexcept override { Rollback(); }

    base::TResult<std::vector<std::int64_t>> FindContentHash(std::uint64_t hash) override
    {
        sqlite3_stmt* stmt = Stmt(kFindHash);
        sqlite3_bind_int64(stmt, 1, std::bit_cast<std::int64_t>(hash));
        return Ids(stmt);
    }

    base::TResult<TDone> InsertDocuments(std::span<const TStoredDocument> documents) override
    {
        for (const TStoredDocument& document : documents) {
            const TDocumentInfo& info = document.info;
            sqlite3_stmt* stmt = Stmt(kInsertDocument);
            sqlite3_bind_int64(stmt, 1, info.id);
            sqlite3_bind_text(stmt, 2, info.name.data(), static_cast<int>(info.name.size()), SQLITE_STATIC);
            sqlite3_bind_int64(stmt, 3, std::bit_cast<std::int64_t>(info.contentHash));
            sqlite3_bind_int(stmt, 4, info.words);
            sqlite3_bind_int(stmt, 5, info.fingerprints);
            sqlite3_bind_int64(stmt, 6, info.characters);
            if (sqlite3_step(stmt) != SQLITE_DONE) {
                return Failure();
            }
            stmt = Stmt(kInsertText);
            sqlite3_bind_int64(stmt, 1, info.id);
            sqlite3_bind_blob(stmt, 2, document.packedText.data(), static_cast<int>(document.packedText.size()),
                              SQLITE_STATIC);
            if (sqlite3_step(stmt) != SQLITE_DONE) {
                return Failure();
            }
        }
        return TDone{};
    }

    base::TResult<std::vector<TDocumentInfo>> Documents(std::span<const std::int64_t> ids) override
    {
        std::vector<TDocumentInfo> documents;
        for (const std::int64_t id : ids) {
            sqlite3_stmt* stmt = Stmt(kDocument);
            sqlite3_bind_int64(stmt, 1, id);
            const int rc = sqlite3_step(stmt);
            if (rc == SQLITE_ROW) {
                documents.push_back(Info(stmt));
            } else if (rc != SQLITE_DONE) {
                return Failure();
            }
        }
        return documents;
    }

    base::TResult<std::vector<TDocumentInfo>> AllDocuments() override
    {
        sqlite3_stmt* stmt = Stmt(kAllDocuments);
        std::vector<TDocumentInfo> documents;
        int rc = 0;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            documents.push_back(Info(stmt));
        }
        if (rc != SQLITE_DONE) {
            return Failure();
        }
        return documents;
    }

    base::TResult<std::string> PackedText(std::int64_t id) override
    {
        sqlite3_stmt* stmt = Stmt(kText);
        sqlite3_bind_int64(stmt, 1, id);
        if (sqlite3_step(stmt) != SQLITE_ROW) {
            return Failure();
        }
        return std::string(Blob(stmt, 0));
    }

    base::TResult<std::vector<std::string>> PackedTexts(std::span<const std::int64_t> ids) override
    {
        std::vector<std::string> texts;
        for (const std::int64_t id : ids) {
            auto text = PackedText(id);
            if (!text.Ok()) {
                return base::TError{text.Error()};
            }
            texts.push_back(std::move(text.Value()));
        }
        return texts;
    }

    base::TResult<std::int64_t> RemoveDocuments(std::span<const std::int64_t> ids) override
    {
        std::int64_t removed = 0;
        for (const std::int64_t id : ids) {
            for (const int which : {kDeleteDocument, kDeleteText}) {
                sqlite3_stmt* stmt = Stmt(which);
                sqlite3_bind_int64(stmt, 1, id);
                if (sqlite3_step(stmt) != SQLITE_DONE) {
                    return Failure();
                }
                if (which == kDeleteDocument) {
                    removed += sqlite3_changes(db_);
                }
            }
        }
        return removed;
    }

    base::TResult<std::vector<std::int64_t>> FindName(std::string_view name) override
    {
        sqlite3_stmt* stmt = Stmt(kFindName);
        sqlite3_bind_text(stmt, 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
        return Ids(stmt);
    }

    base::TResult<std::vector<TSegmentInfo>> Segments() override
    {
        sqlite3_stmt* stmt = Stmt(kSegments);
        std::vector<TSegmentInfo> segments;
        int rc = 0;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            segments.push_back(
                TSegmentInfo{sqlite3_column_int64(stmt, 0), sqlite3_column_int64(stmt, 1), std::string(Blob(stmt, 2))});
        }
        if (rc != SQLITE_DONE) {
            return Failure();
        }
        return segments;
    }

    base::TResult<TDone> AppendBlocks(std::int64_t segment, std::int64_t firstOrdinal,
                                    std::span<const TPackedBlock> blocks) override
    {
        std::int64_t ordinal = firstOrdinal;
        for (const TPackedBlock& block : blocks) {
            sqlite3_stmt* stmt = Stmt(kInsertBlock);
            sqlite3_bind_int64(stmt, 1, BlockId(segment, ordinal++));
            sqlite3_bind_int(stmt, 2, block.postings);
            sqlite3_bind_blob(stmt, 3, block.bytes.data(), static_cast<int>(block.bytes.size()), SQLITE_STATIC);
            if (sqlite3_step(stmt) != SQLITE_DONE) {
                return Failure();
            }
        }
        return TDone{};
    }

    base::TResult<TDone> AddSegment(const TSegmentInfo& segment) override
    {
        sqlite3_stmt* stmt = Stmt(kAddSegment);
        sqlite3_bind_int64(stmt, 1, segment.id);
        sqlite3_bind_int64(stmt, 2, segment.postings);
        sqlite3_bind_blob(stmt, 3, segment.directory.data(), static_cast<int>(segment.directory.size()), SQLITE_STATIC);
        return Step(stmt);
    }

    base::TResult<TDone> DeleteSegment(std::int64_t segment) override
    {
        sqlite3_stmt* stmt = Stmt(kDeleteBlocks);
        sqlite3_bind_int64(stmt, 1, BlockId(segment, 0));
        sqlite3_bind_int64(stmt, 2, BlockId(segment, kBlocksPerSegment - 1));
        if (sqlite3_step(stmt) != SQLITE_DONE) {
            return Failure();
        }
        stmt = Stmt(kDeleteSegment);
        sqlite3_bind_int64(stmt, 1, segment);
        return Step(stmt);
    }

    base::TResult<std::vector<std::string>> ReadBlocks(std::span<const std::int64_t> blocks) override
    {
        std::vector<std::string> data(blocks.size());
        // Reading a block costs a page fault more than anything else; a
        // second connection takes those of half the blocks on the other
        // core. Blocks never change once written and their ids are never
        // given again, so its own snapshot reads the same bytes; a block it
        // does not find (merged away since) is read here.
        std::vector<std::size_t> missed;
        const std::size_t half = blocks.size() >= kParallelBlocks && OpenHelper() ? blocks.size() / 2 : 0;
        bool failed = false;
        core::SideBySide(
            half > 0,
            [&] {
                if (sqlite3_exec(helper_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
                    for (std::size_t i = 0; i < half; ++i) {
                        missed.push_back(i);
                    }
                    return;
                }
                for (std::size_t i = 0; i < half; ++i) {
                    sqlite3_stmt* stmt = helperRead_.Fresh();
                    sqlite3_bind_int64(stmt, 1, blocks[i]);
                    if (sqlite3_step(stmt) == SQLITE_ROW) {
                        data[i] = Blob(stmt, 0);
                    } else {
                        missed.push_back(i);
                    }
                }
                sqlite3_reset(*helperRead_);
                sqlite3_exec(helper_, "COMMIT", nullptr, nullptr, nullptr);
            },
            [&] {
                for (std::size_t i = half; i < blocks.size() && !failed; ++i) {
                    failed = !ReadBlock(blocks[i], data[i]);
                }
            });
        for (const std::size_t i : missed) {
            failed = failed || !ReadBlock(blocks[i], data[i]);
        }
        if (failed) {
            return Failure();
        }
        return data;
    }

    base::TResult<std::vector<std::string>> SegmentBlocks(std::int64_t segment) override
    {
        sqlite3_stmt* stmt = Stmt(kSegmentBlocks);
        sqlite3_bind_int64(stmt, 1, BlockId(segment, 0));
        sqlite3_bind_int64(stmt, 2, BlockId(segment, kBlocksPerSegment - 1));
        std::vector<std::string> data;
        int rc = 0;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            data.emplace_back(Blob(stmt, 0));
        }
        if (rc != SQLITE_DONE) {
            return Failure();
        }
        return data;
    }

    base::TResult<TStoreSize> Size() override
    {
        TStoreSize size;
        std::error_code ec;
        for (const char* suffix : {"", "-wal"}) {
            const std::uintmax_t bytes = std::filesystem::file_size(path_ + suffix, ec);
            size.bytes += ec ? 0 : static_cast<std::int64_t>(bytes);
        }
        std::int64_t pages = 0;
        std::int64_t freePages = 0;
        std::int64_t pageSize = 0;
        if (!Pragma("page_count", pages) || !Pragma("freelist_count", freePages) || !Pragma("page_size", pageSize)) {
            return Failure();
        }
        size.usedBytes = (pages - freePages) * pageSize;
        return size;
    }

    base::TResult<TDone> Exec(const char* sql)
    {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
            return Failure();
        }
        return TDone{};
    }

    bool Pragma(const char* name, std::int64_t& value)
    {
        sqlite3_stmt* stmt = nullptr;
        const std::string sql = std::string("PRAGMA ") + name;
        bool ok = sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK
            && sqlite3_step(stmt) == SQLITE_ROW;
        if (ok) {
            value = sqlite3_column_int64(stmt, 0);
        }
        sqlite3_finalize(stmt);
        return ok;
    }

    base::TError Failure() const
    {
        const int code = sqlite3_errcode(db_);
        if (code == SQLITE_CORRUPT || code == SQLITE_NOTADB) {
            return base::TError{"archive " + path_ + " is damaged: " + sqlite3_errmsg(db_)};
        }
        return base::TError{"archive " + path_ + ": " + sqlite3_errmsg(db_)};
    }

private:
    enum : int {
        kMeta,
        kSetMeta,
        kFindHash,
        kInsertDocument,
        kInsertText,
        kDocument,
        kAllDocuments,
        kText,
        kDeleteDocument,
        kDeleteText,
        kFindName,
        kSegments,
        kInsertBlock,
        kAddSegment,
        kDeleteBlocks,
        kDeleteSegment,
        kReadBlock,
        kSegmentBlocks,
        kStatementCount
    };

    sqlite3_stmt* Stmt(int which) const noexcept { return statements_[static_cast<std::size_t>(which)].Fresh(); }

    void ResetAll() noexcept
    {
        for (const TStatement& statement : statements_) {
            sqlite3_reset(*statement);
        }
    }

    base::TResult<TDone> Step(sqlite3_stmt* stmt)
    {
        if (sqlite3_step(stmt) != SQLITE_DONE) {
            return Failure();
        }
        return TDone{};
    }

    base::TResult<std::vector<std::int64_t>> Ids(sqlite3_stmt* stmt)
    {
        std::vector<std::int64_t> ids;
        int rc = 0;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            ids.push_back(sqlite3_column_int64(stmt, 0));
        }
        if (rc != SQLITE_DONE) {
            return Failure();
        }
        return ids;
    }

    static TDocumentInfo Info(sqlite3_stmt* stmt)
    {
        TDocumentInfo info;
        info.id = sqlite3_column_int64(stmt, 0);
        info.name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
        info.contentHash = std::bit_cast<std::uint64_t>(sqlite3_column_int64(stmt, 2));
        info.words = sqlite3_column_int(stmt, 3);
        info.fingerprints = sqlite3_column_int(stmt, 4);
        info.characters = sqlite3_column_int64(stmt, 5);
        return info;
    }

    base::TResult<TCounters> Begin(const char* sql)
    {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
            return Failure();
        }
        sqlite3_stmt* stmt = Stmt(kMeta);
        TCounters counters;
        int rc = 0;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            const std::string_view key(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
            const std::int64_t value = sqlite3_column_int64(stmt, 1);
            counters.Set(key, value);
        }
        if (rc != SQLITE_DONE) {
            auto failure = Failure();
            Rollback();
            return failure;
        }
        return counters;
    }

    // Reads block `id` into `data` on this connection.
    bool ReadBlock(std::int64_t id, std::string& data)
    {
        sqlite3_stmt* stmt = Stmt(kReadBlock);
        sqlite3_bind_int64(stmt, 1, id);
        if (sqlite3_step(stmt) != SQLITE_ROW) {
            return false;
        }
        data = Blob(stmt, 0);
        return true;
    }

    // The read-only connection that reads blocks beside this one, opened on
    // first use; false when it cannot be had (reading goes on without it).
    bool OpenHelper()
    {
        if (helper_ == nullptr && !helperTried_) {
            helperTried_ = true;
            const std::string tuning = "PRAGMA cache_size=-" + std::to_string(kCacheKiB)
                + "; PRAGMA mmap_size=" + std::to_string(kMapBytes) + ";";
            if (sqlite3_open_v2(path_.c_str(), &helper_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr)
                    != SQLITE_OK
                || sqlite3_exec(helper_, tuning.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
                sqlite3_close_v2(helper_);
                helper_ = nullptr;
            } else {
                sqlite3_busy_timeout(helper_, kBusyTimeoutMs);
                helperRead_ = TStatement(helper_, "SELECT data FROM block WHERE id = ?1");
                if (*helperRead_ == nullptr) {
                    sqlite3_close_v2(helper_);
                    helper_ = nullptr;
                }
            }
        }
        return helper_ != nullptr;
    }

    std::string path_;
    sqlite3* db_;
    sqlite3* helper_ = nullptr;
    bool helperTried_ = false;
    TStatement helperRead_;
    std::array<TStatement, kStatementCount> statements_;
};

} // namespace

base::TResult<std::unique_ptr<TArchiveStore>> OpenSqliteStore(const std::string& path, TOpenMode mode)
{
    const std::string refused = "cannot open " + path + ": ";
    std::error_code ec;
    const bool exists = std::filesystem::exists(path, ec);
    if (!exists && mode == TOpenMode::Existing) {
        return base::TError{refused + "no such archive"};
    }
    if (exists) {
        if (std::filesystem::is_directory(path, ec)) {
            return base::TError{refused + "it is a folder"};
        }
        const std::uintmax_t size = std::filesystem::file_size(path, ec);
        if (ec) {
            return base::TError{refused + ec.message()};
        }
        if (const auto problem = CheckHeader(path, size)) {
            return base::TError{refused + *problem};
        }
    }
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX
        | (mode == TOpenMode::CreateIfMissing ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        std::string message = refused + (db != nullptr ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close_v2(db);
        return base::TError{std::move(message)};
    }
    auto store = std::make_unique<TSqliteStore>(path, db);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);

    std::int64_t applicationId = 0;
    std::int64_t version = 0;
    std::int64_t objects = 0;
    sqlite3_stmt* stmt = nullptr;
    if (!store->Pragma("application_id", applicationId) || !store->Pragma("user_version", version)
        || sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_schema", -1, &stmt, nullptr) != SQLITE_OK
        || sqlite3_step(stmt) != SQLITE_ROW) {
        sqlite3_finalize(stmt);
        const int code = sqlite3_errcode(db);
        return base::TError{refused + (code == SQLITE_NOTADB || code == SQLITE_CORRUPT ? "not a Glenvary archive"
                                                                                      : sqlite3_errmsg(db))};
    }
    objects = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);

    if (applicationId == 0 && objects == 0) {
        if (mode == TOpenMode::Existing) {
            return base::TError{refused + "not a Glenvary archive"};
        }
        // A new archive. Two programs may make the same one at once: the
        // second waits for the first's transaction and then finds it made.
        if (!store->Exec("PRAGMA journal_mode=WAL").Ok() || !store->Exec("BEGIN IMMEDIATE").Ok()) {
            return base::TError{refused + store->Failure().message};
        }
        if (!store->Pragma("application_id", applicationId)) {
            return base::TError{refused + store->Failure().message};
        }
        if (applicationId == 0) {
            const std::string setup = std::string(kSchema) + "PRAGMA application_id = "
                + std::to_string(kSqliteApplicationId) + "; PRAGMA user_version = " + std::to_string(kFormatVersion)
                + ";";
            if (!store->Exec(setup.c_str()).Ok()) {
                return base::TError{refused + store->Failure().message};
            }
            applicationId = kSqliteApplicationId;
            version = kFormatVersion;
        } else if (!store->Pragma("user_version", version)) {
            return base::TError{refused + store->Failure().message};
        }
        if (!store->Exec("COMMIT").Ok()) {
            return base::TError{refused + store->Failure().message};
        }
    }
    if (applicationId != kSqliteApplicationId) {
        return base::TError{refused + "not a Glenvary archive"};
    }
    if (version != kFormatVersion) {
        return base::TError{refused + "archive format " + std::to_string(version)
                          + " is not the one this program reads (" + std::to_string(kFormatVersion) + ")"};
    }
    const std::string tuning = "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA temp_store=MEMORY; "
                               "PRAGMA cache_size=-"
        + std::to_string(kCacheKiB) + "; PRAGMA mmap_size=" + std::to_string(kMapBytes) + ";";
    if (!store->Exec(tuning.c_str()).Ok()) {
        return base::TError{refused + store->Failure().message};
    }
    if (auto prepared = store->Prepare(); !prepared.Ok()) {
        return base::TError{refused + prepared.Error()};
    }
    return std::unique_ptr<TArchiveStore>(std::move(store));
}

} // namespace glenvary::archive
