// Payloads without the packet framing (no CRC to get past): every decoder, and encode-decode
// agreement for what a decoder accepts.
#include "fuzz_payload_decoders.h"
#include "fuzz_support.h"

#include "v_protocol/t_packet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_support::silenceLogs();
    const v_protocol::TPacket packet = v_protocol::TPacket::makeResponse(fuzz_support::bytesOf(data, size), 1, 2, 0x42);
    fuzz_payloads::decodeAll(packet);
    return 0;
}
