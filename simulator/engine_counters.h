#pragma once

#include "v_protocol/protocol_enums.h"

#include <QString>
#include <QStringList>

#include <array>

namespace simulator {

// What a simulated device received and sent, for tests to assert on.
struct EngineCounters
{
    int packetsReceived = 0; // every byte string handed in
    qint64 bytesReceived = 0;
    int malformedPackets = 0; // refused by the packet parser (size, CRC)
    int ignoredPackets = 0; // parsed but not a request for this device, or received while the link was down
    int oversizedPackets = 0; // requests longer than the packet size the device announced
    int packetsSent = 0;
    qint64 bytesSent = 0;
    int failuresInjected = 0; // requests hit by the failure injection
    int linkDrops = 0;
    // With link timing: the time the link model takes for the requests and their answers, each from
    // the master's write to its last answer leaving the device, added up (failure delays left out).
    qint64 linkTimeUs = 0;
    std::array<int, 256> requestsByType {}; // requests for this device, by payload type
    // What the device did, in order: "command 1029", "file 2 written" (at most kJournalLimit entries, the
    // newest kept).
    QStringList journal;
    static constexpr int kJournalLimit = 1000;
    void record(const QString &entry);

    int received(v_protocol::TPayloadType type) const { return requestsByType[quint8(type)]; }
    int requestsReceived() const;

    // One line: "received 12 packets (345 bytes): AuthenticationRequest 1, ..., sent ...".
    QString toText() const;
};

} // namespace simulator
