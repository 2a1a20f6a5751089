#include "v_protocol/t_chunk.h"

#include "v_protocol/byte_reader.h"
#include "v_protocol/byte_writer.h"
#include "v_protocol/debug_text.h"
#include "v_protocol/t_packet.h"

namespace v_protocol {

QByteArray TChunk::toPayload() const
{
    QByteArray payload;
    payload.reserve(kChunkHeaderSize + data.size());
    ByteWriter(payload).enum8(payloadType).u8(fileId).u32(fileSize).u32(addr).u16(dataSize).bytes(data);
    return payload;
}

ReturnCode TPacket::toChunk(TChunk &out) const
{
    out = TChunk();
    const ReturnCode rc = checkPayload(TPayloadType::FileChunk, kChunkHeaderSize, -1);
    if (rc != ReturnCode::Ok)
        return rc;
    ByteReader reader(payloadData);
    reader.readEnum8(out.payloadType);
    reader.readU8(out.fileId);
    reader.readU32(out.fileSize);
    reader.readU32(out.addr);
    reader.readU16(out.dataSize);
    if (reader.remaining() != out.dataSize) {
        logText(QStringLiteral("Invalid size check: payload.dataSize[%1], but expected [%2]")
                    .arg(out.dataSize)
                    .arg(reader.remaining()));
        return return_codes::logIfError(ReturnCode::ErrParsingInvalidSize);
    }
    out.data = reader.rest();
    return ReturnCode::Ok;
}

QDebug operator<<(QDebug debug, const TChunk &chunk)
{
    return writeDebugText(debug,
        QStringLiteral("TChunk{%1, fileId:%2, fileSize:%3, addr:%4, dataSize:%5, data[%6]}")
            .arg(toText(chunk.payloadType))
            .arg(chunk.fileId)
            .arg(chunk.fileSize)
            .arg(chunk.addr)
            .arg(chunk.dataSize)
            .arg(chunk.data.size()));
}

} // namespace v_protocol
