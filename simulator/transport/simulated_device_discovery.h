#pragma once

#include "device_manager/discovery/discovery_manager.h"
#include "device_manager/discovery/scanning_discovery.h"
#include "simulator/device_park.h"
#include "simulator/simulated_advertisement.h"

#include <QBluetoothDeviceInfo>
#include <QTimer>

#include <chrono>
#include <memory>

namespace simulator {

// A scanner that "receives" the advertisements of the simulated devices of a park. While active it
// sights every device once per advertising interval (the first time at once), each as the platform
// would describe it (address, name, LE only, manufacturer data under the advertised company id,
// RSSI as the park says), and feeds it through the same sighting rules as the BLE scanner: reported from the second
// sighting on. Each sighting reads the device's current advertisement, so a device restarted into
// its bootloader is seen as such. deviceInfoFor gives the stored description, whose address the
// simulated interface looks the device up by.
class SimulatedDeviceDiscovery : public device_manager::ScanningDiscovery
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kDefaultAdvertisingInterval { 1000 };

    explicit SimulatedDeviceDiscovery(
        std::shared_ptr<DevicePark> park, std::chrono::milliseconds advertisingInterval = kDefaultAdvertisingInterval);
    ~SimulatedDeviceDiscovery() override;

    // A factory for DiscoveryManager::setDiscoveryFactory: each scanner it makes advertises `park`.
    static device_manager::DiscoveryManager::DiscoveryFactory factory(
        std::shared_ptr<DevicePark> park, std::chrono::milliseconds advertisingInterval = kDefaultAdvertisingInterval);

    // The platform's description of one received advertisement.
    static QBluetoothDeviceInfo deviceInfoOf(const SimulatedAdvertisement &advertisement);

public slots:
    void afterThreadStarted() override;

private slots:
    void _advertise();

private:
    void startScanning() override;
    void stopScanning() override;

    const std::shared_ptr<DevicePark> _park;
    const std::chrono::milliseconds _advertisingInterval;
    QTimer *_advertisingTimer = nullptr;
};

} // namespace simulator
