// SPDX-License-Identifier: MIT
// Glenvary: a zip package of stored (uncompressed) parts, written by hand so
// that a fuzz target can wrap the XML it is given in a package with the
// right checksums, which mutation alone almost never produces.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace glenvary::fuzz {

namespace detail {

inline void Put(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFU));
    }
}

} // namespace detail

/// The bytes of a zip package holding `parts` ({name, data}) stored as they
/// are, in order. Parts must be under 4 GiB and fewer than 65,536.
inline std::string StoredZip(const std::vector<std::pair<std::string, std::string_view>>& parts)
{
    using detail::Put;
    std::string body;
    std::string directory;
    for (const auto& [name, data] : parts) {
        const auto crc = static_cast<std::uint32_t>(
            crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
        const auto size = static_cast<std::uint32_t>(data.size());
        const auto nameLength = static_cast<std::uint32_t>(name.size());
        const auto offset = static_cast<std::uint32_t>(body.size());
        Put(body, 0x04034B50, 4);
        Put(body, 20, 2);
        Put(body, 0, 2);
        Put(body, 0, 2);
        Put(body, 0, 4);
        Put(body, crc, 4);
        Put(body, size, 4);
        Put(body, size, 4);
        Put(body, nameLength, 2);
        Put(body, 0, 2);
        body += name;
        body += data;
        Put(directory, 0x02014B50, 4);
        Put(directory, 20, 2);
        Put(directory, 20, 2);
        Put(directory, 0, 2);
        Put(directory, 0, 2);
        Put(directory, 0, 4);
        Put(directory, crc, 4);
        Put(directory, size, 4);
        Put(directory, size, 4);
        Put(directory, nameLength, 2);
        Put(directory, 0, 2);
        Put(directory, 0, 2);
        Put(directory, 0, 2);
        Put(directory, 0, 2);
        Put(directory, 0, 4);
        Put(directory, offset, 4);
        directory += name;
    }
    const auto count = static_cast<std::uint32_t>(parts.size());
    std::string out = body + directory;
    Put(out, 0x06054B50, 4);
    Put(out, 0, 2);
    Put(out, 0, 2);
    Put(out, count, 2);
    Put(out, count, 2);
    Put(out, static_cast<std::uint32_t>(directory.size()), 4);
    Put(out, static_cast<std::uint32_t>(body.size()), 4);
    Put(out, 0, 2);
    return out;
}

} // namespace glenvary::fuzz
