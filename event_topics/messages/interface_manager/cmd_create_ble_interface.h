#pragma once

#include "event_topics/messages/message.h"

#include <QBluetoothDeviceInfo>

namespace event_topics {

VK_MESSAGE_FIELD(BluetoothInfoField, QBluetoothDeviceInfo, bluetoothInfo);
// The platform's device description stands as the text "complex_value".
void writeFieldJson(QJsonObject &json, const BluetoothInfoField &field);

} // namespace event_topics

namespace event_topics::interface_manager {

// Open a BLE interface to the device `bluetoothInfo` describes. The uuid of `interfaceInfo` names
// the interface to be created and must not be empty (logged at critical level; the message is
// built all the same).
struct CmdCreateBleInterface : Message<CmdCreateBleInterface, Device, InterfaceInfoField, BluetoothInfoField>
{
    CmdCreateBleInterface(::device_manager::DeviceInterfaceInfo info, QBluetoothDeviceInfo bluetoothDevice);
};

} // namespace event_topics::interface_manager

VK_DECLARE_MESSAGE(interface_manager, CmdCreateBleInterface)
