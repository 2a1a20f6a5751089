#!/usr/bin/env python3
"""Writes the seed inputs of the device engine fuzz target into corpus/device_engine/seed-*.

Input layout: [device and login byte][failure byte] then records [kind][length][bytes], kind 1 for
a payload sent in a valid request packet, 0 for raw bytes.
"""
import binascii
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT, USER = 0x80, 0x40


def framed(payload):
    return bytes([1, len(payload)]) + payload


def raw(data):
    return bytes([0, len(data)]) + data


def packet(payload, serial, uid=1):
    head = struct.pack('<HBIIB', len(payload) + 14, 1, uid, serial, 0x42)
    body = head + payload
    return body + struct.pack('<H', binascii.crc_hqx(body, 0xFFFF))


def chunk_request(file_id, addr, size):
    return struct.pack('<BBIH', 4, file_id, addr, size)


def chunk(file_id, file_size, addr, data):
    return struct.pack('<BBIIH', 3, file_id, file_size, addr, len(data)) + data


SEEDS = {
    'auth_then_reads': bytes([0 | ROOT, 0]) + framed(chunk_request(0, 0, 1)) + framed(chunk_request(4, 0, 200))
    + framed(chunk_request(20, 1, 10000)) + framed(chunk_request(3, 0, 1)),
    'unauthenticated': bytes([1, 0]) + framed(bytes.fromhex('08')) + framed(chunk_request(2, 0, 1))
    + framed(bytes.fromhex('069904')),
    'write_settings': bytes([0 | USER, 0]) + framed(chunk(2, 5, 0, b'\x02\x64\x00\x10\x27'))
    + framed(chunk(2, 5, 3, b'\x00\x00')),
    'commands': bytes([1 | ROOT, 0]) + framed(bytes.fromhex('0699040000665a')) + framed(bytes.fromhex('060104'))
    + framed(bytes.fromhex('063400')) + framed(bytes.fromhex('0b1e')) + framed(bytes.fromhex('0d1e')),
    'bootloader_upload': bytes([2 | ROOT, 0]) + framed(chunk(6, 12, 0, b'\x00\x00\x00\x00VKFW\x21xyz')),
    'raw_packets': bytes([0, 0]) + raw(packet(bytes.fromhex('013437313100'), 10250001))
    + raw(packet(bytes.fromhex('08'), 10250001)[:13]) + raw(b'\xff' * 20),
    'failure_disconnect': bytes([0 | ROOT, 14]) + framed(chunk_request(20, 0, 1)) + framed(chunk_request(20, 1, 2000))
    + framed(bytes.fromhex('08')),
    'failure_lockout': bytes([1 | ROOT, 16]) + framed(bytes.fromhex('013930303000')),
}


def main():
    folder = os.path.join(HERE, 'corpus', 'device_engine')
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(folder, 'seed-' + name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
