#include "v_protocol/t_chunk_accept.h"

#include "v_protocol/byte_reader.h"
#include "v_protocol/byte_writer.h"
#include "v_protocol/t_packet.h"

namespace v_protocol {

QByteArray TChunkAccept::toPayload() const
{
    QByteArray payload;
    ByteWriter(payload).enum8(payloadType).enum8(status);
    return payload;
}

ReturnCode TPacket::toChunkAccept(TChunkAccept &out) const
{
    out = TChunkAccept();
    const ReturnCode rc = checkPayload(TPayloadType::FileChunkAccept, TChunkAccept::kMinPayloadSize, -1);
    if (rc != ReturnCode::Ok)
        return rc;
    ByteReader reader(payloadData);
    reader.readEnum8(out.payloadType);
    reader.readEnum8(out.status);
    return ReturnCode::Ok;
}

} // namespace v_protocol
