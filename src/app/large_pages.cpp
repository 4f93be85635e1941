// SPDX-License-Identifier: MIT
// Glenvary programs: large blocks of memory on large pages.
//
// A book-length comparison fills arrays of tens of megabytes once each. On
// 4 KiB pages every fresh page costs the kernel a fault, and those faults
// were a fifth of a comparison's time. The kernel backs a range with 2 MiB
// pages when the program asks for it (transparent huge pages in "madvise"
// mode, the distribution default), so every large block the program
// allocates starts on a 2 MiB boundary and asks for them over the whole
// 2 MiB steps it covers: a look-up into a table of a few megabytes then
// also misses the address cache far less often. Small blocks, and the tail
// of a large one, stay as they were.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define GLENVARY_SANITIZED_ALLOCATOR 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define GLENVARY_SANITIZED_ALLOCATOR 1
#endif

// Under a sanitizer its own allocator stays in charge: it pairs every
// delete with its new.
#if !defined(GLENVARY_SANITIZED_ALLOCATOR)

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;

void* Allocate(std::size_t size) noexcept
{
    if (size < kLargePage) {
        return std::malloc(size == 0 ? 1 : size);
    }
    // Freed with free() like any other block.
    void* block = nullptr;
    if (posix_memalign(&block, kLargePage, size) == 0) {
        const auto begin = reinterpret_cast<std::uintptr_t>(block);
        const std::uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
        const std::uintptr_t last = (begin + size) & ~(kLargePage - 1);
        if (last > first) {
            // A hint: refused, the block simply stays on small pages.
            static_cast<void>(madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE));
        }
    }
    return block;
}

} // namespace

void* operator new(std::size_t size)
{
    void* block = Allocate(size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}

#endif
