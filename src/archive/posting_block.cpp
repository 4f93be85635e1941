// SPDX-License-Identifier: MIT
#include "posting_block.h"

#include <algorithm>

namespace glenvary::archive {
namespace {

void PutNumber(std::string& out, std::uint64_t value)
{
    while (value >= 0x80) {
        out.push_back(static_cast<char>((value & 0x7FU) | 0x80U));
        value >>= 7U;
    }
    out.push_back(static_cast<char>(value));
}

} // namespace

TBlockWriter::TBlockWriter(std::function<void(TPackedBlock&&)> sink) : sink_(std::move(sink)) {}

void TBlockWriter::Add(const TPosting& posting)
{
    const bool sameFingerprint = block_.postings > 0 && posting.fingerprint == previous_.fingerprint;
    if (!sameFingerprint && block_.bytes.size() >= kBlockBytes) {
        Finish();
    }
    if (block_.postings == 0) {
        block_.firstFingerprint = posting.fingerprint;
        previous_ = TPosting{};
    }
    const std::uint64_t fingerprintStep = posting.fingerprint - previous_.fingerprint;
    PutNumber(block_.bytes, fingerprintStep);
    const bool sameDocument = fingerprintStep == 0 && posting.document == previous_.document;
    PutNumber(block_.bytes, fingerprintStep == 0 ? posting.document - previous_.document : posting.document);
    PutNumber(block_.bytes, sameDocument ? posting.position - previous_.position : posting.position);
    previous_ = posting;
    ++block_.postings;
}

void TBlockWriter::Finish()
{
    if (block_.postings > 0) {
        sink_(std::move(block_));
    }
    block_ = TPackedBlock{};
    block_.bytes.reserve(kBlockBytes + 32);
}

std::vector<TPackedBlock> PackPostings(std::span<const TPosting> sorted)
{
    std::vector<TPackedBlock> blocks;
    TBlockWriter writer([&blocks](TPackedBlock&& block) { blocks.push_back(std::move(block)); });
    for (const TPosting& posting : sorted) {
        writer.Add(posting);
    }
    writer.Finish();
    return blocks;
}

bool TBlockReader::ReadNumber(std::uint64_t& value) noexcept
{
    value = 0;
    for (unsigned shift = 0; shift < 64; shift += 7) {
        if (offset_ >= bytes_.size()) {
            damaged_ = true;
            return false;
        }
        const auto byte = static_cast<unsigned char>(bytes_[offset_++]);
        value |= std::uint64_t{byte & 0x7FU} << shift;
        if ((byte & 0x80U) == 0) {
            return true;
        }
    }
    damaged_ = true;
    return false;
}

bool TBlockReader::Next(TPosting& posting) noexcept
{
    if (offset_ >= bytes_.size()) {
        return false;
    }
    std::uint64_t fingerprintStep = 0;
    std::uint64_t document = 0;
    std::uint64_t position = 0;
    if (!ReadNumber(fingerprintStep) || !ReadNumber(document) || !ReadNumber(position)) {
        return false;
    }
    posting.fingerprint = previous_.fingerprint + fingerprintStep;
    if (fingerprintStep == 0) {
        document += previous_.document;
        if (document == previous_.document) {
            position += previous_.position;
        }
    }
    if (document > UINT32_MAX || position > UINT32_MAX) {
        damaged_ = true;
        return false;
    }
    posting.document = static_cast<std::uint32_t>(document);
    posting.position = static_cast<std::uint32_t>(position);
    previous_ = posting;
    return true;
}

std::string PackDirectory(std::span<const std::uint64_t> firstFingerprints)
{
    std::string bytes;
    std::uint64_t previous = 0;
    for (const std::uint64_t fingerprint : firstFingerprints) {
        PutNumber(bytes, fingerprint - previous);
        previous = fingerprint;
    }
    return bytes;
}

std::optional<std::vector<std::uint64_t>> UnpackDirectory(std::string_view bytes)
{
    std::vector<std::uint64_t> fingerprints;
    std::uint64_t value = 0;
    unsigned shift = 0;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (shift >= 64) {
            return std::nullopt;
        }
        value |= std::uint64_t{byte & 0x7FU} << shift;
        shift += 7;
        if ((byte & 0x80U) == 0) {
            fingerprints.push_back((fingerprints.empty() ? 0 : fingerprints.back()) + value);
            value = 0;
            shift = 0;
        }
    }
    if (shift != 0) {
        return std::nullopt;
    }
    return fingerprints;
}

bool FindInBlock(std::string_view bytes, std::span<const std::uint64_t> wanted, std::vector<TPosting>& out)
{
    TBlockReader reader(bytes);
    TPosting posting;
    std::size_t next = 0;
    while (next < wanted.size() && reader.Next(posting)) {
        while (next < wanted.size() && wanted[next] < posting.fingerprint) {
            ++next;
        }
        if (next < wanted.size() && wanted[next] == posting.fingerprint) {
            out.push_back(posting);
        }
    }
    return !reader.Damaged();
}

} // namespace glenvary::archive
