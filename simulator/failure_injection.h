#pragma once

#include "simulator/failure_mode.h"
#include "v_protocol/t_packet.h"

#include <QList>

#include <optional>

namespace simulator {

// A failure mode aimed at requests: it hits the requests of type `target` (every request when
// unset), lets the first `skip` of them through, then hits `hits` of them (0: all that follow).
struct FailureInjection
{
    // Beyond every answer timer of the device session (20 s and 30 s).
    static constexpr qint64 kDefaultSlowDelayUs = 40 * 1000 * 1000;

    FailureMode mode = FailureMode::None;
    std::optional<v_protocol::TPayloadType> target;
    int skip = 0;
    int hits = 0;
    qint64 delayUs = kDefaultSlowDelayUs; // VerySlowAnswer only

    // The mode with its default target and skip.
    static FailureInjection of(FailureMode mode);
    // The mode aimed at one request type.
    static FailureInjection of(FailureMode mode, v_protocol::TPayloadType target, int skip = 0);

    bool isActive() const { return mode != FailureMode::None; }
    bool targets(v_protocol::TPayloadType type) const { return !target || *target == type; }
    // Whether the request that is match number `matchNumber` (1 = first) of the target is hit.
    bool hitsMatch(int matchNumber) const;

    // "NoAnswer", "ShortPacket -> FileChunkRequest after 1", ...
    QString description() const;

    // The packet-level changes of a mode applied to the answer packets of a hit request
    // (WrongPayloadType, TruncatedPayload, ChunkBeyondFileSize, ForeignSerial,
    // LockoutAfterAuthentication); other modes return the packets unchanged.
    QList<v_protocol::TPacket> reshapePackets(const QList<v_protocol::TPacket> &packets) const;
    // The byte-level changes (CorruptedCrc, ShortPacket) applied to one serialised answer packet.
    QByteArray reshapeBytes(const QByteArray &bytes) const;
};

} // namespace simulator
