#pragma once

#include "v_protocol/protocol_enums.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>

namespace v_protocol {

// File name response payload (device to master), exactly 22 bytes:
//   [0] 12  [1] fileId  [2..21] name, decoded as UTF-8 in full (zero padding stays as U+0000)
struct TFileNameResponse
{
    static constexpr qsizetype kNameSize = 20;
    static constexpr qsizetype kPayloadSize = 2 + kNameSize;

    TPayloadType payloadType = TPayloadType::FileNameResponse;
    quint8 fileId = 0;
    QString fileName;

    // The name's UTF-8 bytes cut or zero padded to 20 bytes.
    QByteArray toPayload() const;

    bool operator==(const TFileNameResponse &other) const
    {
        return payloadType == other.payloadType && fileId == other.fileId && fileName == other.fileName;
    }
};

} // namespace v_protocol

Q_DECLARE_METATYPE(v_protocol::TFileNameResponse)
