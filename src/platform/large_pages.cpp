// SPDX-License-Identifier: MIT
// Glenvary: large blocks of memory on large pages, the programs' memory policy.
//
// A book-length comparison fills arrays of tens of megabytes once each. On
// 4 KiB pages every fresh page costs the kernel a fault, and those faults
// were a fifth of a comparison's time. The kernel backs a range with 2 MiB
// pages when the program asks for it (transparent huge pages in "madvise"
// mode, the distribution default), so every large block the program
// allocates starts on a 2 MiB boundary and asks for them over the whole
// 2 MiB steps it covers: a look-up into a table of a few megabytes then
// also misses the address cache far less often. The heap, where the small
// blocks live, asks for them over the 2 MiB steps it has grown to, as
// glibc's own "hugetlb" setting would, which only the environment can set.
//
// A program that runs once and ends (the command line) also keeps the
// memory it frees for its next blocks (KeepFreedMemory), instead of giving
// it back and faulting fresh pages in again.
#include "base/sanitizers.h"
#include "platform/large_pages.h"

// Under a sanitizer its own allocator stays in charge: it pairs every
// delete with its new.
#if !defined(GLENVARY_SANITIZED_ALLOCATOR)

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;
// Blocks from this size on look whether the heap has grown.
constexpr std::size_t kHeapCheck = 4096;

// How far the heap is known to ask for large pages.
std::atomic<std::uintptr_t> advisedHeapEnd{0};

// Asks for large pages over the whole 2 MiB steps of `begin` .. `end`.
void AdviseLargePages(std::uintptr_t begin, std::uintptr_t end) noexcept
{
    const std::uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t last = end & ~(kLargePage - 1);
    if (last > first) {
        // A hint: refused, the range simply stays on small pages.
        static_cast<void>(madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE));
    }
}

// The heap grew since it was last looked at: the new part asks for large
// pages. Two threads may both ask for the same part, which does no harm.
void AdviseHeapGrowth() noexcept
{
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    std::uintptr_t advised = advisedHeapEnd.load(std::memory_order_relaxed);
    if (end <= advised || end == static_cast<std::uintptr_t>(-1)) {
        return;
    }
    if (advised == 0) {
        // First look: from the heap's start, its end less what it holds.
        advised = end - static_cast<std::uintptr_t>(mallinfo2().arena);
    }
    AdviseLargePages(advised, end);
    advisedHeapEnd.store(end, std::memory_order_relaxed);
}

void* Allocate(std::size_t size) noexcept
{
    if (size < kLargePage) {
        void* block = std::malloc(size == 0 ? 1 : size);
        if (size >= kHeapCheck) {
            AdviseHeapGrowth();
        }
        return block;
    }
    // Freed with free() like any other block.
    void* block = nullptr;
    if (posix_memalign(&block, kLargePage, size) != 0) {
        return nullptr;
    }
    const auto begin = reinterpret_cast<std::uintptr_t>(block);
    AdviseLargePages(begin, begin + size);
    AdviseHeapGrowth();
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

namespace glenvary::platform {

void KeepFreedMemory() noexcept
{
    // Every block from the heap: glibc caps the threshold at 32 MiB, above
    // which blocks are mapped on their own still.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    // Freed memory stays, and the heap grows in steps of 64 MiB.
    mallopt(M_TRIM_THRESHOLD, INT32_MAX);
    mallopt(M_TOP_PAD, 64 << 20);
    // One heap for all threads, so that what one frees another reuses.
    mallopt(M_ARENA_MAX, 1);
}

} // namespace glenvary::platform

#else

namespace glenvary::platform {

// Under a sanitizer the allocator is the sanitizer's.
void KeepFreedMemory() noexcept {}

} // namespace glenvary::platform

#endif
