// SPDX-License-Identifier: MIT
// Glenvary: fuzz target for the skin unpacker.
//
// Input: the bytes of a skin file. It is refused with one of the documented
// reasons, or unpacks to UTF-8 text no longer than the limit allows (a
// Windows-1252 byte takes at most three bytes of UTF-8).
#include "config/skin.h"
#include "io/text_encoding.h"

#include "fuzz_check.h"

using namespace glenvary;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const base::TResult<std::string> unpacked = config::UnpackSkin(fuzz::Bytes(data, size));
    if (!unpacked) {
        fuzz::CheckOneOf(unpacked.Error(), {"not a gzip-compressed file", "the compressed data is damaged",
                                            "it unpacks to more than 4 MiB", "the file is larger than 4 MiB"});
        return 0;
    }
    Check(unpacked.Value().size() <= 3 * config::kMaxSkinBytes);
    Check(io::DecodeUtf8(unpacked.Value()).valid);
    return 0;
}
