#include "v_protocol/t_command_request.h"

#include "v_protocol/byte_reader.h"
#include "v_protocol/byte_writer.h"
#include "v_protocol/debug_text.h"
#include "v_protocol/t_packet.h"

namespace v_protocol {

QByteArray TCommandRequest::toPayload() const
{
    QByteArray payload;
    ByteWriter(payload).enum8(payloadType).u16(cmdId).bytes(cmdData);
    return payload;
}

QJsonObject TCommandRequest::toJson() const
{
    return QJsonObject {
        { QStringLiteral("payloadType"), toText(payloadType) },
        { QStringLiteral("cmdId"), cmdId },
        { QStringLiteral("cmdData"), spacedHex(cmdData) },
    };
}

ReturnCode TPacket::toCommandRequest(TCommandRequest &out) const
{
    out = TCommandRequest();
    const ReturnCode rc = checkPayload(TPayloadType::CommandRequest, TCommandRequest::kHeaderSize, -1);
    if (rc != ReturnCode::Ok)
        return rc;
    ByteReader reader(payloadData);
    reader.readEnum8(out.payloadType);
    reader.readU16(out.cmdId);
    out.cmdData = reader.rest();
    return ReturnCode::Ok;
}

QDebug operator<<(QDebug debug, const TCommandRequest &request)
{
    return writeJsonDebugText(debug, QLatin1String("TCommandRequest"), request.toJson());
}

} // namespace v_protocol
