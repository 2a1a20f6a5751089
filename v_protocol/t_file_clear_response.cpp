#include "v_protocol/t_file_clear_response.h"

#include "v_protocol/byte_writer.h"
#include "v_protocol/t_packet.h"

namespace v_protocol {
namespace {

// [0] type  [1] file id: the file name request, the file clear request and the file clear response.
ReturnCode decodeFileIdPayload(const TPacket &packet, TPayloadType type, quint8 &fileId)
{
    fileId = 0;
    const ReturnCode rc = packet.checkPayload(type, TFileClearResponse::kPayloadSize, TFileClearResponse::kPayloadSize);
    if (rc == ReturnCode::Ok)
        fileId = quint8(packet.payloadData.at(1));
    return rc;
}

} // namespace

QByteArray TFileClearResponse::toPayload() const
{
    QByteArray payload;
    ByteWriter(payload).enum8(payloadType).u8(fileId);
    return payload;
}

ReturnCode TPacket::toFileClearResponse(TFileClearResponse &out) const
{
    out = TFileClearResponse();
    return decodeFileIdPayload(*this, TPayloadType::FileClearResponse, out.fileId);
}

ReturnCode TPacket::toFileNameRequest(quint8 &fileId) const
{
    return decodeFileIdPayload(*this, TPayloadType::FileNameRequest, fileId);
}

ReturnCode TPacket::toFileClearRequest(quint8 &fileId) const
{
    return decodeFileIdPayload(*this, TPayloadType::FileClearRequest, fileId);
}

} // namespace v_protocol
