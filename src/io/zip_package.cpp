// SPDX-License-Identifier: MIT
#include "io/zip_package.h"

#include "io/text_encoding.h"
#include "io/zip_document.h"

#include <cstdlib>
#include <string>

namespace glenvary::io::zip {
namespace {

constexpr std::uint64_t kMiB = std::uint64_t{1024} * 1024;
// zip_fread fills this much at a time, so the count of inflated bytes is
// checked every 64 KiB and not once a whole part has piled up.
constexpr std::size_t kReadChunk = std::size_t{64} * 1024;

base::TError TooLarge()
{
    return base::TError{"unpacks to more than " + std::to_string(kMaxUnpackedBytes / kMiB) + " MiB (a zip bomb?)"};
}

struct TZipFileClose {
    void operator()(zip_file_t* file) const noexcept { zip_fclose(file); }
};

// The bytes that the XML parse under way on this thread may still take for
// its tree; null outside a parse.
thread_local std::uint64_t* tTreeRoom = nullptr;

void* AllocateTreeMemory(std::size_t size)
{
    if (tTreeRoom != nullptr) {
        if (size > *tTreeRoom) {
            return nullptr;
        }
        *tTreeRoom -= size;
    }
    return std::malloc(size);
}

void FreeTreeMemory(void* block)
{
    std::free(block);
}

base::TError XmlTooLarge()
{
    return base::TError{"its XML needs more than " + std::to_string(kMaxXmlTreeBytes / kMiB) + " MiB to hold (an XML bomb?)"};
}

} // namespace

base::TError Failure(std::string_view reason)
{
    return base::TError{std::string(reason)};
}

base::TError FailureFor(TPartStatus status)
{
    switch (status) {
    case TPartStatus::Missing:
        return Failure(kPartMissing);
    case TPartStatus::TooLarge:
        return TooLarge();
    case TPartStatus::Read:
    case TPartStatus::Damaged:
        break;
    }
    return Failure(kDamaged);
}

TPackage::TPackage(std::string_view bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (source != nullptr) {
        zip_.reset(zip_open_from_source(source, ZIP_RDONLY, &error));
        if (!zip_) {
            zip_source_free(source);
        }
    }
    zip_error_fini(&error);
}

bool TPackage::Has(const std::string& name) const
{
    return zip_name_locate(zip_.get(), name.c_str(), 0) >= 0;
}

TPartStatus TPackage::Read(const std::string& name, std::string& bytes)
{
    bytes.clear();
    const zip_int64_t index = zip_name_locate(zip_.get(), name.c_str(), 0);
    if (index < 0) {
        return TPartStatus::Missing;
    }
    const auto entry = static_cast<zip_uint64_t>(index);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(zip_.get(), entry, 0, &stat) != 0) {
        return TPartStatus::Damaged;
    }
    // The directory's size is believed only to refuse early; the count
    // below is what the limit holds to.
    const bool sized = (stat.valid & ZIP_STAT_SIZE) != 0;
    if (sized && stat.size > kMaxUnpackedBytes - unpacked_) {
        return TPartStatus::TooLarge;
    }
    const std::unique_ptr<zip_file_t, TZipFileClose> file(zip_fopen_index(zip_.get(), entry, 0));
    if (!file) {
        return TPartStatus::Damaged;
    }
    for (;;) {
        const std::size_t held = bytes.size();
        bytes.resize(held + kReadChunk);
        const zip_int64_t got = zip_fread(file.get(), bytes.data() + held, kReadChunk);
        if (got < 0) {
            return TPartStatus::Damaged;
        }
        bytes.resize(held + static_cast<std::size_t>(got));
        if (got == 0) {
            return TPartStatus::Read;
        }
        unpacked_ += static_cast<std::uint64_t>(got);
        if (unpacked_ > kMaxUnpackedBytes) {
            return TPartStatus::TooLarge;
        }
        // libzip compares the size with the directory only at the end
        // of the part; a part that outgrows its entry is refused now,
        // before a bomb with a lying directory fills the memory.
        if (sized && bytes.size() > stat.size) {
            return TPartStatus::Damaged;
        }
    }
}

// parse_default leaves parse_doctype out, so a DOCTYPE is skipped whole and
// no entity it declares is expanded: a reference to one stays as written.
// parse_ws_pcdata keeps text that is only white space, such as the lone
// space of <w:t xml:space="preserve"> </w:t> or the one between two spans.
// pugixml takes its tree's memory in pages through the functions above,
// which hold one parse to kMaxXmlTreeBytes; a refused page ends the parse
// with status_out_of_memory.
base::TStatus ParseXml(std::string& bytes, pugi::xml_document& document)
{
    static const bool counted = [] {
        pugi::set_memory_management_functions(AllocateTreeMemory, FreeTreeMemory);
        return true;
    }();
    static_cast<void>(counted);
    constexpr unsigned kOptions = pugi::parse_default | pugi::parse_ws_pcdata;
    std::uint64_t room = kMaxXmlTreeBytes;
    tTreeRoom = &room;
    const pugi::xml_parse_status status = document.load_buffer_inplace(bytes.data(), bytes.size(), kOptions).status;
    tTreeRoom = nullptr;
    if (status == pugi::status_out_of_memory) {
        return XmlTooLarge();
    }
    if (status != pugi::status_ok) {
        return Failure(kNotWellFormed);
    }
    return base::Done();
}

base::TStatus ReadXmlPart(TPackage& package, const std::string& name, std::string& bytes,
                          pugi::xml_document& document)
{
    if (const TPartStatus status = package.Read(name, bytes); status != TPartStatus::Read) {
        return FailureFor(status);
    }
    return ParseXml(bytes, document);
}

std::string PrefixFor(const pugi::xml_node& root, std::initializer_list<std::string_view> uris,
                      std::string_view fallback)
{
    for (const pugi::xml_attribute& attribute : root.attributes()) {
        const std::string_view name = attribute.name();
        for (const std::string_view uri : uris) {
            if (attribute.value() != uri) {
                continue;
            }
            if (name == "xmlns") {
                return {};
            }
            if (name.starts_with("xmlns:")) {
                return std::string(name.substr(6));
            }
        }
    }
    return std::string(fallback);
}

std::string_view LocalName(const char* qualified, std::string_view prefix)
{
    const std::string_view name = qualified;
    if (prefix.empty()) {
        return name.find(':') == std::string_view::npos ? name : std::string_view{};
    }
    if (name.size() > prefix.size() && name.starts_with(prefix) && name[prefix.size()] == ':') {
        return name.substr(prefix.size() + 1);
    }
    return {};
}

pugi::xml_attribute FindAttribute(const pugi::xml_node& node, std::string_view prefix, std::string_view local)
{
    for (const pugi::xml_attribute& attribute : node.attributes()) {
        if (LocalName(attribute.name(), prefix) == local) {
            return attribute;
        }
    }
    return {};
}

pugi::xml_node FindChild(const pugi::xml_node& node, std::string_view prefix, std::string_view local)
{
    for (const pugi::xml_node& child : node.children()) {
        if (LocalName(child.name(), prefix) == local) {
            return child;
        }
    }
    return {};
}

bool TBodyReader::Read(const pugi::xml_node& body)
{
    // The nodes in document order without recursion: the nesting depth is
    // the file's choice (pugixml parses any depth iteratively, too).
    pugi::xml_node node = body.first_child();
    while (node) {
        if (Enter(node)) {
            if (const pugi::xml_node child = node.first_child()) {
                node = child;
                continue;
            }
            Leave(node);
        }
        while (!node.next_sibling()) {
            node = node.parent();
            if (node == body) {
                return valid_;
            }
            Leave(node);
        }
        node = node.next_sibling();
    }
    return valid_;
}

void TBodyReader::Append(std::u16string_view text, const TTextLook& look)
{
    if (text.empty()) {
        return;
    }
    for (; pendingBreaks_ > 0; --pendingBreaks_) {
        builder_.Append(u'\n');
    }
    builder_.Append(text, look);
}

void TBodyReader::AppendUtf8(std::string_view utf8, const TTextLook& look)
{
    const TUtf8Decoded decoded = DecodeUtf8(utf8);
    Append(decoded.text, look);
    NoteValid(decoded.valid);
}

} // namespace glenvary::io::zip
