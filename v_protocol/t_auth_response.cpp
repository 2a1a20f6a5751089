#include "v_protocol/t_auth_response.h"

#include "v_protocol/byte_reader.h"
#include "v_protocol/byte_writer.h"
#include "v_protocol/debug_text.h"
#include "v_protocol/t_packet.h"

namespace v_protocol {

QByteArray TAuthResponse::toPayload() const
{
    QByteArray payload;
    ByteWriter(payload).enum8(payloadType).enum8(appType).enum8(authResult).u16(maxPacketSize);
    return payload;
}

QJsonObject TAuthResponse::toJson() const
{
    return QJsonObject {
        { QStringLiteral("payloadType"), toText(payloadType) },
        { QStringLiteral("appType"), toText(appType) },
        { QStringLiteral("authResult"), toText(authResult) },
        { QStringLiteral("maxPacketSize"), maxPacketSize },
    };
}

ReturnCode TPacket::toAuthResponse(TAuthResponse &out) const
{
    out = TAuthResponse();
    const ReturnCode rc
        = checkPayload(TPayloadType::AuthenticationResponse, TAuthResponse::kPayloadSize, TAuthResponse::kPayloadSize);
    if (rc != ReturnCode::Ok)
        return rc;
    ByteReader reader(payloadData);
    reader.readEnum8(out.payloadType);
    reader.readEnum8(out.appType);
    reader.readEnum8(out.authResult);
    reader.readU16(out.maxPacketSize);
    return ReturnCode::Ok;
}

QDebug operator<<(QDebug debug, const TAuthResponse &response)
{
    return writeJsonDebugText(debug, QLatin1String("TAuthResponse"), response.toJson());
}

} // namespace v_protocol
