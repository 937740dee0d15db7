// From a request to its answer on libmicrohttpd: the method, the length and
// the path are checked first, then a picture's settings; a picture is
// answered by If-None-Match, from the cache, or by a draw on the drawing
// threads while its connection waits suspended.
#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "access_log.hpp"
#include "request.hpp"
#include "server.hpp"

namespace {

using clock_type = std::chrono::steady_clock;

// One request, from its first line to the end of its answer.
struct exchange {
    std::string uri;
    std::string method = "-";
    std::string version = "-";
    clock_type::time_point started = clock_type::now();
    int status = 0;
    unsigned long long body_bytes = 0;
    bool headers_read = false;
    bool waiting_for_draw = false;
    int draw_code = TESSADOX_OK;
    std::shared_ptr<const picture_answer> drawn;
};

constexpr char cache_forever[] = "public, max-age=31536000, immutable";

void add_header(MHD_Response* response, const char* name, const char* value) {
    MHD_add_response_header(response, name, value);
}

MHD_Result send(MHD_Connection* connection, exchange& request, int status, MHD_Response* response,
                unsigned long long body_bytes) {
    request.status = status;
    request.body_bytes = request.method == "HEAD" ? 0 : body_bytes;
    const MHD_Result queued = MHD_queue_response(connection, status, response);
    return queued;
}

MHD_Result send_text(MHD_Connection* connection, exchange& request, int status,
                     const std::string& text,
                     const char* content_type = "text/plain; charset=utf-8",
                     const char* header = nullptr, const char* value = nullptr) {
    MHD_Response* response = MHD_create_response_from_buffer(
        text.size(), const_cast<char*>(text.data()), MHD_RESPMEM_MUST_COPY);
    if (!response) {
        return MHD_NO;
    }
    add_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, content_type);
    add_header(response, MHD_HTTP_HEADER_X_CONTENT_TYPE_OPTIONS, "nosniff");
    if (header) {
        add_header(response, header, value);
    }
    const MHD_Result queued = send(connection, request, status, response, text.size());
    MHD_destroy_response(response);
    return queued;
}

MHD_Result refuse(MHD_Connection* connection, exchange& request, const refusal& why) {
    if (why.status == MHD_HTTP_SERVICE_UNAVAILABLE) {
        return send_text(connection, request, why.status, why.text + "\n",
                         "text/plain; charset=utf-8", MHD_HTTP_HEADER_RETRY_AFTER, "1");
    }
    return send_text(connection, request, why.status, why.text + "\n");
}

void add_picture_headers(MHD_Response* response, const std::string& etag) {
    add_header(response, MHD_HTTP_HEADER_ETAG, etag.c_str());
    add_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, cache_forever);
    add_header(response, MHD_HTTP_HEADER_X_CONTENT_TYPE_OPTIONS, "nosniff");
}

MHD_Result send_picture(MHD_Connection* connection, exchange& request,
                        const picture_answer& answer) {
    return send(connection, request, MHD_HTTP_OK, answer.response, answer.png_size);
}

MHD_Result send_not_modified(MHD_Connection* connection, exchange& request,
                             const std::string& etag) {
    MHD_Response* response = MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT);
    if (!response) {
        return MHD_NO;
    }
    add_picture_headers(response, etag);
    const MHD_Result queued = send(connection, request, MHD_HTTP_NOT_MODIFIED, response, 0);
    MHD_destroy_response(response);
    return queued;
}

int keep_drawing(long long, long long, void* abandon) {
    return static_cast<std::atomic<bool>*>(abandon)->load(std::memory_order_relaxed) ? 1 : 0;
}

void release_png(void* png) {
    tessadox_png_free(static_cast<unsigned char*>(png));
}

// Runs on a drawing thread.
void draw(server_state& state, exchange& request, const picture_request& picture) {
    if (state.abandon_draws.load()) {
        request.draw_code = TESSADOX_E_STOPPED;
        return;
    }
    const auto started = clock_type::now();
    tessadox_picture* drawn = nullptr;
    int code = tessadox_draw(picture.checksum.data(), picture.checksum.size(),
                             picture.options.get(), keep_drawing, &state.abandon_draws, &drawn);
    unsigned char* png = nullptr;
    std::size_t png_size = 0;
    if (code == TESSADOX_OK) {
        code = tessadox_encode_png(drawn, &png, &png_size);
        count_draw(state.metrics, clock_type::now() - started);
    }
    tessadox_picture_free(drawn);
    request.draw_code = code;
    if (code != TESSADOX_OK) {
        return;
    }
    MHD_Response* response =
        MHD_create_response_from_buffer_with_free_callback_cls(png_size, png, release_png, png);
    if (!response) {
        tessadox_png_free(png);
        request.draw_code = TESSADOX_E_NO_MEMORY;
        return;
    }
    add_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "image/png");
    add_picture_headers(response, picture.etag);
    request.drawn = make_picture_answer(response, png_size);
    if (state.cache.byte_limit > 0) {
        keep_answer(state.cache, picture.key, request.drawn);
    }
}

MHD_Result send_drawn(MHD_Connection* connection, exchange& request) {
    request.waiting_for_draw = false;
    if (request.drawn) {
        return send_picture(connection, request, *request.drawn);
    }
    const int code = request.draw_code;
    const bool refused = code == TESSADOX_E_TOO_MUCH_WORK || code == TESSADOX_E_RANGE ||
                         code == TESSADOX_E_TRANSPARENT_BACKGROUND;
    if (refused) {
        return refuse(connection, request, {MHD_HTTP_BAD_REQUEST, tessadox_error_text(code)});
    }
    if (code == TESSADOX_E_STOPPED) {
        return refuse(connection, request,
                      {MHD_HTTP_SERVICE_UNAVAILABLE, "the server is stopping; ask another"});
    }
    if (code == TESSADOX_E_NO_MEMORY) {
        return refuse(connection, request,
                      {MHD_HTTP_SERVICE_UNAVAILABLE, tessadox_error_text(code)});
    }
    return refuse(connection, request, {MHD_HTTP_INTERNAL_SERVER_ERROR, tessadox_error_text(code)});
}

MHD_Result collect_parameter(void* into, MHD_ValueKind, const char* name, size_t name_size,
                             const char* value, size_t value_size) {
    auto& parameters = *static_cast<std::vector<query_parameter>*>(into);
    parameters.push_back(
        {{name, name_size},
         value ? std::optional<std::string_view>({value, value_size}) : std::nullopt});
    return MHD_YES;
}

MHD_Result answer_picture(server_state& state, MHD_Connection* connection, exchange& request,
                          const char* path) {
    std::vector<query_parameter> query;
    MHD_get_connection_values_n(connection, MHD_GET_ARGUMENT_KIND, collect_parameter, &query);
    request_reading reading = read_picture_request(path, query, state.settings.max_steps);
    if (const auto* why = std::get_if<refusal>(&reading)) {
        return refuse(connection, request, *why);
    }
    auto picture = std::make_shared<picture_request>(std::move(std::get<picture_request>(reading)));

    const char* if_none_match =
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_IF_NONE_MATCH);
    if (if_none_match && none_match_names(if_none_match, picture->etag)) {
        return send_not_modified(connection, request, picture->etag);
    }
    if (state.cache.byte_limit > 0) {
        if (const auto kept = find_answer(state.cache, picture->key)) {
            state.metrics.cache_hits.fetch_add(1, std::memory_order_relaxed);
            return send_picture(connection, request, *kept);
        }
    }
    state.metrics.cache_misses.fetch_add(1, std::memory_order_relaxed);
    if (!reserve_work(state.drawing)) {
        return refuse(connection, request,
                      {MHD_HTTP_SERVICE_UNAVAILABLE,
                       "every drawing thread is busy and the queue is full; try again"});
    }
    // Suspended before the draw is handed over, so the drawing thread can
    // never resume a connection that is not yet suspended.
    MHD_suspend_connection(connection);
    request.waiting_for_draw = true;
    submit_reserved_work(state.drawing, [&state, &request, connection, picture] {
        draw(state, request, *picture);
        MHD_resume_connection(connection);
    });
    return MHD_YES;
}

MHD_Result answer(void* context, MHD_Connection* connection, const char* url, const char* method,
                  const char* version, const char*, size_t* upload_size, void** per_request) {
    server_state& state = *static_cast<server_state*>(context);
    exchange& request = *static_cast<exchange*>(*per_request);
    if (request.waiting_for_draw) {
        return send_drawn(connection, request);
    }
    // libmicrohttpd closes the connection after an answer queued on the
    // first call, the headers' (the body is left unread). That suits a
    // method refused, whose body is not wanted; every other answer waits
    // for the next call, and the connection stays open for the next request.
    if (!request.headers_read) {
        request.headers_read = true;
        request.method = method;
        request.version = version;
        const bool head = std::strcmp(method, MHD_HTTP_METHOD_HEAD) == 0;
        if (!head && std::strcmp(method, MHD_HTTP_METHOD_GET) != 0) {
            return send_text(connection, request, MHD_HTTP_METHOD_NOT_ALLOWED,
                             "the method " + std::string(method).substr(0, 20) +
                                 " is not allowed here; GET and HEAD are\n",
                             "text/plain; charset=utf-8", MHD_HTTP_HEADER_ALLOW, "GET, HEAD");
        }
        return MHD_YES;
    }
    if (*upload_size != 0) {
        *upload_size = 0; // a body sent with GET means nothing
        return MHD_YES;
    }
    if (request.uri.size() > longest_uri) {
        return refuse(connection, request,
                      {MHD_HTTP_URI_TOO_LONG, "the URI has " + std::to_string(request.uri.size()) +
                                                  " bytes; at most " +
                                                  std::to_string(longest_uri)});
    }
    const std::string_view path = url;
    if (path == "/") {
        return send_text(connection, request, MHD_HTTP_OK, state.home_page,
                         "text/html; charset=utf-8");
    }
    if (path == "/healthz") {
        return send_text(connection, request, MHD_HTTP_OK, "ok\n", "text/plain; charset=utf-8",
                         MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    }
    if (path == "/metrics") {
        const std::string text =
            metrics_text(state.metrics, {work_taken(state.drawing), measure_cache(state.cache)});
        return send_text(connection, request, MHD_HTTP_OK, text,
                         "text/plain; version=0.0.4; charset=utf-8", MHD_HTTP_HEADER_CACHE_CONTROL,
                         "no-store");
    }
    if (path.starts_with(picture_path_prefix)) {
        return answer_picture(state, connection, request, url);
    }
    return refuse(connection, request, {MHD_HTTP_NOT_FOUND, "no such page; see /"});
}

void* begin_exchange(void* context, const char* uri, MHD_Connection*) {
    server_state& state = *static_cast<server_state*>(context);
    state.metrics.in_flight.fetch_add(1);
    auto* request = new exchange;
    request->uri = uri;
    return request;
}

void end_exchange(void* context, MHD_Connection* connection, void** per_request,
                  MHD_RequestTerminationCode) {
    server_state& state = *static_cast<server_state*>(context);
    std::unique_ptr<exchange> request(static_cast<exchange*>(*per_request));
    if (!request) {
        return;
    }
    char client[64] = "-";
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (info && info->client_addr) {
        const sockaddr* address = info->client_addr;
        const void* bytes = address->sa_family == AF_INET6
                                ? static_cast<const void*>(
                                      &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr)
                                : &reinterpret_cast<const sockaddr_in*>(address)->sin_addr;
        inet_ntop(address->sa_family, bytes, client, sizeof client);
    }
    log_request(state.log,
                {client, request->method, request->uri, request->version, request->status,
                 request->body_bytes, clock_type::now() - request->started});
    count_answer(state.metrics, request->status);
    state.metrics.in_flight.fetch_sub(1);
    *per_request = nullptr;
}

} // namespace

MHD_Daemon* start_daemon(server_state& state) {
    const server_settings& settings = state.settings;
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME |
                     MHD_USE_ERROR_LOG;
    if (settings.address.ss_family == AF_INET6) {
        flags |= MHD_USE_IPv6;
    }
    const unsigned pollers = std::max(1u, std::thread::hardware_concurrency());
    return MHD_start_daemon(
        flags, 0, nullptr, nullptr, answer, &state, MHD_OPTION_SOCK_ADDR, &settings.address,
        MHD_OPTION_THREAD_POOL_SIZE, pollers, MHD_OPTION_CONNECTION_LIMIT, settings.max_connections,
        MHD_OPTION_CONNECTION_TIMEOUT, settings.timeout_seconds, MHD_OPTION_URI_LOG_CALLBACK,
        begin_exchange, &state, MHD_OPTION_NOTIFY_COMPLETED, end_exchange, &state,
        MHD_OPTION_LISTEN_BACKLOG_SIZE, 1024u, MHD_OPTION_END);
}

int listening_port(MHD_Daemon* daemon) {
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon, MHD_DAEMON_INFO_BIND_PORT);
    return info ? info->port : -1;
}
