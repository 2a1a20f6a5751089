#pragma once

#include "v_protocol/t_chunk.h"
#include "v_protocol/t_chunk_request.h"
#include "v_protocol/t_command_request.h"
#include "v_protocol/t_packet.h"

#include <QString>

// Request encoders: each builds a request packet (type Request, size = payload length + 14) from its
// payload and the three head numbers. Encoders cannot fail.
namespace v_protocol {

TPacket makeAuthenticationRequest(const QString &password, quint32 uid, quint32 slaveSerial, quint8 masterUid);
TPacket makeCommandRequest(const TCommandRequest &request, quint32 uid, quint32 slaveSerial, quint8 masterUid);
TPacket makeCommandRequest(
    quint16 cmdId, const QByteArray &cmdData, quint32 uid, quint32 slaveSerial, quint8 masterUid);
TPacket makeDebugRequest(quint32 uid, quint32 slaveSerial, quint8 masterUid);
TPacket makeFileNameRequest(quint8 fileId, quint32 uid, quint32 slaveSerial, quint8 masterUid);
TPacket makeFileClearRequest(quint8 fileId, quint32 uid, quint32 slaveSerial, quint8 masterUid);
TPacket makeChunkRequest(const TChunkRequest &request, quint32 uid, quint32 slaveSerial, quint8 masterUid);
TPacket makeChunkPacket(const TChunk &chunk, quint32 uid, quint32 slaveSerial, quint8 masterUid);

} // namespace v_protocol
