// SPDX-License-Identifier: MIT
#include "postgres_store.h"

#include <libpq-fe.h>

#include <charconv>
#include <optional>
#include <cstring>
#include <unordered_map>

namespace glenvary::archive {
namespace {

// Statements sent before their results are read. Each result is a few
// bytes, so this many stay far below what the server may buffer before it
// waits for the client to read.
constexpr std::size_t kPipelineDepth = 512;
// A fixed key for the advisory lock under which the tables are made, so that
// two programs making the same archive at once do not collide.
constexpr std::int64_t kSchemaLock = 0x476C6E76;

// Blocks and texts are packed already, so the server does not compress them
// again (storage external); a row of up to a page stays in its table
// instead of the TOAST table (toast_tuple_target), so that a block is read
// with one page instead of three.
const char* const kSchema = R"(
CREATE TABLE archive_meta(key text PRIMARY KEY, value bigint NOT NULL);
CREATE TABLE archive_document(id bigint PRIMARY KEY, name text NOT NULL, content_hash bigint NOT NULL,
                              words integer NOT NULL, fingerprints integer NOT NULL, characters bigint NOT NULL);
CREATE INDEX archive_document_content_hash ON archive_document(content_hash);
CREATE INDEX archive_document_name ON archive_document(name);
CREATE TABLE archive_text(id bigint PRIMARY KEY, data bytea NOT NULL);
ALTER TABLE archive_text ALTER COLUMN data SET STORAGE EXTERNAL;
ALTER TABLE archive_text SET (toast_tuple_target = 8160);
CREATE TABLE archive_segment(id bigint PRIMARY KEY, postings bigint NOT NULL, directory bytea NOT NULL);
CREATE TABLE archive_block(id bigint PRIMARY KEY, postings integer NOT NULL, data bytea NOT NULL);
ALTER TABLE archive_block ALTER COLUMN data SET STORAGE EXTERNAL;
ALTER TABLE archive_block SET (toast_tuple_target = 8160);
INSERT INTO archive_meta VALUES('format', 1), ('next_document', 1), ('next_segment', 1), ('generation', 0),
                                ('documents', 0);
)";

// Below this many blocks a look-up reads them all on one connection: a
// second query costs more than it saves.
constexpr std::size_t kParallelBlocks = 256;

const char* const kTables = "'archive_meta', 'archive_document', 'archive_text', 'archive_segment', 'archive_block'";

// The first line of a libpq message, without its trailing line break.
std::string FirstLine(const char* message)
{
    std::string line(message != nullptr ? message : "");
    line = line.substr(0, line.find('\n'));
    if (line.empty()) {
        line = "the server gave no reason";
    }
    return line;
}

std::int64_t ToInt(const char* text)
{
    std::int64_t value = 0;
    std::from_chars(text, text + std::strlen(text), value);
    return value;
}

std::string ArrayLiteral(std::span<const std::int64_t> ids)
{
    std::string text = "{";
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (i > 0) {
            text.push_back(',');
        }
        text += std::to_string(ids[i]);
    }
    text.push_back('}');
    return text;
}

std::int64_t BinaryInt64(const char* p)
{
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i) {
        value = (value << 8U) | static_cast<unsigned char>(p[i]);
    }
    return static_cast<std::int64_t>(value);
}

class TPgResult {
public:
    explicit TPgResult(PGresult* result) noexcept : result_(result) {}
    ~TPgResult() { PQclear(result_); }
    TPgResult(const TPgResult&) = delete;
    TPgResult& operator=(const TPgResult&) = delete;
    PGresult* operator*() const noexcept { return result_; }
    [[nodiscard]] bool Ok() const noexcept
    {
        const ExecStatusType status = PQresultStatus(result_);
        return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    }
    [[nodiscard]] int Rows() const noexcept { return PQntuples(result_); }
    [[nodiscard]] const char* Text(int row, int column) const noexcept { return PQgetvalue(result_, row, column); }
    [[nodiscard]] std::string_view Bytes(int row, int column) const noexcept
    {
        return {PQgetvalue(result_, row, column), static_cast<std::size_t>(PQgetlength(result_, row, column))};
    }

private:
    PGresult* result_;
};

// One parameter of a statement: text, or raw bytes for a bytea.
struct TParam {
    std::string value;
    bool binary = false;
};

class TPostgresStore final : public TArchiveStore {
public:
    TPostgresStore(std::string address, std::string printable, PGconn* conn)
        : connectAddress_(std::move(address)), address_(std::move(printable)), conn_(conn)
    {
    }
    ~TPostgresStore() override
    {
        if (helper_ != nullptr) {
            PQfinish(helper_);
        }
        PQfinish(conn_);
    }

    const std::string& Address() const noexcept override { return address_; }

    base::TResult<TDone> Exec(const char* sql)
    {
        TPgResult result(PQexec(conn_, sql));
        if (!result.Ok()) {
            return Failure(*result);
        }
        return TDone{};
    }

    base::TError Failure(PGresult* result = nullptr) const
    {
        const char* message = result != nullptr ? PQresultErrorMessage(result) : nullptr;
        if (message == nullptr || *message == '\0') {
            message = PQerrorMessage(conn_);
        }
        if (PQstatus(conn_) == CONNECTION_BAD) {
            return base::TError{"archive " + address_ + ": the connection to the server was lost ("
                              + FirstLine(message) + ")"};
        }
        return base::TError{"archive " + address_ + ": " + FirstLine(message)};
    }

    // Makes the tables when the database has none (CreateIfMissing) and
    // checks the format of those it has.
    base::TResult<TDone> Setup(TOpenMode mode, const std::string& refused)
    {
        PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr);
        if (auto begun = Exec("BEGIN"); !begun.Ok()) {
            return base::TError{refused + FirstLine(PQerrorMessage(conn_))};
        }
        const std::string lock = "SELECT pg_advisory_xact_lock(" + std::to_string(kSchemaLock) + ")";
        TPgResult locked(PQexec(conn_, lock.c_str()));
        TPgResult found(PQexec(conn_, "SELECT to_regclass('archive_meta') IS NOT NULL"));
        if (!locked.Ok() || !found.Ok()) {
            return base::TError{refused + FirstLine(PQerrorMessage(conn_))};
        }
        if (std::strcmp(found.Text(0, 0), "t") != 0) {
            if (mode == TOpenMode::Existing) {
                Exec("ROLLBACK");
                return base::TError{refused + "no Glenvary archive in this database"};
            }
            if (!Exec(kSchema).Ok()) {
                return base::TError{refused + FirstLine(PQerrorMessage(conn_))};
            }
        }
        TPgResult format(PQexec(conn_, "SELECT value FROM archive_meta WHERE key = 'format'"));
        if (!format.Ok() || format.Rows() != 1) {
            Exec("ROLLBACK");
            return base::TError{refused + "not a Glenvary archive"};
        }
        if (const std::int64_t version = ToInt(format.Text(0, 0)); version != kFormatVersion) {
            Exec("ROLLBACK");
            return base::TError{refused + "archive format " + std::to_string(version)
                              + " is not the one this program reads (" + std::to_string(kFormatVersion) + ")"};
        }
        if (!Exec("COMMIT").Ok()) {
            return base::TError{refused + FirstLine(PQerrorMessage(conn_))};
        }
        const std::pair<const char*, const char*> statements[] = {
            {"set_meta", "UPDATE archive_meta SET value = $2 WHERE key = $1"},
            {"insert_document", "INSERT INTO archive_document(id, name, content_hash, words, fingerprints, characters) "
                                "VALUES($1, $2, $3, $4, $5, $6)"},
            {"insert_text", "INSERT INTO archive_text(id, data) VALUES($1, $2)"},
            {"insert_block", "INSERT INTO archive_block(id, postings, data) VALUES($1, $2, $3)"},
            {"read_blocks", "SELECT id, data FROM archive_block WHERE id = ANY($1::bigint[])"},
            {"read_texts", "SELECT id, data FROM archive_text WHERE id = ANY($1::bigint[])"},
            {"documents", "SELECT id, name, content_hash, words, fingerprints, characters FROM archive_document "
                          "WHERE id = ANY($1::bigint[]) ORDER BY id"},
        };
        // Every query is a look-up by key, which a plan made once serves
        // for any ids; planning afresh for each list of hundreds of ids
        // cost more than running it.
        if (!Exec("SET plan_cache_mode = force_generic_plan").Ok()) {
            return base::TError{refused + FirstLine(PQerrorMessage(conn_))};
        }
        for (const auto& [name, sql] : statements) {
            TPgResult prepared(PQprepare(conn_, name, sql, 0, nullptr));
            if (!prepared.Ok()) {
                return base::TError{refused + FirstLine(PQresultErrorMessage(*prepared))};
            }
        }
        return TDone{};
    }

    base::TResult<TCounters> BeginWrite() override
    {
        if (auto begun = Exec("BEGIN"); !begun.Ok()) {
            return base::TError{begun.Error()};
        }
        // Locking the counters' rows makes every other writer wait here.
        return Counters("SELECT key, value FROM archive_meta FOR UPDATE");
    }

    base::TResult<TCounters> BeginRead() override
    {
        if (auto begun = Exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"); !begun.Ok()) {
            return base::TError{begun.Error()};
        }
        return Counters("SELECT key, value FROM archive_meta");
    }

    base::TResult<TDone> Commit(const TCounters& counters) override
    {
        std::vector<std::vector<TParam>> rows = {
            {{"next_document"}, {std::to_string(counters.nextDocument)}},
            {{"next_segment"}, {std::to_string(counters.nextSegment)}},
            {{"generation"}, {std::to_string(counters.generation)}},
            {{"documents"}, {std::to_string(counters.documents)}},
        };
        if (auto set = Pipeline("set_meta", rows); !set.Ok()) {
            Rollback();
            return set;
        }
        if (auto done = Exec("COMMIT"); !done.Ok()) {
            Rollback();
            return done;
        }
        return TDone{};
    }

    void Rollback() noexcept override
    {
        if (PQtransactionStatus(conn_) != PQTRANS_IDLE) {
            PQclear(PQexec(conn_, "ROLLBACK"));
        }
    }
    void EndRead() noexcept override { Rollback(); }

    base::TResult<std::vector<std::int64_t>> FindContentHash(std::uint64_t hash) override
    {
        return IdQuery("SELECT id FROM archive_document WHERE content_hash = $1",
                       std::to_string(static_cast<std::int64_t>(hash)));
    }

    base::TResult<TDone> InsertDocuments(std::span<const TStoredDocument> documents) override
    {
        std::vector<std::vector<TParam>> rows;
        std::vector<std::vector<TParam>> texts;
        for (const TStoredDocument& document : documents) {
            const TDocumentInfo& info = document.info;
            rows.push_back({{std::to_string(info.id)},
                            {info.name},
                            {std::to_string(static_cast<std::int64_t>(info.contentHash))},
                            {std::to_string(info.words)},
                            {std::to_string(info.fingerprints)},
                            {std::to_string(info.characters)}});
            texts.push_back({{std::to_string(info.id)}, {document.packedText, true}});
        }
        if (auto inserted = Pipeline("insert_document", rows); !inserted.Ok()) {
            return inserted;
        }
        return Pipeline("insert_text", texts);
    }

    base::TResult<std::vector<TDocumentInfo>> Documents(std::span<const std::int64_t> ids) override
    {
        return DocumentQuery("documents", ArrayLiteral(ids));
    }

    base::TResult<std::vector<TDocumentInfo>> AllDocuments() override
    {
        return DocumentQuery(
            "SELECT id, name, content_hash, words, fingerprints, characters FROM archive_document ORDER BY id", {});
    }

    base::TResult<std::string> PackedText(std::int64_t id) override
    {
        const std::string text = std::to_string(id);
        const char* values[] = {text.c_str()};
        TPgResult result(
            PQexecParams(conn_, "SELECT data FROM archive_text WHERE id = $1", 1, nullptr, values, nullptr, nullptr, 1));
        if (!result.Ok()) {
            return Failure(*result);
        }
        if (result.Rows() != 1) {
            return base::TError{"archive " + address_ + ": document " + text + " has no text"};
        }
        return std::string(result.Bytes(0, 0));
    }

    base::TResult<std::vector<std::string>> PackedTexts(std::span<const std::int64_t> ids) override
    {
        return Blobs("read_texts", ids, "a document's text");
    }

    base::TResult<std::int64_t> RemoveDocuments(std::span<const std::int64_t> ids) override
    {
        const std::string array = ArrayLiteral(ids);
        const char* values[] = {array.c_str()};
        TPgResult text(PQexecParams(conn_, "DELETE FROM archive_text WHERE id = ANY($1::bigint[])", 1, nullptr, values,
                                    nullptr, nullptr, 0));
        if (!text.Ok()) {
            return Failure(*text);
        }
        TPgResult removed(PQexecParams(conn_, "DELETE FROM archive_document WHERE id = ANY($1::bigint[])", 1, nullptr,
                                       values, nullptr, nullptr, 0));
        if (!removed.Ok()) {
            return Failure(*removed);
        }
        return ToInt(PQcmdTuples(*removed));
    }

    base::TResult<std::vector<std::int64_t>> FindName(std::string_view name) override
    {
        return IdQuery("SELECT id FROM archive_document WHERE name = $1 ORDER BY id", std::string(name));
    }

    base::TResult<std::vector<TSegmentInfo>> Segments() override
    {
        TPgResult result(PQexecParams(conn_, "SELECT id, postings, directory FROM archive_segment ORDER BY id", 0,
                                      nullptr, nullptr, nullptr, nullptr, 1));
        if (!result.Ok()) {
            return Failure(*result);
        }
        std::vector<TSegmentInfo> segments;
        for (int row = 0; row < result.Rows(); ++row) {
            segments.push_back(TSegmentInfo{BinaryInt64(result.Text(row, 0)), BinaryInt64(result.Text(row, 1)),
                                            std::string(result.Bytes(row, 2))});
        }
        return segments;
    }

    base::TResult<TDone> AppendBlocks(std::int64_t segment, std::int64_t firstOrdinal,
                                    std::span<const TPackedBlock> blocks) override
    {
        std::vector<std::vector<TParam>> rows;
        rows.reserve(blocks.size());
        std::int64_t ordinal = firstOrdinal;
        for (const TPackedBlock& block : blocks) {
            rows.push_back({{std::to_string(BlockId(segment, ordinal++))},
                            {std::to_string(block.postings)},
                            {block.bytes, true}});
        }
        return Pipeline("insert_block", rows);
    }

    base::TResult<TDone> AddSegment(const TSegmentInfo& segment) override
    {
        const std::string id = std::to_string(segment.id);
        const std::string postings = std::to_string(segment.postings);
        const char* values[] = {id.c_str(), postings.c_str(), segment.directory.data()};
        const int lengths[] = {0, 0, static_cast<int>(segment.directory.size())};
        const int formats[] = {0, 0, 1};
        TPgResult result(PQexecParams(conn_, "INSERT INTO archive_segment(id, postings, directory) VALUES($1, $2, $3)",
                                      3, nullptr, values, lengths, formats, 0));
        if (!result.Ok()) {
            return Failure(*result);
        }
        return TDone{};
    }

    base::TResult<TDone> DeleteSegment(std::int64_t segment) override
    {
        const std::string id = std::to_string(segment);
        const std::string first = std::to_string(BlockId(segment, 0));
        const std::string last = std::to_string(BlockId(segment, kBlocksPerSegment - 1));
        const char* blockRange[] = {first.c_str(), last.c_str()};
        TPgResult blocks(PQexecParams(conn_, "DELETE FROM archive_block WHERE id BETWEEN $1 AND $2", 2, nullptr,
                                      blockRange, nullptr, nullptr, 0));
        if (!blocks.Ok()) {
            return Failure(*blocks);
        }
        const char* values[] = {id.c_str()};
        TPgResult removed(
            PQexecParams(conn_, "DELETE FROM archive_segment WHERE id = $1", 1, nullptr, values, nullptr, nullptr, 0));
        if (!removed.Ok()) {
            return Failure(*removed);
        }
        return TDone{};
    }

    base::TResult<std::vector<std::string>> ReadBlocks(std::span<const std::int64_t> blocks) override
    {
        // Half of a long list goes to a second connection, sent before this
        // one's, so that two server processes read blocks at once. Blocks
        // never change once written and their ids are never given again,
        // so its own snapshot reads the same bytes; a block it does not find
        // (merged away since) is read here with the rest.
        const std::size_t half = blocks.size() >= kParallelBlocks && OpenHelper() ? blocks.size() / 2 : 0;
        const std::string helperIds = ArrayLiteral(blocks.first(half));
        const char* helperValues[] = {helperIds.c_str()};
        const bool sent = half > 0 && PQsendQueryPrepared(helper_, "read_blocks", 1, helperValues, nullptr, nullptr, 1) == 1;
        auto own = Blobs("read_blocks", blocks.subspan(sent ? half : 0), "a block of the index");
        std::unordered_map<std::int64_t, std::string> found;
        if (sent) {
            // Every result of the helper is read, also when this side failed.
            while (PGresult* raw = PQgetResult(helper_)) {
                TPgResult result(raw);
                if (result.Ok()) {
                    for (int row = 0; row < result.Rows(); ++row) {
                        found.emplace(BinaryInt64(result.Text(row, 0)), std::string(result.Bytes(row, 1)));
                    }
                }
            }
        }
        if (!own.Ok()) {
            return base::TError{own.Error()};
        }
        std::vector<std::string> data;
        data.reserve(blocks.size());
        std::vector<std::int64_t> missed;
        for (std::size_t i = 0; i < (sent ? half : 0); ++i) {
            const auto it = found.find(blocks[i]);
            if (it == found.end()) {
                missed.push_back(blocks[i]);
            }
        }
        auto again = Blobs("read_blocks", missed, "a block of the index");
        if (!again.Ok()) {
            return base::TError{again.Error()};
        }
        for (std::size_t i = 0, m = 0; i < (sent ? half : 0); ++i) {
            const auto it = found.find(blocks[i]);
            data.push_back(it != found.end() ? std::move(it->second) : std::move(again.Value()[m++]));
        }
        for (std::string& block : own.Value()) {
            data.push_back(std::move(block));
        }
        return data;
    }

    base::TResult<std::vector<std::string>> SegmentBlocks(std::int64_t segment) override
    {
        const std::string first = std::to_string(BlockId(segment, 0));
        const std::string last = std::to_string(BlockId(segment, kBlocksPerSegment - 1));
        const char* values[] = {first.c_str(), last.c_str()};
        TPgResult result(PQexecParams(conn_, "SELECT data FROM archive_block WHERE id BETWEEN $1 AND $2 ORDER BY id",
                                      2, nullptr, values, nullptr, nullptr, 1));
        if (!result.Ok()) {
            return Failure(*result);
        }
        std::vector<std::string> data;
        data.reserve(static_cast<std::size_t>(result.Rows()));
        for (int row = 0; row < result.Rows(); ++row) {
            data.emplace_back(result.Bytes(row, 0));
        }
        return data;
    }

    base::TResult<TStoreSize> Size() override
    {
        const std::string sql = std::string("SELECT sum(pg_total_relation_size(t::regclass)) FROM unnest(ARRAY[")
            + kTables + "]) AS t";
        TPgResult result(PQexec(conn_, sql.c_str()));
        if (!result.Ok()) {
            return Failure(*result);
        }
        TStoreSize size;
        size.bytes = ToInt(result.Text(0, 0));
        size.usedBytes = size.bytes;
        return size;
    }

private:
    base::TResult<TCounters> Counters(const char* sql)
    {
        TPgResult result(PQexec(conn_, sql));
        if (!result.Ok()) {
            auto failure = Failure(*result);
            Rollback();
            return failure;
        }
        TCounters counters;
        for (int row = 0; row < result.Rows(); ++row) {
            const std::string_view key = result.Text(row, 0);
            const std::int64_t value = ToInt(result.Text(row, 1));
            counters.Set(key, value);
        }
        return counters;
    }

    // The bytea column of the rows `ids` that the prepared statement
    // `statement` selects (id, data) with the ids as its one parameter, in
    // the order of `ids`.
    base::TResult<std::vector<std::string>> Blobs(const char* statement, std::span<const std::int64_t> ids,
                                                const char* what)
    {
        if (ids.empty()) {
            return std::vector<std::string>{};
        }
        const std::string array = ArrayLiteral(ids);
        const char* values[] = {array.c_str()};
        TPgResult result(PQexecPrepared(conn_, statement, 1, values, nullptr, nullptr, 1));
        if (!result.Ok()) {
            return Failure(*result);
        }
        std::unordered_map<std::int64_t, int> rowOf;
        rowOf.reserve(static_cast<std::size_t>(result.Rows()));
        for (int row = 0; row < result.Rows(); ++row) {
            rowOf.emplace(BinaryInt64(result.Text(row, 0)), row);
        }
        std::vector<std::string> data;
        data.reserve(ids.size());
        for (const std::int64_t id : ids) {
            const auto found = rowOf.find(id);
            if (found == rowOf.end()) {
                return base::TError{"archive " + address_ + ": " + what + " is missing"};
            }
            data.emplace_back(result.Bytes(found->second, 1));
        }
        return data;
    }

    base::TResult<std::vector<std::int64_t>> IdQuery(const char* sql, const std::string& param)
    {
        const char* values[] = {param.c_str()};
        TPgResult result(PQexecParams(conn_, sql, 1, nullptr, values, nullptr, nullptr, 0));
        if (!result.Ok()) {
            return Failure(*result);
        }
        std::vector<std::int64_t> ids;
        for (int row = 0; row < result.Rows(); ++row) {
            ids.push_back(ToInt(result.Text(row, 0)));
        }
        return ids;
    }

    // With `ids` (an array literal), runs the prepared statement `query` for
    // them; without, runs the query `query` as it is.
    base::TResult<std::vector<TDocumentInfo>> DocumentQuery(const char* query, const std::optional<std::string>& ids)
    {
        const char* values[] = {ids ? ids->c_str() : nullptr};
        TPgResult result(ids ? PQexecPrepared(conn_, query, 1, values, nullptr, nullptr, 0)
                             : PQexec(conn_, query));
        if (!result.Ok()) {
            return Failure(*result);
        }
        std::vector<TDocumentInfo> documents;
        documents.reserve(static_cast<std::size_t>(result.Rows()));
        for (int row = 0; row < result.Rows(); ++row) {
            TDocumentInfo info;
            info.id = ToInt(result.Text(row, 0));
            info.name = result.Text(row, 1);
            info.contentHash = static_cast<std::uint64_t>(ToInt(result.Text(row, 2)));
            info.words = static_cast<std::int32_t>(ToInt(result.Text(row, 3)));
            info.fingerprints = static_cast<std::int32_t>(ToInt(result.Text(row, 4)));
            info.characters = ToInt(result.Text(row, 5));
            documents.push_back(std::move(info));
        }
        return documents;
    }

    // Runs the prepared statement `name` once for each row of parameters,
    // sending up to kPipelineDepth of them before reading their results.
    base::TResult<TDone> Pipeline(const char* name, const std::vector<std::vector<TParam>>& rows)
    {
        if (PQenterPipelineMode(conn_) != 1) {
            return Failure();
        }
        std::optional<base::TError> error;
        for (std::size_t start = 0; start < rows.size() && !error; start += kPipelineDepth) {
            const std::size_t end = std::min(rows.size(), start + kPipelineDepth);
            for (std::size_t r = start; r < end; ++r) {
                const std::vector<TParam>& row = rows[r];
                std::vector<const char*> values;
                std::vector<int> lengths;
                std::vector<int> formats;
                for (const TParam& param : row) {
                    values.push_back(param.value.c_str());
                    lengths.push_back(static_cast<int>(param.value.size()));
                    formats.push_back(param.binary ? 1 : 0);
                }
                if (PQsendQueryPrepared(conn_, name, static_cast<int>(row.size()), values.data(), lengths.data(),
                                        formats.data(), 0)
                    != 1) {
                    error = Failure();
                    break;
                }
            }
            if (PQpipelineSync(conn_) != 1) {
                error = error ? error : Failure();
                break;
            }
            // Read every result up to the sync point, keeping the first error.
            for (;;) {
                PGresult* result = PQgetResult(conn_);
                if (result == nullptr) {
                    if (PQstatus(conn_) == CONNECTION_BAD) {
                        error = error ? error : Failure();
                        break;
                    }
                    continue;
                }
                const ExecStatusType status = PQresultStatus(result);
                if (status == PGRES_PIPELINE_SYNC) {
                    PQclear(result);
                    break;
                }
                if (status == PGRES_FATAL_ERROR && !error) {
                    error = Failure(result);
                }
                PQclear(result);
            }
        }
        PQexitPipelineMode(conn_);
        if (error) {
            return *error;
        }
        return TDone{};
    }

    // The second connection that reads blocks beside this one, opened on
    // first use; false when it cannot be had (reading goes on without it).
    bool OpenHelper()
    {
        if (helper_ == nullptr && !helperTried_) {
            helperTried_ = true;
            helper_ = PQconnectdb(connectAddress_.c_str());
            bool ready = helper_ != nullptr && PQstatus(helper_) == CONNECTION_OK;
            if (ready) {
                TPgResult mode(PQexec(helper_, "SET plan_cache_mode = force_generic_plan"));
                TPgResult prepared(PQprepare(helper_, "read_blocks",
                                             "SELECT id, data FROM archive_block WHERE id = ANY($1::bigint[])", 0,
                                             nullptr));
                ready = mode.Ok() && prepared.Ok();
            }
            if (!ready && helper_ != nullptr) {
                PQfinish(helper_);
                helper_ = nullptr;
            }
        }
        return helper_ != nullptr;
    }

    std::string connectAddress_;
    std::string address_;
    PGconn* conn_;
    PGconn* helper_ = nullptr;
    bool helperTried_ = false;
};

} // namespace

base::TResult<std::unique_ptr<TArchiveStore>> OpenPostgresStore(const std::string& address, TOpenMode mode)
{
    const std::string printable = PrintableAddress(address);
    const std::string refused = "cannot open " + printable + ": ";
    PGconn* conn = PQconnectdb(address.c_str());
    if (conn == nullptr) {
        return base::TError{refused + "out of memory"};
    }
    if (PQstatus(conn) != CONNECTION_OK) {
        std::string message = refused + FirstLine(PQerrorMessage(conn));
        PQfinish(conn);
        return base::TError{std::move(message)};
    }
    auto store = std::make_unique<TPostgresStore>(address, printable, conn);
    if (auto ready = store->Setup(mode, refused); !ready.Ok()) {
        return base::TError{ready.Error()};
    }
    return std::unique_ptr<TArchiveStore>(std::move(store));
}

} // namespace glenvary::archive
