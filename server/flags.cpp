#include "flags.hpp"

#include <arpa/inet.h>
#include <getopt.h>
#include <netinet/in.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <thread>

#include "request.hpp"
#include "tessadox/tessadox.h"

namespace {

constexpr char usage_format[] =
    "Usage: tessadox-server [OPTION]...\n"
    "Serves checksums drawn as pictures over HTTP: GET /v1/<hex>.png.\n"
    "\n"
    "  --listen ADDR:PORT     the address to listen on (default 127.0.0.1:8080;\n"
    "                         [::1]:8080 for IPv6; port 0 picks a free one)\n"
    "  --threads N            drawing threads (default %u, the cores)\n"
    "  --queue N              draws that may wait for a thread before new ones\n"
    "                         are answered 503 (default 64)\n"
    "  --max-steps N          the plotting steps of one picture at most, as\n"
    "                         for -r 1000 by default (%lld); 0: no bound\n"
    "  --cache-bytes N        bytes of answers kept in memory (default 67108864,\n"
    "                         64 MiB); 0: none\n"
    "  --max-connections N    connections open at once (default 1000)\n"
    "  --timeout SECONDS      an idle or slow connection is closed after this\n"
    "                         long (default 10)\n"
    "  --stop-seconds N       time that requests in flight get to finish after\n"
    "                         SIGTERM or SIGINT (default 10)\n"
    "  -h, --help             print this help and exit\n"
    "  -v, --version          print the version and exit\n"
    "\n"
    "Each request is logged on standard error. See tessadox-server(1).\n";

[[noreturn]] void refuse(const char* what, const char* value) {
    std::fprintf(stderr, "tessadox-server: %s, not '%s'\n", what, value);
    std::fprintf(stderr, "Try 'tessadox-server --help'.\n");
    std::exit(2);
}

std::optional<long long> number_in(const char* text, long long lowest, long long highest) {
    long long value = 0;
    const char* end = text + std::strlen(text);
    auto [stop, error] = std::from_chars(text, end, value);
    if (*text == '\0' || error != std::errc() || stop != end || value < lowest || value > highest) {
        return std::nullopt;
    }
    return value;
}

long long number_flag(const char* text, long long lowest, long long highest, const char* what) {
    const auto value = number_in(text, lowest, highest);
    if (!value) {
        refuse(what, text);
    }
    return *value;
}

void read_listen_address(const char* text, server_settings& settings) {
    const std::string_view whole(text);
    const std::size_t colon = whole.rfind(':');
    if (colon == std::string_view::npos) {
        refuse("--listen takes ADDRESS:PORT", text);
    }
    std::string host(whole.substr(0, colon));
    const std::string port_text(whole.substr(colon + 1));
    const auto port = number_in(port_text.c_str(), 0, 65535);
    if (!port) {
        refuse("--listen takes a port from 0 to 65535", text);
    }
    const bool bracketed = host.size() >= 2 && host.front() == '[' && host.back() == ']';
    if (bracketed) {
        host = host.substr(1, host.size() - 2);
        auto* six = reinterpret_cast<sockaddr_in6*>(&settings.address);
        six->sin6_family = AF_INET6;
        six->sin6_port = htons(static_cast<uint16_t>(*port));
        if (inet_pton(AF_INET6, host.c_str(), &six->sin6_addr) != 1) {
            refuse("--listen takes an IPv6 address in brackets", text);
        }
        settings.address_size = sizeof(sockaddr_in6);
        return;
    }
    auto* four = reinterpret_cast<sockaddr_in*>(&settings.address);
    four->sin_family = AF_INET;
    four->sin_port = htons(static_cast<uint16_t>(*port));
    if (inet_pton(AF_INET, host.c_str(), &four->sin_addr) != 1) {
        refuse("--listen takes an IPv4 address as 127.0.0.1", text);
    }
    settings.address_size = sizeof(sockaddr_in);
}

} // namespace

server_settings parse_server_flags(int argc, char** argv) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const long long budget = default_max_steps();
    if (budget <= 0) {
        std::fprintf(stderr, "tessadox-server: the library tells no plotting steps for -r 1000\n");
        std::exit(1);
    }
    server_settings settings;
    read_listen_address("127.0.0.1:8080", settings);
    settings.threads = static_cast<int>(cores);
    settings.queue_length = 64;
    settings.max_steps = budget;
    settings.cache_bytes = 64u << 20;
    settings.max_connections = 1000;
    settings.timeout_seconds = 10;
    settings.stop_seconds = 10;

    enum { listen = 256, threads, queue, max_steps, cache_bytes, connections, timeout, stop };
    static const option flags[] = {
        {"listen", required_argument, nullptr, listen},
        {"threads", required_argument, nullptr, threads},
        {"queue", required_argument, nullptr, queue},
        {"max-steps", required_argument, nullptr, max_steps},
        {"cache-bytes", required_argument, nullptr, cache_bytes},
        {"max-connections", required_argument, nullptr, connections},
        {"timeout", required_argument, nullptr, timeout},
        {"stop-seconds", required_argument, nullptr, stop},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'v'},
        {nullptr, 0, nullptr, 0},
    };
    constexpr long long most = 1ll << 62;
    int flag;
    while ((flag = getopt_long(argc, argv, "hv", flags, nullptr)) != -1) {
        switch (flag) {
        case listen:
            read_listen_address(optarg, settings);
            break;
        case threads:
            settings.threads = static_cast<int>(
                number_flag(optarg, 1, 256, "--threads takes a number from 1 to 256"));
            break;
        case queue:
            settings.queue_length = static_cast<std::size_t>(
                number_flag(optarg, 0, 100000, "--queue takes a number from 0 to 100000"));
            break;
        case max_steps:
            settings.max_steps =
                number_flag(optarg, 0, most, "--max-steps takes a number of 0 or more");
            break;
        case cache_bytes:
            settings.cache_bytes = static_cast<std::size_t>(
                number_flag(optarg, 0, most, "--cache-bytes takes a number of 0 or more"));
            break;
        case connections:
            settings.max_connections = static_cast<unsigned>(number_flag(
                optarg, 1, 1000000, "--max-connections takes a number from 1 to 1000000"));
            break;
        case timeout:
            settings.timeout_seconds = static_cast<unsigned>(
                number_flag(optarg, 1, 86400, "--timeout takes seconds from 1 to 86400"));
            break;
        case stop:
            settings.stop_seconds = static_cast<unsigned>(
                number_flag(optarg, 0, 86400, "--stop-seconds takes seconds from 0 to 86400"));
            break;
        case 'h':
            std::printf(usage_format, cores, budget);
            std::exit(std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1);
        case 'v':
            std::printf("tessadox-server %s\n", tessadox_version());
            std::exit(std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1);
        default:
            std::fprintf(stderr, "Try 'tessadox-server --help'.\n");
            std::exit(2);
        }
    }
    if (optind < argc) {
        refuse("tessadox-server takes no operands", argv[optind]);
    }
    return settings;
}
