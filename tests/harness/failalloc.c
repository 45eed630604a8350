/* Preloadable allocation-failure injector.
 *
 * Counts the calls of malloc, calloc and realloc made directly by the program's own code (the main
 * executable; the C library's and the loader's own allocations are not counted) and makes the one
 * numbered CALC_FAIL_ALLOC_AT return a null pointer. At exit, the count is written to the file
 * named by CALC_ALLOC_COUNT_FILE, so a test can first count a run's allocations and then fail each. */
#define _GNU_SOURCE
#include <link.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

extern void *__libc_malloc(size_t);
extern void *__libc_calloc(size_t, size_t);
extern void *__libc_realloc(void *, size_t);

static uintptr_t program_low, program_high;
static long fail_at = -1;
static long counted;

static int find_program(struct dl_phdr_info *info, size_t size, void *data) {
    (void)size;
    (void)data;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr) *segment = &info->dlpi_phdr[i];
        if (segment->p_type != PT_LOAD) continue;
        uintptr_t low = info->dlpi_addr + segment->p_vaddr;
        uintptr_t high = low + segment->p_memsz;
        if (program_low == 0 || low < program_low) program_low = low;
        if (high > program_high) program_high = high;
    }
    return 1; /* the first object is the main program */
}

static void write_count(void) {
    const char *path = getenv("CALC_ALLOC_COUNT_FILE");
    if (path == NULL) return;
    FILE *file = fopen(path, "w");
    if (file == NULL) return;
    fprintf(file, "%ld\n", counted);
    fclose(file);
}

__attribute__((constructor)) static void start(void) {
    dl_iterate_phdr(find_program, NULL);
    const char *at = getenv("CALC_FAIL_ALLOC_AT");
    if (at != NULL) fail_at = atol(at);
    atexit(write_count);
}

/* True when this call comes from the program and is the one to fail. */
static int should_fail(void *caller) {
    uintptr_t from = (uintptr_t)caller;
    if (from < program_low || from >= program_high) return 0;
    return ++counted == fail_at;
}

void *malloc(size_t size) {
    if (should_fail(__builtin_return_address(0))) return NULL;
    return __libc_malloc(size);
}

void *calloc(size_t count, size_t size) {
    if (should_fail(__builtin_return_address(0))) return NULL;
    return __libc_calloc(count, size);
}

void *realloc(void *block, size_t size) {
    if (should_fail(__builtin_return_address(0))) return NULL;
    return __libc_realloc(block, size);
}
