#pragma once

#include "v_protocol/protocol_enums.h"

#include <QByteArray>
#include <QDebug>
#include <QMetaType>

namespace v_protocol {

// Chunk request payload (master to device), exactly 8 bytes:
//   [0] 4  [1] fileId  [2..5] addr (first byte wanted)  [6..7] dataSize (bytes wanted)
struct TChunkRequest
{
    static constexpr qsizetype kPayloadSize = 8;

    TPayloadType payloadType = TPayloadType::FileChunkRequest;
    quint8 fileId = 0;
    quint32 addr = 0;
    quint16 dataSize = 0;

    quint64 end() const { return quint64(addr) + dataSize; }

    QByteArray toPayload() const;

    bool operator==(const TChunkRequest &other) const
    {
        return payloadType == other.payloadType && fileId == other.fileId && addr == other.addr
            && dataSize == other.dataSize;
    }
    bool operator!=(const TChunkRequest &other) const { return !(*this == other); }
};

// TChunkRequest{fileId:1, addr:0, dataSize:1}
QDebug operator<<(QDebug debug, const TChunkRequest &request);

} // namespace v_protocol

Q_DECLARE_METATYPE(v_protocol::TChunkRequest)
