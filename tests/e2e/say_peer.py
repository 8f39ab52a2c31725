#!/usr/bin/env python3
"""A peer that says lines, as a copy on another host would, for the end-to-end tests.

  say_peer.py OWN TARGET STAY [LINE...]
      Listens on OWN:196, connects from OWN to TARGET:196, takes the copy's connection back, announces the name
      "Bob" on it and says each LINE 0.3 s apart; with no LINE, it says each line of standard input as it comes.
      Then it stays STAY seconds, so that the copy keeps its connections.
"""
import socket
import sys
import time

PORT = 196


def main():
    own, target, stay, lines = sys.argv[1], sys.argv[2], float(sys.argv[3]), sys.argv[4:]
    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind((own, PORT))
    server.listen(5)
    back = socket.socket()
    back.bind((own, 0))
    back.connect((target, PORT))
    conn, _ = server.accept()
    time.sleep(0.5)
    conn.send(b"\x1bBob")
    time.sleep(0.5)
    for line in lines or (raw.rstrip("\n") for raw in sys.stdin):
        conn.send(line.encode())
        time.sleep(0.3)
    time.sleep(stay)


main()
