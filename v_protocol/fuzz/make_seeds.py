#!/usr/bin/env python3
"""Writes the small seed inputs of the fuzz targets into corpus/<target>/seed-*.

Run once after changing a layout; found crashers are kept beside the seeds as crash-*.
"""
import binascii
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def crc16(data):
    return binascii.crc_hqx(data, 0xFFFF)


def with_crc(body):
    return body + struct.pack('<H', crc16(body))


def packet(payload, ptype=2, uid=1, serial=0x12345678, master=0x42):
    head = struct.pack('<HBIIB', len(payload) + 14, ptype, uid, serial, master)
    return with_crc(head + payload)


def chunk_payload(file_size, addr, data, file_id=9):
    return struct.pack('<BBIIH', 3, file_id, file_size, addr, len(data)) + data


PAYLOADS = {
    'auth_response': bytes.fromhex('020100f400'),
    'chunk': chunk_payload(1000, 0, b'\x01'),
    'chunk_request': bytes.fromhex('0409000000000100'),
    'chunk_accept': bytes.fromhex('0500'),
    'command_request': bytes.fromhex('0634120102'),
    'command_confirm': bytes.fromhex('07341200'),
    'debug_response': bytes.fromhex('090300616263'),
    'file_name_response': bytes.fromhex('0c05') + b'log.bin'.ljust(20, b'\0'),
    'file_clear_response': bytes.fromhex('0e05'),
    'auth_request': bytes.fromhex('013132333400'),
    'file_name_request': bytes.fromhex('0b08'),
}


def profile_element(elem_id, names, enum_text, regexp):
    return (struct.pack('<HBB', elem_id, 1, 1) + names + b'\0' + struct.pack('<HBHiii', 0, 5, 1, 1, 0, 1)
            + enum_text + b'\0' + b'\x00' + regexp + b'\0')


def file_table_element(file_id, max_size, permissions, flags, fmt):
    return struct.pack('<BIBBB', file_id, max_size, permissions, flags, fmt) + b'\0\0\0'


def write(target, name, data):
    folder = os.path.join(HERE, 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, 'seed-' + name), 'wb') as f:
        f.write(data)


def main():
    for name, payload in PAYLOADS.items():
        write('payloads', name, payload)
        write('packet', name, packet(payload))
    write('packet', 'empty_payload', packet(b''))

    # [mode][max chunk data size + 16][records: length, chunk payload without its type byte]
    file_size = 40
    records = b''
    for addr, size in ((0, 1), (1, 20), (21, 19)):
        body = chunk_payload(file_size, addr, bytes(range(addr, addr + size)))[1:]
        records += bytes([len(body)]) + body
    write('chunked_file', 'ordinary', bytes([0, 20 + 16]) + records)
    write('chunked_file', 'fast', bytes([1, 20 + 16]) + records)

    # [chunk size - 1][file image]
    write('application_info', 'abc', bytes([2]) + bytes.fromhex('34120521414243'))
    table = with_crc(file_table_element(4, 4096, 0x1B, 3, 2) + file_table_element(9, 512, 0x3F, 0, 1))
    write('file_table', 'two_elements', bytes([6]) + table)
    elements = with_crc(bytes.fromhex('020100aabb' '000200' '04ffff01020304'))
    write('data_elements', 'settings', bytes([1, 4]) + elements)
    write('data_elements', 'state', bytes([2, 200]) + elements)
    profile = (profile_element(1, b'Speed*Skorost', b'Off*On', b'')
               + profile_element(2, b'Mode', b'', b'^[0-9]+$'))
    write('slave_profile', 'two_elements', bytes([9]) + profile)


if __name__ == '__main__':
    main()
