#!/usr/bin/env python3
"""Many bare peers on one host of the test LAN, in one process.

  crowd.py lines TARGET FIRST COUNT SECONDS OUT
      COUNT peers on the addresses from FIRST on: each listens on its address, port 196, and connects to TARGET:196;
      on every connection it accepts (the copy's connection back) it says three lines, 0.3 s apart. After SECONDS,
      OUT gets each line said on a connection that is still open then, and the process ends.
  crowd.py flap TARGET FIRST COUNT ROUNDS OUT [private]
      As lines, but in each of ROUNDS rounds every peer connects, says one line on the copy's connection back within
      4 s, then closes all it has and its listener too; OUT gets each line said on a connection the copy had accepted.
      With "private", each peer also listens on the private port and connects to the copy's, and holds every such
      connection without a word of TLS until the round ends: half handshakes both ways.
  crowd.py hold SOURCE TARGET COUNT OUT
      COUNT connections from SOURCE to TARGET:196, held until standard input closes; then all are closed, one more
      is opened and OUT gets "announced" when the copy sends its name on it within 5 s, else "silent".
"""
import resource
import selectors
import socket
import sys
import time

PORT = 196
PRIVATE_PORT = 1196


def raise_limit():
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))


def address(first, n):
    a, b, c, d = (int(x) for x in first.split("."))
    value = ((a << 24) | (b << 16) | (c << 8) | d) + n
    return ".".join(str((value >> shift) & 255) for shift in (24, 16, 8, 0))


def peer_sockets(own, target, port=PORT):
    """A peer's listener on its address and port, and its connection to TARGET on the same port under way."""
    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind((own, port))
    server.listen(8)
    server.setblocking(False)
    outgoing = socket.socket()
    outgoing.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    outgoing.bind((own, 0))
    outgoing.setblocking(False)
    outgoing.connect_ex((target, port))
    return server, outgoing


def lines(target, first, count, seconds, out):
    sel = selectors.DefaultSelector()
    for n in range(count):
        own = address(first, n)
        server, outgoing = peer_sockets(own, target)
        sel.register(server, selectors.EVENT_READ, ("listener", own))
        sel.register(outgoing, selectors.EVENT_READ, ("outgoing", own))
    due, said = [], {}
    end = time.time() + seconds
    while time.time() < end:
        for key, _ in sel.select(0.05):
            kind, own = key.data
            if kind == "listener":
                conn, _ = key.fileobj.accept()
                conn.setblocking(False)
                said[conn] = []
                start = time.time()
                tag = "%s #%d" % (own, len(said))
                due.extend((start + 0.3 * (k + 1), conn, "line %d from %s" % (k + 1, tag)) for k in range(3))
            else:
                try:
                    if not key.fileobj.recv(65536):
                        sel.unregister(key.fileobj)
                except OSError:
                    sel.unregister(key.fileobj)
        now = time.time()
        for item in [d for d in due if d[0] <= now]:
            due.remove(item)
            try:
                item[1].send(item[2].encode())
                said[item[1]].append(item[2])
            except OSError:
                pass
    with open(out, "w") as f:
        for conn, lines_said in said.items():
            if open_still(conn):
                f.write("".join(line + "\n" for line in lines_said))


def flap(target, first, count, rounds, out, private=False):
    said = []
    for r in range(rounds):
        sel = selectors.DefaultSelector()
        owned = []
        for n in range(count):
            own = address(first, n)
            server, outgoing = peer_sockets(own, target)
            sel.register(server, selectors.EVENT_READ, ("listener", own))
            owned += [server, outgoing]
            if private:
                server, outgoing = peer_sockets(own, target, PRIVATE_PORT)
                sel.register(server, selectors.EVENT_READ, ("private", own))
                owned += [server, outgoing]
        end = time.time() + 4
        while time.time() < end:
            for key, _ in sel.select(0.05):
                conn, _ = key.fileobj.accept()
                owned.append(conn)
                if key.data[0] == "private":
                    continue
                line = "round %d from %s" % (r + 1, key.data[1])
                try:
                    conn.send(line.encode())
                    said.append(line)
                except OSError:
                    pass
        for s in owned:
            s.close()
        sel.close()
        time.sleep(1)
    with open(out, "w") as f:
        f.write("".join(line + "\n" for line in said))


def open_still(conn):
    try:
        return conn.recv(1) != b""
    except BlockingIOError:
        return True
    except OSError:
        return False


def hold(source, target, count, out):
    held = []
    for _ in range(count):
        s = socket.socket()
        s.bind((source, 0))
        try:
            s.connect((target, PORT))
        except OSError:
            pass
        held.append(s)
    with open(out, "w") as f:
        f.write("held\n")
    sys.stdin.read()
    for s in held:
        s.close()
    time.sleep(1)
    fresh = socket.create_connection((target, PORT), timeout=5, source_address=(source, 0))
    fresh.settimeout(5)
    try:
        answer = fresh.recv(64)
    except OSError:
        answer = b""
    with open(out, "w") as f:
        f.write("announced\n" if answer.startswith(b"\x1b") else "silent\n")


if __name__ == "__main__":
    raise_limit()
    if sys.argv[1] == "lines":
        lines(sys.argv[2], sys.argv[3], int(sys.argv[4]), float(sys.argv[5]), sys.argv[6])
    elif sys.argv[1] == "flap":
        flap(sys.argv[2], sys.argv[3], int(sys.argv[4]), int(sys.argv[5]), sys.argv[6], sys.argv[7:] == ["private"])
    else:
        hold(sys.argv[2], sys.argv[3], int(sys.argv[4]), sys.argv[5])
