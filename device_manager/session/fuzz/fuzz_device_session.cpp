// Whatever a device answers, and whenever the answer timer fires, every task queued on a session
// ends in exactly one result signal, and the session comes back to idle.
//
// Input: byte 0: bits 0-1 the number of operations minus one, bit 2 a simulated fm200 answers the
// requests, bits 3-7 a failure mode of the simulated device (0: none). Then one byte per operation
// (an index into the operations below), then records [kind][length][bytes]: kind 0 delivers the
// bytes as the payload of an answer packet, kind 1 lets the simulated device answer every request
// sent so far, kind 2 fires the answer timer. At the end the simulated device answers what is left
// and the answer timer fires until the session is idle.
#include "device_manager/session/vk_device.h"
#include "simulator/device_catalog.h"
#include "simulator/device_engine.h"
#include "testing/fuzz_support.h"

#include <QCoreApplication>
#include <QList>

#include <cstdint>

using device_manager::VkDevice;
using v_protocol::TPacket;

namespace {

using vk_testing::require;

const simulator::DeviceDefinition &fm200()
{
    static const simulator::DeviceDefinition definition = [] {
        vk_testing::silenceLogs();
        static int argc = 1;
        static char name[] = "fuzz_device_session";
        static char *argv[] = { name, nullptr };
        static QCoreApplication application(argc, argv);
        return *simulator::DeviceCatalog::builtIn().find(QStringLiteral("fm200"));
    }();
    return definition;
}

// Operations that always add one task (the state-file and debug rules may merge tasks).
void runOperation(VkDevice &session, uint8_t which)
{
    v_protocol::TFileWithDataElements settings;
    settings.fileId = 2;
    settings.elements.append({ 2, 104, QByteArray::fromHex("7800") });
    switch (which % 12) {
    case 0: session.authenticate(); break;
    case 1: session.requestFile(v_protocol::TMandatoryFileTypes::ApplicationInfoFile); break;
    case 2: session.requestFile(v_protocol::TMandatoryFileTypes::SettingsFile); break;
    case 3: session.requestFile(v_protocol::TMandatoryFileTypes::SlaveProfile); break;
    case 4: session.requestFile(v_protocol::TMandatoryFileTypes::FileInfo); break;
    case 5: session.requestRawFile(17, false); break;
    case 6: session.requestRawFile(20, true); break;
    case 7: session.clearFile(17); break;
    case 8: session.requestFileName(17); break;
    case 9: session.sendCommand(301, QByteArray()); break;
    case 10: session.sendRawFile(21, QByteArray(100, 'f')); break;
    default: session.sendFileWithDataElements(settings); break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const simulator::DeviceDefinition &definition = fm200();
    if (size < 1)
        return 0;
    const size_t operations = (data[0] & 3) + 1;
    if (size < 1 + operations)
        return 0;
    const bool simulated = data[0] & 4;
    simulator::DeviceEngine engine(definition);
    const QList<simulator::FailureMode> modes = simulator::allFailureModes();
    if (data[0] >> 3) {
        simulator::FailureInjection failure;
        failure.mode = modes.at(((data[0] >> 3) - 1) % modes.size());
        engine.setFailure(failure);
    }

    device_manager::DeviceDiscoveryInfo info;
    info.interfaceInfo.type = device_manager::InterfaceType::BLE;
    info.interfaceInfo.uuid = QStringLiteral("{fuzz}");
    info.interfaceInfo.maximumPacketSize = 100;
    info.deviceInfo.Name = definition.application.name;
    info.deviceInfo.Serial = definition.serial;
    info.deviceInfo.Pass = definition.rootPassword;
    VkDevice session(nullptr, info);

    QList<TPacket> outbox;
    QObject::connect(&session, &VkDevice::sendPacket, &session,
        [&outbox](device_manager::DeviceEntry, device_manager::DeviceInterfaceInfo, TPacket packet) {
            outbox.append(packet);
        });
    int results = 0;
    const auto count = [&results](auto &&...) { ++results; };
    QObject::connect(&session, &VkDevice::authFailed, &session, count);
    QObject::connect(&session, &VkDevice::authSuccess, &session,
        [&results](device_manager::DeviceEntry, v_protocol::TAuthResponse response) {
            if (response.authResult != v_protocol::TAuthResult::TooMany) // not a Lockout notice
                ++results;
        });
    QObject::connect(&session, &VkDevice::applicationInfoFileReceived, &session, count);
    QObject::connect(&session, &VkDevice::slaveProfileReceived, &session, count);
    QObject::connect(&session, &VkDevice::fileWithDataElementsReceived, &session, count);
    QObject::connect(&session, &VkDevice::fileWithDataElementsTransmitted, &session, count);
    QObject::connect(&session, &VkDevice::rawFileTransmitted, &session, count);
    QObject::connect(&session, &VkDevice::fileTableReceived, &session, count);
    QObject::connect(&session, &VkDevice::fileNameReceived, &session, count);
    QObject::connect(&session, &VkDevice::rawFileReceived, &session, count);
    QObject::connect(&session, &VkDevice::fileClearDone, &session, count);
    QObject::connect(&session, &VkDevice::debugResponseReceived, &session, count);
    QObject::connect(&session, &VkDevice::commandConfirmReceived, &session, count);

    const auto deliver = [&session](const TPacket &packet) {
        session.packetReceived(session.discoveryInfo().interfaceInfo, packet);
        QCoreApplication::sendPostedEvents(&session);
    };
    const auto answerOutbox = [&]() {
        while (!outbox.isEmpty()) {
            const TPacket request = outbox.takeFirst();
            for (const simulator::ReplyItem &item : engine.handleBytes(request.toByteArray())) {
                TPacket answer;
                if (item.isPacket() && TPacket::fromByteArray(item.bytes, answer) == ReturnCode::Ok)
                    deliver(answer);
            }
        }
    };
    const auto fireTimer = [&session]() {
        QMetaObject::invokeMethod(&session, "_taskTimeout", Qt::DirectConnection);
        QCoreApplication::sendPostedEvents(&session);
    };

    for (size_t i = 0; i < operations; ++i)
        runOperation(session, data[1 + i]);
    quint32 uid = 0;
    for (size_t at = 1 + operations; at + 2 <= size;) {
        const uint8_t kind = data[at] % 3;
        const size_t length = qMin<size_t>(data[at + 1], size - at - 2);
        const QByteArray bytes(reinterpret_cast<const char *>(data + at + 2), qsizetype(length));
        at += 2 + length;
        if (kind == 0 && !bytes.isEmpty())
            deliver(TPacket::makeResponse(bytes, ++uid, definition.serial, v_protocol::kMasterUid));
        else if (kind == 1 && simulated)
            answerOutbox();
        else if (kind == 2)
            fireTimer();
    }
    // Every task ends, by answer or by timer; each ends once.
    for (int round = 0; round < 10000 && !session.isIdle(); ++round) {
        if (simulated && !outbox.isEmpty())
            answerOutbox();
        else if (session.isTaskActive())
            fireTimer();
        else
            QCoreApplication::sendPostedEvents(&session);
    }
    require(session.isIdle());
    require(results == int(operations));
    return 0;
}
