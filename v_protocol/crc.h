#pragma once

#include "return_codes/return_codes.h"

#include <QByteArray>
#include <QLatin1String>
#include <QtGlobal>

namespace v_protocol {

// CRC-16/CCITT-FALSE (poly 0x1021, init 0xFFFF, no reflection, no final XOR); check value 0x29B1.
// Protects every packet and the structured device files; stored little-endian on the wire.
quint16 calcCrc16(const quint8 *data, quint32 length);
quint16 calcCrc16(const QByteArray &data);

// CRC-32/ISO-HDLC (zlib, Ethernet: reflected poly 0xEDB88320, init and final XOR 0xFFFFFFFF);
// check value 0xCBF43926. Checksum of whole firmware images.
quint32 calcCrc32(const quint8 *data, quint32 length);
quint32 calcCrc32(const QByteArray &data);

// Splits a structured device file into its body and the CRC-16 trailer (its last two bytes,
// little-endian) and checks the trailer against the body. Fewer than 2 bytes: ErrParsingInvalidSize.
// A mismatch logs "<mismatchText>: from packet[<received>], calculated[<computed>]" (decimal) and
// returns ErrParsingInvalidCrc, unless `tolerateMismatch` is set. `body` and `receivedCrc` are filled
// whenever the file has a trailer.
ReturnCode splitFileCrc(const QByteArray &bytes, QLatin1String mismatchText, QByteArray &body, quint16 &receivedCrc,
    bool tolerateMismatch = false);

} // namespace v_protocol
