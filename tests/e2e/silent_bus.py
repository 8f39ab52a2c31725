#!/usr/bin/env python3
"""A session bus that takes every connection and never says a word: silent_bus.py PATH"""
import os
import socket
import sys

path = sys.argv[1]
if os.path.exists(path):
    os.unlink(path)
server = socket.socket(socket.AF_UNIX)
server.bind(path)
server.listen(50)
held = []
while True:
    conn, _ = server.accept()
    held.append(conn)
