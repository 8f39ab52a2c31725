#!/usr/bin/env python3
"""Every frame that crosses an interface, as raw bytes appended to a file, for the end-to-end test.

  capture.py INTERFACE SECONDS OUT      INTERFACE "any": every interface of the namespace (a bridge's own
                                        interface sees only what is for the bridge, not what it forwards)
"""
import socket
import sys
import time

ETH_P_ALL = 0x0003


def main():
    interface, seconds, path = sys.argv[1], float(sys.argv[2]), sys.argv[3]
    sniffer = socket.socket(socket.AF_PACKET, socket.SOCK_RAW, socket.ntohs(ETH_P_ALL))
    if interface != "any":
        sniffer.bind((interface, 0))
    sniffer.settimeout(0.2)
    end = time.monotonic() + seconds
    with open(path, "wb") as out:
        while time.monotonic() < end:
            try:
                out.write(sniffer.recv(65536))
                out.flush()
            except socket.timeout:
                pass


if __name__ == "__main__":
    main()
