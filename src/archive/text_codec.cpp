// SPDX-License-Identifier: MIT
#include "text_codec.h"

#include <zstd.h>

#include <memory>

namespace glenvary::archive {
namespace {

// Zstd's level 3 packs prose to about a third at some 300 MB/s; higher
// levels gain a few per cent of the archive for several times the time.
constexpr int kZstdLevel = 3;

std::string EncodeGeneralisedUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10U) + (text[i + 1] - 0xDC00U);
            ++i;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6U)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3FU)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12U)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6U) & 0x3FU)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3FU)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18U)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12U) & 0x3FU)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6U) & 0x3FU)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3FU)));
        }
    }
    return out;
}

// The inverse of EncodeGeneralisedUtf8 on what it wrote; other bytes give
// an error, as they can only come from a damaged archive.
bool DecodeGeneralisedUtf8(std::string_view bytes, std::u16string& out)
{
    out.clear();
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        std::size_t extra = 0;
        std::uint32_t c = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0U) == 0xC0) {
            extra = 1;
            c = b & 0x1FU;
        } else if ((b & 0xF0U) == 0xE0) {
            extra = 2;
            c = b & 0x0FU;
        } else if ((b & 0xF8U) == 0xF0) {
            extra = 3;
            c = b & 0x07U;
        } else {
            return false;
        }
        if (extra > bytes.size() - 1 - i) {
            return false;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0U) != 0x80) {
                return false;
            }
            c = (c << 6U) | (next & 0x3FU);
        }
        i += extra + 1;
        if (c >= 0x10000) {
            if (c > 0x10FFFF) {
                return false;
            }
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10U)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FFU)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
        if (out.size() > kMaxDocumentLength) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string PackText(std::u16string_view text)
{
    const std::string utf8 = EncodeGeneralisedUtf8(text);
    // One context a thread, kept: making one costs more than packing a page.
    // Its frames carry a checksum, so that a damaged text is told, not shown.
    thread_local const std::unique_ptr<ZSTD_CCtx, decltype(&ZSTD_freeCCtx)> context = [] {
        std::unique_ptr<ZSTD_CCtx, decltype(&ZSTD_freeCCtx)> made(ZSTD_createCCtx(), &ZSTD_freeCCtx);
        ZSTD_CCtx_setParameter(made.get(), ZSTD_c_compressionLevel, kZstdLevel);
        ZSTD_CCtx_setParameter(made.get(), ZSTD_c_checksumFlag, 1);
        return made;
    }();
    std::string packed(ZSTD_compressBound(utf8.size()), '\0');
    const std::size_t size = ZSTD_compress2(context.get(), packed.data(), packed.size(), utf8.data(), utf8.size());
    // Compressing into a buffer of ZSTD_compressBound bytes cannot fail.
    packed.resize(ZSTD_isError(size) ? 0 : size);
    return packed;
}

base::TResult<std::u16string> UnpackText(std::string_view packed)
{
    const unsigned long long size = ZSTD_getFrameContentSize(packed.data(), packed.size());
    // A text of n code units takes at most 3n bytes of UTF-8.
    if (size == ZSTD_CONTENTSIZE_ERROR || size == ZSTD_CONTENTSIZE_UNKNOWN || size > 3 * kMaxDocumentLength) {
        return base::TError{"a stored text is damaged"};
    }
    std::string utf8(static_cast<std::size_t>(size), '\0');
    const std::size_t got = ZSTD_decompress(utf8.data(), utf8.size(), packed.data(), packed.size());
    if (ZSTD_isError(got) || got != utf8.size()) {
        return base::TError{"a stored text is damaged"};
    }
    std::u16string text;
    if (!DecodeGeneralisedUtf8(utf8, text)) {
        return base::TError{"a stored text is damaged"};
    }
    return text;
}

} // namespace glenvary::archive
