// SPDX-License-Identifier: MIT
// Glenvary: fuzz target for the rich-text reader.
//
// Input: the bytes of a rich-text file. The reader either refuses it with
// one of its documented reasons or gives a document that keeps every
// promise: runs in order inside the text, well-formed UTF-16, and no
// control character but tab and line feed.
#include "io/rtf_reader.h"

#include "fuzz_check.h"

using namespace glenvary;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzz::Bytes(data, size);
    const base::TResult<io::TArticleDocument> read = io::ReadRichText(bytes);
    if (!read) {
        fuzz::CheckOneOf(read.Error(), {"not a rich-text file", "nested deeper than 256 groups"});
        Check(io::IsRichText(bytes) || read.Error() == "not a rich-text file");
        return 0;
    }
    Check(io::IsRichText(bytes));
    const io::TArticleDocument& document = read.Value();
    fuzz::CheckDocument(document);
    Check(fuzz::IsWellFormedUtf16(document.text));
    for (const char16_t c : document.text) {
        Check(c >= 0x20 || c == u'\t' || c == u'\n');
    }
    return 0;
}
