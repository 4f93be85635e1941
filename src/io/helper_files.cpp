// SPDX-License-Identifier: MIT
#include "io/helper_files.h"

#include <algorithm>
#include <system_error>

namespace glenvary::io {

std::vector<std::filesystem::path> HelperFileCandidates(std::string_view name)
{
    std::vector<std::filesystem::path> candidates;
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return candidates;
    }
    const std::filesystem::path folder = program.parent_path();
    candidates.push_back(folder / name);
    candidates.push_back((folder / GLENVARY_HELPERS_INSTALLED_DIR / name).lexically_normal());
    const std::filesystem::path buildTree = GLENVARY_BUILD_TREE;
    const auto [treeEnd, programEnd] = std::mismatch(buildTree.begin(), buildTree.end(), program.begin(), program.end());
    if (treeEnd == buildTree.end()) {
        candidates.push_back(std::filesystem::path(GLENVARY_HELPERS_BUILD_DIR) / name);
    }
    return candidates;
}

} // namespace glenvary::io
