// Any bytes from the master reach the device engine: it must never crash, and without an injected
// failure every answer it gives is a well-formed response packet for its own serial number that
// fits the packets it sends.
//
// Input: byte 0 picks the device (bits 0-2) and logs in first as root (bit 7) or user (bit 6);
// byte 1 picks a failure mode (0: none) aimed at every request. Then records follow:
// [kind][length][bytes]; kind bit 0 set: the bytes are a payload sent in a valid request packet,
// clear: the bytes go to the engine as they are.
#include "simulator/device_catalog.h"
#include "simulator/device_engine.h"
#include "testing/fuzz_support.h"
#include "v_protocol/t_auth_request.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstdint>

using namespace simulator;

namespace {

using vk_testing::require;

const QList<DeviceDefinition> &devices()
{
    static const QList<DeviceDefinition> definitions = [] {
        vk_testing::silenceLogs();
        return DeviceCatalog::builtIn().definitions();
    }();
    return definitions;
}

QByteArray requestBytes(const DeviceEngine &engine, const QByteArray &payload, quint32 uid)
{
    return v_protocol::TPacket::makeRequest(payload, uid, engine.definition().serial, v_protocol::kMasterUid)
        .toByteArray();
}

void check(const DeviceEngine &engine, const ReplyItems &items)
{
    if (engine.failure().isActive())
        return;
    for (const ReplyItem &item : items) {
        require(item.isPacket());
        v_protocol::TPacket packet;
        require(v_protocol::TPacket::fromByteArray(item.bytes, packet) == ReturnCode::Ok);
        require(packet.type == v_protocol::TPacketType::Response);
        require(packet.slaveSerial == engine.definition().serial);
        require(item.bytes.size() <= qMax(engine.answerPacketSize(), 36));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2 || devices().isEmpty())
        return 0;
    DeviceEngine engine(devices().at(data[0] % 8 % devices().size()));
    const QList<FailureMode> modes = allFailureModes();
    if (data[1] != 0) {
        FailureInjection failure;
        failure.mode = modes.at((data[1] - 1) % modes.size());
        engine.setFailure(failure);
    }
    quint32 uid = 0;
    if (data[0] & 0xC0) {
        const QString password = (data[0] & 0x80) ? engine.definition().rootPassword : engine.definition().userPassword;
        check(engine,
            engine.handleBytes(
                requestBytes(engine, v_protocol::TAuthRequest::fromPassword(password).toPayload(), ++uid)));
    }
    size_t at = 2;
    while (at + 2 <= size) {
        const bool framed = data[at] & 1;
        const size_t length = qMin<size_t>(data[at + 1], size - at - 2);
        const QByteArray bytes(reinterpret_cast<const char *>(data + at + 2), qsizetype(length));
        at += 2 + length;
        if (!engine.isLinkUp())
            engine.connectLink();
        check(engine, engine.handleBytes(framed ? requestBytes(engine, bytes, ++uid) : bytes));
    }
    return 0;
}
