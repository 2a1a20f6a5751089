#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>

namespace simulator {

// One thing a simulated device does in answer to the bytes handed to it: send a packet, or drop the
// link. `delayUs` is measured from the moment the request was handed in; whoever carries the bytes
// applies it (the engine itself never waits). Items of one answer are in sending order and their
// delays never decrease.
struct ReplyItem
{
    enum class Kind {
        Packet, // `bytes` are one whole packet on the wire
        LinkDrop, // the link goes down now: the carrier reports a disconnection; no bytes
    };

    Kind kind = Kind::Packet;
    QByteArray bytes;
    qint64 delayUs = 0;

    // The delay rounded up to whole milliseconds, for Qt timers.
    qint64 delayMs() const { return (delayUs + 999) / 1000; }

    bool isPacket() const { return kind == Kind::Packet; }
    bool isLinkDrop() const { return kind == Kind::LinkDrop; }

    bool operator==(const ReplyItem &other) const
    {
        return kind == other.kind && bytes == other.bytes && delayUs == other.delayUs;
    }
};

using ReplyItems = QList<ReplyItem>;

} // namespace simulator

Q_DECLARE_METATYPE(simulator::ReplyItem)
