// SPDX-License-Identifier: MIT
// glenvary-read: the document reader, the child process in which the
// programs read untrusted documents (src/io/cage.h).
#include "base/sanitizers.h"
#include "io/cage.h"

#include <cstddef>


#if !defined(GLENVARY_SANITIZED_ALLOCATOR)
// The C allocation functions of the whole process, libraries included,
// pass through here, so that the reader knows when memory ran out even where
// a library gives up with abort() instead of reporting it (poppler does):
// that end is then the address space limit's, not a fault of the file.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);

void* malloc(std::size_t size)
{
    void* block = __libc_malloc(size);
    if (block == nullptr && size != 0) {
        glenvary::io::NoteMemoryRanOut();
    }
    return block;
}

void* calloc(std::size_t count, std::size_t size)
{
    void* block = __libc_calloc(count, size);
    if (block == nullptr && count != 0 && size != 0) {
        glenvary::io::NoteMemoryRanOut();
    }
    return block;
}

void* realloc(void* block, std::size_t size)
{
    void* moved = __libc_realloc(block, size);
    if (moved == nullptr && size != 0) {
        glenvary::io::NoteMemoryRanOut();
    }
    return moved;
}

void* memalign(std::size_t alignment, std::size_t size)
{
    void* block = __libc_memalign(alignment, size);
    if (block == nullptr && size != 0) {
        glenvary::io::NoteMemoryRanOut();
    }
    return block;
}
}
#endif

int main(int argc, char** argv)
{
    return glenvary::io::RunDocumentReader(argc, argv);
}
