#pragma once

#include "device_manager/descriptors/device_discovery_info.h"
#include "device_manager/descriptors/tr_strings.h"
#include "return_codes/return_codes.h"

#include <QBluetoothDeviceInfo>
#include <QObject>

namespace device_manager {

// A scanner for devices. The discovery manager creates it through the factory chosen at start-up,
// runs it in a thread of its own with the module start handshake (afterThreadStarted in that
// thread, then initializationDone; beforeThreadStopped before the thread ends) and relays its
// signals to the bus.
class IDeviceDiscovery : public QObject
{
    Q_OBJECT

public:
    explicit IDeviceDiscovery(QObject *parent = nullptr);
    ~IDeviceDiscovery() override;

    // The platform's description of a device reported earlier, for creating its interface.
    // Called from the discovery manager's thread; an invalid QBluetoothDeviceInfo when unknown.
    virtual QBluetoothDeviceInfo deviceInfoFor(const DeviceDiscoveryInfo &discoveryInfo) = 0;

public slots:
    // Both only queue the work into the scanner's thread and return Ok; callable from any thread.
    virtual ReturnCode startDiscovery() = 0;
    virtual ReturnCode stopDiscovery() = 0;
    // Whether scanning was started and not stopped since; callable from any thread.
    virtual bool isActive() = 0;

    virtual void afterThreadStarted() = 0;
    virtual void beforeThreadStopped() = 0;

signals:
    void initializationDone();
    void deviceDiscovered(device_manager::DeviceDiscoveryInfo discoveryInfo);
    void debugHappend(QString title, QString text);
    void errorHappend(device_manager::TrStrings titleIndex, device_manager::TrStrings textIndex);
};

} // namespace device_manager
