// SPDX-License-Identifier: MIT
// Glenvary: asking the processor to start loading memory that will be read
// soon.
#pragma once

namespace glenvary::core {

/// Asks the processor to start loading the cache line at `address`; a hint
/// only, never a fault, whatever the address.
inline void PrefetchLine(const void* address) noexcept
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    static_cast<void>(address);
#endif
}

} // namespace glenvary::core
