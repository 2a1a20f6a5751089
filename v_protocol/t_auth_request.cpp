#include "v_protocol/t_auth_request.h"

#include "v_protocol/byte_writer.h"
#include "v_protocol/t_packet.h"

namespace v_protocol {

TAuthRequest TAuthRequest::fromPassword(const QString &password)
{
    TAuthRequest request;
    const QByteArray utf8 = password.toUtf8().left(kPasswordSize);
    request.password = utf8 + QByteArray(kPasswordSize - utf8.size(), '\0');
    return request;
}

QByteArray TAuthRequest::toPayload() const
{
    QByteArray payload;
    ByteWriter(payload).enum8(payloadType).bytes(password.left(kPasswordSize).leftJustified(kPasswordSize, '\0')).u8(0);
    return payload;
}

ReturnCode TPacket::toAuthRequest(TAuthRequest &out) const
{
    out = TAuthRequest();
    const ReturnCode rc
        = checkPayload(TPayloadType::AuthenticationRequest, TAuthRequest::kPayloadSize, TAuthRequest::kPayloadSize);
    if (rc == ReturnCode::Ok)
        out.password = payloadData.mid(1, TAuthRequest::kPasswordSize);
    return rc;
}

} // namespace v_protocol
