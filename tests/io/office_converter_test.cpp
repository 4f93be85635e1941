// SPDX-License-Identifier: MIT
#include "io/article_file.h"
#include "io/office_converter.h"

#include "support/libreoffice.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <thread>

namespace glenvary::io {
namespace {

using test::TScratchDir;

// A stand-in for LibreOffice: a script that does what `body` says with the
// arguments it is given.
std::string FakeOffice(const TScratchDir& dir, const std::string& body)
{
    const std::string path = dir.Write("fake-soffice", "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0700);
    return path;
}

TEST(OfficeConverter, SuccessMeansAnOutputFileNotAnExitStatus)
{
    const TScratchDir dir;
    TConverterSettings settings;
    // LibreOffice prints this and exits 0 when it cannot load a file.
    settings.program = FakeOffice(dir, "echo 'Error: source file could not be loaded'; exit 0");
    const TResult<std::string> converted = ConvertToOpenDocument("bytes", "doc", {}, settings);
    ASSERT_FALSE(converted.Ok());
    EXPECT_EQ(converted.Error(), "LibreOffice could not read this .doc document");
}

TEST(OfficeConverter, StopsAConversionThatRunsTooLongWithEverythingItStarted)
{
    const TScratchDir dir;
    const std::string marker = dir.Path("still-running");
    TConverterSettings settings;
    // The launcher starts a child of its own, as LibreOffice's does; the
    // child would leave a mark if it outlived the stop.
    settings.program = FakeOffice(dir, "(sleep 2; touch '" + marker + "') & wait");
    settings.timeout = std::chrono::milliseconds(200);
    const auto started = std::chrono::steady_clock::now();
    const TResult<std::string> converted = ConvertToOpenDocument("bytes", "wpd", {}, settings);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    ASSERT_FALSE(converted.Ok());
    EXPECT_EQ(converted.Error(), "LibreOffice took longer than 0 s and was stopped");
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST(OfficeConverter, StopsWhenTheCallerNoLongerWantsTheResult)
{
    const TScratchDir dir;
    TConverterSettings settings;
    settings.program = FakeOffice(dir, "sleep 30");
    std::stop_source stop;
    std::jthread canceller([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        stop.request_stop();
    });
    const TResult<std::string> converted = ConvertToOpenDocument("bytes", "doc", stop.get_token(), settings);
    ASSERT_FALSE(converted.Ok());
    EXPECT_EQ(converted.Error(), "the conversion was cancelled");
}

TEST(OfficeConverter, ReadsADocThatLibreOfficeWrote)
{
    if (!test::HasLibreOffice()) {
        GTEST_SKIP() << test::kNoLibreOffice;
    }
    const std::optional<std::string> doc =
        test::ConvertWithLibreOffice("letter.txt", "Dear reader,\nthe cat sat on the mat.\n", "doc");
    ASSERT_TRUE(doc.has_value()) << "LibreOffice did not write the .doc";
    ASSERT_EQ(DetectArticleFormat(*doc), TArticleFormat::WordDocument);
    const TResult<TArticleDocument> read = ReadArticleBytes(*doc, "letter.doc");
    ASSERT_TRUE(read.Ok()) << read.Error();
    EXPECT_EQ(read.Value().text, u"Dear reader,\nthe cat sat on the mat.");
}

} // namespace
} // namespace glenvary::io
