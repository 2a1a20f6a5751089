#include "device_manager/session/tests/simulated_device_link.h"

#include "device_manager/session/vk_device.h"

#include <QTimer>

#include <algorithm>

namespace session_testing {

using device_manager::DeviceInterfaceInfo;
using v_protocol::TPacket;

SimulatedDeviceLink::SimulatedDeviceLink(const simulator::DeviceDefinition &definition, QObject *parent)
    : QObject(parent),
      _engine(definition),
      _interfacePacketSize(definition.link.maximumPacketSize()),
      _password(definition.rootPassword)
{
    _interfaceInfo.type = device_manager::InterfaceType::BLE;
    _interfaceInfo.uuid = QStringLiteral("{5eed0000-0000-4000-8000-%1}").arg(definition.serial, 12, 10, QChar('0'));
}

device_manager::DeviceDiscoveryInfo SimulatedDeviceLink::discoveryInfo() const
{
    const simulator::FirmwareDefinition &firmware = _engine.runningFirmware();
    device_manager::DeviceDiscoveryInfo info;
    info.interfaceInfo = _interfaceInfo;
    info.interfaceInfo.maximumPacketSize = _interfacePacketSize;
    info.deviceInfo.ModelId = definition().modelId;
    info.deviceInfo.HardwareVersion = definition().hardwareVersion;
    info.deviceInfo.FirmwareVersion = _engine.firmwareVersion();
    info.deviceInfo.Name = firmware.name;
    info.deviceInfo.AppType = firmware.appType;
    info.deviceInfo.MaxSizePacket = firmware.maxPacketSize;
    info.deviceInfo.Serial = definition().serial;
    info.deviceInfo.Pass = _password;
    return info;
}

void SimulatedDeviceLink::attach(device_manager::VkDevice *session)
{
    connect(session, &device_manager::VkDevice::sendPacket, this, &SimulatedDeviceLink::handleRequest);
    connect(this, &SimulatedDeviceLink::packetArrived, session, &device_manager::VkDevice::packetReceived);
}

void SimulatedDeviceLink::connectLink()
{
    _engine.connectLink();
    _linkUp = true;
}

void SimulatedDeviceLink::handleRequest(
    device_manager::DeviceEntry, device_manager::DeviceInterfaceInfo, v_protocol::TPacket packet)
{
    _requests.append(packet);
    ++_nesting;
    _deepestNesting = std::max(_deepestNesting, _nesting);
    const simulator::ReplyItems items = _engine.handleBytes(packet.toByteArray());
    for (const simulator::ReplyItem &item : items) {
        if (_deliverAtOnce && item.delayUs == 0) {
            deliver(item);
            continue;
        }
        ++_pending;
        QTimer::singleShot(std::chrono::milliseconds(item.delayMs()), Qt::PreciseTimer, this, [this, item]() {
            --_pending;
            deliver(item);
        });
    }
    --_nesting;
}

void SimulatedDeviceLink::deliver(const simulator::ReplyItem &item)
{
    if (item.isLinkDrop()) {
        _linkUp = false;
        emit linkDropped();
        return;
    }
    TPacket packet;
    if (TPacket::fromByteArray(item.bytes, packet) != ReturnCode::Ok || packet.slaveSerial != definition().serial) {
        return; // unparsable, or for another serial number
    }
    if (_answerFilter)
        _answerFilter(packet);
    emit packetArrived(_interfaceInfo, packet);
}

} // namespace session_testing
