// SPDX-License-Identifier: MIT
#include "io/article_file.h"
#include "io/office_converter.h"

#include "support/libreoffice.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

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
    const base::TResult<std::string> converted = ConvertToOpenDocument("bytes", "doc", {}, settings);
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
    const base::TResult<std::string> converted = ConvertToOpenDocument("bytes", "wpd", {}, settings);
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
    const base::TResult<std::string> converted = ConvertToOpenDocument("bytes", "doc", stop.get_token(), settings);
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
    const base::TResult<TArticleDocument> read = ReadArticleBytes(*doc, "letter.doc");
    ASSERT_TRUE(read.Ok()) << read.Error();
    EXPECT_EQ(read.Value().text, u"Dear reader,\nthe cat sat on the mat.");
}

TEST(OfficeConverter, ReachesNoAddressThatADocumentLinksTo)
{
    if (!test::HasLibreOffice()) {
        GTEST_SKIP() << test::kNoLibreOffice;
    }
    // A server on this machine, which the document's picture links to.
    const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(server, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), size), 0);
    ASSERT_EQ(::listen(server, 8), 0);
    ASSERT_EQ(::getsockname(server, reinterpret_cast<sockaddr*>(&address), &size), 0);
    const std::string link = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/picture.png";
    // LibreOffice tells a document by its content, whatever its name says.
    const std::string flatOdt =
        R"(<?xml version="1.0" encoding="UTF-8"?>)"
        R"(<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
        R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0")"
        R"( xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0")"
        R"( xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0")"
        R"( xmlns:xlink="http://www.w3.org/1999/xlink" office:version="1.2")"
        R"( office:mimetype="application/vnd.oasis.opendocument.text"><office:body><office:text>)"
        R"(<text:p>A linked picture<draw:frame draw:name="p" text:anchor-type="as-char" svg:width="1cm")"
        R"( svg:height="1cm"><draw:image xlink:href=")" + link + R"(" xlink:type="simple" xlink:show="embed")"
        R"( xlink:actuate="onLoad"/></draw:frame></text:p></office:text></office:body></office:document>)";
    const base::TResult<std::string> converted = ConvertToOpenDocument(flatOdt, "doc");
    ASSERT_TRUE(converted.Ok()) << converted.Error();
    const base::TResult<TArticleDocument> read = ReadArticleBytes(converted.Value(), "linked.doc");
    ASSERT_TRUE(read.Ok()) << read.Error();
    EXPECT_EQ(read.Value().text, u"A linked picture");
    // A connection, even one refused at once, would wait here.
    pollfd waiting{server, POLLIN, 0};
    EXPECT_EQ(::poll(&waiting, 1, 0), 0) << "LibreOffice connected to " << link;
    ::close(server);
}

} // namespace
} // namespace glenvary::io
