#!/usr/bin/env python3
"""Watches the hosts of the test LAN until every copy listens on port 196 and every pair of copies has a connection
each way, reading each host's sockets through the kernel's socket diagnostics (one netlink socket per host's
network namespace), which stays cheap with hundreds of hosts where starting `ss` in each does not.

Usage: meshwatch.py [--go FILE] TAG HOST... (namespaces are TAG+HOST); with --go it opens the gate FILE once it watches
(the copies wait at it to start). Prints "listening N ms, mesh N ms" (both from the watch's
start: when the last copy began to listen, when the mesh was whole), or what is missing after the time-out.
"""
import ctypes
import os
import socket
import struct
import sys
import time

NETLINK_SOCK_DIAG = 4
SOCK_DIAG_BY_FAMILY = 20
NLM_F_REQUEST, NLM_F_DUMP = 0x1, 0x300
NLMSG_DONE, NLMSG_ERROR = 3, 2
TCP_ESTABLISHED, TCP_LISTEN = 1, 10
PORT = 196
TIMEOUT_S = float(os.environ.get("MESHWATCH_TIMEOUT", "120"))
TRACE = bool(os.environ.get("MESHWATCH_TRACE"))  # progress on standard error, twice a second
libc = ctypes.CDLL(None, use_errno=True)


def diag_socket(namespace):
    """A netlink socket that lives in the host's namespace: made there, used from here."""
    own = os.open("/proc/self/ns/net", os.O_RDONLY)
    theirs = os.open(f"/run/netns/{namespace}", os.O_RDONLY)
    try:
        if libc.setns(theirs, 0) != 0:
            raise OSError(ctypes.get_errno(), f"setns {namespace}")
        sock = socket.socket(socket.AF_NETLINK, socket.SOCK_RAW, NETLINK_SOCK_DIAG)
    finally:
        libc.setns(own, 0)
        os.close(theirs)
        os.close(own)
    return sock


HEADER = struct.Struct("=IH")
# nlmsghdr (length, type) and, in the inet_diag_msg after it, the state, the ports and the remote address.
RECORD = struct.Struct("=IH10xxB2x2H16x4s")


# A filter the kernel runs on each socket (INET_DIAG_REQ_BYTECODE): remote port >= PORT and <= PORT. Each op is
# (code, offset if true, offset if false), the port in the op after it; a false jumps past the end: left out.
BC_D_GE, BC_D_LE = 4, 5
TO_PORT = struct.pack("=HH", 4 + 16, 1) + struct.pack("=BBHBBHBBHBBH", BC_D_GE, 8, 20, 0, 0, PORT,
                                                      BC_D_LE, 8, 12, 0, 0, PORT)


def messages(sock, states, bytecode=b""):
    """(data, offset) of each IPv4 TCP socket's message in those states (that the bytecode lets through)."""
    request = struct.pack("=BBBBI", socket.AF_INET, socket.IPPROTO_TCP, 0, 0, states) + bytes(48) + bytecode
    sock.send(struct.pack("=IHHII", 16 + len(request), SOCK_DIAG_BY_FAMILY, NLM_F_REQUEST | NLM_F_DUMP, 1, 0)
              + request)
    while True:
        data = sock.recv(1 << 20)
        offset = 0
        while offset < len(data):
            length, kind = HEADER.unpack_from(data, offset)
            if kind in (NLMSG_DONE, NLMSG_ERROR):
                return
            yield data, offset
            offset += (length + 3) & ~3


def dump(sock, states, bytecode=b""):
    """(state, local port, remote port, remote address) of every such socket."""
    found = []
    for data, offset in messages(sock, states, bytecode):
        length, kind, state, sport, dport, remote = RECORD.unpack_from(data, offset)
        found.append((state, socket.ntohs(sport), socket.ntohs(dport), remote))
    return found


def missing(sock, peers):
    """Connections this host lacks: one accepted from each peer, one opened to each."""
    accepted, opened = set(), set()
    for state, sport, dport, remote in dump(sock, 1 << TCP_ESTABLISHED):
        if sport == PORT:
            accepted.add(remote)
        elif dport == PORT:
            opened.add(remote)
    return 2 * peers - len(accepted) - len(opened)


def opened_count(sock):
    """How many peers a host has opened a connection to (one each at most). Every connection is one host's opened
    and another's accepted: when each host has opened one to each other host, the mesh is whole both ways, read at
    half the cost. The messages are only counted: with hundreds of hosts, unpacking each socket over and over took a
    processor from the copies being watched."""
    return sum(1 for _ in messages(sock, 1 << TCP_ESTABLISHED, TO_PORT))


def main():
    args = sys.argv[1:]
    go = None
    if args[0] == "--go":
        go, args = args[1], args[2:]
    tag, hosts = args[0], args[1:]
    socks = {host: diag_socket(tag + host) for host in hosts}
    start = time.monotonic()
    if go:  # the gate the copies wait at (see let_go in lan.sh)
        writer = os.open(go, os.O_WRONLY | os.O_CREAT)
        os.unlink(go)
        open(go, "w").close()
        os.close(writer)
    listening = {}
    whole = None
    complete = set()
    last_trace = 0
    while time.monotonic() - start < TIMEOUT_S:
        now = time.monotonic()
        for host in hosts:
            if host not in listening and any(s[1] == PORT for s in dump(socks[host], 1 << TCP_LISTEN)):
                listening[host] = now
        # The connections are read only once every copy listens: reading hundreds of hosts' sockets over and over
        # while they start would take the processor from the copies being watched.
        for host in hosts if len(listening) == len(hosts) else []:
            if host not in complete and opened_count(socks[host]) >= len(hosts) - 1:
                complete.add(host)
                whole = time.monotonic()
        # Whole only if every host still has all of its connections at once, each side read on its own.
        if len(complete) == len(hosts) and all(missing(socks[h], len(hosts) - 1) <= 0 for h in hosts):
            print(f"listening {(max(listening.values()) - start) * 1000:.0f} ms, "
                  f"mesh {(whole - start) * 1000:.0f} ms")
            return 0
        if len(complete) == len(hosts):
            complete.clear()
        if TRACE and now - last_trace >= 0.5:
            last_trace = now
            lacking = sum(max(0, missing(socks[h], len(hosts) - 1)) for h in hosts if h not in complete)
            print(f"{(now - start) * 1000:.0f} ms: {len(listening)} listening, {lacking} connections missing",
                  file=sys.stderr)
        time.sleep(0.02)
    lacking = sum(max(0, missing(socks[h], len(hosts) - 1)) for h in hosts)
    print(f"not whole after {TIMEOUT_S:.0f} s: {len(hosts) - len(listening)} copies not listening, "
          f"{lacking} connections missing")
    return 1


if __name__ == "__main__":
    sys.exit(main())
