#pragma once

// Devices and link descriptors shared by the transport test suites and benchmark. Header-only; a
// test that includes it links simulator and Qt Bluetooth.

#include "device_manager/descriptors/device_interface_info.h"
#include "simulator/device_catalog.h"

#include <QBluetoothAddress>
#include <QBluetoothDeviceInfo>
#include <QtGlobal>

namespace vk_testing {

// The shipped simulated devices.
inline const simulator::DeviceCatalog &shippedDevices()
{
    static const simulator::DeviceCatalog catalog = simulator::DeviceCatalog::builtIn();
    return catalog;
}

inline const simulator::DeviceDefinition &shippedDevice(const char *id)
{
    const simulator::DeviceDefinition *definition = shippedDevices().find(QString::fromLatin1(id));
    if (!definition)
        qFatal("shipped device %s is missing", id);
    return *definition;
}

// A Bluetooth LE device as a scanner reports it.
inline QBluetoothDeviceInfo leDeviceInfo(const QString &address, const QString &name = QStringLiteral("device"))
{
    QBluetoothDeviceInfo info(QBluetoothAddress(address), name, 0);
    info.setCoreConfigurations(QBluetoothDeviceInfo::LowEnergyCoreConfiguration);
    return info;
}

// A BLE interface descriptor whose uuid is made from `n`.
inline device_manager::DeviceInterfaceInfo bleDescriptor(int n, qint32 maximumPacketSize = -1)
{
    return { device_manager::InterfaceType::BLE,
        QStringLiteral("{1f7e0000-0000-4000-8000-%1}").arg(n, 12, 10, QLatin1Char('0')), maximumPacketSize };
}

} // namespace vk_testing
