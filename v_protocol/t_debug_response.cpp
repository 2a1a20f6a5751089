#include "v_protocol/t_debug_response.h"

#include "v_protocol/byte_reader.h"
#include "v_protocol/byte_writer.h"
#include "v_protocol/debug_text.h"
#include "v_protocol/t_packet.h"

namespace v_protocol {

QByteArray TDebugResponse::toPayload() const
{
    QByteArray payload;
    ByteWriter(payload).enum8(payloadType).u16(dataSize).bytes(debugData);
    return payload;
}

ReturnCode TPacket::toDebugResponse(TDebugResponse &out) const
{
    out = TDebugResponse();
    const ReturnCode rc = checkPayload(TPayloadType::DebugResponse, TDebugResponse::kHeaderSize, -1);
    if (rc != ReturnCode::Ok)
        return rc;
    ByteReader reader(payloadData);
    reader.readEnum8(out.payloadType);
    reader.readU16(out.dataSize);
    if (reader.remaining() != out.dataSize) {
        logText(QStringLiteral("Invalid debugData size: from packet[%1], but exist[%2]")
                    .arg(out.dataSize)
                    .arg(reader.remaining()));
        return return_codes::logIfError(ReturnCode::ErrParsingInvalidSize);
    }
    out.debugData = reader.rest();
    return ReturnCode::Ok;
}

} // namespace v_protocol
