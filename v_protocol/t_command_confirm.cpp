#include "v_protocol/t_command_confirm.h"

#include "v_protocol/byte_reader.h"
#include "v_protocol/byte_writer.h"
#include "v_protocol/debug_text.h"
#include "v_protocol/t_packet.h"

namespace v_protocol {

QByteArray TCommandConfirm::toPayload() const
{
    QByteArray payload;
    ByteWriter(payload).enum8(payloadType).u16(cmdId).enum8(cmdRes);
    return payload;
}

QJsonObject TCommandConfirm::toJson() const
{
    return QJsonObject {
        { QStringLiteral("payloadType"), toText(payloadType) },
        { QStringLiteral("cmdId"), cmdId },
        { QStringLiteral("cmdRes"), toText(cmdRes) },
    };
}

ReturnCode TPacket::toCommandConfirm(TCommandConfirm &out) const
{
    out = TCommandConfirm();
    const ReturnCode rc
        = checkPayload(TPayloadType::CommandConfirmation, TCommandConfirm::kPayloadSize, TCommandConfirm::kPayloadSize);
    if (rc != ReturnCode::Ok)
        return rc;
    ByteReader reader(payloadData);
    reader.readEnum8(out.payloadType);
    reader.readU16(out.cmdId);
    reader.readEnum8(out.cmdRes);
    return ReturnCode::Ok;
}

QDebug operator<<(QDebug debug, const TCommandConfirm &confirm)
{
    return writeJsonDebugText(debug, QLatin1String("TCommandConfirm"), confirm.toJson());
}

} // namespace v_protocol
