#include "app/malloc_arena.h"

// glibc's <malloc.h> defines __GLIBC__ and M_ARENA_MAX; other C libraries
// leave the allocator as it is.
#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace tarnwick::app {

void UseOneMallocArena() {
#if defined(__GLIBC__) && defined(M_ARENA_MAX)
    mallopt(M_ARENA_MAX, 1);
#endif
}

} // namespace tarnwick::app
