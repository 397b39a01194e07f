#!/usr/bin/env python3
"""The update check's web server on 127.0.0.1: update_server.py BODY_FILE CONTENT_TYPE STATUS LOG.
Every GET gets the body with that type and status, and its path is logged. Prints its port once
it listens; stops when standard input closes (as it does when the test ends, however it ends)."""

import http.server
import sys
import threading


def main():
    body_path, content_type, status, log_path = sys.argv[1:5]
    with open(body_path, "rb") as body_file:
        body = body_file.read()

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            with open(log_path, "a", encoding="utf-8") as log:
                log.write(self.path + "\n")
            self.send_response(int(status))
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    print(server.server_address[1], flush=True)

    threading.Thread(target=lambda: (sys.stdin.read(), server.shutdown()), daemon=True).start()
    server.serve_forever(poll_interval=0.05)


if __name__ == "__main__":
    main()
