// SPDX-License-Identifier: MIT
#include "io/pdf_reader.h"

#include "io/helper_files.h"
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

TLoadedModule LoadModule()
{
    TLoadedModule loaded;
    loaded.failure = "the PDF reader (" + std::string(kPdfModuleName) + ") is not installed beside the program";
    for (const std::filesystem::path& candidate : HelperFileCandidates(kPdfModuleName)) {
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

base::TResult<TArticleDocument> ReadPdf(std::string_view bytes)
{
    // Loaded once, on the first PDF, by whichever thread gets there first.
    static const TLoadedModule module = LoadModule();
    if (module.entry == nullptr) {
        return base::TError{module.failure};
    }
    base::TResult<TArticleDocument> result = base::TError{"the PDF is damaged"};
    module.entry(bytes, result);
    return result;
}

} // namespace glenvary::io
