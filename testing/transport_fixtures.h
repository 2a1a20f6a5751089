#pragma once

// Devices, link descriptors and scanner reports shared by the transport test suites and benchmark.
// Header-only; a test that includes it links simulator, device_descriptors and Qt Bluetooth.

#include "testing/device_fixtures.h"

#include <QBluetoothAddress>
#include <QBluetoothDeviceInfo>
#include <QtGlobal>

namespace vk_testing {

// A Bluetooth LE device as a scanner reports it.
inline QBluetoothDeviceInfo leDeviceInfo(const QString &address, const QString &name = QStringLiteral("device"))
{
    QBluetoothDeviceInfo info(QBluetoothAddress(address), name, 0);
    info.setCoreConfigurations(QBluetoothDeviceInfo::LowEnergyCoreConfiguration);
    return info;
}

} // namespace vk_testing
