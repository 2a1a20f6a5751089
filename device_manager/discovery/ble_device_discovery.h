#pragma once

#include "device_manager/discovery/i_device_discovery.h"
#include "device_manager/discovery/sighted_devices.h"

#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothDeviceInfo>
#include <QTimer>

#include <atomic>
#include <chrono>

namespace device_manager {

// The Bluetooth LE scanner over the platform's discovery agent. Runs in a thread of its own (the
// discovery manager starts it there). While active it scans in low-energy rounds that follow each
// other without pause; a round in which no advertisement at all arrives for the restart interval
// is restarted early (some platforms stall without telling). Devices with our manufacturer data are
// reported from their second sighting on (SightedDevices). Errors do not stop scanning.
class BleDeviceDiscovery : public IDeviceDiscovery
{
    Q_OBJECT

public:
    struct Timing
    {
        std::chrono::milliseconds round { 5000 }; // low-energy discovery time-out of one round
        std::chrono::milliseconds restart { 4000 }; // silence after which a round is restarted
    };

    BleDeviceDiscovery();
    explicit BleDeviceDiscovery(Timing timing);
    ~BleDeviceDiscovery() override;

    QBluetoothDeviceInfo deviceInfoFor(const DeviceDiscoveryInfo &discoveryInfo) override;

public slots:
    ReturnCode startDiscovery() override;
    ReturnCode stopDiscovery() override;
    // Whether scanning was started and not stopped since (between two rounds too); any thread.
    bool isActive() override;

    void afterThreadStarted() override;
    void beforeThreadStopped() override;

private slots:
    void _onStartDiscovery();
    void _onStopDiscovery();
    void _deviceDiscovered(const QBluetoothDeviceInfo &value);
    void _deviceScanError(QBluetoothDeviceDiscoveryAgent::Error error);
    void _deviceInfoUpdated(const QBluetoothDeviceInfo &info);
    void _restartHWDiscovery();

private:
    const Timing _timing;
    QBluetoothDeviceDiscoveryAgent *_agent = nullptr;
    QTimer *_restartTimer = nullptr;
    SightedDevices _discoveredDevices;
    std::atomic<bool> _active { false };
};

} // namespace device_manager
