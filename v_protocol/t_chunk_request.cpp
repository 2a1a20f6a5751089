#include "v_protocol/t_chunk_request.h"

#include "v_protocol/byte_reader.h"
#include "v_protocol/byte_writer.h"
#include "v_protocol/debug_text.h"
#include "v_protocol/t_packet.h"

namespace v_protocol {

QByteArray TChunkRequest::toPayload() const
{
    QByteArray payload;
    ByteWriter(payload).enum8(payloadType).u8(fileId).u32(addr).u16(dataSize);
    return payload;
}

ReturnCode TPacket::toChunkRequest(TChunkRequest &out) const
{
    out = TChunkRequest();
    const ReturnCode rc
        = checkPayload(TPayloadType::FileChunkRequest, TChunkRequest::kPayloadSize, TChunkRequest::kPayloadSize);
    if (rc != ReturnCode::Ok)
        return rc;
    ByteReader reader(payloadData);
    reader.readEnum8(out.payloadType);
    reader.readU8(out.fileId);
    reader.readU32(out.addr);
    reader.readU16(out.dataSize);
    return ReturnCode::Ok;
}

QDebug operator<<(QDebug debug, const TChunkRequest &request)
{
    return writeDebugText(debug,
        QStringLiteral("TChunkRequest{fileId:%1, addr:%2, dataSize:%3}")
            .arg(request.fileId)
            .arg(request.addr)
            .arg(request.dataSize));
}

} // namespace v_protocol
