#include "device_manager/discovery/scanning_discovery.h"

#include "event_topics/thread_handover.h"

#include <QDebug>

namespace device_manager {

ScanningDiscovery::ScanningDiscovery(QObject *parent) : IDeviceDiscovery(parent) { }

ScanningDiscovery::~ScanningDiscovery() = default;

QBluetoothDeviceInfo ScanningDiscovery::deviceInfoFor(const DeviceDiscoveryInfo &discoveryInfo)
{
    return _discoveredDevices.deviceInfoFor(discoveryInfo);
}

void ScanningDiscovery::queueInOwnThread(std::function<void()> step)
{
    if (!event_topics::queueCall(this, std::move(step)))
        qWarning() << "Inavlid invokeMethod";
}

ReturnCode ScanningDiscovery::startDiscovery()
{
    queueInOwnThread([this]() { _onStartDiscovery(); });
    return ReturnCode::Ok;
}

ReturnCode ScanningDiscovery::stopDiscovery()
{
    queueInOwnThread([this]() { _onStopDiscovery(); });
    return ReturnCode::Ok;
}

bool ScanningDiscovery::isActive()
{
    return _active.load();
}

void ScanningDiscovery::beforeThreadStopped()
{
    _onStopDiscovery();
}

void ScanningDiscovery::_onStartDiscovery()
{
    _discoveredDevices.clear();
    _active = true;
    startScanning();
}

void ScanningDiscovery::_onStopDiscovery()
{
    _active = false;
    stopScanning();
}

void ScanningDiscovery::sight(const QBluetoothDeviceInfo &info)
{
    if (const std::optional<DeviceDiscoveryInfo> discovered = _discoveredDevices.sight(info))
        emit deviceDiscovered(*discovered);
}

} // namespace device_manager
