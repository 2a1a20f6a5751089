#pragma once

#include "v_protocol/protocol_enums.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>

namespace v_protocol {

// Authentication request payload (master to device), 6 bytes:
//   [0] 1  [1..4] password bytes  [5] 0
struct TAuthRequest
{
    static constexpr qsizetype kPasswordSize = 4;
    static constexpr qsizetype kPayloadSize = 6;

    TPayloadType payloadType = TPayloadType::AuthenticationRequest;
    QByteArray password = QByteArray(kPasswordSize, '\0'); // always 4 bytes, zero padded

    // The first four bytes of the password's UTF-8 form, fewer if it is shorter, the rest zero.
    // A longer password is cut without notice.
    static TAuthRequest fromPassword(const QString &password);

    QByteArray toPayload() const;

    bool operator==(const TAuthRequest &other) const
    {
        return payloadType == other.payloadType && password == other.password;
    }
};

} // namespace v_protocol

Q_DECLARE_METATYPE(v_protocol::TAuthRequest)
