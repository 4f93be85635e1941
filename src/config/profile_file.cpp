// SPDX-License-Identifier: MIT
#include "config/profile_file.h"

#include "io/text_encoding.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

namespace glenvary::config {
namespace {

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

std::u16string_view TrimBlanks(std::u16string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::u16string_view Unquote(std::u16string_view text)
{
    if (text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'') && text.back() == text.front()) {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

/// The first kMaxProfileValueChars code points of `text`; a surrogate pair
/// counts as one character and is never split.
std::u16string_view CutValue(std::u16string_view text)
{
    std::size_t units = 0;
    for (std::size_t chars = 0; units < text.size() && chars < kMaxProfileValueChars; ++chars) {
        const bool pair = text[units] >= 0xD800 && text[units] <= 0xDBFF && units + 1 < text.size()
            && text[units + 1] >= 0xDC00 && text[units + 1] <= 0xDFFF;
        units += pair ? 2 : 1;
    }
    return text.substr(0, units);
}

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

TProfileFile TProfileFile::Parse(std::string_view bytes)
{
    // The shared plain-text decoder already skips a byte order mark and
    // falls back to Windows-1252 for bytes that are not UTF-8.
    const std::u16string text = io::DecodePlainText(bytes).text;
    TProfileFile file;
    TSection* current = nullptr;
    std::u16string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find(u'\n');
        std::u16string_view line = rest.substr(0, end);
        rest = end == std::u16string_view::npos ? std::u16string_view() : rest.substr(end + 1);
        line = line.substr(0, line.find(u'\0'));
        if (!line.empty() && line.back() == u'\r') {
            line.remove_suffix(1);
        }
        line = TrimBlanks(line);
        if (!line.empty() && line.front() == u'[') {
            const std::size_t close = line.find(u']');
            const auto name = TrimBlanks(line.substr(1, close == std::u16string_view::npos ? line.npos : close - 1));
            current = &file.sections_.emplace_back(TSection{io::EncodeUtf8(name), {}});
            continue;
        }
        const std::size_t equals = line.find(u'=');
        if (current == nullptr || equals == std::u16string_view::npos) {
            continue;
        }
        const auto value = CutValue(Unquote(TrimBlanks(line.substr(equals + 1))));
        current->entries.emplace_back(io::EncodeUtf8(TrimBlanks(line.substr(0, equals))), io::EncodeUtf8(value));
    }
    return file;
}

base::TResult<TProfileFile> TProfileFile::Load(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return base::TError{"cannot read " + path.string() + ": the file cannot be opened"};
    }
    std::error_code ec;
    if (const auto size = std::filesystem::file_size(path, ec); !ec && size > kMaxProfileBytes) {
        return base::TError{"cannot read " + path.string() + ": larger than 1 MiB"};
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        return base::TError{"cannot read " + path.string() + ": reading failed part-way"};
    }
    return Parse(bytes);
}

std::string TProfileFile::ReadString(std::string_view section, std::string_view key) const
{
    const auto found = std::find_if(sections_.begin(), sections_.end(),
                                    [&](const TSection& s) { return SameIgnoringAsciiCase(s.name, section); });
    if (found == sections_.end()) {
        return {};
    }
    for (const auto& [name, value] : found->entries) {
        if (SameIgnoringAsciiCase(name, key)) {
            return value;
        }
    }
    return {};
}

} // namespace glenvary::config
