// SPDX-License-Identifier: MIT
#include "io/pdf_reader.h"

#include "io/pdf_module.h"

#include <dlfcn.h>

#include <filesystem>
#include <string>
#include <vector>

namespace glenvary::io {
namespace {

// The PDF module's entry point, or why it could not be loaded.
struct TLoadedModule {
    TPdfModuleEntry* entry = nullptr;
    std::string failure;
};

// Where the module may be: beside the running program, in the library
// folder of an installed one, and, for a program that runs from the build
// tree (a test), where the build put it. Nothing outside those folders is
// ever loaded, whatever the environment says.
std::vector<std::filesystem::path> ModuleCandidates()
{
    std::vector<std::filesystem::path> candidates;
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return candidates;
    }
    const std::filesystem::path folder = program.parent_path();
    candidates.push_back(folder / kPdfModuleName);
    candidates.push_back((folder / GLENVARY_PDF_MODULE_INSTALLED_DIR / kPdfModuleName).lexically_normal());
    const std::filesystem::path buildTree = GLENVARY_BUILD_TREE;
    const auto [treeEnd, programEnd] = std::mismatch(buildTree.begin(), buildTree.end(), program.begin(), program.end());
    if (treeEnd == buildTree.end()) {
        candidates.push_back(std::filesystem::path(GLENVARY_PDF_MODULE_BUILD_DIR) / kPdfModuleName);
    }
    return candidates;
}

TLoadedModule LoadModule()
{
    TLoadedModule loaded;
    loaded.failure = "the PDF reader (" + std::string(kPdfModuleName) + ") is not installed beside the program";
    for (const std::filesystem::path& candidate : ModuleCandidates()) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(candidate, error)) {
            continue;
        }
        // Kept loaded for the rest of the run.
        void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            const char* why = dlerror();
            loaded.failure = "the PDF reader could not be loaded: " + std::string(why != nullptr ? why : "unknown error");
            continue;
        }
        if (void* entry = dlsym(module, kPdfModuleEntry)) {
            loaded.entry = reinterpret_cast<TPdfModuleEntry*>(entry);
            return loaded;
        }
        loaded.failure = "the PDF reader " + candidate.string() + " lacks its entry point";
        dlclose(module);
    }
    return loaded;
}

} // namespace

bool IsPdf(std::string_view bytes) noexcept
{
    return bytes.starts_with("%PDF-");
}

TResult<TArticleDocument> ReadPdf(std::string_view bytes)
{
    // Loaded once, on the first PDF, by whichever thread gets there first.
    static const TLoadedModule module = LoadModule();
    if (module.entry == nullptr) {
        return TError{module.failure};
    }
    TResult<TArticleDocument> result = TError{"the PDF is damaged"};
    module.entry(bytes, result);
    return result;
}

} // namespace glenvary::io
