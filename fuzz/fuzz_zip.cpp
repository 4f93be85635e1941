// SPDX-License-Identifier: MIT
// Glenvary: fuzz target for the Office Open XML and OpenDocument readers.
//
// Input: the bytes of a package when they start with "PK"; otherwise byte 0
// picks the format (even: .docx, odd: .odt) and the rest is its main XML
// part, which the target wraps in a package with correct checksums, so that
// the fuzzer reaches the XML walkers as well as the zip layer. The reader
// either refuses with one of its documented reasons or gives a document
// whose runs keep their promises.
#include "io/zip_document.h"

#include "fuzz_check.h"
#include "zip_pack.h"

using namespace glenvary;
using fuzz::Check;

namespace {

constexpr std::string_view kRelationships =
    R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/)"
    R"(officeDocument" Target="word/document.xml"/></Relationships>)";

std::string Package(std::string_view bytes)
{
    if (bytes.starts_with("PK") || bytes.empty()) {
        return std::string(bytes);
    }
    const std::string_view part = bytes.substr(1);
    if (static_cast<unsigned char>(bytes[0]) % 2 == 0) {
        return fuzz::StoredZip({{"_rels/.rels", kRelationships}, {"word/document.xml", part}});
    }
    return fuzz::StoredZip({{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", part}});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string package = Package(fuzz::Bytes(data, size));
    const base::TResult<io::TArticleDocument> read = io::ReadZipDocument(package);
    if (!read) {
        fuzz::CheckOneOf(read.Error(), {"not a zip package", "the zip package is damaged",
                                        "not a word-processor document", "the document part is missing",
                                        "the document part is not well-formed XML",
                                        "unpacks to more than 256 MiB (a zip bomb?)",
                                        "its XML needs more than 256 MiB to hold (an XML bomb?)"});
        return 0;
    }
    fuzz::CheckDocument(read.Value());
    return 0;
}
