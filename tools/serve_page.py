#!/usr/bin/env python3
"""Serves a folder on 127.0.0.1 as `python3 -m http.server` does, with the
cross-origin isolation headers, under which the page keeps its kernels in
memory it shares with its runs instead of copying them for each run, and
its runs take the threaded build.
Usage: serve_page.py PORT FOLDER   (port 0 takes a free one; the first line
printed names the port)."""
import functools
import http.server
import sys


class IsolatedHandler(http.server.SimpleHTTPRequestHandler):
    def end_headers(self):
        self.send_header("Cross-Origin-Opener-Policy", "same-origin")
        self.send_header("Cross-Origin-Embedder-Policy", "require-corp")
        super().end_headers()

    def log_message(self, format, *args):
        pass


port, folder = int(sys.argv[1]), sys.argv[2]
handler = functools.partial(IsolatedHandler, directory=folder)
with http.server.ThreadingHTTPServer(("127.0.0.1", port), handler) as server:
    print(f"Serving HTTP on 127.0.0.1 port {server.server_address[1]}", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
