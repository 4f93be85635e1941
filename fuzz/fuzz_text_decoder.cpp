// SPDX-License-Identifier: MIT
// Glenvary: fuzz target for the plain-text decoder and the UTF-8 codec.
//
// Input: the bytes of a plain-text file. Well-formed UTF-8 must come back
// byte for byte through the encoder; ill-formed UTF-8 must be valid up to
// the offset the decoder names; whatever the bytes, the decoded text holds
// no lone surrogate, and the encoder turns any UTF-16 (the same bytes read
// as UTF-16) into well-formed UTF-8.
#include "io/text_encoding.h"

#include "fuzz_check.h"

#include <array>
#include <cstring>

using namespace glenvary;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzz::Bytes(data, size);

    const io::TUtf8Decoded utf8 = io::DecodeUtf8(bytes);
    if (utf8.valid) {
        Check(io::EncodeUtf8(utf8.text) == bytes);
    } else {
        Check(utf8.badOffset < size);
        Check(io::DecodeUtf8(bytes.substr(0, utf8.badOffset)).valid);
    }

    const io::TDecodedText plain = io::DecodePlainText(bytes);
    Check(fuzz::IsWellFormedUtf16(plain.text));
    const bool marked = bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE")
        || bytes.starts_with("\xFE\xFF");
    if (!marked) {
        Check(plain.encoding == (utf8.valid ? io::TTextEncoding::Utf8 : io::TTextEncoding::Windows1252));
        Check(!utf8.valid || plain.text == utf8.text);
        Check(utf8.valid || plain.text.size() == size);
    }

    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * 2);
    Check(io::DecodeUtf8(io::EncodeUtf8(units)).valid);

    // The code pages that rich text names most; one per input, chosen by
    // its length, so that the converters' cost stays small.
    static constexpr std::array<int, 6> kCodePages = {1252, 1251, 932, 936, 950, 65001};
    const auto decoded = io::DecodeCodePage(bytes, kCodePages[size % kCodePages.size()]);
    Check(decoded.has_value());
    return 0;
}
