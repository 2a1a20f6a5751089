#include "v_protocol/requests.h"

#include "v_protocol/t_auth_request.h"
#include "v_protocol/t_chunk.h"
#include "v_protocol/t_chunk_request.h"
#include "v_protocol/t_command_request.h"

namespace v_protocol {
namespace {

QByteArray typeAndFileId(TPayloadType type, quint8 fileId)
{
    QByteArray payload;
    payload.append(char(type));
    payload.append(char(fileId));
    return payload;
}

} // namespace

TPacket makeAuthenticationRequest(const QString &password, quint32 uid, quint32 slaveSerial, quint8 masterUid)
{
    return TPacket::makeRequest(TAuthRequest::fromPassword(password).toPayload(), uid, slaveSerial, masterUid);
}

TPacket makeCommandRequest(const TCommandRequest &request, quint32 uid, quint32 slaveSerial, quint8 masterUid)
{
    return TPacket::makeRequest(request.toPayload(), uid, slaveSerial, masterUid);
}

TPacket makeCommandRequest(quint16 cmdId, const QByteArray &cmdData, quint32 uid, quint32 slaveSerial, quint8 masterUid)
{
    TCommandRequest request;
    request.cmdId = cmdId;
    request.cmdData = cmdData;
    return makeCommandRequest(request, uid, slaveSerial, masterUid);
}

TPacket makeDebugRequest(quint32 uid, quint32 slaveSerial, quint8 masterUid)
{
    return TPacket::makeRequest(QByteArray(1, char(TPayloadType::DebugRequest)), uid, slaveSerial, masterUid);
}

TPacket makeFileNameRequest(quint8 fileId, quint32 uid, quint32 slaveSerial, quint8 masterUid)
{
    return TPacket::makeRequest(typeAndFileId(TPayloadType::FileNameRequest, fileId), uid, slaveSerial, masterUid);
}

TPacket makeFileClearRequest(quint8 fileId, quint32 uid, quint32 slaveSerial, quint8 masterUid)
{
    return TPacket::makeRequest(typeAndFileId(TPayloadType::FileClearRequest, fileId), uid, slaveSerial, masterUid);
}

TPacket makeChunkRequest(const TChunkRequest &request, quint32 uid, quint32 slaveSerial, quint8 masterUid)
{
    return TPacket::makeRequest(request.toPayload(), uid, slaveSerial, masterUid);
}

TPacket makeChunkPacket(const TChunk &chunk, quint32 uid, quint32 slaveSerial, quint8 masterUid)
{
    return TPacket::makeRequest(chunk.toPayload(), uid, slaveSerial, masterUid);
}

} // namespace v_protocol
