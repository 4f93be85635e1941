// SPDX-License-Identifier: MIT
#include "io/pdf_reader.h"

#include "io/text_encoding.h"

#include "pdf_builder.h"
#include "support/libreoffice.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace glenvary::io {
namespace {

using test::HandMadePdf;
using test::PdfStream;

// Two pages: a wrapped paragraph and a short one on the first; on the
// second a double-spaced paragraph, then a single-spaced one, so that the
// page has narrower line gaps than the double-spaced lines.
constexpr const char* kFirst =
    "The first paragraph is long enough to wrap over several lines of the page, so that the reader has to "
    "join the lines of one paragraph with single spaces. It goes on a little longer still, to be sure.";
constexpr const char* kSecond = "A short second paragraph.";
constexpr const char* kThird =
    "The third paragraph starts the second page and is double-spaced, which leaves wide gaps between its "
    "lines that must still not end it.";
constexpr const char* kFourth =
    "The fourth paragraph is single-spaced again and long enough to take two lines of the page, closing the "
    "article.";

std::string FlatOdt()
{
    return std::string(R"(<?xml version="1.0" encoding="UTF-8"?>)"
                       R"(<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
                       R"( xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0")"
                       R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0")"
                       R"( xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0")"
                       R"( office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">)"
                       R"(<office:automatic-styles><style:style style:name="D" style:family="paragraph">)"
                       R"(<style:paragraph-properties fo:break-before="page" fo:line-height="200%"/>)"
                       R"(</style:style></office:automatic-styles><office:body><office:text><text:p>)") +
           kFirst + "</text:p><text:p>" + kSecond + R"(</text:p><text:p text:style-name="D">)" + kThird +
           "</text:p><text:p>" + kFourth + "</text:p></office:text></office:body></office:document>";
}

// The fixture PDF, converted by LibreOffice once per test program and only
// when a test asks for it; empty when the conversion failed.
const std::optional<std::string>& LibreOfficePdf()
{
    static const std::optional<std::string> pdf =
        glenvary::test::ConvertWithLibreOffice("article.fodt", FlatOdt(), "pdf");
    return pdf;
}

TEST(PdfReader, ReadsParagraphsAndPagesInOrder)
{
    if (!glenvary::test::HasLibreOffice()) {
        GTEST_SKIP() << glenvary::test::kNoLibreOffice;
    }
    const std::optional<std::string>& pdf = LibreOfficePdf();
    ASSERT_TRUE(pdf.has_value()) << "LibreOffice did not write the PDF";
    ASSERT_TRUE(IsPdf(*pdf));
    const base::TResult<TArticleDocument> read = ReadPdf(*pdf);
    ASSERT_TRUE(read.Ok()) << read.Error();
    EXPECT_EQ(EncodeUtf8(read.Value().text),
              std::string(kFirst) + "\n" + kSecond + "\n" + kThird + "\n" + kFourth);
}

TEST(PdfReader, RefusesWhatItCannotRead)
{
    const std::vector<std::string> emptyPage = {"<< /Type /Catalog /Pages 2 0 R >>",
                                                "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                                "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>"};
    std::vector<std::string> locked = emptyPage;
    // Keys that match no password: the empty user password fails.
    const std::string key = "<" + std::string(64, '0') + ">";
    locked.push_back("<< /Filter /Standard /V 1 /R 2 /O " + key + " /U " + key + " /P -4 >>");
    const std::string id = "<" + std::string(32, '1') + ">";
    const struct {
        const char* name;
        std::string pdf;
        std::string error;
    } cases[] = {
        {"garbage after the header", "%PDF-1.4\nthis is no PDF at all\n", "the PDF is damaged"},
        {"an empty page", HandMadePdf(emptyPage), "the PDF has no text layer (a scanned document?)"},
        {"a password", HandMadePdf(locked, "/Encrypt 4 0 R /ID [" + id + " " + id + "] "), "the PDF is encrypted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const base::TResult<TArticleDocument> read = ReadPdf(c.pdf);
        ASSERT_FALSE(read.Ok());
        EXPECT_EQ(read.Error(), c.error);
    }
}

TEST(PdfReader, ReadsThePagesTheTreeHoldsWhateverItsCountSays)
{
    const std::string page = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 6 0 R >> >>";
    const std::vector<std::pair<const char*, std::string>> counts = {
        {"as many as there are", "2"},
        {"fewer", "1"},
        {"none", "0"},
        {"more than the objects in the file", "9"},
        {"not a number", "/Two"},
    };
    for (const auto& [name, count] : counts) {
        SCOPED_TRACE(name);
        const std::string pdf = HandMadePdf({"<< /Type /Catalog /Pages 2 0 R >>",
                                             "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count " + count + " >>",
                                             page + " /Contents 5 0 R >>", page + " /Contents 7 0 R >>",
                                             PdfStream("BT /F1 12 Tf 72 700 Td (first page) Tj ET"), test::kPdfFont,
                                             PdfStream("BT /F1 12 Tf 72 700 Td (second page) Tj ET")});
        const base::TResult<TArticleDocument> read = ReadPdf(pdf);
        ASSERT_TRUE(read.Ok()) << read.Error();
        EXPECT_EQ(read.Value().text, u"first page\nsecond page");
    }
}

} // namespace
} // namespace glenvary::io
