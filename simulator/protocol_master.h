#pragma once

#include "return_codes/return_codes.h"
#include "simulator/device_engine.h"
#include "v_protocol/t_auth_response.h"
#include "v_protocol/t_command_confirm.h"
#include "v_protocol/t_debug_response.h"
#include "v_protocol/t_file_clear_response.h"
#include "v_protocol/t_file_name_response.h"
#include "v_protocol/t_file_transfer.h"
#include "v_protocol/t_packet.h"

#include <QByteArray>
#include <QList>

namespace simulator {

// A small synchronous master that drives a DeviceEngine through whole exchanges with the same
// request building and chunk arithmetic as the device session (v_protocol), on a simulated clock:
// each request reaches the device one link request delay after it is sent (when the engine's link
// timing is on), each answer arrives when the engine says it is due, and the next request leaves
// when the answer that triggers it has arrived. For tests, benchmarks and scripted demos.
class ProtocolMaster
{
public:
    explicit ProtocolMaster(DeviceEngine &engine);

    // Simulated time since the master was made, in microseconds.
    qint64 nowUs() const { return _nowUs; }
    // The negotiated packet size after authentication (as the session computes it), -1 before.
    int packetSize() const { return _packetSize; }
    int maxChunkDataSize() const { return _packetSize - v_protocol::kChunkPacketOverhead; }

    // A request with the next uid, the engine's serial number and the configurator's master uid.
    v_protocol::TPacket request(const QByteArray &payload);
    // Sends one packet and returns every answer that parses (the link drop, if any, in `linkDropped`).
    QList<v_protocol::TPacket> exchange(const v_protocol::TPacket &request, bool *linkDropped = nullptr);

    // Each returns Ok with the decoded answer, WarnTimeout when no answer came, or the decoder's error.
    ReturnCode authenticate(const QString &password, v_protocol::TAuthResponse &response);
    ReturnCode command(quint16 cmdId, const QByteArray &data, v_protocol::TCommandConfirm &confirm);
    ReturnCode debug(v_protocol::TDebugResponse &response);
    ReturnCode fileName(quint8 fileId, v_protocol::TFileNameResponse &response);
    ReturnCode clearFile(quint8 fileId, v_protocol::TFileClearResponse &response);

    // Reads a whole file. A TChunkAccept instead of a chunk ends the read with
    // ErrAccessDenied and its status in `refusal`.
    ReturnCode readFile(
        quint8 fileId, v_protocol::TReadMode mode, QByteArray &image, v_protocol::TSystemFileResult *refusal = nullptr);
    // Writes a whole file; `status` is the status of the last accept received. A status other than
    // success ends the write with ErrAccessDenied.
    ReturnCode writeFile(quint8 fileId, const QByteArray &data, int alignment, v_protocol::TSystemFileResult &status);

private:
    template<typename T>
    ReturnCode single(const v_protocol::TPacket &request, ReturnCode (v_protocol::TPacket::*decode)(T &) const, T &out);

    DeviceEngine &_engine;
    quint32 _uid = 0;
    qint64 _nowUs = 0;
    int _packetSize = -1;
};

} // namespace simulator
