#!/usr/bin/env python3
"""A SOCKS 4a server for the end-to-end tests: it records every CONNECT it is
asked for ("host:port" per line in the log file) and answers each with a small
HTTP page of its own. It never connects anywhere."""
import socketserver
import struct
import sys

ANSWER = b"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 17\r\nConnection: close\r\n\r\nanswered by socks"


def read_until_nul(stream):
    out = b""
    while True:
        c = stream.read(1)
        if not c or c == b"\0":
            return out
        out += c


class Handler(socketserver.StreamRequestHandler):
    def handle(self):
        header = self.rfile.read(8)
        if len(header) < 8:
            return
        version, command, port = struct.unpack(">BBH", header[:4])
        ip = header[4:8]
        read_until_nul(self.rfile)  # user id
        # 4a: 0.0.0.x with x != 0 means the host name follows.
        host = read_until_nul(self.rfile).decode() if ip[:3] == b"\0\0\0" and ip[3] else ".".join(map(str, ip))
        with open(self.server.log, "a") as log:
            log.write(f"{'4a' if version == 4 else version} {command} {host}:{port}\n")
        self.wfile.write(b"\0\x5a" + header[2:8])
        self.rfile.readline()  # the request line that Privoxy passes on
        self.wfile.write(ANSWER)


class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True


if __name__ == "__main__":
    host, port, log = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    with Server((host, port), Handler) as server:
        server.log = log
        server.serve_forever()
