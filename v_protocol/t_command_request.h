#pragma once

#include "v_protocol/protocol_enums.h"

#include <QByteArray>
#include <QDebug>
#include <QJsonObject>
#include <QMetaType>

namespace v_protocol {

// Command request payload (master to device), 3 + data bytes:
//   [0] 6  [1..2] cmdId  [3...] cmdData (any length)
struct TCommandRequest
{
    static constexpr qsizetype kHeaderSize = 3;

    TPayloadType payloadType = TPayloadType::CommandRequest;
    quint16 cmdId = 0;
    QByteArray cmdData;

    QByteArray toPayload() const;
    // { "payloadType" (name text), "cmdId", "cmdData" (hex pairs separated by spaces) }
    QJsonObject toJson() const;

    bool operator==(const TCommandRequest &other) const
    {
        return payloadType == other.payloadType && cmdId == other.cmdId && cmdData == other.cmdData;
    }
};

QDebug operator<<(QDebug debug, const TCommandRequest &request);

} // namespace v_protocol

Q_DECLARE_METATYPE(v_protocol::TCommandRequest)
