/* Allocations per frame of a running viewer, for scripts/bench: preloaded (LD_PRELOAD), it counts
 * every malloc, calloc, realloc and aligned allocation, and the frames as SDL_GL_SwapWindow is
 * called. After CRS_ALLOC_WARM_FRAMES frames (default 100), so that start-up and the first frames'
 * caches are over, it counts CRS_ALLOC_FRAMES more (default 200) and prints
 * "alloc-count: <n> allocations in <frames> frames, <m> of them inside the GL driver". */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <execinfo.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

extern void* __libc_malloc(size_t size);
extern void* __libc_calloc(size_t count, size_t size);
extern void* __libc_realloc(void* pointer, size_t size);
extern void* __libc_memalign(size_t alignment, size_t size);

static atomic_long allocations, driverAllocations;
static atomic_int counting;
static _Thread_local int classifying;

static int IsDriver(const char* library)
{
    return strstr(library, "_dri.so") != NULL || strstr(library, "libgallium") != NULL ||
           strstr(library, "libLLVM") != NULL || strstr(library, "libGL") != NULL ||
           strstr(library, "libglapi") != NULL || strstr(library, "libEGL") != NULL;
}

/* Whether the GL driver is on the allocating stack: Mesa's or the GL dispatch's code, or JIT code
 * of no library. What the driver calls (Xlib, xcb) allocates on its behalf. backtrace and dladdr
 * allocate nothing once backtrace has been called (which loads libgcc's unwinder). */
static int FromDriver(void)
{
    void* frames[32];
    const int count = backtrace(frames, 32);
    for (int i = 0; i < count; ++i) {
        Dl_info info;
        if (dladdr(frames[i], &info) == 0 || info.dli_fname == NULL) return 1;
        if (IsDriver(info.dli_fname)) return 1;
    }
    return 0;
}

static void Count(void)
{
    if (!atomic_load_explicit(&counting, memory_order_relaxed) || classifying) return;
    classifying = 1;
    atomic_fetch_add_explicit(&allocations, 1, memory_order_relaxed);
    if (FromDriver()) atomic_fetch_add_explicit(&driverAllocations, 1, memory_order_relaxed);
    classifying = 0;
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
    static long frames, warmFrames, countedFrames;
    if (next == NULL) {
        /* POSIX's way of turning dlsym's object pointer into a function pointer. */
        *(void**)&next = dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
        warmFrames = Setting("CRS_ALLOC_WARM_FRAMES", 100);
        countedFrames = Setting("CRS_ALLOC_FRAMES", 200);
        void* frame[1];
        backtrace(frame, 1);
    }
    next(window);
    ++frames;
    if (frames == warmFrames) {
        atomic_store(&counting, 1);
    } else if (frames == warmFrames + countedFrames) {
        atomic_store(&counting, 0);
        fprintf(stderr, "alloc-count: %ld allocations in %ld frames, %ld of them inside the GL driver\n",
                atomic_load(&allocations), countedFrames, atomic_load(&driverAllocations));
    }
}
