#!/usr/bin/python3
"""Second, independent reader and writer of the encrypted settings file (standard library only).

Used by the cross-check test to prove that the C++ store and this script agree on every byte:

  settings_file_format.py decode FILE [--key HEX]
      prints {"version", "flags", "text", "values"} as JSON; "values" maps "group/key" to the value,
      strings given as "TStr" + Base64 decoded back to text.
  settings_file_format.py encode FILE [--key HEX] [--compress auto|always|never]
                                      [--protect none|checksum|hash] [--random N] [--raw]
      reads {"group": {"key": "value"}} as JSON from standard input and writes FILE; values are
      stored as "TStr" + unpadded Base64 of their UTF-8 bytes unless --raw is given.
  settings_file_format.py selftest
      checks this script against fixed values.

File = version byte 3, flags byte (1 compressed, 2 checksum, 4 SHA-1), scrambled block.
Block = random byte, integrity value, payload. Scrambling: b[i] ^= key[i % 8] ^ previous scrambled
byte (0 at first), key[n] = byte n of the 64-bit key counted from the least significant end.
Compressed payload = 4-byte big-endian length + zlib stream (level 9).
Checksum = CRC-16 of ISO 3309 (reflected 0x1021, init 0xFFFF, final complement), big-endian.
Plain text = UTF-8 lines "[group]\\n" then "key=value\\n" for the keys of that group.
"""

import argparse
import base64
import hashlib
import json
import random
import struct
import sys
import zlib

VERSION = 3
FLAG_COMPRESSED = 1
FLAG_CHECKSUM = 2
FLAG_HASH = 4
DEFAULT_KEY = 0x3D8E51A7C42B96F0


class FormatError(Exception):
    pass


def key_parts(key):
    return [(key >> (8 * n)) & 0xFF for n in range(8)]


def crc16_iso3309(data):
    crc = 0xFFFF
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0x8408 if crc & 1 else crc >> 1
    return crc ^ 0xFFFF


def compress(data):
    if not data:
        return struct.pack(">I", 0)
    return struct.pack(">I", len(data)) + zlib.compress(data, 9)


def uncompress(data):
    if len(data) < 4:
        raise FormatError("compressed payload shorter than its length field")
    (length,) = struct.unpack(">I", data[:4])
    if length == 0:
        return b""
    plain = zlib.decompress(data[4:])
    if len(plain) != length:
        raise FormatError("length field %d, inflated %d bytes" % (length, len(plain)))
    return plain


def encrypt(plain, key, compress_mode="always", protect="hash", random_byte=None):
    flags = 0
    payload = plain
    if compress_mode in ("always", "auto"):
        packed = compress(plain)
        if compress_mode == "always" or len(packed) < len(plain):
            payload = packed
            flags |= FLAG_COMPRESSED
    integrity = b""
    if protect == "checksum":
        integrity = struct.pack(">H", crc16_iso3309(payload))
        flags |= FLAG_CHECKSUM
    elif protect == "hash":
        integrity = hashlib.sha1(payload).digest()
        flags |= FLAG_HASH
    if random_byte is None:
        random_byte = random.randrange(256)
    block = bytearray([random_byte]) + integrity + payload
    parts = key_parts(key)
    previous = 0
    for i in range(len(block)):
        block[i] ^= parts[i % 8] ^ previous
        previous = block[i]
    return bytes([VERSION, flags]) + bytes(block)


def decrypt(data, key):
    if len(data) < 3:
        raise FormatError("shorter than header and random byte")
    if data[0] != VERSION:
        raise FormatError("version %d" % data[0])
    flags = data[1]
    parts = key_parts(key)
    plain = bytearray()
    previous = 0
    for i, byte in enumerate(data[2:]):
        plain.append(byte ^ parts[i % 8] ^ previous)
        previous = byte
    rest = bytes(plain[1:])
    if flags & FLAG_CHECKSUM:
        if len(rest) < 2:
            raise FormatError("no room for the checksum")
        (stored,) = struct.unpack(">H", rest[:2])
        rest = rest[2:]
        if stored != crc16_iso3309(rest):
            raise FormatError("checksum mismatch")
    elif flags & FLAG_HASH:
        if len(rest) < 20:
            raise FormatError("no room for the SHA-1 digest")
        stored, rest = rest[:20], rest[20:]
        if stored != hashlib.sha1(rest).digest():
            raise FormatError("SHA-1 mismatch")
    if flags & FLAG_COMPRESSED:
        rest = uncompress(rest)
    return flags, rest


def encode_string(text):
    return "TStr" + base64.b64encode(text.encode("utf-8")).decode("ascii").rstrip("=")


def decode_value(text):
    if not text.startswith("TStr"):
        return text
    body = text[4:]
    return base64.b64decode(body + "=" * (-len(body) % 4)).decode("utf-8")


def build_text(groups, raw=False):
    lines = []
    for group, keys in groups.items():
        lines.append("[%s]\n" % group)
        for key, value in keys.items():
            lines.append("%s=%s\n" % (key, value if raw else encode_string(value)))
    return "".join(lines).encode("utf-8")


def parse_text(text):
    values = {}
    group = None
    for line in text.decode("utf-8").split("\n"):
        if not line:
            continue
        if line.startswith("["):
            group = line.replace("[", "").replace("]", "")
            continue
        parts = line.split("=")
        if len(parts) != 2:
            raise FormatError("line %r does not split into key and value" % line)
        if group is None:
            raise FormatError("key line %r outside a group" % line)
        values["%s/%s" % (group, parts[0])] = decode_value(parts[1])
    return values


def selftest():
    assert crc16_iso3309(b"123456789") == 0x906E
    assert key_parts(DEFAULT_KEY) == [0xF0, 0x96, 0x2B, 0xC4, 0xA7, 0x51, 0x8E, 0x3D]
    assert encode_string("abc") == "TStrYWJj"
    assert decode_value("TStrYWJj") == "abc"
    assert encode_string("ab") == "TStrYWI"
    # Scrambling by hand: no compression, no integrity value, random byte 0x00, one data byte 0x41.
    sample = encrypt(b"A", DEFAULT_KEY, "never", "none", 0x00)
    assert sample == bytes([3, 0, 0x00 ^ 0xF0, 0x41 ^ 0x96 ^ 0xF0]), sample.hex()
    text = build_text({"setting": {"app1": "7391", "app4": "a=b\nc"}})
    for compress_mode in ("auto", "always", "never"):
        for protect in ("none", "checksum", "hash"):
            data = encrypt(text, DEFAULT_KEY, compress_mode, protect)
            assert decrypt(data, DEFAULT_KEY)[1] == text
    assert parse_text(text) == {"setting/app1": "7391", "setting/app4": "a=b\nc"}
    tampered = bytearray(encrypt(text, DEFAULT_KEY))
    tampered[10] ^= 0x01
    try:
        decrypt(bytes(tampered), DEFAULT_KEY)
    except FormatError:
        pass
    else:
        raise AssertionError("an altered byte passed the SHA-1 check")
    print("selftest passed")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("command", choices=["decode", "encode", "selftest"])
    parser.add_argument("file", nargs="?")
    parser.add_argument("--key", default="%X" % DEFAULT_KEY)
    parser.add_argument("--compress", choices=["auto", "always", "never"], default="always")
    parser.add_argument("--protect", choices=["none", "checksum", "hash"], default="hash")
    parser.add_argument("--random", type=int)
    parser.add_argument("--raw", action="store_true")
    args = parser.parse_args()
    key = int(args.key, 16)

    if args.command == "selftest":
        selftest()
        return 0
    if not args.file:
        parser.error("FILE is required")
    try:
        if args.command == "decode":
            with open(args.file, "rb") as handle:
                data = handle.read()
            flags, text = decrypt(data, key)
            json.dump({"version": data[0], "flags": flags, "text": text.decode("utf-8"),
                       "values": parse_text(text)}, sys.stdout)
        else:
            groups = json.loads(sys.stdin.buffer.read().decode("utf-8"))
            data = encrypt(build_text(groups, args.raw), key, args.compress, args.protect, args.random)
            with open(args.file, "wb") as handle:
                handle.write(data)
    except FormatError as error:
        print("format error: %s" % error, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
