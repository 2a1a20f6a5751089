#include "simulator/failure_injection.h"

#include "v_protocol/t_chunk.h"

namespace simulator {

using v_protocol::TPacket;
using v_protocol::TPayloadType;

namespace {

constexpr qsizetype kShortPacketSize = v_protocol::kPacketFramingSize - 1;

// A packet with a new payload; size and payload type follow it, the head stays.
TPacket withPayload(const TPacket &packet, const QByteArray &payload)
{
    return TPacket::make(packet.type, payload, packet.uid, packet.slaveSerial, packet.masterUid);
}

TPacket withWrongPayloadType(const TPacket &packet)
{
    if (packet.payloadData.isEmpty())
        return packet;
    QByteArray payload = packet.payloadData;
    const auto wrong = packet.payloadType == TPayloadType::CommandConfirmation ? TPayloadType::DebugResponse
                                                                               : TPayloadType::CommandConfirmation;
    payload[0] = char(wrong);
    return withPayload(packet, payload);
}

TPacket withTruncatedPayload(const TPacket &packet)
{
    return withPayload(packet, packet.payloadData.left(packet.payloadData.size() - 1));
}

TPacket withChunkBeyondFile(const TPacket &packet)
{
    v_protocol::TChunk chunk;
    if (packet.payloadType != TPayloadType::FileChunk || packet.toChunk(chunk) != ReturnCode::Ok || chunk.end() == 0)
        return packet;
    chunk.fileSize = quint32(chunk.end() - 1);
    return withPayload(packet, chunk.toPayload());
}

} // namespace

FailureInjection FailureInjection::of(FailureMode mode)
{
    FailureInjection failure;
    failure.mode = mode;
    failure.target = defaultTarget(mode);
    failure.skip = defaultSkip(mode);
    return failure;
}

FailureInjection FailureInjection::of(FailureMode mode, TPayloadType target, int skip)
{
    FailureInjection failure;
    failure.mode = mode;
    failure.target = target;
    failure.skip = skip;
    return failure;
}

bool FailureInjection::hitsMatch(int matchNumber) const
{
    if (!isActive() || matchNumber <= skip)
        return false;
    return hits <= 0 || matchNumber <= skip + hits;
}

QString FailureInjection::description() const
{
    QString text = toText(mode);
    if (target)
        text += QLatin1String(" -> ") + v_protocol::enumNameText(*target).section(QLatin1String("::"), -1);
    if (skip > 0)
        text += QStringLiteral(" after %1").arg(skip);
    if (hits > 0)
        text += QStringLiteral(" x%1").arg(hits);
    return text;
}

QList<TPacket> FailureInjection::reshapePackets(const QList<TPacket> &packets) const
{
    QList<TPacket> shaped;
    for (const TPacket &packet : packets) {
        switch (mode) {
        case FailureMode::WrongPayloadType: shaped.append(withWrongPayloadType(packet)); break;
        case FailureMode::TruncatedPayload: shaped.append(withTruncatedPayload(packet)); break;
        case FailureMode::ChunkBeyondFileSize: shaped.append(withChunkBeyondFile(packet)); break;
        case FailureMode::ForeignSerial: {
            TPacket foreign = packet;
            foreign.slaveSerial = ~packet.slaveSerial;
            shaped.append(foreign);
            break;
        }
        default: shaped.append(packet); break;
        }
    }
    if (mode == FailureMode::LockoutAfterAuthentication && !packets.isEmpty()) {
        const TPacket &last = packets.constLast();
        shaped.append(TPacket::makeResponse(
            QByteArray(1, char(TPayloadType::Lockout)), last.uid, last.slaveSerial, last.masterUid));
    }
    return shaped;
}

QByteArray FailureInjection::reshapeBytes(const QByteArray &bytes) const
{
    if (mode == FailureMode::ShortPacket)
        return bytes.left(kShortPacketSize);
    if (mode == FailureMode::CorruptedCrc && bytes.size() >= 2) {
        QByteArray corrupted = bytes;
        corrupted[corrupted.size() - 1] = char(~corrupted.at(corrupted.size() - 1));
        corrupted[corrupted.size() - 2] = char(~corrupted.at(corrupted.size() - 2));
        return corrupted;
    }
    return bytes;
}

} // namespace simulator
