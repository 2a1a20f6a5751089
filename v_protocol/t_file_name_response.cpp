#include "v_protocol/t_file_name_response.h"

#include "v_protocol/byte_writer.h"
#include "v_protocol/t_packet.h"

namespace v_protocol {

QByteArray TFileNameResponse::toPayload() const
{
    QByteArray payload;
    ByteWriter(payload)
        .enum8(payloadType)
        .u8(fileId)
        .bytes(fileName.toUtf8().left(kNameSize).leftJustified(kNameSize, '\0'));
    return payload;
}

ReturnCode TPacket::toFileNameResponse(TFileNameResponse &out) const
{
    out = TFileNameResponse();
    const ReturnCode rc = checkPayload(
        TPayloadType::FileNameResponse, TFileNameResponse::kPayloadSize, TFileNameResponse::kPayloadSize);
    if (rc != ReturnCode::Ok)
        return rc;
    out.fileId = quint8(payloadData.at(1));
    out.fileName = QString::fromUtf8(payloadData.constData() + 2, TFileNameResponse::kNameSize);
    return ReturnCode::Ok;
}

} // namespace v_protocol
