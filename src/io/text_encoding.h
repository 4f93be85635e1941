// SPDX-License-Identifier: MIT
// Glenvary readers: conversions between the bytes of files and the engine's
// UTF-16 text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace glenvary::io {

/// The outcome of decoding UTF-8: the text, or the byte offset (from 0) of
/// the first ill-formed sequence.
struct TUtf8Decoded {
    std::u16string text;
    bool valid = true;
    std::size_t badOffset = 0;
};

/// Decodes well-formed UTF-8 (RFC 3629: no overlong forms, no surrogates,
/// nothing above U+10FFFF) to UTF-16. Stops at the first ill-formed
/// sequence and reports where it starts. Nothing is dropped or replaced: a
/// byte order mark, CR and NUL come through as characters.
/// Input larger than 2^31 - 1 bytes is reported as ill-formed at that offset.
[[nodiscard]] TUtf8Decoded DecodeUtf8(std::string_view bytes);

/// Encodes UTF-16 as UTF-8. A lone surrogate, which no decoded file holds
/// but a slice of arbitrary text could, becomes U+FFFD.
/// Precondition: text.size() < 2^31 (every article is far below that).
[[nodiscard]] std::string EncodeUtf8(std::u16string_view text);
/// Encodes `text` as EncodeUtf8 does, at the end of `out`.
void AppendUtf8(std::string& out, std::u16string_view text);

/// `text` made safe to show as one line on a terminal or in a message:
/// control characters (U+0000 to U+001F, U+007F, and U+0080 to U+009F as
/// UTF-8 writes them) and bytes that are not UTF-8 become escapes, \n, \r
/// and \t for those three and \xHH for each byte of the others; all else
/// stays as it is. For file names in messages: a name holding a line break
/// or an escape sequence cannot break the line or drive the terminal.
[[nodiscard]] std::string EscapeControlCharacters(std::string_view text);

/// The encoding a plain-text file was decoded from.
enum class TTextEncoding { Utf8, Utf8WithBom, Utf16Le, Utf16Be, Windows1252 };

/// Plain text as decoded from a file's bytes.
struct TDecodedText {
    std::u16string text;
    TTextEncoding encoding = TTextEncoding::Utf8;
};

/// Decodes the bytes of a plain-text file. A byte order mark wins and is
/// dropped (UTF-8, UTF-16 LE, UTF-16 BE); otherwise well-formed UTF-8 is
/// UTF-8; otherwise the bytes are Windows-1252, the code page of the
/// program's first home, so that 0x92, 0x96 and 0xA0 arrive as U+2019, U+2013
/// and U+00A0. Where a byte order mark promises more than the bytes keep
/// (ill-formed UTF-8, an odd last byte of UTF-16, a lone surrogate) the
/// damage becomes U+FFFD. Line breaks are left as they are.
/// Cost: O(bytes). Precondition: bytes.size() < 2^31.
[[nodiscard]] TDecodedText DecodePlainText(std::string_view bytes);

/// Decodes `bytes` from the Windows code page `codePage` (1252, 1251, 932,
/// 65001...) through ICU. Bytes the code page does not define become U+FFFD.
/// Empty when ICU knows no such code page.
[[nodiscard]] std::optional<std::u16string> DecodeCodePage(std::string_view bytes, int codePage);

/// The Windows code page of a font's character set, as rich text names it
/// (\fcharsetN): 1251 for 204, 932 for 128 and so on; 0 where the font
/// follows the document's code page (ANSI, default, symbol, unknown).
[[nodiscard]] int CodePageOfCharset(std::int32_t charset) noexcept;

/// Whether a character of `codePage` may take several bytes (932, 936,
/// 949, 950, 65001...), so that its bytes are decoded together rather than
/// through a table of 256.
[[nodiscard]] bool IsMultiByteCodePage(int codePage) noexcept;

/// Whether `byte` opens a two-byte character of the multi-byte `codePage`,
/// so that the byte after it is its second half even when it is a plain
/// ASCII letter (Word writes "\'83e" for the katakana TE).
[[nodiscard]] bool IsLeadByte(int codePage, unsigned char byte) noexcept;

} // namespace glenvary::io
