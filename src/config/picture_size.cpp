// SPDX-License-Identifier: MIT
#include "config/picture_size.h"

#include <algorithm>
#include <cstdlib>

namespace glenvary::config {
namespace {

class TBytes {
public:
    explicit TBytes(std::string_view bytes) : bytes_(bytes.substr(0, std::min(bytes.size(), kMaxPictureHeaderWalk))) {}

    [[nodiscard]] bool Has(std::size_t count) const noexcept { return at_ + count <= bytes_.size(); }
    [[nodiscard]] std::uint32_t Byte(std::size_t offset) const noexcept
    {
        return static_cast<unsigned char>(bytes_[at_ + offset]);
    }
    [[nodiscard]] std::uint32_t Word(std::size_t offset) const noexcept
    {
        return Byte(offset) | Byte(offset + 1) << 8;
    }
    [[nodiscard]] std::int32_t Dword(std::size_t offset) const noexcept
    {
        return static_cast<std::int32_t>(Word(offset) | Word(offset + 2) << 16);
    }
    void Skip(std::size_t count) noexcept { at_ = std::min(at_ + count, bytes_.size()); }
    [[nodiscard]] bool AtEnd() const noexcept { return at_ >= bytes_.size(); }

    // Skips a chain of data sub-blocks, each led by its length, up to the
    // empty one that ends it.
    void SkipSubBlocks() noexcept
    {
        while (Has(1)) {
            const std::uint32_t length = Byte(0);
            Skip(1 + length);
            if (length == 0) {
                return;
            }
        }
    }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

TPictureSize GifSize(std::string_view bytes)
{
    TBytes gif(bytes);
    if (!gif.Has(13) || !bytes.starts_with("GIF8")) {
        return {};
    }
    TPictureSize size{gif.Word(6), gif.Word(8)};
    const std::uint32_t screenFlags = gif.Byte(10);
    gif.Skip(13);
    if ((screenFlags & 0x80U) != 0) {
        gif.Skip(3U << ((screenFlags & 7U) + 1));
    }
    while (gif.Has(1)) {
        const std::uint32_t introducer = gif.Byte(0);
        if (introducer == 0x21) {
            gif.Skip(2);
            gif.SkipSubBlocks();
        } else if (introducer == 0x2C && gif.Has(10)) {
            size.width = std::max<std::int64_t>(size.width, std::int64_t{gif.Word(1)} + gif.Word(5));
            size.height = std::max<std::int64_t>(size.height, std::int64_t{gif.Word(3)} + gif.Word(7));
            const std::uint32_t imageFlags = gif.Byte(9);
            gif.Skip(10);
            if ((imageFlags & 0x80U) != 0) {
                gif.Skip(3U << ((imageFlags & 7U) + 1));
            }
            // The LZW minimum code size, then the image data.
            gif.Skip(1);
            gif.SkipSubBlocks();
        } else {
            // The trailer, or bytes that no decoder reads further.
            break;
        }
    }
    return size;
}

TPictureSize BmpSize(std::string_view bytes)
{
    const TBytes bmp(bytes);
    if (!bmp.Has(26) || !bytes.starts_with("BM")) {
        return {};
    }
    // An OS/2 core header (12 bytes) holds 16-bit sides; every later header
    // 32-bit ones, the height negative for a top-down picture.
    if (bmp.Dword(14) == 12) {
        return {bmp.Word(18), bmp.Word(20)};
    }
    return {std::llabs(bmp.Dword(18)), std::llabs(bmp.Dword(22))};
}

} // namespace

TPictureSize ClaimedPictureSize(std::string_view bytes, std::string_view format) noexcept
{
    if (format == "gif") {
        return GifSize(bytes);
    }
    if (format == "bmp") {
        return BmpSize(bytes);
    }
    return {};
}

} // namespace glenvary::config
