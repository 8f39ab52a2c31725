#!/usr/bin/env python3
"""The floor of the files benchmark: a bare TLS 1.3 stream, OpenSSL's work in Python's ssl module with reads and
writes of 1 MiB, so that the loop itself costs next to nothing.
  bare_tls.py server ADDRESS PORT CERT KEY   (what arrives goes to standard output; one connection, then it ends)
  bare_tls.py client ADDRESS PORT            (standard input goes out)"""
import socket
import ssl
import sys

CHUNK = 1 << 20


def server(address, port, cert, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.minimum_version = ssl.TLSVersion.TLSv1_3
    context.load_cert_chain(cert, key)
    listener = socket.create_server((address, int(port)))
    print("ready", file=sys.stderr, flush=True)
    connection, _ = listener.accept()
    stream = context.wrap_socket(connection, server_side=True)
    out = sys.stdout.buffer
    buffer = bytearray(CHUNK)
    view = memoryview(buffer)
    while True:
        got = stream.recv_into(buffer)
        if got == 0:
            break
        out.write(view[:got])
    out.flush()


def client(address, port):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_CLIENT)
    context.minimum_version = ssl.TLSVersion.TLSv1_3
    context.check_hostname = False
    context.verify_mode = ssl.CERT_NONE
    stream = context.wrap_socket(socket.create_connection((address, int(port))))
    source = sys.stdin.buffer
    while True:
        chunk = source.read(CHUNK)
        if not chunk:
            break
        stream.sendall(chunk)
    # The end of the stream, then the server's close: closing at once, with its session tickets unread, would reset
    # the connection and drop what is still on its way.
    stream.shutdown(socket.SHUT_WR)
    try:
        while stream.recv(CHUNK):
            pass
    except (ssl.SSLError, OSError):
        pass
    stream.close()


if __name__ == "__main__":
    (server if sys.argv[1] == "server" else client)(*sys.argv[2:])
