#include "event_topics/messages/interface_manager/cmd_create_ble_interface.h"

namespace event_topics {

void writeFieldJson(QJsonObject &json, const BluetoothInfoField &)
{
    json.insert(QLatin1String(BluetoothInfoField::key), QStringLiteral("complex_value"));
}

namespace interface_manager {

CmdCreateBleInterface::CmdCreateBleInterface(
    ::device_manager::DeviceInterfaceInfo info, QBluetoothDeviceInfo bluetoothDevice)
    : Message(std::move(info), std::move(bluetoothDevice))
{
    if (interfaceInfo.uuid.isEmpty())
        qCritical() << "In this case device_manager::DeviceInterfaceInfo.uuid mast be valid!";
}

} // namespace interface_manager

} // namespace event_topics
