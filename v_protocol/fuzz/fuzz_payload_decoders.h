#pragma once

// Runs every payload decoder on one packet and checks what the accepted ones give back.

#include "fuzz_support.h"

#include "v_protocol/t_auth_request.h"
#include "v_protocol/t_auth_response.h"
#include "v_protocol/t_chunk.h"
#include "v_protocol/t_chunk_accept.h"
#include "v_protocol/t_chunk_request.h"
#include "v_protocol/t_command_confirm.h"
#include "v_protocol/t_command_request.h"
#include "v_protocol/t_debug_response.h"
#include "v_protocol/t_file_clear_response.h"
#include "v_protocol/t_file_name_response.h"
#include "v_protocol/t_packet.h"

#include <QDebug>

namespace fuzz_payloads {

using fuzz_support::require;

// A decoder that accepts a payload of fixed layout re-encodes it to the same bytes.
template<typename T>
void checkExact(const v_protocol::TPacket &packet, ReturnCode (v_protocol::TPacket::*decoder)(T &) const)
{
    T value;
    if ((packet.*decoder)(value) == ReturnCode::Ok)
        require(value.toPayload() == packet.payloadData);
}

// Decoders are chosen by the payload type (each refuses every other type at its first check, which
// the unit tests cover); the debug and JSON forms run on every input.
inline void decodeAll(const v_protocol::TPacket &packet)
{
    using namespace v_protocol;
    quint8 fileId = 0;
    switch (packet.payloadType) {
    case TPayloadType::AuthenticationRequest: {
        TAuthRequest auth;
        if (packet.toAuthRequest(auth) == ReturnCode::Ok)
            require(auth.toPayload().left(5) == packet.payloadData.left(5));
        break;
    }
    case TPayloadType::AuthenticationResponse: checkExact(packet, &TPacket::toAuthResponse); break;
    case TPayloadType::FileChunk: checkExact(packet, &TPacket::toChunk); break;
    case TPayloadType::FileChunkRequest: checkExact(packet, &TPacket::toChunkRequest); break;
    case TPayloadType::FileChunkAccept: {
        TChunkAccept accept;
        if (packet.toChunkAccept(accept) == ReturnCode::Ok)
            require(accept.toPayload() == packet.payloadData.left(2));
        break;
    }
    case TPayloadType::CommandRequest: checkExact(packet, &TPacket::toCommandRequest); break;
    case TPayloadType::CommandConfirmation: checkExact(packet, &TPacket::toCommandConfirm); break;
    case TPayloadType::DebugResponse: checkExact(packet, &TPacket::toDebugResponse); break;
    case TPayloadType::FileNameRequest:
        if (packet.toFileNameRequest(fileId) == ReturnCode::Ok)
            require(fileId == quint8(packet.payloadData.at(1)));
        break;
    case TPayloadType::FileNameResponse: {
        TFileNameResponse name;
        if (packet.toFileNameResponse(name) == ReturnCode::Ok)
            require(name.fileId == quint8(packet.payloadData.at(1)) && name.fileName.size() <= 20);
        break;
    }
    case TPayloadType::FileClearRequest:
        if (packet.toFileClearRequest(fileId) == ReturnCode::Ok)
            require(fileId == quint8(packet.payloadData.at(1)));
        break;
    case TPayloadType::FileClearResponse: checkExact(packet, &TPacket::toFileClearResponse); break;
    default: {
        TChunk chunk;
        require(packet.toChunk(chunk) == ReturnCode::ErrParsingWrongPayloadType);
        break;
    }
    }

    TChunk chunk;
    chunk.fileId = fileId;
    TAuthResponse response;
    QString text;
    QDebug(&text) << packet << chunk << response;
    require(!packet.toJson().isEmpty());
}

} // namespace fuzz_payloads
