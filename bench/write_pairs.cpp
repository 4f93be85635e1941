// SPDX-License-Identifier: MIT
// Glenvary: writes one of the benchmarks' adversarial article pairs to two
// files, so that the command line can be timed and its memory measured on
// the same texts the engine benchmarks compare.
//
//     glenvary_bench_pairs KIND WORDS LENGTH FILE1 FILE2
//
// KIND is one-word-longer, two-words-alternating or near-misses; LENGTH is
// the chunk length the near misses are built for. The texts are ASCII, so
// they are written as they are, one byte a code unit.
#include "bench_texts.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

namespace {

using glenvary::bench::TPairKind;

bool Write(const std::u16string& text, const char* path)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (const char16_t unit : text) {
        if (unit >= 0x80) {
            return false;
        }
        bytes.push_back(static_cast<char>(unit));
    }
    std::ofstream file(path, std::ios::binary);
    file << bytes;
    return static_cast<bool>(file.flush());
}

} // namespace

int main(int argc, char** argv)
{
    constexpr std::string_view kUsage = "usage: glenvary_bench_pairs KIND WORDS LENGTH FILE1 FILE2\n"
                                        "KIND: one-word-longer, two-words-alternating or near-misses\n";
    if (argc != 6) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string_view kind = argv[1];
    TPairKind pairKind{};
    if (kind == "one-word-longer") {
        pairKind = TPairKind::OneWordLonger;
    } else if (kind == "two-words-alternating") {
        pairKind = TPairKind::TwoWordsAlternating;
    } else if (kind == "near-misses") {
        pairKind = TPairKind::NearMisses;
    } else {
        std::cerr << "glenvary_bench_pairs: unknown kind " << kind << "\n" << kUsage;
        return 2;
    }
    const int words = std::atoi(argv[2]);
    const int length = std::atoi(argv[3]);
    if (words < 1 || length < 1) {
        std::cerr << "glenvary_bench_pairs: WORDS and LENGTH must be 1 or more\n" << kUsage;
        return 2;
    }
    const glenvary::bench::TArticlePair pair = glenvary::bench::MakePair(pairKind, words, length);
    if (!Write(pair.article1, argv[4]) || !Write(pair.article2, argv[5])) {
        std::cerr << "glenvary_bench_pairs: cannot write " << argv[4] << " and " << argv[5] << "\n";
        return 1;
    }
    return 0;
}
