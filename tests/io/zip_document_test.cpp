// SPDX-License-Identifier: MIT
#include "io/zip_document.h"

#include "zip_builder.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <string>
#include <string_view>
#include <vector>

namespace glenvary::io {
namespace {

using test::BuildZip;

const std::string kRelationships =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Target="word/document.xml" )"
    R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument"/>)"
    R"(</Relationships>)";

std::string DocxOf(const std::string& documentXml)
{
    return BuildZip({{"_rels/.rels", kRelationships}, {"word/document.xml", documentXml}});
}

// word/document.xml with the body `body`, written with the prefix `w`.
std::string WordXml(const std::string& body, const std::string& w = "w")
{
    return "<" + w + ":document xmlns:" + w + R"(="http://schemas.openxmlformats.org/wordprocessingml/2006/main")"
           R"( xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006"><)" + w + ":body>" + body +
           "</" + w + ":body></" + w + ":document>";
}

std::string Docx(const std::string& body, const std::string& w = "w")
{
    return DocxOf(WordXml(body, w));
}

std::string WordRun(const std::string& text, const std::string& properties = "")
{
    return "<w:r><w:rPr>" + properties + "</w:rPr><w:t>" + text + "</w:t></w:r>";
}

std::string Odt(const std::string& body, const std::string& styles = "")
{
    const std::string content =
        R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
        R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0")"
        R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
        R"( xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0")"
        R"( xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0")"
        R"( xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0">)"
        "<office:automatic-styles>" + styles + "</office:automatic-styles><office:body><office:text>" + body +
        "</office:text></office:body></office:document-content>";
    return BuildZip({{"mimetype", "application/vnd.oasis.opendocument.text", true}, {"content.xml", content}});
}

std::string TextStyle(const std::string& name, const std::string& family, const std::string& properties)
{
    return R"(<style:style style:name=")" + name + R"(" style:family=")" + family + R"("><style:text-properties )" +
           properties + "/></style:style>";
}

// A look from letters: b(old), i(talic), u(nderline), s(trike-out).
TTextLook Look(std::string_view letters)
{
    TTextLook look;
    look.bold = letters.find('b') != std::string_view::npos;
    look.italic = letters.find('i') != std::string_view::npos;
    look.underline = letters.find('u') != std::string_view::npos;
    look.strikeOut = letters.find('s') != std::string_view::npos;
    return look;
}

struct ReadCase {
    const char* name;
    std::string package;
    std::u16string text;
    std::vector<TLookRun> runs;
};

TEST(ZipDocument, ReadsTextAndLooks)
{
    // Deep enough to overflow the stack of a reader that recurses.
    std::string deepOpen;
    std::string deepClose;
    for (int i = 0; i < 100000; ++i) {
        deepOpen += "<w:customXml>";
        deepClose += "</w:customXml>";
    }
    const auto cell = [](const char* text) { return "<w:tc><w:p>" + WordRun(text) + "</w:p></w:tc>"; };
    const std::vector<ReadCase> cases = {
        {"docx breaks, tabs and hyphens",
         Docx(R"(<w:p><w:r><w:t>One</w:t><w:tab/><w:t xml:space="preserve">two </w:t><w:br/><w:t>three</w:t>)"
              R"(<w:t xml:space="preserve"> </w:t><w:br w:type="page"/><w:t>non</w:t><w:noBreakHyphen/>)"
              R"(<w:t>stop</w:t><w:softHyphen/><w:sym w:font="Wingdings" w:char="F0E0"/></w:r></w:p>)"
              "<w:p/><w:p>" + WordRun("end") + "</w:p>"),
         u"One\ttwo \nthree \nnon\u2011stop\n\nend", {}},
        {"docx revisions, fields and drawings",
         Docx("<w:p><w:ins>" + WordRun("kept") + "</w:ins><w:del><w:r><w:delText>gone</w:delText></w:r></w:del>"
              "<w:r><w:instrText> PAGE </w:instrText></w:r>" + WordRun("1") +
              R"(<mc:AlternateContent><mc:Choice Requires="wps">)" + WordRun("A") + "</mc:Choice><mc:Fallback>" +
              WordRun("B") + "</mc:Fallback></mc:AlternateContent><w:r><w:drawing><w:txbxContent><w:p>" +
              WordRun("box") + "</w:p></w:txbxContent></w:drawing></w:r></w:p>"),
         u"kept1A", {}},
        {"docx table row by row",
         Docx("<w:tbl><w:tr>" + cell("a1") + cell("b1") + "</w:tr><w:tr>" + cell("a2") + cell("b2") +
              "</w:tr></w:tbl><w:p>" + WordRun("end") + "</w:p>"),
         u"a1\nb1\na2\nb2\nend", {}},
        {"docx run looks",
         Docx("<w:p>" + WordRun("b", "<w:b/>") + WordRun("i", R"(<w:i/><w:b w:val="0"/>)") +
              WordRun("u", R"(<w:u w:val="single"/>)") +
              WordRun("n", R"(<w:u w:val="none"/><w:strike w:val="false"/><w:b w:val="off"/>)") +
              WordRun("s", R"(<w:strike w:val="0"/><w:dstrike/>)") + "</w:p>"),
         u"biuns",
         {{0, 1, Look("b")}, {1, 1, Look("i")}, {2, 1, Look("u")}, {4, 1, Look("s")}}},
        {"docx with another prefix",
         Docx("<x:p><x:r><x:rPr><x:b/></x:rPr><x:t>bold</x:t></x:r></x:p>", "x"), u"bold",
         {{0, 4, Look("b")}}},
        {"docx entities not expanded",
         DocxOf(R"(<?xml version="1.0"?><!DOCTYPE w:document [<!ENTITY a "lol"><!ENTITY b "&a;&a;&a;&a;&a;">]>)"
                R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)"
                R"(<w:p><w:r><w:t>&b;</w:t></w:r></w:p></w:body></w:document>)"),
         u"&b;", {}},
        {"docx nested 100000 deep", Docx("<w:p>" + deepOpen + WordRun("deep") + deepClose + "</w:p>"), u"deep", {}},
        {"odt paragraphs, lists, tables and breaks",
         Odt("<text:h>Title</text:h><text:p>a<text:tab/>b<text:line-break/>c</text:p><text:list><text:list-item>"
             "<text:p>item</text:p></text:list-item></text:list><table:table><table:table-row>"
             "<table:table-cell><text:p>a1</text:p></table:table-cell><table:table-cell><text:p>b1</text:p>"
             "</table:table-cell></table:table-row><table:table-row><table:table-cell><text:p>a2</text:p>"
             "</table:table-cell><table:table-cell><text:p>b2</text:p></table:table-cell></table:table-row>"
             "</table:table><text:p/><text:p>end</text:p>"),
         u"Title\na\tb\nc\nitem\na1\nb1\na2\nb2\n\nend", {}},
        {"odt white space collapses",
         Odt("<text:p>  one \n  two<text:s text:c=\"3\"/>three <text:span> four</text:span><text:s/> </text:p>"),
         u"one two   three four ", {}},
        {"odt notes, revisions and drawings left out",
         Odt("<text:tracked-changes><text:changed-region><text:deletion><text:p>gone</text:p></text:deletion>"
             "</text:changed-region></text:tracked-changes><text:p>a<text:note><text:note-citation>1"
             "</text:note-citation><text:note-body><text:p>note</text:p></text:note-body></text:note>b"
             "<text:soft-page-break/>c<draw:frame><draw:text-box><text:p>box</text:p></draw:text-box>"
             "</draw:frame></text:p>"),
         u"abc", {}},
        {"odt looks from automatic styles",
         Odt(R"(<text:p text:style-name="P1">b<text:span text:style-name="T1">i</text:span>)"
             R"(<text:span text:style-name="T2">u</text:span></text:p><text:p><text:span text:style-name="T3">s)"
             R"(<text:span text:style-name="T4">x</text:span></text:span>n</text:p>)",
             TextStyle("P1", "paragraph", R"(fo:font-weight="bold")") +
                 TextStyle("T1", "text", R"(fo:font-style="italic")") +
                 TextStyle("T2", "text", R"(fo:font-weight="normal" style:text-underline-style="solid")") +
                 TextStyle("T3", "text", R"(style:text-line-through-style="solid")") +
                 TextStyle("T4", "text", R"(style:text-underline-style="none")")),
         u"biu\nsxn",
         {{0, 1, Look("b")}, {1, 1, Look("bi")}, {2, 1, Look("u")}, {4, 2, Look("s")}}},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        const base::TResult<TArticleDocument> read = ReadZipDocument(c.package);
        ASSERT_TRUE(read.Ok()) << read.Error();
        EXPECT_EQ(read.Value().text, c.text);
        EXPECT_EQ(read.Value().runs, c.runs);
    }
}

struct RefusalCase {
    const char* name;
    std::string package;
    std::string error;
};

TEST(ZipDocument, RefusesWhatItCannotRead)
{
    const std::string damaged = "the zip package is damaged";
    const std::string notWordProcessor = "not a word-processor document";
    const std::string missing = "the document part is missing";
    const std::string malformed = "the document part is not well-formed XML";
    const std::string docx = Docx("<w:p>" + WordRun("Hello, world") + "</w:p>");
    std::string badChecksum =
        BuildZip({{"word/document.xml", WordXml("<w:p>" + WordRun("Hello, world") + "</w:p>"), true}});
    badChecksum[badChecksum.find("world")] = 'W';
    const std::vector<RefusalCase> cases = {
        {"not a zip", "Hello, world", "not a zip package"},
        {"truncated", docx.substr(0, docx.size() - 30), damaged},
        {"checksum mismatch", badChecksum, damaged},
        {"unrelated parts", BuildZip({{"notes.txt", "Hello"}, {"images/a.png", "\x89PNG"}}), notWordProcessor},
        {"spreadsheet",
         BuildZip({{"_rels/.rels",
                    R"(<Relationships><Relationship Type="http://purl.oclc.org/ooxml/officeDocument/relationships/)"
                    R"(officeDocument" Target="/xl/workbook.xml"/></Relationships>)"},
                   {"xl/workbook.xml", "<workbook/>"}}),
         notWordProcessor},
        {"docx without its document part", BuildZip({{"_rels/.rels", kRelationships}}), missing},
        {"odt without its content", BuildZip({{"mimetype", "application/vnd.oasis.opendocument.text"}}), missing},
        {"docx malformed", DocxOf("<w:document><w:body><w:p></w:body></w:document>"), malformed},
        {"odt malformed", Odt("<text:p>a</text:span>"), malformed},
        {"docx ill-formed UTF-8", Docx("<w:p>" + WordRun("caf\xC3(") + "</w:p>"), malformed},
        {"odt ill-formed UTF-8", Odt("<text:p>caf\xC3(</text:p>"), malformed},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        const base::TResult<TArticleDocument> read = ReadZipDocument(c.package);
        ASSERT_FALSE(read.Ok());
        EXPECT_EQ(read.Error(), c.error);
    }
}

TEST(ZipDocument, FindsTheMainPartWhereItsRelationshipLeads)
{
    const char* targets[] = {"word/document.xml", "./word/document.xml", "/word/document.xml",
                             "word/../word/./document.xml", "../word/document.xml", "/word//document.xml"};
    for (const char* target : targets) {
        SCOPED_TRACE(target);
        const std::string relationships =
            R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
            R"(<Relationship Id="rId1" Target=")" + std::string(target) + R"(" )"
            R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument"/>)"
            R"(</Relationships>)";
        // The part under a name that only the relationship leads to.
        const std::string package =
            BuildZip({{"_rels/.rels", relationships},
                      {"word/document.xml", WordXml("<w:p>" + WordRun("Found") + "</w:p>")},
                      {"document.xml", WordXml("<w:p>" + WordRun("Wrong part") + "</w:p>")}});
        const base::TResult<TArticleDocument> read = ReadZipDocument(package);
        ASSERT_TRUE(read.Ok()) << read.Error();
        EXPECT_EQ(read.Value().text, u"Found");
    }
}

long PeakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(ZipDocument, RefusesZipBombsWithoutUnpackingThem)
{
    const std::string bomb = test::BuildZeroBomb("word/document.xml", std::uint64_t{300} * 1024 * 1024);
    std::string understated = bomb;
    test::OverwriteUnpackedSize(understated, 1000);
    const std::vector<RefusalCase> cases = {
        {"directory tells the size", bomb, "unpacks to more than 256 MiB (a zip bomb?)"},
        {"directory understates the size", understated, "the zip package is damaged"},
    };
    const long before = PeakResidentKiB();
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        const base::TResult<TArticleDocument> read = ReadZipDocument(c.package);
        ASSERT_FALSE(read.Ok());
        EXPECT_EQ(read.Error(), c.error);
    }
    EXPECT_LT(PeakResidentKiB() - before, 64 * 1024) << "KiB more at the peak";
}

} // namespace
} // namespace glenvary::io
