// tessadox-server: checksums drawn as pictures, each at a URL that never
// changes. Listens, answers until SIGTERM or SIGINT, then stops accepting,
// lets the requests in flight finish until a deadline, and exits 0.
#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <string>

#include "access_log.hpp"
#include "flags.hpp"
#include "home_page.hpp"
#include "server.hpp"

namespace {

// The address to listen on, with `port`, or with the port asked for as -1.
std::string address_text(const server_settings& settings, int port) {
    char host[64] = "?";
    const auto& address = settings.address;
    if (port < 0) {
        port = ntohs(address.ss_family == AF_INET6
                         ? reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port
                         : reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
    }
    if (address.ss_family == AF_INET6) {
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(&address)->sin6_addr, host,
                  sizeof host);
        return "[" + std::string(host) + "]:" + std::to_string(port);
    }
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(&address)->sin_addr, host,
              sizeof host);
    return std::string(host) + ":" + std::to_string(port);
}

// Waits up to `seconds` for the requests in flight; a second signal ends
// the wait at once.
void let_requests_finish(server_state& state, const sigset_t& stops, unsigned seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (state.metrics.in_flight.load() > 0 && std::chrono::steady_clock::now() < deadline) {
        const timespec pause{0, 10'000'000};
        flush_log(state.log);
        if (sigtimedwait(&stops, nullptr, &pause) > 0) {
            return;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    server_state state;
    state.settings = parse_server_flags(argc, argv);
    state.cache.byte_limit = state.settings.cache_bytes;
    state.home_page = home_page();

    // The signals are taken by sigwait below, so every thread started from
    // here on has them blocked; a client gone away is no reason to end.
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    start_work_queue(state.drawing, state.settings.threads, state.settings.queue_length);
    MHD_Daemon* daemon = start_daemon(state);
    if (!daemon) {
        const std::string reason = std::strerror(errno);
        log_event(state.log,
                  "cannot listen on " + address_text(state.settings, -1) + ": " + reason);
        stop_work_queue(state.drawing);
        return 1;
    }
    log_event(state.log, "listening on " + address_text(state.settings, listening_port(daemon)) +
                             ", " + std::to_string(state.settings.threads) + " drawing threads");

    // The access log is written at least every tenth of a second.
    int signal;
    do {
        const timespec tenth{0, 100'000'000};
        signal = sigtimedwait(&stops, nullptr, &tenth);
        flush_log(state.log);
    } while (signal < 0);
    log_event(state.log, std::string("stopping on ") + (signal == SIGINT ? "SIGINT" : "SIGTERM") +
                             ", " + std::to_string(state.metrics.in_flight.load()) +
                             " requests in flight");
    const MHD_socket listener = MHD_quiesce_daemon(daemon);
    if (listener != MHD_INVALID_SOCKET) {
        close(listener);
    }
    let_requests_finish(state, stops, state.settings.stop_seconds);

    // Past the deadline the draws still running stop; each is answered 503,
    // and those answers get a moment to go out.
    state.abandon_draws.store(true);
    stop_work_queue(state.drawing);
    let_requests_finish(state, stops, 1);
    MHD_stop_daemon(daemon);
    log_event(state.log, "stopped");
    return 0;
}
