#pragma once

#include "v_protocol/protocol_enums.h"

#include <QByteArray>
#include <QDebug>
#include <QJsonObject>
#include <QMetaType>

namespace v_protocol {

// Authentication response payload (device to master), exactly 5 bytes:
//   [0] 2  [1] appType  [2] authResult  [3..4] maxPacketSize
// The default is the value before any response arrived and the start of every decode.
struct TAuthResponse
{
    static constexpr qsizetype kPayloadSize = 5;

    TPayloadType payloadType = TPayloadType::AuthenticationResponse;
    TAppType appType = TAppType::Application;
    TAuthResult authResult = TAuthResult::Denied;
    quint16 maxPacketSize = 0; // the largest packet the device accepts

    bool isGranted() const { return isAccessGranted(authResult); }

    QByteArray toPayload() const;
    // { "payloadType", "appType", "authResult" (name texts), "maxPacketSize" (number) }
    QJsonObject toJson() const;

    bool operator==(const TAuthResponse &other) const
    {
        return payloadType == other.payloadType && appType == other.appType && authResult == other.authResult
            && maxPacketSize == other.maxPacketSize;
    }
};

// "TAuthResponse" followed by the compact JSON.
QDebug operator<<(QDebug debug, const TAuthResponse &response);

} // namespace v_protocol

Q_DECLARE_METATYPE(v_protocol::TAuthResponse)
