#include "simulator/transport/simulated_device_discovery.h"

#include <QBluetoothAddress>

namespace simulator {

SimulatedDeviceDiscovery::SimulatedDeviceDiscovery(
    std::shared_ptr<DevicePark> park, std::chrono::milliseconds advertisingInterval)
    : _park(std::move(park)), _advertisingInterval(advertisingInterval)
{ }

SimulatedDeviceDiscovery::~SimulatedDeviceDiscovery() = default;

device_manager::DiscoveryManager::DiscoveryFactory SimulatedDeviceDiscovery::factory(
    std::shared_ptr<DevicePark> park, std::chrono::milliseconds advertisingInterval)
{
    return [park, advertisingInterval]() -> device_manager::IDeviceDiscovery * {
        return new SimulatedDeviceDiscovery(park, advertisingInterval);
    };
}

QBluetoothDeviceInfo SimulatedDeviceDiscovery::deviceInfoOf(const SimulatedAdvertisement &advertisement)
{
    QBluetoothDeviceInfo info(QBluetoothAddress(advertisement.address), advertisement.name, 0);
    info.setCoreConfigurations(QBluetoothDeviceInfo::LowEnergyCoreConfiguration);
    info.setManufacturerData(advertisement.companyId, advertisement.manufacturerData);
    info.setRssi(advertisement.rssi);
    return info;
}

void SimulatedDeviceDiscovery::afterThreadStarted()
{
    _advertisingTimer = new QTimer(this);
    _advertisingTimer->setInterval(_advertisingInterval);
    connect(_advertisingTimer, &QTimer::timeout, this, &SimulatedDeviceDiscovery::_advertise);
    emit initializationDone();
}

void SimulatedDeviceDiscovery::startScanning()
{
    _advertisingTimer->start();
    _advertise();
}

void SimulatedDeviceDiscovery::stopScanning()
{
    if (_advertisingTimer)
        _advertisingTimer->stop();
}

void SimulatedDeviceDiscovery::_advertise()
{
    if (!_park)
        return;
    for (const SimulatedAdvertisement &advertisement : _park->advertisements())
        sight(deviceInfoOf(advertisement));
}

} // namespace simulator
