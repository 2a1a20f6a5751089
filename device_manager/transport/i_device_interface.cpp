#include "device_manager/transport/i_device_interface.h"

#include <QUuid>

namespace device_manager {

IDeviceInterface::IDeviceInterface(QObject *parent, const DeviceInterfaceInfo &info)
    : QObject(parent), _interfaceInfo(info)
{
    if (_interfaceInfo.uuid.isEmpty())
        _interfaceInfo.uuid = QUuid::createUuid().toString(QUuid::WithBraces);
}

IDeviceInterface::~IDeviceInterface() = default;

void IDeviceInterface::receivePacketBytes(const QByteArray &bytes)
{
    v_protocol::TPacket packet;
    const ReturnCode rc = v_protocol::TPacket::fromByteArray(bytes, packet);
    if (rc != ReturnCode::Ok) {
        return_codes::logBadResult(rc);
        emit debugHappend(QStringLiteral("v-protocol parsing error: ") + return_codes::returnCodeInfo(rc).first);
    }
    DeviceEntry entry;
    entry.serial = packet.slaveSerial;
    emit dataReceived(entry, _interfaceInfo, packet);
}

} // namespace device_manager
