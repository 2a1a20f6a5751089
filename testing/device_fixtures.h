#pragma once

// The shipped simulated devices and made-up interface descriptors, shared by the test suites and
// benchmarks of the simulator and the device side. Header-only; a test that includes it links
// simulator and device_descriptors.

#include "device_manager/descriptors/device_interface_info.h"
#include "simulator/device_catalog.h"

#include <QString>
#include <QtGlobal>

namespace vk_testing {

// The shipped simulated devices.
inline const simulator::DeviceCatalog &shippedDevices()
{
    static const simulator::DeviceCatalog catalog = simulator::DeviceCatalog::builtIn();
    return catalog;
}

inline const simulator::DeviceDefinition &shippedDevice(const QString &id)
{
    const simulator::DeviceDefinition *definition = shippedDevices().find(id);
    if (!definition)
        qFatal("shipped device %s is missing", qPrintable(id));
    return *definition;
}

inline const simulator::DeviceDefinition &shippedDevice(const char *id)
{
    return shippedDevice(QString::fromLatin1(id));
}

// A BLE interface descriptor whose uuid is made from `n`.
inline device_manager::DeviceInterfaceInfo bleDescriptor(int n, qint32 maximumPacketSize = -1)
{
    return { device_manager::InterfaceType::BLE,
        QStringLiteral("{1f7e0000-0000-4000-8000-%1}").arg(n, 12, 10, QLatin1Char('0')), maximumPacketSize };
}

} // namespace vk_testing
