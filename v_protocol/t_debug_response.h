#pragma once

#include "v_protocol/protocol_enums.h"

#include <QByteArray>
#include <QMetaType>

namespace v_protocol {

// Debug response payload (device to master), 3 + dataSize bytes:
//   [0] 9  [1..2] dataSize  [3...] debugData, exactly dataSize bytes
struct TDebugResponse
{
    static constexpr qsizetype kHeaderSize = 3;

    TPayloadType payloadType = TPayloadType::DebugResponse;
    quint16 dataSize = 0;
    QByteArray debugData;

    QByteArray toPayload() const;

    bool operator==(const TDebugResponse &other) const
    {
        return payloadType == other.payloadType && dataSize == other.dataSize && debugData == other.debugData;
    }
};

} // namespace v_protocol

Q_DECLARE_METATYPE(v_protocol::TDebugResponse)
