#pragma once

#include <QtGlobal>

namespace simulator {

// The Bluetooth LE link between the configurator and a simulated device, reduced to what bounds a
// transfer: the ATT MTU, the connection interval and how many packets one connection event carries
// in one direction. Times are in microseconds (connection intervals are multiples of 1.25 ms).
//
// Timing model: a packet written by the master leaves at the next connection event (one interval
// after it was written); the device answers at the events after the one that brought the request,
// `packetsPerEvent` packets per event. A request and its single answer therefore take two intervals
// (stop-and-wait), and a streamed window of n packets takes 1 + ceil(n / packetsPerEvent) intervals.
struct LinkModel
{
    static constexpr int kDefaultAttMtu = 23; // nothing negotiated
    static constexpr int kAttHeaderSize = 3; // opcode and handle in front of every write/notification
    static constexpr int kMaxAttMtu = 517;
    static constexpr qint64 kIntervalStepUs = 1250;
    static constexpr qint64 kMinIntervalUs = 7500;
    static constexpr qint64 kMaxIntervalUs = 4000000;

    int attMtu = 247;
    qint64 connectionIntervalUs = 15000;
    int packetsPerEvent = 4;

    // Whether the three numbers describe a link Bluetooth LE allows.
    bool isValid() const;

    // What a BLE interface reports as its maximum packet size: -1 below the default MTU, 0 for the
    // default MTU 23 (nothing negotiated, no limit known), else MTU - 3.
    int maximumPacketSize() const;
    // Bytes one write or notification really carries: MTU - 3 (20 for the default MTU).
    int packetCapacity() const;
    // File data one chunk packet of full capacity carries (packet capacity - 26; may be 0 or less).
    int chunkPayload() const;

    // From the master's write to the device receiving it.
    qint64 requestDelayUs() const;
    // From the device receiving a request to its answer number `index` (0 = first) leaving.
    qint64 replyDelayUs(int index) const;

    // Physical limits of moving `bytes` of file data in chunks of `payload` bytes:
    // stop-and-wait, one chunk per two connection intervals ...
    qint64 stopAndWaitLimitUs(qint64 bytes, int payload) const;
    // ... and streaming, packetsPerEvent chunks per connection interval.
    qint64 streamingLimitUs(qint64 bytes, int payload) const;

    bool operator==(const LinkModel &other) const
    {
        return attMtu == other.attMtu && connectionIntervalUs == other.connectionIntervalUs
            && packetsPerEvent == other.packetsPerEvent;
    }
};

} // namespace simulator
