/* The one entry point that the script cannot take from the public header as
 * it is: a draw on this build's single thread whose progress function asks
 * the script, between stretches of the plotting pass, whether the caller
 * has given up on it. Everything else the script calls is the library's own
 * function. */
#include <emscripten.h>

#include "tessadox/tessadox.h"

/* The worker that runs the module sets Module.stopRequested; the call that
 * the draw makes to it every 2^20 steps costs nothing beside them. */
EM_JS(int, stop_requested, (void), {
    return Module["stopRequested"] !== undefined && Module["stopRequested"]() ? 1 : 0;
});

static int ask_the_script(long long steps_done, long long steps, void* context) {
    (void)steps_done;
    (void)steps;
    (void)context;
    return stop_requested();
}

/* The module is built without threads, and creating one aborts it: the
 * draw always runs on the calling thread, whatever the options say. */
EMSCRIPTEN_KEEPALIVE int tessadox_web_draw(const void* checksum, size_t length,
                                           const tessadox_options* options,
                                           tessadox_picture** picture) {
    if (picture != NULL) {
        *picture = NULL;
    }
    tessadox_options* one_thread = tessadox_options_copy(options);
    if (one_thread == NULL) {
        return options == NULL ? TESSADOX_E_ARGUMENT : TESSADOX_E_NO_MEMORY;
    }
    int code = tessadox_options_set(one_thread, TESSADOX_THREADS, 1);
    if (code >= 0) {
        code = tessadox_draw(checksum, length, one_thread, ask_the_script, NULL, picture);
    }
    tessadox_options_free(one_thread);
    return code;
}
