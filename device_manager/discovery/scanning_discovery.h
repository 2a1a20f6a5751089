#pragma once

#include "device_manager/discovery/i_device_discovery.h"
#include "device_manager/discovery/sighted_devices.h"

#include <QBluetoothDeviceInfo>

#include <atomic>
#include <functional>

namespace device_manager {

// What every scanner shares: start and stop queued into the scanner's thread, the active flag, and
// the table of sighted devices that each received advertisement goes through (reported from the
// second sighting on; a new start forgets every device). A scanner supplies how it scans.
class ScanningDiscovery : public IDeviceDiscovery
{
    Q_OBJECT

public:
    explicit ScanningDiscovery(QObject *parent = nullptr);
    ~ScanningDiscovery() override;

    QBluetoothDeviceInfo deviceInfoFor(const DeviceDiscoveryInfo &discoveryInfo) override;

public slots:
    ReturnCode startDiscovery() override;
    ReturnCode stopDiscovery() override;
    bool isActive() override;

    // Stops scanning.
    void beforeThreadStopped() override;

protected slots:
    // In the scanner's thread: forget every sighted device, then scan.
    void _onStartDiscovery();
    void _onStopDiscovery();

protected:
    // In the scanner's thread.
    virtual void startScanning() = 0;
    virtual void stopScanning() = 0;

    // One received advertisement, in the scanner's thread: reported (deviceDiscovered) from the
    // device's second sighting on.
    void sight(const QBluetoothDeviceInfo &info);

private:
    // Queues `step` into this scanner's thread; logs "Inavlid invokeMethod" when that fails.
    void queueInOwnThread(std::function<void()> step);

    SightedDevices _discoveredDevices;
    std::atomic<bool> _active { false };
};

} // namespace device_manager
