// SPDX-License-Identifier: MIT
// Builds zip packages in memory with libzip, for the readers' tests.
#pragma once

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace glenvary::io::test {

struct TZipPart {
    std::string name;
    std::string data;
    bool stored = false; // kept as is instead of deflated
};

// A package written by `add`, which puts parts into the open archive.
inline std::string BuildZipWith(const std::function<void(zip_t*)>& add)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(buffer);
    zip_t* zip = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    add(zip);
    EXPECT_EQ(zip_close(zip), 0) << zip_strerror(zip);
    std::string bytes;
    if (zip_source_open(buffer) == 0) {
        zip_source_seek(buffer, 0, SEEK_END);
        bytes.resize(static_cast<std::size_t>(zip_source_tell(buffer)));
        zip_source_seek(buffer, 0, SEEK_SET);
        zip_source_read(buffer, bytes.data(), bytes.size());
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    zip_error_fini(&error);
    return bytes;
}

inline std::string BuildZip(const std::vector<TZipPart>& parts)
{
    return BuildZipWith([&](zip_t* zip) {
        for (const TZipPart& part : parts) {
            zip_source_t* source = zip_source_buffer(zip, part.data.data(), part.data.size(), 0);
            const zip_int64_t index = zip_file_add(zip, part.name.c_str(), source, ZIP_FL_ENC_UTF_8);
            if (part.stored) {
                zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
            }
        }
    });
}

// A package of one part, `name`, of `size` zero bytes. libzip deflates them
// as a callback hands them over, so the test never holds what the bomb
// unpacks to.
inline std::string BuildZeroBomb(const std::string& name, std::uint64_t size)
{
    struct TZeros {
        std::uint64_t left;
        std::uint64_t size;
    } zeros{size, size};
    const auto feed = [](void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) -> zip_int64_t {
        auto& z = *static_cast<TZeros*>(state);
        switch (command) {
        case ZIP_SOURCE_OPEN:
            z.left = z.size;
            return 0;
        case ZIP_SOURCE_READ:
            length = std::min<zip_uint64_t>(length, z.left);
            std::memset(data, 0, static_cast<std::size_t>(length));
            z.left -= length;
            return static_cast<zip_int64_t>(length);
        case ZIP_SOURCE_STAT:
            zip_stat_init(static_cast<zip_stat_t*>(data));
            static_cast<zip_stat_t*>(data)->size = z.size;
            static_cast<zip_stat_t*>(data)->valid |= ZIP_STAT_SIZE;
            return sizeof(zip_stat_t);
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                                  ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_FREE:
            return 0;
        default:
            return -1;
        }
    };
    return BuildZipWith([&](zip_t* zip) {
        const zip_int64_t index = zip_file_add(zip, name.c_str(), zip_source_function(zip, feed, &zeros), 0);
        zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
    });
}

// Rewrites the unpacked size that a package of one part gives in its local
// header and in its directory, as a damaged or hostile package may.
inline void OverwriteUnpackedSize(std::string& package, std::uint32_t size)
{
    // The 22-byte end-of-directory record closes the package (it has no
    // comment); its last 6 bytes start with the directory's offset.
    std::size_t directory = 0;
    for (std::size_t i = 4; i-- > 0;) {
        directory = directory << 8 | static_cast<unsigned char>(package.at(package.size() - 6 + i));
    }
    for (const std::size_t at : {std::size_t{22}, directory + 24}) {
        for (std::size_t i = 0; i < 4; ++i) {
            package.at(at + i) = static_cast<char>((size >> (8 * i)) & 0xFF);
        }
    }
}

} // namespace glenvary::io::test
