// SPDX-License-Identifier: MIT
// Glenvary: the memory policy of a program (see large_pages.cpp). Linking
// the library replaces the global operator new: large blocks start on a
// 2 MiB boundary and ask for large pages.
#pragma once

namespace glenvary::platform {

/// For a program that runs once and ends: memory it frees stays with it for
/// its next blocks, and all its threads share one heap, instead of memory
/// going back to the system and fresh pages faulting in again. Call first
/// thing in main(); later blocks follow it. Nothing under a sanitizer.
void KeepFreedMemory() noexcept;

} // namespace glenvary::platform
