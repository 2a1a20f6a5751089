#pragma once

#include "v_protocol/protocol_enums.h"

#include <QByteArray>
#include <QMetaType>

namespace v_protocol {

// File clear response payload (device to master), exactly 2 bytes: [0] 14  [1] the cleared file id.
// The file name and file clear requests share this layout with their own type byte (11, 13).
struct TFileClearResponse
{
    static constexpr qsizetype kPayloadSize = 2;

    TPayloadType payloadType = TPayloadType::FileClearResponse;
    quint8 fileId = 0;

    QByteArray toPayload() const;

    bool operator==(const TFileClearResponse &other) const
    {
        return payloadType == other.payloadType && fileId == other.fileId;
    }
};

} // namespace v_protocol

Q_DECLARE_METATYPE(v_protocol::TFileClearResponse)
