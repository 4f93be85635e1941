// SPDX-License-Identifier: MIT
// Glenvary: whether the build runs under a sanitizer whose allocator must
// stay in charge of memory (AddressSanitizer and its kin, in GCC and clang).
#pragma once

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define GLENVARY_SANITIZED_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define GLENVARY_SANITIZED_ALLOCATOR 1
#endif
#endif

namespace glenvary::base {

/// True when a sanitizer's allocator serves the program's memory.
#if defined(GLENVARY_SANITIZED_ALLOCATOR)
inline constexpr bool kSanitizedAllocator = true;
#else
inline constexpr bool kSanitizedAllocator = false;
#endif

} // namespace glenvary::base
