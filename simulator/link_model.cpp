#include "simulator/link_model.h"

#include "v_protocol/protocol_enums.h"

namespace simulator {

bool LinkModel::isValid() const
{
    return attMtu >= kDefaultAttMtu && attMtu <= kMaxAttMtu && connectionIntervalUs >= kMinIntervalUs
        && connectionIntervalUs <= kMaxIntervalUs && connectionIntervalUs % kIntervalStepUs == 0
        && packetsPerEvent >= 1;
}

int LinkModel::maximumPacketSize() const
{
    if (attMtu < kDefaultAttMtu)
        return -1;
    if (attMtu == kDefaultAttMtu)
        return 0;
    return attMtu - kAttHeaderSize;
}

int LinkModel::packetCapacity() const
{
    return qMax(attMtu, kDefaultAttMtu) - kAttHeaderSize;
}

int LinkModel::chunkPayload() const
{
    return packetCapacity() - v_protocol::kChunkPacketOverhead;
}

qint64 LinkModel::requestDelayUs() const
{
    return connectionIntervalUs;
}

qint64 LinkModel::replyDelayUs(int index) const
{
    return connectionIntervalUs * (1 + qMax(index, 0) / qMax(packetsPerEvent, 1));
}

qint64 LinkModel::stopAndWaitLimitUs(qint64 bytes, int payload) const
{
    if (payload <= 0)
        return -1;
    const qint64 chunks = (bytes + payload - 1) / payload;
    return chunks * 2 * connectionIntervalUs;
}

qint64 LinkModel::streamingLimitUs(qint64 bytes, int payload) const
{
    if (payload <= 0)
        return -1;
    const qint64 perInterval = qint64(payload) * qMax(packetsPerEvent, 1);
    return (bytes * connectionIntervalUs + perInterval - 1) / perInterval;
}

} // namespace simulator
