#pragma once

#include "device_manager/descriptors/device_interface_info.h"
#include "v_protocol/t_slave_application.h"

#include <QDebug>
#include <QJsonObject>
#include <QMetaType>

namespace device_manager {

// What is known of a device found by discovery: the link it is reached through (type BLE and an
// empty uuid until an interface was created for it), the device's identity record, and how strongly
// the advertisement that reported it was received. The signal strength is a reading of the moment,
// not part of the device's identity: equality leaves it out.
struct DeviceDiscoveryInfo
{
    static constexpr qint16 kRssiUnknown = 0; // as the platform reports an unmeasured signal

    DeviceInterfaceInfo interfaceInfo;
    v_protocol::TSlaveApplication deviceInfo;
    qint16 rssi = kRssiUnknown; // dBm

    // {"interfaceInfo": its JSON, "deviceInfo": the TSlaveApplication JSON, "rssi": dBm when measured}
    QJsonObject toJson() const;

    friend bool operator==(const DeviceDiscoveryInfo &a, const DeviceDiscoveryInfo &b)
    {
        return a.interfaceInfo == b.interfaceInfo && a.deviceInfo == b.deviceInfo;
    }
    friend bool operator!=(const DeviceDiscoveryInfo &a, const DeviceDiscoveryInfo &b) { return !(a == b); }
};

// DeviceDiscoveryInfo[<interface descriptor>, <TSlaveApplication debug form>
// (the record's own closing bracket ends it; the form adds none of its own).
QDebug operator<<(QDebug debug, const DeviceDiscoveryInfo &info);

} // namespace device_manager

Q_DECLARE_METATYPE(device_manager::DeviceDiscoveryInfo)
