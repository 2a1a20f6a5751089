#pragma once

#include <QBluetoothDeviceInfo>
#include <QBluetoothUuid>
#include <QList>
#include <QLowEnergyController>
#include <QObject>
#include <QString>

#include <functional>

namespace device_manager {

class BleService;

// The part of QLowEnergyController (central role) that a BLE interface uses, with the same names
// and meanings. QtBleController forwards each call and signal to Qt; tests put a scripted
// controller in its place to drive every branch of the interface without a radio.
class BleController : public QObject
{
    Q_OBJECT

public:
    // Makes the controller for the device (never null). The interface owns what it returns.
    using Factory = std::function<BleController *(const QBluetoothDeviceInfo &device)>;

    explicit BleController(QObject *parent = nullptr);
    ~BleController() override;

    virtual QLowEnergyController::ControllerState state() const = 0;
    virtual QString errorString() const = 0;
    // The current ATT MTU; -1 where the platform does not tell.
    virtual int mtu() const = 0;
    // The services found by the last discovery.
    virtual QList<QBluetoothUuid> services() const = 0;

    virtual void connectToDevice() = 0;
    virtual void disconnectFromDevice() = 0;
    virtual void discoverServices() = 0;
    virtual void stopAdvertising() = 0;
    // A service object for `service`, owned by the caller (no parent); null when none can be made.
    virtual BleService *createServiceObject(const QBluetoothUuid &service) = 0;

signals:
    void connected();
    void disconnected();
    void errorOccurred(QLowEnergyController::Error error);
    void discoveryFinished();
    void mtuChanged(int mtu);
};

} // namespace device_manager
