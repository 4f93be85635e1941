// SPDX-License-Identifier: MIT
// Helpers shared by the tests of several layers: gzip compression, for the
// skins that tests make.
#pragma once

#include <zlib.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace glenvary::test {

/// `text` compressed into one gzip member, as `gzip -9` writes it.
inline std::string Gzip(std::string_view text)
{
    z_stream stream{};
    // 15 + 16 window bits: write the gzip wrapper, as the gzip tool does.
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("zlib cannot start compressing");
    }
    std::string out(deflateBound(&stream, static_cast<uLong>(text.size())) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (status != Z_STREAM_END) {
        throw std::runtime_error("zlib cannot compress");
    }
    return out;
}

} // namespace glenvary::test
