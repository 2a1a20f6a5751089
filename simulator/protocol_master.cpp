#include "simulator/protocol_master.h"

#include "v_protocol/requests.h"
#include "v_protocol/t_chunk_accept.h"
#include "v_protocol/t_chunked_file.h"

namespace simulator {

using namespace v_protocol;

ProtocolMaster::ProtocolMaster(DeviceEngine &engine) : _engine(engine) { }

TPacket ProtocolMaster::request(const QByteArray &payload)
{
    return TPacket::makeRequest(payload, ++_uid, _engine.definition().serial, kMasterUid);
}

QList<TPacket> ProtocolMaster::exchange(const TPacket &request, bool *linkDropped)
{
    const qint64 arrival = _nowUs + (_engine.isLinkTimingEnabled() ? _engine.linkModel().requestDelayUs() : 0);
    _nowUs = arrival;
    QList<TPacket> answers;
    bool dropped = false;
    for (const ReplyItem &item : _engine.handleBytes(request.toByteArray())) {
        _nowUs = qMax(_nowUs, arrival + item.delayUs);
        TPacket answer;
        if (item.isLinkDrop())
            dropped = true;
        else if (TPacket::fromByteArray(item.bytes, answer) == ReturnCode::Ok)
            answers.append(answer);
    }
    if (linkDropped)
        *linkDropped = dropped;
    return answers;
}

template<typename T>
ReturnCode ProtocolMaster::single(const TPacket &request, ReturnCode (TPacket::*decode)(T &) const, T &out)
{
    const QList<TPacket> answers = exchange(request);
    if (answers.isEmpty())
        return ReturnCode::WarnTimeout;
    return (answers.first().*decode)(out);
}

ReturnCode ProtocolMaster::authenticate(const QString &password, TAuthResponse &response)
{
    const ReturnCode rc = single(makeAuthenticationRequest(password, ++_uid, _engine.definition().serial, kMasterUid),
        &TPacket::toAuthResponse, response);
    if (rc != ReturnCode::Ok || !response.isGranted())
        return rc;
    _packetSize = negotiatedPacketSize(_engine.linkModel().maximumPacketSize(), response.maxPacketSize);
    return ReturnCode::Ok;
}

ReturnCode ProtocolMaster::command(quint16 cmdId, const QByteArray &data, TCommandConfirm &confirm)
{
    return single(makeCommandRequest(cmdId, data, ++_uid, _engine.definition().serial, kMasterUid),
        &TPacket::toCommandConfirm, confirm);
}

ReturnCode ProtocolMaster::debug(TDebugResponse &response)
{
    return single(
        makeDebugRequest(++_uid, _engine.definition().serial, kMasterUid), &TPacket::toDebugResponse, response);
}

ReturnCode ProtocolMaster::fileName(quint8 fileId, TFileNameResponse &response)
{
    return single(makeFileNameRequest(fileId, ++_uid, _engine.definition().serial, kMasterUid),
        &TPacket::toFileNameResponse, response);
}

ReturnCode ProtocolMaster::clearFile(quint8 fileId, TFileClearResponse &response)
{
    return single(makeFileClearRequest(fileId, ++_uid, _engine.definition().serial, kMasterUid),
        &TPacket::toFileClearResponse, response);
}

ReturnCode ProtocolMaster::readFile(quint8 fileId, TReadMode mode, QByteArray &image, TSystemFileResult *refusal)
{
    image.clear();
    TChunkRequest window = TFileTransfer::openingRequest(fileId);
    TChunkedFile chunks;
    QList<TPacket> answers = exchange(makeChunkRequest(window, ++_uid, _engine.definition().serial, kMasterUid));
    while (!answers.isEmpty()) {
        QList<TPacket> next;
        for (const TPacket &answer : std::as_const(answers)) {
            TChunk chunk;
            if (answer.payloadType == TPayloadType::FileChunkAccept) {
                TChunkAccept accept;
                answer.toChunkAccept(accept);
                if (refusal)
                    *refusal = accept.status;
                return ReturnCode::ErrAccessDenied;
            }
            const ReturnCode rc = answer.toChunk(chunk);
            if (rc != ReturnCode::Ok)
                return rc;
            const TReadStep step
                = TFileTransfer::readStep(chunk, chunks.receivedSize(), fileId, mode, window, maxChunkDataSize());
            if (step.action == TReadStep::Action::Fail)
                return step.result;
            chunks.append(chunk);
            if (step.action == TReadStep::Action::Complete)
                return chunks.merge(image);
            if (step.action == TReadStep::Action::Request) {
                window = step.request;
                next = exchange(makeChunkRequest(window, ++_uid, _engine.definition().serial, kMasterUid));
                break;
            }
        }
        answers = next;
    }
    return ReturnCode::WarnTimeout;
}

ReturnCode ProtocolMaster::writeFile(quint8 fileId, const QByteArray &data, int alignment, TSystemFileResult &status)
{
    status = TSystemFileResult::UnknownFileIdentifier;
    TChunkedFile chunks;
    const ReturnCode rc = TFileTransfer::splitForWrite(fileId, data, maxChunkDataSize(), alignment, chunks);
    if (rc != ReturnCode::Ok)
        return rc;
    for (const TChunk &chunk : std::as_const(chunks)) {
        TChunkAccept accept;
        const ReturnCode answered = single(
            makeChunkPacket(chunk, ++_uid, _engine.definition().serial, kMasterUid), &TPacket::toChunkAccept, accept);
        if (answered != ReturnCode::Ok)
            return answered;
        status = accept.status;
        if (status != TSystemFileResult::FileResultSuccess)
            return ReturnCode::ErrAccessDenied;
    }
    return ReturnCode::Ok;
}

} // namespace simulator
