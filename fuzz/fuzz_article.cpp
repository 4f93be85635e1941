// SPDX-License-Identifier: MIT
// Glenvary: fuzz target for the choice of reader by content and the readers
// behind it, as Import and the command line call them.
//
// Input: the bytes of a file. Every format is read except the two that only
// LibreOffice reads (an OLE2 or WordPerfect signature), which would start a
// process per input; the converter has tests and a bad-input table of its
// own. The result is refused with "cannot read NAME: ..." or is a document
// with no CR LF left and runs that keep their promises. The input is also
// taken as a path for the ".doc anywhere" rule, held against a plain
// search of the lower-cased path.
#include "io/article_file.h"

#include "fuzz_check.h"

using namespace glenvary;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzz::Bytes(data, size);

    std::string lowered(bytes);
    for (char& c : lowered) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    Check(io::TakesWordProcessorRoute(bytes) == (lowered.find(".doc") != std::string::npos));

    const io::TArticleFormat format = io::DetectArticleFormat(bytes);
    if (format == io::TArticleFormat::WordDocument || format == io::TArticleFormat::WordPerfect) {
        return 0;
    }
    const base::TResult<io::TArticleDocument> read = io::ReadArticleBytesInProcess(bytes, "fuzz.bin");
    if (!read) {
        Check(read.Error().starts_with("cannot read fuzz.bin: "));
        Check(format != io::TArticleFormat::PlainText);
        return 0;
    }
    Check(format != io::TArticleFormat::NotText);
    const io::TArticleDocument& document = read.Value();
    fuzz::CheckDocument(document);
    Check(document.text.find(u"\r\n") == std::u16string::npos);
    return 0;
}
