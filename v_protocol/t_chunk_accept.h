#pragma once

#include "v_protocol/protocol_enums.h"

#include <QByteArray>
#include <QMetaType>

namespace v_protocol {

// Chunk accept payload (device to master), at least 2 bytes: [0] 5  [1] status; the rest is ignored.
struct TChunkAccept
{
    static constexpr qsizetype kMinPayloadSize = 2;

    TPayloadType payloadType = TPayloadType::FileChunkAccept;
    TSystemFileResult status = TSystemFileResult::UnknownFileIdentifier;

    QByteArray toPayload() const;

    bool operator==(const TChunkAccept &other) const
    {
        return payloadType == other.payloadType && status == other.status;
    }
};

} // namespace v_protocol

Q_DECLARE_METATYPE(v_protocol::TChunkAccept)
