#pragma once

#include "v_protocol/protocol_enums.h"

#include <QByteArray>
#include <QDebug>
#include <QMetaType>

namespace v_protocol {

// File chunk payload (device to master when reading, master to device when writing), 12 + data:
//   [0] 3  [1] fileId  [2..5] fileSize  [6..9] addr  [10..11] dataSize  [12...] data (dataSize bytes)
struct TChunk
{
    TPayloadType payloadType = TPayloadType::FileChunk;
    quint8 fileId = 0;
    quint32 fileSize = 0; // total length of the file
    quint32 addr = 0; // offset of `data` within the file
    quint16 dataSize = 0;
    QByteArray data;

    // Offset just past this chunk's data; 64-bit so that a hostile addr cannot wrap around.
    quint64 end() const { return quint64(addr) + dataSize; }

    QByteArray toPayload() const;

    bool operator==(const TChunk &other) const
    {
        return payloadType == other.payloadType && fileId == other.fileId && fileSize == other.fileSize
            && addr == other.addr && dataSize == other.dataSize && data == other.data;
    }
};

// TChunk{<payload type name>, fileId:1, fileSize:100, addr:0, dataSize:10, data[10]}
QDebug operator<<(QDebug debug, const TChunk &chunk);

} // namespace v_protocol

Q_DECLARE_METATYPE(v_protocol::TChunk)
