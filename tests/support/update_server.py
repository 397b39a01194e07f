#!/usr/bin/env python3
"""The update check's web server on 127.0.0.1: every GET gets the body file with the given type and
status, and its path is logged. Prints its port once it listens; stops when standard input closes
or after --lifetime seconds."""

import argparse
import http.server
import sys
import threading


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--body", required=True)
    parser.add_argument("--content-type", required=True)
    parser.add_argument("--status", type=int, default=200)
    parser.add_argument("--log", required=True)
    parser.add_argument("--lifetime", type=float, default=300.0)
    args = parser.parse_args()

    with open(args.body, "rb") as body_file:
        body = body_file.read()

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            with open(args.log, "a", encoding="utf-8") as log:
                log.write(self.path + "\n")
            self.send_response(args.status)
            self.send_header("Content-Type", args.content_type)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, format, *arguments):
            pass

    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    print(server.server_address[1], flush=True)

    def stop_when_stdin_closes():
        sys.stdin.read()
        server.shutdown()

    threading.Thread(target=stop_when_stdin_closes, daemon=True).start()
    timer = threading.Timer(args.lifetime, server.shutdown)
    timer.daemon = True
    timer.start()
    server.serve_forever(poll_interval=0.05)
    server.server_close()


if __name__ == "__main__":
    main()
