// Whole received packets: the parser, then every payload decoder on what it accepted.
#include "fuzz_payload_decoders.h"
#include "fuzz_support.h"

#include "v_protocol/t_packet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_support::silenceLogs();
    const QByteArray bytes = fuzz_support::bytesOf(data, size);
    v_protocol::TPacket packet;
    if (v_protocol::TPacket::fromByteArray(bytes, packet) != ReturnCode::Ok)
        return 0;
    // An accepted packet serialises back to exactly the received bytes.
    fuzz_support::require(packet.toByteArray() == bytes);
    fuzz_support::require(packet.payloadData.size() + 14 == bytes.size());
    fuzz_payloads::decodeAll(packet);
    return 0;
}
