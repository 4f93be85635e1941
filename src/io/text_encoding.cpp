// SPDX-License-Identifier: MIT
#include "io/text_encoding.h"

#include <unicode/ucnv.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>

namespace glenvary::io {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

struct TConverterCloser {
    void operator()(UConverter* converter) const noexcept { ucnv_close(converter); }
};
using TConverter = std::unique_ptr<UConverter, TConverterCloser>;

// Decodes through the ICU converter named `name`, each undecodable byte
// sequence becoming U+FFFD. Empty when ICU has no such converter.
std::optional<std::u16string> DecodeWith(const char* name, std::string_view bytes)
{
    UErrorCode status = U_ZERO_ERROR;
    const TConverter converter(ucnv_open(name, &status));
    if (U_FAILURE(status) || !converter) {
        return std::nullopt;
    }
    // ICU's default substitute for an undefined byte is U+001A (SUB), a
    // control character that would read as a word break nobody typed.
    const UChar replacement[] = {0xFFFD};
    status = U_ZERO_ERROR;
    ucnv_setSubstString(converter.get(), replacement, 1, &status);
    std::u16string text;
    // Every encoding a text file uses gives at most one UTF-16 unit per
    // byte; the second call below is only a safety net.
    text.resize(bytes.size() + 1);
    status = U_ZERO_ERROR;
    const std::int32_t length = ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(text.data()),
                                              static_cast<std::int32_t>(text.size()), bytes.data(),
                                              static_cast<std::int32_t>(bytes.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        text.resize(static_cast<std::size_t>(length) + 1);
        status = U_ZERO_ERROR;
        ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(text.data()),
                      static_cast<std::int32_t>(text.size()), bytes.data(),
                      static_cast<std::int32_t>(bytes.size()), &status);
    }
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    text.resize(static_cast<std::size_t>(length));
    return text;
}

} // namespace

TUtf8Decoded DecodeUtf8(std::string_view bytes)
{
    TUtf8Decoded decoded;
    // ICU's macros index with int32_t.
    constexpr std::size_t kMaxBytes = std::numeric_limits<std::int32_t>::max();
    if (bytes.size() > kMaxBytes) {
        decoded.valid = false;
        decoded.badOffset = kMaxBytes;
        return decoded;
    }
    // Never more code units than bytes: the text is sized once and written
    // through a pointer, then cut to what was written.
    decoded.text.resize(bytes.size());
    char16_t* out = decoded.text.data();
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto length = static_cast<std::int32_t>(bytes.size());
    std::int32_t i = 0;
    while (i < length) {
        if (data[i] < 0x80) {
            *out++ = data[i++];
            continue;
        }
        const std::int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(data, i, length, c);
        if (c < 0) {
            decoded.valid = false;
            decoded.badOffset = static_cast<std::size_t>(start);
            decoded.text.clear();
            return decoded;
        }
        if (c <= 0xFFFF) {
            *out++ = static_cast<char16_t>(c);
        } else {
            *out++ = static_cast<char16_t>(U16_LEAD(c));
            *out++ = static_cast<char16_t>(U16_TRAIL(c));
        }
    }
    decoded.text.resize(static_cast<std::size_t>(out - decoded.text.data()));
    return decoded;
}

std::string EncodeUtf8(std::u16string_view text)
{
    std::string out;
    AppendUtf8(out, text);
    return out;
}

void AppendUtf8(std::string& out, std::u16string_view text)
{
    out.reserve(out.size() + text.size());
    const auto* units = reinterpret_cast<const UChar*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t i = 0;
    while (i < length) {
        if (units[i] < 0x80) {
            out.push_back(static_cast<char>(units[i++]));
            continue;
        }
        UChar32 c = 0;
        U16_NEXT(units, i, length, c);
        if (U_IS_SURROGATE(c)) {
            c = 0xFFFD;
        }
        std::uint8_t buffer[U8_MAX_LENGTH];
        std::int32_t n = 0;
        U8_APPEND_UNSAFE(buffer, n, c);
        out.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
    }
}

std::string EscapeControlCharacters(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size());
    const auto escapeByte = [&escaped](unsigned char byte) {
        escaped += "\\x";
        escaped.push_back(kHex[byte >> 4]);
        escaped.push_back(kHex[byte & 0xF]);
    };
    // ICU's macros index with int32_t; a name is never near that long.
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
    std::int32_t at = 0;
    while (at < length) {
        const std::int32_t start = at;
        UChar32 c = 0;
        U8_NEXT(data, at, length, c);
        if (c >= 0x20 && c != 0x7F && (c < 0x80 || c > 0x9F)) {
            escaped.append(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(at - start)));
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\r') {
            escaped += "\\r";
        } else if (c == '\t') {
            escaped += "\\t";
        } else {
            // A control character, or the bytes of a sequence that is no
            // UTF-8 (U8_NEXT gives c < 0 and moves past them).
            for (std::int32_t i = start; i < at; ++i) {
                escapeByte(static_cast<unsigned char>(text[static_cast<std::size_t>(i)]));
            }
        }
    }
    return escaped;
}

TDecodedText DecodePlainText(std::string_view bytes)
{
    TDecodedText decoded;
    const auto decodeOrEmpty = [](const char* name, std::string_view rest) {
        return DecodeWith(name, rest).value_or(std::u16string());
    };
    if (bytes.starts_with(kUtf8Bom)) {
        decoded.encoding = TTextEncoding::Utf8WithBom;
        decoded.text = decodeOrEmpty("UTF-8", bytes.substr(kUtf8Bom.size()));
    } else if (bytes.starts_with(kUtf16LeBom)) {
        decoded.encoding = TTextEncoding::Utf16Le;
        decoded.text = decodeOrEmpty("UTF-16LE", bytes.substr(kUtf16LeBom.size()));
    } else if (bytes.starts_with(kUtf16BeBom)) {
        decoded.encoding = TTextEncoding::Utf16Be;
        decoded.text = decodeOrEmpty("UTF-16BE", bytes.substr(kUtf16BeBom.size()));
    } else if (TUtf8Decoded utf8 = DecodeUtf8(bytes); utf8.valid) {
        decoded.encoding = TTextEncoding::Utf8;
        decoded.text = std::move(utf8.text);
    } else {
        decoded.encoding = TTextEncoding::Windows1252;
        decoded.text = decodeOrEmpty("windows-1252", bytes);
    }
    return decoded;
}

std::optional<std::u16string> DecodeCodePage(std::string_view bytes, int codePage)
{
    if (codePage == 65001) {
        return DecodeWith("UTF-8", bytes);
    }
    if (codePage <= 0) {
        return std::nullopt;
    }
    const std::string name = "windows-" + std::to_string(codePage);
    if (std::optional<std::u16string> text = DecodeWith(name.c_str(), bytes)) {
        return text;
    }
    // The Far East code pages (932, 936, 949, 950) and the OEM ones are known
    // to ICU by their IBM names.
    const std::string ibm = "ibm-" + std::to_string(codePage);
    return DecodeWith(ibm.c_str(), bytes);
}

int CodePageOfCharset(std::int32_t charset) noexcept
{
    switch (charset) {
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return 0;
    }
}

bool IsMultiByteCodePage(int codePage) noexcept
{
    switch (codePage) {
    case 932: case 936: case 949: case 950: case 1361: case 10001: case 10002: case 10003:
    case 10008: case 20932: case 51932: case 51936: case 51949: case 54936: case 65001:
        return true;
    default:
        return false;
    }
}

bool IsLeadByte(int codePage, unsigned char byte) noexcept
{
    switch (codePage) {
    case 932:
    case 10001:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 1361:
        return (byte >= 0x84 && byte <= 0xD3) || (byte >= 0xD8 && byte <= 0xDE) || (byte >= 0xE0 && byte <= 0xF9);
    case 65001:
        return false; // UTF-8 continues only with bytes above 0x7F
    default:
        return byte >= 0x81 && byte <= 0xFE;
    }
}

} // namespace glenvary::io
