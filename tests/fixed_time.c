/* Preloaded into the binary under test: time() answers the second named by
   TESSADOX_TEST_TIME, so that a run's random sequence, and so its bytes, are
   known. Without the variable the real clock answers. */
#include <stdlib.h>
#include <time.h>

time_t time(time_t* result) {
    const char* pinned = getenv("TESSADOX_TEST_TIME");
    time_t now;
    if (pinned != NULL) {
        now = (time_t)strtoll(pinned, NULL, 10);
    } else {
        struct timespec ts;
        clock_gettime(CLOCK_REALTIME, &ts);
        now = ts.tv_sec;
    }
    if (result != NULL) {
        *result = now;
    }
    return now;
}
