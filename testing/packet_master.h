#pragma once

// The master side of the device protocol for tests that carry packets over a real transport (an
// interface, the bus). Header-only; a test that includes it links v_protocol.

#include "v_protocol/protocol_enums.h"
#include "v_protocol/requests.h"
#include "v_protocol/t_auth_response.h"
#include "v_protocol/t_chunk.h"
#include "v_protocol/t_chunked_file.h"
#include "v_protocol/t_file_transfer.h"
#include "v_protocol/t_packet.h"

#include <QEventLoop>
#include <QList>
#include <QPointer>
#include <QTimer>

#include <functional>

namespace vk_testing {

// Builds request packets for one device, hands them to `send`, and waits (running the event loop)
// for the answers the test feeds in with received(). Answers are taken in arrival order.
class PacketMaster
{
public:
    using Send = std::function<bool(const v_protocol::TPacket &packet)>;

    PacketMaster(quint32 serial, Send send, int answerTimeoutMs = 10000)
        : m_serial(serial), m_send(std::move(send)), m_timeoutMs(answerTimeoutMs)
    { }

    void received(const v_protocol::TPacket &packet)
    {
        m_answers.append(packet);
        if (m_waiting)
            m_waiting->quit();
    }

    // Packets that arrived and were not taken as answers yet.
    const QList<v_protocol::TPacket> &pending() const { return m_answers; }

    // A request with the next uid for this device.
    v_protocol::TPacket request(const QByteArray &payload)
    {
        return v_protocol::TPacket::makeRequest(payload, ++m_uid, m_serial, v_protocol::kMasterUid);
    }

    // Sends `packet` and waits for the next answer; false when sending failed or nothing came.
    bool exchange(const v_protocol::TPacket &packet, v_protocol::TPacket &answer)
    {
        return m_send(packet) && nextAnswer(answer);
    }

    // Runs the event loop until an answer is there, at most the answer time-out.
    bool nextAnswer(v_protocol::TPacket &answer)
    {
        if (m_answers.isEmpty()) {
            QEventLoop loop;
            QTimer::singleShot(m_timeoutMs, &loop, &QEventLoop::quit);
            m_waiting = &loop;
            loop.exec();
            m_waiting = nullptr;
        }
        if (m_answers.isEmpty())
            return false;
        answer = m_answers.takeFirst();
        return true;
    }

    bool authenticate(const QString &password, v_protocol::TAuthResponse &response)
    {
        v_protocol::TPacket answer;
        return exchange(
                   v_protocol::makeAuthenticationRequest(password, ++m_uid, m_serial, v_protocol::kMasterUid), answer)
            && answer.toAuthResponse(response) == ReturnCode::Ok;
    }

    // Reads file `fileId` in ordinary mode, chunks of at most `maxChunkDataSize` bytes; false when an
    // answer is missing or is not the expected chunk.
    bool readFile(quint8 fileId, int maxChunkDataSize, QByteArray &image)
    {
        v_protocol::TChunkedFile chunks;
        v_protocol::TChunkRequest request = v_protocol::TFileTransfer::openingRequest(fileId);
        for (;;) {
            v_protocol::TPacket answer;
            v_protocol::TChunk chunk;
            if (!exchange(v_protocol::makeChunkRequest(request, ++m_uid, m_serial, v_protocol::kMasterUid), answer)
                || answer.toChunk(chunk) != ReturnCode::Ok)
                return false;
            const v_protocol::TReadStep step = v_protocol::TFileTransfer::readStep(
                chunk, chunks.receivedSize(), fileId, v_protocol::TReadMode::Ordinary, request, maxChunkDataSize);
            if (step.action == v_protocol::TReadStep::Action::Fail)
                return false;
            chunks.append(chunk);
            if (step.action == v_protocol::TReadStep::Action::Complete)
                return chunks.merge(image) == ReturnCode::Ok;
            request = step.request;
        }
    }

private:
    const quint32 m_serial;
    const Send m_send;
    const int m_timeoutMs;
    quint32 m_uid = 0;
    QList<v_protocol::TPacket> m_answers;
    QPointer<QEventLoop> m_waiting;
};

} // namespace vk_testing
