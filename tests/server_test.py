#!/usr/bin/env python3
"""tessadox-server on the loopback, through curl: the golden vectors, the
headers, HEAD and 304, each refusal, equivalent URLs, the budget, the pages,
the graceful stop with a slow request in flight, 500 idle connections, and
two servers behind nginx with the configuration that the package ships.
Every server listens on 127.0.0.1 at a port the kernel picks.

usage: server_test.py SERVER TESSADOX VECTORS_JSON GROUP
  GROUP: http | stop | abandon | idle | nginx
"""
import hashlib
import json
import os
import re
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

server_binary, tessadox_binary, vectors_path, group = sys.argv[1:5]
failures = []


def fail(what):
    print("FAIL:", what)
    failures.append(what)


def expect(condition, what):
    if not condition:
        fail(what)
    return condition


class Server:
    """A server on a free loopback port; its standard error is kept line by line."""

    def __init__(self, *flags):
        self.process = subprocess.Popen(
            [server_binary, "--listen", "127.0.0.1:0", *flags],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        self.lines = []
        first = self.process.stderr.readline()
        found = re.search(r"listening on 127\.0\.0\.1:(\d+)", first)
        if not found:
            self.process.kill()
            raise SystemExit(f"the server did not start: {first!r}")
        self.port = int(found.group(1))
        self.base = f"http://127.0.0.1:{self.port}"
        threading.Thread(target=self._keep_lines, daemon=True).start()

    def _keep_lines(self):
        for line in self.process.stderr:
            self.lines.append(line)

    def logged(self, text):
        """The lines of the log that hold `text`, once the server has written
        what it buffers (at least every tenth of a second)."""
        time.sleep(0.3)
        return [line for line in list(self.lines) if text in line]

    def metric(self, name):
        status, _, body = get(self.base + "/metrics")
        found = re.search(rf"^{re.escape(name)} (\S+)$", body.decode(), re.M)
        return float(found.group(1)) if status == 200 and found else None

    def stop(self, seconds=10):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        try:
            return self.process.wait(seconds)
        except subprocess.TimeoutExpired:
            self.process.kill()
            return None


def curl(url, *options, seconds=20):
    """(status, headers with lower-case names, body) of one request; status 0 when
    curl itself failed."""
    with tempfile.TemporaryDirectory() as folder:
        headers_file, body_file = os.path.join(folder, "h"), os.path.join(folder, "b")
        run = subprocess.run(
            ["curl", "-sS", "--max-time", str(seconds), "-D", headers_file, "-o", body_file,
             "-w", "%{http_code}", *options, url], capture_output=True, text=True)
        if run.returncode != 0:
            return 0, {}, run.stderr.encode()
        headers = {}
        with open(headers_file) as lines:
            for line in lines:
                name, colon, value = line.partition(":")
                if colon:
                    headers[name.strip().lower()] = value.strip()
        body = b""
        if os.path.exists(body_file):
            with open(body_file, "rb") as data:
                body = data.read()
        return int(run.stdout), headers, body


def get(url, *options):
    return curl(url, *options)


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def command_png(checksum, seed, arguments):
    return subprocess.run([tessadox_binary, *arguments], input=checksum.encode(),
                          env={**os.environ, "SOURCE_DATE_EPOCH": str(seed)},
                          capture_output=True, check=True).stdout


HEX = set("0123456789abcdefABCDEF")


def vector_url(case):
    """The URL that asks for a vector's picture. A checksum of 1 to 128
    hexadecimal digits goes as it is. Another goes as the digits the library
    reads from it: it reads at most 128 bytes and counts every other byte as
    0; at checksum length 0, its leading digits, rounded down to a multiple
    of 8, from 8 to 128."""
    checksum, options = case["checksum"], case["options"]
    if not (checksum and len(checksum) <= 128 and set(checksum) <= HEX):
        leading = len(checksum) - len(checksum.lstrip("0123456789abcdefABCDEF"))
        if options.get("checksum_length", 0) == 0 and leading >= 8:
            checksum = checksum[:min(leading, 128)]
        else:
            read = checksum[:8] if options.get("checksum_length", 0) == 0 else checksum[:128]
            checksum = "".join(c if c in HEX else "0" for c in read) or "0"
    query = [f"seed={case['seed']}"] + [f"{name}={value}" for name, value in options.items()]
    return f"/v1/{checksum}.png?" + "&".join(query)


def test_vectors(server):
    with open(vectors_path) as data:
        cases = json.load(data)["cases"]
    expect(len(cases) >= 20, f"only {len(cases)} vectors")
    # One curl for all, several at a time, as the drawing threads take them.
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "urls"), "w") as config:
            for i, case in enumerate(cases):
                config.write(f'url = "{server.base}{vector_url(case)}"\noutput = "{folder}/{i}"\n')
        run = subprocess.run(["curl", "-sS", "--no-progress-meter", "--parallel",
                              "--parallel-max", "4", "--max-time", "60", "-w", "%{http_code}\\n",
                              "-K", os.path.join(folder, "urls")], capture_output=True, text=True)
        statuses = run.stdout.split()
        expect(run.returncode == 0 and statuses == ["200"] * len(cases),
               f"vectors: curl {run.returncode}, statuses {statuses}")
        for i, case in enumerate(cases):
            answer = os.path.join(folder, str(i))
            with open(answer, "rb") if os.path.exists(answer) else open(os.devnull, "rb") as png:
                expect(sha256(png.read()) == case["png_sha256"],
                       f"vector {case['name']}: other PNG bytes from {vector_url(case)}")


def test_picture_headers(server):
    url = server.base + "/v1/9e107d9d372bb6826bd81d3542a419d6.png?resolution=48&color_mode=areas"
    status, headers, body = get(url)
    expect(status == 200, f"picture: status {status}")
    expect(headers.get("content-type") == "image/png", f"content-type {headers}")
    expect(headers.get("content-length") == str(len(body)), "content-length")
    expect(headers.get("cache-control") == "public, max-age=31536000, immutable", "cache-control")
    expect(headers.get("x-content-type-options") == "nosniff", "nosniff")
    etag = headers.get("etag", "")
    expect(re.fullmatch(r'"[^"]+"', etag), f"not a strong ETag: {etag!r}")
    expect(body == command_png("9e107d9d372bb6826bd81d3542a419d6", 0, ["-r", "48", "-a"]),
           "the bytes are not the command's")

    status, head_headers, _ = get(url, "--head")
    expect(status == 200, f"HEAD: status {status}")
    expect({k: v for k, v in head_headers.items() if k != "date"} ==
           {k: v for k, v in headers.items() if k != "date"}, "HEAD's headers differ from GET's")
    # curl reads no body after HEAD, so whether one came is seen on the socket.
    with socket.create_connection(("127.0.0.1", server.port), timeout=5) as connection:
        connection.sendall(f"HEAD {url[len(server.base):]} HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                           "Connection: close\r\n\r\n".encode())
        answer = b""
        while chunk := connection.recv(65536):
            answer += chunk
    expect(answer.startswith(b"HTTP/1.1 200") and answer.endswith(b"\r\n\r\n"),
           f"HEAD sent a body: {answer[-40:]!r}")

    # 304 without drawing: a picture never drawn, asked with its ETag.
    fresh = server.base + "/v1/0123abcd.png?resolution=40&seed=7"
    _, fresh_headers, _ = get(fresh, "--head")
    draws = server.metric("tessadox_draw_seconds_count")
    for tags in (fresh_headers.get("etag", "?"), '"x", W/' + fresh_headers.get("etag", "?"), "*"):
        status, not_modified, body = get(fresh.replace("seed=7", "seed=07"), "-H",
                                         "If-None-Match: " + tags)
        expect(status == 304 and body == b"", f"If-None-Match {tags}: status {status}")
        expect(not_modified.get("etag") == fresh_headers.get("etag"), "304 without the ETag")
    expect(server.metric("tessadox_draw_seconds_count") == draws, "a 304 drew")
    status, _, _ = get(fresh, "-H", 'If-None-Match: "another"')
    expect(status == 200, f"another ETag: status {status}")


def test_equivalent_urls(server):
    same = ["/v1/ABCDEF12.png?resolution=40",
            "/v1/abcdef12.png?resolution=040&seed=0",
            "/v1/resolution=40/abcdef12.png",
            "/v1/seed=0/color_mode=mixed/abcdef12.png?resolution=40&checksum_length=0",
            "/v1/abcdef12.png?checksum_length=0&resolution=40&color_mode=1&background=0"]
    answers = [get(server.base + url) for url in same]
    expect(all(status == 200 for status, _, _ in answers), "an equivalent URL failed")
    expect(len({headers.get("etag") for _, headers, _ in answers}) == 1, "ETags differ")
    expect(len({body for _, _, body in answers}) == 1, "bytes differ")
    others = [get(server.base + url) for url in
              ("/v1/abcdef12.png?resolution=41", "/v1/abcdef13.png?resolution=40",
               "/v1/abcdef12.png?resolution=40&color_mode=gray")]
    tags = {headers.get("etag") for _, headers, _ in others} | {answers[0][1].get("etag")}
    expect(len(tags) == 4, "different pictures share an ETag")
    # Values that the library replaces name the picture of their replacement
    # (seen in the ETags of 304s, without drawing).
    for replaced, replacement in (("resolution=1500", "resolution=1000"),
                                  ("checksum_length=5", "checksum_length=32")):
        tags = [get(server.base + "/v1/abcdef12.png?" + query, "-H", "If-None-Match: *")
                for query in (replaced, replacement)]
        expect(tags[0][0] == 304 and tags[0][1].get("etag") == tags[1][1].get("etag"),
               f"{replaced} is not {replacement}")


REFUSALS = [
    # method, path, status, words of the answer
    ("GET", "/v1/xyz.png", 400, "no hexadecimal digit"),
    ("GET", "/v1/.png", 400, "empty"),
    ("GET", "/v1/" + "a" * 129 + ".png", 400, "at most 128"),
    ("GET", "/v1/abc.png?resolution=abc", 400, "not a whole number"),
    ("GET", "/v1/abc.png?resolution=0", 400, "outside 1 to"),
    ("GET", "/v1/abc.png?resolution=1e3", 400, "not a whole number"),
    ("GET", "/v1/abc.png?color_mode=pink", 400, "none of gray, mixed, areas"),
    ("GET", "/v1/abc.png?size=3", 400, "unknown parameter 'size'"),
    ("GET", "/v1/abc.png?threads=2", 400, "server's"),
    ("GET", "/v1/abc.png?max_steps=0", 400, "server's"),
    ("GET", "/v1/abc.png?resolution", 400, "needs a value"),
    ("GET", "/v1/abc.png?seed=-1", 400, "outside"),
    ("GET", "/v1/abc.png?resolution=64&resolution=64", 400, "twice"),
    ("GET", "/v1/resolution=64/abc.png?resolution=64", 400, "twice"),
    ("GET", "/v1/big/abc.png", 400, "not name=value"),
    ("GET", "/v1/abc.png?transparent=1&background=300", 400, ""),
    ("GET", "/v1/abc.png?resolution%00=64", 400, "NUL"),
    ("GET", "/nothing", 404, "no such page"),
    ("GET", "/v1/abc", 404, "no such page"),
    ("GET", "/v1/abc.gif", 404, "no such page"),
    ("GET", "/v2/abc.png", 404, "no such page"),
    ("POST", "/v1/abc.png", 405, "GET and HEAD"),
    ("DELETE", "/", 405, "GET and HEAD"),
    ("GET", "/v1/abc.png?x=" + "y" * 1100, 414, "at most 1024"),
]


def test_refusals(server):
    for method, path, status, words in REFUSALS:
        got, headers, body = get(server.base + path, "-X", method)
        text = body.decode(errors="replace")
        expect(got == status, f"{method} {path[:60]}: status {got}, wanted {status}: {text!r}")
        expect(headers.get("content-type", "").startswith("text/plain"),
               f"{method} {path[:60]}: content-type {headers.get('content-type')}")
        expect(text.endswith("\n") and text.count("\n") == 1 and words in text,
               f"{method} {path[:60]}: {text!r} is not one line with {words!r}")
        if status == 405:
            expect(headers.get("allow") == "GET, HEAD", f"405 with Allow {headers.get('allow')}")


def test_budget():
    # Over the budget: refused before any work, saying the budget.
    server = Server("--max-steps", "1000000")
    try:
        misses = server.metric("tessadox_cache_misses_total")
        status, _, body = get(server.base + "/v1/abc.png?intensity=100")
        expect(status == 400 and b"at most 1000000" in body, f"over budget: {status} {body!r}")
        expect(server.metric("tessadox_draw_seconds_count") == 0, "over budget, yet drawn")
        expect(server.metric("tessadox_cache_misses_total") == misses, "over budget, yet queued")
    finally:
        server.stop()


def test_default_budget(server):
    # The default budget is -r 1000 with the other defaults: 304 (no drawing)
    # for that, 400 for a step more.
    at, _, _ = get(server.base + "/v1/abc.png?resolution=1000", "-H", "If-None-Match: *")
    over, _, _ = get(server.base + "/v1/abc.png?resolution=1000&intensity=31", "-H",
                     "If-None-Match: *")
    expect((at, over) == (304, 400), f"default budget: -r 1000 {at}, -i 31 {over}")


def test_pages(server):
    status, headers, body = get(server.base + "/")
    expect(status == 200 and headers.get("content-type", "").startswith("text/html"), "GET /")
    page = body.decode()
    examples = [src.replace("&amp;", "&") for src in re.findall(r'<img src="([^"]+)"', page)]
    expect(len(examples) >= 2, "the page shows no live example")
    for src in examples:
        status, headers, _ = get(server.base + src)
        expect(status == 200 and headers.get("content-type") == "image/png", f"example {src}")
    for name in ("resolution", "background", "intensity", "color_mode", "seed"):
        expect(f"<code>{name}</code>" in page, f"the page does not list {name}")
    status, _, body = get(server.base + "/healthz")
    expect(status == 200 and body == b"ok\n", f"/healthz: {status} {body!r}")

    status, headers, body = get(server.base + "/metrics")
    text = body.decode()
    expect(status == 200 and "version=0.0.4" in headers.get("content-type", ""), "/metrics")
    for family, kind in (("tessadox_requests_total", "counter"), ("tessadox_draw_seconds",
                         "histogram"), ("tessadox_cache_hits_total", "counter"),
                         ("tessadox_cache_misses_total", "counter"),
                         ("tessadox_requests_in_flight", "gauge")):
        expect(f"# TYPE {family} {kind}\n" in text, f"/metrics lacks {family} {kind}")
    buckets = [float(n) for n in re.findall(r'^tessadox_draw_seconds_bucket\{le="[^"]+"\} (\S+)$',
                                            text, re.M)]
    expect(buckets == sorted(buckets) and buckets[-1] == server.metric(
        "tessadox_draw_seconds_count"), "the histogram's buckets do not add up")
    refused = re.search(r'^tessadox_requests_total\{status="400"\} (\d+)$', text, re.M)
    expect(refused and int(refused.group(1)) >= sum(1 for r in REFUSALS if r[2] == 400),
           "/metrics did not count the 400s")
    hits = server.metric("tessadox_cache_hits_total")
    get(server.base + "/v1/abcdef12.png?resolution=40")
    expect(server.metric("tessadox_cache_hits_total") == hits + 1, "a repeated picture missed")

    expect(len(server.logged('"GET /healthz HTTP/1.1" 200 3 ')) == 1,
           "no access-log line for /healthz")


FLAG_REFUSALS = [
    # arguments, status, words on standard error
    (["--threads", "0"], 2, "--threads takes a number from 1 to 256, not '0'"),
    (["--threads", "2x"], 2, "not '2x'"),
    (["--listen", "localhost:80"], 2, "--listen takes an IPv4 address"),
    (["--listen", "127.0.0.1:65536"], 2, "a port from 0 to 65535"),
    (["--cache-bytes", "-1"], 2, "--cache-bytes takes a number of 0 or more"),
    (["--timeout", "0"], 2, "--timeout takes seconds from 1"),
    (["--bogus"], 2, "Try 'tessadox-server --help'"),
    (["extra"], 2, "takes no operands"),
]


def test_flags(server):
    for arguments, status, words in FLAG_REFUSALS:
        run = subprocess.run([server_binary, *arguments], capture_output=True, text=True,
                             timeout=10)
        expect(run.returncode == status and words in run.stderr and run.stdout == "",
               f"{arguments}: status {run.returncode}, {run.stderr!r}")
    # An address in use: status 1, saying so.
    run = subprocess.run([server_binary, "--listen", f"127.0.0.1:{server.port}"],
                         capture_output=True, text=True, timeout=10)
    expect(run.returncode == 1 and "cannot listen on 127.0.0.1" in run.stderr,
           f"a port in use: status {run.returncode}, {run.stderr!r}")


def test_http():
    server = Server("--max-steps", "0")
    try:
        test_vectors(server)
        test_picture_headers(server)
        test_equivalent_urls(server)
        test_refusals(server)
        test_pages(server)
        test_flags(server)
    finally:
        expect(server.stop() == 0, "the server did not stop with status 0")
    server = Server()
    try:
        test_default_budget(server)
    finally:
        server.stop()
    test_budget()


SLOW_CHECKSUM = "9e107d9d372bb6826bd81d3542a419d6"


def slow_intensity(server):
    """The intensity at which a picture of 1000 pixels takes this server
    about 2.5 seconds to draw, from the time of a small draw: a sanitized
    build draws many times slower than a release, and a busy machine too."""
    run = subprocess.run(["curl", "-sS", "--max-time", "60", "-o", "/dev/null", "-w",
                          "%{time_total}", server.base + "/v1/5a5a5a5a.png?resolution=400"],
                         capture_output=True, text=True, check=True)
    steps_a_second = 400 * 400 * 30 / max(float(run.stdout), 0.001)
    return max(5, int(2.5 * steps_a_second / 1e6))


def start_slow_request(server, intensity):
    """A request whose draw takes a while, once the server draws it."""
    slow = subprocess.Popen(["curl", "-sS", "--max-time", "120", "-o", "-", "-w", "\n%{http_code}",
                             f"{server.base}/v1/{SLOW_CHECKSUM}.png?resolution=1000"
                             f"&intensity={intensity}"], stdout=subprocess.PIPE)
    for _ in range(500):
        if server.metric("tessadox_draws_queued") == 1:
            break
        time.sleep(0.01)
    else:
        fail("the slow draw never started")
    return slow


def slow_answer(slow):
    out, _ = slow.communicate(timeout=60)
    body, _, status = out.rpartition(b"\n")
    return int(status or 0), body


def test_stop():
    # One drawing thread and no queue: while the slow draw runs, another
    # picture is refused 503; SIGTERM stops new connections, lets the slow
    # request finish with its picture, and ends with status 0.
    server = Server("--threads", "1", "--queue", "0", "--max-steps", "0")
    intensity = slow_intensity(server)
    slow = start_slow_request(server, intensity)
    status, headers, body = get(server.base + "/v1/abc.png")
    expect(status == 503 and headers.get("retry-after") == "1", f"busy: status {status} {body!r}")
    server.process.send_signal(signal.SIGTERM)
    time.sleep(0.2)
    refused, _, _ = get(server.base + "/healthz")
    expect(refused == 0, f"a new request after SIGTERM was answered {refused}")
    status, body = slow_answer(slow)
    stopping = "".join(server.logged("stopping on SIGTERM"))
    expect(re.search(r"SIGTERM, [1-9]\d* requests in flight", stopping),
           f"the slow request was not in flight at SIGTERM: {stopping!r}")
    expect(status == 200, f"the slow request in flight got {status}")
    expect(body == command_png(SLOW_CHECKSUM, 0, ["-r", "1000", "-i", str(intensity)]),
           "the slow picture is not the command's")
    expect(server.process.wait(30) == 0, "the server did not exit 0 after SIGTERM")
    expect(any("stopped" in line for line in server.lines), "no 'stopped' line")


def test_abandon():
    # With no time to finish, the draw in flight stops and is answered 503.
    server = Server("--threads", "1", "--max-steps", "0", "--stop-seconds", "0")
    slow = start_slow_request(server, slow_intensity(server))
    started = time.monotonic()
    server.process.send_signal(signal.SIGTERM)
    status, body = slow_answer(slow)
    expect(status == 503 and b"stopping" in body, f"an abandoned draw got {status} {body[:80]!r}")
    expect(server.process.wait(30) == 0, "the server did not exit 0")
    print(f"stop: the abandoned draw ended {time.monotonic() - started:.2f} s after SIGTERM")


def test_idle():
    # 500 connections that send nothing or half a request do not keep a new
    # client from its picture within 2 seconds; the timeout closes them.
    server = Server("--timeout", "2")
    idle = []
    try:
        for i in range(500):
            connection = socket.create_connection(("127.0.0.1", server.port), timeout=5)
            if i % 2:
                connection.sendall(b"GET /v1/abc.png HTTP/1.1\r\nHost: 127.0.0.1\r\n")
            idle.append(connection)
        status, _, body = curl(server.base + "/v1/9e107d9d.png?resolution=64", seconds=2)
        expect(status == 200, f"with 500 idle connections: status {status} {body[:100]!r}")
        expect(body == command_png("9e107d9d", 0, ["-l", "8", "-r", "64"]), "other bytes")
        closed = 0
        for connection in (idle[0], idle[1]):
            connection.settimeout(6)
            try:
                closed += connection.recv(1) == b""
            except (socket.timeout, ConnectionResetError):
                pass
        expect(closed == 2, f"{2 - closed} idle connections outlived the timeout")
    finally:
        for connection in idle:
            connection.close()
        expect(server.stop() == 0, "the server did not stop with status 0")


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def start_nginx(folder, ports):
    """nginx on a free port with server/nginx/tessadox-server.conf, its
    upstream turned to `ports`, everything it writes in `folder`."""
    shipped = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "server", "nginx",
                           "tessadox-server.conf")
    with open(shipped) as text:
        site = text.read()
    upstream = "".join(f"    server 127.0.0.1:{port} max_fails=1 fail_timeout=5s;\n"
                       for port in ports)
    site, count = re.subn(r"(    server 127\.0\.0\.1:\d+ [^\n]*\n)+", upstream, site)
    expect(count == 1, "the shipped configuration has no upstream servers to replace")
    port = free_port()
    site = site.replace("listen 127.0.0.1:8080;", f"listen 127.0.0.1:{port};")
    site = site.replace("/var/cache/nginx/tessadox", os.path.join(folder, "cache"))
    with open(os.path.join(folder, "tessadox.conf"), "w") as text:
        text.write(site)
    temporary = "".join(f"    {kind}_temp_path {folder}/{kind};\n"
                        for kind in ("client_body", "proxy", "fastcgi", "uwsgi", "scgi"))
    with open(os.path.join(folder, "nginx.conf"), "w") as text:
        text.write(("user root;\n" if os.geteuid() == 0 else "") +
                   f"worker_processes 1;\npid {folder}/nginx.pid;\nerror_log {folder}/error.log;\n"
                   "events { worker_connections 512; }\n"
                   f"http {{\n    access_log {folder}/access.log;\n{temporary}"
                   f"    include {folder}/tessadox.conf;\n}}\n")
    nginx = subprocess.Popen(["nginx", "-e", f"{folder}/error.log", "-c",
                              f"{folder}/nginx.conf", "-p", folder, "-g", "daemon off;"])
    for _ in range(200):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return nginx, f"http://127.0.0.1:{port}"
        except OSError:
            time.sleep(0.02)
    nginx.kill()
    raise SystemExit("nginx did not start: " + open(f"{folder}/error.log").read())


def pictures_asked(server, start):
    """Requests in the server's log so far whose URI begins with `start`."""
    return sum(1 for line in list(server.lines) if f'"GET {start}' in line)


def test_nginx():
    first, second = Server(), Server()
    folder = tempfile.mkdtemp()
    nginx, front = start_nginx(folder, [first.port, second.port])
    try:
        # The cache: a picture asked twice reaches a server once.
        path = "/v1/9e107d9d372bb6826bd81d3542a419d6.png?resolution=64"
        status, headers, body = get(front + path)
        expect(status == 200 and headers.get("x-cache-status") == "MISS", f"first: {status}")
        again, again_headers, again_body = get(front + path)
        expect(again == 200 and again_headers.get("x-cache-status") == "HIT", "second: no HIT")
        expect(again_body == body and again_headers.get("etag") == headers.get("etag"),
               "the cached answer differs")
        asked = len(first.logged(f'"GET {path} ')) + len(second.logged(f'"GET {path} '))
        expect(asked == 1, f"a server was asked {asked} times for a picture nginx holds")

        # Under load, one server killed in the middle: nginx asks the other
        # again, and every request gets its picture.
        count = 400
        with open(os.path.join(folder, "load"), "w") as config:
            for i in range(count):
                config.write(f'url = "{front}/v1/{i:08x}c0ffee.png?resolution=96"\n'
                             'output = "/dev/null"\n')
        load = subprocess.Popen(["curl", "-sS", "--no-progress-meter", "--parallel", "--parallel-max", "8",
                                 "--max-time", "20", "-w", "%{http_code}\\n", "-K",
                                 os.path.join(folder, "load")], stdout=subprocess.PIPE, text=True)
        for _ in range(1000):
            if pictures_asked(first, "/v1/") + pictures_asked(second, "/v1/") >= count // 4:
                break
            time.sleep(0.01)
        before = pictures_asked(first, "/v1/"), pictures_asked(second, "/v1/")
        first.process.kill()
        out, _ = load.communicate(timeout=120)
        time.sleep(0.3)  # the last lines of the log
        codes = out.split()
        expect(load.returncode == 0 and codes == ["200"] * count,
               f"after a server was killed: curl {load.returncode}, "
               f"{sum(c == '200' for c in codes)} of {count} answered 200")
        expect(min(before) > 0, f"the load was not balanced: {before}")
        expect(pictures_asked(second, "/v1/") > before[1], "the other server took none over")
        print(f"nginx: {before} pictures drawn by each before the kill, "
              f"{pictures_asked(second, '/v1/') - before[1]} more by the second after")
    finally:
        nginx.terminate()
        nginx.wait(10)
        first.process.kill()
        expect(second.stop() == 0, "the second server did not stop with status 0")
        subprocess.run(["rm", "-rf", folder])


{"http": test_http, "stop": test_stop, "abandon": test_abandon, "idle": test_idle,
 "nginx": test_nginx}[group]()
print(f"server {group}: {len(failures)} failures")
sys.exit(1 if failures else 0)
