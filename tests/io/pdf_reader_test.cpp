// SPDX-License-Identifier: MIT
#include "io/pdf_reader.h"

#include "io/text_encoding.h"

#include "support/libreoffice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace glenvary::io {
namespace {

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
    static const std::optional<std::string> pdf = test::ConvertWithLibreOffice("article.fodt", FlatOdt(), "pdf");
    return pdf;
}

TEST(PdfReader, ReadsParagraphsAndPagesInOrder)
{
    if (!test::HasLibreOffice()) {
        GTEST_SKIP() << test::kNoLibreOffice;
    }
    const std::optional<std::string>& pdf = LibreOfficePdf();
    ASSERT_TRUE(pdf.has_value()) << "LibreOffice did not write the PDF";
    ASSERT_TRUE(IsPdf(*pdf));
    const TResult<TArticleDocument> read = ReadPdf(*pdf);
    ASSERT_TRUE(read.Ok()) << read.Error();
    EXPECT_EQ(EncodeUtf8(read.Value().text),
              std::string(kFirst) + "\n" + kSecond + "\n" + kThird + "\n" + kFourth);
}

// A PDF of the objects `objects` (numbered from 1, the first the catalog)
// with a correct cross-reference table.
std::string HandMadePdf(const std::vector<std::string>& objects, const std::string& trailer = "")
{
    std::string pdf = "%PDF-1.4\n";
    std::string xref = "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t i = 0; i < objects.size(); ++i) {
        char entry[21];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", pdf.size());
        xref += entry;
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t start = pdf.size();
    return pdf + xref + "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R " + trailer +
           ">>\nstartxref\n" + std::to_string(start) + "\n%%EOF\n";
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
        const TResult<TArticleDocument> read = ReadPdf(c.pdf);
        ASSERT_FALSE(read.Ok());
        EXPECT_EQ(read.Error(), c.error);
    }
}

} // namespace
} // namespace glenvary::io
