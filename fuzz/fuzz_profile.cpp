// SPDX-License-Identifier: MIT
// Glenvary: fuzz target for the profile-file reader.
//
// Input: the bytes of a profile file. Every key the start-up configuration
// reads is looked up; each value must be UTF-8, one line without a NUL,
// and no longer than the reader's limit.
#include "config/profile_file.h"
#include "io/text_encoding.h"

#include "fuzz_check.h"

using namespace glenvary;
using fuzz::Check;

namespace {

constexpr std::string_view kKeys[] = {
    "AppName",   "AfiliateID", "BannerPath1", "BannerURL1", "BannerPath2", "BannerURL2", "BannerPath3",
    "BannerURL3", "Link1URL",  "Link1Name",   "Link4URL",   "IconPath",    "",
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const config::TProfileFile profile = config::TProfileFile::Parse(fuzz::Bytes(data, size));
    for (const std::string_view section : {std::string_view("Settings"), std::string_view("")}) {
        for (const std::string_view key : kKeys) {
            const std::string value = profile.ReadString(section, key);
            const io::TUtf8Decoded decoded = io::DecodeUtf8(value);
            Check(decoded.valid);
            Check(value.find_first_of(std::string_view("\n\0", 2)) == std::string::npos);
            std::size_t characters = 0;
            for (const char16_t c : decoded.text) {
                characters += (c >= 0xDC00 && c <= 0xDFFF) ? 0 : 1;
            }
            Check(characters <= config::kMaxProfileValueChars);
        }
    }
    return 0;
}
