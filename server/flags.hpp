// The command line of tessadox-server: where to listen and how much it may
// take (threads, work per picture, cache, connections, time).
#pragma once

#include <sys/socket.h>

#include <cstddef>
#include <string>

struct server_settings {
    sockaddr_storage address{};
    socklen_t address_size = 0;
    int threads = 1;              // drawing threads
    std::size_t queue_length = 0; // draws that may wait for a thread
    long long max_steps = 0;      // plotting steps of one picture; 0: no bound
    std::size_t cache_bytes = 0;
    unsigned max_connections = 0;
    unsigned timeout_seconds = 0; // of an idle or slow connection
    unsigned stop_seconds = 0;    // given to requests in flight at SIGTERM
};

// The settings the arguments give; after --help or --version, or for a
// refused argument, the end of the process (status 0, or 2 with a message).
server_settings parse_server_flags(int argc, char** argv);
