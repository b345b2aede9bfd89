#!/usr/bin/env python3
"""Malformed OBEX connections against a server on loopback, bounded in count and time.

Usage: obexflood.py PORT COUNT SECONDS
   or: obexflood.py PORT --from SOURCE --object TEXT   (one whole object from a source address;
       prints the reply bytes in hex, "closed" when the server closed without a reply)
   or: obexflood.py PORT --from SOURCE --object-file PATH   (one object of up to 64 KB in packets
       of 1000 bytes; prints "ok" when every packet was answered and the last one with success)
"""
import random
import socket
import struct
import sys
import time

HOST = "127.0.0.1"


def packet(opcode, headers=b""):
    return struct.pack(">BH", opcode, len(headers) + 3) + headers


def header(hid, data):
    return struct.pack(">BH", hid, len(data) + 3) + data


CONNECT = packet(0x80, b"\x10\x00\x04\x00")


def malformed(rng):
    kind = rng.randrange(8)
    if kind == 0:  # random bytes
        return [bytes(rng.randrange(256) for _ in range(rng.randrange(1, 2000)))], kind
    if kind == 1:  # a body header longer than its packet
        return [CONNECT, b"\x82\x00\x0a\x49\x7f\xff" + b"KEY:"], kind
    if kind == 2:  # half a packet, then gone
        full = CONNECT + packet(0x82, header(0x49, b"KEY:1\n"))
        return [full[: rng.randrange(1, len(full) - 1)]], kind
    if kind == 3:  # more than the server's packet limit
        size = rng.randrange(1025, 65536)
        return [struct.pack(">BH", 0x02, size) + b"\x48" * rng.randrange(0, 1500)], kind
    if kind == 4:  # connect and close at once
        return [], kind
    if kind == 5:  # lengths below the header size
        return [bytes([rng.choice([0x80, 0x82, 0x02, 0x81]), 0, rng.randrange(3)])], kind
    if kind == 6:  # headers cut off at the end of the packet
        return [CONNECT, packet(0x02, b"\x01\x00"), packet(0x82, b"\xcb\x00\x00")], kind
    # an operation the server does not do, then garbage
    return [CONNECT, packet(0x83), bytes(rng.randrange(256) for _ in range(50))], kind


def flood(port, count, seconds):
    rng = random.Random(650)
    deadline = time.monotonic() + seconds
    made = failed = 0
    for _ in range(count):
        if time.monotonic() > deadline:
            break
        pieces, _kind = malformed(rng)
        try:
            with socket.create_connection((HOST, port), timeout=1) as s:
                made += 1
                for piece in pieces:
                    s.sendall(piece)
                    if rng.random() < 0.3:
                        time.sleep(0.002)
                if rng.random() < 0.5:
                    s.settimeout(0.05)
                    try:
                        s.recv(64)
                    except OSError:
                        pass
        except OSError:
            failed += 1
    print(f"connections {made} failed-or-reset {failed}")


def one_object(port, source, text):
    s = socket.socket()
    s.bind((source, 0))
    s.settimeout(3)
    s.connect((HOST, port))
    request = CONNECT + packet(0x82, header(0x49, text.encode()))
    try:
        s.sendall(request)
        reply = b""
        while len(reply) < 10:
            chunk = s.recv(64)
            if not chunk:
                break
            reply += chunk
    except OSError:
        reply = b""
    s.close()
    print(reply.hex() if reply else "closed")


def object_in_packets(port, source, data):
    puts = [packet(0x02, header(0x48, data[at : at + 1000])) for at in range(0, len(data), 1000)]
    request = CONNECT + b"".join(puts) + packet(0x82, header(0x49, b""))
    expected = 7 + 3 * (len(puts) + 1)
    s = socket.socket()
    s.bind((source, 0))
    s.settimeout(10)
    s.connect((HOST, port))
    reply = b""
    try:
        s.sendall(request)
        while len(reply) < expected:
            chunk = s.recv(4096)
            if not chunk:
                break
            reply += chunk
    except OSError:
        pass
    s.close()
    whole = len(reply) == expected and reply[:1] == b"\xa0" and reply[-3:] == b"\xa0\x00\x03"
    print("ok" if whole else (reply.hex() or "closed"))


if __name__ == "__main__":
    port = int(sys.argv[1])
    if sys.argv[2] == "--from" and sys.argv[4] == "--object-file":
        with open(sys.argv[5], "rb") as f:
            object_in_packets(port, sys.argv[3], f.read())
    elif sys.argv[2] == "--from":
        one_object(port, sys.argv[3], sys.argv[5])
    else:
        flood(port, int(sys.argv[2]), float(sys.argv[3]))
