#pragma once

#include "return_codes/return_codes.h"
#include "v_protocol/protocol_enums.h"

#include <QByteArray>
#include <QDebug>
#include <QJsonObject>
#include <QMetaType>

namespace v_protocol {

struct TAuthRequest;
struct TAuthResponse;
struct TCommandRequest;
struct TCommandConfirm;
struct TDebugResponse;
struct TFileNameResponse;
struct TFileClearResponse;
struct TChunk;
struct TChunkRequest;
struct TChunkAccept;

// One packet of the device protocol. Wire layout (little-endian, no padding):
//   0 size(2)  2 type(1)  3 uid(4)  7 slaveSerial(4)  11 masterUid(1)  12 payload(size-14)  size-2 CRC-16(2)
// The CRC covers every byte before it. `payloadData` holds the whole payload, its type byte included.
struct TPacket
{
    quint16 size = 0;
    TPacketType type = TPacketType(0);
    quint32 uid = 0;
    quint32 slaveSerial = 0;
    quint8 masterUid = 0;
    TPayloadType payloadType = TPayloadType::NoData;
    QByteArray payloadData;
    quint16 crc = 0; // shown in the debug form only; 0 in every packet built or parsed here

    // Parses exactly one complete packet. `packet` is reset first; after an error it keeps what was
    // filled before the failing step (the head when only the size field disagrees).
    static ReturnCode fromByteArray(const QByteArray &bytes, TPacket &packet);
    // Head, payload as stored, CRC-16 of everything before it. `size` is written as stored.
    QByteArray toByteArray() const;

    // A packet around `payload`: size = payload length + 14, payloadType = its first byte.
    static TPacket makeRequest(const QByteArray &payload, quint32 uid, quint32 slaveSerial, quint8 masterUid);
    static TPacket makeResponse(const QByteArray &payload, quint32 uid, quint32 slaveSerial, quint8 masterUid);
    static TPacket make(
        TPacketType type, const QByteArray &payload, quint32 uid, quint32 slaveSerial, quint8 masterUid);

    // Payload decoders. Each resets `out` to its default, then checks the payload type
    // (ErrParsingWrongPayloadType) and the length (ErrParsingInvalidSize). Each is defined beside
    // the layout of its payload.
    ReturnCode toAuthResponse(TAuthResponse &out) const;
    ReturnCode toCommandConfirm(TCommandConfirm &out) const;
    ReturnCode toDebugResponse(TDebugResponse &out) const;
    ReturnCode toFileNameResponse(TFileNameResponse &out) const;
    ReturnCode toFileClearResponse(TFileClearResponse &out) const;
    ReturnCode toChunk(TChunk &out) const;
    ReturnCode toChunkAccept(TChunkAccept &out) const;
    // Decoders of the requests, for the device side of the protocol.
    ReturnCode toAuthRequest(TAuthRequest &out) const;
    ReturnCode toCommandRequest(TCommandRequest &out) const;
    ReturnCode toChunkRequest(TChunkRequest &out) const;
    ReturnCode toFileNameRequest(quint8 &fileId) const;
    ReturnCode toFileClearRequest(quint8 &fileId) const;

    // The common first steps of every payload decoder: the payload type must be `expected` and the
    // payload length within [minLength, maxLength] (maxLength < 0: no upper bound). Logs the
    // "Bad result: " line on failure.
    ReturnCode checkPayload(TPayloadType expected, qsizetype minLength, qsizetype maxLength) const;

    QJsonObject toJson() const;

    bool operator==(const TPacket &other) const;
    bool operator!=(const TPacket &other) const { return !(*this == other); }
};

// "TPacket" followed by the compact JSON of toJson().
QDebug operator<<(QDebug debug, const TPacket &packet);

} // namespace v_protocol

Q_DECLARE_METATYPE(v_protocol::TPacket)
