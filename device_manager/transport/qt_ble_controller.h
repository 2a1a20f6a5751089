#pragma once

#include "device_manager/transport/ble_controller.h"

namespace device_manager {

// BleController on Qt Bluetooth: a QLowEnergyController in the central role, created for the
// device and owned by this object; every call and signal passes straight through.
class QtBleController : public BleController
{
    Q_OBJECT

public:
    explicit QtBleController(const QBluetoothDeviceInfo &device, QObject *parent = nullptr);
    ~QtBleController() override;

    // The factory of BLE interfaces in the program.
    static BleController *create(const QBluetoothDeviceInfo &device);

    QLowEnergyController::ControllerState state() const override;
    QString errorString() const override;
    int mtu() const override;
    QList<QBluetoothUuid> services() const override;

    void connectToDevice() override;
    void disconnectFromDevice() override;
    void discoverServices() override;
    void stopAdvertising() override;
    BleService *createServiceObject(const QBluetoothUuid &service) override;

private:
    QLowEnergyController *const _controller; // child of this object
};

} // namespace device_manager
