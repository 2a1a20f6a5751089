#!/usr/bin/env python3
"""Writes the seed inputs of the device session fuzz target into corpus/device_session/seed-*.

Input layout: [operations and device byte][one byte per operation] then records [kind][length][bytes]:
kind 0 an answer payload, 1 the simulated device answers, 2 the answer timer fires.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SIMULATED = 0x04
AUTH, APP_INFO, SETTINGS, PROFILE, TABLE, RAW, FAST, CLEAR, NAME, COMMAND, WRITE_RAW, WRITE_SETTINGS = range(12)


def head(operations, simulated=True, failure=0):
    return bytes([(len(operations) - 1) | (SIMULATED if simulated else 0) | (failure << 3)] + operations)


def answer(payload):
    return bytes([0, len(payload)]) + payload


SIMULATE = bytes([1, 0])
TIMER = bytes([2, 0])


def chunk(file_id, file_size, addr, data):
    return struct.pack('<BBIIH', 3, file_id, file_size, addr, len(data)) + data


GRANTED = bytes.fromhex('020100f400')  # SuccessRoot, 244 bytes

SEEDS = {
    'simulated_reads': head([AUTH, SETTINGS, PROFILE, FAST]) + SIMULATE,
    'simulated_writes': head([AUTH, WRITE_RAW, WRITE_SETTINGS, CLEAR]) + SIMULATE,
    'simulated_requests': head([AUTH, NAME, COMMAND, TABLE]),
    'no_answers': head([AUTH, RAW, COMMAND], simulated=False) + TIMER + TIMER,
    'failure_wrong_type': head([AUTH, RAW, NAME], failure=3) + SIMULATE,
    'failure_slow': head([AUTH, FAST], failure=19) + SIMULATE + TIMER,
    'made_up_answers': head([AUTH, RAW, CLEAR], simulated=False) + answer(GRANTED)
    + answer(chunk(17, 3, 0, b'a')) + answer(chunk(17, 3, 1, b'bc')) + answer(bytes.fromhex('0502'))
    + answer(bytes.fromhex('0a')) + answer(bytes.fromhex('0e11')),
    'stray_answers': head([COMMAND], simulated=False) + answer(bytes.fromhex('0501')) + answer(bytes.fromhex('09000000'))
    + answer(chunk(2, 10, 0, b'x')) + answer(bytes.fromhex('02010000')) + TIMER + answer(bytes.fromhex('07000000')),
    'zero_packet_size': head([AUTH, RAW, WRITE_RAW], simulated=False) + answer(bytes.fromhex('0201000000'))
    + answer(chunk(17, 300, 0, b'a')),
}

if __name__ == '__main__':
    folder = os.path.join(HERE, 'corpus', 'device_session')
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(folder, 'seed-' + name), 'wb') as out:
            out.write(data)
