/* The yardstick of tessadox-server's 304 answers: libmicrohttpd as the
 * server runs it (a polling thread a core, epoll), answering every request
 * with an empty 304 that carries the same headers, and doing nothing else.
 *   usage: bare_304_server PORT      (runs until SIGTERM or SIGINT) */
#include <microhttpd.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static enum MHD_Result answer(void* cls, struct MHD_Connection* connection, const char* url,
                              const char* method, const char* version, const char* upload,
                              size_t* upload_size, void** per_request) {
    (void)cls, (void)url, (void)method, (void)version, (void)upload;
    /* An answer queued on the first call, the headers', closes the
     * connection: the next call answers, and the connection stays open. */
    static int headers_read;
    if (*per_request == NULL) {
        *per_request = &headers_read;
        return MHD_YES;
    }
    if (*upload_size != 0) {
        *upload_size = 0;
        return MHD_YES;
    }
    struct MHD_Response* response =
        MHD_create_response_from_buffer(0, NULL, MHD_RESPMEM_PERSISTENT);
    MHD_add_response_header(response, MHD_HTTP_HEADER_ETAG, "\"0123456789abcdef\"");
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL,
                            "public, max-age=31536000, immutable");
    MHD_add_response_header(response, MHD_HTTP_HEADER_X_CONTENT_TYPE_OPTIONS, "nosniff");
    enum MHD_Result queued = MHD_queue_response(connection, MHD_HTTP_NOT_MODIFIED, response);
    MHD_destroy_response(response);
    return queued;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: bare_304_server PORT\n");
        return 2;
    }
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stops, NULL);
    long cores = sysconf(_SC_NPROCESSORS_ONLN);
    struct MHD_Daemon* daemon = MHD_start_daemon(
        MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL, (uint16_t)atoi(argv[1]), NULL, NULL,
        answer, NULL, MHD_OPTION_THREAD_POOL_SIZE, (unsigned)(cores > 0 ? cores : 1),
        MHD_OPTION_CONNECTION_LIMIT, 1000u, MHD_OPTION_END);
    if (!daemon) {
        perror("bare_304_server");
        return 1;
    }
    int signal_number;
    sigwait(&stops, &signal_number);
    MHD_stop_daemon(daemon);
    return 0;
}
