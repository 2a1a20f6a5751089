#include "device_manager/transport/i_device_interface.h"

#include <QUuid>

namespace device_manager {

IDeviceInterface::IDeviceInterface(QObject *parent, const DeviceInterfaceInfo &info)
    : QObject(parent)
    , _interfaceInfo(info)
{
    if (_interfaceInfo.uuid.isEmpty())
        _interfaceInfo.uuid = QUuid::createUuid().toString(QUuid::WithBraces);
}

IDeviceInterface::~IDeviceInterface() = default;

} // namespace device_manager
