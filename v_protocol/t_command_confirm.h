#pragma once

#include "v_protocol/protocol_enums.h"

#include <QByteArray>
#include <QDebug>
#include <QJsonObject>
#include <QMetaType>

namespace v_protocol {

// Command confirmation payload (device to master), exactly 4 bytes:
//   [0] 7  [1..2] cmdId  [3] cmdRes
struct TCommandConfirm
{
    static constexpr qsizetype kPayloadSize = 4;

    TPayloadType payloadType = TPayloadType::CommandConfirmation;
    quint16 cmdId = 0;
    TCommandResult cmdRes = TCommandResult::Error;

    QByteArray toPayload() const;
    // { "payloadType" (name text), "cmdId", "cmdRes" (name text) }
    QJsonObject toJson() const;

    bool operator==(const TCommandConfirm &other) const
    {
        return payloadType == other.payloadType && cmdId == other.cmdId && cmdRes == other.cmdRes;
    }
};

QDebug operator<<(QDebug debug, const TCommandConfirm &confirm);

} // namespace v_protocol

Q_DECLARE_METATYPE(v_protocol::TCommandConfirm)
