/* Allocations per frame of a running viewer, for scripts/bench: preloaded (LD_PRELOAD), it counts
 * every malloc, calloc, realloc and aligned allocation, and the frames as SDL_GL_SwapWindow is
 * called. After CRS_ALLOC_WARM_FRAMES frames (default 100), so that start-up and the first frames'
 * caches are over, it counts CRS_ALLOC_FRAMES more (default 200) and prints
 * "alloc-count: <n> allocations in <frames> frames, <m> of them on the drawing thread". */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>

extern void* __libc_malloc(size_t size);
extern void* __libc_calloc(size_t count, size_t size);
extern void* __libc_realloc(void* pointer, size_t size);
extern void* __libc_memalign(size_t alignment, size_t size);

static atomic_long allocations;
static _Thread_local long threadAllocations;

static void Count(void)
{
    atomic_fetch_add_explicit(&allocations, 1, memory_order_relaxed);
    ++threadAllocations;
}

void* malloc(size_t size) { Count(); return __libc_malloc(size); }
void* calloc(size_t count, size_t size) { Count(); return __libc_calloc(count, size); }
void* realloc(void* pointer, size_t size) { Count(); return __libc_realloc(pointer, size); }
void* memalign(size_t alignment, size_t size) { Count(); return __libc_memalign(alignment, size); }
void* aligned_alloc(size_t alignment, size_t size) { Count(); return __libc_memalign(alignment, size); }
int posix_memalign(void** out, size_t alignment, size_t size)
{
    Count();
    void* pointer = __libc_memalign(alignment, size);
    if (pointer == NULL) return 12; /* ENOMEM */
    *out = pointer;
    return 0;
}

static long Setting(const char* name, long fallback)
{
    const char* value = getenv(name);
    return value != NULL && atol(value) > 0 ? atol(value) : fallback;
}

typedef void (*SwapWindow)(void* window);

void SDL_GL_SwapWindow(void* window)
{
    static SwapWindow next;
    static long frames, warmFrames, countedFrames, startTotal, startThread;
    if (next == NULL) {
        /* POSIX's way of turning dlsym's object pointer into a function pointer. */
        *(void**)&next = dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
        warmFrames = Setting("CRS_ALLOC_WARM_FRAMES", 100);
        countedFrames = Setting("CRS_ALLOC_FRAMES", 200);
    }
    next(window);
    ++frames;
    if (frames == warmFrames) {
        startTotal = atomic_load(&allocations);
        startThread = threadAllocations;
    } else if (frames == warmFrames + countedFrames) {
        fprintf(stderr, "alloc-count: %ld allocations in %ld frames, %ld of them on the drawing thread\n",
                atomic_load(&allocations) - startTotal, countedFrames, threadAllocations - startThread);
    }
}
