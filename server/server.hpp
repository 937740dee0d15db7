// The running server: its settings and everything its threads share. Made
// once in main and handed to libmicrohttpd's callbacks; nothing lives at
// namespace scope.
#pragma once

#include <atomic>
#include <string>

#include "access_log.hpp"
#include "answer_cache.hpp"
#include "flags.hpp"
#include "metrics.hpp"
#include "work_queue.hpp"

struct MHD_Daemon;

struct server_state {
    server_settings settings;
    server_metrics metrics;
    answer_cache cache;
    work_queue drawing;
    access_log log;
    std::atomic<bool> abandon_draws{false}; // past the deadline of a stop
    std::string home_page;
};

// Listens as the settings say, answering with `state`; NULL with errno set
// when it cannot.
MHD_Daemon* start_daemon(server_state& state);

// The port the daemon listens on, which the kernel picks for port 0.
int listening_port(MHD_Daemon* daemon);
