"""Serves avatars with Python's own http.server: GET /<checksum>.png answers its picture.

    python3 examples/avatar_server.py 8000
    curl -o hello.png 'http://127.0.0.1:8000/5d41402abc4b2a76b9719d911017c592.png?resolution=64'

The query takes the library's options by name (resolution=64&color_mode=areas). The seed is
fixed at 0, so a URL always answers the same bytes and caches may keep them for good, and a
bound on the work keeps a stranger's options from holding a thread for long."""

import sys
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qsl, urlsplit

import tessadox

OWN = {"resolution": 128, "seed": 0, "max_steps": 40_000_000}


class Avatars(BaseHTTPRequestHandler):
    def do_GET(self):
        url = urlsplit(self.path)
        options = dict(OWN)
        try:
            for name, value in parse_qsl(url.query, max_num_fields=16):
                if name not in tessadox.options() or name in ("seed", "threads", "max_steps"):
                    raise ValueError(f"no option {name!r} to set")
                options[name] = int(value) if value.lstrip("-").isdigit() else value
            png = tessadox.draw(url.path.strip("/").removesuffix(".png"), **options).png()
        except (ValueError, TypeError) as refusal:  # TessadoxError is a ValueError
            self.answer(400, "text/plain; charset=utf-8", f"{refusal}\n".encode())
        else:
            self.answer(200, "image/png", png, "public, max-age=31536000, immutable")

    def answer(self, status, kind, body, cache="no-store"):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", cache)
        self.end_headers()
        self.wfile.write(body)


server = ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1]) if sys.argv[1:] else 8000), Avatars)
print(f"serving avatars on http://127.0.0.1:{server.server_port}/", flush=True)
server.serve_forever()
