/* Preloaded by floor_table to compare the draws of tessadox and of the
   floor: counts the calls of rand() and reports the count on standard error
   when the process ends. The values themselves come from the C library. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>

static long calls;

int rand(void) {
    static int (*real_rand)(void);
    if (real_rand == NULL) {
        real_rand = (int (*)(void))dlsym(RTLD_NEXT, "rand");
    }
    ++calls;
    return real_rand();
}

__attribute__((destructor)) static void report_calls(void) {
    fprintf(stderr, "rand() calls: %ld\n", calls);
}
