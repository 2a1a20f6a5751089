#pragma once

#include "device_manager/discovery/scanning_discovery.h"

#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothDeviceInfo>
#include <QTimer>

#include <chrono>

namespace device_manager {

// The Bluetooth LE scanner over the platform's discovery agent. Runs in a thread of its own (the
// discovery manager starts it there). While active it scans in low-energy rounds that follow each
// other without pause; a round in which no advertisement at all arrives for the restart interval
// is restarted early (some platforms stall without telling). Devices with our manufacturer data are
// reported from their second sighting on. Errors do not stop scanning.
class BleDeviceDiscovery : public ScanningDiscovery
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

public slots:
    void afterThreadStarted() override;

private slots:
    void _deviceDiscovered(const QBluetoothDeviceInfo &value);
    void _deviceScanError(QBluetoothDeviceDiscoveryAgent::Error error);
    void _deviceInfoUpdated(const QBluetoothDeviceInfo &info);
    void _restartHWDiscovery();

private:
    void startScanning() override;
    void stopScanning() override;

    const Timing _timing;
    QBluetoothDeviceDiscoveryAgent *_agent = nullptr;
    QTimer *_restartTimer = nullptr;
};

} // namespace device_manager
