// SPDX-License-Identifier: MIT
#include "config/skin.h"

#include "io/text_encoding.h"

#include <zlib.h>

#include <array>
#include <fstream>
#include <system_error>
#include <iterator>

namespace glenvary::config {
namespace {

/// zlib's window size with 16 added: accept the gzip wrapper only.
constexpr int kGzipOnlyWindowBits = 15 + 16;

/// Unpacked bytes per inflate call; small enough for the stack.
constexpr std::size_t kChunkBytes = 64 * 1024;

class TInflater {
public:
    TInflater() { ok_ = inflateInit2(&stream_, kGzipOnlyWindowBits) == Z_OK; }
    ~TInflater() { inflateEnd(&stream_); }
    TInflater(const TInflater&) = delete;
    TInflater& operator=(const TInflater&) = delete;

    [[nodiscard]] bool Ok() const { return ok_; }
    z_stream& Stream() { return stream_; }

private:
    z_stream stream_{};
    bool ok_ = false;
};

bool HasGzipMagic(std::string_view bytes)
{
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1F
        && static_cast<unsigned char>(bytes[1]) == 0x8B;
}

} // namespace

base::TResult<std::string> UnpackSkin(std::string_view compressed)
{
    if (!HasGzipMagic(compressed)) {
        return base::TError{"not a gzip-compressed file"};
    }
    // gzip packs a style sheet smaller than its text, so packed data over the
    // limit is refused as it stands; this also keeps its size within zlib's
    // 32-bit counters.
    if (compressed.size() > kMaxSkinBytes) {
        return base::TError{"the file is larger than 4 MiB"};
    }
    TInflater inflater;
    if (!inflater.Ok()) {
        return base::TError{"the decompressor could not start"};
    }
    z_stream& stream = inflater.Stream();
    // zlib's interface takes a non-const pointer but never writes the input.
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    stream.avail_in = static_cast<uInt>(compressed.size());

    std::string unpacked;
    std::array<unsigned char, kChunkBytes> chunk{};
    for (;;) {
        stream.next_out = chunk.data();
        stream.avail_out = static_cast<uInt>(chunk.size());
        const int status = inflate(&stream, Z_NO_FLUSH);
        const std::size_t produced = chunk.size() - stream.avail_out;
        if (unpacked.size() + produced > kMaxSkinBytes) {
            return base::TError{"it unpacks to more than 4 MiB"};
        }
        unpacked.append(reinterpret_cast<const char*>(chunk.data()), produced);
        if (status == Z_STREAM_END) {
            // gzip allows several members one after another, as `cat a.gz
            // b.gz` makes; anything else after the end is damage.
            if (stream.avail_in == 0) {
                break;
            }
            const std::string_view rest(reinterpret_cast<const char*>(stream.next_in), stream.avail_in);
            if (!HasGzipMagic(rest) || inflateReset(&stream) != Z_OK) {
                return base::TError{"the compressed data is damaged"};
            }
            continue;
        }
        // Every output chunk starts empty, so anything but progress means
        // bad data, or (Z_BUF_ERROR) input that ends before the stream does.
        if (status != Z_OK) {
            return base::TError{"the compressed data is damaged"};
        }
    }
    return io::EncodeUtf8(io::DecodePlainText(unpacked).text);
}

base::TResult<std::string> ReadSkinFile(const std::filesystem::path& path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    if (ec || !in) {
        return base::TError{"cannot use skin " + path.string() + ": the file cannot be opened"};
    }
    if (size > kMaxSkinBytes) {
        return base::TError{"cannot use skin " + path.string() + ": the file is larger than 4 MiB"};
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto unpacked = UnpackSkin(bytes);
    if (!unpacked) {
        return base::TError{"cannot use skin " + path.string() + ": " + unpacked.Error()};
    }
    return unpacked;
}

} // namespace glenvary::config
