#!/usr/bin/env python3
"""A bare peer speaking Parley's wire format, for the end-to-end test.

  raw_peer.py listen ADDRESS SECONDS OUT [NAME]
                                            accept connections on ADDRESS:196 and record who connected and what came;
                                            with a NAME, announce it on each, as a copy that lists the caller does
  raw_peer.py connect SOURCE TARGET SECONDS OUT
                                            connect from SOURCE to TARGET:196 and record what comes back and
                                            whether the other side closed the connection
Each OUT file holds one line per event: "connected <addr>", "data <addr> <hex>", "closed <addr>".
"""
import select
import socket
import sys
import time

PORT = 196


def record(out, line):
    out.write(line + "\n")
    out.flush()


def listen(address, seconds, path, name=None):
    with open(path, "w") as out:
        server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        server.bind((address, PORT))
        server.listen(5)
        record(out, "listening")
        peers = {}
        end = time.time() + seconds
        while time.time() < end:
            ready, _, _ = select.select([server] + list(peers), [], [], 0.1)
            for s in ready:
                if s is server:
                    conn, (host, _) = server.accept()
                    peers[conn] = host
                    record(out, "connected " + host)
                    if name is not None:
                        conn.send(b"\x1b" + name.encode())
                    continue
                data = s.recv(65536)
                if data:
                    record(out, "data %s %s" % (peers[s], data.hex()))
                else:
                    record(out, "closed " + peers.pop(s))
                    s.close()


def connect(source, target, seconds, path):
    with open(path, "w") as out:
        s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        s.bind((source, 0))
        s.connect((target, PORT))
        record(out, "connected " + target)
        end = time.time() + seconds
        while time.time() < end:
            ready, _, _ = select.select([s], [], [], 0.1)
            if not ready:
                continue
            try:
                data = s.recv(65536)
            except ConnectionResetError:
                data = b""
            if not data:
                record(out, "closed " + target)
                return
            record(out, "data %s %s" % (target, data.hex()))


if __name__ == "__main__":
    if sys.argv[1] == "listen":
        listen(sys.argv[2], float(sys.argv[3]), sys.argv[4], *sys.argv[5:6])
    else:
        connect(sys.argv[2], sys.argv[3], float(sys.argv[4]), sys.argv[5])
