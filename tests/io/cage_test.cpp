// SPDX-License-Identifier: MIT
#include "io/cage.h"

#include "pdf_builder.h"
#include "zip_builder.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <zlib.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <stop_token>
#include <string>
#include <thread>

namespace glenvary::io {
namespace {

using test::HandMadePdf;
using test::PdfStream;

std::string Repeat(const std::string& piece, std::size_t times)
{
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

// A page whose content draws the form X1, whose content draws X2 `fanOut`
// times, and so on down to a form that writes a word: each level multiplies
// the work by `fanOut`, in a file of 2 KB.
std::string NestedFormsPdf(int depth, int fanOut)
{
    const std::string resources = "/Resources << /Font << /F1 4 0 R >> /XObject << /X 6 0 R >> >>";
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 5 0 R " + resources + " >>", test::kPdfFont,
        PdfStream("BT /F1 12 Tf 72 700 Td (start) Tj ET /X Do")};
    const std::string form = "/Type /XObject /Subtype /Form /BBox [0 0 612 792] ";
    for (int level = 0; level < depth; ++level) {
        const std::string next = std::to_string(objects.size() + 2);
        if (level + 1 < depth) {
            objects.push_back(PdfStream(Repeat("/X Do ", static_cast<std::size_t>(fanOut)),
                                        form + "/Resources << /XObject << /X " + next + " 0 R >> >>"));
        } else {
            objects.push_back(PdfStream("BT /F1 12 Tf 72 700 Td (leaf) Tj ET",
                                        form + "/Resources << /Font << /F1 4 0 R >> >>"));
        }
    }
    return HandMadePdf(objects);
}

// A page of 100 million text operations: one compressed stream of a million
// that the page's contents name a hundred times.
std::string TextOperationsPdf()
{
    const std::string operations = "BT /F1 12 Tf 72 700 Td " + Repeat("(a) Tj ", 1'000'000) + "ET ";
    std::string packed(compressBound(static_cast<uLong>(operations.size())), '\0');
    uLongf packedSize = static_cast<uLongf>(packed.size());
    compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
              reinterpret_cast<const Bytef*>(operations.data()), static_cast<uLong>(operations.size()), 9);
    packed.resize(packedSize);
    return HandMadePdf({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents [" + Repeat("5 0 R ", 100)
                            + "] /Resources << /Font << /F1 4 0 R >> >> >>",
                        test::kPdfFont, PdfStream(packed, "/Filter /FlateDecode")});
}

std::string DocxOf(const std::string& body)
{
    const std::string relationships =
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Target="word/document.xml" )"
        R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument"/>)"
        R"(</Relationships>)";
    return test::BuildZip(
        {{"_rels/.rels", relationships},
         {"word/document.xml",
          R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)" + body
              + "</w:body></w:document>"}});
}

struct TCageRow {
    const char* name;
    std::function<std::string()> make;
    TCagedFormat format;
    std::string error;
    // The read's time: short where the document is built to pass it.
    std::chrono::seconds wallTime = kCageWallTime;
    // When set, the caller stops wanting the result this long after it asked.
    std::chrono::milliseconds stopAfter{0};
};

// Limits small enough for a test; the messages name them.
constexpr std::chrono::seconds kShortWallTime{3};
constexpr std::uint64_t kAddressSpace = std::uint64_t{512} << 20;
constexpr std::size_t kMaxTextUnits = std::size_t{1} << 20;
constexpr const char* kLimit = "it needs more than 3 s or 512 MiB to read";

TEST(Cage, HostileDocumentsEndWithinTheLimitsWithOneLine)
{
    const TCageRow rows[] = {
        {"a PDF of forms that draw one another, seven deep", [] { return NestedFormsPdf(7, 10); }, TCagedFormat::Pdf,
         kLimit, kShortWallTime},
        {"a PDF of 100 million text operations", TextOperationsPdf, TCagedFormat::Pdf, kLimit, kShortWallTime},
        {"a .docx of elements whose tree would take gigabytes",
         [] { return DocxOf(Repeat("<a/>", 6'000'000)); }, TCagedFormat::ZipPackage,
         "its XML needs more than 256 MiB to hold (an XML bomb?)"},
        {"a .docx of more text than the caller takes",
         [] { return DocxOf("<w:p><w:r><w:t>" + std::string(kMaxTextUnits + 1, 'a') + "</w:t></w:r></w:p>"); },
         TCagedFormat::ZipPackage, "its text is larger than 1 MiB"},
        {"a read that the caller stops wanting", [] { return NestedFormsPdf(7, 10); }, TCagedFormat::Pdf,
         "the reading was cancelled", kCageWallTime, std::chrono::milliseconds(300)},
    };
    for (const TCageRow& row : rows) {
        SCOPED_TRACE(row.name);
        TCageSettings settings;
        settings.wallTime = row.wallTime;
        settings.addressSpace = kAddressSpace;
        const std::string bytes = row.make();
        std::stop_source stop;
        std::jthread stopper;
        if (row.stopAfter.count() > 0) {
            stopper = std::jthread([&stop, &row] {
                std::this_thread::sleep_for(row.stopAfter);
                stop.request_stop();
            });
        }
        const auto started = std::chrono::steady_clock::now();
        const base::TResult<TArticleDocument> read = ReadInCage(bytes, row.format, settings, kMaxTextUnits, stop.get_token());
        // A bound that only a hang passes.
        EXPECT_LT(std::chrono::steady_clock::now() - started, 2 * row.wallTime);
        ASSERT_FALSE(read.Ok());
        EXPECT_EQ(read.Error(), row.error);
        // The reader and all it started are gone and waited for.
        EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
        EXPECT_EQ(errno, ECHILD);
    }
}

} // namespace
} // namespace glenvary::io
